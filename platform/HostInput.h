// The input state a desktop host keeps besides what the device reports live:
// the toggle bit of every key, the cursor's one shown/hidden state, the
// typed-character watcher and the character-to-key table, plus the mapping
// of window coordinates onto the (possibly scaled) frame buffer. Plain C++;
// the SDL host feeds it events and asks it the game's questions.
#pragma once

#include <array>

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

// A point of the window in frame-buffer pixels, when a buffer of bufferW x
// bufferH is shown scaled to fit a window of windowW x windowH and centred
// (letterboxed). Not clamped: outside the picture gives negative or too large
// values, as the game expects of a cursor outside the window.
void WindowToFrameBuffer(i32 windowX, i32 windowY, i32 windowW, i32 windowH, i32 bufferW,
                         i32 bufferH, i32* x, i32* y);
