// Recorded replays: the file that holds everything a run of the game asked the
// platform for that can differ from one run to the next (the random seed, the
// clock readings, the key, toggle, mouse-button, mouse-position and cheat-code
// answers, the player's saved files at the start), and the check data that
// proves a replay reproduces the run (the frame buffer's hash after every 60th
// frame, the final score and the last frame's hash).
//
// The file is versioned and protected by a checksum; answers are stored only
// when they change and clock readings as differences, so an hour of play takes
// a few hundred kilobytes. The layout is described in docs/replays.md.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ForwardingPlatform.h"
#include "platform/PlatformServices.h"

using u64 = std::uint64_t;
using i64 = std::int64_t;

inline constexpr char kReplayMagic[8] = {'B', 'S', 'R', 'E', 'P', 'L', 'A', 'Y'};
inline constexpr u32 kReplayVersion = 1;
// The frame buffer is hashed after every this many frames.
inline constexpr u64 kReplayCheckEvery = 60;
// Saved files larger than this (in all) are not taken into a recording.
inline constexpr std::size_t kReplaySaveFilesMaxBytes = 4u << 20;

// A question the game asks whose answer can differ between runs: the slot of
// the operation in the high bits, its argument (the character of slots 4 and
// 13, the function key of slot 5, the part of the mouse position of slot 16)
// in the low eight.
inline constexpr u32 ReplayQuery(int slot, int argument) {
    return static_cast<u32>(slot) << 8 | static_cast<u32>(argument & 0xFF);
}
inline constexpr int ReplayQuerySlot(u32 query) {
    return static_cast<int>(query >> 8);
}
// Slot 16 is recorded as three answers.
inline constexpr int kMouseReadable = 0, kMouseX = 1, kMouseY = 2;
inline constexpr int kSlotMousePosition = 16;
inline constexpr int kSlotCheatCode = 49;
// Whether a query names a recorded slot and an argument that slot can have.
bool IsReplayQuery(u32 query);
// "IsEnterPressed", "IsCharKeyPressed('a')", ... for messages.
std::string DescribeReplayQuery(u32 query);

// An answer that differs from the one the same query got last time (every
// answer counts as 0 before its first change).
struct ReplayChange {
    u64 call = 0;  // which input query of its record, from 0
    u32 query = 0;
    i64 value = 0;  // 0 / 1, or a mouse coordinate
};

// One call of the game's entry points with the answers the game got in it.
struct ReplayRecord {
    enum class Kind : u8 { Init = 0, Frame = 1, Shutdown = 2 };
    Kind kind = Kind::Frame;
    bool fullPresent = false;           // GameFrame's argument
    std::vector<u32> clock;             // GetTimeMs readings, in order
    u64 inputCalls = 0;                 // key, button, mouse and cheat queries in all
    std::vector<ReplayChange> changes;  // in call order
    bool checked = false;               // hash holds the frame buffer after this frame
    u64 hash = 0;
};

struct ReplaySaveFile {
    std::string name;  // relative to the save folder, '/' between folders
    std::string bytes;
};

struct ReplayHeader {
    std::string host;  // "desktop" or "headless": where it was recorded
    u32 seed = 0;      // the random state when the game started
    std::vector<ReplaySaveFile> saveFiles;
};

struct ReplayEnd {
    u64 frames = 0;  // GameFrame calls, repaints included
    i32 score = 0;
    u64 lastFrameHash = 0;
};

struct ReplayFile {
    ReplayHeader header;
    std::vector<ReplayRecord> records;  // Init, the frames, Shutdown
    ReplayEnd end;
};

// Writes a replay as the run goes, so a long run is never held in memory.
class ReplayWriter {
public:
    // Creates (or truncates) the file; false with the reason.
    bool Open(const std::string& path, std::string* error);
    void WriteHeader(const ReplayHeader& header);
    void WriteRecord(const ReplayRecord& record);
    // The end data and the checksum; false with the reason when anything
    // could not be written.
    bool Finish(const ReplayEnd& end, std::string* error);
    bool IsOpen() const { return out.is_open(); }

private:
    void Put(const std::string& bytes);

    std::ofstream out;
    std::string path;
    u32 crc = 0;
    u32 lastClock = 0;
    std::vector<u32> lastSteps;
    u64 lastInputCalls = 0;
    u64 recordsSinceFlush = 0;
};

// The bytes of a whole replay (what ReplayWriter writes).
std::string EncodeReplay(const ReplayFile& replay);
// Reads a whole replay and checks everything a player could get wrong with it
// (not a replay, another version, damaged, cut short); false with a message.
bool DecodeReplay(const std::string& bytes, ReplayFile* replay, std::string* error);
bool ReadReplayFile(const std::string& path, ReplayFile* replay, std::string* error);

// FNV-1a (64 bits) over the visible pixels, row by row, low byte first: the
// same hash the headless runner prints.
u64 FrameBufferHash(const u16* pixels, i32 width, i32 height, i32 pitchBytes);

// The questions whose answers can differ between runs, each routed through
// one of three hooks together with the answer of the platform behind (the
// live one when recording). The recorder writes the answers down, the player
// gives back the recorded ones; every other call goes on unchanged.
class ReplayQueries : public ForwardingPlatform {
public:
    bool IsUpArrowPressed() override { return Ask(0, 0, Target()->IsUpArrowPressed()); }
    bool IsDownArrowPressed() override { return Ask(1, 0, Target()->IsDownArrowPressed()); }
    bool IsLeftArrowPressed() override { return Ask(2, 0, Target()->IsLeftArrowPressed()); }
    bool IsRightArrowPressed() override { return Ask(3, 0, Target()->IsRightArrowPressed()); }
    bool IsCharKeyPressed(char c) override {
        return Ask(4, static_cast<unsigned char>(c), Target()->IsCharKeyPressed(c));
    }
    // Every n outside 2..12 asks for F1, so they are one question.
    bool IsFunctionKeyPressed(i32 n) override {
        return Ask(5, n >= 2 && n <= 12 ? n : 1, Target()->IsFunctionKeyPressed(n));
    }
    bool IsBackspacePressed() override { return Ask(6, 0, Target()->IsBackspacePressed()); }
    bool IsEnterPressed() override { return Ask(7, 0, Target()->IsEnterPressed()); }
    bool IsSpacePressed() override { return Ask(8, 0, Target()->IsSpacePressed()); }
    bool GetDownArrowToggle() override { return Ask(9, 0, Target()->GetDownArrowToggle()); }
    bool GetUpArrowToggle() override { return Ask(10, 0, Target()->GetUpArrowToggle()); }
    bool IsEscapePressed() override { return Ask(11, 0, Target()->IsEscapePressed()); }
    bool IsPausePressed() override { return Ask(12, 0, Target()->IsPausePressed()); }
    bool GetCharKeyToggle(char c) override {
        return Ask(13, static_cast<unsigned char>(c), Target()->GetCharKeyToggle(c));
    }
    bool IsLeftButtonPressed() override { return Ask(14, 0, Target()->IsLeftButtonPressed()); }
    bool IsRightButtonPressed() override { return Ask(15, 0, Target()->IsRightButtonPressed()); }
    bool GetMousePosition(i32* x, i32* y) override {
        i32 liveX = *x, liveY = *y;
        const bool readable = Target()->GetMousePosition(&liveX, &liveY);
        return AskMouse(readable, liveX, liveY, x, y);
    }
    bool IsCheatCodeEntered() override {
        return Ask(kSlotCheatCode, 0, Target()->IsCheatCodeEntered());
    }
    u32 GetTimeMs() override { return AskClock(Target()->GetTimeMs()); }

protected:
    virtual bool AskKey(u32 query, bool live) = 0;
    // Answers slot 16: x and y are set when the result is true.
    virtual bool AskMouse(bool readable, i32 liveX, i32 liveY, i32* x, i32* y) = 0;
    virtual u32 AskClock(u32 live) = 0;

private:
    bool Ask(int slot, int argument, bool live) {
        return AskKey(ReplayQuery(slot, argument), live);
    }
};
