// Drives a whole run with the bot at the keys: starts a new game at the
// chosen street the way the start-level buttons do, lets the bot play, and
// writes one line per street (won or lost, seconds left, score, lives used,
// frames). The hosts call Step between two frames and hold the keys it
// returns during the next one.
#pragma once

#include <iosfwd>

#include "bot/Bot.h"

class BotDriver {
public:
    struct Options {
        i32 startStreet = 1;
        bool wholeGame = true;   // go on street after street; else stop after the first
        bool endless = false;    // the window's demo: a new game after the last one
        long streetFrameLimit = 0;  // 0: the street's TIME plus three minutes
    };

    BotDriver(Options options, std::ostream* report);

    // Reads the game between two frames (framesDrawn so far) and returns the
    // keys for the next frame.
    BotKeys Step(long framesDrawn);
    bool Finished() const { return finished; }
    // Exit status of a headless run: 0 when every street played was won.
    int Status() const { return lost ? 1 : 0; }

    // A new game from street n: score 0, two spare lives, as the start-level
    // buttons begin one.
    static void StartGameAt(i32 street);
    // Leaves the bot's game for the main menu, as the pause menu's button does.
    static void ReturnToMenu();

private:
    void Report(const GameView& view, const char* outcome, long framesDrawn);

    Options options;
    std::ostream* report;
    Bot bot;
    bool started = false;
    bool finished = false;
    bool lost = false;
    i32 lastState = 0;
    i32 street = 0;           // the street being played
    i32 livesLost = 0;        // on the street being played
    i32 streetTime = 0;
    long streetStartFrame = 0;
    long playingSince = 0;
};
