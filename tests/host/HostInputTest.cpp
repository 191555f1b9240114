// The character-to-key table on fake German and US layouts, the modifier
// rule, toggles, the cursor's one state, typed text for the cheat code and
// the mouse on a scaled picture.
#include "platform/HostInput.h"

#include <gtest/gtest.h>

#include <cstdlib>
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

TEST(HostInput, ControlCharactersReachTheCheatWatcher) {
    EXPECT_EQ(13, ControlCharacterOf(13, false, false));
    EXPECT_EQ(8, ControlCharacterOf(8, false, false));
    EXPECT_EQ(27, ControlCharacterOf(27, false, false));
    EXPECT_EQ(9, ControlCharacterOf(9, false, false));
    EXPECT_EQ(1, ControlCharacterOf('a', true, false));
    EXPECT_EQ(26, ControlCharacterOf('z', true, false));
    EXPECT_EQ(10, ControlCharacterOf(13, true, false));
    EXPECT_EQ(-1, ControlCharacterOf('a', false, false)) << "text comes as text input";
    EXPECT_EQ(-1, ControlCharacterOf('q', true, true)) << "AltGr types text";
    EXPECT_EQ(-1, ControlCharacterOf(13, false, true)) << "Alt+Enter is no character";

    // Ten characters in all, the code among them, but an Enter typed after
    // it pushes it partly out of the last ten: the code must be typed as it
    // stands, Enter and Backspace counting as characters.
    HostInput typed;
    typed.OnTextTyped("xxxx74qv1");
    typed.OnControlCharacter(8);
    typed.OnTextTyped("19");
    EXPECT_FALSE(typed.CheatEntered()) << "a Backspace inside the code breaks it";
    typed.OnTextTyped("74qv");
    typed.OnControlCharacter(13);
    typed.OnTextTyped("19");
    EXPECT_FALSE(typed.CheatEntered()) << "an Enter inside the code breaks it";
    for (unsigned char c : {13, 27, 9, 8}) typed.OnControlCharacter(c);
    typed.OnTextTyped("74qv19");
    EXPECT_TRUE(typed.CheatEntered()) << "control characters count toward the first ten";
}

TEST(HostInput, PictureLayoutAndMouseMappingThroughScaleLetterboxAndResize) {
    // Sharp: whole multiples only, letterboxed; smooth fills keeping 4:3.
    auto same = [](PictureLayout a, PictureLayout b) {
        return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
    };
    EXPECT_TRUE(same({0, 0, 800, 600}, LayoutPicture(800, 600, 800, 600, false)));
    EXPECT_TRUE(same({560, 240, 800, 600}, LayoutPicture(1920, 1080, 800, 600, false)));
    EXPECT_TRUE(same({240, 0, 1440, 1080}, LayoutPicture(1920, 1080, 800, 600, true)));
    EXPECT_TRUE(same({320, 0, 3200, 2400}, LayoutPicture(3840, 2400, 800, 600, false)));
    EXPECT_TRUE(same({0, 25, 400, 300}, LayoutPicture(400, 350, 800, 600, false)))
        << "smaller than the picture: shrunk to fit";
    // Every window size: the picture lies inside, keeps 4:3 within a pixel,
    // and a sharp picture is a whole multiple whenever one fits.
    for (i32 w = 1; w < 2000; w += 37) {
        for (i32 h = 1; h < 1500; h += 41) {
            for (bool smooth : {false, true}) {
                const PictureLayout at = LayoutPicture(w, h, 800, 600, smooth);
                ASSERT_TRUE(at.x >= 0 && at.y >= 0 && at.x + at.w <= w && at.y + at.h <= h)
                    << w << "x" << h;
                ASSERT_LE(std::abs(at.w * 3 - at.h * 4), 4) << w << "x" << h;
                if (!smooth && w >= 800 && h >= 600) {
                    ASSERT_EQ(0, at.w % 800) << w << "x" << h;
                }
            }
        }
    }

    i32 x, y;
    // A window of the picture's own size: unchanged, and not clamped.
    WindowToFrameBuffer(-5, 700, LayoutPicture(800, 600, 800, 600, false), 800, 600, &x, &y);
    EXPECT_EQ(-5, x);
    EXPECT_EQ(700, y);
    // 1920 x 1080 smooth: scale 1.8, picture 1440 wide from x = 240.
    const PictureLayout wide = LayoutPicture(1920, 1080, 800, 600, true);
    WindowToFrameBuffer(1679, 1079, wide, 800, 600, &x, &y);
    EXPECT_EQ(799, x);
    EXPECT_EQ(599, y);
    WindowToFrameBuffer(0, 540, wide, 800, 600, &x, &y);
    EXPECT_EQ(-134, x) << "left of the picture is negative";
    EXPECT_EQ(300, y);

    // The pointer mapper: a window at (100, 70) resized to 1700 x 1300 shows
    // the picture twice as large, centred; each pixel's square maps back to it.
    PointerMapper pointer;
    pointer.SetPicture(800, 600, false);
    pointer.SetFullScreen(false, {0, 0, 1920, 1080});
    pointer.SetWindow({100, 70, 1700, 1300});
    for (const auto& [px, py] : {std::pair{0, 0}, {799, 599}, {400, 300}, {123, 456}}) {
        for (i32 corner : {0, 1}) {
            pointer.Map(100 + 50 + 2 * px + corner, 70 + 50 + 2 * py + corner, &x, &y);
            EXPECT_EQ(px, x);
            EXPECT_EQ(py, y);
        }
    }
    // Full screen on a second display: the display counts, and it keeps
    // counting while the window, just regaining the focus, still reports
    // its old place and size.
    pointer.SetFullScreen(true, {1920, 0, 2560, 1440});
    for (const PointerMapper::Box& transient :
         {PointerMapper::Box{100, 70, 800, 600}, PointerMapper::Box{1920, 0, 1, 1},
          PointerMapper::Box{1920, 0, 2560, 1440}}) {
        pointer.SetWindow(transient);
        // 2560 x 1440: twice the picture, from (480, 120) on the display.
        pointer.Map(1920 + 480 + 2 * 400, 120 + 2 * 300, &x, &y);
        EXPECT_EQ(400, x);
        EXPECT_EQ(300, y);
    }
    pointer.SetFullScreen(false, {1920, 0, 2560, 1440});
    pointer.SetWindow({100, 70, 800, 600});
    pointer.Map(100 + 400, 70 + 300, &x, &y);
    EXPECT_EQ(400, x) << "back in the window";
    EXPECT_EQ(300, y);
}

TEST(HostInput, GamepadHoldsTheGamesKeysAndTypesNames) {
    PadState s;
    EXPECT_EQ(0u, PadInput::KeysOf(s, false));
    s.a = true;
    EXPECT_EQ(kPadSpace | kPadEnter, PadInput::KeysOf(s, false)) << "A saws and chooses";
    s = {};
    s.b = true;
    EXPECT_EQ(kPadEscape, PadInput::KeysOf(s, false));
    s = {};
    s.start = true;
    EXPECT_EQ(kPadEscape, PadInput::KeysOf(s, false));
    EXPECT_EQ(kPadEnter, PadInput::KeysOf(s, true)) << "Start ends a name";
    s = {};
    s.x = true;
    EXPECT_EQ(kPadUp, PadInput::KeysOf(s, false)) << "X threatens";
    s = {};
    s.y = true;
    EXPECT_EQ(kPadDown, PadInput::KeysOf(s, false)) << "Y refills";
    s = {};
    s.stickX = -PadInput::kStickThreshold;
    s.stickY = PadInput::kStickThreshold - 1;
    EXPECT_EQ(kPadLeft, PadInput::KeysOf(s, false)) << "the stick beyond its dead zone";
    s = {};
    s.right = true;
    s.up = true;
    EXPECT_EQ(kPadRight | kPadUp, PadInput::KeysOf(s, false));

    // Presses are reported once, for the toggle bits.
    PadInput pad;
    s = {};
    s.down = true;
    EXPECT_EQ(kPadDown, pad.Update(s, 1000));
    EXPECT_EQ(0u, pad.Update(s, 1016)) << "held, not pressed again";
    EXPECT_EQ(0u, pad.Update(PadState{}, 1032));
    EXPECT_EQ(kPadDown, pad.Update(s, 1048));

    // Name entry: the game asks for characters; the pad types strokes that
    // are held, then released, one after the other.
    PadInput name;
    u32 now = 5000;
    auto step = [&](PadState state) {
        name.NoteCharacterQuery(now);
        name.Update(state, now);
        now += 16;
        name.Update(PadState{}, now);
    };
    // What the game reads over the next half second: each stroke once.
    auto typed = [&]() {
        std::string out;
        int last = -1;
        for (int t = 0; t < 60; ++t, now += 10) {
            name.NoteCharacterQuery(now);
            int held = -1;
            for (int c : {8, int('A'), int('B'), int('C'), int('Z'), int(' '), int('9')})
                if (name.Types(static_cast<unsigned char>(c), now)) held = c;
            if (held != -1 && held != last) out += held == 8 ? '<' : static_cast<char>(held);
            last = held;
        }
        return out;
    };
    PadState down, up, a, b;
    down.down = true;
    up.stickY = -32768;
    a.a = true;
    b.b = true;
    step(down);  // shows B
    EXPECT_EQ("B", typed());
    step(down);  // B becomes C
    EXPECT_EQ("<C", typed());
    step(a);  // takes C
    EXPECT_EQ("", typed());
    step(up);  // shows B after the C
    step(up);  // B becomes A
    EXPECT_EQ("B<A", typed());
    step(up);  // A becomes the last character, the space
    EXPECT_EQ("< ", typed());
    step(b);  // deletes it
    step(a);  // nothing shown: types the current letter again
    EXPECT_EQ("< ", typed());
    EXPECT_EQ(' ', name.Letter());
    // Start is Enter while a name is typed, Escape otherwise.
    PadState start;
    start.start = true;
    name.NoteCharacterQuery(now);
    name.Update(start, now);
    EXPECT_EQ(kPadEnter, name.Held());
    now += PadInput::kNameEntryMs;
    name.Update(start, now);
    EXPECT_EQ(kPadEscape, name.Held()) << "no longer asked for characters";
}

}  // namespace
