#include "bot/Bot.h"

#include <cmath>

#include "actors/Character.h"
#include "actors/WorldObject.h"
#include "game/GameGlobals.h"

namespace {

// Releasing a direction key lets the player glide a little further; inside
// this distance of where he wants to stand he lets go.
constexpr float kStandTolerance = 0.012f;
// Work the saw burns gas for: a board takes 4.1 / 0.02 time units.
constexpr float kWorkPerLock = 50.0f;
// Gas that stays in the tank as a margin for walking and threatening.
constexpr float kGasReserve = 0.12f;
// A figure that charges or that stands this close to a piece makes the bot
// pick another piece first, when there is one.
constexpr float kCrowdedDistance = 0.3f;
// Policemen, removal men and lawyers closer than this are threatened away.
constexpr float kPestDistance = 0.24f;

bool IsNpcThreat(const FigureView& f) {
    if (f.hidden || f.fleeing) return false;
    return f.charging || f.type == kWife;
}

}  // namespace

BotKeys Bot::Decide(const GameView& view) {
    BotKeys keys;
    if (view.screenState != Playing || view.readingLeaflet) return keys;
    const float p = view.playerPosition;

    // Somebody running at the player: face him and raise the saw.
    float nearest = 1e9f;
    float threatOffset = 0.0f;
    for (const FigureView& f : view.figures) {
        if (!IsNpcThreat(f)) continue;
        const float d = RingOffset(p, f.position, view.width);
        const float reach = f.type == kWife ? 0.42f : kThreatDistance;
        if (std::fabs(d) < reach && std::fabs(d) < nearest) {
            nearest = std::fabs(d);
            threatOffset = d;
        }
    }
    if (nearest < 1e9f && view.gas > 0.0f) return Threaten(view, threatOffset);

    // Somebody who would charge at the saw, or hand over a leaflet, standing
    // close: send him off before starting (or, when he comes very close,
    // while) sawing.
    nearest = 1e9f;
    for (const FigureView& f : view.figures) {
        if (f.hidden || f.fleeing || f.type == kWife) continue;
        const float d = RingOffset(p, f.position, view.width);
        const float limit = view.busy ? kPestDistance * 0.6f : kPestDistance;
        if (std::fabs(d) < limit && std::fabs(d) < nearest) {
            nearest = std::fabs(d);
            threatOffset = d;
        }
    }
    // Threatening burns gas fast: with little left only a charge is answered.
    if (nearest < 1e9f && view.gas > kGasReserve + 0.2f) return Threaten(view, threatOffset);

    const PieceView* canister = NearestCanister(view);
    const PieceView* piece = ChoosePiece(view);
    target = piece != nullptr ? piece->index : -1;

    // Refilling: kneel at the canister until the tank is full or it is dry.
    if (canister != nullptr && (refilling || NeedsGas(view, piece, canister))) {
        refilling = true;
        const float d = RingOffset(p, canister->position, view.width);
        if (std::fabs(d) <= canister->reach - 0.01f) {
            if (view.gas >= 0.999f) {
                refilling = false;
            } else {
                keys.down = true;
                return keys;
            }
        } else {
            return WalkTo(view, canister->position, view.facingLeft, false);
        }
    }
    if (canister == nullptr) refilling = false;
    if (piece == nullptr) return keys;

    // A removal man about to board the piece up: send him away first.
    if (piece->nailing) {
        for (const FigureView& f : view.figures) {
            if (f.type != kRemovalMan || f.nailTarget != piece->index) continue;
            const float d = RingOffset(p, f.position, view.width);
            if (std::fabs(d) < kThreatDistance && view.gas > kGasReserve) return Threaten(view, d);
        }
    }

    // Stand so that the saw, held out on the side of the piece, reaches it.
    const float d = RingOffset(p, piece->position, view.width);
    const bool faceLeft = d < 0.0f;
    const float sawPoint = p + (view.facingLeft ? -kSawOffset : kSawOffset);
    const bool inReach =
        std::fabs(RingOffset(sawPoint, piece->position, view.width)) <= piece->reach - 0.004f;
    const float standAt = piece->position + (faceLeft ? kSawOffset : -kSawOffset);
    if (inReach && view.facingLeft == faceLeft) {
        keys.space = !piece->nailing;
        return keys;
    }
    return WalkTo(view, standAt, faceLeft, inReach);
}

BotKeys Bot::Threaten(const GameView& view, float offset) {
    BotKeys keys;
    const bool faceLeft = offset < 0.0f;
    if (view.facingLeft == faceLeft) {
        keys.up = true;
    } else if (!view.busy) {
        // One step's touch of the key turns him round.
        (faceLeft ? keys.left : keys.right) = true;
    }
    // Busy with the saw or the canister: let go, he turns once free.
    return keys;
}

BotKeys Bot::WalkTo(const GameView& view, float standAt, bool faceLeft, bool inReach) {
    BotKeys keys;
    if (view.busy) return keys;  // let the saw or the kneeling finish first
    const float e = RingOffset(view.playerPosition, standAt, view.width);
    if (std::fabs(e) > kStandTolerance && !inReach) {
        (e < 0.0f ? keys.left : keys.right) = true;
    } else if (view.facingLeft != faceLeft) {
        (faceLeft ? keys.left : keys.right) = true;
    } else if (std::fabs(e) > kStandTolerance * 0.25f) {
        (e < 0.0f ? keys.left : keys.right) = true;
    }
    return keys;
}

const PieceView* Bot::ChoosePiece(const GameView& view) const {
    const PieceView* best = nullptr;
    float bestCost = 1e9f;
    for (const PieceView& piece : view.pieces) {
        if (piece.type != kFurniture || piece.work <= 0.0f) continue;
        float cost = std::fabs(RingOffset(view.playerPosition, piece.position, view.width));
        // Keep working on the piece already started: the point bonus needs an
        // unbroken cut.
        if (piece.index == target) cost -= 0.25f;
        if (piece.nailing) cost += 0.5f;
        for (const FigureView& f : view.figures) {
            if (f.hidden || f.fleeing) continue;
            if (f.type != kPoliceMan && f.type != kRemovalMan && !f.charging) continue;
            if (std::fabs(RingOffset(f.position, piece.position, view.width)) < kCrowdedDistance)
                cost += f.charging ? 1.0f : 0.15f;
        }
        if (cost < bestCost) {
            bestCost = cost;
            best = &piece;
        }
    }
    return best;
}

const PieceView* Bot::NearestCanister(const GameView& view) const {
    const PieceView* best = nullptr;
    float bestDistance = 1e9f;
    for (const PieceView& c : view.pieces) {
        if (c.type != kCanister || c.gas < 1.0f) continue;
        const float d = std::fabs(RingOffset(view.playerPosition, c.position, view.width));
        if (d < bestDistance) {
            bestDistance = d;
            best = &c;
        }
    }
    return best;
}

bool Bot::NeedsGas(const GameView& view, const PieceView* piece, const PieceView* canister) const {
    if (view.gas <= 0.0f) return true;
    float work = 0.0f;
    if (piece != nullptr) work = piece->work + piece->lock * kWorkPerLock;
    const float factor = view.sawFactor > 0.0f ? view.sawFactor : 1.0f;
    const float need = work / factor * view.sawConsumption * 1.1f;
    // A canister on the way is worth a stop once the tank is half empty.
    const float toCanister = std::fabs(RingOffset(view.playerPosition, canister->position, view.width));
    if (toCanister < 0.15f && view.gas < 0.5f) return true;
    return view.gas < need + kGasReserve;
}
