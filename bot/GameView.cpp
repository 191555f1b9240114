#include "bot/GameView.h"

#include <cmath>

#include "actors/NonPlayerCharacter.h"
#include "actors/PlayerCharacter.h"
#include "actors/WorldObject.h"
#include "game/GameGlobals.h"

float RingOffset(float a, float b, i32 width) {
    const float w = static_cast<float>(width < 1 ? 1 : width);
    float d = std::fmod(b - a, w);
    if (!std::isfinite(d)) return 0.0f;
    if (d > w * 0.5f) d -= w;
    if (d < -w * 0.5f) d += w;
    return d;
}

GameView ReadGameView() {
    GameView v;
    v.screenState = gGame.screenState;
    v.level = gGame.levelNumber;
    v.lives = gGame.lives;
    v.score = gGame.score;
    v.timeLeft = gGame.timeLeft;
    v.streetTime = gGame.clockBudget;
    v.width = gLevel.playfieldWidth < 1 ? 1 : gLevel.playfieldWidth;
    v.playerPosition = gPlayer.position;
    v.facingLeft = gPlayer.facingLeft != 0;
    v.gas = gPlayer.gas;
    v.playerJob = gPlayer.anim.job;
    v.busy = gPlayer.busy != 0;
    v.readingLeaflet = gLevel.leafletCounter != 0;
    v.sawFactor = gLevel.sawFactor;
    v.sawConsumption = gLevel.consumption[1];
    v.threatenConsumption = gLevel.consumption[2];

    const i32 figures = gCharacterCount < kMaxCharacters ? gCharacterCount : kMaxCharacters;
    for (i32 i = 0; i < figures; ++i) {
        const NonPlayerCharacter* c = gCharacters[i];
        if (c == nullptr) continue;
        FigureView f;
        f.type = c->characterType;
        f.position = c->position;
        f.facingLeft = c->facingLeft != 0;
        f.job = c->anim.job;
        f.hidden = c->hidden != 0;
        f.fleeing = c->flee != 0;
        f.charging = f.job >= 26 && f.job <= 29;
        f.nailTarget = c->nailTarget;
        v.figures.push_back(f);
    }

    const i32 objects = gObjectCount < kMaxObjects ? (gObjectCount < 0 ? 0 : gObjectCount) : kMaxObjects;
    for (i32 i = 0; i < objects; ++i) {
        const WorldObject& o = gObjects[i];
        if (!o.active) continue;
        PieceView p;
        p.index = i;
        p.type = o.objectType;
        p.position = o.position;
        p.reach = o.reach;
        p.stage = o.stage;
        if (o.objectType == kFurniture && o.sections[3] > 0.0f) {
            p.work = o.sections[0] + o.sections[1] + o.sections[2] + o.sections[3];
        }
        p.lock = o.lockTimer;
        if (o.objectType == kCanister) p.gas = o.sections[4];
        for (const FigureView& f : v.figures)
            if (f.type == kRemovalMan && f.nailTarget == i) p.nailing = true;
        v.pieces.push_back(p);
    }
    return v;
}
