// "GUI": the menu screens' pictures. Sequence 0: the main-menu background
// (item 0) and the background of the other screens (item 1); 1: the large
// button, plain and three highlight steps (its plain picture is also the
// name-entry panel); 2: the small button, plain and two steps; 3: the title
// animation; 4-8: the HUD icons for lives and the four bonuses.
#include <cmath>
#include <functional>

#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/Generators.h"
#include "tools/assetgen/Puppet.h"

namespace assetgen {
namespace {

using datalib::Encoding;
using datalib::Sequence;

constexpr double kTau = 2 * kPi;
const Rgb kInk = Hex(0x1c1410);

FigureStyle Hero() {
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

void SkyGradient(cairo_t* cr, Rgb top, Rgb bottom, double h) {
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(g, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(g, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, g);
    cairo_paint(cr);
    cairo_pattern_destroy(g);
}

// A wardrobe split by the saw, for the menu scenes.
void SplitWardrobe(cairo_t* cr, double x, double ground, double scale) {
    cairo_save(cr);
    cairo_translate(cr, x, ground);
    cairo_scale(cr, scale, scale);
    for (int half = 0; half < 2; ++half) {
        cairo_save(cr);
        cairo_rotate(cr, half == 0 ? -0.08 : 0.1);
        cairo_translate(cr, half == 0 ? -60 : 6, 0);
        RoundedRect(cr, 0, -190, 54, 190, 3);
        FillAndOutline(cr, Hex(0x9a5a2a), kInk, 3);
        RoundedRect(cr, 6, -178, 42, 150, 3);
        FillAndOutline(cr, Hex(0xa86a34), kInk, 2.5);
        cairo_move_to(cr, half == 0 ? 54 : 0, -190);
        for (int k = 0; k < 32; ++k)
            cairo_line_to(cr, (half == 0 ? 52 : 2) + (k % 2 ? 2 : -2), -190 + k * 6);
        SetColour(cr, Hex(0xf0d8a0));
        cairo_set_line_width(cr, 4);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    cairo_restore(cr);
}

void StreetSilhouette(cairo_t* cr, double ground, Rgb colour) {
    Rng rng(9);
    double x = -20;
    while (x < 820) {
        const double w = rng.Range(70, 140), h = rng.Range(120, 260);
        cairo_rectangle(cr, x, ground - h, w, h);
        if (rng.Next() % 2) {
            cairo_move_to(cr, x - 4, ground - h);
            cairo_line_to(cr, x + w / 2, ground - h - 40);
            cairo_line_to(cr, x + w + 4, ground - h);
        }
        SetColour(cr, colour);
        cairo_fill(cr);
        for (double wy = ground - h + 16; wy < ground - 30; wy += 34)
            for (double wx = x + 12; wx < x + w - 20; wx += 26)
                if (rng.Next() % 3) {
                    cairo_rectangle(cr, wx, wy, 12, 16);
                    SetColour(cr, Hex(0xf8d070), 0.85);
                    cairo_fill(cr);
                }
        x += w + rng.Range(4, 20);
    }
}

datalib::Picture MainMenuBackground() {
    Canvas canvas(800, 600);
    cairo_t* cr = canvas.cr();
    SkyGradient(cr, Hex(0x2a2c6a), Hex(0xf09860), 600);
    StreetSilhouette(cr, 520, Hex(0x4a3458));
    cairo_rectangle(cr, 0, 520, 800, 80);
    SetColour(cr, Hex(0x5a5460));
    cairo_fill(cr);
    cairo_rectangle(cr, 0, 520, 800, 6);
    SetColour(cr, Hex(0x8a8490));
    cairo_fill(cr);
    // The hero threatening the world with his saw.
    SplitWardrobe(cr, 340, 585, 1.3);
    cairo_save(cr);
    cairo_translate(cr, 170, 590);
    cairo_scale(cr, 1.7, 1.7);
    Pose pose;
    pose.prop = Prop::Saw;
    pose.sawX = 26, pose.sawY = -118, pose.sawAngle = -0.45;
    pose.sawRunning = true;
    pose.sawPhase = 0.3;
    pose.hipNear = 0.35, pose.hipFar = -0.3, pose.kneeNear = 0.2;
    pose.lean = -0.06;
    pose.face = Face::Shouting;
    DrawFigure(cr, Hero(), pose);
    cairo_restore(cr);
    // A calm panel behind the buttons.
    RoundedRect(cr, 490, 122, 320, 270, 18);
    SetColour(cr, Hex(0x101830), 0.45);
    cairo_fill(cr);
    RoundedRect(cr, 500, 518, 300, 90, 18);
    SetColour(cr, Hex(0x101830), 0.45);
    cairo_fill(cr);
    return MakePicture(canvas.ToImage(), 0, 0, Encoding::Raw, false);
}

datalib::Picture MenuBackground() {
    Canvas canvas(800, 600);
    cairo_t* cr = canvas.cr();
    // Wooden wall of planks.
    Rng rng(31);
    for (int i = 0; i < 10; ++i) {
        const Rgb c = Mix(Hex(0x7a4a2a), Hex(0x9a6236), rng.Range(0, 1));
        cairo_rectangle(cr, i * 80, 0, 80, 600);
        SetColour(cr, c);
        cairo_fill(cr);
        SetColour(cr, Shade(c, 0.8), 0.7);
        cairo_set_line_width(cr, 1.5);
        for (int k = 0; k < 7; ++k) {
            const double gx = i * 80 + 8 + k * 10 + rng.Range(-3, 3);
            cairo_move_to(cr, gx, 0);
            cairo_curve_to(cr, gx + rng.Range(-6, 6), 200, gx + rng.Range(-6, 6), 400, gx, 600);
        }
        cairo_stroke(cr);
        cairo_rectangle(cr, i * 80, 0, 80, 600);
        SetColour(cr, Hex(0x3a2010));
        cairo_set_line_width(cr, 3);
        cairo_stroke(cr);
        for (double y : {30.0, 570.0}) {
            cairo_arc(cr, i * 80 + 40, y, 4, 0, kTau);
            FillAndOutline(cr, Hex(0xa0a0a8), kInk, 1.5);
        }
    }
    // A dark board for the texts.
    RoundedRect(cr, 14, 14, 492, 480, 14);
    FillAndOutline(cr, Hex(0x22302a), Hex(0x5a3418), 8);
    RoundedRect(cr, 14, 14, 492, 480, 14);
    SetColour(cr, kInk);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    // The hero with his handiwork on the right.
    SplitWardrobe(cr, 700, 500, 1.2);
    cairo_save(cr);
    cairo_translate(cr, 600, 505);
    cairo_scale(cr, 1.6, 1.6);
    Pose pose;
    pose.prop = Prop::Saw;
    pose.sawX = 18, pose.sawY = -74, pose.sawAngle = 1.0;
    pose.sawOneHand = true;
    pose.reachFar = true;
    pose.handFarX = -14, pose.handFarY = -96;
    pose.face = Face::Happy;
    DrawFigure(cr, Hero(), pose);
    cairo_restore(cr);
    cairo_rectangle(cr, 510, 500, 290, 100);
    SetColour(cr, Hex(0x000000), 0.15);
    cairo_fill(cr);
    return MakePicture(canvas.ToImage(), 0, 0, Encoding::Raw, false);
}

// A button plate; `glow` 0 (resting) to 1 (fully highlighted).
datalib::Picture Button(int w, int h, double glow) {
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    const Rgb plate = Mix(Hex(0x2c3e5a), Hex(0x4a6a9a), glow);
    const Rgb rim = Mix(Hex(0x10141c), Hex(0xffa030), glow);
    RoundedRect(cr, 2, 3, w - 4, h - 6, 14);
    cairo_pattern_t* g = cairo_pattern_create_linear(0, 3, 0, h - 3);
    const Rgb light = Shade(plate, 1.35), dark = Shade(plate, 0.7);
    cairo_pattern_add_color_stop_rgb(g, 0, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(g, 0.5, plate.r, plate.g, plate.b);
    cairo_pattern_add_color_stop_rgb(g, 1, dark.r, dark.g, dark.b);
    cairo_set_source(cr, g);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(g);
    SetColour(cr, rim);
    cairo_set_line_width(cr, 3 + glow * 1.5);
    cairo_stroke(cr);
    RoundedRect(cr, 7, 8, w - 14, h - 16, 10);
    SetColour(cr, Hex(0xffffff), 0.18 + glow * 0.2);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    for (double x : {11.0, w - 11.0}) {
        cairo_arc(cr, x, h / 2.0, 3, 0, kTau);
        FillAndOutline(cr, Mix(Hex(0xa8b0b8), Hex(0xffe080), glow), kInk, 1.2);
    }
    return MakePicture(canvas.ToImage(), 0, 0, Encoding::ColourKeyed, false);
}

Sequence Buttons(int w, int h, int steps) {
    Sequence seq;
    seq.listed = true;
    for (int i = 0; i <= steps; ++i) seq.items.emplace_back(Button(w, h, double(i) / steps));
    return seq;
}

// The title: the game's name split in two by a running saw, chips flying.
Sequence TitleAnimation() {
    Sequence seq;
    seq.listed = true;
    constexpr int kFrames = 6;
    constexpr double kSawAngle = 1.78, kGripX = 380, kGripY = 16;
    const double dx = std::cos(kSawAngle) / std::sin(kSawAngle);  // cut line: x per y
    for (int f = 0; f < kFrames; ++f) {
        const double t = double(f) / kFrames;
        Canvas canvas(620, 132);
        cairo_t* cr = canvas.cr();
        const double shake = (f % 2 ? 1.0 : -1.0);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 76);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, "BRETTSPALT", &ext);
        const double x0 = (620 - ext.x_advance) / 2, base = 122;
        auto cutX = [&](double y) { return kGripX + dx * (y - kGripY); };
        for (int half = 0; half < 2; ++half) {
            cairo_save(cr);
            const double gap = half == 0 ? -3 : 3;
            if (half == 0) {
                cairo_move_to(cr, 0, 0);
                cairo_line_to(cr, cutX(0) + gap, 0);
                cairo_line_to(cr, cutX(132) + gap, 132);
                cairo_line_to(cr, 0, 132);
            } else {
                cairo_move_to(cr, cutX(0) + gap, 0);
                cairo_line_to(cr, 620, 0);
                cairo_line_to(cr, 620, 132);
                cairo_line_to(cr, cutX(132) + gap, 132);
            }
            cairo_close_path(cr);
            cairo_clip(cr);
            // The halves lean apart a little.
            cairo_translate(cr, half ? 4 : -4, half ? shake : -shake);
            cairo_move_to(cr, x0, base);
            cairo_text_path(cr, "BRETTSPALT");
            SetColour(cr, kInk);
            cairo_set_line_width(cr, 9);
            cairo_stroke_preserve(cr);
            cairo_pattern_t* g = cairo_pattern_create_linear(0, base - 60, 0, base);
            cairo_pattern_add_color_stop_rgb(g, 0, 1.0, 0.93, 0.6);
            cairo_pattern_add_color_stop_rgb(g, 1, 0.95, 0.5, 0.1);
            cairo_set_source(cr, g);
            cairo_fill(cr);
            cairo_pattern_destroy(g);
            cairo_restore(cr);
        }
        // Chips and sparks fly out of the cut.
        Rng rng(55 + f);
        for (int i = 0; i < 18; ++i) {
            const double a = rng.Range(-0.3, kPi + 0.3), d = rng.Range(8, 70);
            const double y = rng.Range(50, 112);
            cairo_rectangle(cr, cutX(y) + std::cos(a) * d, y - std::sin(a) * d * 0.4, 5, 3);
            SetColour(cr, i % 3 ? Hex(0xf0d090) : Hex(0xfff060));
            cairo_fill(cr);
        }
        cairo_save(cr);
        cairo_translate(cr, kGripX, kGripY + shake);
        DrawSaw(cr, kSawAngle, true, t * 2, 1.0);
        cairo_restore(cr);
        seq.items.emplace_back(MakePicture(canvas.ToImage(), 0, 0, Encoding::ColourKeyed, false));
    }
    return seq;
}

// HUD icons: two frames (a gentle pulse), drawn with their top-left 36 rows
// below the point the game gives, so they sit under the clock and the score.
Sequence Icon(const std::function<void(cairo_t*, double pulse)>& draw, int hotY) {
    Sequence seq;
    seq.listed = true;
    for (int f = 0; f < 2; ++f) {
        Canvas canvas(40, 40);
        cairo_translate(canvas.cr(), 20, 20);
        draw(canvas.cr(), f == 0 ? 1.0 : 1.08);
        seq.items.emplace_back(
            MakePicture(canvas.ToImage(), 0, hotY, Encoding::ColourKeyed, false));
    }
    return seq;
}

void Badge(cairo_t* cr, double pulse, Rgb colour) {
    cairo_arc(cr, 0, 0, 17 * pulse, 0, kTau);
    FillAndOutline(cr, colour, kInk, 2.5);
}

void TwoTimes(cairo_t* cr) {
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 13);
    cairo_move_to(cr, 0, 16);
    cairo_text_path(cr, "2x");
    FillAndOutline(cr, Hex(0xffffff), kInk, 1.2);
}

}  // namespace

datalib::Entry MakeGuiEntry() {
    datalib::Entry entry;
    entry.name = "GUI";
    Sequence backgrounds;
    backgrounds.listed = true;
    backgrounds.items.emplace_back(MainMenuBackground());
    backgrounds.items.emplace_back(MenuBackground());
    entry.sequences[0] = std::move(backgrounds);
    entry.sequences[1] = Buttons(184, 70, 3);
    entry.sequences[2] = Buttons(240, 56, 2);
    entry.sequences[3] = TitleAnimation();
    // The name-entry panel: a plain plate like the large button, wide enough
    // for ten of the widest glyphs of the small font and the cursor, and tall
    // enough to keep the name line off its bottom rim.
    Sequence namePanel;
    namePanel.items.emplace_back(Button(264, 88, 0));
    entry.sequences[9] = std::move(namePanel);
    // Lives: the hero's helmeted head. The game draws them from (70, 460) to
    // the right, which is the pavement where the furniture stands; the hotspot
    // hangs them 80 pixels lower, in the black band under the street.
    entry.sequences[4] = Icon(
        [](cairo_t* cr, double pulse) {
            cairo_arc(cr, 0, 3, 13, 0, kTau);
            FillAndOutline(cr, Hex(0xf1c08e), kInk, 2.5);
            cairo_new_path(cr);
            cairo_arc(cr, 0, 1, 15 * pulse, kPi, 2 * kPi);
            cairo_close_path(cr);
            FillAndOutline(cr, Hex(0xf28a1a), kInk, 2.5);
            cairo_arc(cr, 5, 4, 2, 0, kTau);
            SetColour(cr, kInk);
            cairo_fill(cr);
        },
        -80);
    // Bonus 1: extra time.
    entry.sequences[5] = Icon(
        [](cairo_t* cr, double pulse) {
            Badge(cr, pulse, Hex(0xf8f4e0));
            SetColour(cr, kInk);
            cairo_set_line_width(cr, 3);
            cairo_move_to(cr, 0, 0);
            cairo_line_to(cr, 0, -11);
            cairo_move_to(cr, 0, 0);
            cairo_line_to(cr, 8, 4);
            cairo_stroke(cr);
        },
        -36);
    // Bonus 2: double speed.
    entry.sequences[6] = Icon(
        [](cairo_t* cr, double pulse) {
            Badge(cr, pulse, Hex(0x3a9ae0));
            SetColour(cr, Hex(0xffffff));
            cairo_set_line_width(cr, 2.5);
            for (int i = 0; i < 3; ++i) {
                cairo_move_to(cr, -12, -8 + i * 5);
                cairo_line_to(cr, -2, -8 + i * 5);
            }
            cairo_stroke(cr);
            cairo_move_to(cr, 0, -10);
            cairo_line_to(cr, 10, -2);
            cairo_line_to(cr, 0, 6);
            cairo_close_path(cr);
            FillAndOutline(cr, Hex(0xffffff), kInk, 1.5);
            TwoTimes(cr);
        },
        -36);
    // Bonus 3: points.
    entry.sequences[7] = Icon(
        [](cairo_t* cr, double pulse) {
            Badge(cr, pulse, Hex(0x40b040));
            cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                                   CAIRO_FONT_WEIGHT_BOLD);
            cairo_set_font_size(cr, 24);
            cairo_move_to(cr, -8, 9);
            cairo_text_path(cr, "$");
            FillAndOutline(cr, Hex(0xfff080), kInk, 1.5);
        },
        -36);
    // Bonus 4: double sawing power.
    entry.sequences[8] = Icon(
        [](cairo_t* cr, double pulse) {
            Badge(cr, pulse, Hex(0xe05a20));
            cairo_save(cr);
            cairo_translate(cr, -10, -2);
            DrawSaw(cr, 0.0, true, pulse, 0.2);
            cairo_restore(cr);
            TwoTimes(cr);
        },
        -36);
    return entry;
}

}  // namespace assetgen
