// Playing a recorded run back (see ReplayPlayer.h).
#include "platform/ReplayPlayer.h"

#include <stdlib.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "platform/Random.h"

namespace {

std::string Hex(u64 value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

}  // namespace

ReplayPlayer::ReplayPlayer(const ReplayFile& replay, ScriptedPlatform& platform,
                           std::function<i32()> score)
    : replay(replay), platform(platform), score(std::move(score)) {
    SetTarget(&platform);
}

// ---- Answers --------------------------------------------------------------------------

void ReplayPlayer::Diverge(const std::string& what) {
    if (divergence.empty()) divergence = Where() + ": " + what;
}

std::string ReplayPlayer::Where() const {
    if (record == nullptr || record->kind == ReplayRecord::Kind::Init) return "at the start";
    if (record->kind == ReplayRecord::Kind::Shutdown) return "at the end";
    return "in frame " + std::to_string(framesPlayed + 1);
}

bool ReplayPlayer::Advance(u32 query, bool wholeSlot) {
    const u64 call = calls++;
    if (!divergence.empty() || record == nullptr) return false;
    if (call >= record->inputCalls) {
        Diverge("the game asked " + DescribeReplayQuery(query) + " after the " +
                std::to_string(record->inputCalls) + " questions of the recording");
        return false;
    }
    while (nextChange < record->changes.size() && record->changes[nextChange].call == call) {
        const ReplayChange& c = record->changes[nextChange++];
        const bool same =
            wholeSlot ? ReplayQuerySlot(c.query) == ReplayQuerySlot(query) : c.query == query;
        if (!same) {
            Diverge("the game asked " + DescribeReplayQuery(query) + " where the recording has " +
                    DescribeReplayQuery(c.query));
            return false;
        }
        answers[c.query] = c.value;
    }
    return true;
}

// After a difference the game gets "nothing held", so that a loop waiting for
// a key to come up always ends.
bool ReplayPlayer::AskKey(u32 query, bool) {
    return Advance(query, false) && answers[query] != 0;
}

bool ReplayPlayer::AskMouse(bool, i32, i32, i32* x, i32* y) {
    if (!Advance(ReplayQuery(kSlotMousePosition, kMouseReadable), true)) return false;
    if (answers[ReplayQuery(kSlotMousePosition, kMouseReadable)] == 0) return false;
    *x = static_cast<i32>(answers[ReplayQuery(kSlotMousePosition, kMouseX)]);
    *y = static_cast<i32>(answers[ReplayQuery(kSlotMousePosition, kMouseY)]);
    return true;
}

u32 ReplayPlayer::AskClock(u32) {
    if (record == nullptr || nextClock >= record->clock.size()) {
        Diverge("the game read the clock more often than recorded");
        return lastClock;
    }
    lastClock = record->clock[nextClock++];
    // The sound model of the in-memory platform runs on this clock.
    platform.SetTime(lastClock);
    return lastClock;
}

// ---- Records ------------------------------------------------------------------------

void ReplayPlayer::Begin(const ReplayRecord& r) {
    record = &r;
    calls = 0;
    nextChange = 0;
    nextClock = 0;
}

void ReplayPlayer::Finish() {
    if (calls < record->inputCalls) {
        Diverge("the game asked " + std::to_string(calls) + " questions, the recording " +
                std::to_string(record->inputCalls));
    }
    if (nextClock < record->clock.size()) {
        Diverge("the game read the clock " + std::to_string(nextClock) + " times, the recording " +
                std::to_string(record->clock.size()));
    }
}

u64 ReplayPlayer::Hash() {
    ScreenRect rect{};
    if (!platform.GetScreenRect(&rect)) return FrameBufferHash(nullptr, 0, 0, 0);
    return FrameBufferHash(platform.GetScreenPixels(), rect.right - rect.left,
                           rect.bottom - rect.top, platform.GetScreenPitch());
}

int ReplayPlayer::Run(const GameEntryPoints& game) {
    const std::vector<ReplayRecord>& records = replay.records;
    // The headless runner's sound device: calls are answered, nothing heard.
    platform.SetSoundDevice(false);
    if (!records.empty() && !records.front().clock.empty()) {
        platform.SetTime(records.front().clock.front());
    }
    platform.SeedRandom(replay.header.seed);

    Begin(records.front());
    const bool started = game.init(this);
    Finish();
    if (!started) {
        record = nullptr;
        return 1;
    }
    SetGameFloatingPointMode();
    for (std::size_t i = 1; i + 1 < records.size() && divergence.empty(); ++i) {
        const ReplayRecord& r = records[i];
        Begin(r);
        game.frame(r.fullPresent);
        Finish();
        ++framesPlayed;
        if (r.checked && divergence.empty()) {
            const u64 hash = Hash();
            if (hash != r.hash) {
                divergence =
                    "in frame " + std::to_string(framesPlayed) +
                    ": the picture differs from the recording (hash " + Hex(hash) + ", recorded " +
                    Hex(r.hash) + "); the run went its own way after frame " +
                    std::to_string(framesPlayed - std::min(framesPlayed, kReplayCheckEvery));
            }
        }
    }
    lastFrameHash = Hash();
    finalScore = score ? score() : 0;
    const bool complete = divergence.empty();
    // After a difference the rest of the answers mean nothing; the game is
    // shut down with every key up.
    if (complete) Begin(records.back());
    game.shutdown();
    if (complete) Finish();
    if (divergence.empty() && finalScore != replay.end.score) {
        divergence = "at the end: the score is " + std::to_string(finalScore) +
                     ", the recording has " + std::to_string(replay.end.score);
    }
    if (divergence.empty() && lastFrameHash != replay.end.lastFrameHash) {
        divergence = "at the end: the last frame differs from the recording (hash " +
                     Hex(lastFrameHash) + ", recorded " + Hex(replay.end.lastFrameHash) + ")";
    }
    return divergence.empty() ? 0 : kDiverged;
}

// ---- The whole replay ---------------------------------------------------------------

namespace {

// A save folder of the replay's own, with the files of the recording in it.
class PrivateSaveFolder {
public:
    bool Create(const std::vector<ReplaySaveFile>& files, std::string* error) {
        namespace fs = std::filesystem;
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") +
                              "/brettspalt-replay-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            *error = "no folder for the replay's saved files could be made in " + pattern;
            return false;
        }
        path = pattern;
        for (const ReplaySaveFile& f : files) {
            const fs::path file = fs::path(path) / f.name;
            std::error_code ignored;
            fs::create_directories(file.parent_path(), ignored);
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(f.bytes.data(), static_cast<std::streamsize>(f.bytes.size()));
            if (!out) {
                *error = "the replay's saved file " + f.name + " could not be laid out";
                return false;
            }
        }
        return true;
    }
    ~PrivateSaveFolder() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    const std::string& Path() const { return path; }

private:
    std::string path;
};

}  // namespace

int PlayReplayFile(const std::string& path, const std::string& dataFolder,
                   const GameEntryPoints& game, std::function<i32()> score, std::ostream& report,
                   std::ostream& errors) {
    ReplayFile replay;
    std::string error;
    if (!ReadReplayFile(path, &replay, &error)) {
        errors << "brettspalt: " << error << "\n";
        return ReplayPlayer::kBadFile;
    }
    PrivateSaveFolder saves;
    if (!saves.Create(replay.header.saveFiles, &error)) {
        errors << "brettspalt: " << error << "\n";
        return 1;
    }
    ScriptedPlatform platform(dataFolder, saves.Path());
    ReplayPlayer player(replay, platform, std::move(score));
    const int status = player.Run(game);
    if (status == 1) {
        const char* reason = game.initError != nullptr ? game.initError() : nullptr;
        errors << "brettspalt: the game could not start: "
               << (reason != nullptr && *reason != 0 ? reason : "reason unknown") << "\n";
        return status;
    }
    report << "end frames " << player.FramesPlayed() << " score " << player.FinalScore() << " hash "
           << Hex(player.LastFrameHash()) << "\n";
    if (status == ReplayPlayer::kDiverged) {
        errors << "brettspalt: the replay " << path << " went another way than recorded, "
               << player.Divergence() << "\n"
               << "(it was recorded by another build of the game, or with other data)\n";
    }
    return status;
}
