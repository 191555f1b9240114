// Every animated figure: the player with his saw, the ex-wife, the removal
// men, the policemen and the lawyers, and the fight cloud. Each animation is a
// pose function of the cycle position t (0..1); the pictures face left or
// right, stand on their feet at the hotspot and carry a soft ground shadow as
// the underlay in the following sequence.
#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/Generators.h"
#include "tools/assetgen/Puppet.h"

namespace assetgen {
namespace {

using datalib::Encoding;
using datalib::Entry;
using datalib::Sequence;

constexpr int kCanvasW = 420, kCanvasH = 330, kHotX = 210, kHotY = 300;
constexpr double kTau = 2 * kPi;

using FrameFn = std::function<void(cairo_t*, double t)>;

double Lerp(double a, double b, double t) {
    return a + (b - a) * t;
}
double Smooth(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

datalib::Picture RenderFrame(const FrameFn& draw, double t, bool faceLeft) {
    Canvas canvas(kCanvasW, kCanvasH);
    cairo_t* cr = canvas.cr();
    cairo_translate(cr, kHotX, kHotY);
    if (faceLeft) cairo_scale(cr, -1, 1);
    draw(cr, t);
    return MakePicture(canvas.ToImage(), kHotX, kHotY, Encoding::ColourKeyed);
}

// A soft oval shadow on the ground, blended.
datalib::Picture GroundShadow(double width) {
    const int w = static_cast<int>(width) + 8, h = static_cast<int>(width * 0.16) + 8;
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    cairo_save(cr);
    cairo_translate(cr, w / 2.0, h / 2.0);
    cairo_scale(cr, (w - 8) / 2.0, (h - 8) / 2.0);
    cairo_pattern_t* pattern = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(pattern, 0, 0, 0, 0, 0.55);
    cairo_pattern_add_color_stop_rgba(pattern, 0.7, 0, 0, 0, 0.35);
    cairo_pattern_add_color_stop_rgba(pattern, 1, 0, 0, 0, 0);
    cairo_set_source(cr, pattern);
    cairo_arc(cr, 0, 0, 1, 0, kTau);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
    cairo_restore(cr);
    return MakePicture(canvas.ToImage(), w / 2, h / 2 + 2, Encoding::Translucent, false);
}

// Puts an animation into `sequence` and its shadow into `sequence` + 1.
void AddAnimation(Entry& entry, int sequence, const FrameFn& draw, int frames, bool faceLeft,
                  double shadowWidth = 70) {
    Sequence seq;
    seq.listed = true;
    for (int i = 0; i < frames; ++i)
        seq.items.emplace_back(RenderFrame(draw, static_cast<double>(i) / (frames - 1), faceLeft));
    entry.sequences[sequence] = std::move(seq);
    Sequence shadow;
    shadow.items.emplace_back(GroundShadow(shadowWidth));
    entry.sequences[sequence + 1] = std::move(shadow);
}

// ---------------------------------------------------------------- styles --

FigureStyle PlayerStyle() {
    FigureStyle s;
    s.shirt = s.sleeve = Hex(0x3f8a3a);
    s.checks = true;
    s.trousers = Hex(0x2d4a7a);
    s.shoes = Hex(0x5a3418);
    s.hat = Hat::Helmet;
    s.hatColour = Hex(0xf28a1a);
    s.hair = Hex(0x6a4424);
    return s;
}

FigureStyle WifeStyle() {
    FigureStyle s;
    s.thigh = 40, s.shin = 40, s.torso = 50, s.headRadius = 13.5;
    s.upperArm = 28, s.foreArm = 26, s.armWidth = 9, s.legWidth = 10;
    s.hipWidth = 30, s.shoulderWidth = 30;
    s.shirt = s.sleeve = Hex(0xc0307a);
    s.dress = true;
    s.hairStyle = Hair::Bun;
    s.hair = Hex(0xd24a1c);
    s.shoes = Hex(0x701030);
    s.accent = Hex(0xf0d040);
    s.skin = Hex(0xf6c9a0);
    return s;
}

FigureStyle RemovalManStyle() {
    FigureStyle s;
    s.thigh = 42, s.shin = 40, s.torso = 60, s.headRadius = 15;
    s.legWidth = 17, s.armWidth = 14, s.hipWidth = 40, s.shoulderWidth = 44, s.belly = 16;
    s.upperArm = 31, s.foreArm = 29;
    s.shirt = s.sleeve = Hex(0xeeeeea);
    s.trousers = Hex(0x2e6fb0);
    s.overalls = true;
    s.hat = Hat::Cap;
    s.hatColour = Hex(0xd22a2a);
    s.hairStyle = Hair::Bald;
    s.hair = Hex(0x3a2416);
    s.moustache = true;
    s.shoes = Hex(0x2a1a10);
    s.skin = Hex(0xe8b088);
    return s;
}

FigureStyle PoliceStyle() {
    FigureStyle s;
    s.thigh = 46, s.shin = 45, s.torso = 60, s.headRadius = 14;
    s.legWidth = 14, s.armWidth = 12, s.hipWidth = 32, s.shoulderWidth = 40;
    s.upperArm = 33, s.foreArm = 30;
    s.shirt = s.sleeve = Hex(0x24407e);
    s.trousers = Hex(0x18284e);
    s.hat = Hat::PoliceCap;
    s.hatColour = Hex(0x1c3468);
    s.badge = true;
    s.belt = true;
    s.shoes = Hex(0x101010);
    s.hair = Hex(0x2a2a2a);
    return s;
}

FigureStyle LawyerStyle() {
    FigureStyle s;
    s.thigh = 45, s.shin = 44, s.torso = 58, s.headRadius = 13.5;
    s.legWidth = 11, s.armWidth = 9.5, s.hipWidth = 25, s.shoulderWidth = 32;
    s.upperArm = 32, s.foreArm = 29;
    s.shirt = s.sleeve = Hex(0x6c6f78);
    s.trousers = Hex(0x5a5d66);
    s.tie = true;
    s.accent = Hex(0xc81e28);
    s.hairStyle = Hair::Slick;
    s.hair = Hex(0x141414);
    s.glasses = true;
    s.shoes = Hex(0x141010);
    s.skin = Hex(0xf0c8a8);
    return s;
}

// ----------------------------------------------------------- pose helpers --

struct Gait {
    double stride = 0.42, knee = 0.85, arms = 0.45, lean = 0.06, bounce = 2.0;
};

// A walking pose at cycle position p (0..1 is one full stride of both legs).
Pose Walk(double p, const Gait& g) {
    Pose pose;
    const double a = kTau * p;
    pose.hipNear = g.stride * std::sin(a);
    pose.hipFar = -pose.hipNear;
    pose.kneeNear = 0.15 + g.knee * std::pow(std::max(0.0, std::cos(a)), 1.5);
    pose.kneeFar = 0.15 + g.knee * std::pow(std::max(0.0, -std::cos(a)), 1.5);
    pose.shoulderNear = -g.arms * std::sin(a);
    pose.shoulderFar = g.arms * std::sin(a);
    pose.elbowNear = 0.35 + 0.25 * std::max(0.0, -std::sin(a));
    pose.elbowFar = 0.35 + 0.25 * std::max(0.0, std::sin(a));
    pose.lean = g.lean;
    pose.bob = -g.bounce * std::cos(2 * a);
    return pose;
}

Pose Stand(double t, double breath = 1.5) {
    Pose pose;
    const double a = kTau * t;
    pose.hipNear = 0.06, pose.hipFar = -0.06;
    pose.kneeNear = pose.kneeFar = 0.08;
    pose.shoulderNear = 0.12 + 0.04 * std::sin(a);
    pose.shoulderFar = -0.08 - 0.04 * std::sin(a);
    pose.bob = breath * std::sin(a);
    pose.headTilt = 0.04 * std::sin(a);
    return pose;
}

Pose Kneel(double k) {
    Pose pose = Stand(0);
    pose.hipNear = Lerp(0.06, 1.35, k);
    pose.kneeNear = Lerp(0.08, 1.5, k);
    pose.hipFar = Lerp(-0.06, 0.15, k);
    pose.kneeFar = Lerp(0.08, 1.75, k);
    pose.lean = Lerp(0.05, 0.35, k);
    return pose;
}

void DrawStars(cairo_t* cr, double cx, double cy, double t) {
    for (int i = 0; i < 4; ++i) {
        const double a = kTau * (t + i / 4.0);
        const double x = cx + 26 * std::cos(a), y = cy + 8 * std::sin(a);
        const double r = 5 + 1.5 * std::sin(a);
        for (int k = 0; k < 10; ++k) {
            const double rr = k % 2 == 0 ? r : r * 0.45;
            const double b = -kPi / 2 + k * kPi / 5;
            if (k == 0)
                cairo_move_to(cr, x + rr * std::cos(b), y + rr * std::sin(b));
            else
                cairo_line_to(cr, x + rr * std::cos(b), y + rr * std::sin(b));
        }
        cairo_close_path(cr);
        FillAndOutline(cr, Hex(0xffe040), Hex(0x1c1410), 1.2);
    }
}

// ----------------------------------------------------------------- player --

struct PlayerSet {
    bool hasGas;  // false: the out-of-gas pictures (saw cold, shoulders down)
};

Pose CarrySaw(Pose pose, double t, bool running) {
    pose.prop = Prop::Saw;
    pose.sawX = 22 + 2 * std::sin(kTau * t);
    pose.sawY = -72 + pose.bob * 0.5;
    pose.sawAngle = 0.38;
    pose.sawRunning = running;
    pose.sawPhase = t * 2;
    pose.sawOneHand = true;
    return pose;
}

Entry PlayerWalk(const std::string& name, bool gas) {
    const FigureStyle s = PlayerStyle();
    Entry e;
    e.name = name;
    Gait g;
    if (!gas) g.lean = 0.2, g.stride = 0.32, g.arms = 0.2;
    for (int side = 0; side < 2; ++side) {
        for (int step = 0; step < 2; ++step) {
            FrameFn draw = [=](cairo_t* cr, double t) {
                const double p = step * 0.5 + t * 0.5;
                Pose pose = CarrySaw(Walk(p, g), p, false);
                pose.sawY += gas ? 0 : 10;
                pose.headTilt = gas ? 0 : 0.25;
                pose.face = gas ? Face::Calm : Face::Dazed;
                DrawFigure(cr, s, pose);
            };
            // Sequences: left step 1, left step 2, right step 1, right step 2.
            AddAnimation(e, (side * 2 + step) * 2, draw, 7, side == 0);
        }
    }
    return e;
}

Entry PlayerIdle(const std::string& name, bool gas) {
    const FigureStyle s = PlayerStyle();
    Entry e;
    e.name = name;
    for (int side = 0; side < 2; ++side) {
        // Idle: breathing, the saw idling in his hand.
        FrameFn idle = [=](cairo_t* cr, double t) {
            Pose pose = CarrySaw(Stand(t), t, false);
            if (!gas) pose.headTilt = 0.3, pose.lean = 0.15, pose.face = Face::Dazed;
            pose.sawY = -70 + (gas ? 0 : 6);
            DrawFigure(cr, s, pose);
        };
        AddAnimation(e, side * 2, idle, 9, side == 0);
        // Second idle: he wipes his brow with the free hand.
        FrameFn idle2 = [=](cairo_t* cr, double t) {
            Pose pose = CarrySaw(Stand(t), t, false);
            const double w = std::sin(kPi * t);
            pose.reachFar = true;
            pose.handFarX = Lerp(-6, 24, w);
            pose.handFarY = Lerp(-70, -150, w);
            pose.headTilt = -0.1 * w;
            pose.face = w > 0.5 ? Face::Effort : Face::Calm;
            if (!gas) pose.lean = 0.15;
            DrawFigure(cr, s, pose);
        };
        AddAnimation(e, 4 + side * 2, idle2, 9, side == 0);
    }
    return e;
}

// Sawing pictures of one side: swing up (0), turn (2), saw (4).
Entry PlayerSaw(const std::string& name, bool faceLeft) {
    const FigureStyle s = PlayerStyle();
    Entry e;
    e.name = name;
    FrameFn swing = [=](cairo_t* cr, double t) {
        const double k = Smooth(t);
        Pose pose = Stand(0);
        pose.prop = Prop::Saw;
        pose.sawX = Lerp(22, 28, k);
        pose.sawY = Lerp(-72, -92, k);
        pose.sawAngle = Lerp(0.38, -0.05, k);
        pose.sawRunning = t > 0.3;
        pose.sawPhase = t * 3;
        pose.lean = Lerp(0.05, 0.12, k);
        pose.hipNear = Lerp(0.06, 0.25, k);
        pose.kneeNear = Lerp(0.08, 0.3, k);
        pose.face = Face::Calm;
        DrawFigure(cr, s, pose);
    };
    AddAnimation(e, 0, swing, 7, faceLeft);
    FrameFn turn = [=](cairo_t* cr, double t) {
        const double k = Smooth(t);
        Pose pose = Stand(0);
        pose.prop = Prop::Saw;
        pose.sawX = Lerp(28, 32, k);
        pose.sawY = Lerp(-92, -88, k);
        pose.sawAngle = Lerp(-0.05, 0.35, k);
        pose.sawRunning = true;
        pose.sawPhase = t * 4;
        pose.lean = Lerp(0.12, 0.18, k);
        pose.hipNear = 0.25, pose.kneeNear = 0.3;
        pose.hipFar = -0.15, pose.kneeFar = 0.1;
        pose.face = Face::Effort;
        DrawFigure(cr, s, pose);
    };
    AddAnimation(e, 2, turn, 7, faceLeft);
    FrameFn saw = [=](cairo_t* cr, double t) {
        Pose pose = Stand(0, 0);
        pose.prop = Prop::Saw;
        const double shake = std::sin(kTau * 4 * t);
        pose.sawX = 32 + 2.5 * shake;
        pose.sawY = -88 + 1.5 * std::cos(kTau * 4 * t);
        pose.sawAngle = 0.35 + 0.025 * shake;
        pose.sawRunning = true;
        pose.sawPhase = t * 8;
        pose.sawDust = true;
        pose.lean = 0.18;
        pose.hipNear = 0.25, pose.kneeNear = 0.3;
        pose.hipFar = -0.15, pose.kneeFar = 0.1;
        pose.bob = 0.8 * shake;
        pose.face = Face::Effort;
        DrawFigure(cr, s, pose);
    };
    AddAnimation(e, 4, saw, 9, faceLeft);
    return e;
}

Entry PlayerThreat(const std::string& name) {
    const FigureStyle s = PlayerStyle();
    Entry e;
    e.name = name;
    for (int side = 0; side < 2; ++side) {
        // Lift the roaring saw above the head (played backward to lower it).
        FrameFn lift = [=](cairo_t* cr, double t) {
            const double k = Smooth(t);
            Pose pose = Stand(0);
            pose.prop = Prop::Saw;
            pose.sawX = Lerp(22, 28, k);
            pose.sawY = Lerp(-72, -186, k);
            pose.sawAngle = Lerp(0.38, -1.0, k);
            pose.sawRunning = t > 0.2;
            pose.sawPhase = t * 3;
            pose.lean = Lerp(0.05, -0.08, k);
            pose.hipNear = Lerp(0.06, 0.3, k);
            pose.hipFar = Lerp(-0.06, -0.25, k);
            pose.face = t > 0.5 ? Face::Shouting : Face::Angry;
            DrawFigure(cr, s, pose);
        };
        AddAnimation(e, side * 2, lift, 7, side == 0);
        FrameFn threaten = [=](cairo_t* cr, double t) {
            Pose pose = Stand(0, 0);
            const double a = kTau * 2 * t;
            pose.prop = Prop::Saw;
            pose.sawX = 28 + 5 * std::sin(a);
            pose.sawY = -186 + 4 * std::cos(a);
            pose.sawAngle = -1.0 + 0.14 * std::sin(a);
            pose.sawRunning = true;
            pose.sawPhase = t * 8;
            pose.lean = -0.08 + 0.03 * std::sin(a);
            pose.hipNear = 0.3, pose.hipFar = -0.25;
            pose.bob = -2 * std::fabs(std::sin(a));
            pose.face = Face::Shouting;
            DrawFigure(cr, s, pose);
        };
        AddAnimation(e, 4 + side * 2, threaten, 9, side == 0);
    }
    return e;
}

Entry PlayerLoading(const std::string& name) {
    const FigureStyle s = PlayerStyle();
    Entry e;
    e.name = name;
    for (int side = 0; side < 2; ++side) {
        // Kneel down at the canister (played backward to get up).
        FrameFn kneel = [=](cairo_t* cr, double t) {
            const double k = Smooth(t);
            Pose pose = Kneel(k);
            pose.prop = Prop::Saw;
            pose.reachFar = true;
            pose.sawX = Lerp(22, 44, k);
            pose.sawY = Lerp(-72, -22, k);
            pose.sawAngle = Lerp(0.38, 0.02, k);
            DrawFigure(cr, s, pose);
        };
        AddAnimation(e, side * 2, kneel, 7, side == 0);
        // Filling up: the free hand works the canister's pump.
        FrameFn fill = [=](cairo_t* cr, double t) {
            Pose pose = Kneel(1);
            const double a = kTau * 2 * t;
            pose.prop = Prop::Saw;
            pose.sawX = 44, pose.sawY = -22, pose.sawAngle = 0.02;
            pose.lean = 0.35 + 0.06 * std::sin(a);
            pose.headTilt = 0.25;
            pose.face = Face::Calm;
            DrawFigure(cr, s, pose);
            // A few drops of fuel sparkle at the tank.
            for (int i = 0; i < 3; ++i) {
                const double d = std::fmod(t * 2 + i / 3.0, 1.0);
                cairo_arc(cr, 58 + i * 3, -34 + d * 14, 2.2, 0, kTau);
                SetColour(cr, Hex(0xf0d030), 1 - d);
                cairo_fill(cr);
            }
        };
        AddAnimation(e, 4 + side * 2, fill, 9, side == 0);
    }
    return e;
}

Entry PlayerKnockOut(const std::string& name) {
    const FigureStyle s = PlayerStyle();
    Entry e;
    e.name = name;
    FrameFn ko = [=](cairo_t* cr, double t) {
        // The saw lies dead beside him.
        cairo_save(cr);
        cairo_translate(cr, 30, -10);
        DrawSaw(cr, 0.05, false, 0, 0.9);
        cairo_restore(cr);
        Pose pose;
        pose.groundContact = false;
        pose.rotation = -kPi / 2;
        pose.shiftX = 70;
        pose.shiftY = -16;
        pose.hipNear = 0.7, pose.kneeNear = 1.2;
        pose.hipFar = 0.1, pose.kneeFar = 0.1;
        pose.shoulderNear = 3.0 + 0.1 * std::sin(kTau * t), pose.elbowNear = 0.3;
        pose.shoulderFar = 2.2, pose.elbowFar = 0.6;
        pose.face = Face::Dazed;
        DrawFigure(cr, s, pose);
        DrawStars(cr, -100, -48, t);
    };
    AddAnimation(e, 0, ko, 9, false, 170);
    return e;
}

// ------------------------------------------------------------ other kinds --

enum class Kind { Wife, RemovalMan, Police, Lawyer };

FigureStyle StyleOf(Kind k) {
    switch (k) {
        case Kind::Wife:
            return WifeStyle();
        case Kind::RemovalMan:
            return RemovalManStyle();
        case Kind::Police:
            return PoliceStyle();
        default:
            return LawyerStyle();
    }
}

Pose Dressed(Kind k, Pose pose) {
    if (k == Kind::Wife) pose.prop = Prop::Handbag;
    if (k == Kind::Lawyer && pose.prop == Prop::None) pose.prop = Prop::Briefcase;
    return pose;
}

Gait GaitOf(Kind k) {
    Gait g;
    if (k == Kind::Wife) g.stride = 0.34, g.knee = 0.7, g.arms = 0.35;
    if (k == Kind::RemovalMan) g.stride = 0.36, g.bounce = 3.0, g.lean = 0.02;
    if (k == Kind::Police) g.stride = 0.4, g.arms = 0.3, g.lean = 0.0;
    if (k == Kind::Lawyer) g.stride = 0.44, g.arms = 0.25, g.lean = 0.08;
    return g;
}

// Four step sequences (left 1, left 2, right 1, right 2) from one gait.
void AddSteps(Entry& e, const std::function<Pose(double p)>& poseAt, const FigureStyle& s) {
    for (int side = 0; side < 2; ++side)
        for (int step = 0; step < 2; ++step) {
            FrameFn draw = [=](cairo_t* cr, double t) {
                DrawFigure(cr, s, poseAt(step * 0.5 + t * 0.5));
            };
            AddAnimation(e, (side * 2 + step) * 2, draw, 7, side == 0);
        }
}

Entry WalkEntry(Kind k, const std::string& name) {
    Entry e;
    e.name = name;
    const Gait g = GaitOf(k);
    AddSteps(
        e, [=](double p) { return Dressed(k, Walk(p, g)); }, StyleOf(k));
    return e;
}

// The angry charge at the player: bigger strides, a fist (or the bag) raised.
Entry AngerEntry(Kind k, const std::string& name) {
    Entry e;
    e.name = name;
    Gait g = GaitOf(k);
    g.stride += 0.08, g.lean += 0.14, g.bounce += 1;
    AddSteps(
        e,
        [=](double p) {
            Pose pose = Dressed(k, Walk(p, g));
            const double a = kTau * 2 * p;
            pose.shoulderNear = 2.25 + 0.2 * std::sin(a);
            pose.elbowNear = 1.3 + 0.3 * std::sin(a);
            pose.face = Face::Angry;
            if (k == Kind::Lawyer) pose.prop = Prop::Leaflet, pose.propAngle = 0.3;
            return pose;
        },
        StyleOf(k));
    return e;
}

Entry FleeEntry(Kind k, const std::string& name) {
    Entry e;
    e.name = name;
    Gait g = GaitOf(k);
    g.stride = 0.62, g.knee = 1.2, g.lean = 0.28, g.bounce = 5;
    AddSteps(
        e,
        [=](double p) {
            Pose pose = Dressed(k, Walk(p, g));
            const double a = kTau * 2 * p;
            pose.shoulderNear = 2.1 + 0.35 * std::sin(a);
            pose.shoulderFar = 2.4 - 0.35 * std::sin(a);
            pose.elbowNear = 0.9, pose.elbowFar = 0.7;
            pose.headTilt = -0.2;
            pose.face = Face::Scared;
            if (k == Kind::Lawyer) pose.prop = Prop::None;
            return pose;
        },
        StyleOf(k));
    return e;
}

Pose IdlePose(Kind k, double t) {
    Pose pose = Dressed(k, Stand(t, k == Kind::RemovalMan ? 2.2 : 1.5));
    if (k == Kind::Police) {
        // Hands on the belt.
        pose.reachNear = pose.reachFar = true;
        pose.handNearX = 16, pose.handNearY = -96;
        pose.handFarX = -14, pose.handFarY = -96;
    }
    if (k == Kind::Wife) pose.shoulderNear = 0.2, pose.elbowNear = 1.6 + 0.1 * std::sin(kTau * t);
    if (k == Kind::RemovalMan) pose.shoulderNear = 0.2, pose.shoulderFar = -0.2;
    return pose;
}

Pose Idle2Pose(Kind k, double t) {
    Pose pose = IdlePose(k, t);
    const double w = std::sin(kPi * t);
    switch (k) {
        case Kind::Wife:
            // Tapping her foot, arms folded.
            pose.reachNear = pose.reachFar = true;
            pose.handNearX = 2, pose.handNearY = -116;
            pose.handFarX = 14, pose.handFarY = -112;
            pose.hipNear = 0.25, pose.kneeNear = 0.25 + 0.3 * std::fabs(std::sin(kTau * 2 * t));
            pose.face = Face::Angry;
            break;
        case Kind::RemovalMan:
            // Scratches his head under the cap.
            pose.reachNear = true;
            pose.handNearX = 10 + 3 * std::sin(kTau * 3 * t), pose.handNearY = Lerp(-80, -178, w);
            pose.headTilt = -0.15 * w;
            break;
        case Kind::Police:
            // Rocks on his heels.
            pose.bob = -4 * std::fabs(std::sin(kTau * t));
            pose.lean = 0.04 * std::sin(kTau * t);
            break;
        case Kind::Lawyer:
            // Looks at his watch.
            pose.prop = Prop::None;
            pose.reachNear = true;
            pose.handNearX = Lerp(10, 26, w), pose.handNearY = Lerp(-80, -128, w);
            pose.headTilt = 0.3 * w;
            break;
    }
    return pose;
}

// Idle (sequences 0, 2) and second idle (4, 6) in one entry or two.
void AddIdles(Entry& e, Kind k, int firstSequence, bool second) {
    const FigureStyle s = StyleOf(k);
    for (int side = 0; side < 2; ++side) {
        FrameFn draw = [=](cairo_t* cr, double t) {
            DrawFigure(cr, s, second ? Idle2Pose(k, t) : IdlePose(k, t));
        };
        AddAnimation(e, firstSequence + side * 2, draw, 9, side == 0);
    }
}

// ------------------------------------------- pictures that face both ways --
// The game shows the wife's victory and the removal man's nailing with one
// picture whichever way the figure faced before, so these are drawn facing
// the viewer (the wife) and facing into the street, towards the piece he
// stands at (the removal man), instead of to one side.

const Rgb kFigureInk = Hex(0x1c1410);

void FrontShoe(cairo_t* cr, double x, Rgb colour) {
    cairo_save(cr);
    cairo_translate(cr, x, -5);
    cairo_scale(cr, 1, 0.6);
    cairo_arc(cr, 0, 0, 9, 0, kTau);
    cairo_restore(cr);
    FillAndOutline(cr, colour, kFigureInk, 2);
}

// The wife from the front, hands at (±handX, handY) (left hand, right hand),
// her handbag in her right hand, lifted by `lift` from the ground.
void DrawWifeFront(cairo_t* cr, double leftX, double leftY, double rightX, double rightY,
                   double lift) {
    const FigureStyle s = WifeStyle();
    cairo_save(cr);
    cairo_translate(cr, 0, -lift);
    for (double side : {-1.0, 1.0}) {
        Limb(cr, side * 7, -76, side * 8, -9, s.legWidth, s.skin, kFigureInk);
        FrontShoe(cr, side * 9, s.shoes);
    }
    // Skirt and top.
    cairo_move_to(cr, -15, -112);
    cairo_line_to(cr, 15, -112);
    cairo_line_to(cr, 25, -66);
    cairo_curve_to(cr, 10, -62, -10, -62, -25, -66);
    cairo_close_path(cr);
    FillAndOutline(cr, Shade(s.shirt, 0.85), kFigureInk, 2.5);
    RoundedRect(cr, -16, -150, 32, 42, 8);
    FillAndOutline(cr, s.shirt, kFigureInk, 2.5);
    RoundedRect(cr, -16, -114, 32, 5, 2);
    FillAndOutline(cr, s.accent, kFigureInk, 1.5);
    const double hands[2][2] = {{leftX, leftY}, {rightX, rightY}};
    for (int i = 0; i < 2; ++i) {
        const double side = i == 0 ? -1 : 1;
        const double sx = side * 14, sy = -144;
        const double hx = hands[i][0], hy = hands[i][1];
        // Elbows bend outwards.
        const double ex = (sx + hx) / 2 + side * 9, ey = (sy + hy) / 2 + 4;
        Limb(cr, sx, sy, ex, ey, s.armWidth, s.sleeve, kFigureInk);
        Limb(cr, ex, ey, hx, hy, s.armWidth * 0.9, s.sleeve, kFigureInk);
        cairo_arc(cr, hx, hy, 5, 0, kTau);
        FillAndOutline(cr, s.skin, kFigureInk, 1.8);
    }
    // The handbag swings from her right hand.
    cairo_arc(cr, rightX, rightY + 10, 8, kPi, 2 * kPi);
    SetColour(cr, kFigureInk);
    cairo_set_line_width(cr, 2.5);
    cairo_stroke(cr);
    RoundedRect(cr, rightX - 12, rightY + 8, 24, 18, 4);
    FillAndOutline(cr, s.accent, kFigureInk, 2);
    // Neck, head, hair with its bun, a broad grin.
    cairo_rectangle(cr, -4, -158, 8, 10);
    FillAndOutline(cr, s.skin, kFigureInk, 2);
    cairo_arc(cr, 0, -188, 8, 0, kTau);
    FillAndOutline(cr, s.hair, kFigureInk, 2);
    cairo_arc(cr, 0, -170, 14, 0, kTau);
    FillAndOutline(cr, s.skin, kFigureInk, 2.5);
    cairo_arc(cr, 0, -170, 14.5, kPi * 1.05, kPi * 1.95);
    cairo_curve_to(cr, 6, -178, -6, -178, -14, -171);
    cairo_close_path(cr);
    FillAndOutline(cr, s.hair, kFigureInk, 2);
    for (double side : {-1.0, 1.0}) {
        cairo_arc(cr, side * 5, -169, 1.8, 0, kTau);
        SetColour(cr, kFigureInk);
        cairo_fill(cr);
        cairo_arc(cr, side * 8, -163, 2.5, 0, kTau);
        SetColour(cr, Hex(0xf08080), 0.8);
        cairo_fill(cr);
    }
    cairo_move_to(cr, -6, -164);
    cairo_curve_to(cr, -4, -158, 4, -158, 6, -164);
    cairo_close_path(cr);
    FillAndOutline(cr, Hex(0xffffff), kFigureInk, 1.5);
    cairo_restore(cr);
}

Entry WifeVictory() {
    Entry e;
    e.name = "EXFRAU_victory";
    FrameFn raise = [](cairo_t* cr, double t) {
        const double k = Smooth(t);
        DrawWifeFront(cr, Lerp(-20, -34, k), Lerp(-100, -206, k), Lerp(20, 34, k),
                      Lerp(-100, -206, k), 0);
    };
    AddAnimation(e, 0, raise, 7, false);
    FrameFn wave = [](cairo_t* cr, double t) {
        const double a = kTau * 2 * t;
        DrawWifeFront(cr, -34 + 8 * std::sin(a), -204 + 4 * std::cos(a), 34 + 8 * std::sin(a),
                      -206 - 4 * std::cos(a), 6 * std::fabs(std::sin(a)));
    };
    AddAnimation(e, 2, wave, 9, false);
    return e;
}

// The removal man from behind, at the piece he boards up: a board held up
// with his left hand, the hammer in his right at (hammerX, hammerY), its
// head turned by `angle`.
void DrawRemovalManBack(cairo_t* cr, double hammerX, double hammerY, double angle, bool sparks) {
    const FigureStyle s = RemovalManStyle();
    // The board against the piece, behind him.
    cairo_save(cr);
    cairo_translate(cr, -6, -128);
    cairo_rotate(cr, -0.6);
    RoundedRect(cr, -46, -8, 92, 16, 2);
    FillAndOutline(cr, Hex(0xd8b070), kFigureInk, 2);
    cairo_restore(cr);
    for (double side : {-1.0, 1.0}) {
        Limb(cr, side * 10, -80, side * 11, -10, s.legWidth, s.trousers, kFigureInk);
        FrontShoe(cr, side * 12, s.shoes);
    }
    // Shirt, the overalls with their straps crossed on his back.
    RoundedRect(cr, -23, -150, 46, 66, 12);
    FillAndOutline(cr, s.shirt, kFigureInk, 2.5);
    RoundedRect(cr, -22, -98, 44, 22, 5);
    FillAndOutline(cr, s.trousers, kFigureInk, 2.5);
    for (double side : {-1.0, 1.0}) {
        cairo_move_to(cr, side * 14 - 3, -96);
        cairo_line_to(cr, -side * 15 - 3, -148);
        cairo_line_to(cr, -side * 15 + 4, -148);
        cairo_line_to(cr, side * 14 + 4, -96);
        cairo_close_path(cr);
        FillAndOutline(cr, s.trousers, kFigureInk, 1.8);
    }
    // The left arm holds the board, the right one the hammer.
    Limb(cr, -20, -142, -34, -116, s.armWidth, s.sleeve, kFigureInk);
    Limb(cr, -34, -116, -30, -138, s.armWidth * 0.9, s.skin, kFigureInk);
    const double ex = (20 + hammerX) / 2 + 10, ey = (-142 + hammerY) / 2 + 6;
    Limb(cr, 20, -142, ex, ey, s.armWidth, s.sleeve, kFigureInk);
    Limb(cr, ex, ey, hammerX, hammerY, s.armWidth * 0.9, s.skin, kFigureInk);
    cairo_save(cr);
    cairo_translate(cr, hammerX, hammerY);
    cairo_rotate(cr, angle);
    RoundedRect(cr, -3, -30, 6, 36, 2);
    FillAndOutline(cr, Hex(0xa8743a), kFigureInk, 2);
    RoundedRect(cr, -11, -38, 22, 9, 2);
    FillAndOutline(cr, Hex(0x808890), kFigureInk, 2);
    cairo_restore(cr);
    cairo_arc(cr, hammerX, hammerY, 6, 0, kTau);
    FillAndOutline(cr, s.skin, kFigureInk, 1.8);
    // Neck, the back of his head, ears, the cap.
    cairo_rectangle(cr, -6, -160, 12, 12);
    FillAndOutline(cr, s.skin, kFigureInk, 2);
    for (double side : {-1.0, 1.0}) {
        cairo_arc(cr, side * 15, -166, 4.5, 0, kTau);
        FillAndOutline(cr, s.skin, kFigureInk, 1.8);
    }
    cairo_arc(cr, 0, -168, 15, 0, kTau);
    FillAndOutline(cr, s.skin, kFigureInk, 2.5);
    cairo_arc(cr, 0, -170, 16, kPi, 2 * kPi);
    cairo_close_path(cr);
    FillAndOutline(cr, s.hatColour, kFigureInk, 2.5);
    RoundedRect(cr, -7, -175, 14, 6, 3);
    FillAndOutline(cr, Shade(s.hatColour, 0.6), kFigureInk, 1.5);
    if (sparks) {
        SetColour(cr, Hex(0xffe060));
        cairo_set_line_width(cr, 2);
        for (int i = 0; i < 6; ++i) {
            const double ang = i * kTau / 6;
            cairo_move_to(cr, 24 + 7 * std::cos(ang), -146 + 7 * std::sin(ang));
            cairo_line_to(cr, 24 + 15 * std::cos(ang), -146 + 15 * std::sin(ang));
        }
        cairo_stroke(cr);
    }
}

Entry RemovalPrepare() {
    Entry e;
    e.name = "moebelp_prepare";
    // Holds the board up and lines up the hammer on the nail.
    FrameFn draw = [](cairo_t* cr, double t) {
        const double a = kTau * t;
        DrawRemovalManBack(cr, 30 + 2 * std::sin(a), -150 - 8 * std::fabs(std::sin(a)),
                           -0.5 + 0.2 * std::sin(a), false);
    };
    AddAnimation(e, 0, draw, 7, false);
    return e;
}

Entry RemovalWork() {
    Entry e;
    e.name = "moebelp_work";
    FrameFn draw = [](cairo_t* cr, double t) {
        // Up slowly, down fast.
        const double swing = t < 0.6 ? Smooth(t / 0.6) : 1 - Smooth((t - 0.6) / 0.4);
        DrawRemovalManBack(cr, Lerp(30, 40, swing), Lerp(-150, -212, swing),
                           Lerp(-0.5, 0.6, swing), swing < 0.15);
    };
    AddAnimation(e, 0, draw, 7, false);
    return e;
}

Entry LawyerLeaflet() {
    const FigureStyle s = LawyerStyle();
    Entry e;
    e.name = "anwalt_anger";
    for (int side = 0; side < 2; ++side) {
        FrameFn draw = [=](cairo_t* cr, double t) {
            const double k = Smooth(std::min(1.0, t * 2));
            Pose pose = Stand(0);
            pose.prop = Prop::Leaflet;
            pose.shoulderNear = Lerp(0.3, 1.45, k) + (t > 0.5 ? 0.08 * std::sin(kTau * 2 * t) : 0);
            pose.elbowNear = Lerp(0.9, 0.1, k);
            pose.propAngle = Lerp(0.2, 1.2, k);
            pose.shoulderFar = -0.1;
            pose.lean = 0.1;
            pose.face = Face::Happy;
            DrawFigure(cr, s, pose);
        };
        AddAnimation(e, side * 2, draw, 7, side == 0);
    }
    return e;
}

// The brawl: a rolling dust ball with fists, shoes and stars.
Entry FightCloud() {
    Entry e;
    e.name = "wolke";
    FrameFn draw = [](cairo_t* cr, double t) {
        const Rgb ink = Hex(0x1c1410);
        const double a = kTau * t;
        // Limbs poking out.
        for (int i = 0; i < 5; ++i) {
            const double ang = a * (i % 2 ? 1 : -1) + i * 1.3;
            const double x0 = 0, y0 = -68;
            const double x1 = x0 + 78 * std::cos(ang), y1 = y0 + 60 * std::sin(ang);
            Limb(cr, x0, y0, x1, y1, 10, i % 2 ? Hex(0x3f8a3a) : Hex(0x2e6fb0), ink);
            cairo_arc(cr, x1, y1, 8, 0, kTau);
            FillAndOutline(cr, i == 2 ? Hex(0x3a2614) : Hex(0xf1c08e), ink, 2);
        }
        // The cloud itself: puffs wobbling around the centre.
        for (int pass = 0; pass < 2; ++pass) {
            for (int i = 0; i < 9; ++i) {
                const double ang = i * kTau / 9 + a * 0.5;
                const double r = 22 + 4 * std::sin(a * 2 + i);
                const double x = 40 * std::cos(ang), y = -68 + 30 * std::sin(ang);
                cairo_arc(cr, x, y, r, 0, kTau);
                if (pass == 0) {
                    SetColour(cr, ink);
                    cairo_set_line_width(cr, 5);
                    cairo_stroke(cr);
                } else {
                    SetColour(cr, i % 2 ? Hex(0xe6dcc8) : Hex(0xd4c8b0));
                    cairo_fill(cr);
                }
            }
        }
        cairo_arc(cr, 0, -68, 36, 0, kTau);
        SetColour(cr, Hex(0xeee6d6));
        cairo_fill(cr);
        DrawStars(cr, 0, -128, t);
        // Cartoon swearing.
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 22);
        const char* marks[3] = {"#!", "@", "%&"};
        for (int i = 0; i < 3; ++i) {
            const double ang = a + i * kTau / 3;
            cairo_move_to(cr, -12 + 24 * std::cos(ang), -60 + 14 * std::sin(ang));
            cairo_text_path(cr, marks[i]);
            FillAndOutline(cr, Hex(0xd02020), ink, 1.5);
        }
    };
    AddAnimation(e, 0, draw, 9, false, 150);
    return e;
}

}  // namespace

std::vector<Entry> MakeFigureEntries() {
    std::vector<Entry> entries;
    entries.push_back(PlayerWalk("Player_Walk", true));
    entries.push_back(PlayerIdle("Player_Idle", true));
    entries.push_back(PlayerSaw("Player_Saegen", true));
    entries.push_back(PlayerSaw("Player_Saegen_Flip", false));
    entries.push_back(PlayerThreat("Player_Drohen"));
    entries.push_back(PlayerLoading("Player_loading"));
    entries.push_back(PlayerKnockOut("Player_KO"));
    // Out of gas: he trudges with the saw hanging cold.
    entries.push_back(PlayerWalk("Player_Walk_leer", false));
    entries.push_back(PlayerIdle("Player_Idle_leer", false));

    entries.push_back(WalkEntry(Kind::Wife, "exfrau_walk"));
    entries.push_back(AngerEntry(Kind::Wife, "exfrau_anger"));
    entries.push_back(FleeEntry(Kind::Wife, "exfrau_flee"));
    {
        Entry idle;
        idle.name = "EXFRAU_idle";
        AddIdles(idle, Kind::Wife, 0, false);
        entries.push_back(std::move(idle));
        Entry idle2;
        idle2.name = "EXFRAU_idle2";
        AddIdles(idle2, Kind::Wife, 0, true);
        entries.push_back(std::move(idle2));
    }
    entries.push_back(WifeVictory());
    entries.push_back(FightCloud());

    entries.push_back(WalkEntry(Kind::RemovalMan, "moebelp_walk"));
    entries.push_back(AngerEntry(Kind::RemovalMan, "moebelp_anger"));
    entries.push_back(FleeEntry(Kind::RemovalMan, "moebelp_flee"));
    {
        Entry idle;
        idle.name = "moebelp_idle";
        AddIdles(idle, Kind::RemovalMan, 0, false);
        entries.push_back(std::move(idle));
        Entry idle2;
        idle2.name = "moebelp_idle2";
        AddIdles(idle2, Kind::RemovalMan, 0, true);
        entries.push_back(std::move(idle2));
    }
    entries.push_back(RemovalPrepare());
    entries.push_back(RemovalWork());

    entries.push_back(WalkEntry(Kind::Police, "wachmann_walk"));
    entries.push_back(AngerEntry(Kind::Police, "wachmann_anger"));
    entries.push_back(FleeEntry(Kind::Police, "wachmann_flee"));
    {
        // Idle in sequences 0 and 2, the second idle in 4 and 6.
        Entry idle;
        idle.name = "wachmann_idle";
        AddIdles(idle, Kind::Police, 0, false);
        AddIdles(idle, Kind::Police, 4, true);
        entries.push_back(std::move(idle));
    }

    entries.push_back(WalkEntry(Kind::Lawyer, "anwalt_walk"));
    entries.push_back(AngerEntry(Kind::Lawyer, "anwalt_wut"));
    entries.push_back(FleeEntry(Kind::Lawyer, "anwalt_flee"));
    {
        Entry idle;
        idle.name = "anwalt_idle";
        AddIdles(idle, Kind::Lawyer, 0, false);
        AddIdles(idle, Kind::Lawyer, 4, true);
        entries.push_back(std::move(idle));
    }
    entries.push_back(LawyerLeaflet());
    return entries;
}

}  // namespace assetgen
