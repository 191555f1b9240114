// The bot: a player that looks at the street (a GameView) once per frame and
// answers with the keys it holds down for the next frame. It walks to the
// nearest piece that is left, saws it in one go, refills before the saw runs
// dry, raises the roaring saw at anyone who charges (and at a removal man
// about to board up its piece) and keeps away from the wife once she comes.
// It has no other way into the game than those keys.
#pragma once

#include "bot/GameView.h"

struct BotKeys {
    bool left = false;
    bool right = false;
    bool up = false;
    bool down = false;
    bool space = false;
    bool operator==(const BotKeys&) const = default;
};

class Bot {
public:
    // The keys to hold for the next frame. Only meaningful while a street is
    // played; otherwise every key is up.
    BotKeys Decide(const GameView& view);

    // The piece (object index) the bot is working towards; -1 none.
    i32 Target() const { return target; }

    // A figure this close that runs at the player gets the saw raised at it.
    static constexpr float kThreatDistance = 0.36f;
    // The saw works this far in front of the player.
    static constexpr float kSawOffset = 0.062f;

private:
    BotKeys Threaten(const GameView& view, float offset);
    BotKeys WalkTo(const GameView& view, float standAt, bool faceLeft, bool inReach);
    const PieceView* ChoosePiece(const GameView& view) const;
    const PieceView* NearestCanister(const GameView& view) const;
    bool NeedsGas(const GameView& view, const PieceView* piece, const PieceView* canister) const;

    i32 target = -1;
    bool refilling = false;
};
