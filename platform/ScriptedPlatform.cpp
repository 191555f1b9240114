// The in-memory platform of the tests and the headless runner (see
// ScriptedPlatform.h). Needs nothing but the C++ library and POSIX files.
// Limits: no real sound is produced, only the answers of the sound table;
// ShellOpen never opens anything.
#include "platform/ScriptedPlatform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/PngWriter.h"
#include "platform/Random.h"
#include "platform/ScreenFont.h"

#if __has_include("platform/OggDecoder.h")
#include "platform/OggDecoder.h"
#define BRETTSPALT_HAVE_OGG_DECODER 1
#endif

using u64 = std::uint64_t;

namespace {

// ---- Little helpers -------------------------------------------------------------

u32 ReadLe32(const u8* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (u32(p[3]) << 24);
}
u16 ReadLe16(const u8* p) {
    return static_cast<u16>(p[0] | (p[1] << 8));
}

// What the sound table needs of a RIFF/WAVE image: channel count and rate
// from "fmt ", the length of the "data" chunk that follows it. The
// bits-per-sample field is not read: the samples are taken as 16-bit.
struct WaveInfo {
    u32 channels = 0;
    u32 rate = 0;
    u32 dataBytes = 0;
};

bool ParseWave(const void* image, u32 size, WaveInfo* info) {
    if (!image || size < 12) return false;
    const u8* p = static_cast<const u8*>(image);
    if (std::memcmp(p, "RIFF", 4) != 0 || std::memcmp(p + 8, "WAVE", 4) != 0) return false;
    u64 end = std::min<u64>(size, u64(ReadLe32(p + 4)) + 8);
    u64 at = 12;
    bool haveFormat = false;
    while (at + 8 <= end) {
        const u8* chunk = p + at;
        const u32 length = ReadLe32(chunk + 4);
        const u64 body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            if (length < 16 || body + 16 > end) return false;
            info->channels = ReadLe16(chunk + 10);
            info->rate = ReadLe32(chunk + 12);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && haveFormat) {
            // A data chunk that claims more than the image holds is cut to it.
            const u64 available = end > body ? end - body : 0;
            info->dataBytes = static_cast<u32>(std::min<u64>(length, available));
            return info->dataBytes > 0 && info->channels > 0 && info->rate > 0;
        }
        at = body + length + (length & 1);
    }
    return false;
}

}  // namespace

// ---- Set-up -----------------------------------------------------------------------

ScriptedPlatform::ScriptedPlatform(std::string dataFolder, std::string saveFolder) : files(this) {
    files.SetDataFolder(std::move(dataFolder));
    files.SetSaveFolder(std::move(saveFolder));
    sounds.reserve(64);
    ResizeScreen(800, 600);
}

ScriptedPlatform::~ScriptedPlatform() = default;

// ---- Clock --------------------------------------------------------------------------

void ScriptedPlatform::SetTime(u32 ms) {
    now = ms;
}
void ScriptedPlatform::AdvanceTime(u32 ms) {
    now += ms;
}
u32 ScriptedPlatform::GetTimeMs() {
    return now;
}

// ---- Keys ---------------------------------------------------------------------------

ScriptedPlatform::CharKey ScriptedPlatform::LookUp(unsigned char c) const {
    // A German keyboard: the key of each character, named by the character it
    // types without modifiers, and the modifiers it needs (AltGr = Ctrl+Alt).
    static const std::array<CharKey, 256> table = [] {
        std::array<CharKey, 256> t{};
        auto plain = [&](unsigned char ch, int key) { t[ch] = {key, false, false, false}; };
        auto shifted = [&](unsigned char ch, unsigned char key) {
            t[ch] = {key, true, false, false};
        };
        auto altGr = [&](unsigned char ch, unsigned char key) { t[ch] = {key, false, true, true}; };
        for (int ch = 'a'; ch <= 'z'; ++ch) {
            plain(static_cast<unsigned char>(ch), ch);
            shifted(static_cast<unsigned char>(ch - 'a' + 'A'), static_cast<unsigned char>(ch));
        }
        for (int ch = '0'; ch <= '9'; ++ch) plain(static_cast<unsigned char>(ch), ch);
        for (const char* k = "\xDF\xB4\xFC+\xF6\xE4#,.-<^"; *k; ++k) {
            plain(static_cast<unsigned char>(*k), static_cast<unsigned char>(*k));
        }
        const char* shiftedDigits = "=!\"\xA7$%&/()";  // shifted 0..9
        for (int d = 0; d < 10; ++d) shifted(static_cast<unsigned char>(shiftedDigits[d]), '0' + d);
        shifted('?', 0xDF);
        shifted('`', 0xB4);
        shifted(0xDC, 0xFC);
        shifted('*', '+');
        shifted(0xD6, 0xF6);
        shifted(0xC4, 0xE4);
        shifted('\'', '#');
        shifted(';', ',');
        shifted(':', '.');
        shifted('_', '-');
        shifted('>', '<');
        shifted(0xB0, '^');
        altGr(0xB2, '2');
        altGr(0xB3, '3');
        altGr('{', '7');
        altGr('[', '8');
        altGr(']', '9');
        altGr('}', '0');
        altGr('\\', 0xDF);
        altGr('@', 'q');
        altGr(0x80, 'e');  // the euro sign of Windows-1252
        altGr('~', '+');
        altGr('|', '<');
        altGr(0xB5, 'm');
        plain(' ', NamedKey(Key::Space));
        plain(8, NamedKey(Key::Backspace));
        plain(13, NamedKey(Key::Enter));
        plain(27, NamedKey(Key::Escape));
        return t;
    }();
    return table[c];
}

void ScriptedPlatform::SetKeyIndex(int key, bool down) {
    if (key < 0 || key >= kKeyCount) return;
    if (down && !held[key]) toggle[key] = !toggle[key];
    held[key] = down;
}

void ScriptedPlatform::SetKey(Key k, bool down) {
    SetKeyIndex(NamedKey(k), down);
}

bool ScriptedPlatform::IsKeyDown(Key k) const {
    return Held(NamedKey(k));
}

void ScriptedPlatform::SetCharKey(unsigned char c, bool down) {
    const CharKey ck = LookUp(c);
    // Only the unshifted character names a key; anything else is not a key.
    if (ck.key < 0 || ck.shift || ck.ctrl || ck.alt) return;
    SetKeyIndex(ck.key, down);
}

void ScriptedPlatform::TypeText(const std::string& text) {
    for (unsigned char c : text) cheat.OnCharacter(c);
}

void ScriptedPlatform::SetMouse(i32 x, i32 y) {
    mouseX = x;
    mouseY = y;
}

void ScriptedPlatform::SetMouseButton(int button, bool down) {
    if (button == 0 || button == 1) mouseButtons[button] = down;
}

void ScriptedPlatform::SetPollHook(std::function<void()> hook) {
    pollHook = std::move(hook);
}

void ScriptedPlatform::Poll() {
    if (!pollHook || inPollHook) return;
    inPollHook = true;
    pollHook();
    inPollHook = false;
}

bool ScriptedPlatform::ModifiersHeld(const CharKey& ck) const {
    if (ck.key < 0) return false;
    if (ck.shift && !Held(NamedKey(Key::Shift))) return false;
    if (ck.ctrl && !Held(NamedKey(Key::Ctrl))) return false;
    if (ck.alt && !Held(NamedKey(Key::Alt))) return false;
    return true;
}

bool ScriptedPlatform::IsUpArrowPressed() {
    Poll();
    return Held(NamedKey(Key::Up));
}
bool ScriptedPlatform::IsDownArrowPressed() {
    Poll();
    return Held(NamedKey(Key::Down));
}
bool ScriptedPlatform::IsLeftArrowPressed() {
    Poll();
    return Held(NamedKey(Key::Left));
}
bool ScriptedPlatform::IsRightArrowPressed() {
    Poll();
    return Held(NamedKey(Key::Right));
}
bool ScriptedPlatform::IsCharKeyPressed(char c) {
    Poll();
    const CharKey ck = LookUp(static_cast<unsigned char>(c));
    return ModifiersHeld(ck) && Held(ck.key);
}
bool ScriptedPlatform::IsFunctionKeyPressed(i32 n) {
    Poll();
    const int index = (n >= 2 && n <= 12) ? n - 1 : 0;
    return Held(NamedKey(Key::F1) + index);
}
bool ScriptedPlatform::IsBackspacePressed() {
    Poll();
    return Held(NamedKey(Key::Backspace));
}
bool ScriptedPlatform::IsEnterPressed() {
    Poll();
    return Held(NamedKey(Key::Enter));
}
bool ScriptedPlatform::IsSpacePressed() {
    Poll();
    return Held(NamedKey(Key::Space));
}
bool ScriptedPlatform::GetDownArrowToggle() {
    Poll();
    return toggle[NamedKey(Key::Down)];
}
bool ScriptedPlatform::GetUpArrowToggle() {
    Poll();
    return toggle[NamedKey(Key::Up)];
}
bool ScriptedPlatform::IsEscapePressed() {
    Poll();
    return Held(NamedKey(Key::Escape));
}
bool ScriptedPlatform::IsPausePressed() {
    Poll();
    return Held(NamedKey(Key::Pause));
}
bool ScriptedPlatform::GetCharKeyToggle(char c) {
    Poll();
    const CharKey ck = LookUp(static_cast<unsigned char>(c));
    return ModifiersHeld(ck) && toggle[ck.key];
}

// ---- Mouse ----------------------------------------------------------------------------

bool ScriptedPlatform::IsLeftButtonPressed() {
    Poll();
    return mouseButtons[0];
}
bool ScriptedPlatform::IsRightButtonPressed() {
    Poll();
    return mouseButtons[1];
}
bool ScriptedPlatform::GetMousePosition(i32* x, i32* y) {
    if (!mouseReadable || !x || !y) return false;
    *x = mouseX;
    *y = mouseY;
    return true;
}
bool ScriptedPlatform::ShowMouseCursor(bool show) {
    cursorHidden = !show;
    return false;
}

// ---- Frame buffer ------------------------------------------------------------------------

void ScriptedPlatform::ResizeScreen(i32 width, i32 height) {
    if (width <= 0 || height <= 0) {
        DestroyScreen();
        return;
    }
    screenWidth = width;
    screenHeight = height;
    screenPitch = 2 * width + ((width & 1) ? 2 : 0);
    screen.assign(static_cast<size_t>(screenPitch / 2) * static_cast<size_t>(height), 0);
    hasScreen = true;
}

void ScriptedPlatform::DestroyScreen() {
    screen.clear();
    screen.shrink_to_fit();
    screenWidth = screenHeight = screenPitch = 0;
    hasScreen = false;
}

u16 ScriptedPlatform::Pixel(i32 x, i32 y) const {
    if (!hasScreen || x < 0 || y < 0 || x >= screenWidth || y >= screenHeight) return 0;
    return screen[static_cast<size_t>(y) * (screenPitch / 2) + x];
}

u64 ScriptedPlatform::FrameHash() const {
    u64 hash = 0xcbf29ce484222325ull;
    for (i32 y = 0; y < screenHeight; ++y) {
        for (i32 x = 0; x < screenWidth; ++x) {
            const u16 p = screen[static_cast<size_t>(y) * (screenPitch / 2) + x];
            hash = (hash ^ (p & 0xFF)) * 0x100000001b3ull;
            hash = (hash ^ (p >> 8)) * 0x100000001b3ull;
        }
    }
    return hash;
}

bool ScriptedPlatform::WritePng(const std::string& path) const {
    if (!hasScreen) return false;
    return WritePng16(path, screen.data(), screenPitch / 2, screenWidth, screenHeight);
}

bool ScriptedPlatform::GetScreenRect(ScreenRect* r) {
    if (!hasScreen || !r) return false;
    *r = {0, 0, screenWidth, screenHeight};
    return true;
}
u16* ScriptedPlatform::GetScreenPixels() {
    return hasScreen ? screen.data() : nullptr;
}
i32 ScriptedPlatform::GetScreenPitch() {
    return hasScreen ? screenPitch : 0;
}
bool ScriptedPlatform::ClearScreen() {
    std::fill(screen.begin(), screen.end(), 0);
    return true;
}

// ---- Random numbers ---------------------------------------------------------------------

void ScriptedPlatform::SeedRandom(u32 seed) {
    Random::Seed(seed);
}
i32 ScriptedPlatform::GetRandomMax() {
    return 32767;
}
i32 ScriptedPlatform::GetRandom(i32 n) {
    const i32 draw = Random::Next();
    // n below 1 would divide by zero; such a draw yields 0.
    const i32 bound = std::min(n, 32767);
    return bound >= 1 ? draw % bound : 0;
}
i32 ScriptedPlatform::GetRandomBit() {
    return Random::Next() & 1;
}

// ---- Files ------------------------------------------------------------------------------

FileHandle ScriptedPlatform::FileOpen(const char* nameOrBase, u8 mode, u32 memorySize) {
    return files.Open(nameOrBase, mode, memorySize);
}
bool ScriptedPlatform::FileClose(FileHandle h, bool isMemory) {
    return files.Close(h, isMemory);
}
i32 ScriptedPlatform::FileRead(FileHandle h, void* buffer, i32 count, bool isMemory) {
    return files.Read(h, buffer, count, isMemory);
}
i32 ScriptedPlatform::FileWrite(FileHandle h, const void* buffer, u32 count, bool isMemory) {
    return files.Write(h, buffer, count, isMemory);
}
bool ScriptedPlatform::FileSeek(FileHandle h, i32 offset, u32 origin, bool isMemory) {
    return files.Seek(h, offset, origin, isMemory);
}
u32 ScriptedPlatform::FileGetSize(FileHandle h, bool isMemory) {
    return files.GetSize(h, isMemory);
}
i32 ScriptedPlatform::FileTell(FileHandle h, bool isMemory) {
    return files.Tell(h, isMemory);
}
const void* ScriptedPlatform::FileMap(const char* name) {
    return files.Map(name);
}
bool ScriptedPlatform::FileUnmap(const void* view) {
    return files.Unmap(view);
}

// ---- Miscellaneous ----------------------------------------------------------------------

bool ScriptedPlatform::ShellOpen(const char*) {
    return false;
}

void ScriptedPlatform::DrawScreenText(i32 x, i32 y, const char* text, bool opaque) {
    if (!hasScreen) return;
    ScreenFont::DrawText(screen.data(), screenPitch, screenWidth, screenHeight, x, y, text, opaque);
}

void ScriptedPlatform::PlayBeep() {
    ++beeps;
}

void ScriptedPlatform::ShowMessage(const char* text, const char* caption) {
    messages.emplace_back(text ? text : "", caption ? caption : "");
    if (messageEcho) {
        std::fprintf(messageEcho, "%s: %s\n", messages.back().second.c_str(),
                     messages.back().first.c_str());
    }
}

bool ScriptedPlatform::IsCheatCodeEntered() {
    return cheat.Entered();
}

// ---- Sound ------------------------------------------------------------------------------

bool ScriptedPlatform::PlayWaveFileLooped(const char* path) {
    if (!path) return false;
    const std::string hostPath = files.PathForReading(path);
    FILE* f = std::fopen(hostPath.c_str(), "rb");
    if (!f) return false;
    std::vector<u8> image;
    u8 chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        image.insert(image.end(), chunk, chunk + n);
    std::fclose(f);
    WaveInfo info;
    if (!ParseWave(image.data(), static_cast<u32>(image.size()), &info)) return false;
    waveFile = path;
    return true;
}

bool ScriptedPlatform::StopWaveFile() {
    waveFile.clear();
    return true;
}

bool ScriptedPlatform::DecodeOggToWave(const void* ogg, i32 oggSize, void** wave, u32* waveSize) {
#ifdef BRETTSPALT_HAVE_OGG_DECODER
    const bool ok = ::DecodeOggToWave(ogg, oggSize, wave, waveSize);
#else
    (void)wave;
    (void)waveSize;
    const bool ok = false;
#endif
    Log(SoundEvent::Decode, ogg, oggSize < 0 ? 0 : static_cast<u32>(oggSize), ok);
    return ok;
}

void ScriptedPlatform::Log(SoundEvent::Kind kind, const void* wave, u32 size, bool result) {
    soundLog.push_back({kind, wave, size, result, now});
}

ScriptedPlatform::Sound* ScriptedPlatform::FindOrRegister(const void* wave, u32 size) {
    for (Sound& s : sounds) {
        if (s.key == wave) return &s;
    }
    WaveInfo info;
    if (sounds.size() >= 64 || !ParseWave(wave, size, &info)) return nullptr;
    Sound s;
    s.key = wave;
    s.rate = info.rate;
    s.frames = info.dataBytes / (2 * info.channels);
    if (s.frames == 0) s.frames = 1;  // a fragment of one frame still plays
    sounds.push_back(s);
    return &sounds.back();
}

u64 ScriptedPlatform::VoicePosition(const Sound& s, const Voice& v) const {
    if (!v.playing) return v.stoppedFrame;
    const u64 elapsed = u64(now - v.startMs) * s.rate / 1000;
    const u64 at = v.startFrame + elapsed;
    if (v.looping) return at % s.frames;
    return at;
}

bool ScriptedPlatform::VoicePlaying(const Sound& s, Voice& v) {
    if (!v.exists || !v.playing) return false;
    if (!v.looping && VoicePosition(s, v) >= s.frames) {
        // A one-shot voice rewinds itself when it reaches its end.
        v.playing = false;
        v.stoppedFrame = 0;
        return false;
    }
    return true;
}

void ScriptedPlatform::StopVoice(Sound& s, Voice& v) {
    if (!VoicePlaying(s, v)) return;
    v.stoppedFrame = VoicePosition(s, v);
    v.playing = false;
}

void ScriptedPlatform::StartVoice(Voice& v, bool loop) {
    v.exists = true;
    v.playing = true;
    v.looping = loop;
    v.startMs = now;
    v.startFrame = v.stoppedFrame;
}

bool ScriptedPlatform::SoundPlay(const void* wave, u32 waveSize) {
    bool result = true;
    if (!paused) {
        Sound* s = FindOrRegister(wave, waveSize);
        Voice* free = nullptr;
        if (s) {
            for (Voice& v : s->voices) {
                if (!VoicePlaying(*s, v)) {
                    free = &v;
                    break;
                }
            }
        }
        if (!s || !free || !soundDevice) {
            result = false;
        } else {
            StartVoice(*free, false);
        }
    }
    Log(SoundEvent::Play, wave, waveSize, result);
    return result;
}

bool ScriptedPlatform::SoundLoop(const void* wave, u32 waveSize, bool start) {
    bool result = false;
    if (start) {
        if (paused) {
            result = true;
        } else if (Sound* s = FindOrRegister(wave, waveSize)) {
            Voice& v = s->voices[0];
            if (!VoicePlaying(*s, v) && soundDevice) {
                v.stoppedFrame = 0;
                StartVoice(v, true);
                s->loopFlag = true;
                result = true;
            }
        }
        Log(SoundEvent::LoopStart, wave, waveSize, result);
        return result;
    }
    for (Sound& s : sounds) {
        if (s.key == wave && s.loopFlag && VoicePlaying(s, s.voices[0])) {
            StopVoice(s, s.voices[0]);
            result = true;
            break;
        }
    }
    Log(SoundEvent::LoopStop, wave, waveSize, result);
    return result;
}

bool ScriptedPlatform::Pause(bool game) {
    if (game) {
        if (gamePaused) return false;
        gamePaused = true;
    }
    if (paused) return true;
    paused = true;
    for (Sound& s : sounds) {
        for (Voice& v : s.voices) {
            v.wasPlaying = false;
            if (VoicePlaying(s, v)) {
                StopVoice(s, v);
                v.wasPlaying = true;
            }
        }
    }
    return true;
}

bool ScriptedPlatform::Resume(bool game) {
    if (game) {
        if (!gamePaused) return false;
        gamePaused = false;
    }
    if (gamePaused || !paused) return true;
    paused = false;
    for (Sound& s : sounds) {
        for (Voice& v : s.voices) {
            if (!v.wasPlaying) continue;
            v.wasPlaying = false;
            // A sound once used as a loop loops on every voice it resumes.
            StartVoice(v, s.loopFlag);
        }
    }
    return true;
}

bool ScriptedPlatform::SoundPauseAll() {
    const bool result = Pause(true);
    Log(SoundEvent::PauseAll, nullptr, 0, result);
    return result;
}

bool ScriptedPlatform::SoundResumeAll() {
    const bool result = Resume(true);
    Log(SoundEvent::ResumeAll, nullptr, 0, result);
    return result;
}

void ScriptedPlatform::HostPause() {
    Pause(false);
}
void ScriptedPlatform::HostResume() {
    Resume(false);
}

bool ScriptedPlatform::SoundStopAll() {
    for (Sound& s : sounds) {
        for (Voice& v : s.voices) {
            v.playing = false;
            v.stoppedFrame = 0;
            v.wasPlaying = false;
        }
    }
    Log(SoundEvent::StopAll, nullptr, 0, true);
    return true;
}

bool ScriptedPlatform::SoundIsPaused() {
    return paused;
}

int ScriptedPlatform::PlayingVoices(const void* wave) {
    for (Sound& s : sounds) {
        if (s.key != wave) continue;
        int n = 0;
        for (Voice& v : s.voices) n += VoicePlaying(s, v) ? 1 : 0;
        return n;
    }
    return 0;
}

bool ScriptedPlatform::IsLooping(const void* wave) {
    for (Sound& s : sounds) {
        if (s.key == wave) return VoicePlaying(s, s.voices[0]) && s.voices[0].looping;
    }
    return false;
}
