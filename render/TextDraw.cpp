// Text in the game's two bitmap fonts. Character code c (33..254) is item
// (c - 32) mod 64 of sequence (c - 32) / 64, four sequences further on for the
// second style. A space advances by a fixed width; control codes, code 255
// and glyphs the font lacks (or that are a 1 x 1 placeholder) draw nothing
// and take no room.
#include "render/TextDraw.h"

#include "blit/Blitter.h"
#include "config/AssetNames.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"

namespace {

i32 SpaceWidth(bool small) {
    return small ? 8 : 16;
}

bool Drawable(unsigned char c) {
    return c > 32 && c < 255;
}

const PictureItem* Glyph(unsigned char c, bool secondStyle, bool small) {
    if (!gLibrary) return nullptr;
    i32 index = c - 32;
    i32 sequence = index / 64 + (secondStyle ? 4 : 0);
    AssetRef& font = small ? AssetNames::FontSmall() : AssetNames::FontLarge();
    const PictureItem* glyph = gLibrary->GetPicture(&font, sequence, index % 64);
    if (!glyph || (glyph->width == 1 && glyph->height == 1)) return nullptr;
    return glyph;
}

}  // namespace

i32 TextWidth(const char* text, bool small) {
    if (!text) return 0;
    i32 width = 0;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == ' ') {
            width += SpaceWidth(small);
        } else if (Drawable(*p)) {
            if (const PictureItem* glyph = Glyph(*p, false, small)) width += glyph->width - 1;
        }
    }
    return width;
}

void DrawText(i32 x, i32 y, const char* text, i32 fixedAdvance, bool secondStyle, bool small,
              bool shadow) {
    if (!text) return;
    i32 pen = x;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (*p == ' ') {
            pen += SpaceWidth(small);
            continue;
        }
        if (!Drawable(*p)) continue;
        const PictureItem* glyph = Glyph(*p, secondStyle, small);
        if (!glyph) continue;
        BlitFrame(pen, y, glyph, shadow);
        pen += fixedAdvance != 0 ? fixedAdvance : glyph->width - 1;
    }
}

void DrawCentredText(i32 y, const char* text) {
    i32 x = gGame.screenWidth / 2 - TextWidth(text, false) / 2;
    DrawText(x, y, text, 0, false, false, false);
}
