// Drawing straight into the window's surface (see SurfacePresenter.h).
#include "platform/sdl/SurfacePresenter.h"

#include "platform/HostInput.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void WidenRows(const u16* from, i32 fromPitchPixels, Uint32* to, i32 toPitchPixels, i32 width,
               i32 rows) {
    for (i32 y = 0; y < rows; ++y) {
        const u16* source = from + static_cast<std::size_t>(y) * fromPitchPixels;
        Uint32* target = to + static_cast<std::size_t>(y) * toPitchPixels;
        i32 x = 0;
#if defined(__SSE2__)
        // Eight pixels at a time.
        const __m128i five = _mm_set1_epi16(31);
        const __m128i alpha = _mm_set1_epi16(static_cast<short>(0xFF00));
        for (; x + 8 <= width; x += 8) {
            const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
            const __m128i r = _mm_and_si128(_mm_srli_epi16(p, 10), five);
            const __m128i g = _mm_and_si128(_mm_srli_epi16(p, 5), five);
            const __m128i b = _mm_and_si128(p, five);
            const __m128i r8 = _mm_or_si128(_mm_slli_epi16(r, 3), _mm_srli_epi16(r, 2));
            const __m128i g8 = _mm_or_si128(_mm_slli_epi16(g, 3), _mm_srli_epi16(g, 2));
            const __m128i b8 = _mm_or_si128(_mm_slli_epi16(b, 3), _mm_srli_epi16(b, 2));
            const __m128i blueGreen = _mm_or_si128(b8, _mm_slli_epi16(g8, 8));
            const __m128i redAlpha = _mm_or_si128(r8, alpha);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + x),
                             _mm_unpacklo_epi16(blueGreen, redAlpha));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + x + 4),
                             _mm_unpackhi_epi16(blueGreen, redAlpha));
        }
#endif
        for (; x < width; ++x) {
            const Uint32 p = source[x];
            const Uint32 r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
            target[x] = 0xFF000000u | ((r << 3) | (r >> 2)) << 16 | ((g << 3) | (g >> 2)) << 8 |
                        ((b << 3) | (b >> 2));
        }
    }
}

bool SurfacePresenter::Begin(SDL_Window* w, i32 pictureWidth, i32 pictureHeight,
                             bool smoothPicture) {
    window = w;
    smooth = smoothPicture;
    width = pictureWidth;
    height = pictureHeight;
    wideRow.assign(static_cast<std::size_t>(width), 0);
    return Layout();
}

// (Re)computes where the picture goes whenever the window's surface changes.
bool SurfacePresenter::Layout() {
    SDL_Surface* current = SDL_GetWindowSurface(window);
    if (current == nullptr) return false;
    const Uint32 format = current->format->format;
    if (format != SDL_PIXELFORMAT_RGB888 && format != SDL_PIXELFORMAT_ARGB8888) return false;
    if (current == surface && current->w == surfaceW && current->h == surfaceH) return true;
    surface = current;
    surfaceW = current->w;
    surfaceH = current->h;
    // The same layout as the mouse mapping.
    const PictureLayout at = LayoutPicture(surfaceW, surfaceH, width, height, smooth);
    const i32 w = at.w, h = at.h;
    viewport = SDL_Rect{at.x, at.y, w, h};
    columnSource.resize(static_cast<std::size_t>(std::max(w, 0)));
    rowSource.resize(static_cast<std::size_t>(std::max(h, 0)));
    for (i32 x = 0; x < w; ++x)
        columnSource[x] = static_cast<i32>(static_cast<long long>(x) * width / w);
    for (i32 y = 0; y < h; ++y)
        rowSource[y] = static_cast<i32>(static_cast<long long>(y) * height / h);
    return true;
}

void SurfacePresenter::Present(const u16* pixels, i32 pitchPixels, i32 firstRow, i32 rows,
                               bool all) {
    SDL_Surface* before = surface;
    if (!Layout() || viewport.w <= 0 || viewport.h <= 0) return;
    if (surface != before) all = true;  // a new surface holds nothing yet
    if (all) {
        firstRow = 0;
        rows = height;
    }
    // The viewport rows whose picture row lies in the band.
    const auto begin = std::lower_bound(rowSource.begin(), rowSource.end(), firstRow);
    const auto end = std::lower_bound(begin, rowSource.end(), firstRow + rows);
    const i32 top = static_cast<i32>(begin - rowSource.begin());
    const i32 bottom = static_cast<i32>(end - rowSource.begin());
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    if (all) SDL_FillRect(surface, nullptr, 0);
    auto* base = static_cast<u8*>(surface->pixels);
    const bool unscaled = viewport.w == width;
    i32 widened = -1;  // picture row now in wideRow
    Uint32* previous = nullptr;
    for (i32 y = top; y < bottom; ++y) {
        const i32 source = rowSource[y];
        auto* target = reinterpret_cast<Uint32*>(base + static_cast<std::size_t>(viewport.y + y) *
                                                            surface->pitch) +
                       viewport.x;
        if (source == widened && previous != nullptr) {
            // A picture row shown twice (scaled up): copy the row just drawn.
            std::memcpy(target, previous, sizeof(Uint32) * viewport.w);
        } else if (unscaled) {
            WidenRows(pixels + static_cast<std::size_t>(source) * pitchPixels, pitchPixels, target,
                      0, width, 1);
        } else {
            WidenRows(pixels + static_cast<std::size_t>(source) * pitchPixels, pitchPixels,
                      wideRow.data(), 0, width, 1);
            for (i32 x = 0; x < viewport.w; ++x) target[x] = wideRow[columnSource[x]];
        }
        widened = source;
        previous = target;
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (all) {
        SDL_UpdateWindowSurface(window);
    } else if (bottom > top) {
        const SDL_Rect changed{viewport.x, viewport.y + top, viewport.w, bottom - top};
        SDL_UpdateWindowSurfaceRects(window, &changed, 1);
    }
}

bool SurfacePresenter::Matches(const u16* expected, i32 pitchPixels) {
    if (!Layout()) return false;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
    bool same = true;
    for (i32 y = 0; y < viewport.h && same; ++y) {
        const auto* row = reinterpret_cast<const Uint32*>(static_cast<const u8*>(surface->pixels) +
                                                          static_cast<std::size_t>(viewport.y + y) *
                                                              surface->pitch) +
                          viewport.x;
        for (i32 x = 0; x < viewport.w; ++x) {
            Uint32 want = 0;
            WidenRows(
                expected + static_cast<std::size_t>(rowSource[y]) * pitchPixels + columnSource[x],
                pitchPixels, &want, 0, 1, 1);
            if ((row[x] & 0xFFFFFF) != (want & 0xFFFFFF)) {
                std::fprintf(stderr,
                             "self-test: window pixel (%d, %d) is %06x, picture pixel (%d, %d) "
                             "widens to %06x\n",
                             viewport.x + x, viewport.y + y, row[x] & 0xFFFFFF, columnSource[x],
                             rowSource[y], want & 0xFFFFFF);
                same = false;
                break;
            }
        }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    return same;
}
