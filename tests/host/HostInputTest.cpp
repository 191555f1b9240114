// The character-to-key table on fake German and US layouts, the modifier
// rule, toggles, the cursor's one state, typed text for the cheat code and
// the mouse on a scaled picture.
#include "platform/HostInput.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// Key numbers of the fake layouts are the positions on a PC keyboard, so the
// same number is the same physical key on both.
enum : int { kBackspace = 200, kTab, kEnter, kEscape };

std::vector<Keymap::KeyLabel> Layout(const std::u32string& rows) {
    std::vector<Keymap::KeyLabel> keys;
    int position = 0;
    for (char32_t c : rows) keys.push_back({position++, static_cast<u32>(c)});
    return keys;
}

// Number row, three letter rows (with the key left of Y/Z) and the space bar.
const std::u32string kGerman = U"^1234567890ß´qwertzuiopü+asdfghjklöä#<yxcvbnm,.- ";
const std::u32string kUs = U"`1234567890-=qwertyuiop[]asdfghjkl;'\\\\zxcvbnm,./ ";

int KeyOf(const std::u32string& rows, char32_t c) {
    return static_cast<int>(rows.find(c));
}

Keymap::ControlKeys Controls() {
    return {kBackspace, kTab, kEnter, kEscape};
}

TEST(HostInput, GermanLayoutTypesEveryCharacterWithItsModifiers) {
    HostInput input;
    input.Keys().Build(Layout(kGerman), Controls());
    const Keymap& keys = input.Keys();
    struct Case {
        unsigned char c;
        char32_t base;
        bool shift, ctrlAlt;
    };
    const Case cases[] = {
        {'a', U'a', false, false},  {'A', U'a', true, false},  {'z', U'z', false, false},
        {'Z', U'z', true, false},   {'y', U'y', false, false}, {'"', U'2', true, false},
        {0xA7, U'3', true, false},  {'?', U'ß', true, false},  {0xDF, U'ß', false, false},
        {0xE4, U'ä', false, false}, {0xC4, U'ä', true, false}, {0xFC, U'ü', false, false},
        {0xDC, U'ü', true, false},  {'@', U'q', false, true},  {0x80, U'e', false, true},
        {'\\', U'ß', false, true},  {'|', U'<', false, true},  {'>', U'<', true, false},
        {'_', U'-', true, false},   {'*', U'+', true, false},  {' ', U' ', false, false},
        {'#', U'#', false, false},  {'\'', U'#', true, false}, {'{', U'7', false, true},
    };
    for (const Case& c : cases) {
        const KeyChord chord = keys.Lookup(c.c);
        EXPECT_EQ(KeyOf(kGerman, c.base), chord.key) << "character " << int(c.c);
        EXPECT_EQ(c.shift, chord.shift) << "character " << int(c.c);
        EXPECT_EQ(c.ctrlAlt, chord.ctrl) << "character " << int(c.c);
        EXPECT_EQ(c.ctrlAlt, chord.alt) << "character " << int(c.c);
    }
    EXPECT_TRUE(keys.HasAltGr());
    EXPECT_EQ(kBackspace, keys.Lookup(8).key);
    EXPECT_EQ(kEnter, keys.Lookup(13).key);
    EXPECT_EQ(-1, keys.Lookup(0xA4).key) << "no key types the currency sign";
    EXPECT_EQ(-1, keys.Lookup(1).key);

    // Every character a key types appears once per chord: no two characters
    // claim the same key with the same modifiers.
    std::set<std::tuple<int, bool, bool>> chords;
    for (int c = 32; c < 256; ++c) {
        const KeyChord chord = keys.Lookup(static_cast<unsigned char>(c));
        if (chord.key < 0) continue;
        EXPECT_TRUE(chords.insert({chord.key, chord.shift, chord.ctrl}).second)
            << "character " << c << " shares its chord";
    }
}

TEST(HostInput, UsLayoutUsesItsOwnShiftedCharacters) {
    Keymap keys;
    keys.Build(Layout(kUs), Controls());
    EXPECT_FALSE(keys.HasAltGr());
    EXPECT_EQ(KeyOf(kUs, U'2'), keys.Lookup('@').key);
    EXPECT_TRUE(keys.Lookup('@').shift);
    EXPECT_EQ(KeyOf(kUs, U'\''), keys.Lookup('"').key);
    EXPECT_EQ(KeyOf(kUs, U'y'), keys.Lookup('Y').key);
    EXPECT_EQ(-1, keys.Lookup(0xE4).key) << "no umlaut on a US keyboard";
}

TEST(HostInput, CharacterNeedsItsModifiersAndIgnoresOthers) {
    HostInput input;
    input.Keys().Build(Layout(kGerman), Controls());
    const int a = KeyOf(kGerman, U'a');
    auto onlyA = [a](int key) { return key == a; };
    const HeldModifiers none{}, shift{true, false, false}, altGr{false, true, true};

    EXPECT_TRUE(input.CharKeyPressed('a', none, onlyA));
    EXPECT_FALSE(input.CharKeyPressed('A', none, onlyA)) << "A needs Shift";
    EXPECT_TRUE(input.CharKeyPressed('A', shift, onlyA));
    EXPECT_TRUE(input.CharKeyPressed('a', shift, onlyA)) << "unneeded Shift is ignored";
    EXPECT_FALSE(input.CharKeyPressed('b', shift, onlyA));
    EXPECT_FALSE(input.CharKeyPressed(static_cast<unsigned char>(0xA4), altGr, [](int) {
        return true;
    })) << "a character no key types";

    const int q = KeyOf(kGerman, U'q');
    auto onlyQ = [q](int key) { return key == q; };
    EXPECT_TRUE(input.CharKeyPressed('@', altGr, onlyQ));
    EXPECT_FALSE(input.CharKeyPressed('@', shift, onlyQ));

    // A caller scanning 32..254 meets the capital first when Shift is held.
    auto firstHeld = [&](const HeldModifiers& mods) {
        for (int c = 32; c <= 254; ++c) {
            if (input.CharKeyPressed(static_cast<unsigned char>(c), mods, onlyA)) return c;
        }
        return -1;
    };
    EXPECT_EQ('A', firstHeld(shift));
    EXPECT_EQ('a', firstHeld(none));
}

TEST(HostInput, ToggleFlipsOnEachPressNotOnRepeats) {
    HostInput input;
    input.Keys().Build(Layout(kGerman), Controls());
    const int up = 300;
    const bool before = input.Toggle(up);
    // Pressed and released between two polls: the toggle shows it.
    input.OnKeyDown(up, false);
    EXPECT_NE(before, input.Toggle(up));
    input.OnKeyDown(up, true);
    EXPECT_NE(before, input.Toggle(up)) << "auto-repeat is not a press";
    input.OnKeyDown(up, false);
    EXPECT_EQ(before, input.Toggle(up));

    // Character toggles follow the same rule as the held state.
    const int w = KeyOf(kGerman, U'w');
    input.OnKeyDown(w, false);
    EXPECT_TRUE(input.CharKeyToggle('w', HeldModifiers{}));
    EXPECT_FALSE(input.CharKeyToggle('W', HeldModifiers{}));
    EXPECT_TRUE(input.CharKeyToggle('W', HeldModifiers{true, false, false}));
    input.OnKeyDown(-5, false);  // out of range: ignored
    input.OnKeyDown(HostInput::kMaxKeys, false);
}

TEST(HostInput, CursorHasOneStateThatNeverStacks) {
    HostInput input;
    EXPECT_FALSE(input.CursorHidden()) << "shown at start";
    EXPECT_FALSE(input.ChangeCursor(true)) << "already shown";
    EXPECT_TRUE(input.ChangeCursor(false));
    EXPECT_FALSE(input.ChangeCursor(false)) << "hiding twice changes nothing";
    EXPECT_TRUE(input.ChangeCursor(true));
    EXPECT_FALSE(input.CursorHidden()) << "false twice, true once: visible";
}

TEST(HostInput, TypedTextReachesTheCheatWatcherInTheGamesCodePage) {
    EXPECT_EQ("\xE4\x80\xDF", Utf8ToWindows1252("ä€ß"));
    EXPECT_EQ("ab", Utf8ToWindows1252("a\xE2\x88\x9E"
                                      "b"))
        << "infinity has no byte";
    EXPECT_EQ("b", Utf8ToWindows1252("\xC3"
                                     "b"))
        << "a broken sequence is dropped";
    EXPECT_EQ(0x9F, UnicodeToWindows1252(0x178));
    EXPECT_EQ(-1, UnicodeToWindows1252(0x81));
    EXPECT_EQ("Aufl\xC3\xB6sung \xE2\x82\xAC", Windows1252ToUtf8("Aufl\xF6sung \x80"));
    EXPECT_EQ("\xEF\xBF\xBD", Windows1252ToUtf8("\x81")) << "an unused byte";

    HostInput first;
    first.OnTextTyped("74qv19");
    EXPECT_FALSE(first.CheatEntered()) << "not among the first ten characters";
    HostInput second;
    second.OnTextTyped("äöüß");  // four characters, one byte each in the game's code page
    second.OnTextTyped("74qv1");
    EXPECT_FALSE(second.CheatEntered());
    second.OnTextTyped("9");
    EXPECT_TRUE(second.CheatEntered());
}

TEST(HostInput, MouseMapsOntoTheScaledPicture) {
    i32 x, y;
    // A window of the picture's own size: unchanged, and not clamped.
    WindowToFrameBuffer(-5, 700, 800, 600, 800, 600, &x, &y);
    EXPECT_EQ(-5, x);
    EXPECT_EQ(700, y);
    // 1920 x 1080 desktop: scale 1.8, picture 1440 wide from x = 240.
    WindowToFrameBuffer(240, 0, 1920, 1080, 800, 600, &x, &y);
    EXPECT_EQ(0, x);
    EXPECT_EQ(0, y);
    WindowToFrameBuffer(1679, 1079, 1920, 1080, 800, 600, &x, &y);
    EXPECT_EQ(799, x);
    EXPECT_EQ(599, y);
    WindowToFrameBuffer(0, 540, 1920, 1080, 800, 600, &x, &y);
    EXPECT_EQ(-134, x) << "left of the picture is negative";
    EXPECT_EQ(300, y);
}

}  // namespace
