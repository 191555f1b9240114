// Recorded replays: a scripted run of a stand-in game recorded through the
// recorder plays back frame for frame (saved files included, the player's
// own untouched); another "build" of the game is caught at the frame where it
// went another way; and damaged, cut-short or foreign files are refused with
// a reason, never played.
#include <gtest/gtest.h>

#include <cfenv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/HeadlessRunner.h"
#include "platform/Random.h"
#include "platform/Replay.h"
#include "platform/ReplayPlayer.h"
#include "platform/ReplayRecorder.h"

namespace {

namespace fs = std::filesystem;

// The stand-in game asks every kind of question that a recording must answer
// (clock, held keys, a character key, the mouse, the cheat code, a wait loop
// until Enter is up), draws one row a frame from the answers and random
// draws, and keeps its score in a saved file. Its variants are "other builds".
enum class Variant { Same, ExtraQuestionFromFrame100, OtherPictureFromFrame100 };

struct StandInGame {
    PlatformServices* platform = nullptr;
    Variant variant = Variant::Same;
    int frames = 0;
    i32 score = 0;
} standIn;

constexpr const char* kScoreFile = "Scores.dat";

GameEntryPoints StandIn(Variant variant) {
    standIn.variant = variant;
    return GameEntryPoints{
        [](PlatformServices* p) {
            standIn = StandInGame{nullptr, standIn.variant, 0, 0};
            standIn.platform = p;
            const FileHandle h = p->FileOpen(kScoreFile, kFileRead, 0);
            if (h != kNoFile) {
                p->FileRead(h, &standIn.score, sizeof standIn.score, false);
                p->FileClose(h, false);
            }
            return true;
        },
        []() { return ""; },
        []() {
            PlatformServices* p = standIn.platform;
            const FileHandle h = p->FileOpen(kScoreFile, kFileWrite, 0);
            if (h != kNoFile) {
                p->FileWrite(h, &standIn.score, sizeof standIn.score, false);
                p->FileClose(h, false);
            }
            return true;
        },
        []() { return true; },
        [](bool) -> u32 {
            PlatformServices* p = standIn.platform;
            ++standIn.frames;
            const u32 now = p->GetTimeMs();
            if (p->IsEnterPressed()) {
                while (p->IsEnterPressed()) {
                }
                standIn.score += 10;
            }
            if (p->IsSpacePressed()) standIn.score += 1 + Random::Next() % 3;
            if (p->IsCharKeyPressed('a')) standIn.score += 100;
            i32 x = 0, y = 0;
            p->GetMousePosition(&x, &y);
            const bool cheat = p->IsCheatCodeEntered();
            if (standIn.variant == Variant::ExtraQuestionFromFrame100 && standIn.frames >= 100) {
                p->IsPausePressed();
            }
            u16 colour = static_cast<u16>((now * 3 + standIn.score + x * 7 + y + cheat) & 0x7FFF);
            if (standIn.variant == Variant::OtherPictureFromFrame100 && standIn.frames >= 100) {
                colour ^= 1;
            }
            u16* pixels = p->GetScreenPixels();
            const i32 pitch = p->GetScreenPitch() / 2;
            for (i32 i = 0; i < 800; ++i) pixels[i + (standIn.frames % 600) * pitch] = colour;
            return 600u << 16;
        },
    };
}

i32 StandInScore() {
    return standIn.score;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Spit(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class ReplayTest : public testing::Test {
protected:
    void SetUp() override {
        scratch =
            fs::temp_directory_path() /
            ("brettspalt-replay-test-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        fs::remove_all(scratch);
        fs::create_directories(scratch / "save");
        replay = scratch / "run.rep";
        rounding = std::fegetround();
    }
    void TearDown() override {
        std::fesetround(rounding);
        fs::remove_all(scratch);
    }

    // Records a scripted headless run of the stand-in game into `replay`;
    // the player's saved score is 1000 at the start.
    void Record() {
        const i32 saved = 1000;
        Spit(scratch / "save" / kScoreFile, std::string(reinterpret_cast<const char*>(&saved), 4));
        std::istringstream script(
            "100 mouse 10 20\n"
            "200 key Enter down\n"
            "+300 key Enter up\n"
            "700 key Space down\n"
            "1500 key Space up\n"
            "1600 char a down\n"
            "+50 char a up\n"
            "1800 type xxxx74qv19\n"
            "2000 mouse -3 700\n"
            "3200 quit\n");
        HeadlessRunner::Settings settings;
        std::string error;
        ASSERT_TRUE(ParseScript(script, &settings.script, &error)) << error;
        settings.seeded = true;
        settings.seed = 99;
        ScriptedPlatform platform("", (scratch / "save").string());
        ReplayRecorder recorder(
            {replay.string(), "headless", (scratch / "save").string(), StandInScore});
        ASSERT_TRUE(recorder.Open(&error)) << error;
        std::ostringstream report;
        HeadlessRunner runner(platform, recorder.Wrap(StandIn(Variant::Same)), settings, report);
        ASSERT_EQ(0, runner.Run());
        ASSERT_TRUE(recorder.Close(&error)) << error;
        recordedFrames = recorder.Frames();
        recordedScore = standIn.score;
        recordedHash = platform.FrameHash();
    }

    int Play(Variant variant, std::string* report, std::string* errors) {
        std::ostringstream out, err;
        const int status =
            PlayReplayFile(replay.string(), "", StandIn(variant), StandInScore, out, err);
        *report = out.str();
        *errors = err.str();
        return status;
    }

    fs::path scratch;
    fs::path replay;
    int rounding = 0;
    u64 recordedFrames = 0;
    i32 recordedScore = 0;
    u64 recordedHash = 0;
};

TEST_F(ReplayTest, RecordedRunPlaysBackFrameForFrame) {
    ASSERT_NO_FATAL_FAILURE(Record());
    ASSERT_GT(recordedFrames, 2 * kReplayCheckEvery) << "long enough for two checks";
    EXPECT_GT(recordedScore, 1000 + 10 + 100) << "Enter, Space and 'a' all counted";

    ReplayFile file;
    std::string error;
    ASSERT_TRUE(ReadReplayFile(replay.string(), &file, &error)) << error;
    const std::string bytes = Slurp(replay);
    EXPECT_EQ(bytes, EncodeReplay(file)) << "what is read is what was written";
    EXPECT_EQ(99u, file.header.seed);
    ASSERT_EQ(1u, file.header.saveFiles.size());
    EXPECT_EQ(kScoreFile, file.header.saveFiles[0].name);
    EXPECT_EQ(recordedFrames + 2, file.records.size()) << "start, frames, end";
    // Only changed answers and clock steps are stored: a few bytes a frame.
    EXPECT_LT(bytes.size(), 4 * recordedFrames) << bytes.size() << " bytes";

    // The player's own score file has moved on since; the replay starts from
    // the recorded one and leaves the player's alone.
    const i32 later = 5;
    Spit(scratch / "save" / kScoreFile, std::string(reinterpret_cast<const char*>(&later), 4));
    std::string report, errors;
    EXPECT_EQ(0, Play(Variant::Same, &report, &errors)) << errors;
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(recordedHash));
    EXPECT_EQ("end frames " + std::to_string(recordedFrames) + " score " +
                  std::to_string(recordedScore) + " hash " + hash + "\n",
              report);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&later), 4),
              Slurp(scratch / "save" / kScoreFile));
}

TEST_F(ReplayTest, AnotherBuildIsCaughtWhereItWentAnotherWay) {
    ASSERT_NO_FATAL_FAILURE(Record());
    std::string report, errors;
    // One more question than recorded: caught in the very frame.
    EXPECT_EQ(ReplayPlayer::kDiverged, Play(Variant::ExtraQuestionFromFrame100, &report, &errors));
    EXPECT_NE(std::string::npos, errors.find("in frame 100: the game asked IsPausePressed"))
        << errors;
    EXPECT_NE(std::string::npos, report.find("end frames 100 ")) << "stops there: " << report;

    // The same questions, another picture: caught at the next check.
    EXPECT_EQ(ReplayPlayer::kDiverged, Play(Variant::OtherPictureFromFrame100, &report, &errors));
    EXPECT_NE(std::string::npos, errors.find("in frame 120: the picture differs")) << errors;
    EXPECT_NE(std::string::npos, errors.find("after frame 60")) << errors;
}

// A small replay with every kind of content.
ReplayFile Sample() {
    ReplayFile f;
    f.header.host = "headless";
    f.header.seed = 77;
    f.header.saveFiles = {{"HiScore.dat", "abc"}, {"Config/Text.txt", "x"}};
    ReplayRecord init;
    init.kind = ReplayRecord::Kind::Init;
    init.clock = {1000};
    f.records.push_back(init);
    for (u32 i = 0; i < 3; ++i) {
        ReplayRecord frame;
        frame.fullPresent = i == 0;
        frame.clock = {1016 + 16 * i, 1016 + 16 * i};
        frame.inputCalls = 5;
        frame.changes = {{1, ReplayQuery(7, 0), i % 2},
                         {3, ReplayQuery(kSlotMousePosition, kMouseX), -5 - static_cast<i64>(i)},
                         {3, ReplayQuery(4, 'a'), 1}};
        frame.checked = i == 2;
        frame.hash = 0x0123456789abcdefull;
        f.records.push_back(frame);
    }
    ReplayRecord shutdown;
    shutdown.kind = ReplayRecord::Kind::Shutdown;
    f.records.push_back(shutdown);
    f.end = {3, 120, 0xabcull};
    return f;
}

TEST(ReplayFileTest, BadFilesAreRefusedWithAReason) {
    const std::string good = EncodeReplay(Sample());
    ReplayFile read;
    std::string error;
    ASSERT_TRUE(DecodeReplay(good, &read, &error)) << error;
    EXPECT_EQ(good, EncodeReplay(read));

    for (std::size_t n = 0; n < good.size(); ++n) {
        error.clear();
        EXPECT_FALSE(DecodeReplay(good.substr(0, n), &read, &error)) << "cut to " << n;
        EXPECT_FALSE(error.empty());
    }
    for (std::size_t bit = 0; bit < good.size() * 8; ++bit) {
        std::string flipped = good;
        flipped[bit / 8] = static_cast<char>(flipped[bit / 8] ^ (1 << (bit % 8)));
        error.clear();
        EXPECT_FALSE(DecodeReplay(flipped, &read, &error)) << "bit " << bit;
        EXPECT_FALSE(error.empty());
    }
    std::string newer = good;
    newer[8] = 2;
    EXPECT_FALSE(DecodeReplay(newer, &read, &error));
    EXPECT_NE(std::string::npos, error.find("version 2")) << error;
    EXPECT_FALSE(DecodeReplay("PK\3\4 surely not a replay", &read, &error));
    EXPECT_NE(std::string::npos, error.find("not a Brettspalt replay")) << error;

    // Files whose checksum is right but whose content cannot be a recording
    // (a writer of another program, or a hand-made file).
    const auto refused = [&](auto&& spoil, const char* what) {
        ReplayFile f = Sample();
        spoil(f);
        error.clear();
        EXPECT_FALSE(DecodeReplay(EncodeReplay(f), &read, &error)) << what;
        EXPECT_NE(std::string::npos, error.find("damaged")) << what << ": " << error;
    };
    refused([](ReplayFile& f) { f.records[1].changes[0].call = 5; }, "answer beyond the questions");
    refused([](ReplayFile& f) { f.records[1].changes[0].query = ReplayQuery(20, 0); },
            "unknown query");
    refused([](ReplayFile& f) { f.records[1].changes[0].value = 2; }, "key neither up nor down");
    refused([](ReplayFile& f) { f.records.erase(f.records.begin()); }, "no start");
    refused([](ReplayFile& f) { f.end.frames = 4; }, "frame count");
    refused([](ReplayFile& f) { f.header.saveFiles[0].name = "../../.bashrc"; }, "unsafe name");
    refused([](ReplayFile& f) { f.records[0].checked = true; }, "check outside a frame");
    refused(
        [](ReplayFile& f) {
            // Each frame repeats the clock steps of the one before in one
            // byte: unbounded, this would take gigabytes to read.
            f.records[1].clock.assign(5000, 1016);
            f.records.insert(f.records.begin() + 2, 1000, f.records[1]);
            f.end.frames += 1000;
        },
        "blown up in memory");

    // The player says so and ends with status 2 before anything runs.
    const fs::path cut = fs::temp_directory_path() / "brettspalt-replay-test-cut.rep";
    Spit(cut, good.substr(0, good.size() / 2));
    std::ostringstream report, errors;
    EXPECT_EQ(ReplayPlayer::kBadFile, PlayReplayFile(cut.string(), "", StandIn(Variant::Same),
                                                     StandInScore, report, errors));
    EXPECT_NE(std::string::npos, errors.str().find("cut short")) << errors.str();
    EXPECT_EQ(ReplayPlayer::kBadFile,
              PlayReplayFile((fs::temp_directory_path() / "no-such-replay.rep").string(), "",
                             StandIn(Variant::Same), StandInScore, report, errors));
    fs::remove(cut);
}

}  // namespace
