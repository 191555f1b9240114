// The menu buttons and the button screens: hit tests, the highlight
// animation, labels, and the keyboard and mouse rules of each screen.
#include "tests/ui/UiFixture.h"

using uitest::kLargeH;
using uitest::kLargeW;
using uitest::UiFixture;
using Key = ScriptedPlatform::Key;

namespace {

class Menus : public UiFixture {
protected:
    std::string ExtraTexts() override {
        return "#TEXT 30 \"This label is far too long for a\"\n"  // 32 characters
               "#TEXT 31 \"This label fits into the button\"\n";  // 31 characters
    }

    // Holds `key` down and releases it (with every other key) after `polls`
    // key queries, so the screens' "wait until the key is up" loops end.
    void Press(Key key, int polls = 3) {
        ReleaseAfter(polls);
        platform->SetKey(key, true);
    }
    // Holds `key` down with no automatic release.
    void Hold(Key key) {
        platform->SetPollHook(nullptr);
        platform->SetKey(key, true);
    }
    void ReleaseAfter(int polls) {
        auto count = std::make_shared<int>(0);
        platform->SetPollHook([this, count, polls] {
            if (++*count > polls) {
                for (Key k : {Key::Up, Key::Down, Key::Left, Key::Right, Key::Enter, Key::Escape})
                    platform->SetKey(k, false);
                platform->SetMouseButton(0, false);
            }
        });
    }
};

TEST_F(Menus, HitTestIgnoresEdgesAndTheFiveRowBorders) {
    MenuButton& b = Button(1);  // large, at (513, 133)
    auto inside = [&](int mx, int my) {
        platform->SetMouse(mx, my);
        return ButtonHitTest(b);
    };
    EXPECT_FALSE(inside(513, 160)) << "left edge itself is outside";
    EXPECT_TRUE(inside(514, 160));
    EXPECT_TRUE(inside(513 + kLargeW - 1, 160));
    EXPECT_FALSE(inside(513 + kLargeW, 160));
    EXPECT_FALSE(inside(600, 133 + 5));
    EXPECT_TRUE(inside(600, 133 + 6));
    EXPECT_TRUE(inside(600, 133 + kLargeH - 6));
    EXPECT_FALSE(inside(600, 133 + kLargeH - 5));
    b.hidden = true;
    EXPECT_FALSE(inside(600, 160)) << "a hidden button is never hit";
}

TEST_F(Menus, HighlightRisesOneStepPerIntervalWithOneHoverSound) {
    GiveButtonSounds();
    MenuButton& b = Button(2);
    b.frame = 0;
    b.targetFrame = 0;
    b.frameTimer = 0;
    platform->SetMouse(600, 210);
    EXPECT_TRUE(UpdateButton(b, 0)) << "the pointer moved onto the button";
    EXPECT_EQ(b.targetFrame, b.lastFrame);
    EXPECT_EQ(b.frame, 0);

    // The step is the speed of AII_GUIButton (1.0 by default) times 20 ms,
    // and the timer must pass it.
    EXPECT_FALSE(UpdateButton(b, 20)) << "a resting pointer does not re-select";
    EXPECT_EQ(b.frame, 0);
    UpdateButton(b, 1);
    EXPECT_EQ(b.frame, 1);
    EXPECT_EQ(Plays(), 1) << "hover sound when leaving picture 0";
    for (int i = 0; i < 10; ++i) UpdateButton(b, 21);
    EXPECT_EQ(b.frame, 3) << "stops at the last picture";
    EXPECT_EQ(Plays(), 1) << "only one hover sound";

    b.targetFrame = 0;
    UpdateButton(b, 21);
    EXPECT_EQ(b.frame, 2) << "falls back towards 0";
}

TEST_F(Menus, LabelsOfThirtyTwoCharactersAreRefused) {
    MenuButton& b = Button(9);
    SetButtonLabel(b, 31);
    EXPECT_STREQ(b.label, "This label fits into the button");
    SetButtonLabel(b, 30);
    EXPECT_STREQ(b.label, "This label fits into the button") << "too long: label kept";
    EXPECT_STREQ(Button(1).label, "Text0");
    EXPECT_STREQ(Button(4).label, "Text2") << "button 4 shows text 2";
    EXPECT_STREQ(Button(3).label, "Text3");
}

TEST_F(Menus, MainMenuKeyboardMovesOncePerPressAndEscapeQuitsSilently) {
    GiveButtonSounds();
    platform->SetMouse(-50, -50);
    RunMainMenu(0);
    platform->SetKey(Key::Down, true);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(RunMainMenu(16), 0);
    EXPECT_EQ(Button(2).targetFrame, Button(2).lastFrame) << "held Down moves by one only";
    EXPECT_EQ(Button(1).targetFrame, 0);
    platform->SetKey(Key::Down, false);
    RunMainMenu(16);
    platform->SetKey(Key::Down, true);
    RunMainMenu(16);
    platform->SetKey(Key::Down, false);
    EXPECT_EQ(Button(3).targetFrame, Button(3).lastFrame);

    for (int i = 0; i < 10; ++i) RunMainMenu(21);  // let the highlight settle (hover sounds)
    int before = Plays();
    platform->SetKey(Key::Enter, true);
    EXPECT_EQ(RunMainMenu(16), 3);
    EXPECT_EQ(Plays(), before + 1) << "the click sound";
    platform->SetKey(Key::Enter, false);

    platform->SetKey(Key::Escape, true);
    before = Plays();
    EXPECT_EQ(RunMainMenu(16), 5);
    EXPECT_EQ(Plays(), before) << "Escape quits without a sound";
    platform->SetKey(Key::Escape, false);
}

TEST_F(Menus, ARestingPointerDoesNotTakeTheKeyboardSelection) {
    platform->SetMouse(600, 210);  // over button 2 (563, 193)
    RunMainMenu(16);
    EXPECT_EQ(Button(2).targetFrame, Button(2).lastFrame);
    for (int press = 0; press < 2; ++press) {
        platform->SetKey(Key::Down, true);
        RunMainMenu(16);
        platform->SetKey(Key::Down, false);
        RunMainMenu(16);
    }
    for (int i = 0; i < 5; ++i) RunMainMenu(16);
    EXPECT_EQ(Button(4).targetFrame, Button(4).lastFrame) << "the keyboard chose 4";
    EXPECT_EQ(Button(2).targetFrame, 0) << "the resting pointer does not take it back";

    platform->SetMouse(601, 210);
    RunMainMenu(16);
    EXPECT_EQ(Button(2).targetFrame, Button(2).lastFrame) << "a moving pointer does";
}

TEST_F(Menus, MouseClickChoosesTheButton) {
    platform->SetMouse(650, 335);  // button 4 (578, 313)
    platform->SetMouseButton(0, true);
    EXPECT_EQ(RunMainMenu(16), 4);
    platform->SetMouseButton(0, false);
}

class StartLevelMenu : public Menus {
protected:
    std::string ExtraTexts() override { return "#TEXT 60 \"135\"\n"; }
};

TEST_F(StartLevelMenu, HiddenAndDisabledButtons) {
    EXPECT_FALSE(Button(12).hidden);
    EXPECT_TRUE(Button(13).hidden);
    EXPECT_FALSE(Button(14).hidden);
    EXPECT_TRUE(Button(15).hidden);
    EXPECT_FALSE(Button(16).hidden);
    EXPECT_FALSE(Button(12).disabled) << "Level01 exists";
    EXPECT_TRUE(Button(14).disabled) << "Level21 does not";
    EXPECT_STREQ(Button(12).subLabel, "Text55");

    platform->SetMouse(-50, -50);
    Press(Key::Up);
    EXPECT_EQ(RunStartLevelScreen(16), 0);
    EXPECT_EQ(Button(12).targetFrame, Button(12).lastFrame) << "Up from 12 stays";

    Press(Key::Down);
    RunStartLevelScreen(16);
    EXPECT_EQ(Button(14).targetFrame, Button(14).lastFrame) << "Down passes hidden 13";

    Hold(Key::Enter);
    EXPECT_EQ(RunStartLevelScreen(16), 0) << "Enter on a disabled level does nothing";
    platform->SetKey(Key::Enter, false);

    for (int i = 0; i < 3; ++i) {
        Press(Key::Down);
        RunStartLevelScreen(16);
    }
    EXPECT_EQ(Button(17).targetFrame, Button(17).lastFrame) << "Down from 16 selects 17";

    Press(Key::Escape);
    EXPECT_EQ(RunStartLevelScreen(16), 17);
    EXPECT_FALSE(platform->IsKeyDown(Key::Escape)) << "waited for Escape to come up";
}

TEST_F(Menus, OptionsAndHelpPagesWaitForTheirKeys) {
    platform->SetMouse(-50, -50);
    Press(Key::Up);
    EXPECT_EQ(RunOptionsScreen(16), 0);
    EXPECT_EQ(Button(7).targetFrame, Button(7).lastFrame) << "Up from 8 selects 7";
    EXPECT_FALSE(platform->IsKeyDown(Key::Up)) << "waited for Up to come up";

    Hold(Key::Enter);
    EXPECT_EQ(RunOptionsScreen(16), 7);
    platform->SetKey(Key::Enter, false);

    Press(Key::Right);
    RunHelpPagesScreen(16);
    EXPECT_EQ(Button(11).targetFrame, Button(11).lastFrame) << "Right stops at 11";
    Press(Key::Left);
    RunHelpPagesScreen(16);
    EXPECT_EQ(Button(10).targetFrame, Button(10).lastFrame);
    Press(Key::Escape);
    EXPECT_EQ(RunHelpPagesScreen(16), 11);

    Hold(Key::Escape);
    EXPECT_EQ(RunPauseScreen(16), 0) << "the pause menu leaves Escape to the level";
    platform->SetKey(Key::Escape, false);
    Hold(Key::Enter);
    EXPECT_EQ(RunPauseScreen(16), 19) << "continue is preselected";
    platform->SetKey(Key::Enter, false);

    Press(Key::Enter);
    EXPECT_EQ(RunHighScoreScreen(16), 8);
    EXPECT_FALSE(platform->IsKeyDown(Key::Enter)) << "waited for Enter to come up";
}

}  // namespace
