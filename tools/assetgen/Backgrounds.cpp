// "Background1": the street the game scrolls along, in three lights (day,
// dusk, night). Each set is a far layer (sky and skyline, opaque) and a street
// layer (house fronts, trees, lamps and the pavement, colour-keyed so the far
// layer shows above the roofs), each cut into three 800-pixel tiles of one
// 2400-pixel panorama that closes on itself.
#include <algorithm>
#include <cmath>

#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/Generators.h"

namespace assetgen {
namespace {

using datalib::Encoding;
using datalib::Sequence;

constexpr int kTileW = 800, kTileH = 440, kPanorama = 3 * kTileW;
constexpr double kTau = 2 * kPi;
const Rgb kInk = Hex(0x1c1410);

struct Light {
    Rgb skyTop, skyBottom, skyline, tint;
    double brightness;  // multiplies the house colours
    double litWindows;  // share of windows with the lights on
    bool stars, sun, moon;
};

Light LightOf(int set) {
    switch (set) {
        case 0:
            return {Hex(0x5aa8e8), Hex(0xcfe8f8), Hex(0x9ab8cc), Hex(0xffffff), 1.0,
                    0.0,           false,         true,          false};
        case 1:
            return {Hex(0x3a3a7a), Hex(0xf49a5a), Hex(0x6a4a6a), Hex(0xffc890), 0.8,
                    0.35,          false,         true,          false};
        default:
            return {Hex(0x060a20), Hex(0x1c2a58), Hex(0x1a2038), Hex(0x8890d0), 0.45,
                    0.6,           true,          false,         true};
    }
}

// Calls draw at x and at its wrapped twins so that the panorama closes.
template <typename F>
void Wrapped(double x, double width, F draw) {
    for (double off : {-double(kPanorama), 0.0, double(kPanorama)})
        if (x + off + width > -50 && x + off < kPanorama + 50) draw(x + off);
}

void FarLayer(cairo_t* cr, const Light& light, int set) {
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, kTileH);
    cairo_pattern_add_color_stop_rgb(sky, 0, light.skyTop.r, light.skyTop.g, light.skyTop.b);
    cairo_pattern_add_color_stop_rgb(sky, 0.75, light.skyBottom.r, light.skyBottom.g,
                                     light.skyBottom.b);
    cairo_set_source(cr, sky);
    cairo_paint(cr);
    cairo_pattern_destroy(sky);
    Rng rng(100 + set);
    if (light.stars) {
        for (int i = 0; i < 160; ++i) {
            const double x = rng.Range(0, kPanorama), y = rng.Range(0, 260);
            cairo_arc(cr, x, y, rng.Range(0.6, 1.6), 0, kTau);
            SetColour(cr, Hex(0xfff8e0), rng.Range(0.5, 1.0));
            cairo_fill(cr);
        }
    }
    if (light.moon) {
        Wrapped(1700, 60, [&](double x) {
            cairo_arc(cr, x, 90, 30, 0, kTau);
            SetColour(cr, Hex(0xf4f0d8));
            cairo_fill(cr);
            cairo_arc(cr, x + 12, 80, 26, 0, kTau);
            SetColour(cr, light.skyTop);
            cairo_fill(cr);
        });
    }
    if (light.sun) {
        const double sy = set == 0 ? 80 : 260;
        Wrapped(600, 90, [&](double x) {
            cairo_arc(cr, x, sy, set == 0 ? 34 : 46, 0, kTau);
            SetColour(cr, set == 0 ? Hex(0xfff4b0) : Hex(0xffb060), 0.95);
            cairo_fill(cr);
        });
    }
    // Clouds.
    for (int i = 0; i < 9; ++i) {
        const double cx = rng.Range(0, kPanorama), cy = rng.Range(40, 200), s = rng.Range(0.7, 1.4);
        Wrapped(cx - 80 * s, 160 * s, [&](double x0) {
            const double x = x0 + 80 * s;
            for (int k = 0; k < 5; ++k) {
                cairo_arc(cr, x + (k - 2) * 24 * s, cy - (k % 2) * 12 * s, (18 + (k % 3) * 6) * s,
                          0, kTau);
            }
            const Rgb cloud = set == 0 ? Hex(0xffffff) : set == 1 ? Hex(0xf0a8a0) : Hex(0x2a3460);
            SetColour(cr, cloud, set == 2 ? 0.7 : 0.85);
            cairo_fill(cr);
        });
    }
    // Distant skyline: towers, a church spire, a crane.
    double x = 0;
    while (x < kPanorama) {
        const double w = rng.Range(40, 110), h = rng.Range(60, 170);
        const double bx = x;
        const bool spire = rng.Next() % 9 == 0;
        Wrapped(bx, w, [&](double px) {
            cairo_rectangle(cr, px, kTileH - 60 - h, w, h + 60);
            if (spire) {
                cairo_move_to(cr, px, kTileH - 60 - h);
                cairo_line_to(cr, px + w / 2, kTileH - 60 - h - 70);
                cairo_line_to(cr, px + w, kTileH - 60 - h);
            }
            SetColour(cr, light.skyline);
            cairo_fill(cr);
            // Small windows in the distance.
            Rng wr(static_cast<std::uint32_t>(bx * 7));
            for (double wy = kTileH - 50 - h; wy < kTileH - 70; wy += 14)
                for (double wx = px + 6; wx < px + w - 8; wx += 12)
                    if (wr.Next() % 100 < (light.litWindows > 0 ? 40 : 25)) {
                        cairo_rectangle(cr, wx, wy, 4, 6);
                        SetColour(cr,
                                  light.litWindows > 0 ? Hex(0xf8d878) : Shade(light.skyline, 0.8),
                                  light.litWindows > 0 ? 0.9 : 0.6);
                        cairo_fill(cr);
                    }
        });
        x += w + rng.Range(0, 30);
    }
}

void Window(cairo_t* cr, double x, double y, double w, double h, bool lit, double bright,
            Rgb tint) {
    RoundedRect(cr, x - 3, y - 3, w + 6, h + 6, 2);
    FillAndOutline(cr, Shade(Hex(0xf0ece0), bright), kInk, 2);
    cairo_rectangle(cr, x, y, w, h);
    const Rgb glass = lit ? Hex(0xffd860) : Shade(Mix(Hex(0x5a7ea8), tint, 0.3), bright);
    FillAndOutline(cr, glass, kInk, 2);
    SetColour(cr, kInk);
    cairo_set_line_width(cr, 2);
    cairo_move_to(cr, x + w / 2, y);
    cairo_line_to(cr, x + w / 2, y + h);
    cairo_move_to(cr, x, y + h * 0.4);
    cairo_line_to(cr, x + w, y + h * 0.4);
    cairo_stroke(cr);
}

void StreetLayer(cairo_t* cr, const Light& light) {
    Rng rng(500);  // the same street in every light
    const double pavementTop = 372;
    const Rgb houseColours[7] = {Hex(0xe8b878), Hex(0xd8786a), Hex(0xa8c8a0), Hex(0xf0e0b0),
                                 Hex(0x90a8d0), Hex(0xe0a0b8), Hex(0xc8b0a0)};
    // Houses fill the panorama exactly, with gaps for trees.
    double x = 0;
    int index = 0;
    while (x < kPanorama - 10) {
        double w = rng.Range(170, 260);
        const double gap = rng.Range(30, 90);
        if (x + w + gap > kPanorama - 120) w = kPanorama - x - gap;
        const double top = rng.Range(40, 150);
        const Rgb wall = Shade(Mix(houseColours[index % 7], light.tint, 0.2), light.brightness);
        const int floors = static_cast<int>((pavementTop - top - 70) / 70);
        const bool gable = rng.Next() % 2;
        const std::uint32_t seed = rng.Next();
        const double hx = x;
        Wrapped(hx, w, [&](double px) {
            // Roof.
            if (gable) {
                cairo_move_to(cr, px - 8, top);
                cairo_line_to(cr, px + w / 2, top - 50);
                cairo_line_to(cr, px + w + 8, top);
            } else {
                cairo_rectangle(cr, px - 6, top - 14, w + 12, 16);
            }
            cairo_close_path(cr);
            FillAndOutline(cr, Shade(Hex(0xa04030), light.brightness), kInk, 3);
            cairo_rectangle(cr, px, top, w, pavementTop - top);
            FillAndOutline(cr, wall, kInk, 3);
            // Chimney.
            cairo_rectangle(cr, px + w * 0.7, top - (gable ? 40 : 34), 16, 26);
            FillAndOutline(cr, Shade(Hex(0x8a4a3a), light.brightness), kInk, 2.5);
            Rng wr(seed);
            const int cols = std::max(2, static_cast<int>(w / 62));
            const double step = w / cols;
            for (int f = 0; f < floors; ++f)
                for (int c = 0; c < cols; ++c)
                    Window(cr, px + c * step + step / 2 - 14, top + 24 + f * 70, 28, 36,
                           wr.Next() % 100 < light.litWindows * 100, light.brightness, light.tint);
            // Door and shop front on the ground floor.
            const double doorX = px + w / 2 - 18;
            RoundedRect(cr, doorX, pavementTop - 62, 36, 62, 4);
            FillAndOutline(cr, Shade(Hex(0x6a3a20), light.brightness), kInk, 2.5);
            cairo_arc(cr, doorX + 28, pavementTop - 30, 2.5, 0, kTau);
            SetColour(cr, Hex(0xe0c060));
            cairo_fill(cr);
            // Awning stripes on some houses.
            if (seed % 3 == 0) {
                for (int k = 0; k < 8; ++k) {
                    cairo_rectangle(cr, px + 8 + k * (w - 16) / 8, pavementTop - 92, (w - 16) / 8,
                                    16);
                    SetColour(cr, Shade(k % 2 ? Hex(0xffffff) : Hex(0xd03030), light.brightness));
                    cairo_fill(cr);
                }
                cairo_rectangle(cr, px + 8, pavementTop - 92, w - 16, 16);
                SetColour(cr, kInk);
                cairo_set_line_width(cr, 2);
                cairo_stroke(cr);
            }
        });
        // A tree or a lamp in the gap.
        const double gx = x + w + gap / 2;
        const bool tree = rng.Next() % 3 != 0;
        Wrapped(gx - 60, 120, [&](double p0) {
            const double p = p0 + 60;
            if (tree) {
                cairo_rectangle(cr, p - 7, pavementTop - 110, 14, 110);
                FillAndOutline(cr, Shade(Hex(0x6a4424), light.brightness), kInk, 2.5);
                for (int k = 0; k < 5; ++k) {
                    cairo_arc(cr, p + (k - 2) * 18, pavementTop - 140 - (k % 2) * 26, 30, 0, kTau);
                }
                FillAndOutline(cr, Shade(Hex(0x4a9a3a), light.brightness), kInk, 3);
            } else {
                cairo_rectangle(cr, p - 4, pavementTop - 170, 8, 170);
                FillAndOutline(cr, Hex(0x303838), kInk, 2);
                RoundedRect(cr, p - 14, pavementTop - 186, 28, 18, 4);
                FillAndOutline(cr, light.litWindows > 0 ? Hex(0xfff0a0) : Hex(0xd8e0e0), kInk, 2.5);
            }
        });
        x += w + gap;
        ++index;
    }
    // Pavement and kerb.
    cairo_rectangle(cr, 0, pavementTop, kPanorama, kTileH - pavementTop);
    SetColour(cr, Shade(Hex(0xb8b4ac), light.brightness));
    cairo_fill(cr);
    SetColour(cr, Shade(Hex(0x8c887e), light.brightness));
    cairo_set_line_width(cr, 2);
    for (int k = 0; k < kPanorama / 40; ++k) {
        const double px = k * 40 + 20;
        cairo_move_to(cr, px, pavementTop);
        cairo_line_to(cr, px - 14, 426);
    }
    for (double py : {388.0, 406.0}) {
        cairo_move_to(cr, 0, py);
        cairo_line_to(cr, kPanorama, py);
    }
    cairo_stroke(cr);
    cairo_rectangle(cr, 0, 426, kPanorama, 14);
    SetColour(cr, Shade(Hex(0x707070), light.brightness));
    cairo_fill(cr);
    SetColour(cr, kInk);
    cairo_move_to(cr, 0, pavementTop);
    cairo_line_to(cr, kPanorama, pavementTop);
    cairo_move_to(cr, 0, 426);
    cairo_line_to(cr, kPanorama, 426);
    cairo_set_line_width(cr, 3);
    cairo_stroke(cr);
}

Sequence Tiles(Canvas& panorama, Encoding encoding) {
    Sequence seq;
    seq.listed = true;
    const datalib::RgbaImage image = panorama.ToImage();
    for (int t = 0; t < 3; ++t) {
        datalib::RgbaImage tile;
        tile.width = kTileW;
        tile.height = kTileH;
        tile.pixels.reserve(kTileW * kTileH);
        for (int y = 0; y < kTileH; ++y)
            for (int x = 0; x < kTileW; ++x)
                tile.pixels.push_back(
                    image.pixels[static_cast<size_t>(y) * kPanorama + t * kTileW + x]);
        seq.items.emplace_back(MakePicture(tile, 0, 0, encoding, false));
    }
    return seq;
}

}  // namespace

datalib::Entry MakeBackgroundEntry() {
    datalib::Entry entry;
    entry.name = "Background1";
    for (int set = 0; set < 3; ++set) {
        const Light light = LightOf(set);
        Canvas far(kPanorama, kTileH);
        FarLayer(far.cr(), light, set);
        entry.sequences[2 * set + 1] = Tiles(far, Encoding::Raw);
        Canvas street(kPanorama, kTileH);
        StreetLayer(street.cr(), light);
        entry.sequences[2 * set] = Tiles(street, Encoding::ColourKeyed);
    }
    return entry;
}

}  // namespace assetgen
