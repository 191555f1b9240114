// The furniture the player saws apart, the gas canister, the removal van and
// the dust cloud of a cut. A piece stands on its bottom centre; its five
// stages show the cuts progressing (the same drawing sliced and tilted apart,
// raw wood at the cuts, loose parts fallen to the ground, a growing heap of
// sawdust), each with a ground shadow as underlay, and sequence 10 holds the
// boards a removal man nails across it. Sizes are in pixels at game scale; how
// tough a piece is lives in content/config/ObjectProps.txt.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/Generators.h"

namespace assetgen {
namespace {

using datalib::Encoding;
using datalib::Entry;
using datalib::Sequence;

const Rgb kInk = Hex(0x1c1410);
constexpr double kTau = 2 * kPi;

struct Piece {
    const char* name;
    double width, height;
    std::function<void(cairo_t*, double w, double h)> draw;  // bottom-left at (0, 0), y up negative
    // Where the four cuts go, in order, as parts of the width.
    std::array<double, 4> cuts = {0.5, 0.26, 0.74, 0.12};
    // Gold coins spill out with the sawdust (the chest).
    bool coins = false;
};

// Wood panel with a few grain lines.
void Wood(cairo_t* cr, double x, double y, double w, double h, Rgb colour, double radius = 3) {
    RoundedRect(cr, x, y, w, h, radius);
    FillAndOutline(cr, colour, kInk, 2.5);
    cairo_save(cr);
    cairo_rectangle(cr, x + 3, y + 3, w - 6, h - 6);
    cairo_clip(cr);
    SetColour(cr, Shade(colour, 0.82), 0.8);
    cairo_set_line_width(cr, 1.2);
    for (double gy = y + 7; gy < y + h - 4; gy += 9) {
        cairo_move_to(cr, x + 4, gy);
        cairo_curve_to(cr, x + w * 0.3, gy - 2, x + w * 0.6, gy + 2, x + w - 4, gy);
    }
    cairo_stroke(cr);
    cairo_restore(cr);
}

void Knob(cairo_t* cr, double x, double y, double r = 3.5) {
    cairo_arc(cr, x, y, r, 0, kTau);
    FillAndOutline(cr, Hex(0xe0c060), kInk, 1.5);
}

void Cushion(cairo_t* cr, double x, double y, double w, double h, Rgb c) {
    RoundedRect(cr, x, y, w, h, std::min(w, h) * 0.35);
    FillAndOutline(cr, c, kInk, 2.5);
    SetColour(cr, Shade(c, 1.25), 0.5);
    cairo_set_line_width(cr, 3);
    cairo_move_to(cr, x + 8, y + 6);
    cairo_line_to(cr, x + w * 0.5, y + 5);
    cairo_stroke(cr);
}

std::vector<Piece> Pieces() {
    std::vector<Piece> p;
    p.push_back({"Schrank", 116, 196, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0x9a5a2a);
                     Wood(cr, 0, -h + 8, w, h - 14, c);
                     Wood(cr, -4, -h, w + 8, 12, Shade(c, 0.85), 2);
                     Wood(cr, 6, -h + 18, w / 2 - 9, h - 40, Shade(c, 1.1));
                     Wood(cr, w / 2 + 3, -h + 18, w / 2 - 9, h - 40, Shade(c, 1.1));
                     Knob(cr, w / 2 - 8, -h / 2);
                     Knob(cr, w / 2 + 8, -h / 2);
                     Wood(cr, 4, -8, 10, 8, Shade(c, 0.7), 1);
                     Wood(cr, w - 14, -8, 10, 8, Shade(c, 0.7), 1);
                 }});
    p.push_back({"Sofa", 190, 92, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0x3a8a8a);
                     Cushion(cr, 10, -h, w - 20, h * 0.6, Shade(c, 0.9));
                     Cushion(cr, 12, -h * 0.52, w / 2 - 12, h * 0.3, c);
                     Cushion(cr, w / 2, -h * 0.52, w / 2 - 12, h * 0.3, c);
                     Cushion(cr, 0, -h * 0.72, 24, h * 0.62, Shade(c, 0.8));
                     Cushion(cr, w - 24, -h * 0.72, 24, h * 0.62, Shade(c, 0.8));
                     RoundedRect(cr, 8, -h * 0.24, w - 16, h * 0.16, 4);
                     FillAndOutline(cr, Shade(c, 0.7), kInk, 2.5);
                     Wood(cr, 14, -10, 8, 10, Hex(0x5a3418), 1);
                     Wood(cr, w - 22, -10, 8, 10, Hex(0x5a3418), 1);
                 }});
    p.push_back({"Tisch", 150, 80, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0xc08040);
                     Wood(cr, 10, -h + 10, 11, h - 10, Shade(c, 0.8), 2);
                     Wood(cr, w - 21, -h + 10, 11, h - 10, Shade(c, 0.8), 2);
                     Wood(cr, 12, -h + 12, w - 24, 10, Shade(c, 0.9), 2);
                     Wood(cr, 0, -h, w, 13, c, 3);
                     // A vase of flowers, where no cut goes through it: it rides
                     // down with its part of the top.
                     const double vx = w * 0.62;
                     RoundedRect(cr, vx - 9, -h - 24, 18, 24, 6);
                     FillAndOutline(cr, Hex(0x4a7ac8), kInk, 2);
                     for (int i = 0; i < 3; ++i) {
                         cairo_arc(cr, vx - 10 + i * 10, -h - 30 - (i % 2) * 6, 6, 0, kTau);
                         FillAndOutline(cr, i == 1 ? Hex(0xf0d030) : Hex(0xe04060), kInk, 1.8);
                     }
                 }});
    // The chair's cuts spare its legs, so that its last stage still shows
    // them lying there.
    p.push_back({"Stuhl", 72, 118, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0xa86a34);
                     const double back = w * 0.56;
                     // The far legs and the far post of the back, in shadow.
                     Wood(cr, back - 12, -h + 4, 8, h - 4, Shade(c, 0.6), 2);
                     Wood(cr, w - 27, -h * 0.5, 8, h * 0.5, Shade(c, 0.6), 2);
                     Wood(cr, 8, -h * 0.22, w - 16, 5, Shade(c, 0.7), 1);
                     // The near back post with its rails and splat, the near front leg.
                     Wood(cr, 4, -h, 9, h, Shade(c, 0.85), 2);
                     Wood(cr, back * 0.5 - 2, -h + 8, 8, 22, Shade(c, 1.12), 2);
                     Wood(cr, 2, -h, back, 10, c, 2);
                     Wood(cr, 8, -h + 28, back - 12, 7, c, 2);
                     Wood(cr, w - 13, -h * 0.5, 9, h * 0.5, Shade(c, 0.85), 2);
                     Wood(cr, 0, -h * 0.52, w, 11, Shade(c, 1.1), 3);
                     Cushion(cr, 4, -h * 0.6, w - 8, 10, Hex(0xb02a2a));
                 },
                 {0.56, 0.28, 0.78, 0.2}});
    p.push_back({"Bett", 200, 88, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0x8a5a3a);
                     Wood(cr, 0, -h, 18, h, c, 3);
                     Wood(cr, w - 16, -h * 0.7, 16, h * 0.7, c, 3);
                     Wood(cr, 12, -h * 0.45, w - 22, h * 0.25, Shade(c, 0.9), 2);
                     Cushion(cr, 14, -h * 0.7, w - 26, h * 0.28, Hex(0xf0f0f8));
                     Cushion(cr, 60, -h * 0.74, w - 74, h * 0.3, Hex(0x4a6ad0));
                     Cushion(cr, 18, -h * 0.86, 40, h * 0.24, Hex(0xfafaf0));
                 }});
    p.push_back({"Kommode", 120, 100, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0xb8763a);
                     Wood(cr, 0, -h + 6, w, h - 12, c);
                     Wood(cr, -3, -h, w + 6, 9, Shade(c, 0.85), 2);
                     for (int i = 0; i < 3; ++i) {
                         Wood(cr, 7, -h + 14 + i * 26, w - 14, 22, Shade(c, 1.1), 2);
                         Knob(cr, w / 2, -h + 25 + i * 26);
                     }
                     Wood(cr, 4, -7, 10, 7, Shade(c, 0.7), 1);
                     Wood(cr, w - 14, -7, 10, 7, Shade(c, 0.7), 1);
                     // A lamp on top.
                     RoundedRect(cr, w * 0.7, -h - 22, 8, 22, 2);
                     FillAndOutline(cr, Hex(0x707070), kInk, 1.5);
                     cairo_move_to(cr, w * 0.7 - 12, -h - 22);
                     cairo_line_to(cr, w * 0.7 + 20, -h - 22);
                     cairo_line_to(cr, w * 0.7 + 13, -h - 42);
                     cairo_line_to(cr, w * 0.7 - 5, -h - 42);
                     cairo_close_path(cr);
                     FillAndOutline(cr, Hex(0xf0e090), kInk, 2);
                 }});
    p.push_back({"Buecherregal", 104, 180, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0x7a4a24);
                     Wood(cr, 0, -h, w, h, c);
                     const Rgb books[6] = {Hex(0xc03030), Hex(0x3060c0), Hex(0x30a050),
                                           Hex(0xe0b030), Hex(0x8040a0), Hex(0xe07020)};
                     for (int shelf = 0; shelf < 4; ++shelf) {
                         const double sy = -h + 8 + shelf * 43;
                         RoundedRect(cr, 7, sy, w - 14, 36, 1);
                         FillAndOutline(cr, Shade(c, 0.55), kInk, 2);
                         double bx = 9;
                         for (int b = 0; bx < w - 20; ++b) {
                             const double bw = 8 + ((b * 7 + shelf * 3) % 5) * 2;
                             const double bh = 24 + ((b * 5 + shelf) % 4) * 3;
                             cairo_rectangle(cr, bx, sy + 36 - bh, bw, bh);
                             FillAndOutline(cr, books[(b + shelf * 2) % 6], kInk, 1.5);
                             bx += bw + 1;
                         }
                     }
                 }});
    p.push_back({"Klavier", 160, 136, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0x2a1a14);
                     Wood(cr, 0, -h, w, h - 50, c, 4);
                     Wood(cr, 6, -52, w - 12, 18, Shade(c, 1.3), 2);
                     // Keys.
                     cairo_rectangle(cr, 10, -56, w - 20, 12);
                     FillAndOutline(cr, Hex(0xf8f8f0), kInk, 1.5);
                     SetColour(cr, kInk);
                     for (double kx = 16; kx < w - 14; kx += 9) {
                         cairo_rectangle(cr, kx, -56, 4.5, 7);
                     }
                     cairo_fill(cr);
                     Wood(cr, 8, -40, 14, 40, c, 2);
                     Wood(cr, w - 22, -40, 14, 40, c, 2);
                     // Candles.
                     for (int i = 0; i < 2; ++i) {
                         const double cx = 22 + i * (w - 44);
                         cairo_rectangle(cr, cx - 3, -h - 16, 6, 16);
                         FillAndOutline(cr, Hex(0xfafae0), kInk, 1.5);
                         cairo_arc(cr, cx, -h - 20, 3.5, 0, kTau);
                         FillAndOutline(cr, Hex(0xffb020), kInk, 1);
                     }
                     Wood(cr, w * 0.3, -h + 14, w * 0.4, 24, Hex(0xf0e8d0), 2);
                 }});
    p.push_back({"Sessel", 96, 96, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0xc89a3a);
                     Cushion(cr, 10, -h, w - 20, h * 0.7, Shade(c, 0.9));
                     Cushion(cr, 12, -h * 0.5, w - 24, h * 0.3, c);
                     Cushion(cr, 0, -h * 0.66, 20, h * 0.56, Shade(c, 0.8));
                     Cushion(cr, w - 20, -h * 0.66, 20, h * 0.56, Shade(c, 0.8));
                     Wood(cr, 12, -10, 8, 10, Hex(0x5a3418), 1);
                     Wood(cr, w - 20, -10, 8, 10, Hex(0x5a3418), 1);
                 }});
    p.push_back({"Standuhr", 62, 200, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0x6a3a1a);
                     Wood(cr, 4, -h + 60, w - 8, h - 60, c);
                     Wood(cr, 0, -h, w, 64, Shade(c, 1.1), 6);
                     cairo_arc(cr, w / 2, -h + 32, 21, 0, kTau);
                     FillAndOutline(cr, Hex(0xf8f0d8), kInk, 2.5);
                     SetColour(cr, kInk);
                     cairo_set_line_width(cr, 2.5);
                     cairo_move_to(cr, w / 2, -h + 32);
                     cairo_line_to(cr, w / 2, -h + 17);
                     cairo_move_to(cr, w / 2, -h + 32);
                     cairo_line_to(cr, w / 2 + 11, -h + 36);
                     cairo_stroke(cr);
                     RoundedRect(cr, w / 2 - 12, -h + 74, 24, 90, 10);
                     FillAndOutline(cr, Shade(c, 0.6), kInk, 2);
                     cairo_move_to(cr, w / 2, -h + 78);
                     cairo_line_to(cr, w / 2 + 3, -h + 140);
                     SetColour(cr, Hex(0xd8b040));
                     cairo_set_line_width(cr, 2);
                     cairo_stroke(cr);
                     cairo_arc(cr, w / 2 + 3, -h + 146, 8, 0, kTau);
                     FillAndOutline(cr, Hex(0xe8c050), kInk, 2);
                 }});
    p.push_back({"Schreibtisch", 168, 84, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0x8c3a22);
                     // Back panel, the left side panel and the drawer pedestal.
                     Wood(cr, 14, -h + 10, w - 70, 36, Shade(c, 0.7), 2);
                     Wood(cr, 6, -h + 10, 13, h - 10, Shade(c, 0.85), 2);
                     Wood(cr, w - 64, -h + 10, 58, h - 10, c, 2);
                     for (int i = 0; i < 3; ++i) {
                         Wood(cr, w - 59, -h + 16 + i * 22, 48, 18, Shade(c, 1.15), 2);
                         Knob(cr, w - 35, -h + 25 + i * 22, 3);
                     }
                     Wood(cr, 22, -h + 12, w - 92, 15, Shade(c, 1.15), 2);
                     Knob(cr, 22 + (w - 92) / 2, -h + 19.5, 3);
                     Wood(cr, -3, -h, w + 6, 12, Shade(c, 1.05), 3);
                     // A green desk lamp, a pile of files and a mug of pencils.
                     cairo_save(cr);
                     cairo_translate(cr, 28, -h);
                     RoundedRect(cr, -12, -5, 24, 5, 2);
                     FillAndOutline(cr, Hex(0x8a7a40), kInk, 1.5);
                     cairo_move_to(cr, 0, -5);
                     cairo_line_to(cr, 6, -30);
                     SetColour(cr, kInk);
                     cairo_set_line_width(cr, 4);
                     cairo_stroke(cr);
                     cairo_move_to(cr, -8, -28);
                     cairo_curve_to(cr, -6, -42, 26, -44, 30, -30);
                     cairo_close_path(cr);
                     FillAndOutline(cr, Hex(0x2a8a4a), kInk, 2);
                     cairo_arc(cr, 12, -28, 5, 0, kPi);
                     FillAndOutline(cr, Hex(0xfff2a0), kInk, 1.2);
                     cairo_restore(cr);
                     const Rgb files[3] = {Hex(0xe8e4d8), Hex(0xd0a040), Hex(0x4a70b8)};
                     for (int i = 0; i < 3; ++i) {
                         RoundedRect(cr, w * 0.44 + (i % 2) * 3, -h - 7 - i * 7, 40, 7, 1);
                         FillAndOutline(cr, files[i], kInk, 1.5);
                     }
                     for (int i = 0; i < 3; ++i) {
                         cairo_move_to(cr, w - 30 + i * 4, -h - 12);
                         cairo_line_to(cr, w - 33 + i * 7, -h - 28 + i * 2);
                         SetColour(cr, i == 1 ? Hex(0xd03030) : Hex(0xe8b020));
                         cairo_set_line_width(cr, 3);
                         cairo_stroke(cr);
                     }
                     RoundedRect(cr, w - 34, -h - 16, 16, 16, 3);
                     FillAndOutline(cr, Hex(0xf4f0e8), kInk, 1.8);
                 }});
    p.push_back({"Kuehlschrank", 92, 182, [](cairo_t* cr, double w, double h) {
                     const Rgb enamel = Hex(0xdcefe6), chrome = Hex(0xc8d0d8);
                     Wood(cr, 8, -8, 12, 8, Hex(0x404048), 1);
                     Wood(cr, w - 20, -8, 12, 8, Hex(0x404048), 1);
                     RoundedRect(cr, 0, -h, w, h - 6, 18);
                     FillAndOutline(cr, enamel, kInk, 3);
                     // Rounded enamel catches the light along the left.
                     cairo_save(cr);
                     RoundedRect(cr, 0, -h, w, h - 6, 18);
                     cairo_clip(cr);
                     SetColour(cr, Hex(0xffffff), 0.7);
                     cairo_rectangle(cr, 8, -h + 10, 7, h - 30);
                     cairo_fill(cr);
                     SetColour(cr, Shade(enamel, 0.82));
                     cairo_rectangle(cr, w - 12, -h, 12, h);
                     cairo_fill(cr);
                     cairo_restore(cr);
                     // Freezer door, main door, chrome handles and the grille.
                     SetColour(cr, kInk);
                     cairo_set_line_width(cr, 2.5);
                     cairo_move_to(cr, 2, -h + 58);
                     cairo_line_to(cr, w - 2, -h + 58);
                     cairo_stroke(cr);
                     for (double y : {-h + 22.0, -h + 72.0}) {
                         RoundedRect(cr, w - 18, y, 8, y < -h + 30 ? 26 : 46, 3);
                         FillAndOutline(cr, chrome, kInk, 2);
                     }
                     RoundedRect(cr, 10, -28, w - 20, 14, 3);
                     FillAndOutline(cr, Shade(chrome, 0.8), kInk, 2);
                     SetColour(cr, kInk);
                     cairo_set_line_width(cr, 1.5);
                     for (double x = 16; x < w - 14; x += 6) {
                         cairo_move_to(cr, x, -25);
                         cairo_line_to(cr, x, -17);
                     }
                     cairo_stroke(cr);
                     // Badge, a note under a magnet and a child's drawing.
                     RoundedRect(cr, w / 2 - 16, -h + 38, 26, 9, 4);
                     FillAndOutline(cr, Hex(0xc82828), kInk, 1.5);
                     cairo_save(cr);
                     cairo_translate(cr, 22, -h + 84);
                     cairo_rotate(cr, -0.12);
                     cairo_rectangle(cr, 0, 0, 26, 24);
                     FillAndOutline(cr, Hex(0xf8e860), kInk, 1.5);
                     SetColour(cr, Hex(0x5060a0));
                     cairo_set_line_width(cr, 1.2);
                     for (int i = 0; i < 3; ++i) {
                         cairo_move_to(cr, 4, 8 + i * 5);
                         cairo_line_to(cr, 21 - i * 4, 8 + i * 5);
                     }
                     cairo_stroke(cr);
                     cairo_arc(cr, 13, 1, 3.5, 0, kTau);
                     FillAndOutline(cr, Hex(0x3070e0), kInk, 1.2);
                     cairo_restore(cr);
                     cairo_save(cr);
                     cairo_translate(cr, 26, -h + 118);
                     cairo_rotate(cr, 0.08);
                     cairo_rectangle(cr, 0, 0, 30, 24);
                     FillAndOutline(cr, Hex(0xfafaf4), kInk, 1.5);
                     cairo_arc(cr, 22, 7, 4, 0, kTau);
                     SetColour(cr, Hex(0xf0b020));
                     cairo_fill(cr);
                     cairo_move_to(cr, 4, 20);
                     cairo_line_to(cr, 9, 11);
                     cairo_line_to(cr, 14, 20);
                     cairo_move_to(cr, 9, 14);
                     cairo_line_to(cr, 9, 17);
                     SetColour(cr, Hex(0xd03030));
                     cairo_set_line_width(cr, 1.8);
                     cairo_stroke(cr);
                     cairo_arc(cr, 15, 1, 3.5, 0, kTau);
                     FillAndOutline(cr, Hex(0xe04080), kInk, 1.2);
                     cairo_restore(cr);
                 }});
    p.push_back({"Truhe", 104, 70, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0x7a4420), iron = Hex(0x4c5058);
                     Wood(cr, 0, -h * 0.62, w, h * 0.62, c, 3);
                     // The arched lid.
                     cairo_move_to(cr, -2, -h * 0.6);
                     cairo_line_to(cr, -2, -h * 0.78);
                     cairo_curve_to(cr, 4, -h - 4, w - 4, -h - 4, w + 2, -h * 0.78);
                     cairo_line_to(cr, w + 2, -h * 0.6);
                     cairo_close_path(cr);
                     FillAndOutline(cr, Shade(c, 1.12), kInk, 2.5);
                     SetColour(cr, Shade(c, 0.9), 0.8);
                     cairo_set_line_width(cr, 1.2);
                     for (double y : {-h * 0.7, -h * 0.82}) {
                         cairo_move_to(cr, 6, y);
                         cairo_curve_to(cr, w * 0.3, y - 3, w * 0.7, y + 1, w - 6, y - 2);
                     }
                     cairo_stroke(cr);
                     // Iron bands with rivets, and the brass lock.
                     for (double x : {10.0, w - 22}) {
                         cairo_move_to(cr, x, -2);
                         cairo_line_to(cr, x, -h * 0.8 - (x < w / 2 ? 4 : 4));
                         cairo_curve_to(cr, x + 2, -h - 1, x + 10, -h - 1, x + 12, -h * 0.88);
                         cairo_line_to(cr, x + 12, -2);
                         cairo_close_path(cr);
                         FillAndOutline(cr, iron, kInk, 2);
                         for (double y = -10; y > -h * 0.8; y -= 14) {
                             cairo_arc(cr, x + 6, y, 1.8, 0, kTau);
                             SetColour(cr, Hex(0xa8b0b8));
                             cairo_fill(cr);
                         }
                     }
                     RoundedRect(cr, 2, -h * 0.64, w - 4, 7, 2);
                     FillAndOutline(cr, iron, kInk, 2);
                     RoundedRect(cr, w / 2 - 10, -h * 0.7, 20, 22, 4);
                     FillAndOutline(cr, Hex(0xe0b040), kInk, 2);
                     cairo_arc(cr, w / 2, -h * 0.7 + 9, 3, 0, kTau);
                     SetColour(cr, kInk);
                     cairo_fill(cr);
                     cairo_rectangle(cr, w / 2 - 1.2, -h * 0.7 + 10, 2.4, 7);
                     cairo_fill(cr);
                 },
                 {0.5, 0.26, 0.74, 0.12},
                 true});
    p.push_back({"Fernseher", 112, 142, [](cairo_t* cr, double w, double h) {
                     const Rgb c = Hex(0x6a4020);
                     // The stand: splayed legs, a shelf with magazines, the top.
                     for (double x : {10.0, w - 10}) {
                         const double out = x < w / 2 ? -6 : 6;
                         cairo_move_to(cr, x - 4, -44);
                         cairo_line_to(cr, x + 4, -44);
                         cairo_line_to(cr, x + out + 2, 0);
                         cairo_line_to(cr, x + out - 2, 0);
                         cairo_close_path(cr);
                         FillAndOutline(cr, Shade(c, 0.75), kInk, 2);
                     }
                     Wood(cr, 6, -18, w - 12, 6, Shade(c, 0.9), 1);
                     const Rgb mags[3] = {Hex(0xd04040), Hex(0x40a0c0), Hex(0xe8d040)};
                     for (int i = 0; i < 3; ++i) {
                         RoundedRect(cr, 24 + i * 3, -22 - i * 4, 36, 4, 1);
                         FillAndOutline(cr, mags[i], kInk, 1.2);
                     }
                     Wood(cr, 0, -50, w, 8, Shade(c, 1.1), 2);
                     // The set: a wooden cabinet, the glowing screen, knobs.
                     Wood(cr, 6, -h + 10, w - 12, h - 60, c, 8);
                     RoundedRect(cr, 13, -h + 18, 64, 56, 12);
                     FillAndOutline(cr, Hex(0x2a3a40), kInk, 2.5);
                     cairo_pattern_t* glow =
                         cairo_pattern_create_radial(45, -h + 44, 4, 45, -h + 46, 36);
                     cairo_pattern_add_color_stop_rgb(glow, 0, 0.72, 0.9, 0.95);
                     cairo_pattern_add_color_stop_rgb(glow, 1, 0.3, 0.5, 0.6);
                     RoundedRect(cr, 17, -h + 22, 56, 48, 10);
                     cairo_set_source(cr, glow);
                     cairo_fill(cr);
                     cairo_pattern_destroy(glow);
                     // A little show on: a presenter's head and shoulders.
                     cairo_arc(cr, 45, -h + 42, 8, 0, kTau);
                     SetColour(cr, Hex(0x304850), 0.75);
                     cairo_fill(cr);
                     cairo_move_to(cr, 29, -h + 70);
                     cairo_curve_to(cr, 31, -h + 52, 59, -h + 52, 61, -h + 70);
                     cairo_fill(cr);
                     SetColour(cr, Hex(0xffffff), 0.6);
                     cairo_set_line_width(cr, 3);
                     cairo_arc(cr, 45, -h + 46, 20, kPi * 1.1, kPi * 1.35);
                     cairo_stroke(cr);
                     for (int i = 0; i < 2; ++i) {
                         cairo_arc(cr, w - 21, -h + 30 + i * 16, 5, 0, kTau);
                         FillAndOutline(cr, Hex(0xd8c8a0), kInk, 1.5);
                     }
                     SetColour(cr, Shade(c, 0.55));
                     cairo_set_line_width(cr, 1.5);
                     for (int i = 0; i < 4; ++i) {
                         cairo_move_to(cr, w - 28, -h + 58 + i * 5);
                         cairo_line_to(cr, w - 14, -h + 58 + i * 5);
                     }
                     cairo_stroke(cr);
                     // Rabbit-ear aerial.
                     SetColour(cr, kInk);
                     cairo_set_line_width(cr, 2);
                     cairo_move_to(cr, w / 2 - 2, -h + 10);
                     cairo_line_to(cr, w / 2 - 24, -h - 20);
                     cairo_move_to(cr, w / 2 + 2, -h + 10);
                     cairo_line_to(cr, w / 2 + 22, -h - 24);
                     cairo_stroke(cr);
                     for (double x : {w / 2 - 24, w / 2 + 22}) {
                         cairo_arc(cr, x, x < w / 2 ? -h - 20 : -h - 24, 2.5, 0, kTau);
                         FillAndOutline(cr, Hex(0xc8d0d8), kInk, 1);
                     }
                     RoundedRect(cr, w / 2 - 9, -h + 4, 18, 8, 3);
                     FillAndOutline(cr, Hex(0x303030), kInk, 1.5);
                 }});
    return p;
}

// The parts of a cut-off slice: whatever still reaches the ground stands,
// every loose part that no longer does (the seat of a chair, the middle of a
// table top, the set on a television stand) falls. Parts are 8-connected
// groups of drawn pixels.
struct SliceParts {
    struct Loose {
        cairo_surface_t* pixels;
        int minX, maxX, bottom;
    };
    cairo_surface_t* standing = nullptr;
    std::vector<Loose> loose;

    SliceParts(cairo_surface_t* slice, int groundRow) {
        cairo_surface_flush(slice);
        const int w = cairo_image_surface_get_width(slice);
        const int h = cairo_image_surface_get_height(slice);
        const int stride = cairo_image_surface_get_stride(slice);
        const unsigned char* data = cairo_image_surface_get_data(slice);
        auto at = [&](int x, int y) {
            return *reinterpret_cast<const std::uint32_t*>(data + static_cast<size_t>(y) * stride +
                                                           4 * static_cast<size_t>(x));
        };
        std::vector<int> label(static_cast<size_t>(w) * h, -1);
        std::vector<std::vector<int>> members;
        for (int start = 0; start < w * h; ++start) {
            if (label[start] >= 0 || (at(start % w, start / w) >> 24) == 0) continue;
            const int id = static_cast<int>(members.size());
            members.emplace_back();
            std::vector<int> stack{start};
            label[start] = id;
            while (!stack.empty()) {
                const int p = stack.back();
                stack.pop_back();
                members[id].push_back(p);
                const int px = p % w, py = p / w;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = px + dx, ny = py + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
                        const int n = ny * w + nx;
                        if (label[n] >= 0 || (at(nx, ny) >> 24) == 0) continue;
                        label[n] = id;
                        stack.push_back(n);
                    }
            }
        }
        auto copy = [&](const std::vector<int>& pixels) {
            cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
            cairo_surface_flush(out);
            unsigned char* o = cairo_image_surface_get_data(out);
            const int os = cairo_image_surface_get_stride(out);
            for (int p : pixels)
                *reinterpret_cast<std::uint32_t*>(o + static_cast<size_t>(p / w) * os +
                                                  4 * static_cast<size_t>(p % w)) = at(p % w, p / w);
            cairo_surface_mark_dirty(out);
            return out;
        };
        std::vector<int> grounded;
        for (const auto& m : members) {
            int minX = w, maxX = 0, bottom = 0;
            for (int p : m) {
                minX = std::min(minX, p % w), maxX = std::max(maxX, p % w);
                bottom = std::max(bottom, p / w);
            }
            // A few pixels of air are the piece's own feet and rims, not a fall.
            if (bottom >= groundRow - 6 || m.size() < 12) {
                grounded.insert(grounded.end(), m.begin(), m.end());
            } else {
                loose.push_back({copy(m), minX, maxX, bottom});
            }
        }
        standing = copy(grounded);
    }
    ~SliceParts() {
        cairo_surface_destroy(standing);
        for (auto& l : loose) cairo_surface_destroy(l.pixels);
    }
    SliceParts(const SliceParts&) = delete;
    SliceParts& operator=(const SliceParts&) = delete;
};

// Stage `stage` (0..4) of a piece: `stage` cuts made.
datalib::Picture PieceStage(const Piece& piece, int stage) {
    const double w = piece.width, h = piece.height;
    const int margin = static_cast<int>(h * 0.5) + 40;
    const int cw = static_cast<int>(w) + 2 * margin, ch = static_cast<int>(h) + 70;
    const double left = margin, ground = ch - 6;
    // The whole piece once; the slices are cut from it.
    Canvas whole(cw, ch);
    cairo_translate(whole.cr(), left, ground);
    piece.draw(whole.cr(), w, h);
    cairo_surface_flush(whole.surface());

    Canvas canvas(cw, ch);
    cairo_t* cr = canvas.cr();
    std::vector<double> cuts(piece.cuts.begin(), piece.cuts.begin() + stage);
    cuts.push_back(0);
    cuts.push_back(1);
    std::sort(cuts.begin(), cuts.end());
    const double spread = stage == 4 ? 1.7 : 1.0;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const double a = cuts[i], b = cuts[i + 1];
        const double mid = (a + b) / 2 - 0.5;
        const double x0 = a == 0 ? 0 : left + a * w;
        const double x1 = b == 1 ? cw : left + b * w;
        // The slice as it was, with raw wood and saw marks along the cut faces
        // (only where the piece is, and never more than a quarter of a thin slice).
        Canvas slice(cw, ch);
        cairo_t* sc = slice.cr();
        cairo_rectangle(sc, x0, 0, x1 - x0, ch);
        cairo_clip(sc);
        cairo_set_source_surface(sc, whole.surface(), 0, 0);
        cairo_paint(sc);
        cairo_push_group(sc);
        const double mark = std::clamp((b - a) * w * 0.25, 1.5, 4.0);
        for (double edge : {a, b}) {
            if (edge == 0 || edge == 1) continue;
            const double x = left + edge * w + (edge == a ? mark / 2 : -mark / 2);
            cairo_move_to(sc, x, 0);
            for (int k = 0; k * 6 < ch; ++k)
                cairo_line_to(sc, x + (k % 2 ? mark / 2 : -mark / 2), k * 6);
            SetColour(sc, Hex(0xf0d8a0));
            cairo_set_line_width(sc, mark);
            cairo_stroke(sc);
        }
        cairo_pop_group_to_source(sc);
        cairo_mask_surface(sc, whole.surface(), 0, 0);
        const SliceParts parts(slice.surface(), static_cast<int>(ground) - 1);

        // What still stands leans away from the middle, pivoting on its outer foot.
        cairo_save(cr);
        const double pivotX = left + (mid < 0 ? a : b) * w;
        const double angle = stage == 0 ? 0 : mid * 0.2 * spread * (1 + stage * 0.15);
        const double shift = mid * stage * 6 * spread;
        cairo_translate(cr, pivotX + shift, ground);
        cairo_rotate(cr, angle);
        cairo_translate(cr, -pivotX, -ground);
        cairo_set_source_surface(cr, parts.standing, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
        // Loose parts drop to the ground and tip over a little, onto the
        // corner on the side they fell from.
        int n = 0;
        for (const auto& l : parts.loose) {
            const double tip = (mid < 0 ? -1 : 1) * (0.12 + 0.08 * (n++ % 3));
            const double footX = tip > 0 ? l.maxX + 1 : l.minX;
            cairo_save(cr);
            cairo_translate(cr, footX + shift * 1.4, ground);
            cairo_rotate(cr, tip);
            cairo_translate(cr, -footX, -(l.bottom + 1));
            cairo_set_source_surface(cr, l.pixels, 0, 0);
            cairo_paint(cr);
            cairo_restore(cr);
        }
    }
    // Sawdust heap.
    if (stage > 0) {
        Rng rng(1234 + stage);
        for (int i = 0; i < 14 * stage; ++i) {
            const double x = left + w / 2 + rng.Range(-1, 1) * (16 + stage * 12);
            const double y = ground - rng.Range(0, 4 + stage * 3) *
                                          (1 - std::fabs(x - left - w / 2) / (w / 2 + 60));
            cairo_arc(cr, x, y, rng.Range(1.5, 3.2), 0, kTau);
            SetColour(cr, rng.Next() % 2 ? Hex(0xe8c890) : Hex(0xd0a868));
            cairo_fill(cr);
        }
    }
    if (piece.coins && stage > 0) {
        Rng rng(4321 + stage);
        for (int i = 0; i < 4 * stage; ++i) {
            const double x = left + w / 2 + rng.Range(-1, 1) * (14 + stage * 10);
            const double y = ground - rng.Range(2, 5);
            cairo_save(cr);
            cairo_translate(cr, x, y);
            cairo_scale(cr, 1, rng.Range(0.35, 0.8));
            cairo_arc(cr, 0, 0, 4.5, 0, kTau);
            cairo_restore(cr);
            FillAndOutline(cr, Hex(0xf0c030), kInk, 1.2);
        }
    }
    return MakePicture(canvas.ToImage(), cw / 2, static_cast<int>(ground), Encoding::ColourKeyed);
}

datalib::Picture Shadow(double width) {
    const int w = static_cast<int>(width) + 10, h = static_cast<int>(width * 0.12) + 10;
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    cairo_translate(cr, w / 2.0, h / 2.0);
    cairo_scale(cr, (w - 10) / 2.0, (h - 10) / 2.0);
    cairo_pattern_t* pattern = cairo_pattern_create_radial(0, 0, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(pattern, 0, 0, 0, 0, 0.5);
    cairo_pattern_add_color_stop_rgba(pattern, 0.75, 0, 0, 0, 0.35);
    cairo_pattern_add_color_stop_rgba(pattern, 1, 0, 0, 0, 0);
    cairo_set_source(cr, pattern);
    cairo_arc(cr, 0, 0, 1, 0, kTau);
    cairo_fill(cr);
    cairo_pattern_destroy(pattern);
    return MakePicture(canvas.ToImage(), w / 2, h / 2 - 2, Encoding::Translucent, false);
}

// Two boards nailed crosswise over the piece; drawn 10 pixels below the
// piece's anchor, so the hotspot sits that far under the middle of the piece.
datalib::Picture NailBoards(const Piece& piece) {
    const double len = std::min(piece.width, piece.height) * 0.95 + 20;
    const int size = static_cast<int>(len) + 30;
    Canvas canvas(size, size);
    cairo_t* cr = canvas.cr();
    cairo_translate(cr, size / 2.0, size / 2.0);
    for (double angle : {0.6, -0.6}) {
        cairo_save(cr);
        cairo_rotate(cr, angle);
        Wood(cr, -len / 2, -8, len, 16, Hex(0xd8b070), 2);
        for (double x : {-len / 2 + 8, len / 2 - 8}) {
            cairo_arc(cr, x, 0, 3, 0, kTau);
            FillAndOutline(cr, Hex(0xa0a8b0), kInk, 1.5);
        }
        cairo_restore(cr);
    }
    const int hotY = static_cast<int>(size / 2.0 + 10 + piece.height / 2);
    return MakePicture(canvas.ToImage(), size / 2, hotY, Encoding::ColourKeyed);
}

Entry FurnitureEntry(const Piece& piece) {
    Entry e;
    e.name = piece.name;
    for (int stage = 0; stage < 5; ++stage) {
        Sequence pic, shadow;
        pic.items.emplace_back(PieceStage(piece, stage));
        shadow.items.emplace_back(Shadow(piece.width + 16 + stage * 14));
        e.sequences[stage * 2] = std::move(pic);
        e.sequences[stage * 2 + 1] = std::move(shadow);
    }
    Sequence nail;
    nail.items.emplace_back(NailBoards(piece));
    e.sequences[10] = std::move(nail);
    return e;
}

// An object that never changes: the same picture in every stage.
Entry StillObject(const std::string& name, const datalib::Picture& picture, double shadowWidth) {
    Entry e;
    e.name = name;
    for (int stage = 0; stage < 5; ++stage) {
        Sequence pic, shadow;
        pic.items.emplace_back(picture);
        shadow.items.emplace_back(Shadow(shadowWidth));
        e.sequences[stage * 2] = std::move(pic);
        e.sequences[stage * 2 + 1] = std::move(shadow);
    }
    return e;
}

datalib::Picture Canister() {
    Canvas canvas(80, 90);
    cairo_t* cr = canvas.cr();
    cairo_translate(cr, 40, 84);
    const Rgb yellow = Hex(0xf4c81c);
    RoundedRect(cr, -22, -62, 44, 62, 6);
    FillAndOutline(cr, yellow, kInk, 3);
    // Handle, spout and the embossed X.
    RoundedRect(cr, -16, -74, 20, 14, 5);
    cairo_set_line_width(cr, 7);
    SetColour(cr, kInk);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 3.5);
    SetColour(cr, yellow);
    cairo_stroke(cr);
    RoundedRect(cr, 8, -72, 10, 12, 2);
    FillAndOutline(cr, Hex(0xd02020), kInk, 2);
    SetColour(cr, Shade(yellow, 0.8));
    cairo_set_line_width(cr, 4);
    cairo_move_to(cr, -15, -52);
    cairo_line_to(cr, 15, -10);
    cairo_move_to(cr, 15, -52);
    cairo_line_to(cr, -15, -10);
    cairo_stroke(cr);
    RoundedRect(cr, -22, -62, 44, 62, 6);
    SetColour(cr, kInk);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
    return MakePicture(canvas.ToImage(), 40, 84, Encoding::ColourKeyed);
}

datalib::Picture Van() {
    Canvas canvas(380, 230);
    cairo_t* cr = canvas.cr();
    cairo_translate(cr, 190, 222);
    // Box body.
    RoundedRect(cr, -175, -200, 250, 170, 6);
    FillAndOutline(cr, Hex(0xf2f0e8), kInk, 3);
    SetColour(cr, Hex(0x2e6fb0));
    cairo_rectangle(cr, -172, -90, 244, 22);
    cairo_fill(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 30);
    cairo_move_to(cr, -160, -130);
    cairo_text_path(cr, "UMZUG");
    FillAndOutline(cr, Hex(0xd22a2a), kInk, 1.5);
    cairo_set_font_size(cr, 15);
    cairo_move_to(cr, -158, -104);
    cairo_text_path(cr, "Schnell & Schonend");
    SetColour(cr, Hex(0x2e6fb0));
    cairo_fill(cr);
    // Cab.
    cairo_move_to(cr, 80, -30);
    cairo_line_to(cr, 80, -150);
    cairo_line_to(cr, 140, -150);
    cairo_line_to(cr, 178, -90);
    cairo_line_to(cr, 180, -30);
    cairo_close_path(cr);
    FillAndOutline(cr, Hex(0x2e6fb0), kInk, 3);
    cairo_move_to(cr, 92, -140);
    cairo_line_to(cr, 136, -140);
    cairo_line_to(cr, 166, -94);
    cairo_line_to(cr, 92, -94);
    cairo_close_path(cr);
    FillAndOutline(cr, Hex(0xa8d8f0), kInk, 2.5);
    RoundedRect(cr, 168, -60, 14, 10, 2);
    FillAndOutline(cr, Hex(0xfff0a0), kInk, 2);
    // Chassis and wheels.
    RoundedRect(cr, -178, -36, 362, 12, 3);
    FillAndOutline(cr, Hex(0x404040), kInk, 2.5);
    for (double x : {-120.0, -70.0, 130.0}) {
        cairo_arc(cr, x, -20, 22, 0, kTau);
        FillAndOutline(cr, Hex(0x202020), kInk, 3);
        cairo_arc(cr, x, -20, 9, 0, kTau);
        FillAndOutline(cr, Hex(0xb0b0b0), kInk, 2);
    }
    return MakePicture(canvas.ToImage(), 190, 222, Encoding::ColourKeyed);
}

// The puff of dust when a section falls: grows and thins out over 8 frames.
Entry DustCloud() {
    Entry e;
    e.name = "moebel_wolke";
    Sequence seq;
    seq.listed = true;
    constexpr int kFrames = 8;
    for (int f = 0; f < kFrames; ++f) {
        const double t = f / double(kFrames - 1);
        Canvas canvas(260, 180);
        cairo_t* cr = canvas.cr();
        cairo_translate(cr, 130, 120);
        Rng rng(77);
        for (int i = 0; i < 14; ++i) {
            const double ang = rng.Range(0, kTau), dist = rng.Range(0.2, 1.0);
            const double r = (10 + 22 * t) * rng.Range(0.7, 1.2);
            const double x = std::cos(ang) * dist * (20 + 80 * t);
            const double y = std::sin(ang) * dist * (12 + 40 * t) - 30 * t;
            cairo_arc(cr, x, y, r, 0, kTau);
            SetColour(cr, i % 2 ? Hex(0xe8dcc4) : Hex(0xcfc0a4), 0.9 * (1 - t * 0.85));
            cairo_fill(cr);
        }
        // Chips flung out.
        for (int i = 0; i < 10; ++i) {
            const double ang = rng.Range(kPi, kTau);
            const double d = 20 + 90 * t;
            cairo_rectangle(cr, std::cos(ang) * d * rng.Range(0.6, 1.0),
                            std::sin(ang) * d * 0.6 + 60 * t * t, 5, 3);
            SetColour(cr, Hex(0xc89858), 1 - t);
            cairo_fill(cr);
        }
        seq.items.emplace_back(MakePicture(canvas.ToImage(), 130, 120, Encoding::Translucent));
    }
    e.sequences[0] = std::move(seq);
    return e;
}

}  // namespace

std::vector<std::string> FurnitureNames() {
    std::vector<std::string> names;
    for (const auto& p : Pieces()) names.push_back(p.name);
    return names;
}

std::vector<Entry> MakeFurnitureEntries() {
    std::vector<Entry> entries;
    for (const auto& piece : Pieces()) entries.push_back(FurnitureEntry(piece));
    entries.push_back(StillObject("Kanister gelb", Canister(), 54));
    entries.push_back(StillObject("moebelwagen", Van(), 370));
    entries.push_back(DustCloud());
    return entries;
}

}  // namespace assetgen
