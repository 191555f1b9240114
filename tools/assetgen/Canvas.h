// Drawing helpers shared by every part of the content generator: a Cairo
// canvas that turns into a picture of the archive, colours, a few shapes, and
// a small seeded random generator so that the same sources always give the
// same pictures.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "tools/datalib/ArchiveWriter.h"

namespace assetgen {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

// 0xRRGGBB as a colour.
constexpr Rgb Hex(std::uint32_t v) {
    return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0};
}
Rgb Mix(Rgb a, Rgb b, double t);
// Multiplies the channels (f < 1 darker, f > 1 lighter, clamped).
Rgb Shade(Rgb c, double f);

// An ARGB surface with its drawing context.
class Canvas {
public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return context; }
    cairo_surface_t* surface() const { return target; }
    int Width() const { return width; }
    int Height() const { return height; }

    // Straight (not premultiplied) 0xAARRGGBB pixels.
    datalib::RgbaImage ToImage() const;
    bool WritePng(const std::string& path) const;

private:
    int width, height;
    cairo_surface_t* target;
    cairo_t* context;
};

// Cuts the fully transparent border off an image and moves the hotspot with
// it, so that pictures cost only what they show. An empty image keeps one
// transparent pixel.
datalib::Picture MakePicture(const datalib::RgbaImage& image, int hotX, int hotY,
                             datalib::Encoding encoding, bool crop = true);

void SetColour(cairo_t* cr, Rgb c, double alpha = 1.0);
void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r);
// Fills the current path, then strokes it with an outline; the path is consumed.
void FillAndOutline(cairo_t* cr, Rgb fill, Rgb outline, double lineWidth);
// A thick round-capped line with a dark rim: the limbs of the figures.
void Limb(cairo_t* cr, double x0, double y0, double x1, double y1, double width, Rgb fill,
          Rgb outline, double rim = 2.0);

// A linear congruential generator of our own: the content never depends on
// the C library's rand().
class Rng {
public:
    explicit Rng(std::uint32_t seed) : state(seed) {}
    std::uint32_t Next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    // Uniform in [lo, hi).
    double Range(double lo, double hi) { return lo + (hi - lo) * (Next() % 100000) / 100000.0; }
    int Int(int lo, int hiInclusive) {
        return lo + static_cast<int>(Next() % static_cast<std::uint32_t>(hiInclusive - lo + 1));
    }

private:
    std::uint32_t state;
};

constexpr double kPi = 3.14159265358979323846;

}  // namespace assetgen
