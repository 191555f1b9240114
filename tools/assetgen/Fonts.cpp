// The two bitmap fonts, "font_gr_normal" (large, lines about 28 pixels) and
// "font_kl_normal" (small, about 16): glyphs for the Windows-1252 codes 33 to
// 254 rendered from DejaVu Sans Bold through FreeType, with a dark outline.
// Sequences 0-3 hold the plain style (warm white), 4-7 the second style (a
// muted red, used for resting buttons and an empty tank). Glyph c is item
// (c - 32) % 64 of sequence (c - 32) / 64; code 127 is the gas symbol, and
// codes without a character are 1 x 1 pictures. The hotspot is the top-left
// corner, so a line's y is its top.
#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <string>

#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/Generators.h"

namespace assetgen {
namespace {

using datalib::Encoding;

// The file of DejaVu Sans Bold as fontconfig knows it (fonts-dejavu-core);
// empty when it is not installed. Any other face would change the glyphs, so
// the match must be that face itself, not a substitute.
std::string DejaVuBoldFile() {
    std::string path;
    if (!FcInit()) return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans:style=Bold"));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    FcChar8* family = nullptr;
    FcChar8* style = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
        FcPatternGetString(match, FC_STYLE, 0, &style) == FcResultMatch &&
        std::string(reinterpret_cast<char*>(family)) == "DejaVu Sans" &&
        std::string(reinterpret_cast<char*>(style)) == "Bold")
        path = reinterpret_cast<char*>(file);
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return path;
}

// Unicode of a Windows-1252 code; 0 where the code page has no character.
std::uint32_t Cp1252(int c) {
    static const std::uint16_t kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    if (c >= 128 && c < 160) return kHigh[c - 128];
    if (c == 127) return 0;
    return static_cast<std::uint32_t>(c);
}

std::string Utf8(std::uint32_t u) {
    std::string s;
    if (u < 0x80) {
        s += static_cast<char>(u);
    } else if (u < 0x800) {
        s += static_cast<char>(0xC0 | (u >> 6));
        s += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        s += static_cast<char>(0xE0 | (u >> 12));
        s += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (u & 0x3F));
    }
    return s;
}

struct FontSpec {
    const char* name;
    double size;      // pixel size of the face
    int lineHeight;   // height of every glyph picture
    double baseline;  // from the top
    double outline;   // stroke width of the rim
    int spacing;      // extra advance between letters
};

datalib::Picture Absent() {
    datalib::Picture p;
    p.image.width = p.image.height = 1;
    p.image.pixels = {0};
    p.encoding = Encoding::ColourKeyed;
    return p;
}

// The gas symbol: a small canister.
void GasSymbol(cairo_t* cr, const FontSpec& f, Rgb fill) {
    const double h = f.lineHeight * 0.62, w = h * 0.75;
    const double x = f.outline + 1, y = f.baseline - h;
    RoundedRect(cr, x, y + h * 0.15, w, h * 0.85, h * 0.12);
    cairo_move_to(cr, x + w * 0.55, y + h * 0.15);
    cairo_line_to(cr, x + w * 0.8, y);
    cairo_line_to(cr, x + w, y + h * 0.1);
    cairo_line_to(cr, x + w, y + h * 0.2);
    SetColour(cr, Hex(0x1c1410));
    cairo_set_line_width(cr, f.outline * 2);
    cairo_stroke_preserve(cr);
    SetColour(cr, fill);
    cairo_fill(cr);
    SetColour(cr, Hex(0x1c1410));
    cairo_set_line_width(cr, std::max(1.0, f.outline * 0.6));
    cairo_move_to(cr, x + w * 0.2, y + h * 0.35);
    cairo_line_to(cr, x + w * 0.8, y + h * 0.85);
    cairo_move_to(cr, x + w * 0.8, y + h * 0.35);
    cairo_line_to(cr, x + w * 0.2, y + h * 0.85);
    cairo_stroke(cr);
}

datalib::Picture Glyph(cairo_font_face_t* face, const FontSpec& f, int code, bool second) {
    const Rgb top = second ? Hex(0xf08a6a) : Hex(0xfffbea);
    const Rgb bottom = second ? Hex(0xc03a2a) : Hex(0xf0c878);
    if (code == 127) {
        const int w = static_cast<int>(f.lineHeight * 0.62 * 0.75 + 2 * f.outline + 4);
        Canvas canvas(w, f.lineHeight);
        GasSymbol(canvas.cr(), f, second ? Hex(0xc03a2a) : Hex(0xf4c81c));
        return MakePicture(canvas.ToImage(), 0, 0, Encoding::ColourKeyed, false);
    }
    const std::uint32_t u = Cp1252(code);
    if (u == 0) return Absent();
    const std::string text = Utf8(u);
    // Measure.
    Canvas probe(4, 4);
    cairo_set_font_face(probe.cr(), face);
    cairo_set_font_size(probe.cr(), f.size);
    cairo_text_extents_t ext;
    cairo_text_extents(probe.cr(), text.c_str(), &ext);
    // The picture is as wide as the letter's advance plus its rim, so that
    // the game's advance (width - 1) spaces the letters as the face does.
    const double pad = f.outline * 0.7;
    int width = static_cast<int>(std::ceil(ext.x_advance + f.outline * 0.5)) + 1 + f.spacing;
    if (code == 160) width = static_cast<int>(f.size * 0.35) + 1;  // no-break space: blank
    Canvas canvas(std::max(width, 2), f.lineHeight);
    cairo_t* cr = canvas.cr();
    if (code != 160) {
        cairo_set_font_face(cr, face);
        cairo_set_font_size(cr, f.size);
        cairo_move_to(cr, pad, f.baseline);
        cairo_text_path(cr, text.c_str());
        SetColour(cr, Hex(0x1c1410));
        cairo_set_line_width(cr, f.outline * 2);
        cairo_stroke_preserve(cr);
        cairo_pattern_t* gradient =
            cairo_pattern_create_linear(0, f.baseline - f.size * 0.75, 0, f.baseline);
        cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
        cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
        cairo_set_source(cr, gradient);
        cairo_fill(cr);
        cairo_pattern_destroy(gradient);
    }
    return MakePicture(canvas.ToImage(), 0, 0, Encoding::ColourKeyed, false);
}

datalib::Entry FontEntry(FT_Library ft, const std::string& file, const FontSpec& f) {
    datalib::Entry entry;
    entry.name = f.name;
    FT_Face ftFace = nullptr;
    if (FT_New_Face(ft, file.c_str(), 0, &ftFace) != 0) {
        std::fprintf(stderr, "assetgen: cannot open %s\n", file.c_str());
        return entry;
    }
    cairo_font_face_t* face = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    for (int style = 0; style < 2; ++style) {
        for (int s = 0; s < 4; ++s) {
            datalib::Sequence seq;
            seq.listed = true;
            for (int i = 0; i < 64; ++i) {
                const int code = 32 + s * 64 + i;
                if (code <= 32 || code > 254)
                    seq.items.emplace_back(Absent());
                else
                    seq.items.emplace_back(Glyph(face, f, code, style == 1));
            }
            entry.sequences[s + style * 4] = std::move(seq);
        }
    }
    // Cairo keeps the face in its font cache; both stay alive until the
    // generator exits.
    return entry;
}

}  // namespace

std::vector<datalib::Entry> MakeFontEntries() {
    FT_Library ft = nullptr;
    std::vector<datalib::Entry> entries;
    const std::string file = DejaVuBoldFile();
    if (file.empty()) {
        std::fprintf(stderr, "assetgen: DejaVu Sans Bold is not installed (fonts-dejavu-core)\n");
        return entries;
    }
    if (FT_Init_FreeType(&ft) != 0) return entries;
    entries.push_back(FontEntry(ft, file, {"font_gr_normal", 21, 28, 21, 2.1, 0}));
    entries.push_back(FontEntry(ft, file, {"font_kl_normal", 13, 17, 13, 1.4, 0}));
    return entries;
}

}  // namespace assetgen
