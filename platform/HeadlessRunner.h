// Runs the game without window or sound device: the host's own main loop on
// the virtual clock of a ScriptedPlatform, fed by a small input script (key
// presses, typed text, mouse moves and clicks, screenshots, frame hashes,
// quit). The same seed and script give the same frames. The script format is
// in docs/headless.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "platform/HostLoop.h"
#include "platform/ScriptedPlatform.h"

struct ScriptEvent {
    enum class Kind {
        KeyDown,
        KeyUp,
        CharDown,
        CharUp,
        Type,
        Mouse,
        ButtonDown,
        ButtonUp,
        Screenshot,
        Hash,
        Quit
    };
    u32 timeMs = 0;  // virtual milliseconds after the start of the run
    Kind kind = Kind::Quit;
    ScriptedPlatform::Key key = ScriptedPlatform::Key::Enter;
    unsigned char character = 0;  // CharDown / CharUp (Windows-1252)
    int button = 0;               // 0 left, 1 right
    i32 x = 0, y = 0;             // Mouse
    std::string text;             // Type: the text; Screenshot: the file
    int line = 0;                 // where it stands in the script

    bool IsInput() const {
        return kind != Kind::Screenshot && kind != Kind::Hash && kind != Kind::Quit;
    }
};

// Reads a script; false with a message naming the line when it is wrong.
// Events come back in time order (lines of the same time in their order).
bool ParseScript(std::istream& in, std::vector<ScriptEvent>* events, std::string* error);

// Names the archive items that sound wave images come from: it reads the
// directory of a mapped Data.lib image and remembers where each item's payload
// starts, so a wave pointer handed to the sound calls can be named after its
// entry, sequence and item (sequence and item counted from 0, as the archive
// counts them).
class ArchiveIndex {
public:
    struct ItemName {
        std::string entry;
        int sequence = 0;
        int item = 0;
    };

    // Reads the directory of an archive image of `length` bytes. False (and
    // nothing learnt) when the header does not describe a directory inside
    // the image; items whose offsets fall outside it are left out.
    bool AddArchive(const void* view, std::size_t length);
    bool Knows(const void* view) const;
    // The item whose payload starts exactly at `payload`; null when none.
    const ItemName* Find(const void* payload) const;
    std::size_t ItemCount() const { return items.size(); }

private:
    std::vector<const void*> archives;
    std::map<std::uintptr_t, ItemName> items;  // by payload address
};

// Writes one line per sound event: "TIME KIND ENTRY SEQUENCE ITEM RESULT"
// (see docs/headless.md). Times are virtual milliseconds since the run
// started at startMs.
void WriteSoundLog(const std::vector<ScriptedPlatform::SoundEvent>& events,
                   const ArchiveIndex& index, u32 startMs, std::ostream& out);

class HeadlessRunner {
public:
    // Virtual time at which a run starts (and the default seed: the host
    // seeds with the clock).
    static constexpr u32 kStartMs = 1000;
    // A wait loop of the game that polls this often within one frame lets
    // virtual time pass, one millisecond per poll.
    static constexpr int kPollsBeforeTimePasses = 1000;
    // When the script has nothing left to release a held key, a wait loop
    // ends after this much virtual time with every key and button released.
    static constexpr u32 kLongestWaitMs = 10000;

    struct Settings {
        std::vector<ScriptEvent> script;
        long maxFrames = -1;  // -1: until the script ends (or the game quits)
        bool seeded = false;
        u32 seed = 0;
        std::string soundLogPath;  // empty: no sound log
        // Leave float rounding at nearest instead of toward zero (the browser
        // build's arithmetic; a test compares the two).
        bool nearestRounding = false;
        // Called between frames with the frames drawn so far (the bot reads
        // the game here and sets its keys); true ends the run. Empty: none.
        std::function<bool(long framesDrawn)> betweenFrames;
    };

    HeadlessRunner(ScriptedPlatform& platform, const GameEntryPoints& game, Settings settings,
                   std::ostream& report);

    // Start-up, loop and shutdown. Exit status: 0 after a normal end, 1 when
    // the game could not start, 3 when a screenshot or the sound log could
    // not be written.
    int Run();

    long FramesDrawn() const { return framesDrawn; }

private:
    class Window;
    class Clock;

    u32 RunTime() const { return platform.Now() - kStartMs; }
    // Applies the input events that are due; the others too when
    // withOutputs is set (between frames). True when a quit event came.
    bool ApplyDueEvents(bool withOutputs);
    void OnPoll();
    void ReleaseEverything();
    // Learns the directory of every archive the game has mapped (only when a
    // sound log is wanted).
    void IndexMappedArchives();
    bool WriteSoundLogFile();

    ScriptedPlatform& platform;
    GameEntryPoints game;
    Settings settings;
    std::ostream& report;
    std::size_t nextEvent = 0;
    std::vector<bool> eventDone;
    long framesDrawn = 0;
    int pollsThisFrame = 0;
    u32 waitStartMs = 0;
    bool screenshotFailed = false;
    ArchiveIndex archiveIndex;
};
