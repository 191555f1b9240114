// Contact sheets: every picture of an entry on one PNG, one row per
// sequence, so that the art can be reviewed at a glance.
#include <algorithm>
#include <cstdio>
#include <string>

#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/Generators.h"

namespace assetgen {
namespace {

// A straight-alpha image as a premultiplied Cairo surface.
cairo_surface_t* ToSurface(const datalib::RgbaImage& image, datalib::Encoding encoding) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width, image.height);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < image.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<size_t>(y) * stride);
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t p = image.pixels[static_cast<size_t>(y) * image.width + x];
            std::uint32_t a = p >> 24;
            // Show colour-keyed pictures the way the game draws them.
            if (encoding == datalib::Encoding::ColourKeyed) a = a >= 128 ? 255 : 0;
            if (encoding == datalib::Encoding::Raw) a = 255;
            if (encoding == datalib::Encoding::Shadow) p = 0, a = a >= 128 ? 128 : 0;
            auto pm = [a](std::uint32_t c) { return c * a / 255; };
            row[x] =
                (a << 24) | (pm((p >> 16) & 255) << 16) | (pm((p >> 8) & 255) << 8) | pm(p & 255);
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

}  // namespace

bool WriteContactSheets(const std::vector<datalib::Entry>& entries, const std::string& folder) {
    bool ok = true;
    for (const auto& entry : entries) {
        // Cell sizes per row, scaled down so wide pictures stay readable.
        struct Row {
            int sequence;
            int cellW, cellH, count;
            double scale;
        };
        std::vector<Row> rows;
        for (int s = 0; s < 12; ++s) {
            if (!entry.sequences[s]) continue;
            Row row{s, 1, 1, 0, 1.0};
            for (const auto& item : entry.sequences[s]->items) {
                if (const auto* pic = std::get_if<datalib::Picture>(&item)) {
                    row.cellW = std::max(row.cellW, pic->image.width);
                    row.cellH = std::max(row.cellH, pic->image.height);
                    ++row.count;
                }
            }
            if (row.count == 0) continue;
            const int perRowWidth = row.cellW * std::min(row.count, 16);
            if (perRowWidth > 2400) row.scale = 2400.0 / perRowWidth;
            rows.push_back(row);
        }
        if (rows.empty()) continue;
        int width = 0, height = 0;
        for (const auto& r : rows) {
            const int lines = (r.count + 15) / 16;
            width = std::max(
                width, static_cast<int>((r.cellW * r.scale + 8) * std::min(r.count, 16)) + 40);
            height += static_cast<int>((r.cellH * r.scale + 8) * lines) + 8;
        }
        Canvas sheet(width, height);
        cairo_t* cr = sheet.cr();
        SetColour(cr, Hex(0x7a8a9a));
        cairo_paint(cr);
        double y = 4;
        for (const auto& r : rows) {
            const auto& items = entry.sequences[r.sequence]->items;
            int index = 0;
            SetColour(cr, Hex(0xffffff));
            cairo_move_to(cr, 4, y + 14);
            cairo_set_font_size(cr, 13);
            cairo_show_text(cr, std::to_string(r.sequence).c_str());
            for (const auto& item : items) {
                const auto* pic = std::get_if<datalib::Picture>(&item);
                if (!pic) continue;
                const double cx = 36 + (index % 16) * (r.cellW * r.scale + 8);
                const double cy = y + (index / 16) * (r.cellH * r.scale + 8);
                SetColour(cr, Hex(0x8c9cac));
                cairo_rectangle(cr, cx, cy, r.cellW * r.scale, r.cellH * r.scale);
                cairo_fill(cr);
                cairo_surface_t* s = ToSurface(pic->image, pic->encoding);
                cairo_save(cr);
                cairo_translate(cr, cx, cy);
                cairo_scale(cr, r.scale, r.scale);
                cairo_set_source_surface(cr, s, 0, 0);
                cairo_paint(cr);
                // Hotspot.
                SetColour(cr, Hex(0xff2020));
                cairo_set_line_width(cr, 1 / r.scale);
                cairo_move_to(cr, pic->hotX - 4, pic->hotY);
                cairo_line_to(cr, pic->hotX + 4, pic->hotY);
                cairo_move_to(cr, pic->hotX, pic->hotY - 4);
                cairo_line_to(cr, pic->hotX, pic->hotY + 4);
                cairo_stroke(cr);
                cairo_restore(cr);
                cairo_surface_destroy(s);
                ++index;
            }
            y += ((r.count + 15) / 16) * (r.cellH * r.scale + 8) + 8;
        }
        std::string file = entry.name;
        std::replace(file.begin(), file.end(), ' ', '_');
        ok = sheet.WritePng(folder + "/" + file + ".png") && ok;
    }
    return ok;
}

}  // namespace assetgen
