// Behaviour of the wife, the removal men, the policemen and the lawyers: how
// they move and touch the player, how they decide between idling, walking,
// fleeing, charging, nailing and handing out leaflets, and their animation
// state machine. Every random draw is made in the order the decisions test
// their conditions, so that a game replays identically from one seed.
#include "actors/NonPlayerCharacter.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "actors/FarPosition.h"
#include "actors/PlayerCharacter.h"
#include "actors/WorldObject.h"
#include "game/GameGlobals.h"
#include "game/LevelRules.h"
#include "platform/Random.h"

namespace {

// How long a nail holds: sawing wears it down at 0.02 per time unit.
constexpr float kNailLock = 4.1f;
// The leaflet message shows for this long (Draw of the player).
constexpr float kLeafletMessageTime = 300.0f;
// A walk longer than this many decisions is the angry walk at the player.
constexpr i32 kAngryWalkLimit = 1000;
constexpr i32 kAngryWalkCycles = 100000;

i32 PercentDraw() {
    return Random::Next() % 100;
}

bool IsPlaying() {
    return gGame.screenState == Playing;
}

bool PlayerThreatens() {
    return gPlayer.anim.job >= 14 && gPlayer.anim.job <= 19;
}

bool IsFleeJob(i32 job) {
    return job >= 22 && job <= 25;
}
bool IsAngryJob(i32 job) {
    return job >= 26 && job <= 29;
}

i32 RingWidth() {
    return gLevel.playfieldWidth < 1 ? 1 : gLevel.playfieldWidth;
}

}  // namespace

i32 RandomInRange(i32 lo, i32 hi) {
    const std::int64_t draw = Random::Next();
    if (hi < lo) return lo;
    const std::int64_t span = static_cast<std::int64_t>(hi) - lo + 1;
    return static_cast<i32>(draw % span + lo);
}

bool IsNailed(i32 index) {
    for (i32 i = 0; i < gCharacterCount && i < kMaxCharacters; ++i) {
        const NonPlayerCharacter* c = gCharacters[i];
        if (c != nullptr && c->characterType == kRemovalMan && c->nailTarget == index) return true;
    }
    return false;
}

bool NonPlayerCharacter::MayPlaySound() {
    return std::fabs(DistanceToPlayer(gPlayer.position)) < 0.5f;
}

void NonPlayerCharacter::Reset() {
    ResetProperties();
    moveSpeed = 0.6f;
    framePosition = 0.0f;
    SetAnimation(slots[facingLeft ? kIdleL : kIdleR]);
}

bool NonPlayerCharacter::Update(float dt, float /*scrollSpeed*/) {
    const i32 type = characterType;

    // Touching the player: the wife always, the others only while charging.
    if ((type == kWife || (type >= kRemovalMan && type <= kLawyer && IsAngryJob(anim.job))) &&
        !hidden && IsPlaying()) {
        const float offset = facingLeft ? collisionOffsetLeft : collisionOffsetRight;
        if (std::fabs(DistanceToPlayer(gPlayer.position + offset)) < collisionRange) {
            gPlayer.hit = 1;
            gPlayer.hitByType = type;
            if (!gGame.lifeCheat && !hidden && gPlayer.anim.job != 36 && gPlayer.anim.job != 37) {
                hidden = 1;
                return true;
            }
        }
    }

    // The first step of the nail locks the piece.
    if (nailTarget >= 0 && anim.job == 39) {
        if (nailTarget < gObjectCount && nailTarget < kMaxObjects) {
            gObjects[nailTarget].lockTimer = kNailLock;
        }
        nailTarget = -1;
    }

    if (hidden && gPlayer.anim.job == 37) {
        if (introduced) hidden = 0;
        victory = 1;
    }

    if (PlayerThreatens() && Threatened(false)) OnAnimationEvent(true);

    if (walking) {
        useHeldSpeed = 0;
        heldSpeed = 0.0f;
    }

    // Movement follows the job held before the swap: a figure that turned
    // round swaps its record for the twin of the other side (no sound
    // hand-over, frame position and cycle count stay) and turns with the next
    // step.
    const i32 job = anim.job;
    auto swapTo = [this](i32 slot) { anim = slots[slot]; };
    bool moved = true;
    switch (job) {
        case 4:
        case 5:
            if (!facingLeft) swapTo(job == 4 ? kStepR1 : kStepR2);
            position -= dt * walkSpeed;
            break;
        case 6:
        case 7:
            if (facingLeft) swapTo(job == 6 ? kStepL1 : kStepL2);
            position += dt * walkSpeed;
            break;
        case 22:
        case 23:
            if (!facingLeft) swapTo(job == 22 ? kFleeR1 : kFleeR2);
            position -= dt * fleeSpeed;
            break;
        case 24:
        case 25:
            if (facingLeft) swapTo(job == 24 ? kFleeL1 : kFleeL2);
            position += dt * fleeSpeed;
            break;
        case 26:
        case 27:
            if (!facingLeft) swapTo(job == 26 ? kTriggerR1 : kTriggerR2);
            position -= dt * triggerSpeed;
            break;
        case 28:
        case 29:
            if (facingLeft) swapTo(job == 28 ? kTriggerL1 : kTriggerL2);
            position += dt * triggerSpeed;
            break;
        default:
            moved = false;
            break;
    }
    if (moved && !walking) HoldStepSpeed();

    const float w = static_cast<float>(RingWidth());
    if (!std::isfinite(position)) position = 0.0f;
    position = NearRing(position, w);  // a modded speed of 1e38 gets here
    while (position > w) position -= w;
    while (position < 0.0f) position += w;

    AdvanceAnimation(dt);
    return false;
}

bool NonPlayerCharacter::Threatened(bool forced) {
    if (!forced && !PlayerThreatens()) return false;
    if (flee || !IsPlaying()) return false;
    if (!forced) {
        const float d = DistanceToPlayer(gPlayer.position);
        if (std::fabs(d) > threatenRange) return false;
        // The player faces the figure: it stands to his left (or on him) while
        // he looks left, or to his right while he looks right.
        const bool faced = gPlayer.facingLeft ? d >= 0.0f : d < 0.0f;
        if (!faced) return false;
        if (PercentDraw() >= threatenProbability) return false;
    }
    flee = 1;
    walkCycles = 0;
    idleCycles = 0;
    return true;
}

void NonPlayerCharacter::Decide(bool forced) {
    walking = 0;
    if (hidden) return;
    if (Threatened(forced)) return;

    const float d = DistanceToPlayer(gPlayer.position);
    const bool playerLeft = d < 0.0f;

    // Sawing nearby may make the figure charge at the player.
    if ((gPlayer.anim.job == 12 || gPlayer.anim.job == 13) && !flee && IsPlaying() &&
        std::fabs(d) <= sawRange && PercentDraw() < sawProbability) {
        facingLeft = playerLeft;
        walking = 1;
        walkCycles = kAngryWalkCycles;
        idleCycles = 0;
    }

    if (idleCycles != 0) {
        --idleCycles;
        return;
    }
    if (WalkOn() != 0) return;
    if (LeafletCheck()) return;
    if (!IsPlaying()) {
        idleCycles = RandomInRange(idleCyclesMin, idleCyclesMax);
        return;
    }
    if (PercentDraw() >= walkProbability && !flee) {
        idleCycles = RandomInRange(idleCyclesMin, idleCyclesMax);
        return;
    }
    if (PercentDraw() >= std::abs(searchStrength) && !flee) {
        facingLeft = (Random::Next() & 1) != 0;
    } else {
        bool towardsLeft = playerLeft;
        if (searchStrength < 0 || flee) towardsLeft = !towardsLeft;
        facingLeft = towardsLeft;
    }
    walking = 1;
    walkCycles = flee ? RandomInRange(fleeCyclesMin, fleeCyclesMax)
                      : RandomInRange(walkCyclesMin, walkCyclesMax);
}

i32 NonPlayerCharacter::WalkOn() {
    const i32 candidate = FindObject(position - 0.5f, kFurniture, 0.05f, true);
    const i32 job = anim.job;
    auto mayNail = [&]() {
        return candidate >= 0 && std::fabs(DistanceToPlayer(gPlayer.position)) < wrapRange &&
               !IsFleeJob(job) && !IsAngryJob(job);
    };

    if (walkCycles != 0) {
        if (!IsPlaying()) {
            walkCycles = 0;
            walking = 0;
            idleCycles = RandomInRange(idleCyclesMin, idleCyclesMax);
            return 2;
        }
        walking = 1;
        --walkCycles;
        if (walkCycles == 0) flee = 0;
        if (nailTarget == -1 && !flee && PercentDraw() < wrapProbability && mayNail()) {
            // A piece in reach: the walk is cut short for a nail.
            walkCycles = 0;
            walking = 0;
        } else {
            return 2;
        }
    }

    if (nailTarget == -1 && !flee && IsPlaying() && PercentDraw() < wrapProbability && mayNail()) {
        nailTarget = candidate;
        return 1;
    }
    return 0;
}

bool NonPlayerCharacter::LeafletCheck() {
    if (characterType != kLawyer || gLevel.leafletCounter != 0) return false;
    const float d = DistanceToPlayer(gPlayer.position);
    const bool facesPlayer = facingLeft ? d < 0.0f : d >= 0.0f;
    if (!(std::fabs(d) < actionRange) || !facesPlayer || flee || !IsPlaying()) return false;
    if (PercentDraw() >= actionProbability) return false;
    gLevel.leafletCounter += 1;
    leafletPending = 1;
    return true;
}

bool NonPlayerCharacter::Engaged() {
    const i32 job = anim.job;
    const bool mine = (job >= 2 && job <= 7) || job == 20 || job == 21 || IsAngryJob(job);
    const i32 playerJob = gPlayer.anim.job;
    return mine && playerJob >= 12 && playerJob <= 19;
}

// The leaflet record for the side the player stands on; the player is told
// what it will cost.
static void StartLeaflet(NonPlayerCharacter& lawyer) {
    const bool playerLeft = lawyer.DistanceToPlayer(gPlayer.position) < 0.0f;
    gPlayer.messageTimer = kLeafletMessageTime;
    gPlayer.messageValue = gLevel.lawyerPenalty;
    lawyer.SetAnimation(Animation(playerLeft ? AII_LawyerLeftLeaflet : AII_LawyerRightLeaflet));
}

bool NonPlayerCharacter::OnAnimationEvent(bool cycleEnded) {
    if (CountCycle(cycleEnded)) return false;

    auto decide = [this, cycleEnded]() {
        if (cycleEnded || Engaged()) {
            Decide(false);
        } else {
            LeafletCheck();
        }
    };
    const i32 job = anim.job;

    switch (job) {
        case 2:
        case 20:
        case 3:
        case 21: {
            decide();
            const bool left = job == 2 || job == 20;
            const AnimationRecord* next = nullptr;
            bool restart = false;
            if (cycleEnded) {
                const bool plain = (Random::Next() & 11) == 0;
                next = &slots[plain ? (left ? kIdleL : kIdleR) : (left ? kIdle2L : kIdle2R)];
            }
            bool leaflet = false;
            if (walking) {
                i32 slot = facingLeft ? kTriggerL1 : kTriggerR1;
                if (flee) {
                    slot = facingLeft ? kFleeL1 : kFleeR1;
                } else if (walkCycles <= kAngryWalkLimit) {
                    slot = facingLeft ? kStepL1 : kStepR1;
                }
                next = &slots[slot];
                restart = true;
            }
            if (characterType == kLawyer && leafletPending) {
                leaflet = true;
                restart = true;
            }
            if (nailTarget >= 0) {
                leaflet = false;
                next = &Animation(AII_RemovalManPrepareNail);
                restart = true;
            }
            if (characterType == kWife && victory) {
                leaflet = false;
                next = &Animation(AII_WifeVictoryRaise);
                restart = true;
            }
            if (leaflet) {
                StartLeaflet(*this);
            } else if (next != nullptr) {
                SetAnimation(*next);
            }
            return restart;
        }
        case 4:
        case 22:
        case 26:
        case 5:
        case 23:
        case 27:
        case 6:
        case 24:
        case 28:
        case 7:
        case 25:
        case 29: {
            if (!cycleEnded) return false;
            decide();
            // The step that follows: the other step of the same side.
            const bool left =
                job == 4 || job == 5 || job == 22 || job == 23 || job == 26 || job == 27;
            const bool firstStep =
                job == 4 || job == 6 || job == 22 || job == 24 || job == 26 || job == 28;
            const i32 other = (left ? 0 : 2) + (firstStep ? 1 : 0);
            i32 slot = kTriggerL1 + other;
            if (flee) {
                slot = kFleeL1 + other;
            } else if (walkCycles <= kAngryWalkLimit) {
                if (characterType == kLawyer && leafletPending) {
                    StartLeaflet(*this);
                    return false;
                }
                slot = kStepL1 + other;
            }
            if (!walking) slot = left ? kIdleL : kIdleR;
            SetAnimation(slots[slot]);
            return true;
        }
        case 38:
            if (PlayerThreatens()) {
                Decide(false);
                if (flee) {
                    nailTarget = -1;
                    SetAnimation(slots[facingLeft ? kFleeL1 : kFleeR1]);
                    return true;
                }
            }
            if (!cycleEnded) return false;
            SetAnimation(Animation(AII_RemovalManNail));
            return true;
        case 39:
            if (!cycleEnded) return false;
            if (nailTarget >= 0) {
                SetAnimation(Animation(AII_RemovalManNail));
            } else {
                SetAnimation(slots[facingLeft ? kIdleL : kIdleR]);
            }
            return false;
        case 40:
        case 41:
            if (!cycleEnded) return false;
            leafletPending = 0;
            if (gLevel.leafletCounter > 0) gLevel.leafletCounter -= 1;
            SetAnimation(slots[facingLeft ? kIdleL : kIdleR]);
            Decide(true);  // handing it over done, the lawyer makes off
            ChangeTimeLeft(gLevel.lawyerPenalty);
            return true;
        case 42:
            if (!cycleEnded) return false;
            SetAnimation(Animation(AII_WifeVictoryWave));
            return true;
        default:
            return false;
    }
}

void NonPlayerCharacter::Draw(float /*viewLeft*/, float /*dt*/) {
    if (hidden) return;
    const float d = DistanceToPlayer(gPlayer.position);
    const i32 x = static_cast<i32>((0.5f - d) * static_cast<float>(gGame.screenWidth));
    DrawFrames(x, false);

    if (gGame.showFps && gPlatform != nullptr) {
        std::snprintf(debugText, sizeof debugText,
                      "IdleCycles: %d\nWalkCycles: %d\nPosition: %0.2f\nDistToPlayer: %0.2f\n"
                      "Left/Flee: %d/%d\nJob/Cycles: %d/%d\nWlkPrb/Str: %d/%d",
                      idleCycles, walkCycles, static_cast<double>(position), static_cast<double>(d),
                      facingLeft, flee, anim.job, cycleCount, walkProbability, searchStrength);
        gPlatform->DrawScreenText(x - 25, 250, debugText, false);
    }
}
