#include "bot/BotDriver.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "game/GameFlow.h"
#include "game/GameGlobals.h"
#include "game/SoundCues.h"

namespace {

// Frames per second of the host loop's 16 ms ticks.
constexpr long kFramesPerSecond = 62;
// A street the bot has not finished this long after its clock ran out is
// given up (the wife never came, say): reported as lost.
constexpr long kOvertimeSeconds = 180;

}  // namespace

BotDriver::BotDriver(Options options, std::ostream* report) : options(options), report(report) {}

void BotDriver::StartGameAt(i32 n) {
    gGame.score = 0;
    gGame.levelNumber = n;
    gGame.lives = 2;
    SetScreenState(LevelStart, 1);
    gPlatform->ShowMouseCursor(false);
    SelectMusic(1);
}

void BotDriver::ReturnToMenu() {
    // Leaves the street as the pause menu's "Main menu" does: the saw's
    // loops and the street's music stop with it.
    StopLevelSounds();
    gGame.score = 0;
    gGame.levelNumber = 1;
    SetScreenState(MainMenu, 1);
    gPlatform->ShowMouseCursor(true);
    SelectMusic(2);
}

void BotDriver::Report(const GameView& view, const char* outcome, long framesDrawn) {
    if (report == nullptr) return;
    char line[160];

    std::snprintf(line, sizeof line, "street %2d %-4s left %3d of %3d s score %6d lives-used %d frames %ld\n",
                  street, outcome, view.timeLeft, streetTime, view.score, livesLost,
                  framesDrawn - streetStartFrame);
    *report << line << std::flush;
}

BotKeys BotDriver::Step(long framesDrawn) {
    if (finished) return {};
    const GameView view = ReadGameView();
    const i32 state = view.screenState;

    if (!started || (options.endless && (state == MainMenu || state == GameOver ||
                                         state == GameWon || state == HighScoreEntry))) {
        if (started && state == GameOver && lastState != GameOver) Report(view, "lost", framesDrawn);
        started = true;
        street = 0;
        StartGameAt(options.startStreet);
        lastState = LevelStart;
        return {};
    }

    if ((state == LevelStart || state == GetReady) && view.level != street) {
        street = view.level;
        livesLost = 0;
        streetStartFrame = framesDrawn;
    }
    if (state == Playing && lastState != Playing) {
        streetTime = view.streetTime;
        playingSince = framesDrawn;
    }
    const long limit = options.streetFrameLimit > 0
                           ? options.streetFrameLimit
                           : (static_cast<long>(streetTime) + kOvertimeSeconds) * kFramesPerSecond;
    if (state == Playing && framesDrawn - playingSince > limit) {
        Report(view, "lost", framesDrawn);
        lost = true;
        finished = true;
        return {};
    }
    if (state != lastState) {
        if (state == LifeLost || state == GameOver) ++livesLost;
        if (state == LevelWon) {
            Report(view, "won", framesDrawn);
            if (!options.wholeGame) finished = true;
        } else if (state == GameOver) {
            Report(view, "lost", framesDrawn);
            lost = true;
            finished = !options.endless;
        } else if (state == GameWon) {
            finished = !options.endless;
        }
    }
    lastState = state;
    if (finished) return {};
    const BotKeys keys = bot.Decide(view);
    static const bool trace = std::getenv("BRETTSPALT_BOT_TRACE") != nullptr;
    if (trace && state == Playing) {
        std::fprintf(stderr, "f%ld p%.3f fl%d gas%.2f job%d busy%d t%d keys%d%d%d%d%d |", framesDrawn,
                     view.playerPosition, view.facingLeft, view.gas, view.playerJob, view.busy,
                     bot.Target(), keys.left, keys.right, keys.up, keys.down, keys.space);
        for (const FigureView& f : view.figures)
            if (!f.hidden) std::fprintf(stderr, " [%d %.3f j%d fl%d]", f.type, f.position, f.job, f.fleeing);
        std::fprintf(stderr, "\n");
    }
    return keys;
}
