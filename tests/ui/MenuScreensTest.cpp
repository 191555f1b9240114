// Drawing of the menu screens: the help page's word layout and the blinking
// cursor of the name entry, read back from the frame buffer.
#include "blit/Blitter.h"
#include "render/Compose.h"
#include "tests/ui/UiFixture.h"

using uitest::UiFixture;

namespace {

class MenuScreens : public UiFixture {
protected:
    // Glyphs in this fixture are 6 x 10 white boxes, so a glyph advances the
    // pen by 5 pixels; a space by 8 in the small font; "*" has no glyph.
    std::string ExtraTexts() override {
        return "#TEXT 30 \"AB*CD EF\"\n"
               "#TEXT 31 \"" +
               std::string(60, 'x') +
               " y\"\n"
               "#TEXT 9 \"I\"\n";
    }

    void SetUp() override {
        UiFixture::SetUp();
        platform->ClearScreen();
        SetBlitClip(0, 0, 800, 600);
        SetBlitTarget(platform->GetScreenPixels(), platform->GetScreenPitch());
    }

    bool Lit(int x, int y) const { return platform->Pixel(x, y) != 0; }
};

TEST_F(MenuScreens, HelpPageBreaksAtAsterisksAndAtTheRightLimit) {
    DrawHelpPage(0);
    EXPECT_TRUE(Lit(31, 81)) << "A on the first line";
    EXPECT_TRUE(Lit(36, 81)) << "B follows A";
    EXPECT_FALSE(Lit(41, 81)) << "nothing after the asterisk on line one";
    EXPECT_TRUE(Lit(31, 101)) << "C starts the second line";
    EXPECT_TRUE(Lit(49, 101)) << "E after 'CD ' (5 + 5 + 8 pixels)";

    platform->ClearScreen();
    DrawHelpPage(1);
    // 60 x glyphs are 300 pixels: x ends at 330; "y" (5) fits before 489.
    EXPECT_TRUE(Lit(31 + 5 * 59, 81));
    EXPECT_TRUE(Lit(31 + 308, 81)) << "y (after the space) still fits on the first line";
}

TEST_F(MenuScreens, NameCursorBlinksEveryFiftyUnits) {
    // The panel picture (GUI 1/0) is 200 pixels wide: the name starts at
    // 400 - 100 + 40 = 340, and with an empty name the cursor stands there.
    auto cursorShown = [&](float dt) {
        platform->ClearScreen();
        DrawNameEntryPanel(dt);
        return platform->Pixel(341, 293) == 0x7FFF;  // white glyph over the grey panel
    };
    ResetNameCursor();
    EXPECT_TRUE(cursorShown(0.0f));
    EXPECT_TRUE(cursorShown(24.0f)) << "24 units: still visible";
    EXPECT_FALSE(cursorShown(1.0f)) << "25 units: hidden";
    EXPECT_FALSE(cursorShown(24.0f)) << "49 units: hidden";
    EXPECT_TRUE(cursorShown(1.0f)) << "50 units: shown again";
}

}  // namespace
