// How fast the sprite blitter draws, next to the limit (a plain memcpy of the
// whole frame), our scalar reference blitter and SDL2's software blitter, all
// on the same pictures and the same 800 x 600 frame buffer.
//
// The pictures are synthetic, drawn from std::mt19937 with the fixed seed
// kSeed, so every contender and every run sees the same pixels:
//   raw layer      800 x 440 opaque raw pixels, random colours;
//   keyed layer    800 x 440 colour-keyed, rows of alternating runs: opaque
//                  20..120 pixels, transparent 10..50 (about 30 % transparent);
//   figure         120 x 160 colour-keyed: opaque runs 4..40, transparent
//                  3..27 (about 40 % transparent);
//   translucent    the figure's runs with random 4-4-4-4 pixels (any alpha);
//   shadow         the figure drawn with shadow on;
//   glyphs         30 different 16 x 20 colour-keyed glyphs, runs 1..6 opaque
//                  and 1..8 transparent, set on one line;
//   objects        100 x 80 colour-keyed: opaque runs 6..60, transparent 3..25
//                  (about 30 % transparent);
//   play frame     both layers, 12 figures (two cut by the left and right
//                  edges), 20 objects, one figure's shadow and 30 glyphs.
// Run lengths are drawn uniformly; a row starts with either kind of run.
//
// SDL2 draws the same pictures from surfaces of SDL_PIXELFORMAT_RGB555 with
// SDL_BlitSurface: the raw layer as a plain surface; colour-keyed pictures with
// a colour key and SDL_RLEACCEL; the translucent figure as an ARGB4444 surface
// with blending (its blend weighs 255ths, ours 15 sixteenths: approximate); the
// shadow as a black colour-keyed RLE surface blended at alpha 128, which halves
// every channel exactly as ours does.
//
// Items processed are pixels of the pictures drawn (their full rectangles), so
// items_per_second is pixels per second.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "blit/Blitter.h"
#include "tests/blit/ReferenceBlitter.h"
#include "tests/blit/TestPictures.h"

namespace {

using i64 = std::int64_t;

constexpr u32 kSeed = 20261207;
constexpr i32 kFrameWidth = 800;
constexpr i32 kFrameHeight = 600;
constexpr i32 kPitchBytes = kFrameWidth * 2;
constexpr u16 kColourKey = 0x7C1F;  // never an opaque pixel of ours

// A picture in both forms: our item and SDL's surface.
struct Picture {
    TestPicture item;
    i32 width = 0;
    i32 height = 0;
    SDL_Surface* surface = nullptr;  // owned; freed at exit by the OS
};

using Cells = std::vector<std::vector<i32>>;  // kClearCell or a pixel value

std::mt19937& Random() {
    static std::mt19937 random(kSeed);
    return random;
}

i32 Between(i32 low, i32 high) {
    return low + static_cast<i32>(Random()() % static_cast<u32>(high - low + 1));
}

u16 OpaqueColour() {
    u16 colour = static_cast<u16>(Random()() & 0x7FFF);
    return colour == kColourKey ? static_cast<u16>(colour ^ 1) : colour;
}

Cells RunCells(i32 width, i32 height, i32 opaqueMin, i32 opaqueMax, i32 clearMin, i32 clearMax,
               const std::function<u16()>& colour) {
    Cells cells(height);
    for (auto& row : cells) {
        bool opaque = Random()() & 1;
        while (static_cast<i32>(row.size()) < width) {
            const i32 length = opaque ? Between(opaqueMin, opaqueMax) : Between(clearMin, clearMax);
            for (i32 i = 0; i < length && static_cast<i32>(row.size()) < width; ++i) {
                row.push_back(opaque ? colour() : kClearCell);
            }
            opaque = !opaque;
        }
    }
    return cells;
}

SDL_Surface* NewSurface(i32 width, i32 height, u32 format) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, format);
    if (surface == nullptr) {
        std::fprintf(stderr, "SDL_CreateRGBSurfaceWithFormat: %s\n", SDL_GetError());
        std::abort();
    }
    return surface;
}

void FillSurface(SDL_Surface* surface, const Cells& cells, u16 clear) {
    for (size_t y = 0; y < cells.size(); ++y) {
        u16* row = reinterpret_cast<u16*>(static_cast<u8*>(surface->pixels) + y * surface->pitch);
        for (size_t x = 0; x < cells[y].size(); ++x) {
            row[x] = cells[y][x] == kClearCell ? clear : static_cast<u16>(cells[y][x]);
        }
    }
}

enum class SdlForm { Plain, Keyed, Translucent, Shadow };

Picture MakeRunPicture(const Cells& cells, u8 format, SdlForm form) {
    Picture picture;
    picture.height = static_cast<i32>(cells.size());
    picture.width = static_cast<i32>(cells[0].size());
    std::vector<TestRow> rows;
    for (const auto& row : cells) rows.push_back(RowFromCells(row));
    picture.item = EncodeRuns(static_cast<u16>(picture.width), 0, 0, format, rows);

    if (form == SdlForm::Translucent) {
        picture.surface = NewSurface(picture.width, picture.height, SDL_PIXELFORMAT_ARGB4444);
        FillSurface(picture.surface, cells, 0x0000);
        SDL_SetSurfaceBlendMode(picture.surface, SDL_BLENDMODE_BLEND);
    } else {
        picture.surface = NewSurface(picture.width, picture.height, SDL_PIXELFORMAT_RGB555);
        Cells shown = cells;
        if (form == SdlForm::Shadow) {
            for (auto& row : shown) {
                for (i32& cell : row) cell = cell == kClearCell ? kClearCell : 0x0000;
            }
        }
        FillSurface(picture.surface, shown, kColourKey);
        SDL_SetColorKey(picture.surface, SDL_TRUE, kColourKey);
        if (form == SdlForm::Shadow) {
            SDL_SetSurfaceBlendMode(picture.surface, SDL_BLENDMODE_BLEND);
            SDL_SetSurfaceAlphaMod(picture.surface, 128);
        }
        SDL_SetSurfaceRLE(picture.surface, 1);
    }
    return picture;
}

Picture MakeRawPicture(i32 width, i32 height) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    std::vector<u16> pixels(static_cast<size_t>(width) * height);
    for (u16& p : pixels) p = OpaqueColour();
    picture.item = EncodeRaw(static_cast<u16>(width), static_cast<u16>(height), 0, 0, pixels);
    picture.surface = NewSurface(width, height, SDL_PIXELFORMAT_RGB555);
    for (i32 y = 0; y < height; ++y) {
        std::memcpy(static_cast<u8*>(picture.surface->pixels) + y * picture.surface->pitch,
                    pixels.data() + static_cast<size_t>(y) * width, width * 2);
    }
    SDL_SetSurfaceBlendMode(picture.surface, SDL_BLENDMODE_NONE);
    return picture;
}

// One picture placed in a scene; shadow asks our blitter for the shadow.
struct Draw {
    const Picture* picture;
    i32 x;
    i32 y;
    bool shadow;
};

struct Scene {
    std::vector<Draw> draws;
    i64 Pixels() const {
        i64 n = 0;
        for (const Draw& d : draws) n += i64{d.picture->width} * d.picture->height;
        return n;
    }
};

struct Pictures {
    Picture rawLayer, keyedLayer, figure, translucentFigure, figureShadow, object;
    std::vector<Picture> glyphs;

    Pictures() {
        rawLayer = MakeRawPicture(800, 440);
        const Cells layer = RunCells(800, 440, 20, 120, 10, 50, OpaqueColour);
        keyedLayer = MakeRunPicture(layer, 0x01, SdlForm::Keyed);
        const Cells figureCells = RunCells(120, 160, 4, 40, 3, 27, OpaqueColour);
        figure = MakeRunPicture(figureCells, 0x01, SdlForm::Keyed);
        figureShadow = MakeRunPicture(figureCells, 0x01, SdlForm::Shadow);
        Cells translucentCells = figureCells;
        for (auto& row : translucentCells) {
            for (i32& cell : row) {
                if (cell != kClearCell) cell = static_cast<i32>(Random()() & 0xFFFF);
            }
        }
        translucentFigure = MakeRunPicture(translucentCells, 0x09, SdlForm::Translucent);
        object =
            MakeRunPicture(RunCells(100, 80, 6, 60, 3, 25, OpaqueColour), 0x01, SdlForm::Keyed);
        for (i32 i = 0; i < 30; ++i) {
            glyphs.push_back(
                MakeRunPicture(RunCells(16, 20, 1, 6, 1, 8, OpaqueColour), 0x01, SdlForm::Keyed));
        }
    }
};

Pictures& AllPictures() {
    static Pictures pictures;
    return pictures;
}

Scene GlyphLine(const Pictures& p) {
    Scene scene;
    for (i32 i = 0; i < 30; ++i) scene.draws.push_back({&p.glyphs[i], 100 + i * 18, 30, false});
    return scene;
}

Scene PlayFrame(const Pictures& p) {
    Scene scene;
    scene.draws.push_back({&p.rawLayer, 0, 80, false});
    scene.draws.push_back({&p.keyedLayer, 0, 80, false});
    for (i32 i = 0; i < 20; ++i) {
        scene.draws.push_back({&p.object, 10 + (i * 37) % 690, 300 + (i * 53) % 140, false});
    }
    scene.draws.push_back({&p.figureShadow, 400, 370, true});
    for (i32 i = 0; i < 12; ++i) {
        // The first and the last figure stand half outside the frame.
        const i32 x = i == 0 ? -60 : i == 11 ? 740 : 30 + i * 60;
        scene.draws.push_back({&p.figure, x, 220 + (i * 29) % 120, false});
    }
    for (const Draw& glyph : GlyphLine(p).draws) scene.draws.push_back(glyph);
    return scene;
}

struct Frame {
    std::vector<u16> pixels = std::vector<u16>(kFrameWidth * kFrameHeight, 0x2108);
    SDL_Surface* surface = nullptr;
    Frame() {
        surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), kFrameWidth, kFrameHeight, 16,
                                                     kPitchBytes, SDL_PIXELFORMAT_RGB555);
    }
};

Frame& TheFrame() {
    static Frame frame;
    return frame;
}

enum class Contender { Fast, FastSse2, Reference, Sdl };

void DrawScene(const Scene& scene, Contender contender) {
    Frame& frame = TheFrame();
    switch (contender) {
        case Contender::Fast:
        case Contender::FastSse2:
            SetBlitTarget(frame.pixels.data(), kPitchBytes);
            SetBlitClip(0, 0, kFrameWidth, kFrameHeight);
            for (const Draw& d : scene.draws) BlitFrame(d.x, d.y, d.picture->item.Item(), d.shadow);
            break;
        case Contender::Reference: {
            const ReferenceBlitter reference{
                0, 0, kFrameWidth, kFrameHeight, frame.pixels.data(), kPitchBytes};
            for (const Draw& d : scene.draws) {
                reference.BlitFrame(d.x, d.y, d.picture->item.Item(), d.shadow);
            }
            break;
        }
        case Contender::Sdl:
            for (const Draw& d : scene.draws) {
                SDL_Rect at{d.x, d.y, d.picture->width, d.picture->height};
                SDL_BlitSurface(d.picture->surface, nullptr, frame.surface, &at);
            }
            break;
    }
}

void RunScene(benchmark::State& state, const Scene& scene, Contender contender) {
    const BlitInstructionSet best = ActiveBlitInstructionSet();
    if (contender == Contender::FastSse2 && !SelectBlitInstructionSet(BlitInstructionSet::Sse2)) {
        state.SkipWithError("no SSE2 variant on this processor");
        return;
    }
    DrawScene(scene, contender);  // SDL encodes its RLE surfaces on first use
    for (auto _ : state) {
        DrawScene(scene, contender);
        benchmark::ClobberMemory();
    }
    SelectBlitInstructionSet(best);
    state.SetItemsProcessed(state.iterations() * scene.Pixels());
}

void MemcpyFrame(benchmark::State& state) {
    std::vector<u16> source(kFrameWidth * kFrameHeight);
    for (u16& p : source) p = OpaqueColour();
    Frame& frame = TheFrame();
    for (auto _ : state) {
        std::memcpy(frame.pixels.data(), source.data(), source.size() * 2);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kFrameWidth * kFrameHeight);
}

void RegisterAll() {
    benchmark::AddCustomContext("blit_instruction_set",
                                BlitInstructionSetName(ActiveBlitInstructionSet()));
    benchmark::RegisterBenchmark("memcpy_frame", MemcpyFrame);

    const Pictures& p = AllPictures();
    struct Named {
        const char* name;
        Scene scene;
    };
    const std::vector<Named> scenes = {
        {"raw_layer", Scene{{{&p.rawLayer, 0, 80, false}}}},
        {"keyed_layer", Scene{{{&p.keyedLayer, 0, 80, false}}}},
        {"figure_keyed", Scene{{{&p.figure, 340, 220, false}}}},
        {"figure_translucent", Scene{{{&p.translucentFigure, 340, 220, false}}}},
        {"figure_shadow", Scene{{{&p.figureShadow, 340, 220, true}}}},
        {"glyphs_30", GlyphLine(p)},
        {"play_frame", PlayFrame(p)},
    };
    const std::pair<const char*, Contender> contenders[] = {{"fast", Contender::Fast},
                                                            {"fast_sse2", Contender::FastSse2},
                                                            {"reference", Contender::Reference},
                                                            {"sdl", Contender::Sdl}};
    for (const Named& named : scenes) {
        for (const auto& [suffix, contender] : contenders) {
            const std::string name = std::string(named.name) + "/" + suffix;
            benchmark::RegisterBenchmark(
                name.c_str(), [scene = named.scene, contender = contender](
                                  benchmark::State& state) { RunScene(state, scene, contender); });
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
