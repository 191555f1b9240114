// Frame composition: the tiling of the two background layers, the level
// transition cover, the draw order of the play scene and what each state
// draws.
#include "blit/Blitter.h"
#include "render/Compose.h"
#include "tests/game/GameFixture.h"

namespace flowtest {
namespace {

class ComposeFrameTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        StartGame();
        Blank();
    }
    void Blank() {
        platform->ClearScreen();
        SetBlitTarget(platform->GetScreenPixels(), platform->GetScreenPitch());
        frameClip = {0, 0, 800, 600};
        SetBlitClip(0, 0, 800, 600);
    }
    // The street below the pause panel: figures, objects, lives.
    std::uint64_t SceneHash() {
        std::uint64_t h = 1469598103934665603ull;
        for (int y = 340; y < 520; ++y)
            for (int x = 0; x < 800; ++x) h = (h ^ platform->Pixel(x, y)) * 1099511628211ull;
        return h;
    }
    // The middle layer (sequence 1) of background set 0 fills rows 80..519.
    std::uint16_t MiddleTile(int t) { return To555(TileColour(1, t)); }
};

TEST_F(ComposeFrameTest, BackgroundTilesRepeatAlongThePlayfield) {
    gLevel.playfieldWidth = 3;
    DrawBackgroundLayer(2.25f, 1, 80);
    EXPECT_EQ(platform->Pixel(0, 300), MiddleTile(2)) << "tile 2 from x = -200";
    EXPECT_EQ(platform->Pixel(599, 300), MiddleTile(2));
    EXPECT_EQ(platform->Pixel(600, 300), MiddleTile(0)) << "then tile 0 from x = 600";
    EXPECT_EQ(platform->Pixel(799, 519), MiddleTile(0));
    EXPECT_EQ(platform->Pixel(400, 79), 0) << "the layer starts at y";

    Blank();
    DrawBackgroundLayer(-0.25f, 1, 80);  // becomes 2.75
    EXPECT_EQ(platform->Pixel(199, 300), MiddleTile(2)) << "tile 2 from x = -600";
    EXPECT_EQ(platform->Pixel(200, 300), MiddleTile(0)) << "tile 0 from x = 200";

    Blank();
    DrawBackgroundLayer(-4.5f, 1, 80);  // whole screens wrap: 3 - 1.5 = 1.5
    EXPECT_EQ(platform->Pixel(399, 300), MiddleTile(1));
    EXPECT_EQ(platform->Pixel(400, 300), MiddleTile(2));

    Blank();
    DrawBackgroundLayer(7.0f, 1, 80);  // not wrapped above: tile 7 mod 3 at x = 0
    EXPECT_EQ(platform->Pixel(0, 300), MiddleTile(1));
    EXPECT_EQ(platform->Pixel(799, 300), MiddleTile(1));
}

TEST_F(ComposeFrameTest, CurtainClipsToTheOpenPartAndBlanksTheRest) {
    gGame.screenState = GetReady;
    gGame.curtain = 0.5f;
    gGame.curtainDirection = -1;
    ComposeFrame(0.0f, 0.0f, 0.0f, 1.5f);
    EXPECT_EQ(frameClip.left, 200);
    EXPECT_EQ(frameClip.top, 150);
    EXPECT_EQ(frameClip.right, 599);
    EXPECT_EQ(frameClip.bottom, 449);
    EXPECT_EQ(gGame.curtain, 0.5f) << "no time, no movement";
    int outside = 0;
    int inside = 0;
    for (int y = 0; y < 600; y += 3) {
        for (int x = 0; x < 800; x += 3) {
            bool open = x >= 200 && x < 599 && y >= 150 && y < 449;
            if (!open && platform->Pixel(x, y) != 0) ++outside;
            if (open && platform->Pixel(x, y) != 0) ++inside;
        }
    }
    EXPECT_EQ(outside, 0) << "everything outside the open part is black";
    EXPECT_GT(inside, 0);

    // Opening at 0.03 per unit; clamped at 0.
    ComposeFrame(10.0f, 0.0f, 0.0f, 1.5f);
    EXPECT_FLOAT_EQ(gGame.curtain, 0.2f);
    ComposeFrame(10.0f, 0.0f, 0.0f, 1.5f);
    EXPECT_EQ(gGame.curtain, 0.0f);

    // Held fully closed: an inverted clip, nothing drawn, nothing moves.
    gGame.curtain = 2.0f;
    ComposeFrame(10.0f, 0.0f, 0.0f, 1.5f);
    EXPECT_EQ(gGame.curtain, 2.0f);
    EXPECT_EQ(frameClip.left, 800);
    EXPECT_EQ(frameClip.right, -1);
    std::uint64_t black = platform->FrameHash();
    platform->ClearScreen();
    EXPECT_EQ(platform->FrameHash(), black);

    // Closing stops at 1.
    gGame.curtain = 0.99f;
    gGame.curtainDirection = 1;
    ComposeFrame(10.0f, 0.0f, 0.0f, 1.5f);
    EXPECT_EQ(gGame.curtain, 1.0f);
}

TEST_F(ComposeFrameTest, CanistersStandInFrontOfThePlayer) {
    StartFromMenu();
    Frame();
    // The player stands at x = 400 over the canister at his feet.
    EXPECT_EQ(platform->Pixel(400, 470), To555(0xFF0000C0u));
    EXPECT_NE(FindObjectNamed("Kanister gelb"), -1);
}

TEST_F(ComposeFrameTest, PausedFramesShowTheFrozenScene) {
    StartFromMenu();
    Tap(Key::Escape);
    Frame();
    ASSERT_EQ(gGame.screenState, Paused);
    Frame();
    std::uint64_t first = SceneHash();
    EXPECT_NE(platform->Pixel(20, 300), 0) << "the scene is drawn under the panel";
    platform->ClearScreen();
    Frame(200);
    EXPECT_EQ(SceneHash(), first) << "redrawn whole, with nothing moving";
}

TEST_F(ComposeFrameTest, MenuStatesDrawTheirScreensAndWrapTheHelpPage) {
    Frame();
    gGame.screenState = HelpPages;
    gGame.helpPage = 4;
    ComposeFrame(1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(gGame.helpPage, 0);
    gGame.helpPage = -1;
    ComposeFrame(1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(gGame.helpPage, 3);

    Blank();
    gGame.screenState = LevelStart;
    ComposeFrame(1.0f, 0.0f, 0.0f, 0.0f);
    std::uint64_t nothing = platform->FrameHash();
    platform->ClearScreen();
    EXPECT_EQ(platform->FrameHash(), nothing) << "LevelStart draws nothing";

    gGame.screenState = MainMenu;
    ComposeFrame(1.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(platform->Pixel(0, 0), To555(0xFF303030u)) << "the main menu background";
    EXPECT_EQ(platform->Pixel(20, 300), 0) << "no play scene under a menu";
}

TEST_F(ComposeFrameTest, NoFrameBufferDrawsNothingAndKeepsRunning) {
    StartFromMenu();
    platform->DestroyScreen();
    gGame.curtain = 0.5f;
    EXPECT_NO_FATAL_FAILURE(RunFrames(5));
    EXPECT_EQ(gGame.screenState, Playing);
    platform->ResizeScreen(800, 600);
    Frame();
    EXPECT_LT(gGame.curtain, 0.5f) << "the cover went on opening";
    EXPECT_NE(platform->Pixel(300, 300), 0);
}

}  // namespace
}  // namespace flowtest
