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
//   both layers    the keyed layer over the raw layer: our blitter draws the
//                  two in one pass, the others one after the other;
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
// SDL's best path for translucent pictures is an ARGB8888 surface with
// SDL_RLEACCEL (SDL turns it into its own run-length alpha form); that is the
// "sdl" contender of the translucent figure, and the ARGB4444 surface is
// "sdl_argb4444".
//
// Our blitter is told, as the game's library tells it, that the pictures stay
// unchanged (BlitKeepPictures), so it may draw them from the other forms it
// builds on first use; fast_sse2 draws colour-keyed pictures from those
// forms too, but translucent ones from their runs.
//
// Items processed are pixels of the pictures drawn (their full rectangles), so
// items_per_second is pixels per second.
//
// Without --benchmark_repetitions the bench runs every benchmark 5 times,
// interleaved in random order, and ends with a table of ratios: time per pixel
// against memcpy's, the speed-up against SDL2 and our scalar reference, and
// the SSE2 variant's speed-up against SDL2, each as the median and the range (minimum-maximum) over the repetitions,
// under the processor model and the compiler flags of this build.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/BenchInfo.h"
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
    SDL_Surface* alternative = nullptr;  // a second SDL form, if any
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
        picture.alternative = NewSurface(picture.width, picture.height, SDL_PIXELFORMAT_ARGB4444);
        FillSurface(picture.alternative, cells, 0x0000);
        SDL_SetSurfaceBlendMode(picture.alternative, SDL_BLENDMODE_BLEND);
        // The same pixels as 8-bit channels, each nibble n widened to n * 17.
        picture.surface =
            SDL_CreateRGBSurfaceWithFormat(0, picture.width, picture.height, 32,
                                           SDL_PIXELFORMAT_ARGB8888);
        for (size_t y = 0; y < cells.size(); ++y) {
            u32* row = reinterpret_cast<u32*>(static_cast<u8*>(picture.surface->pixels) +
                                              y * picture.surface->pitch);
            for (size_t x = 0; x < cells[y].size(); ++x) {
                const u32 v = cells[y][x] == kClearCell ? 0u : static_cast<u32>(cells[y][x]);
                row[x] = ((v >> 12) & 15) * 17u << 24 | ((v >> 8) & 15) * 17u << 16 |
                         ((v >> 4) & 15) * 17u << 8 | (v & 15) * 17u;
            }
        }
        SDL_SetSurfaceBlendMode(picture.surface, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceRLE(picture.surface, 1);
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
    // A raw picture under this one at the same place: our blitter draws both
    // in one pass (BlitFrameOver), the others draw it first.
    const Picture* under = nullptr;
};

struct Scene {
    std::vector<Draw> draws;
    i64 Pixels() const {
        i64 n = 0;
        for (const Draw& d : draws) {
            n += i64{d.picture->width} * d.picture->height;
            if (d.under) n += i64{d.under->width} * d.under->height;
        }
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

// The game's library promises the blitter that its pictures stay as they are,
// so that it may keep faster forms of them; the bench's pictures do the same.
void KeepPicture(const Picture& picture) {
    const auto* begin = reinterpret_cast<const u8*>(picture.item.Item());
    BlitKeepPictures(begin, begin + picture.item.Bytes());
}

Pictures& AllPictures() {
    static Pictures pictures;
    static const bool kept = [] {
        for (const Picture* p : {&pictures.rawLayer, &pictures.keyedLayer, &pictures.figure,
                                 &pictures.translucentFigure, &pictures.figureShadow,
                                 &pictures.object}) {
            KeepPicture(*p);
        }
        for (const Picture& glyph : pictures.glyphs) KeepPicture(glyph);
        return true;
    }();
    (void)kept;
    return pictures;
}

Scene GlyphLine(const Pictures& p) {
    Scene scene;
    for (i32 i = 0; i < 30; ++i) scene.draws.push_back({&p.glyphs[i], 100 + i * 18, 30, false});
    return scene;
}

Scene PlayFrame(const Pictures& p) {
    Scene scene;
    scene.draws.push_back({&p.keyedLayer, 0, 80, false, &p.rawLayer});
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

enum class Contender { Fast, FastSse2, Reference, Sdl, SdlAlternative };

void DrawScene(const Scene& scene, Contender contender) {
    Frame& frame = TheFrame();
    switch (contender) {
        case Contender::Fast:
        case Contender::FastSse2:
            SetBlitTarget(frame.pixels.data(), kPitchBytes);
            SetBlitClip(0, 0, kFrameWidth, kFrameHeight);
            for (const Draw& d : scene.draws) {
                if (d.under) {
                    BlitFrameOver(d.x, d.y, d.picture->item.Item(),
                                  {{d.under->item.Item(), nullptr}, d.x, d.y});
                } else {
                    BlitFrame(d.x, d.y, d.picture->item.Item(), d.shadow);
                }
            }
            break;
        case Contender::Reference: {
            const ReferenceBlitter reference{
                0, 0, kFrameWidth, kFrameHeight, frame.pixels.data(), kPitchBytes};
            for (const Draw& d : scene.draws) {
                if (d.under) reference.BlitFrame(d.x, d.y, d.under->item.Item(), false);
                reference.BlitFrame(d.x, d.y, d.picture->item.Item(), d.shadow);
            }
            break;
        }
        case Contender::Sdl:
        case Contender::SdlAlternative:
            for (const Draw& d : scene.draws) {
                if (d.under) {
                    SDL_Rect under{d.x, d.y, d.under->width, d.under->height};
                    SDL_BlitSurface(d.under->surface, nullptr, frame.surface, &under);
                }
                SDL_Rect at{d.x, d.y, d.picture->width, d.picture->height};
                SDL_Surface* surface = contender == Contender::SdlAlternative && d.picture->alternative
                                           ? d.picture->alternative
                                           : d.picture->surface;
                SDL_BlitSurface(surface, nullptr, frame.surface, &at);
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

// The scenes, each drawn by every contender.
struct Named {
    const char* name;
    Scene scene;
};

std::vector<Named> Scenes() {
    const Pictures& p = AllPictures();
    return {
        {"raw_layer", Scene{{{&p.rawLayer, 0, 80, false}}}},
        {"keyed_layer", Scene{{{&p.keyedLayer, 0, 80, false}}}},
        {"both_layers", Scene{{{&p.keyedLayer, 0, 80, false, &p.rawLayer}}}},
        {"figure_keyed", Scene{{{&p.figure, 340, 220, false}}}},
        {"figure_translucent", Scene{{{&p.translucentFigure, 340, 220, false}}}},
        {"figure_shadow", Scene{{{&p.figureShadow, 340, 220, true}}}},
        {"glyphs_30", GlyphLine(p)},
        {"play_frame", PlayFrame(p)},
    };
}

void RegisterAll() {
    benchmark::AddCustomContext("blit_instruction_set",
                                BlitInstructionSetName(ActiveBlitInstructionSet()));
    benchmark::RegisterBenchmark("memcpy_frame", MemcpyFrame);

    const std::pair<const char*, Contender> contenders[] = {{"fast", Contender::Fast},
                                                            {"fast_sse2", Contender::FastSse2},
                                                            {"reference", Contender::Reference},
                                                            {"sdl", Contender::Sdl}};
    for (const Named& named : Scenes()) {
        for (const auto& [suffix, contender] : contenders) {
            const std::string name = std::string(named.name) + "/" + suffix;
            benchmark::RegisterBenchmark(
                name.c_str(), [scene = named.scene, contender = contender](
                                  benchmark::State& state) { RunScene(state, scene, contender); });
        }
    }
    const Scene translucent{{{&AllPictures().translucentFigure, 340, 220, false}}};
    benchmark::RegisterBenchmark("figure_translucent/sdl_argb4444",
                                 [translucent](benchmark::State& state) {
                                     RunScene(state, translucent, Contender::SdlAlternative);
                                 });
}

// Google Benchmark's console output, and every repetition's processor time
// per iteration kept by name for the table of ratios at the end (processor
// time, as on a shared machine the wall-clock time also counts the waits for
// a core).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            times[run.run_name.str()].push_back(run.cpu_accumulated_time /
                                                static_cast<double>(run.iterations));
        }
    }
    std::map<std::string, std::vector<double>> times;
};

// "median (min-max)" of a per-repetition ratio; repetition i of one benchmark
// is set against repetition i of the other.
std::string Spread(const std::vector<double>& a, const std::vector<double>& b, double scale) {
    const size_t n = std::min(a.size(), b.size());
    if (n == 0) return "-";
    std::vector<double> ratios;
    for (size_t i = 0; i < n; ++i) ratios.push_back(a[i] / b[i] * scale);
    char text[64];
    std::snprintf(text, sizeof text, "%.2f (%.2f-%.2f)", benchinfo::Quantile(ratios, 0.5),
                  *std::min_element(ratios.begin(), ratios.end()),
                  *std::max_element(ratios.begin(), ratios.end()));
    return text;
}

void PrintRatios(const RatioReporter& reporter) {
    auto times = [&reporter](const std::string& name) {
        const auto found = reporter.times.find(name);
        return found == reporter.times.end() ? std::vector<double>{} : found->second;
    };
    const std::vector<double> copy = times("memcpy_frame");
    std::printf("\ncpu: %s\ncompiler: %s\nblitter variant: %s\n", benchinfo::CpuModel().c_str(),
                benchinfo::Compiler(), BlitInstructionSetName(ActiveBlitInstructionSet()));
    std::printf("ratios: median (min-max) over %zu repetitions\n", copy.size());
    std::printf("%-20s %-24s %-24s %-24s %-24s\n", "picture", "time/pixel vs memcpy",
                "speed-up vs SDL2", "speed-up vs reference", "sse2 speed-up vs SDL2");
    for (const Named& named : Scenes()) {
        const std::string base = named.name;
        const std::vector<double> fast = times(base + "/fast");
        const double pixelsRatio = static_cast<double>(kFrameWidth * kFrameHeight) /
                                   static_cast<double>(named.scene.Pixels());
        std::printf("%-20s %-24s %-24s %-24s %-24s\n", named.name,
                    Spread(fast, copy, pixelsRatio).c_str(),
                    Spread(times(base + "/sdl"), fast, 1.0).c_str(),
                    Spread(times(base + "/reference"), fast, 1.0).c_str(),
                    Spread(times(base + "/sdl"), times(base + "/fast_sse2"), 1.0).c_str());
    }
    std::printf("%-20s %-24s %-24s\n", "translucent/4444", "",
                Spread(times("figure_translucent/sdl_argb4444"), times("figure_translucent/fast"),
                       1.0)
                    .c_str());
}

}  // namespace

int main(int argc, char** argv) {
    // Five repetitions, interleaved, unless the command line asks otherwise.
    std::vector<char*> args(argv, argv + argc);
    bool repetitionsGiven = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--benchmark_repetitions", 23) == 0) repetitionsGiven = true;
    }
    char repetitions[] = "--benchmark_repetitions=5";
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    char minTime[] = "--benchmark_min_time=0.1";
    if (!repetitionsGiven) {
        args.insert(args.begin() + 1, {repetitions, interleave, minTime});
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    RegisterAll();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    benchmark::Shutdown();
    return 0;
}
