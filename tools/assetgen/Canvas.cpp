// Cairo canvas and picture helpers of the content generator.
#include "tools/assetgen/Canvas.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

Rgb Mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb Shade(Rgb c, double f) {
    auto clamp = [](double v) { return std::clamp(v, 0.0, 1.0); };
    return {clamp(c.r * f), clamp(c.g * f), clamp(c.b * f)};
}

Canvas::Canvas(int w, int h) : width(w), height(h) {
    target = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    context = cairo_create(target);
    cairo_set_antialias(context, CAIRO_ANTIALIAS_GOOD);
    cairo_set_line_join(context, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(context, CAIRO_LINE_CAP_ROUND);
}

Canvas::~Canvas() {
    cairo_destroy(context);
    cairo_surface_destroy(target);
}

datalib::RgbaImage Canvas::ToImage() const {
    cairo_surface_flush(target);
    datalib::RgbaImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    const unsigned char* data = cairo_image_surface_get_data(target);
    const int stride = cairo_image_surface_get_stride(target);
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = row[x];
            const std::uint32_t a = p >> 24;
            std::uint32_t out = 0;
            if (a != 0) {
                // Cairo keeps premultiplied colour; the archive wants it straight.
                auto un = [a](std::uint32_t c) {
                    return std::min<std::uint32_t>(255, (c * 255 + a / 2) / a);
                };
                out = (a << 24) | (un((p >> 16) & 255) << 16) | (un((p >> 8) & 255) << 8) |
                      un(p & 255);
            }
            image.pixels[static_cast<size_t>(y) * width + x] = out;
        }
    }
    return image;
}

bool Canvas::WritePng(const std::string& path) const {
    return cairo_surface_write_to_png(target, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

datalib::Picture MakePicture(const datalib::RgbaImage& image, int hotX, int hotY,
                             datalib::Encoding encoding, bool crop) {
    datalib::Picture picture;
    picture.hotX = hotX;
    picture.hotY = hotY;
    picture.encoding = encoding;
    if (!crop) {
        picture.image = image;
        return picture;
    }
    // Colour-keyed pictures drop what would be transparent anyway.
    const std::uint32_t threshold = encoding == datalib::Encoding::ColourKeyed ? 128 : 1;
    int left = image.width, right = -1, top = image.height, bottom = -1;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if ((image.pixels[static_cast<size_t>(y) * image.width + x] >> 24) >= threshold) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        picture.image.width = 1;
        picture.image.height = 1;
        picture.image.pixels = {0};
        picture.hotX = 0;
        picture.hotY = 0;
        return picture;
    }
    picture.image.width = right - left + 1;
    picture.image.height = bottom - top + 1;
    picture.image.pixels.reserve(static_cast<size_t>(picture.image.width) * picture.image.height);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            picture.image.pixels.push_back(image.pixels[static_cast<size_t>(y) * image.width + x]);
    picture.hotX = hotX - left;
    picture.hotY = hotY - top;
    return picture;
}

void SetColour(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({r, w / 2, h / 2});
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void FillAndOutline(cairo_t* cr, Rgb fill, Rgb outline, double lineWidth) {
    SetColour(cr, fill);
    cairo_fill_preserve(cr);
    SetColour(cr, outline);
    cairo_set_line_width(cr, lineWidth);
    cairo_stroke(cr);
}

void Limb(cairo_t* cr, double x0, double y0, double x1, double y1, double width, Rgb fill,
          Rgb outline, double rim) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    SetColour(cr, outline);
    cairo_set_line_width(cr, width + 2 * rim);
    cairo_stroke_preserve(cr);
    SetColour(cr, fill);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

}  // namespace assetgen
