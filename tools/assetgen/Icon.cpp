// The game's icon (see Icon.h). Drawn on a 256-unit square and scaled, with
// the thin details left out at the small sizes so that they stay readable.
#include "tools/assetgen/Icon.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tools/assetgen/Canvas.h"

namespace assetgen {

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kWindowIconSize = 64;

void DrawIcon(Canvas& canvas) {
    cairo_t* cr = canvas.cr();
    const double s = canvas.Width() / 256.0;
    const bool small = canvas.Width() < 32;
    cairo_scale(cr, s, s);

    // A rounded tile of night-blue street.
    RoundedRect(cr, 8, 8, 240, 240, 40);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 8, 0, 248);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.20, 0.32, 0.52);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.08, 0.12, 0.24);
    cairo_set_source(cr, sky);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(sky);
    SetColour(cr, Hex(0x0A0F1E));
    cairo_set_line_width(cr, small ? 14 : 8);
    cairo_stroke(cr);

    // The plank, slanting down to the right, with its grain.
    cairo_save(cr);
    cairo_translate(cr, 128, 150);
    cairo_rotate(cr, 0.35);
    RoundedRect(cr, -110, -30, 220, 60, 8);
    FillAndOutline(cr, Hex(0xC8884A), Hex(0x4A2A10), small ? 10 : 6);
    if (!small) {
        SetColour(cr, Hex(0x8A5428));
        cairo_set_line_width(cr, 4);
        for (double y : {-14.0, 2.0, 16.0}) {
            cairo_move_to(cr, -96, y);
            cairo_curve_to(cr, -40, y - 6, 20, y + 6, 96, y - 2);
        }
        cairo_stroke(cr);
    }
    // The cut so far, and the dust flying from it.
    SetColour(cr, Hex(0x1A0C04));
    cairo_rectangle(cr, -6, -30, 12, 34);
    cairo_fill(cr);
    cairo_restore(cr);

    // The circular blade biting into the plank.
    const double cx = 118, cy = 92, r = 62;
    const int teeth = small ? 10 : 18;
    cairo_new_path(cr);
    for (int i = 0; i < teeth; ++i) {
        const double a0 = 2 * kPi * i / teeth, a1 = 2 * kPi * (i + 0.55) / teeth;
        cairo_line_to(cr, cx + (r - 10) * std::cos(a0), cy + (r - 10) * std::sin(a0));
        cairo_line_to(cr, cx + (r + 6) * std::cos(a1), cy + (r + 6) * std::sin(a1));
    }
    cairo_close_path(cr);
    FillAndOutline(cr, Hex(0xD8DDE4), Hex(0x20242C), small ? 8 : 5);
    cairo_arc(cr, cx, cy, r * 0.62, 0, 2 * kPi);
    SetColour(cr, Hex(0xA8B0BC));
    cairo_fill(cr);
    // The hub in the game's red.
    cairo_arc(cr, cx, cy, r * 0.26, 0, 2 * kPi);
    FillAndOutline(cr, Hex(0xD02818), Hex(0x400806), small ? 8 : 4);
    if (!small) {
        cairo_arc(cr, cx - 6, cy - 6, r * 0.08, 0, 2 * kPi);
        SetColour(cr, Hex(0xFFD0C0));
        cairo_fill(cr);
    }
}


// Creates the folder and those above it; true when it exists afterwards.
bool MakeFolders(const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return std::filesystem::is_directory(folder, error);
}

}  // namespace

bool WriteIcons(const std::string& dir) {
    for (int size : kSizes) {
        Canvas canvas(size, size);
        DrawIcon(canvas);
        const std::string n = std::to_string(size);
        const std::string folder = dir + "/hicolor/" + n + "x" + n + "/apps";
        if (!MakeFolders(folder) || !canvas.WritePng(folder + "/brettspalt.png")) {
            std::fprintf(stderr, "assetgen: cannot write the %s px icon to %s\n", n.c_str(),
                         folder.c_str());
            return false;
        }
    }
    Canvas canvas(kWindowIconSize, kWindowIconSize);
    DrawIcon(canvas);
    const datalib::RgbaImage image = canvas.ToImage();
    std::ofstream out(dir + "/brettspalt_window_icon.inc");
    out << "// Drawn by assetgen --icons: the game window's icon, straight 0xAARRGGBB.\n"
        << "constexpr int kWindowIconSize = " << kWindowIconSize << ";\n"
        << "constexpr unsigned kWindowIconPixels[] = {\n";
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        char word[16];
        std::snprintf(word, sizeof word, "0x%08xu,", static_cast<unsigned>(image.pixels[i]));
        out << word << ((i + 1) % 8 == 0 ? "\n" : "");
    }
    out << "};\n";
    if (!out) {
        std::fprintf(stderr, "assetgen: cannot write the window icon to %s\n", dir.c_str());
        return false;
    }
    return true;
}

}  // namespace assetgen
