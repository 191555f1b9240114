// The character-to-key table (see Keymap.h).
#include "platform/Keymap.h"

namespace {

struct Pair {
    unsigned char base;
    unsigned char shifted;
};

// Shift on the German layout (Windows-1252 bytes).
constexpr Pair kGermanShift[] = {{'1', '!'},  {'2', '"'},  {'3', 0xA7}, {'4', '$'},  {'5', '%'},
                                 {'6', '&'},  {'7', '/'},  {'8', '('},  {'9', ')'},  {'0', '='},
                                 {0xDF, '?'}, {0xB4, '`'}, {'+', '*'},  {'#', '\''}, {'<', '>'},
                                 {',', ';'},  {'.', ':'},  {'-', '_'},  {'^', 0xB0}};
// AltGr on the German layout.
constexpr Pair kGermanAltGr[] = {{'2', 0xB2}, {'3', 0xB3}, {'7', '{'},   {'8', '['},
                                 {'9', ']'},  {'0', '}'},  {0xDF, '\\'}, {'+', '~'},
                                 {'q', '@'},  {'e', 0x80}, {'<', '|'},   {'m', 0xB5}};
// Shift on the US layout.
constexpr Pair kUsShift[] = {
    {'1', '!'},  {'2', '@'}, {'3', '#'},  {'4', '$'}, {'5', '%'}, {'6', '^'}, {'7', '&'},
    {'8', '*'},  {'9', '('}, {'0', ')'},  {'-', '_'}, {'=', '+'}, {'[', '{'}, {']', '}'},
    {'\\', '|'}, {';', ':'}, {'\'', '"'}, {',', '<'}, {'.', '>'}, {'/', '?'}, {'`', '~'}};

// The capital of a small letter of Windows-1252, or 0.
unsigned char CapitalOf(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    switch (c) {
        case 0x9A:
            return 0x8A;  // š
        case 0x9C:
            return 0x8C;  // œ
        case 0x9E:
            return 0x8E;  // ž
        case 0xFF:
            return 0x9F;  // ÿ
        default:
            return 0;
    }
}

}  // namespace

void Keymap::Set(int character, const KeyChord& chord) {
    // The first way found wins, so a character that a key types without
    // modifiers is never taken for a shifted one.
    if (character >= 0 && character < 256 && table[character].key < 0) table[character] = chord;
}

void Keymap::Build(const std::vector<KeyLabel>& keys, const ControlKeys& controls) {
    table = {};
    Set(8, {controls.backspace});
    Set(9, {controls.tab});
    Set(13, {controls.enter});
    Set(27, {controls.escape});

    bool german = false;
    for (const KeyLabel& label : keys) {
        const int c = UnicodeToWindows1252(label.character);
        if (c < 32) continue;
        Set(c, {label.key});
        german = german || c == 0xDF || c == 0xE4 || c == 0xF6 || c == 0xFC;
    }
    for (const KeyLabel& label : keys) {
        const int c = UnicodeToWindows1252(label.character);
        if (c < 32) continue;
        if (const unsigned char capital = CapitalOf(static_cast<unsigned char>(c))) {
            Set(capital, {label.key, true});
        }
    }
    auto addPairs = [&](const auto& pairs, bool shift, bool ctrlAlt) {
        for (const Pair& pair : pairs) {
            const KeyChord base = table[pair.base];
            if (base.key < 0 || base.shift || base.ctrl || base.alt) continue;
            Set(pair.shifted, {base.key, shift, ctrlAlt, ctrlAlt});
        }
    };
    if (german) {
        addPairs(kGermanShift, true, false);
        addPairs(kGermanAltGr, false, true);
    } else {
        addPairs(kUsShift, true, false);
    }
    altGr = german;
}
