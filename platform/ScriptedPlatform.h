// A complete platform that lives in memory: a virtual millisecond clock,
// scripted keys, mouse and typed text, a frame buffer in RAM, and a model of
// the sound table that answers exactly as a real sound device would (voices
// "finish" after their sample duration of virtual time). The tests and the
// headless runner drive the real game through it; files are real disk files
// through FileServices.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/CheatWatcher.h"
#include "platform/FileServices.h"
#include "platform/PlatformServices.h"

class ScriptedPlatform : public PlatformServices {
public:
    explicit ScriptedPlatform(std::string dataFolder = ".", std::string saveFolder = "");
    ~ScriptedPlatform() override;

    // ---- Clock (virtual milliseconds; GetTimeMs returns it) ---------------
    void SetTime(u32 ms);
    void AdvanceTime(u32 ms);
    u32 Now() const { return now; }

    // ---- Keys: held state and a toggle bit that flips on each key-down ----
    // clang-format off
    enum class Key {
        Up, Down, Left, Right, Enter, Space, Escape, Backspace, Pause,
        F1, F2, F3, F4, F5, F6, F7, F8, F9, F10, F11, F12, Shift, Ctrl, Alt
    };
    // clang-format on
    void SetKey(Key k, bool down);
    // The key that types character c on a German layout: letters a-z, digits,
    // space, the umlauts and punctuation. Upper-case letters and shifted
    // punctuation need Shift (hold Key::Shift with SetKey); the AltGr
    // characters need Ctrl and Alt. Pass the unshifted character of the key
    // ('a', '1', '+', ...; ' ' is the space bar, 8 Backspace, 13 Enter).
    // Characters that are not on a key are ignored.
    void SetCharKey(unsigned char c, bool down);
    // Feeds the typed-character (cheat) watcher; keys are not touched.
    void TypeText(const std::string& text);
    void SetMouse(i32 x, i32 y);
    void SetMouseButton(int button /*0 left, 1 right*/, bool down);
    // Called at the start of every key or button query (slots 0-15), so a
    // caller can release keys and advance time while the game waits in an
    // "until released" loop.
    void SetPollHook(std::function<void()> hook);
    // Whether the mouse position can be read (GetMousePosition fails when not).
    void SetMouseReadable(bool readable) { mouseReadable = readable; }
    // Every message the game shows is also written to `out` as one line
    // "CAPTION: TEXT" (headless runs: to standard error). Null: not written.
    void EchoMessagesTo(std::FILE* out) { messageEcho = out; }
    bool IsKeyDown(Key k) const;

    // ---- Frame buffer (800 x 600 by default; pitch rule of the contract) --
    void ResizeScreen(i32 width, i32 height);
    void DestroyScreen();
    // FNV-1a (64 bits) over the visible pixels, row by row, low byte first.
    std::uint64_t FrameHash() const;
    // The frame buffer as an RGB PNG; false when there is no buffer or the
    // file cannot be written.
    bool WritePng(const std::string& path) const;
    i32 ScreenWidth() const { return screenWidth; }
    i32 ScreenHeight() const { return screenHeight; }
    // Pixel (x, y); 0 outside the buffer.
    u16 Pixel(i32 x, i32 y) const;

    // ---- Records ------------------------------------------------------------
    struct SoundEvent {
        enum Kind { Play, LoopStart, LoopStop, PauseAll, ResumeAll, StopAll, Decode } kind;
        const void* wave;
        u32 size;
        bool result;
        u32 timeMs;
    };
    const std::vector<SoundEvent>& SoundLog() const { return soundLog; }
    void ClearSoundLog() { soundLog.clear(); }
    const std::vector<std::pair<std::string, std::string>>& Messages() const { return messages; }
    void ClearMessages() { messages.clear(); }
    bool CursorShown() const { return !cursorHidden; }
    int BeepCount() const { return beeps; }
    // The file PlayWaveFileLooped plays now; empty when none.
    const std::string& WaveFilePlaying() const { return waveFile; }
    FileServices& Files() { return files; }

    // ---- Sound model ------------------------------------------------------
    // Whether a sound device "opened" (true at start). Without one, SoundPlay
    // and SoundLoop fail after registering the sound; the flags still work.
    void SetSoundDevice(bool present) { soundDevice = present; }
    // The host's own pause (focus lost in full screen) and its resume.
    void HostPause();
    void HostResume();
    // Voices of the sound with that image playing now (0..6); loops included.
    int PlayingVoices(const void* wave);
    // Whether voice 0 of the sound plays as a loop now.
    bool IsLooping(const void* wave);
    int RegisteredSounds() const { return static_cast<int>(sounds.size()); }

    // ---- PlatformServices -------------------------------------------------
    bool IsUpArrowPressed() override;
    bool IsDownArrowPressed() override;
    bool IsLeftArrowPressed() override;
    bool IsRightArrowPressed() override;
    bool IsCharKeyPressed(char c) override;
    bool IsFunctionKeyPressed(i32 n) override;
    bool IsBackspacePressed() override;
    bool IsEnterPressed() override;
    bool IsSpacePressed() override;
    bool GetDownArrowToggle() override;
    bool GetUpArrowToggle() override;
    bool IsEscapePressed() override;
    bool IsPausePressed() override;
    bool GetCharKeyToggle(char c) override;
    bool IsLeftButtonPressed() override;
    bool IsRightButtonPressed() override;
    bool GetMousePosition(i32* x, i32* y) override;
    bool ShowMouseCursor(bool show) override;
    bool GetScreenRect(ScreenRect* r) override;
    u16* GetScreenPixels() override;
    i32 GetScreenPitch() override;
    bool ClearScreen() override;
    void SeedRandom(u32 seed) override;
    i32 GetRandomMax() override;
    i32 GetRandom(i32 n) override;
    i32 GetRandomBit() override;
    FileHandle FileOpen(const char* nameOrBase, u8 mode, u32 memorySize) override;
    bool FileClose(FileHandle h, bool isMemory) override;
    i32 FileRead(FileHandle h, void* buffer, i32 count, bool isMemory) override;
    i32 FileWrite(FileHandle h, const void* buffer, u32 count, bool isMemory) override;
    bool FileSeek(FileHandle h, i32 offset, u32 origin, bool isMemory) override;
    u32 FileGetSize(FileHandle h, bool isMemory) override;
    i32 FileTell(FileHandle h, bool isMemory) override;
    const void* FileMap(const char* name) override;
    bool FileUnmap(const void* view) override;
    bool ShellOpen(const char* target) override;
    void DrawScreenText(i32 x, i32 y, const char* text, bool opaque) override;
    void PlayBeep() override;
    void ShowMessage(const char* text, const char* caption) override;
    u32 GetTimeMs() override;
    bool PlayWaveFileLooped(const char* path) override;
    bool StopWaveFile() override;
    bool DecodeOggToWave(const void* ogg, i32 oggSize, void** wave, u32* waveSize) override;
    bool SoundLoop(const void* wave, u32 waveSize, bool start) override;
    bool SoundPlay(const void* wave, u32 waveSize) override;
    bool SoundPauseAll() override;
    bool SoundResumeAll() override;
    bool SoundStopAll() override;
    bool SoundIsPaused() override;
    bool IsCheatCodeEntered() override;

private:
    // Keys are numbered: characters of a key by their unshifted character
    // (0..255), the named keys after them.
    static constexpr int kKeyCount = 256 + 24;
    struct CharKey {
        int key = -1;  // -1: no key types it
        bool shift = false, ctrl = false, alt = false;
    };
    struct Voice {
        bool exists = false;
        bool playing = false;
        bool looping = false;
        bool wasPlaying = false;
        u32 startMs = 0;                 // virtual time the current run started
        std::uint64_t startFrame = 0;    // frame it started from
        std::uint64_t stoppedFrame = 0;  // where it stands while not playing
    };
    struct Sound {
        const void* key = nullptr;
        u32 frames = 0;  // sample frames of the data chunk
        u32 rate = 0;
        bool loopFlag = false;
        std::array<Voice, 6> voices{};
    };

    static int NamedKey(Key k) { return 256 + static_cast<int>(k); }
    void Poll();
    bool Held(int key) const { return key >= 0 && key < kKeyCount && held[key]; }
    CharKey LookUp(unsigned char c) const;
    bool ModifiersHeld(const CharKey& ck) const;
    void SetKeyIndex(int key, bool down);

    Sound* FindOrRegister(const void* wave, u32 size);
    bool VoicePlaying(const Sound& s, Voice& v);  // brings v up to the clock
    std::uint64_t VoicePosition(const Sound& s, const Voice& v) const;
    void StopVoice(Sound& s, Voice& v);
    void StartVoice(Voice& v, bool loop);
    bool Pause(bool game);
    bool Resume(bool game);
    void Log(SoundEvent::Kind kind, const void* wave, u32 size, bool result);

    FileServices files;
    u32 now = 0;
    std::array<bool, kKeyCount> held{};
    std::array<bool, kKeyCount> toggle{};
    std::function<void()> pollHook;
    bool inPollHook = false;
    i32 mouseX = 0, mouseY = 0;
    bool mouseButtons[2] = {false, false};
    bool mouseReadable = true;
    std::FILE* messageEcho = nullptr;
    bool cursorHidden = false;
    CheatWatcher cheat;

    std::vector<u16> screen;
    i32 screenWidth = 0, screenHeight = 0, screenPitch = 0;
    bool hasScreen = false;

    std::vector<Sound> sounds;
    bool soundDevice = true;
    bool paused = false;
    bool gamePaused = false;
    std::vector<SoundEvent> soundLog;
    std::vector<std::pair<std::string, std::string>> messages;
    std::string waveFile;
    int beeps = 0;
};
