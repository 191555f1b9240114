// The one body renderer behind every figure of the game: a jointed cartoon
// puppet with per-kind proportions, colours and clothes, posed by a handful of
// angles. Figures are drawn facing right with their feet at the origin; the
// figure code mirrors them for the left-facing pictures.
#pragma once

#include <cairo.h>

#include "tools/assetgen/Canvas.h"

namespace assetgen {

enum class Hair { Short, Bun, Bald, Slick };
enum class Hat { None, Helmet, Cap, PoliceCap };
enum class Face { Calm, Angry, Scared, Happy, Dazed, Shouting, Effort };

struct FigureStyle {
    // Lengths in pixels.
    double thigh = 42, shin = 42, foot = 17;
    double torso = 56, neck = 5, headRadius = 14;
    double upperArm = 31, foreArm = 28;
    double legWidth = 14, armWidth = 11, hipWidth = 30, shoulderWidth = 36, belly = 0;
    Rgb skin = Hex(0xf1c08e), hair = Hex(0x4a3020), shirt = Hex(0x3c7a3c), sleeve = Hex(0x3c7a3c);
    Rgb trousers = Hex(0x2c3e66), shoes = Hex(0x3a2614), hatColour = Hex(0xe87a1c);
    Rgb accent = Hex(0xc02020);  // tie, badge, bag, checks
    Rgb outline = Hex(0x1c1410);
    Hair hairStyle = Hair::Short;
    Hat hat = Hat::None;
    bool dress = false;     // a skirt over the legs
    bool tie = false;       // white collar and a tie
    bool overalls = false;  // a bib with straps over the shirt
    bool checks = false;    // checked shirt
    bool moustache = false;
    bool glasses = false;
    bool badge = false;  // a star on the chest
    bool belt = false;
};

enum class Prop { None, Saw, Hammer, Leaflet, Handbag, Briefcase };

struct Pose {
    double lean = 0.05;   // torso from vertical, radians, + forward
    double headTilt = 0;  // + nods forward
    double bob = 0;       // added to the hip height (negative lifts)
    // Legs: thigh angle from the vertical (+ forward), knee bend (+ folds back).
    double hipNear = 0, kneeNear = 0, hipFar = 0, kneeFar = 0;
    // Arms: shoulder angle from hanging (+ forward/up), elbow bend (+ forward).
    double shoulderNear = 0.1, elbowNear = 0.3, shoulderFar = -0.1, elbowFar = 0.3;
    // When set, the arm reaches for the given hand point instead (figure space).
    bool reachNear = false, reachFar = false;
    double handNearX = 0, handNearY = 0, handFarX = 0, handFarY = 0;
    Face face = Face::Calm;
    bool groundContact = true;  // hips placed so that the lower foot stands on y = 0
    double kneelDepth = 0;      // kneeling: hips lowered this far, far knee on the ground
    // The whole body turned about the feet (lying down) and shifted.
    double rotation = 0, shiftX = 0, shiftY = 0;

    Prop prop = Prop::None;
    // The saw: grip point (rear handle) in figure space, bar angle (0 points
    // forward, + turns the tip down), running chain phase 0..1.
    double sawX = 30, sawY = -80, sawAngle = 0.3;
    bool sawRunning = false;
    bool sawOneHand = false;  // the far arm hangs free instead of holding the front handle
    double sawPhase = 0;
    bool sawDust = false;
    double propAngle = 0;  // hammer and leaflet angle in the near hand
};

// Draws the figure into cr, feet at the current origin, facing right.
void DrawFigure(cairo_t* cr, const FigureStyle& style, const Pose& pose);

// The chainsaw on its own (for menu art and icons): grip at the origin.
void DrawSaw(cairo_t* cr, double angle, bool running, double phase, double scale = 1.0);

}  // namespace assetgen
