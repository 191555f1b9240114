// The sound log of headless runs: naming a wave pointer after the archive
// item it is the payload of, the lines written for each kind of sound event,
// the --sound-log option, and a whole run that writes the log.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/HeadlessRunner.h"
#include "platform/HostOptions.h"
#include "tools/datalib/ArchiveWriter.h"

namespace {

using Event = ScriptedPlatform::SoundEvent;

datalib::Data Payload(const std::string& marker) {
    datalib::Data d;
    d.payload.assign(marker.begin(), marker.end());
    return d;
}

// A short RIFF/WAVE image: 16-bit mono PCM at 22050 Hz, 100 frames of silence.
datalib::Data Wave() {
    auto word = [](std::vector<std::uint8_t>& v, std::uint32_t x, int bytes) {
        for (int i = 0; i < bytes; ++i) v.push_back(static_cast<std::uint8_t>(x >> (8 * i)));
    };
    std::vector<std::uint8_t> w = {'R', 'I', 'F', 'F'};
    word(w, 36 + 200, 4);
    for (char c : std::string("WAVEfmt ")) w.push_back(static_cast<std::uint8_t>(c));
    word(w, 16, 4);
    word(w, 1, 2);  // PCM
    word(w, 1, 2);  // mono
    word(w, 22050, 4);
    word(w, 44100, 4);
    word(w, 2, 2);
    word(w, 16, 2);
    for (char c : std::string("data")) w.push_back(static_cast<std::uint8_t>(c));
    word(w, 200, 4);
    w.resize(w.size() + 200, 0);
    datalib::Data d;
    d.payload = w;
    return d;
}

// Two entries: SOUND_Alpha with a listed sequence 0 of two items and a
// one-item sequence 2; SOUND_Beta with one listed item in sequence 1 and a
// wave image in sequence 3.
std::vector<std::uint8_t> SmallArchive() {
    datalib::ArchiveWriter writer;
    datalib::Entry alpha;
    alpha.name = "SOUND_Alpha";
    alpha.sequences[0] = datalib::Sequence{{Payload("alpha-0-0"), Payload("alpha-0-1")}, true};
    alpha.sequences[2] = datalib::Sequence{{Payload("alpha-2-0")}, false};
    writer.Add(alpha);
    datalib::Entry beta;
    beta.name = "SOUND_Beta";
    beta.sequences[1] = datalib::Sequence{{Payload("beta-1-0")}, true};
    beta.sequences[3] = datalib::Sequence{{Wave()}, true};
    writer.Add(beta);
    return writer.Build();
}

// Where a payload with that marker starts in the image.
const void* Find(const std::vector<std::uint8_t>& image, const std::string& marker) {
    const auto at = std::search(image.begin(), image.end(), marker.begin(), marker.end());
    EXPECT_NE(image.end(), at) << marker;
    return image.data() + (at - image.begin());
}

std::string Describe(const ArchiveIndex::ItemName* name) {
    if (name == nullptr) return "none";
    return name->entry + " " + std::to_string(name->sequence) + " " + std::to_string(name->item);
}

TEST(ArchiveIndex, NamesThePayloadOfEveryItem) {
    const std::vector<std::uint8_t> image = SmallArchive();
    ASSERT_FALSE(image.empty());
    ArchiveIndex index;
    ASSERT_TRUE(index.AddArchive(image.data(), image.size()));
    EXPECT_TRUE(index.Knows(image.data()));
    EXPECT_EQ(5u, index.ItemCount());
    EXPECT_EQ("SOUND_Alpha 0 0", Describe(index.Find(Find(image, "alpha-0-0"))));
    EXPECT_EQ("SOUND_Alpha 0 1", Describe(index.Find(Find(image, "alpha-0-1"))));
    EXPECT_EQ("SOUND_Alpha 2 0", Describe(index.Find(Find(image, "alpha-2-0"))))
        << "a one-item block";
    EXPECT_EQ("SOUND_Beta 1 0", Describe(index.Find(Find(image, "beta-1-0"))));

    const auto* inside = static_cast<const std::uint8_t*>(Find(image, "alpha-0-1")) + 1;
    EXPECT_EQ("none", Describe(index.Find(inside))) << "only the start of a payload is an item";
    EXPECT_EQ("none", Describe(index.Find(inside - 13))) << "nor the item's header";
    EXPECT_EQ("none", Describe(index.Find(nullptr)));

    EXPECT_FALSE(index.AddArchive(image.data(), image.size())) << "read once";
    EXPECT_EQ(5u, index.ItemCount());
}

TEST(ArchiveIndex, DamagedDirectoriesAreReadSafely) {
    const std::vector<std::uint8_t> good = SmallArchive();
    auto put = [](std::vector<std::uint8_t>& image, std::size_t at, std::int32_t value) {
        std::memcpy(image.data() + at, &value, 4);
    };
    ArchiveIndex index;
    EXPECT_FALSE(index.AddArchive(good.data(), 15)) << "shorter than the header";
    EXPECT_FALSE(index.AddArchive(nullptr, 100));

    std::vector<std::uint8_t> negative = good;
    put(negative, 12, -1);
    EXPECT_FALSE(index.AddArchive(negative.data(), negative.size())) << "negative entry count";

    std::vector<std::uint8_t> tooMany = good;
    put(tooMany, 12, 0x7FFFFFFF);
    EXPECT_FALSE(index.AddArchive(tooMany.data(), tooMany.size())) << "rows beyond the file";

    std::vector<std::uint8_t> namesOutside = good;
    put(namesOutside, 8, static_cast<std::int32_t>(good.size() - 10));
    EXPECT_FALSE(index.AddArchive(namesOutside.data(), namesOutside.size()))
        << "name table beyond the file";
    EXPECT_EQ(0u, index.ItemCount());

    // A sequence slot and a block that point outside the file are skipped;
    // the rest of the directory is still read.
    std::vector<std::uint8_t> badSlot = good;
    put(badSlot, 16 + 0 * 4, 0x7FFFFFF0);       // SOUND_Alpha sequence 0
    put(badSlot, 16 + 48 + 1 * 4, 0x7FFFFFF0);  // SOUND_Beta sequence 1
    put(badSlot, 16 + 48 + 3 * 4, 0);           // SOUND_Beta sequence 3: none
    ASSERT_TRUE(index.AddArchive(badSlot.data(), badSlot.size()));
    EXPECT_EQ(1u, index.ItemCount());
    EXPECT_EQ("SOUND_Alpha 2 0", Describe(index.Find(Find(badSlot, "alpha-2-0"))));
}

TEST(SoundLog, OneLinePerEventNamedAfterItsItem) {
    const std::vector<std::uint8_t> image = SmallArchive();
    ArchiveIndex index;
    ASSERT_TRUE(index.AddArchive(image.data(), image.size()));
    const void* saw = Find(image, "alpha-0-1");
    const void* music = Find(image, "beta-1-0");
    const std::vector<char> decodedMusic(64), stranger(64);

    const std::vector<Event> events = {
        {Event::Play, saw, 9, true, 1000},
        {Event::LoopStart, saw, 9, false, 1016},
        {Event::PauseAll, nullptr, 0, true, 1500},
        {Event::ResumeAll, nullptr, 0, true, 1600},
        {Event::Play, stranger.data(), 64, true, 1700},
        {Event::Decode, music, 8, true, 1800},
        {Event::LoopStart, decodedMusic.data(), 64, true, 1800},
        {Event::LoopStart, stranger.data(), 64, true, 1801},
        {Event::LoopStop, decodedMusic.data(), 64, true, 2000},
        {Event::LoopStop, saw, 9, true, 2001},
        {Event::StopAll, nullptr, 0, true, 2100},
    };
    std::ostringstream out;
    WriteSoundLog(events, index, 1000, out);
    EXPECT_EQ(
        "0 play SOUND_Alpha 0 1 ok\n"
        "16 loop-start SOUND_Alpha 0 1 refused\n"
        "500 pause - - - ok\n"
        "600 resume - - - ok\n"
        "700 play ? - - ok\n"
        "800 decode SOUND_Beta 1 0 ok\n"
        "800 loop-start decoded:SOUND_Beta 1 0 ok\n"
        "801 loop-start ? - - ok\n"
        "1000 loop-stop decoded:SOUND_Beta 1 0 ok\n"
        "1001 loop-stop SOUND_Alpha 0 1 ok\n"
        "1100 stop-all - - - ok\n",
        out.str());

    // A failed decode leaves nothing to name the next unknown buffer after.
    std::ostringstream failed;
    WriteSoundLog({{Event::Decode, music, 8, false, 1000},
                   {Event::LoopStart, stranger.data(), 64, true, 1000}},
                  index, 1000, failed);
    EXPECT_EQ("0 decode SOUND_Beta 1 0 refused\n0 loop-start ? - - ok\n", failed.str());

    // A decoded buffer keeps its piece's name in later calls: two pieces
    // decoded and stopped, then the first started again from the cache.
    const std::vector<char> firstBuffer(64), secondBuffer(64);
    const void* menuPiece = Find(image, "alpha-0-0");
    const void* levelPiece = Find(image, "alpha-0-1");
    std::ostringstream switching;
    WriteSoundLog({{Event::Decode, menuPiece, 9, true, 0},
                   {Event::LoopStop, firstBuffer.data(), 64, true, 0},
                   {Event::Decode, levelPiece, 9, true, 0},
                   {Event::LoopStop, secondBuffer.data(), 64, true, 0},
                   {Event::LoopStart, firstBuffer.data(), 64, true, 0}},
                  index, 0, switching);
    EXPECT_EQ(
        "0 decode SOUND_Alpha 0 0 ok\n"
        "0 loop-stop decoded:SOUND_Alpha 0 0 ok\n"
        "0 decode SOUND_Alpha 0 1 ok\n"
        "0 loop-stop decoded:SOUND_Alpha 0 1 ok\n"
        "0 loop-start decoded:SOUND_Alpha 0 0 ok\n",
        switching.str());
}

TEST(SoundLog, OptionOnlyForHeadlessRuns) {
    HostOptions options = ParseCommandLine({"--headless", "--sound-log", "logs/WINDOW/s.log"});
    EXPECT_TRUE(options.error.empty()) << options.error;
    EXPECT_EQ("logs/WINDOW/s.log", options.soundLogPath);
    EXPECT_FALSE(options.windowed) << "the value is a path, not a request for a window";

    options = ParseCommandLine({"--sound-log", "s.log"});
    EXPECT_FALSE(options.error.empty()) << "a desktop run has no sound log";
    options = ParseCommandLine({"--headless", "--sound-log"});
    EXPECT_FALSE(options.error.empty()) << "the file is missing";
    EXPECT_NE(std::string::npos, UsageText().find("--sound-log"));
}

// A stand-in game that maps an archive, plays its wave SOUND_Beta 3 0 on the
// third frame and loops SOUND_Beta 1 0 from the fifth, then quits; it unmaps
// the archive at shutdown, as the game does.
struct ArchiveGame {
    PlatformServices* platform = nullptr;
    const unsigned char* view = nullptr;
    int frames = 0;
    std::vector<std::uint8_t> image;
} archiveGame;

GameEntryPoints ArchiveGameEntryPoints() {
    return GameEntryPoints{
        [](PlatformServices* p) {
            archiveGame.platform = p;
            archiveGame.frames = 0;
            archiveGame.view = static_cast<const unsigned char*>(p->FileMap("Data.lib"));
            return archiveGame.view != nullptr;
        },
        []() { return "no Data.lib"; },
        []() { return archiveGame.platform->FileUnmap(archiveGame.view); },
        []() { return archiveGame.frames < 8; },
        [](bool) -> u32 {
            ++archiveGame.frames;
            auto at = [](const std::string& marker) {
                const std::vector<std::uint8_t>& image = archiveGame.image;
                const auto found =
                    std::search(image.begin(), image.end(), marker.begin(), marker.end());
                return archiveGame.view + (found - image.begin());
            };
            if (archiveGame.frames == 3) archiveGame.platform->SoundPlay(at("RIFF"), 244);
            if (archiveGame.frames == 5) archiveGame.platform->SoundLoop(at("beta-1-0"), 8, true);
            return 600u << 16;
        },
    };
}

TEST(SoundLog, HeadlessRunWritesTheLog) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("brettspalt-soundlog-" + std::to_string(reinterpret_cast<std::uintptr_t>(&dir)));
    std::filesystem::create_directories(dir);
    archiveGame.image = SmallArchive();
    {
        std::ofstream lib(dir / "Data.lib", std::ios::binary);
        lib.write(reinterpret_cast<const char*>(archiveGame.image.data()),
                  static_cast<std::streamsize>(archiveGame.image.size()));
    }

    HeadlessRunner::Settings settings;
    settings.seeded = true;
    settings.soundLogPath = (dir / "sound.log").string();
    ScriptedPlatform platform(dir.string(), dir.string());
    std::ostringstream report;
    const int rounding = std::fegetround();
    HeadlessRunner runner(platform, ArchiveGameEntryPoints(), settings, report);
    const int status = runner.Run();
    std::fesetround(rounding);
    EXPECT_EQ(0, status) << report.str();

    std::ifstream in(settings.soundLogPath);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The sound calls are answered as a device would: a wave plays, an item
    // that is no wave image is refused; both are logged.
    EXPECT_NE(std::string::npos, log.find(" play SOUND_Beta 3 0 ok\n")) << log;
    EXPECT_NE(std::string::npos, log.find(" loop-start SOUND_Beta 1 0 refused\n")) << log;
    EXPECT_LT(log.find(" play "), log.find(" loop-start ")) << log;

    // A log that cannot be written fails the run.
    settings.soundLogPath = (dir / "no-such-folder" / "sound.log").string();
    ScriptedPlatform again(dir.string(), dir.string());
    HeadlessRunner failing(again, ArchiveGameEntryPoints(), settings, report);
    testing::internal::CaptureStderr();
    EXPECT_EQ(3, failing.Run());
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("sound log"));
    std::fesetround(rounding);
    std::filesystem::remove_all(dir);
}

}  // namespace
