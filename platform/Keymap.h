// Which key, with which of Shift, Ctrl and Alt, types each character of the
// game's code page (Windows-1252): the table behind IsCharKeyPressed and
// GetCharKeyToggle. Built from the characters the current layout puts on its
// keys without modifiers; the shifted and AltGr characters of the number row
// and punctuation follow the German layout when the keys say it is one (ß or
// an umlaut on a key) and the US layout otherwise. Plain C++: keys are the
// host's own numbers.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/PlatformServices.h"

struct KeyChord {
    int key = -1;  // -1: no key types the character
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

struct HeldModifiers {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

class Keymap {
public:
    // A key and the character (a Unicode code point) it types unmodified.
    struct KeyLabel {
        int key;
        u32 character;
    };
    // Keys that type control characters.
    struct ControlKeys {
        int backspace = -1;
        int tab = -1;
        int enter = -1;
        int escape = -1;
    };

    void Build(const std::vector<KeyLabel>& keys, const ControlKeys& controls);

    // The key and modifiers that type c; key -1 when none does.
    KeyChord Lookup(unsigned char c) const { return table[c]; }
    // AltGr stands for Ctrl and Alt together (as it does where the game comes
    // from), so the AltGr characters of a German layout are reachable.
    bool HasAltGr() const { return altGr; }

    // The rule of the character queries: every modifier c needs (Shift, then
    // Ctrl, then Alt) must be held, modifiers it does not need are ignored,
    // and then the key itself decides (held state or toggle bit, whatever
    // keyIsSet reports). A character no key types is false.
    template <typename KeyIsSet>
    bool Query(unsigned char c, const HeldModifiers& held, KeyIsSet keyIsSet) const {
        const KeyChord& chord = table[c];
        if (chord.key < 0) return false;
        if (chord.shift && !held.shift) return false;
        if (chord.ctrl && !held.ctrl) return false;
        if (chord.alt && !held.alt) return false;
        return keyIsSet(chord.key);
    }

private:
    void Set(int character, const KeyChord& chord);

    std::array<KeyChord, 256> table{};
    bool altGr = false;
};
