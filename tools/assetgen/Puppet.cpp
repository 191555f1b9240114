// The jointed cartoon puppet: bones from a few angles, parts drawn back to
// front with dark rims, clothes and faces per kind of figure.
#include "tools/assetgen/Puppet.h"

#include <algorithm>
#include <cmath>

namespace assetgen {
namespace {

struct Vec {
    double x = 0, y = 0;
};
Vec operator+(Vec a, Vec b) {
    return {a.x + b.x, a.y + b.y};
}
Vec operator-(Vec a, Vec b) {
    return {a.x - b.x, a.y - b.y};
}
Vec operator*(Vec a, double s) {
    return {a.x * s, a.y * s};
}
double Length(Vec a) {
    return std::sqrt(a.x * a.x + a.y * a.y);
}

// Direction of a bone at `angle` from hanging straight down, + forward.
Vec Down(double angle) {
    return {std::sin(angle), std::cos(angle)};
}

struct Leg {
    Vec hip, knee, ankle, toe;
};
struct Arm {
    Vec shoulder, elbow, hand;
};

Leg MakeLeg(const FigureStyle& s, Vec hip, double hipAngle, double knee) {
    Leg leg;
    leg.hip = hip;
    leg.knee = hip + Down(hipAngle) * s.thigh;
    const double shinAngle = hipAngle - knee;
    leg.ankle = leg.knee + Down(shinAngle) * s.shin;
    // The toe drops when the leg trails behind (pushing off).
    const double toeDrop = std::max(0.0, -shinAngle) * 0.7;
    leg.toe = leg.ankle + Vec{std::cos(toeDrop), std::sin(toeDrop)} * s.foot;
    return leg;
}

Arm MakeArm(const FigureStyle& s, Vec shoulder, double angle, double elbow) {
    Arm arm;
    arm.shoulder = shoulder;
    // Shoulder angle measured from hanging down towards the front.
    arm.elbow = shoulder + Down(angle) * s.upperArm;
    arm.hand = arm.elbow + Down(angle + elbow) * s.foreArm;
    return arm;
}

// Two-bone reach: the elbow bends to the lower side.
Arm ReachArm(const FigureStyle& s, Vec shoulder, Vec target) {
    Arm arm;
    arm.shoulder = shoulder;
    const double a = s.upperArm, b = s.foreArm;
    Vec d = target - shoulder;
    double dist = std::clamp(Length(d), std::fabs(a - b) + 0.5, a + b - 0.5);
    const double base = std::atan2(d.y, d.x);
    const double cosOff = std::clamp((a * a + dist * dist - b * b) / (2 * a * dist), -1.0, 1.0);
    const double off = std::acos(cosOff);
    Vec e1 = shoulder + Vec{std::cos(base + off), std::sin(base + off)} * a;
    Vec e2 = shoulder + Vec{std::cos(base - off), std::sin(base - off)} * a;
    arm.elbow = e1.y > e2.y ? e1 : e2;
    Vec dir = target - arm.elbow;
    const double len = std::max(Length(dir), 0.001);
    arm.hand = arm.elbow + dir * (b / len);
    return arm;
}

void Chain(cairo_t* cr, const Vec* points, int count, double width, Rgb fill, Rgb outline) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    for (int pass = 0; pass < 2; ++pass) {
        cairo_move_to(cr, points[0].x, points[0].y);
        for (int i = 1; i < count; ++i) cairo_line_to(cr, points[i].x, points[i].y);
        SetColour(cr, pass == 0 ? outline : fill);
        cairo_set_line_width(cr, pass == 0 ? width + 4 : width);
        cairo_stroke(cr);
    }
}

void DrawLeg(cairo_t* cr, const FigureStyle& s, const Leg& leg, bool far) {
    const Rgb trousers = far ? Shade(s.trousers, 0.8) : s.trousers;
    const Rgb skin = far ? Shade(s.skin, 0.85) : s.skin;
    // Shoe first so the trouser hem overlaps it.
    Vec heel = leg.ankle - (leg.toe - leg.ankle) * 0.25;
    Vec pts[2] = {heel, leg.toe};
    Chain(cr, pts, 2, 9, far ? Shade(s.shoes, 0.8) : s.shoes, s.outline);
    if (s.dress) {
        Vec legPts[3] = {leg.hip, leg.knee, leg.ankle};
        Chain(cr, legPts, 3, s.legWidth * 0.75, skin, s.outline);
    } else {
        Vec legPts[3] = {leg.hip, leg.knee, leg.ankle + (leg.knee - leg.ankle) * 0.05};
        Chain(cr, legPts, 3, s.legWidth, trousers, s.outline);
    }
}

void DrawArm(cairo_t* cr, const FigureStyle& s, const Arm& arm, bool far) {
    const Rgb sleeve = far ? Shade(s.sleeve, 0.8) : s.sleeve;
    const Rgb skin = far ? Shade(s.skin, 0.85) : s.skin;
    Vec pts[3] = {arm.shoulder, arm.elbow, arm.hand};
    Chain(cr, pts, 3, s.armWidth, sleeve, s.outline);
    // Bare hand (and for short sleeves the forearm tip).
    cairo_arc(cr, arm.hand.x, arm.hand.y, s.armWidth * 0.55, 0, 2 * kPi);
    FillAndOutline(cr, skin, s.outline, 2);
}

void Star(cairo_t* cr, double cx, double cy, double r, Rgb fill, Rgb outline) {
    for (int i = 0; i < 10; ++i) {
        const double rr = (i % 2 == 0) ? r : r * 0.45;
        const double a = -kPi / 2 + i * kPi / 5;
        if (i == 0)
            cairo_move_to(cr, cx + rr * std::cos(a), cy + rr * std::sin(a));
        else
            cairo_line_to(cr, cx + rr * std::cos(a), cy + rr * std::sin(a));
    }
    cairo_close_path(cr);
    FillAndOutline(cr, fill, outline, 1);
}

// Torso in its own frame: hips at the origin, shoulders at (0, -torso), x forward.
void DrawTorso(cairo_t* cr, const FigureStyle& s) {
    const double hw = s.hipWidth / 2, sw = s.shoulderWidth / 2, t = s.torso;
    auto path = [&] {
        cairo_move_to(cr, -hw, 4);
        cairo_curve_to(cr, -hw - 3, -t * 0.5, -sw - 2, -t * 0.8, -sw * 0.7, -t - 2);
        cairo_curve_to(cr, -sw * 0.2, -t - 7, sw * 0.4, -t - 7, sw * 0.8, -t - 1);
        cairo_curve_to(cr, sw + s.belly * 0.4, -t * 0.7, hw + s.belly * 1.3, -t * 0.35, hw, 4);
        cairo_close_path(cr);
    };
    path();
    FillAndOutline(cr, s.shirt, s.outline, 3);
    cairo_save(cr);
    path();
    cairo_clip(cr);
    if (s.checks) {
        SetColour(cr, Shade(s.shirt, 0.6), 0.55);
        cairo_set_line_width(cr, 2.5);
        for (double y = -t - 8; y < 6; y += 9) {
            cairo_move_to(cr, -sw - 10, y);
            cairo_line_to(cr, sw + 20, y);
        }
        for (double x = -sw - 10; x < sw + 20; x += 9) {
            cairo_move_to(cr, x, -t - 8);
            cairo_line_to(cr, x, 6);
        }
        cairo_stroke(cr);
    }
    // Trousers (or the dress' lower part) around the hips.
    SetColour(cr, s.dress ? s.shirt : s.trousers);
    cairo_rectangle(cr, -sw - 20, -t * 0.18, sw * 2 + 40, t);
    cairo_fill(cr);
    if (s.overalls) {
        SetColour(cr, s.trousers);
        cairo_rectangle(cr, -hw * 0.1, -t * 0.72, sw + 30, t);
        cairo_fill(cr);
        cairo_set_line_width(cr, 5);
        cairo_move_to(cr, hw * 0.1, -t * 0.7);
        cairo_line_to(cr, -sw * 0.5, -t - 2);
        cairo_stroke(cr);
        SetColour(cr, Hex(0xd8c040));
        cairo_arc(cr, hw * 0.3, -t * 0.66, 2.5, 0, 2 * kPi);
        cairo_fill(cr);
    }
    if (s.belt) {
        SetColour(cr, Hex(0x201810));
        cairo_rectangle(cr, -sw - 20, -t * 0.2, sw * 2 + 40, 6);
        cairo_fill(cr);
        SetColour(cr, Hex(0xd0b040));
        cairo_rectangle(cr, hw - 6, -t * 0.2, 6, 6);
        cairo_fill(cr);
    }
    if (s.tie) {
        SetColour(cr, Hex(0xf4f4f0));
        cairo_move_to(cr, sw * 0.2, -t - 4);
        cairo_line_to(cr, sw + 4, -t - 2);
        cairo_line_to(cr, sw * 0.7, -t * 0.55);
        cairo_close_path(cr);
        cairo_fill(cr);
        SetColour(cr, s.accent);
        cairo_move_to(cr, sw * 0.62, -t + 2);
        cairo_line_to(cr, sw * 0.86, -t + 2);
        cairo_line_to(cr, sw * 0.9, -t * 0.45);
        cairo_line_to(cr, sw * 0.7, -t * 0.38);
        cairo_line_to(cr, sw * 0.55, -t * 0.47);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    if (s.badge) Star(cr, sw * 0.35, -t * 0.72, 6, Hex(0xf0c838), s.outline);
    // Redraw the rim over the clothes.
    path();
    SetColour(cr, s.outline);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
}

void DrawEye(cairo_t* cr, const FigureStyle& s, Face face, double ex, double ey, double r) {
    SetColour(cr, s.outline);
    cairo_set_line_width(cr, 2);
    switch (face) {
        case Face::Happy:
            cairo_arc(cr, ex, ey + 1, r * 0.18, kPi * 1.1, kPi * 1.9);
            cairo_stroke(cr);
            break;
        case Face::Dazed:
            cairo_move_to(cr, ex - 3, ey - 3);
            cairo_line_to(cr, ex + 3, ey + 3);
            cairo_move_to(cr, ex + 3, ey - 3);
            cairo_line_to(cr, ex - 3, ey + 3);
            cairo_stroke(cr);
            break;
        case Face::Scared:
            cairo_arc(cr, ex, ey, r * 0.22, 0, 2 * kPi);
            FillAndOutline(cr, Hex(0xffffff), s.outline, 1.5);
            cairo_arc(cr, ex + 1, ey, r * 0.09, 0, 2 * kPi);
            cairo_fill(cr);
            break;
        case Face::Effort:
            cairo_move_to(cr, ex - 3, ey);
            cairo_line_to(cr, ex + 3, ey - 1);
            cairo_stroke(cr);
            break;
        default:
            cairo_arc(cr, ex, ey, r * 0.11, 0, 2 * kPi);
            cairo_fill(cr);
            break;
    }
    // Brows.
    cairo_set_line_width(cr, 2.5);
    if (face == Face::Angry || face == Face::Shouting || face == Face::Effort) {
        cairo_move_to(cr, ex - 5, ey - r * 0.42);
        cairo_line_to(cr, ex + 4, ey - r * 0.22);
        cairo_stroke(cr);
    } else if (face == Face::Scared) {
        cairo_move_to(cr, ex - 5, ey - r * 0.3);
        cairo_line_to(cr, ex + 4, ey - r * 0.52);
        cairo_stroke(cr);
    }
}

void DrawMouth(cairo_t* cr, const FigureStyle& s, Face face, double mx, double my, double r) {
    SetColour(cr, s.outline);
    cairo_set_line_width(cr, 2);
    switch (face) {
        case Face::Happy:
            cairo_arc(cr, mx - 2, my - 3, r * 0.3, kPi * 0.15, kPi * 0.85);
            cairo_stroke(cr);
            break;
        case Face::Angry:
            cairo_arc(cr, mx - 2, my + 4, r * 0.25, kPi * 1.2, kPi * 1.8);
            cairo_stroke(cr);
            break;
        case Face::Scared:
        case Face::Shouting:
            cairo_save(cr);
            cairo_translate(cr, mx - 1, my);
            cairo_scale(cr, 1.0, face == Face::Shouting ? 1.3 : 1.0);
            cairo_arc(cr, 0, 0, r * 0.2, 0, 2 * kPi);
            cairo_restore(cr);
            FillAndOutline(cr, Hex(0x6a1a1a), s.outline, 1.5);
            break;
        case Face::Dazed:
            cairo_move_to(cr, mx - 6, my);
            cairo_curve_to(cr, mx - 3, my - 3, mx, my + 3, mx + 3, my);
            cairo_stroke(cr);
            break;
        case Face::Effort:
            cairo_rectangle(cr, mx - 6, my - 2, 8, 4);
            FillAndOutline(cr, Hex(0xffffff), s.outline, 1.2);
            break;
        default:
            cairo_move_to(cr, mx - 5, my);
            cairo_line_to(cr, mx + 1, my - 0.5);
            cairo_stroke(cr);
            break;
    }
}

// Head in its own frame: centre at the origin, facing +x.
void DrawHead(cairo_t* cr, const FigureStyle& s, Face face) {
    const double r = s.headRadius;
    if (s.hairStyle == Hair::Bun) {
        cairo_arc(cr, -r * 0.85, -r * 0.55, r * 0.55, 0, 2 * kPi);
        FillAndOutline(cr, s.hair, s.outline, 2.5);
    }
    // Skull and jaw.
    cairo_save(cr);
    cairo_scale(cr, 1.0, 1.08);
    cairo_arc(cr, 0, 0, r, 0, 2 * kPi);
    cairo_restore(cr);
    FillAndOutline(cr, s.skin, s.outline, 2.5);
    // Nose.
    cairo_arc(cr, r * 0.95, r * 0.08, r * 0.22, -kPi * 0.6, kPi * 0.75);
    FillAndOutline(cr, s.skin, s.outline, 2);
    // Ear.
    cairo_arc(cr, -r * 0.12, r * 0.05, r * 0.22, 0, 2 * kPi);
    FillAndOutline(cr, Shade(s.skin, 0.92), s.outline, 1.5);
    // Hair.
    if (s.hairStyle != Hair::Bald || s.hat == Hat::None) {
        cairo_new_path(cr);
        if (s.hairStyle == Hair::Bald) {
            cairo_arc(cr, -r * 0.6, -r * 0.1, r * 0.35, kPi * 0.6, kPi * 1.5);
        } else {
            cairo_arc(cr, 0, 0, r + 1.5, kPi * 0.95, kPi * 1.9);
            cairo_curve_to(cr, r * 0.3, -r * 0.55, -r * 0.3, -r * 0.45, -r * 0.45, r * 0.35);
            cairo_close_path(cr);
        }
        FillAndOutline(cr, s.hair, s.outline, 2);
        if (s.hairStyle == Hair::Slick) {
            SetColour(cr, Hex(0xffffff), 0.45);
            cairo_set_line_width(cr, 2);
            cairo_arc(cr, 0, 0, r - 2, kPi * 1.25, kPi * 1.55);
            cairo_stroke(cr);
        }
    }
    DrawEye(cr, s, face, r * 0.45, -r * 0.18, r);
    if (s.glasses) {
        cairo_set_line_width(cr, 1.6);
        SetColour(cr, Hex(0x101010));
        cairo_arc(cr, r * 0.48, -r * 0.16, r * 0.3, 0, 2 * kPi);
        cairo_move_to(cr, r * 0.18, -r * 0.2);
        cairo_line_to(cr, -r * 0.15, -r * 0.1);
        cairo_stroke(cr);
    }
    if (s.moustache) {
        cairo_move_to(cr, r * 0.95, r * 0.32);
        cairo_curve_to(cr, r * 0.7, r * 0.2, r * 0.35, r * 0.3, r * 0.3, r * 0.55);
        cairo_curve_to(cr, r * 0.55, r * 0.45, r * 0.8, r * 0.5, r * 0.95, r * 0.32);
        FillAndOutline(cr, s.hair, s.outline, 1.2);
    }
    DrawMouth(cr, s, face, r * 0.62, r * 0.62, r);
    // Headgear.
    switch (s.hat) {
        case Hat::Helmet:
            cairo_new_path(cr);
            cairo_arc(cr, 0, -r * 0.05, r * 1.12, kPi, 2 * kPi);
            cairo_close_path(cr);
            FillAndOutline(cr, s.hatColour, s.outline, 2.5);
            RoundedRect(cr, -r * 1.3, -r * 0.2, r * 2.6, r * 0.28, 2);
            FillAndOutline(cr, Shade(s.hatColour, 0.85), s.outline, 2);
            // Ear defender.
            cairo_arc(cr, -r * 0.15, r * 0.12, r * 0.32, 0, 2 * kPi);
            FillAndOutline(cr, Hex(0x505050), s.outline, 2);
            break;
        case Hat::Cap:
            cairo_new_path(cr);
            cairo_arc(cr, 0, -r * 0.1, r * 1.05, kPi * 1.02, 2 * kPi);
            cairo_close_path(cr);
            FillAndOutline(cr, s.hatColour, s.outline, 2.5);
            cairo_move_to(cr, r * 0.6, -r * 0.2);
            cairo_curve_to(cr, r * 1.3, -r * 0.3, r * 1.7, -r * 0.1, r * 1.75, -r * 0.02);
            cairo_line_to(cr, r * 0.7, -r * 0.02);
            cairo_close_path(cr);
            FillAndOutline(cr, Shade(s.hatColour, 0.75), s.outline, 2);
            break;
        case Hat::PoliceCap:
            cairo_move_to(cr, -r * 1.05, -r * 0.35);
            cairo_line_to(cr, -r * 1.2, -r * 1.25);
            cairo_curve_to(cr, -r * 0.3, -r * 1.55, r * 0.8, -r * 1.5, r * 1.25, -r * 1.2);
            cairo_line_to(cr, r * 0.95, -r * 0.35);
            cairo_close_path(cr);
            FillAndOutline(cr, s.hatColour, s.outline, 2.5);
            SetColour(cr, Hex(0x101010));
            cairo_rectangle(cr, -r * 1.08, -r * 0.62, r * 2.1, r * 0.25);
            cairo_fill(cr);
            cairo_move_to(cr, r * 0.5, -r * 0.38);
            cairo_curve_to(cr, r * 1.1, -r * 0.4, r * 1.5, -r * 0.2, r * 1.55, -r * 0.12);
            cairo_line_to(cr, r * 0.6, -r * 0.2);
            cairo_close_path(cr);
            FillAndOutline(cr, Hex(0x151515), s.outline, 1.5);
            Star(cr, r * 0.25, -r * 0.95, r * 0.3, Hex(0xf0c838), s.outline);
            break;
        default:
            break;
    }
}

void DrawHammer(cairo_t* cr, Vec hand, double angle) {
    cairo_save(cr);
    cairo_translate(cr, hand.x, hand.y);
    cairo_rotate(cr, angle);
    // Handle points up from the hand; the head sits across its top.
    RoundedRect(cr, -3, -30, 6, 38, 2);
    FillAndOutline(cr, Hex(0xa8743a), Hex(0x1c1410), 2);
    RoundedRect(cr, -10, -38, 22, 9, 2);
    FillAndOutline(cr, Hex(0x808890), Hex(0x1c1410), 2);
    cairo_restore(cr);
}

void DrawLeaflet(cairo_t* cr, Vec hand, double angle) {
    cairo_save(cr);
    cairo_translate(cr, hand.x, hand.y);
    cairo_rotate(cr, angle);
    cairo_rectangle(cr, -2, -26, 20, 26);
    FillAndOutline(cr, Hex(0xfbfbf2), Hex(0x1c1410), 1.8);
    SetColour(cr, Hex(0x606070));
    cairo_set_line_width(cr, 1.3);
    for (int i = 0; i < 5; ++i) {
        cairo_move_to(cr, 2, -21 + i * 4.5);
        cairo_line_to(cr, 14 - (i == 4 ? 6 : 0), -21 + i * 4.5);
    }
    cairo_stroke(cr);
    SetColour(cr, Hex(0xc02020));
    cairo_rectangle(cr, 2, -25, 7, 3);
    cairo_fill(cr);
    cairo_restore(cr);
}

void DrawBag(cairo_t* cr, Vec hand, Rgb colour, bool briefcase) {
    const Rgb ink = Hex(0x1c1410);
    cairo_set_line_width(cr, 3);
    SetColour(cr, ink);
    if (briefcase) {
        RoundedRect(cr, hand.x - 7, hand.y - 3, 14, 8, 3);
        cairo_stroke(cr);
        RoundedRect(cr, hand.x - 17, hand.y + 3, 34, 24, 3);
        FillAndOutline(cr, colour, ink, 2.5);
        SetColour(cr, Hex(0xd8b040));
        cairo_rectangle(cr, hand.x - 2, hand.y + 8, 4, 4);
        cairo_fill(cr);
    } else {
        cairo_arc(cr, hand.x, hand.y + 8, 8, kPi, 2 * kPi);
        cairo_stroke(cr);
        cairo_move_to(cr, hand.x - 12, hand.y + 8);
        cairo_line_to(cr, hand.x + 12, hand.y + 8);
        cairo_line_to(cr, hand.x + 9, hand.y + 26);
        cairo_line_to(cr, hand.x - 9, hand.y + 26);
        cairo_close_path(cr);
        FillAndOutline(cr, colour, ink, 2.5);
        SetColour(cr, Hex(0xf0d050));
        cairo_arc(cr, hand.x, hand.y + 13, 2.2, 0, 2 * kPi);
        cairo_fill(cr);
    }
}

}  // namespace

void DrawSaw(cairo_t* cr, double angle, bool running, double phase, double scale) {
    const Rgb ink = Hex(0x1c1410);
    cairo_save(cr);
    cairo_scale(cr, scale, scale);
    cairo_rotate(cr, angle);
    // Bar with its chain.
    RoundedRect(cr, 34, -7, 82, 13, 6.5);
    FillAndOutline(cr, Hex(0xc4c8cc), ink, 2.5);
    SetColour(cr, Hex(0x8a9096));
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, 40, -0.5);
    cairo_line_to(cr, 108, -0.5);
    cairo_stroke(cr);
    // Teeth along both edges; a running chain moves them and blurs.
    const double shift = std::fmod(phase, 1.0) * 7.0;
    for (int edge = 0; edge < 2; ++edge) {
        const double y = edge == 0 ? -7.5 : 6.5;
        const double dir = edge == 0 ? -1.0 : 1.0;
        for (double x = 37 + (edge == 0 ? shift : 7 - shift); x < 113; x += 7) {
            cairo_move_to(cr, x, y);
            cairo_line_to(cr, x + 3, y + dir * 3.5);
            cairo_line_to(cr, x + 5, y);
        }
    }
    SetColour(cr, Hex(0x303438));
    cairo_fill(cr);
    if (running) {
        SetColour(cr, Hex(0xffffff), 0.55);
        cairo_set_line_width(cr, 1.2);
        for (int i = 0; i < 3; ++i) {
            const double x = 45 + std::fmod(phase * 31 + i * 23, 60);
            cairo_move_to(cr, x, -9.5);
            cairo_line_to(cr, x + 9, -9.5);
            cairo_move_to(cr, x + 5, 8.5);
            cairo_line_to(cr, x + 14, 8.5);
        }
        cairo_stroke(cr);
    }
    // Rear handle loop (the grip is at the origin).
    RoundedRect(cr, -12, -7, 22, 14, 6);
    cairo_set_line_width(cr, 5);
    SetColour(cr, ink);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 2.5);
    SetColour(cr, Hex(0x3a3a3a));
    cairo_stroke(cr);
    // Engine housing.
    RoundedRect(cr, 4, -22, 34, 28, 6);
    FillAndOutline(cr, Hex(0xf07818), ink, 2.5);
    SetColour(cr, Hex(0x202020));
    cairo_rectangle(cr, 8, -8, 26, 6);
    cairo_fill(cr);
    SetColour(cr, Hex(0xffd070), 0.9);
    cairo_rectangle(cr, 9, -19, 10, 4);
    cairo_fill(cr);
    // Front handle bow.
    cairo_move_to(cr, 12, -20);
    cairo_curve_to(cr, 14, -38, 34, -38, 38, -16);
    cairo_set_line_width(cr, 6);
    SetColour(cr, ink);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 3);
    SetColour(cr, Hex(0x3a3a3a));
    cairo_stroke(cr);
    if (running) {
        // Exhaust puffs drifting back.
        for (int i = 0; i < 2; ++i) {
            const double t = std::fmod(phase + i * 0.5, 1.0);
            cairo_arc(cr, 2 - t * 18, -20 - t * 10, 3 + t * 4, 0, 2 * kPi);
            SetColour(cr, Hex(0xb8b8b8), 0.7 * (1 - t));
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
}

void DrawFigure(cairo_t* cr, const FigureStyle& s, const Pose& p) {
    cairo_save(cr);
    cairo_translate(cr, p.shiftX, p.shiftY);
    cairo_rotate(cr, p.rotation);

    // Place the hips so that the lower foot stands on the ground.
    auto legDepth = [&](double hip, double knee) {
        return s.thigh * std::cos(hip) + s.shin * std::cos(hip - knee);
    };
    double hipY = -(s.thigh + s.shin + 4);
    if (p.groundContact)
        hipY = -(std::max(legDepth(p.hipNear, p.kneeNear), legDepth(p.hipFar, p.kneeFar)) + 4);
    hipY += p.bob;
    const Vec hip{0, hipY};
    const Leg nearLeg = MakeLeg(s, hip + Vec{2, 0}, p.hipNear, p.kneeNear);
    const Leg farLeg = MakeLeg(s, hip + Vec{-2, 0}, p.hipFar, p.kneeFar);
    const Vec up{std::sin(p.lean), -std::cos(p.lean)};
    const Vec shoulder = hip + up * (s.torso - 6);
    const Vec shoulderNear = shoulder + Vec{2, 0};
    const Vec shoulderFar = shoulder + Vec{-3, -1};

    // Where the saw's handles are, for the hands that hold it.
    const double sa = p.sawAngle;
    const Vec sawGrip{p.sawX, p.sawY};
    const Vec sawFront =
        sawGrip + Vec{25 * std::cos(sa) + 33 * std::sin(sa), 25 * std::sin(sa) - 33 * std::cos(sa)};
    Arm nearArm, farArm;
    if (p.prop == Prop::Saw && !p.sawOneHand) {
        nearArm = ReachArm(s, shoulderNear, sawGrip);
        farArm = ReachArm(s, shoulderFar, sawFront);
    } else if (p.prop == Prop::Saw) {
        nearArm = ReachArm(s, shoulderNear, sawGrip);
        farArm = p.reachFar ? ReachArm(s, shoulderFar, {p.handFarX, p.handFarY})
                            : MakeArm(s, shoulderFar, p.shoulderFar, p.elbowFar);
    } else {
        nearArm = p.reachNear ? ReachArm(s, shoulderNear, {p.handNearX, p.handNearY})
                              : MakeArm(s, shoulderNear, p.shoulderNear, p.elbowNear);
        farArm = p.reachFar ? ReachArm(s, shoulderFar, {p.handFarX, p.handFarY})
                            : MakeArm(s, shoulderFar, p.shoulderFar, p.elbowFar);
    }

    DrawArm(cr, s, farArm, true);
    if (p.prop == Prop::Handbag) DrawBag(cr, farArm.hand, s.accent, false);
    DrawLeg(cr, s, farLeg, true);
    DrawLeg(cr, s, nearLeg, false);
    if (s.dress) {
        // The skirt swings with the knees.
        const double top = hipY - s.torso * 0.2;
        const double hemY = hipY + s.thigh * 0.9;
        const double back = std::min({nearLeg.knee.x, farLeg.knee.x, -8.0}) - 9;
        const double front = std::max({nearLeg.knee.x, farLeg.knee.x, 8.0}) + 9;
        cairo_move_to(cr, -s.hipWidth / 2 - 1, top);
        cairo_line_to(cr, s.hipWidth / 2 + 1, top);
        cairo_curve_to(cr, front - 4, top + 15, front, hemY - 10, front + 2, hemY);
        cairo_curve_to(cr, front * 0.3, hemY + 4, back * 0.3, hemY + 4, back - 2, hemY);
        cairo_curve_to(cr, back, hemY - 10, back + 4, top + 15, -s.hipWidth / 2 - 1, top);
        cairo_close_path(cr);
        FillAndOutline(cr, Shade(s.shirt, 0.92), s.outline, 3);
    }
    cairo_save(cr);
    cairo_translate(cr, hip.x, hip.y);
    cairo_rotate(cr, p.lean);
    DrawTorso(cr, s);
    cairo_restore(cr);

    // Neck and head.
    const Vec neckTop = shoulder + up * (s.neck + 2);
    const double headAngle = p.lean * 0.6 + p.headTilt;
    const Vec headUp{std::sin(headAngle), -std::cos(headAngle)};
    const Vec headCentre = neckTop + headUp * (s.headRadius * 0.85) + Vec{2, 0};
    Limb(cr, shoulder.x + 3, shoulder.y + 2, neckTop.x + 3, neckTop.y, 9, s.skin, s.outline, 2);
    cairo_save(cr);
    cairo_translate(cr, headCentre.x, headCentre.y);
    cairo_rotate(cr, headAngle);
    DrawHead(cr, s, p.face);
    cairo_restore(cr);

    switch (p.prop) {
        case Prop::Saw:
            cairo_save(cr);
            cairo_translate(cr, sawGrip.x, sawGrip.y);
            DrawSaw(cr, sa, p.sawRunning, p.sawPhase);
            cairo_restore(cr);
            if (p.sawDust) {
                // Chips fly down and back from the cut.
                const Vec cut = sawGrip + Vec{std::cos(sa), std::sin(sa)} * 80;
                for (int i = 0; i < 9; ++i) {
                    const double t = std::fmod(p.sawPhase + i * 0.137, 1.0);
                    const double dx = -10 - 40 * t + (i % 3) * 6;
                    const double dy = 6 + 38 * t * t + (i % 2) * 5;
                    cairo_rectangle(cr, cut.x + dx, cut.y + dy, 3.5, 2.5);
                    SetColour(cr, i % 2 ? Hex(0xe8c890) : Hex(0xc89858), 1.0 - 0.4 * t);
                    cairo_fill(cr);
                }
            }
            break;
        case Prop::Hammer:
            DrawHammer(cr, nearArm.hand, p.propAngle);
            break;
        case Prop::Leaflet:
            DrawLeaflet(cr, nearArm.hand, p.propAngle);
            break;
        case Prop::Briefcase:
            DrawBag(cr, nearArm.hand, Hex(0x6a3c1c), true);
            break;
        default:
            break;
    }
    DrawArm(cr, s, nearArm, false);
    cairo_restore(cr);
}

}  // namespace assetgen
