// A read-only snapshot of the running game, taken between frames: what a
// player sees on the screen (where everybody stands, what they are doing, the
// gas gauge, the clock) put into numbers for the bot.
#pragma once

#include <vector>

#include "platform/PlatformServices.h"

struct FigureView {
    i32 type = 0;  // 2 wife, 3 removal man, 4 policeman, 5 lawyer
    float position = 0.0f;
    bool facingLeft = false;
    i32 job = 0;  // the animation job: what the figure is doing
    bool hidden = false;
    bool fleeing = false;
    bool charging = false;  // running at the player to knock him out
    i32 nailTarget = -1;    // the piece this removal man is about to nail
};

struct PieceView {
    i32 index = 0;
    i32 type = 0;  // 1 furniture, 2 canister, 3 van
    float position = 0.0f;
    float reach = 0.05f;  // how close the saw (or the player) must be
    float work = 0.0f;    // sawing work left in the four sections
    float lock = 0.0f;    // boards nailed on: work before the sections shrink
    bool nailing = false; // a removal man is nailing it right now
    float gas = 0.0f;     // a canister's gas
    i32 stage = 0;
};

struct GameView {
    i32 screenState = 0;
    i32 level = 0;
    i32 lives = 0;
    i32 score = 0;
    i32 timeLeft = 0;    // seconds on the clock
    i32 streetTime = 0;  // seconds the clock started with
    i32 width = 1;       // length of the street loop, in screens
    float playerPosition = 0.0f;
    bool facingLeft = false;
    float gas = 0.0f;  // 1.0 = full tank
    i32 playerJob = 0;
    bool busy = false;
    bool readingLeaflet = false;
    float sawFactor = 1.0f;
    float sawConsumption = 0.0f;  // tank share per time unit of sawing
    float threatenConsumption = 0.0f;
    std::vector<FigureView> figures;
    std::vector<PieceView> pieces;
};

// Copies what the bot may know out of the game's records; changes nothing.
GameView ReadGameView();

// Signed shortest way from a to b round a loop of `width` screens.
float RingOffset(float a, float b, i32 width);
