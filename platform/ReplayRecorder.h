// Records a run of the game to a replay file (--record FILE). The recorder
// stands between the game and the real host: it forwards every call, writes
// down the answers that can differ between runs (Replay.h) together with the
// order of the game's entry calls, and hashes the frame buffer after every
// 60th frame. Neither the game nor the host notices it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/HostLoop.h"
#include "platform/Replay.h"

class ReplayRecorder final : public ReplayQueries {
public:
    struct Settings {
        std::string path;
        std::string host;            // "desktop" or "headless"
        std::string saveFolder;      // the player's saved files, taken in at the start
        std::function<i32()> score;  // the game's score, read as it shuts down
    };

    explicit ReplayRecorder(Settings settings);
    ~ReplayRecorder() override;

    // Creates the file; false with the reason.
    bool Open(std::string* error);
    // The game's entry points with every call going through this recorder.
    // The entry points are plain functions, so one recorder at a time can be
    // wrapped around the game.
    GameEntryPoints Wrap(const GameEntryPoints& game);
    // After the run: true when the replay was written to its end. Otherwise
    // (the game did not start, or the file could not be written) false with
    // the reason, and an unfinished file is removed.
    bool Close(std::string* error);

    u64 Frames() const { return frames; }
    i32 Score() const { return end.score; }

protected:
    bool AskKey(u32 query, bool live) override;
    bool AskMouse(bool readable, i32 liveX, i32 liveY, i32* x, i32* y) override;
    u32 AskClock(u32 live) override;

private:
    static bool Init(PlatformServices* host);
    static u32 Frame(bool fullPresent);
    static bool Shutdown();

    void Begin(ReplayRecord::Kind kind, bool fullPresent = false);
    void Finish();
    void Note(u64 call, u32 query, i64 value);
    void KeepLastFrame();
    std::vector<ReplaySaveFile> TakeInSaveFiles() const;

    static ReplayRecorder* active;
    static GameEntryPoints game;

    Settings settings;
    ReplayWriter writer;
    ReplayRecord current;
    std::map<u32, i64> answers;  // the last answer to each query
    u64 frames = 0;
    std::vector<u16> lastFrame;  // the last frame drawn, rows without padding
    i32 lastWidth = 0, lastHeight = 0;
    ReplayEnd end;
    bool ended = false;
    std::string error;
};
