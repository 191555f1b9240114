// Plays a recorded run back without window or sound device (--replay FILE):
// the game's entry points are called in the recorded order, the questions
// whose answers can differ between runs are answered from the recording, and
// everything else goes to the in-memory platform of the headless runner. The
// frame buffer is checked against the recording after every 60th frame, and
// the score and the last frame at the end; the first difference is reported
// with the frame it appeared in.
#pragma once

#include <functional>
#include <iosfwd>
#include <map>
#include <string>

#include "platform/HostLoop.h"
#include "platform/Replay.h"
#include "platform/ScriptedPlatform.h"

class ReplayPlayer final : public ReplayQueries {
public:
    // Exit statuses of a replay, beside 0 (it matches the recording) and 1
    // (the game could not start).
    static constexpr int kBadFile = 2;
    static constexpr int kDiverged = 4;

    ReplayPlayer(const ReplayFile& replay, ScriptedPlatform& platform, std::function<i32()> score);

    // Start, the recorded frames and shutdown. 0 when the run matched the
    // recording, 1 when the game could not start, kDiverged otherwise (the
    // first difference in Divergence()).
    int Run(const GameEntryPoints& game);

    const std::string& Divergence() const { return divergence; }
    u64 FramesPlayed() const { return framesPlayed; }
    i32 FinalScore() const { return finalScore; }
    u64 LastFrameHash() const { return lastFrameHash; }

protected:
    bool AskKey(u32 query, bool live) override;
    bool AskMouse(bool readable, i32 liveX, i32 liveY, i32* x, i32* y) override;
    u32 AskClock(u32 live) override;

private:
    void Begin(const ReplayRecord& r);
    void Finish();
    // Takes the recorded changes of this input query; false once the game has
    // gone its own way.
    bool Advance(u32 query, bool wholeSlot);
    void Diverge(const std::string& what);
    std::string Where() const;
    u64 Hash();

    const ReplayFile& replay;
    ScriptedPlatform& platform;
    std::function<i32()> score;
    const ReplayRecord* record = nullptr;
    u64 calls = 0;
    std::size_t nextChange = 0;
    std::size_t nextClock = 0;
    u32 lastClock = 0;
    std::map<u32, i64> answers;
    u64 framesPlayed = 0;
    std::string divergence;
    i32 finalScore = 0;
    u64 lastFrameHash = 0;
};

// The whole of --replay: reads the file, lays out the player's saved files of
// the recording in a private folder (the player's own ones are never read or
// written), plays, and removes the folder again. Writes "end frames N score S
// hash H" to report and any message to errors. Exit status: 0 when the run
// matched, 1 when the game could not start, 2 for a file that is no good
// replay, 4 when the run went another way than recorded.
int PlayReplayFile(const std::string& path, const std::string& dataFolder,
                   const GameEntryPoints& game, std::function<i32()> score, std::ostream& report,
                   std::ostream& errors);
