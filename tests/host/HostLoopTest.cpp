// The main loop's tick arithmetic, first-frame countdown, minimised rule and
// repaints, driven by a virtual clock, a stand-in window and a stand-in game.
#include "platform/HostLoop.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// The stand-in game: counts its calls and answers what the test sets.
struct StandInGame {
    int polls = 0;
    int frames = 0;
    std::vector<bool> fullPresents;
    bool running = true;
    int quitAfterPolls = -1;  // stop running at this poll
    u32 band = (440u << 16) | 80u;
} standIn;

GameEntryPoints StandInEntryPoints() {
    return GameEntryPoints{
        [](PlatformServices*) { return true; },
        []() { return ""; },
        []() { return true; },
        []() {
            ++standIn.polls;
            if (standIn.quitAfterPolls >= 0 && standIn.polls >= standIn.quitAfterPolls) {
                standIn.running = false;
            }
            return standIn.running;
        },
        [](bool full) {
            ++standIn.frames;
            standIn.fullPresents.push_back(full);
            return standIn.band;
        },
    };
}

struct FakeClock : HostClock {
    u32 now = 5000;
    u32 Now() override { return now; }
};

struct FakeWindow : HostWindow {
    FakeClock* clock = nullptr;
    bool valid = true;
    bool minimised = false;
    bool redraw = true;
    int shows = 0;
    int fullPresents = 0;
    std::vector<std::pair<u32, u32>> bands;
    Messages pending;
    std::vector<u32> waits;

    bool FrameBufferValid() override { return valid; }
    bool IsMinimised() override { return minimised; }
    bool RedrawNeeded() override { return redraw; }
    void ClearRedrawNeeded() override { redraw = false; }
    void PresentRows(u32 first, u32 rows) override { bands.emplace_back(first, rows); }
    void PresentAll() override { ++fullPresents; }
    void ShowWindow() override { ++shows; }
    Messages ProcessMessages() override { return std::exchange(pending, Messages{}); }
    void WaitForMessages(u32 ms) override {
        waits.push_back(ms);
        clock->now += ms;
    }
};

class HostLoopTest : public ::testing::Test {
protected:
    HostLoopTest() : loop(clock, window, StandInEntryPoints()) {
        standIn = StandInGame{};
        window.clock = &clock;
    }
    // Begins at T0 = 5000 and runs the first pass, which always draws.
    void BeginAndRunFirstPass() {
        loop.Begin();
        ASSERT_TRUE(loop.RunPass());
        standIn.polls = 0;
        standIn.frames = 0;
        window.bands.clear();
    }
    FakeClock clock;
    FakeWindow window;
    HostLoop loop;
};

TEST_F(HostLoopTest, ExactTickBoundariesRunNothingOnePastRunsOneTick) {
    BeginAndRunFirstPass();
    EXPECT_EQ(0u, loop.SimulatedMs());

    // elapsed == S: no tick, no frame.
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(0, standIn.polls);
    EXPECT_EQ(0, standIn.frames);

    clock.now = 5001;  // elapsed = S + 1
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(1, standIn.polls);
    EXPECT_EQ(1, standIn.frames);
    EXPECT_EQ(16u, loop.SimulatedMs());

    clock.now = 5016;  // on the boundary again
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(1, standIn.polls);
    clock.now = 5017;
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(2, standIn.polls);
    EXPECT_EQ(32u, loop.SimulatedMs());
}

TEST_F(HostLoopTest, StallOfOneSecondPollsSixtyThreeTimesAndDrawsOnce) {
    BeginAndRunFirstPass();
    clock.now += 1000;  // 1000 = 62 * 16 + 8
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(63, standIn.polls);
    EXPECT_EQ(1, standIn.frames);
    EXPECT_EQ(63u * 16u, loop.SimulatedMs());
    EXPECT_EQ(63u, loop.TicksLastPass());

    // A much longer stall has no upper bound either.
    standIn.polls = 0;
    clock.now += 160000;
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(10000, standIn.polls);
}

TEST_F(HostLoopTest, FirstPassDrawsBeforeTheWindowIsShown) {
    loop.Begin();
    EXPECT_EQ(1, standIn.polls) << "asked once before the loop";
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(1, standIn.frames) << "drawn without any tick";
    EXPECT_EQ(1, window.shows);
    ASSERT_EQ(1u, standIn.fullPresents.size());
    EXPECT_TRUE(standIn.fullPresents[0]) << "a new buffer asks for everything";
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(1, window.shows) << "shown once";
    EXPECT_EQ(1, standIn.frames);
}

TEST_F(HostLoopTest, MinimisedWindowIsNeitherAskedNorDrawnButTimePasses) {
    window.minimised = true;
    loop.Begin();
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(0, standIn.frames) << "not drawn while minimised";
    EXPECT_EQ(1, window.shows) << "still shown";
    standIn.polls = 0;

    clock.now += 500;
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(0, standIn.polls);
    EXPECT_EQ(0, standIn.frames);
    EXPECT_EQ(512u, loop.SimulatedMs()) << "the ticks are consumed";

    window.minimised = false;
    clock.now += 20;  // elapsed 520, S 512
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(1, standIn.polls) << "no burst of the minimised time";
    EXPECT_EQ(1, standIn.frames);
}

TEST_F(HostLoopTest, TimeWithoutFrameBufferIsMadeUpWhenItReturns) {
    BeginAndRunFirstPass();
    window.valid = false;
    clock.now += 100;
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(0, standIn.polls);
    EXPECT_EQ(0u, loop.SimulatedMs());
    window.valid = true;
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(7, standIn.polls) << "100 ms = 6 * 16 + 4";
    EXPECT_EQ(1, standIn.frames);
}

TEST_F(HostLoopTest, FrameShowsTheBandTheGameReports) {
    BeginAndRunFirstPass();
    standIn.band = (50u << 16) | 100u;
    window.redraw = false;
    clock.now += 17;
    ASSERT_TRUE(loop.RunPass());
    ASSERT_EQ(1u, window.bands.size());
    EXPECT_EQ(100u, window.bands[0].first);
    EXPECT_EQ(50u, window.bands[0].second);
    EXPECT_FALSE(standIn.fullPresents.back());
}

TEST_F(HostLoopTest, RepaintDrawsOnlyWhenTheBufferWasRecreated) {
    BeginAndRunFirstPass();
    standIn.fullPresents.clear();
    window.redraw = true;
    window.pending.repaint = true;
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(1, standIn.frames);
    EXPECT_TRUE(standIn.fullPresents.back());
    EXPECT_FALSE(window.redraw);
    EXPECT_EQ(1, window.fullPresents);

    window.pending.repaint = true;
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(1, standIn.frames) << "nothing new to draw";
    EXPECT_EQ(2, window.fullPresents) << "but the whole buffer is shown";
}

TEST_F(HostLoopTest, LoopEndsWhenTheGameQuitsOrTheWindowCloses) {
    BeginAndRunFirstPass();
    standIn.quitAfterPolls = 3;
    clock.now += 100;
    EXPECT_FALSE(loop.RunPass());
    EXPECT_EQ(7, standIn.polls) << "every tick of the pass is still counted";
    EXPECT_TRUE(loop.QuitRequested());

    HostLoop other(clock, window, StandInEntryPoints());
    standIn = StandInGame{};
    other.Begin();
    window.pending.quit = true;
    EXPECT_FALSE(other.RunPass());
}

TEST_F(HostLoopTest, WaitsForTheNextTickInsteadOfSpinning) {
    BeginAndRunFirstPass();
    clock.now += 5;
    ASSERT_TRUE(loop.RunPass());  // one tick: S = 16, elapsed 5
    loop.WaitForNextTick();
    ASSERT_EQ(1u, window.waits.size());
    EXPECT_EQ(12u, window.waits[0]) << "until elapsed = S + 1";
    standIn.polls = 0;
    ASSERT_TRUE(loop.RunPass());
    EXPECT_EQ(1, standIn.polls);

    // Run() from the start: a game that quits at once still gets its first
    // frame, and the whole run sleeps instead of spinning.
    standIn = StandInGame{};
    standIn.quitAfterPolls = 1;
    window.waits.clear();
    loop.Run();
    EXPECT_EQ(1, standIn.frames);
    EXPECT_TRUE(window.waits.empty());

    standIn = StandInGame{};
    standIn.quitAfterPolls = 61;  // the poll before the loop, then 60 ticks
    loop.Run();
    EXPECT_EQ(61, standIn.frames) << "the first frame, then one per tick";
    EXPECT_EQ(60u, window.waits.size()) << "one sleep between passes";
}

}  // namespace
