// The input state a desktop host keeps besides what the device reports live:
// the toggle bit of every key, the cursor's one shown/hidden state, the
// typed-character watcher and the character-to-key table, plus the mapping
// of window coordinates onto the (possibly scaled) frame buffer. Plain C++;
// the SDL host feeds it events and asks it the game's questions.
#pragma once

#include <array>
#include <deque>

#include "platform/CheatWatcher.h"
#include "platform/Keymap.h"
#include "platform/PlatformServices.h"

class HostInput {
public:
    static constexpr int kMaxKeys = 512;

    Keymap& Keys() { return keymap; }
    const Keymap& Keys() const { return keymap; }

    // A key went down. The toggle bit flips on each press, not on the
    // repeats of a held key.
    void OnKeyDown(int key, bool repeat);
    bool Toggle(int key) const { return key >= 0 && key < kMaxKeys && toggles[key]; }

    // Text typed into the window, as UTF-8; each character is fed to the
    // watcher in Windows-1252.
    void OnTextTyped(const char* utf8);
    // A key went down (auto-repeats included) that types a control character
    // rather than text: Enter, Backspace, Escape, Tab, Ctrl+letter. The
    // watcher sees every character the window receives, these too.
    void OnControlCharacter(unsigned char c) { cheat.OnCharacter(c); }
    bool CheatEntered() const { return cheat.Entered(); }

    // ShowMouseCursor's one state: true when the system cursor must now be
    // shown or hidden, false when it already is (calls never stack).
    bool ChangeCursor(bool show);
    bool CursorHidden() const { return cursorHidden; }

    // The character queries: held(key) is the live state of a key.
    template <typename Held>
    bool CharKeyPressed(unsigned char c, const HeldModifiers& mods, Held held) const {
        return keymap.Query(c, mods, held);
    }
    bool CharKeyToggle(unsigned char c, const HeldModifiers& mods) const {
        return keymap.Query(c, mods, [this](int key) { return Toggle(key); });
    }

private:
    Keymap keymap;
    std::array<bool, kMaxKeys> toggles{};
    CheatWatcher cheat;
    bool cursorHidden = false;
};

// The control character a key types, as the window receives it: key is the
// character the key types without modifiers (Enter 13, Backspace 8, Tab 9,
// Escape 27, letters in small case). -1 when the key types text instead (or
// nothing): Ctrl+letter gives 1 ... 26, Ctrl+[ \ ] 27 ... 29, Ctrl+Enter 10,
// Ctrl+Backspace 127. With Alt held (AltGr too) nothing is a control character.
int ControlCharacterOf(u32 key, bool ctrl, bool alt);

// Where the picture lies in an area (window or screen) of areaW x areaH.
struct PictureLayout {
    i32 x = 0, y = 0, w = 0, h = 0;
};
// Sharp (the default): the largest whole multiple of the bufferW x bufferH
// picture that fits, centred, so that every pixel is a square of screen
// pixels; an area smaller than the picture gets it shrunk to fit. Smooth: as
// large as fits, keeping the shape. Either way letterboxed, never stretched.
PictureLayout LayoutPicture(i32 areaW, i32 areaH, i32 bufferW, i32 bufferH, bool smooth);

// A point of the area in frame-buffer pixels, the picture lying at layout.
// Not clamped: outside the picture gives negative or too large values, as
// the game expects of a cursor outside the window.
void WindowToFrameBuffer(i32 areaX, i32 areaY, const PictureLayout& layout, i32 bufferW,
                         i32 bufferH, i32* x, i32* y);

// The pointer on the desktop mapped onto the frame buffer. The mapping is
// kept from what the host decided, not from what the window reports while
// it is being moved between modes: in full screen the picture covers the
// display the window is on, whatever size the window has in the frames
// after a focus change or a mode switch.
class PointerMapper {
public:
    struct Box {
        i32 x = 0, y = 0, w = 0, h = 0;
    };
    void SetPicture(i32 bufferW, i32 bufferH, bool smooth);
    void SetFullScreen(bool on, const Box& display);
    // The window's client area on the desktop, as last reported.
    void SetWindow(const Box& window) { windowBox = window; }
    bool FullScreen() const { return fullScreen; }
    // The area the picture is laid out in: the display or the window.
    Box Area() const { return fullScreen ? displayBox : windowBox; }
    void Map(i32 desktopX, i32 desktopY, i32* x, i32* y) const;

private:
    bool fullScreen = false;
    bool smooth = false;
    i32 bufferW = 800, bufferH = 600;
    Box displayBox, windowBox;
};

// ---- Gamepad ------------------------------------------------------------------

// What a pad reports that the game uses: face buttons, Start, the d-pad and
// the left stick (-32768 ... 32767, right and down positive).
struct PadState {
    bool a = false, b = false, x = false, y = false, start = false;
    bool up = false, down = false, left = false, right = false;
    i32 stickX = 0, stickY = 0;
};

// The game's keys a pad can hold.
enum PadKey : u32 {
    kPadUp = 1,
    kPadDown = 2,
    kPadLeft = 4,
    kPadRight = 8,
    kPadSpace = 16,
    kPadEnter = 32,
    kPadEscape = 64,
};

// Turns the pad into keys the game already knows, so that the game sees a
// keyboard: the d-pad or the stick are the cursor keys, A is Space (the saw)
// and Enter (menus) at once, B and Start are Escape, X is Up (threaten), Y is
// Down (refill). While a name is typed for the high-score table the pad
// types instead: up and down step through the letters (the letter shows in
// the name at once), A takes it, B deletes, Start is Enter.
class PadInput {
public:
    static constexpr i32 kStickThreshold = 16384;
    static constexpr u32 kStrokeMs = 50;       // a typed character is held this long, then released as long
    static constexpr u32 kNameEntryMs = 500;   // the game asked for characters this recently

    // The live state of all pads together (several may be connected).
    // Returns the keys that went down since the last call (for the toggle
    // bits), and drives the name entry.
    u32 Update(const PadState& state, u32 nowMs);
    // The keys held by the pads as last updated.
    u32 Held() const { return held; }
    // The keys a pad state holds (name entry: only Start, as Enter).
    static u32 KeysOf(const PadState& state, bool nameEntry);

    // The game asked whether a character key is down: it is taking a name.
    void NoteCharacterQuery(u32 nowMs) {
        lastCharacterQuery = nowMs;
        askedForCharacters = true;
    }
    bool NameEntry(u32 nowMs) const {
        return askedForCharacters && nowMs - lastCharacterQuery < kNameEntryMs;
    }
    // Whether the pad is typing character c (8: Backspace) at nowMs.
    bool Types(unsigned char c, u32 nowMs);
    char Letter() const { return kLetters[letter]; }

private:
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ";
    static constexpr i32 kLetterCount = sizeof(kLetters) - 1;

    void Stroke(char c, u32 nowMs);
    void Advance(u32 nowMs);

    u32 held = 0;
    PadState previous;
    bool previousUp = false, previousDown = false;
    u32 lastCharacterQuery = 0;
    bool askedForCharacters = false;
    i32 letter = 0;
    bool candidate = false;  // the last letter typed may still be changed
    std::deque<char> strokes;
    u32 strokeStart = 0;
};
