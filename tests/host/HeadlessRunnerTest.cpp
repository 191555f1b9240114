// The headless runner: its script language, a stand-in game that waits for
// keys to come up, replays from one seed, frame limits and screenshots.
#include "platform/HeadlessRunner.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Random.h"

namespace {

using Kind = ScriptEvent::Kind;

std::vector<ScriptEvent> Parse(const std::string& text, std::string* error = nullptr) {
    std::istringstream in(text);
    std::vector<ScriptEvent> events;
    std::string why;
    const bool ok = ParseScript(in, &events, &why);
    if (error != nullptr) *error = ok ? "" : why;
    return events;
}

TEST(HeadlessScript, EveryCommandInTimeOrder) {
    std::string error;
    const auto events = Parse(
        "# a comment, then a blank line\n"
        "\n"
        "100 key Enter down\n"
        "+50 key enter up\n"
        "300 type 74qv19 and more\n"
        "200 char a down\n"
        "400 mouse -5 610\n"
        "500 click 10 20\n"
        "600 button right down\n"
        "700 screenshot shot.png\n"
        "700 hash\n"
        "800 quit\r\n",
        &error);
    ASSERT_TRUE(error.empty()) << error;
    ASSERT_EQ(12u, events.size());
    EXPECT_EQ(Kind::KeyDown, events[0].kind);
    EXPECT_EQ(ScriptedPlatform::Key::Enter, events[0].key);
    EXPECT_EQ(150u, events[1].timeMs) << "relative to the line before";
    EXPECT_EQ(Kind::CharDown, events[2].kind) << "sorted by time";
    EXPECT_EQ('a', events[2].character);
    EXPECT_EQ("74qv19 and more", events[3].text);
    EXPECT_EQ(-5, events[4].x);
    EXPECT_EQ(610, events[4].y);
    EXPECT_EQ(Kind::Mouse, events[5].kind) << "a click moves first";
    EXPECT_EQ(Kind::ButtonDown, events[6].kind);
    EXPECT_EQ(Kind::ButtonUp, events[7].kind);
    EXPECT_EQ(550u, events[7].timeMs) << "and lets go 50 ms later";
    EXPECT_EQ(1, events[8].button);
    EXPECT_EQ("shot.png", events[9].text);
    EXPECT_EQ(Kind::Hash, events[10].kind);
    EXPECT_EQ(Kind::Quit, events[11].kind);
    EXPECT_EQ(12, events[11].line);
}

TEST(HeadlessScript, MistakesNameTheirLine) {
    std::string error;
    Parse("100 key Enter down\nsoon key Enter up\n", &error);
    EXPECT_NE(std::string::npos, error.find("line 2")) << error;
    for (const char* wrong : {"1 key Hyper down", "1 key Enter sideways", "1 char ab down",
                              "1 mouse 1", "1 button middle down", "1 dance", "1 quit now",
                              "1 type", "1 screenshot", "1", "99999999999 quit"}) {
        Parse(wrong, &error);
        EXPECT_FALSE(error.empty()) << wrong;
    }
}

// The stand-in game: draws a picture that depends on random draws and the
// keys it has seen, and waits in a loop until Enter is up after seeing it,
// as the menus do.
struct WaitingGame {
    PlatformServices* platform = nullptr;
    int frames = 0;
    int enterPresses = 0;
    u32 lastWaitEndedAt = 0;
    bool quit = false;
} waiting;

GameEntryPoints WaitingGameEntryPoints() {
    return GameEntryPoints{
        [](PlatformServices* p) {
            waiting = WaitingGame{};
            waiting.platform = p;
            return true;
        },
        []() { return ""; },
        []() { return true; },
        []() { return !waiting.quit; },
        [](bool) -> u32 {
            PlatformServices* p = waiting.platform;
            ++waiting.frames;
            u16* pixels = p->GetScreenPixels();
            const i32 pitch = p->GetScreenPitch() / 2;
            const u16 colour = static_cast<u16>(p->GetRandom(32768));
            for (i32 x = 0; x < 100; ++x) pixels[x + (waiting.enterPresses % 600) * pitch] = colour;
            if (p->IsEnterPressed()) {
                ++waiting.enterPresses;
                while (p->IsEnterPressed()) {
                }
                waiting.lastWaitEndedAt = p->GetTimeMs();
            }
            if (p->IsEscapePressed()) waiting.quit = true;
            return 600u << 16;
        },
    };
}

struct RunResult {
    int status;
    std::string report;
    long frames;
};

RunResult RunScript(const std::string& script, long maxFrames = -1, u32 seed = 7) {
    HeadlessRunner::Settings settings;
    settings.script = Parse(script);
    settings.maxFrames = maxFrames;
    settings.seeded = true;
    settings.seed = seed;
    ScriptedPlatform platform;
    std::ostringstream report;
    HeadlessRunner runner(platform, WaitingGameEntryPoints(), settings, report);
    const int rounding = std::fegetround();  // the runner sets the game's mode
    const int status = runner.Run();
    std::fesetround(rounding);
    return {status, report.str(), runner.FramesDrawn()};
}

TEST(HeadlessRunner, WaitForAKeyToComeUpEndsWhenTheScriptReleasesIt) {
    const RunResult run = RunScript(
        "100 key Enter down\n"
        "400 key Enter up\n"
        "600 quit\n");
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(1, waiting.enterPresses);
    EXPECT_EQ(HeadlessRunner::kStartMs + 400, waiting.lastWaitEndedAt)
        << "virtual time ran on inside the wait until the release";
    // 16 ms per frame, the first frame at 0: about 600 / 16 frames, fewer
    // by the frame that waited 300 ms.
    EXPECT_GT(run.frames, 15);
    EXPECT_LT(run.frames, 40);
}

TEST(HeadlessRunner, KeyThatIsNeverReleasedEndsTheWaitAfterAWhile) {
    const RunResult run = RunScript("100 key Enter down\n", 20);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(20, run.frames) << "the run went on";
    EXPECT_GE(waiting.lastWaitEndedAt - HeadlessRunner::kStartMs, HeadlessRunner::kLongestWaitMs);
}

TEST(HeadlessRunner, SameSeedAndScriptGiveTheSameFrames) {
    const std::string script =
        "50 hash\n"
        "100 key Enter down\n"
        "+30 key Enter up\n"
        "300 hash\n"
        "500 key Escape down\n";
    const RunResult first = RunScript(script);
    const RunResult second = RunScript(script);
    EXPECT_EQ(first.report, second.report);
    // Outputs wait for the end of a pass: the ticks fall at 1, 17, 33, 49, 65
    // ms after the first frame at 0, so the hash of 50 ms is taken at 65.
    EXPECT_NE(std::string::npos, first.report.find("time 65 frame 6 hash")) << first.report;
    EXPECT_EQ(0, first.status);
    EXPECT_FALSE(waiting.platform == nullptr);

    const RunResult otherSeed = RunScript(script, -1, 8);
    EXPECT_NE(first.report, otherSeed.report) << "the picture depends on the random draws";
}

TEST(HeadlessRunner, FrameLimitAndScreenshots) {
    const std::filesystem::path shot =
        std::filesystem::temp_directory_path() /
        ("brettspalt-shot-" + std::to_string(reinterpret_cast<std::uintptr_t>(&shot)) + ".png");
    const RunResult run = RunScript("100 screenshot " + shot.string() + "\n", 50);
    EXPECT_EQ(0, run.status);
    EXPECT_EQ(50, run.frames) << "--frames wins over the end of the script";
    std::ifstream png(shot, std::ios::binary);
    ASSERT_TRUE(png.good());
    char signature[8] = {};
    png.read(signature, 8);
    EXPECT_EQ(std::string("\x89PNG\r\n\x1a\n", 8), std::string(signature, 8));
    std::filesystem::remove(shot);

    testing::internal::CaptureStderr();
    const RunResult failed = RunScript("10 screenshot /nonexistent-folder/x.png\n");
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(3, failed.status);
}

TEST(HeadlessRunner, GameThatCannotStartEndsWithStatusOne) {
    GameEntryPoints broken = WaitingGameEntryPoints();
    broken.init = [](PlatformServices*) { return false; };
    broken.initError = []() { return "no Data.lib here"; };
    ScriptedPlatform platform;
    std::ostringstream report;
    HeadlessRunner runner(platform, broken, HeadlessRunner::Settings{}, report);
    testing::internal::CaptureStderr();
    EXPECT_EQ(1, runner.Run());
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("no Data.lib here"));
}

}  // namespace
