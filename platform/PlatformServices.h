// The contract between the game and the machine: the one object through which
// the game reaches keys, mouse, the frame buffer, random numbers, files, the
// clock and sound. The host creates it before GameInit and keeps it alive until
// after GameShutdown; the game never calls the operating system itself.
//
// The 50 operations keep their slot order (0..49). Failure is always reported
// by the result (-1, 0xFFFFFFFF, false or null); nothing throws.
#pragma once

#include <cstdint>

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using i16 = std::int16_t;
using i32 = std::int32_t;
using u32 = std::uint32_t;

// A disk file's descriptor, or for a memory file the base address of its bytes.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Left, top, right, bottom in frame-buffer pixels; right and bottom exclusive.
struct ScreenRect {
    i32 left;
    i32 top;
    i32 right;
    i32 bottom;
};

// FileOpen mode bits.
inline constexpr u8 kFileRead = 1;    // the file must exist
inline constexpr u8 kFileWrite = 2;   // created, or truncated to 0 bytes
inline constexpr u8 kFileRandom = 4;  // access hint only

// FileSeek origins.
inline constexpr u32 kSeekCurrent = 4;
inline constexpr u32 kSeekEnd = 2;  // any other value seeks from the start

class PlatformServices {
public:
    // ---- Keyboard (slots 0-13) --------------------------------------------
    // "Pressed" means physically held at the moment of the call: read live,
    // never latched per tick, so a tight polling loop sees the key come up.

    // Slots 0-3: the four cursor keys.
    virtual bool IsUpArrowPressed() = 0;
    virtual bool IsDownArrowPressed() = 0;
    virtual bool IsLeftArrowPressed() = 0;
    virtual bool IsRightArrowPressed() = 0;
    // Slot 4: the key that types c (Windows-1252) is held and every modifier c
    // needs (Shift, then Ctrl, then Alt) is held too. Modifiers c does not need
    // are ignored, so 'a' is true with Shift held. A character no key types
    // is false; character 8 tests Backspace.
    virtual bool IsCharKeyPressed(char c) = 0;
    // Slot 5: n = 2..12 tests F2..F12; every other n (1 included) tests F1.
    virtual bool IsFunctionKeyPressed(i32 n) = 0;
    // Slots 6-8: Backspace, the main Enter key, the space bar.
    virtual bool IsBackspacePressed() = 0;
    virtual bool IsEnterPressed() = 0;
    virtual bool IsSpacePressed() = 0;
    // Slots 9-10: toggle bit of cursor down / up; it flips on every key-down,
    // so callers compare readings rather than read absolute values.
    virtual bool GetDownArrowToggle() = 0;
    virtual bool GetUpArrowToggle() = 0;
    // Slots 11-12: Escape, Pause.
    virtual bool IsEscapePressed() = 0;
    virtual bool IsPausePressed() = 0;
    // Slot 13: the modifier rule of slot 4, then the toggle bit of c's key.
    virtual bool GetCharKeyToggle(char c) = 0;

    // ---- Mouse (slots 14-17) ----------------------------------------------

    // Slots 14-15: the physical left and right buttons, read live.
    virtual bool IsLeftButtonPressed() = 0;
    virtual bool IsRightButtonPressed() = 0;
    // Slot 16: cursor in frame-buffer coordinates, unclamped (may be negative
    // or beyond the buffer). False, x and y untouched, when it cannot be read.
    virtual bool GetMousePosition(i32* x, i32* y) = 0;
    // Slot 17: shows or hides the cursor over the window. One state, no
    // counting: hiding twice and showing once leaves it shown. Always false.
    virtual bool ShowMouseCursor(bool show) = 0;

    // ---- Frame buffer (slots 18-21) ---------------------------------------
    // Pixels are 16 bits: red 10-14, green 5-9, blue 0-4, bit 15 zero; rows top
    // first. The buffer may be re-created (minimised: 1 x 1), so the game asks
    // for rectangle, pixels and pitch anew in every frame.

    // Slot 18: writes {0, 0, width, height}; false and nothing written when
    // there is no frame buffer.
    virtual bool GetScreenRect(ScreenRect* r) = 0;
    // Slot 19: the top-left pixel; pixel (x, y) is at byte y * pitch + 2x.
    // Null when there is no frame buffer.
    virtual u16* GetScreenPixels() = 0;
    // Slot 20: bytes per row: 2 * width, plus 2 when the width is odd. 0 when
    // there is no frame buffer.
    virtual i32 GetScreenPitch() = 0;
    // Slot 21: every pixel black before it returns; true.
    virtual bool ClearScreen() = 0;

    // ---- Random numbers (slots 22-25) -------------------------------------
    // One process-wide state shared with every random draw of the game
    // (platform/Random.h): state = state * 214013 + 2531011, a draw is bits
    // 16-30 of the new state (0..32767).

    // Slot 22: sets the state.
    virtual void SeedRandom(u32 seed) = 0;
    // Slot 23: 32767.
    virtual i32 GetRandomMax() = 0;
    // Slot 24: the next draw modulo min(n, 32767); n must be at least 1.
    virtual i32 GetRandom(i32 n) = 0;
    // Slot 25: the lowest bit of the next draw.
    virtual i32 GetRandomBit() = 0;

    // ---- Files (slots 26-34) ----------------------------------------------
    // Disk files, memory files (registered byte ranges whose bytes come out of
    // FileRead XORed with 0xB7) and mapped files. Every operation but
    // FileMap/FileUnmap takes isMemory, which must match how the file was
    // opened. Names with backslashes ("Config\Text.txt") are game names; the
    // host maps them to its own paths.

    // Slot 26: memorySize 0: opens a disk file with the mode bits above (no
    // sharing: a second open of an open file fails). memorySize > 0:
    // nameOrBase is the base of memorySize bytes, registered in the first free
    // of 10 slots with position 0; the base is the handle. -1 on failure.
    virtual FileHandle FileOpen(const char* nameOrBase, u8 mode, u32 memorySize) = 0;
    // Slot 27: closes a disk file, or frees the first memory slot with base h
    // (false when none has it).
    virtual bool FileClose(FileHandle h, bool isMemory) = 0;
    // Slot 28: reads up to count bytes at the position; the number read, 0 at
    // the end, -1 on failure (or no memory slot with base h).
    virtual i32 FileRead(FileHandle h, void* buffer, i32 count, bool isMemory) = 0;
    // Slot 29: writes count bytes; the number written or -1. Memory files
    // cannot be written: -1 and nothing done.
    virtual i32 FileWrite(FileHandle h, const void* buffer, u32 count, bool isMemory) = 0;
    // Slot 30: origin 4 from the current position, 2 from the end, anything
    // else from the start. A memory file's new position must lie in 0..size,
    // otherwise false and the position stays.
    virtual bool FileSeek(FileHandle h, i32 offset, u32 origin, bool isMemory) = 0;
    // Slot 31: size in bytes; 0xFFFFFFFF on failure.
    virtual u32 FileGetSize(FileHandle h, bool isMemory) = 0;
    // Slot 32: current position; -1 on failure.
    virtual i32 FileTell(FileHandle h, bool isMemory) = 0;
    // Slot 33: maps a whole disk file read-only (opened through FileOpen(name,
    // 1, 0), kept open while mapped) in the first free of 10 slots. Null when
    // no slot is free, the file cannot be opened or cannot be mapped.
    virtual const void* FileMap(const char* name) = 0;
    // Slot 34: unmaps the view, closes its mapping and its file, frees the
    // slot. True only if all succeeded; false (nothing done) for an unknown
    // view.
    virtual bool FileUnmap(const void* view) = 0;

    // ---- Miscellaneous (slots 35-39) --------------------------------------

    // Slot 35: asks the desktop to open a document or address. True if the
    // request was accepted.
    virtual bool ShellOpen(const char* target) = 0;
    // Slot 36: white (0x7FFF) text in the host's fixed font with the first
    // cell's top-left at (x, y); CR and LF start a new line at x; clipped at
    // the buffer's edges. opaque fills each cell black first. Debug read-outs.
    virtual void DrawScreenText(i32 x, i32 y, const char* text, bool opaque) = 0;
    // Slot 37: a short 400 Hz beep.
    virtual void PlayBeep() = 0;
    // Slot 38: a modal message with one OK button; returns when it is closed.
    // The main loop stands still meanwhile.
    virtual void ShowMessage(const char* text, const char* caption) = 0;
    // Slot 39: milliseconds since an arbitrary start, wrapping at 2^32;
    // compare readings only by unsigned subtraction.
    virtual u32 GetTimeMs() = 0;

    // ---- Sound (slots 40-48) ----------------------------------------------
    // A sound is a complete RIFF/WAVE image in memory, identified by its
    // address: the same address always means the same sound. Up to 64 sounds,
    // six voices each. The host copies the samples on first play.

    // Slot 40: plays a wave file from disk, looping, outside the sound table;
    // a new call replaces the previous one. False if it cannot start.
    virtual bool PlayWaveFileLooped(const char* path) = 0;
    // Slot 41: stops what slot 40 started; true on success.
    virtual bool StopWaveFile() = 0;
    // Slot 42: decodes a whole Ogg Vorbis file into a new RIFF/WAVE image of
    // 16-bit PCM allocated with malloc; the caller frees it. False on any
    // failure, outputs untouched.
    virtual bool DecodeOggToWave(const void* ogg, i32 oggSize, void** wave, u32* waveSize) = 0;
    // Slot 43: start: loops the sound on its voice 0 from the beginning; false
    // (nothing changed) if that voice already plays; true and nothing done
    // while paused. Stop: stops a playing loop; false when it is not playing
    // as a loop (always while paused).
    virtual bool SoundLoop(const void* wave, u32 waveSize, bool start) = 0;
    // Slot 44: plays the sound once on a free one of its six voices; false
    // when all six play; true and nothing done while paused.
    virtual bool SoundPlay(const void* wave, u32 waveSize) = 0;
    // Slot 45: the game's pause: false if already on; otherwise stops every
    // playing voice (remembering it) and returns true.
    virtual bool SoundPauseAll() = 0;
    // Slot 46: ends the game's pause (false if it was off) and, unless the
    // host still pauses, restarts the remembered voices where they stopped.
    virtual bool SoundResumeAll() = 0;
    // Slot 47: stops and rewinds every voice, forgets the remembered ones;
    // the paused state stays. True.
    virtual bool SoundStopAll() = 0;
    // Slot 48: paused by the game or by the host (focus lost in full screen).
    virtual bool SoundIsPaused() = 0;

    // ---- Cheat code (slot 49) ---------------------------------------------

    // Slot 49: true once "74qv19" has been typed among the last ten characters
    // typed into the window (never before ten characters); stays true.
    virtual bool IsCheatCodeEntered() = 0;

    virtual ~PlatformServices() = default;
};
