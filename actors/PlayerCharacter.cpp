// The player: his per-frame update, the saw's gas, the animation state machine
// that turns the intents of the input step into actions, and his drawing with
// the lawyer's penalty message.
#include "actors/PlayerCharacter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/TextTable.h"
#include "game/GameGlobals.h"
#include "game/SoundCues.h"
#include "render/TextDraw.h"

PlayerCharacter gPlayer;

namespace {

// Records 28..54 repeat 1..27 for a saw without gas.
constexpr i32 kOutOfGasOffset = AII_PlayerGE_LeftStep1 - AII_PlayerLeftStep1;

// Texts of the penalty message: shown, fading, flying to the clock.
constexpr i32 kTextPenalty = 26;
constexpr i32 kTextPenaltyFading = 27;
constexpr i32 kTextPenaltyFlying = 28;
// 1/30 in single precision, the rate at which texts fly to the head-up display.
constexpr float kFlyRate = 0.033333335f;

bool IsLeftJob(i32 job) {
    switch (job) {
        case 2:
        case 20:
        case 4:
        case 5:
        case 8:
        case 10:
        case 12:
        case 14:
        case 16:
        case 18:
        case 30:
        case 31:
        case 32:
            return true;
        default:
            return false;
    }
}

}  // namespace

PlayerCharacter::PlayerCharacter() : Character(kPlayer) {
    moveSpeed = 1.0f;
    anim.job = 1;
    anim.speed = 0.5f;
}

// The record `id` (1..27) of the set the gas selects now.
static const AnimationRecord& PlayerRecord(const PlayerCharacter& p, i32 id) {
    return Animation(p.gas > 0.0f ? id : id + kOutOfGasOffset);
}

void PlayerCharacter::SetSawSound(AssetRef* ref, i32 sequence, i32 item) {
    sawSoundRef = ref;
    sawSoundSequence = sequence;
    sawSoundItem = item;
}

void PlayerCharacter::Reset() {
    messageValue = 0;
    messageTimer = 0.0f;
    lastScrollSpeed = 0.0f;
    // Nothing of the previous level's animation is compared or stopped.
    anim.soundAsset = nullptr;
    framePosition = 0.0f;
    idle2Pick = 0;
    SetAnimation(PlayerRecord(*this, AII_PlayerRightIdle));
}

void PlayerCharacter::ConsumeGas(float dt) {
    if (gGame.screenState != Playing) return;
    float rate = gLevel.consumption[0];
    if (anim.job == 12 || anim.job == 13) {
        rate = gLevel.consumption[1];
    } else if (anim.job >= 14 && anim.job <= 19) {
        rate = gLevel.consumption[2];
    }
    const float before = gas;
    gas -= rate * dt;
    if (before > 0.0f && gas <= 0.0f) {
        const AnimationRecord& noGas = Animation(AII_NoGas);
        if (noGas.soundAsset != nullptr && noGas.soundAsset->assigned) {
            i32 item = noGas.soundItem;
            if (item < 0) item = 0;
            if (item >= 1000) item -= 1000;
            PlaySound(noGas.soundAsset, std::abs(noGas.soundSequence) - 1, item, false, false);
        }
    }
}

bool PlayerCharacter::Update(float dt, float scrollSpeed) {
    // A figure touched him: the fight cloud of that figure's kind.
    if (hit && anim.job != 36 && anim.job != 37 && !gGame.lifeCheat) {
        framePosition = 0.0f;
        SelectMusic(0);
        i32 fight = AII_PoliceFight;
        if (hitByType == kWife) fight = AII_WifeFight;
        if (hitByType == kRemovalMan) fight = AII_RemovalManFight;
        if (hitByType == kLawyer) fight = AII_LawyerFight;
        SetAnimation(Animation(fight));
    }

    moveSpeed = scrollSpeed * 0.8f;
    const float a = std::fabs(scrollSpeed);
    const float change = a - lastScrollSpeed;
    ConsumeGas(dt);

    if (walking && a < 1.5f && change < 0.0f) walking = 0;
    if (walkIntent && a > 0.19f) walking = 1;
    lastScrollSpeed = a;

    const i32 job = anim.job;
    if (job == 2 || job == 3 || job == 20 || job == 21) busy = 0;
    if (walking) {
        useHeldSpeed = 0;
        heldSpeed = 0.0f;
    }

    // Turning round swaps the record for its twin of the other side without
    // any sound hand-over; frame position and cycle count stay.
    i32 twin = 0;
    if (job == 2 && !facingLeft) twin = AII_PlayerRightIdle;
    if (job == 3 && facingLeft) twin = AII_PlayerLeftIdle;
    if (job == 20 && !facingLeft) twin = AII_PlayerRightIdle2;
    if (job == 21 && facingLeft) twin = AII_PlayerLeftIdle2;
    if (job == 4 && !facingLeft) twin = AII_PlayerRightStep1;
    if (job == 5 && !facingLeft) twin = AII_PlayerRightStep2;
    if (job == 6 && facingLeft) twin = AII_PlayerLeftStep1;
    if (job == 7 && facingLeft) twin = AII_PlayerLeftStep2;
    if (twin != 0) anim = PlayerRecord(*this, twin);
    if (job >= 4 && job <= 7 && !walking) HoldStepSpeed();

    AdvanceAnimation(dt);

    if (sawIntent == 0 && sawSoundRef != nullptr) {
        StopLoopedSound(sawSoundRef, sawSoundSequence, sawSoundItem, true);
    }
    return false;
}

bool PlayerCharacter::OnAnimationEvent(bool cycleEnded) {
    const bool goesOn = CountCycle(cycleEnded);
    if (cycleEnded) idle2Pick = (cycleDraw & 3) == 3;
    if (goesOn) return false;

    const i32 job = anim.job;
    const bool left = IsLeftJob(job);
    auto install = [this](i32 id) { SetAnimation(PlayerRecord(*this, id)); };
    auto side = [left](i32 leftId, i32 rightId) { return left ? leftId : rightId; };
    const i32 idle = idle2Pick ? side(AII_PlayerLeftIdle2, AII_PlayerRightIdle2)
                               : side(AII_PlayerLeftIdle, AII_PlayerRightIdle);

    switch (job) {
        case 2:
        case 3:
        case 20:
        case 21: {
            i32 next = idle;
            bool restart = false;
            if (walking) {
                next = moveSpeed < 0.0f ? AII_PlayerLeftStep1 : AII_PlayerRightStep1;
                restart = true;
            }
            if (sawIntent) {
                next = side(AII_PlayerLeftSwingSaw, AII_PlayerRightSwingSaw);
                restart = true;
            }
            if (threatenIntent) {
                next = side(AII_PlayerLeftLift, AII_PlayerRightLift);
                restart = true;
            }
            if (fillIntent) {
                next = side(AII_PlayerLeftKneeDown, AII_PlayerRightKneeDown);
                restart = true;
            }
            install(next);
            return restart;
        }
        case 4:
        case 5:
        case 6:
        case 7: {
            // A step ends into the other step; released keys end it at once.
            i32 next = 0;
            if (cycleEnded) {
                const bool first = job == 4 || job == 6;
                next = first ? side(AII_PlayerLeftStep2, AII_PlayerRightStep2)
                             : side(AII_PlayerLeftStep1, AII_PlayerRightStep1);
            }
            if (!walking) next = idle;
            if (next == 0) return false;
            install(next);
            return true;
        }
        case 8:
        case 9:
            if (!sawIntent) {
                install(idle);
                busy = 0;
                return true;
            }
            if (cycleEnded) {
                if (sawSoundRef != nullptr) {
                    PlaySound(sawSoundRef, sawSoundSequence, sawSoundItem, true, false);
                }
                install(side(AII_PlayerLeftSaw, AII_PlayerRightSaw));
            }
            return false;
        case 10:
        case 11:
            if (!cycleEnded) return false;
            if (sawIntent) {
                install(side(AII_PlayerLeftSaw, AII_PlayerRightSaw));
                return true;
            }
            install(idle);
            busy = 0;
            return false;
        case 12:
        case 13: {
            if (sawIntent) {
                install(side(AII_PlayerLeftSaw, AII_PlayerRightSaw));
                return false;
            }
            if (sawSoundRef != nullptr) {
                StopLoopedSound(sawSoundRef, sawSoundSequence, sawSoundItem, true);
            }
            // The saw is turned away: the turn played backward.
            AnimationRecord turn =
                PlayerRecord(*this, side(AII_PlayerLeftTurnSaw, AII_PlayerRightTurnSaw));
            turn.frameStep = -1;
            SetAnimation(turn);
            return true;
        }
        case 14:
        case 15:
            if (!cycleEnded) return false;
            install(threatenIntent ? side(AII_PlayerLeftThreaten, AII_PlayerRightThreaten)
                                   : side(AII_PlayerLeftLower, AII_PlayerRightLower));
            return true;
        case 16:
        case 17:
            if (!cycleEnded) return false;
            install(idle);
            busy = 0;
            return true;
        case 18:
        case 19:
            if (threatenIntent) {
                install(side(AII_PlayerLeftThreaten, AII_PlayerRightThreaten));
                return false;
            }
            install(side(AII_PlayerLeftLower, AII_PlayerRightLower));
            return true;
        case 30:
        case 33:
            if (!cycleEnded) return false;
            install(fillIntent ? side(AII_PlayerLeftFillUp, AII_PlayerRightFillUp)
                               : side(AII_PlayerLeftKneeUp, AII_PlayerRightKneeUp));
            return true;
        case 31:
        case 34:
            if (fillIntent) {
                install(side(AII_PlayerLeftFillUp, AII_PlayerRightFillUp));
                return false;
            }
            install(side(AII_PlayerLeftKneeUp, AII_PlayerRightKneeUp));
            return true;
        case 32:
        case 35:
            if (!cycleEnded) return false;
            install(idle);
            busy = 0;
            return true;
        case 36:
            if (!cycleEnded) return false;
            install(AII_PlayerKnockOut);
            return true;
        default:
            // Knocked out (37) he lies still until the level starts again.
            return false;
    }
}

void PlayerCharacter::Draw(float /*viewLeft*/, float dt) {
    const i32 centreX = gGame.screenWidth / 2;
    DrawFrames(centreX, hit && gGame.lifeCheat);

    // The lawyer's leaflet: the seconds it costs, then the text flies to the clock.
    if (messageValue != 0) {
        i32 textId = kTextPenalty;
        if (messageTimer < 200.0f) textId = kTextPenaltyFading;
        if (messageTimer < 30.0f) textId = kTextPenaltyFlying;
        const char* format = GetText(textId);
        const std::string text = FormatText(format != nullptr ? format : "", messageValue);
        const i32 width = TextWidth(text.c_str(), false);
        const i32 x0 = centreX - width / 2;
        i32 x = x0;
        i32 y = 326;
        if (messageTimer < 30.0f) {
            float t = (messageTimer + 1.0f) * kFlyRate;
            if (t < 0.0f) t = 0.0f;
            if (t > 1.0f) t = 1.0f;
            x = static_cast<i32>(static_cast<float>(x0) * t + 10.0f * (1.0f - t));
            y = static_cast<i32>(87.0f * (1.0f - t) + 326.0f * t);
        }
        DrawText(x, y, text.c_str(), 0, false, false, false);
        messageTimer -= dt;
        if (messageTimer <= 0.0f) {
            messageValue = 0;
            messageTimer = 0.0f;
        }
    }

    if (gGame.showFps && gPlatform != nullptr) {
        char readout[128];
        std::snprintf(readout, sizeof readout, "Position: %0.2f\nFrame/Max: %0.2f/%d\nJob: %d\n",
                      static_cast<double>(position), static_cast<double>(framePosition), frameCount,
                      anim.job);
        gPlatform->DrawScreenText(centreX - 40, 250, readout, false);
    }
}
