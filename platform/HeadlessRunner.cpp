// The headless runner (see HeadlessRunner.h).
#include "platform/HeadlessRunner.h"

#include <algorithm>
#include <cfenv>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <istream>
#include <ostream>
#include <sstream>
#include <utility>

namespace {

using Key = ScriptedPlatform::Key;

struct KeyName {
    const char* name;
    Key key;
};
constexpr KeyName kKeyNames[] = {{"up", Key::Up},       {"down", Key::Down},
                                 {"left", Key::Left},   {"right", Key::Right},
                                 {"enter", Key::Enter}, {"return", Key::Enter},
                                 {"space", Key::Space}, {"escape", Key::Escape},
                                 {"esc", Key::Escape},  {"backspace", Key::Backspace},
                                 {"pause", Key::Pause}, {"shift", Key::Shift},
                                 {"ctrl", Key::Ctrl},   {"alt", Key::Alt},
                                 {"f1", Key::F1},       {"f2", Key::F2},
                                 {"f3", Key::F3},       {"f4", Key::F4},
                                 {"f5", Key::F5},       {"f6", Key::F6},
                                 {"f7", Key::F7},       {"f8", Key::F8},
                                 {"f9", Key::F9},       {"f10", Key::F10},
                                 {"f11", Key::F11},     {"f12", Key::F12}};

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

bool ParseUnsigned(const std::string& text, u32* value) {
    if (text.empty() || text.size() > 10) return false;
    unsigned long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > 0xFFFFFFFFull) return false;
    *value = static_cast<u32>(v);
    return true;
}

bool ParseSigned(const std::string& text, i32* value) {
    const bool negative = !text.empty() && text[0] == '-';
    u32 magnitude = 0;
    if (!ParseUnsigned(negative ? text.substr(1) : text, &magnitude) || magnitude > 1000000) {
        return false;
    }
    *value = negative ? -static_cast<i32>(magnitude) : static_cast<i32>(magnitude);
    return true;
}

bool ParseDownUp(const std::string& word, bool* down) {
    const std::string w = Lower(word);
    if (w == "down") {
        *down = true;
    } else if (w == "up") {
        *down = false;
    } else {
        return false;
    }
    return true;
}

// A click holds the button this long.
constexpr u32 kClickMs = 50;

}  // namespace

bool ParseScript(std::istream& in, std::vector<ScriptEvent>* events, std::string* error) {
    events->clear();
    std::string line;
    int number = 0;
    u32 previous = 0;
    auto fail = [&](const std::string& why) {
        *error = "script line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string when;
        if (!(words >> when) || when[0] == '#') continue;

        u32 time = 0;
        const bool relative = when[0] == '+';
        if (!ParseUnsigned(relative ? when.substr(1) : when, &time)) {
            return fail(
                "a line starts with its time in milliseconds (or +N after the line "
                "before), not \"" +
                when + "\"");
        }
        if (relative) time += previous;
        previous = time;

        std::string command;
        if (!(words >> command)) return fail("a command must follow the time");
        command = Lower(command);
        ScriptEvent event;
        event.timeMs = time;
        event.line = number;
        std::string a, b, c;
        if (command == "key") {
            bool down = false;
            if (!(words >> a >> b) || !ParseDownUp(b, &down)) {
                return fail("use: key NAME down|up");
            }
            const std::string name = Lower(a);
            const auto found = std::find_if(std::begin(kKeyNames), std::end(kKeyNames),
                                            [&](const KeyName& k) { return name == k.name; });
            if (found == std::end(kKeyNames)) return fail("unknown key \"" + a + "\"");
            event.kind = down ? ScriptEvent::Kind::KeyDown : ScriptEvent::Kind::KeyUp;
            event.key = found->key;
        } else if (command == "char") {
            bool down = false;
            if (!(words >> a >> b) || !ParseDownUp(b, &down) || a.size() != 1) {
                return fail("use: char C down|up (C one character, the key's unshifted one)");
            }
            event.kind = down ? ScriptEvent::Kind::CharDown : ScriptEvent::Kind::CharUp;
            event.character = static_cast<unsigned char>(a[0]);
        } else if (command == "type") {
            // The rest of the line after one space, as it stands.
            std::string rest;
            std::getline(words, rest);
            if (!rest.empty() && rest[0] == ' ') rest.erase(0, 1);
            if (rest.empty()) return fail("use: type TEXT");
            event.kind = ScriptEvent::Kind::Type;
            event.text = rest;
        } else if (command == "mouse") {
            if (!(words >> a >> b) || !ParseSigned(a, &event.x) || !ParseSigned(b, &event.y)) {
                return fail("use: mouse X Y");
            }
            event.kind = ScriptEvent::Kind::Mouse;
        } else if (command == "button") {
            bool down = false;
            if (!(words >> a >> b) || !ParseDownUp(b, &down) ||
                (Lower(a) != "left" && Lower(a) != "right")) {
                return fail("use: button left|right down|up");
            }
            event.kind = down ? ScriptEvent::Kind::ButtonDown : ScriptEvent::Kind::ButtonUp;
            event.button = Lower(a) == "left" ? 0 : 1;
        } else if (command == "click") {
            // click X Y: move there, press the left button, release it 50 ms later.
            if (!(words >> a >> b) || !ParseSigned(a, &event.x) || !ParseSigned(b, &event.y)) {
                return fail("use: click X Y");
            }
            event.kind = ScriptEvent::Kind::Mouse;
            events->push_back(event);
            event.kind = ScriptEvent::Kind::ButtonDown;
            events->push_back(event);
            event.kind = ScriptEvent::Kind::ButtonUp;
            event.timeMs = time + kClickMs;
        } else if (command == "screenshot") {
            if (!(words >> a)) return fail("use: screenshot FILE.png");
            event.kind = ScriptEvent::Kind::Screenshot;
            event.text = a;
        } else if (command == "hash") {
            event.kind = ScriptEvent::Kind::Hash;
        } else if (command == "quit") {
            event.kind = ScriptEvent::Kind::Quit;
        } else {
            return fail("unknown command \"" + command + "\"");
        }
        if (words >> c && command != "type") return fail("unexpected \"" + c + "\" at the end");
        events->push_back(event);
    }
    std::stable_sort(
        events->begin(), events->end(),
        [](const ScriptEvent& x, const ScriptEvent& y) { return x.timeMs < y.timeMs; });
    return true;
}

// ---- Naming the sounds ------------------------------------------------------------

namespace {

// The archive's layout: a 16-byte header (the name table's offset at 8, the
// entry count at 12), a row of twelve sequence offsets per entry from 16, and
// names of 26 bytes. A sequence's block starts with the negated item count
// followed by the item offsets, or is the offset of its one item; an item has
// a 12-byte header before its payload.
constexpr std::size_t kArchiveHeaderBytes = 16;
constexpr int kSequencesPerEntry = 12;
constexpr std::size_t kRowBytes = kSequencesPerEntry * 4;
constexpr std::size_t kNameBytes = 26;
constexpr std::size_t kItemHeaderBytes = 12;

i32 ReadWord(const unsigned char* p) {
    return static_cast<i32>(static_cast<u32>(p[0]) | static_cast<u32>(p[1]) << 8 |
                            static_cast<u32>(p[2]) << 16 | static_cast<u32>(p[3]) << 24);
}

bool Inside(long long offset, long long bytes, std::size_t length) {
    return offset >= 0 && bytes >= 0 &&
           static_cast<unsigned long long>(offset + bytes) <=
               static_cast<unsigned long long>(length);
}

}  // namespace

bool ArchiveIndex::AddArchive(const void* view, std::size_t length) {
    if (view == nullptr || Knows(view) || length < kArchiveHeaderBytes) return false;
    const auto* base = static_cast<const unsigned char*>(view);
    const long long nameTable = static_cast<u32>(ReadWord(base + 8));
    const long long count = ReadWord(base + 12);
    if (count < 0 || !Inside(kArchiveHeaderBytes, count * kRowBytes, length) ||
        !Inside(nameTable, count * kNameBytes, length)) {
        return false;
    }
    archives.push_back(view);
    for (long long e = 0; e < count; ++e) {
        const char* rawName = reinterpret_cast<const char*>(base + nameTable + e * kNameBytes);
        std::string name(rawName, kNameBytes);
        name.resize(std::min(name.find('\0'), kNameBytes));
        for (int seq = 0; seq < kSequencesPerEntry; ++seq) {
            const long long slot = ReadWord(base + kArchiveHeaderBytes + e * kRowBytes + seq * 4);
            if (slot <= 0) continue;
            const long long block = slot / 4 * 4;
            if (!Inside(block, 4, length)) continue;
            const long long first = ReadWord(base + block);
            std::vector<long long> offsets;
            if (first < 0) {
                if (!Inside(block + 4, -first * 4, length)) continue;
                for (long long i = 0; i < -first; ++i) {
                    offsets.push_back(ReadWord(base + block + 4 + i * 4));
                }
            } else {
                offsets.push_back(first);
            }
            for (std::size_t i = 0; i < offsets.size(); ++i) {
                if (!Inside(offsets[i], kItemHeaderBytes, length)) continue;
                const auto payload =
                    reinterpret_cast<std::uintptr_t>(base + offsets[i] + kItemHeaderBytes);
                // An item listed twice keeps the first name it was found under.
                items.emplace(payload, ItemName{name, seq, static_cast<int>(i)});
            }
        }
    }
    return true;
}

bool ArchiveIndex::Knows(const void* view) const {
    return std::find(archives.begin(), archives.end(), view) != archives.end();
}

const ArchiveIndex::ItemName* ArchiveIndex::Find(const void* payload) const {
    const auto found = items.find(reinterpret_cast<std::uintptr_t>(payload));
    return found == items.end() ? nullptr : &found->second;
}

void WriteSoundLog(const std::vector<ScriptedPlatform::SoundEvent>& events,
                   const ArchiveIndex& index, u32 startMs, std::ostream& out) {
    using Event = ScriptedPlatform::SoundEvent;
    // Music is decoded from its Ogg item into a buffer of the game's own; the
    // game uses that buffer in the very next sound call after decoding it (to
    // stop or start it), so an unknown buffer in the call right after a
    // successful decode is taken to be its result, and named after it for
    // the rest of the run.
    std::map<const void*, const ArchiveIndex::ItemName*> decoded;
    const ArchiveIndex::ItemName* justDecoded = nullptr;
    for (const Event& e : events) {
        const char* kind = "?";
        bool names = true;
        switch (e.kind) {
            case Event::Play:
                kind = "play";
                break;
            case Event::LoopStart:
                kind = "loop-start";
                break;
            case Event::LoopStop:
                kind = "loop-stop";
                break;
            case Event::PauseAll:
                kind = "pause";
                names = false;
                break;
            case Event::ResumeAll:
                kind = "resume";
                names = false;
                break;
            case Event::StopAll:
                kind = "stop-all";
                names = false;
                break;
            case Event::Decode:
                kind = "decode";
                break;
        }
        out << (e.timeMs - startMs) << ' ' << kind << ' ';
        const ArchiveIndex::ItemName* item = names ? index.Find(e.wave) : nullptr;
        if (!names) {
            out << "- - -";
        } else if (item != nullptr) {
            out << item->entry << ' ' << item->sequence << ' ' << item->item;
        } else {
            auto known = decoded.find(e.wave);
            if (known == decoded.end() && justDecoded != nullptr && e.kind != Event::Decode) {
                known = decoded.emplace(e.wave, justDecoded).first;
            }
            if (known != decoded.end()) {
                out << "decoded:" << known->second->entry << ' ' << known->second->sequence << ' '
                    << known->second->item;
            } else {
                out << "? - -";
            }
        }
        out << ' ' << (e.result ? "ok" : "refused") << '\n';
        justDecoded = e.kind == Event::Decode && e.result ? item : nullptr;
    }
}

// ---- The runner's window and clock ----------------------------------------------

class HeadlessRunner::Clock final : public HostClock {
public:
    explicit Clock(ScriptedPlatform& platform) : platform(platform) {}
    u32 Now() override { return platform.Now(); }

private:
    ScriptedPlatform& platform;
};

class HeadlessRunner::Window final : public HostWindow {
public:
    explicit Window(HeadlessRunner& runner) : runner(runner) {}

    bool FrameBufferValid() override { return runner.platform.GetScreenPixels() != nullptr; }
    bool IsMinimised() override { return false; }
    bool RedrawNeeded() override { return redrawNeeded; }
    void ClearRedrawNeeded() override { redrawNeeded = false; }
    void PresentRows(u32, u32) override {
        runner.IndexMappedArchives();
        ++runner.framesDrawn;
        runner.pollsThisFrame = 0;
    }
    void PresentAll() override {}
    void ShowWindow() override { exposed = true; }
    Messages ProcessMessages() override {
        Messages messages;
        // A window that appears is painted once, as on a desktop.
        messages.repaint = std::exchange(exposed, false);
        runner.pollsThisFrame = 0;
        if (runner.ApplyDueEvents(true)) messages.quit = true;
        if (runner.settings.betweenFrames && runner.settings.betweenFrames(runner.framesDrawn))
            messages.quit = true;
        const bool scriptOver =
            !runner.settings.script.empty() && runner.nextEvent >= runner.settings.script.size();
        const bool framesOver =
            runner.settings.maxFrames >= 0 && runner.framesDrawn >= runner.settings.maxFrames;
        if (scriptOver && runner.settings.maxFrames < 0) messages.quit = true;
        if (framesOver) messages.quit = true;
        return messages;
    }
    void WaitForMessages(u32 ms) override { runner.platform.AdvanceTime(ms); }

private:
    HeadlessRunner& runner;
    bool redrawNeeded = true;
    bool exposed = false;
};

// ---- Running --------------------------------------------------------------------

HeadlessRunner::HeadlessRunner(ScriptedPlatform& platform, const GameEntryPoints& game,
                               Settings settings, std::ostream& report)
    : platform(platform), game(game), settings(std::move(settings)), report(report) {
    eventDone.assign(this->settings.script.size(), false);
    // Without a window the game's message boxes (a parse error in a level
    // file) would go unseen: they go to standard error.
    platform.EchoMessagesTo(stderr);
}

bool HeadlessRunner::ApplyDueEvents(bool withOutputs) {
    bool quit = false;
    const u32 now = RunTime();
    // Input is applied whenever its time has come, also in the middle of a
    // frame (a wait loop of the game); screenshots, hashes and quit only
    // between frames. nextEvent is the first event not yet done.
    for (std::size_t i = nextEvent; i < settings.script.size(); ++i) {
        const ScriptEvent& e = settings.script[i];
        if (e.timeMs > now) break;
        if (eventDone[i]) continue;
        if (!e.IsInput() && !withOutputs) continue;
        eventDone[i] = true;
        switch (e.kind) {
            case ScriptEvent::Kind::KeyDown:
                platform.SetKey(e.key, true);
                break;
            case ScriptEvent::Kind::KeyUp:
                platform.SetKey(e.key, false);
                break;
            case ScriptEvent::Kind::CharDown:
                platform.SetCharKey(e.character, true);
                break;
            case ScriptEvent::Kind::CharUp:
                platform.SetCharKey(e.character, false);
                break;
            case ScriptEvent::Kind::Type:
                platform.TypeText(e.text);
                break;
            case ScriptEvent::Kind::Mouse:
                platform.SetMouse(e.x, e.y);
                break;
            case ScriptEvent::Kind::ButtonDown:
                platform.SetMouseButton(e.button, true);
                break;
            case ScriptEvent::Kind::ButtonUp:
                platform.SetMouseButton(e.button, false);
                break;
            case ScriptEvent::Kind::Screenshot:
                if (!platform.WritePng(e.text)) {
                    std::cerr << "brettspalt: screenshot " << e.text
                              << " could not be written (script line " << e.line << ")\n";
                    screenshotFailed = true;
                }
                break;
            case ScriptEvent::Kind::Hash: {
                char hash[17];
                std::snprintf(hash, sizeof hash, "%016" PRIx64,
                              static_cast<std::uint64_t>(platform.FrameHash()));
                report << "time " << now << " frame " << framesDrawn << " hash " << hash << "\n";
                break;
            }
            case ScriptEvent::Kind::Quit:
                quit = true;
                break;
        }
    }
    while (nextEvent < settings.script.size() && eventDone[nextEvent]) ++nextEvent;
    return quit;
}

void HeadlessRunner::ReleaseEverything() {
    for (int k = 0; k <= static_cast<int>(Key::Alt); ++k)
        platform.SetKey(static_cast<Key>(k), false);
    for (int c = 0; c < 256; ++c) platform.SetCharKey(static_cast<unsigned char>(c), false);
    platform.SetMouseButton(0, false);
    platform.SetMouseButton(1, false);
}

// Called at every key or button query of the game. A frame polls a few dozen
// times; a loop that waits for a key to come up polls without end, so past a
// threshold virtual time passes and the script's events arrive.
void HeadlessRunner::OnPoll() {
    if (++pollsThisFrame < kPollsBeforeTimePasses) return;
    if (pollsThisFrame == kPollsBeforeTimePasses) waitStartMs = platform.Now();
    platform.AdvanceTime(1);
    ApplyDueEvents(false);
    if (platform.Now() - waitStartMs >= kLongestWaitMs) {
        // Nothing in the script will end this wait: let go of everything.
        ReleaseEverything();
        waitStartMs = platform.Now();
    }
}

void HeadlessRunner::IndexMappedArchives() {
    if (settings.soundLogPath.empty()) return;
    for (const FileServices::MappedView& m : platform.Files().MappedViews()) {
        if (!archiveIndex.Knows(m.view)) archiveIndex.AddArchive(m.view, m.length);
    }
}

bool HeadlessRunner::WriteSoundLogFile() {
    if (settings.soundLogPath.empty()) return true;
    std::ofstream out(settings.soundLogPath, std::ios::binary | std::ios::trunc);
    if (out) WriteSoundLog(platform.SoundLog(), archiveIndex, kStartMs, out);
    out.flush();
    if (!out) {
        std::cerr << "brettspalt: the sound log " << settings.soundLogPath
                  << " could not be written\n";
        return false;
    }
    return true;
}

int HeadlessRunner::Run() {
    platform.SetTime(kStartMs);
    // No sound is heard headless. With a sound log the platform answers the
    // sound calls as a device with its voices and its 64-sound table would,
    // so the log tells which calls a real one would refuse; the game never
    // looks at the answers, so the frames are the same either way.
    platform.SetSoundDevice(!settings.soundLogPath.empty());
    platform.SeedRandom(settings.seeded ? settings.seed : platform.GetTimeMs());
    platform.SetPollHook([this] { OnPoll(); });
    if (!game.init(&platform)) {
        const char* reason = game.initError != nullptr ? game.initError() : nullptr;
        std::cerr << "brettspalt: the game could not start: "
                  << (reason != nullptr && *reason != 0 ? reason : "reason unknown") << "\n";
        platform.SetPollHook(nullptr);
        WriteSoundLogFile();
        return 1;
    }
    IndexMappedArchives();
    if (settings.nearestRounding) {
        std::fesetround(FE_TONEAREST);
    } else {
        SetGameFloatingPointMode();
    }
    Clock clock(platform);
    Window window(*this);
    HostLoop loop(clock, window, game);
    loop.Run();
    // The archive is unmapped at shutdown; its directory is read before.
    IndexMappedArchives();
    game.shutdown();
    platform.SetPollHook(nullptr);

    char hash[17];
    std::snprintf(hash, sizeof hash, "%016" PRIx64,
                  static_cast<std::uint64_t>(platform.FrameHash()));
    report << "end time " << RunTime() << " frames " << framesDrawn << " hash " << hash << "\n";
    const bool logWritten = WriteSoundLogFile();
    return screenshotFailed || !logWritten ? 3 : 0;
}
