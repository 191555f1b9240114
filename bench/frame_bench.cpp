// The cost of a whole frame of play next to the limit of the machine: the
// headless game (the real game on the in-memory platform, our own Data.lib)
// plays the busiest street it has, and every GameFrame is timed beside one
// memcpy of a whole 800 x 600 frame buffer, taken in turn in the same run so
// that both see the same machine load. Times are the thread's processor time,
// so that waiting for a core on a shared machine is not counted.
//
//   frame_bench [--data DIR] [--level N] [--frames N] [--reps N] [--forms never|chosen|always]
//               [--blit portable|sse2|avx2]
//
// --level 0 (the default) picks the street with the most pieces of furniture,
// canisters and figures (the widest of those that tie); --frames frames are
// timed per repetition (3000), --reps repetitions (5); --forms says which
// pictures the blitter may draw from other forms (chosen, as in the game,
// unless told otherwise); --blit the blitter's variant (the best the
// processor has, unless told otherwise). The player walks right
// and left and saws now and then; a street lost or won is started again. It
// also reports the processor time from the start of the game to its first
// main-menu frame, which is mostly decoding the menu's music.
//
// The last line reads
//   frame_bench: median M memcpy, p99 P memcpy, cpu MODEL
// with M and P the median and 99th percentile of GameFrame over all
// repetitions, as multiples of the median frame memcpy.
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "actors/NonPlayerCharacter.h"
#include "actors/WorldObject.h"
#include "bench/BenchInfo.h"
#include "blit/Blitter.h"
#include "config/Settings.h"
#include "game/Game.h"
#include "game/GameFlow.h"
#include "game/GameGlobals.h"
#include "game/LevelRules.h"
#include "platform/HostLoop.h"
#include "platform/Random.h"
#include "platform/ScriptedPlatform.h"

#ifndef BRETTSPALT_BENCH_DATA
#define BRETTSPALT_BENCH_DATA "data"
#endif

namespace {

using Key = ScriptedPlatform::Key;
constexpr size_t kFrameBytes = 800 * 600 * 2;
constexpr i32 kHighestLevel = 99;

double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Processor time of this thread: the machine may be shared, and time spent
// waiting for a core is no cost of the frame (nor of the memcpy).
double NowUs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

struct BenchOptions {
    std::string data = BRETTSPALT_BENCH_DATA;
    i32 level = 0;
    i32 frames = 3000;
    i32 reps = 5;
    BlitPictureForms forms = BlitPictureForms::Chosen;
    const char* blit = nullptr;  // the variant's name; null for the best
};

bool ParseOptions(int argc, char** argv, BenchOptions* options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (arg == "--data") {
            options->data = value;
        } else if (arg == "--level") {
            options->level = std::atoi(value);
        } else if (arg == "--frames") {
            options->frames = std::atoi(value);
        } else if (arg == "--reps") {
            options->reps = std::atoi(value);
        } else if (arg == "--forms") {
            const std::string forms = value;
            if (forms == "never") {
                options->forms = BlitPictureForms::Never;
            } else if (forms == "always") {
                options->forms = BlitPictureForms::Always;
            } else if (forms != "chosen") {
                return false;
            }
        } else if (arg == "--blit") {
            options->blit = value;
        } else {
            return false;
        }
    }
    return options->frames > 0 && options->reps > 0 && options->level >= 0;
}

// Frames go at the host's pace: 16 virtual milliseconds apart.
u32 Frame(ScriptedPlatform& platform) {
    platform.AdvanceTime(16);
    return GameFrame(false);
}

// Sets up street n and runs frames until it plays.
bool EnterLevel(ScriptedPlatform& platform, i32 n) {
    gGame.levelNumber = n;
    gGame.lives = 99;
    SetScreenState(LevelStart, 1);
    for (int i = 0; i < 2000 && gGame.screenState != Playing; ++i) Frame(platform);
    return gGame.screenState == Playing;
}

// The street with the most objects and figures; the widest of those that tie.
i32 BusiestLevel(ScriptedPlatform& platform) {
    i32 best = 0, bestCount = -1, bestWidth = -1;
    for (i32 n = 1; n <= kHighestLevel; ++n) {
        if (!LevelFileExists(n) || !EnterLevel(platform, n)) continue;
        const i32 count = gObjectCount + gCharacterCount;
        if (count > bestCount || (count == bestCount && gLevel.playfieldWidth > bestWidth)) {
            best = n;
            bestCount = count;
            bestWidth = gLevel.playfieldWidth;
        }
    }
    return best;
}

// The player's input for frame f: walking right, then left, sawing now and
// then.
void Steer(ScriptedPlatform& platform, i32 f) {
    const bool right = (f / 240) % 2 == 0;
    platform.SetKey(Key::Right, right);
    platform.SetKey(Key::Left, !right);
    platform.SetKey(Key::Space, f % 90 < 30);
}

struct Rep {
    double frameMedian, frameP99, memcpyMedian;
};

}  // namespace

int main(int argc, char** argv) {
    BenchOptions options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr,
                     "usage: frame_bench [--data DIR] [--level N] [--frames N] [--reps N]"
                     " [--forms never|chosen|always] [--blit portable|sse2|avx2]\n");
        return 2;
    }
    if (options.blit != nullptr) {
        bool chosen = false;
        for (const BlitInstructionSet set : {BlitInstructionSet::Portable, BlitInstructionSet::Sse2,
                                             BlitInstructionSet::Avx2}) {
            if (std::strcmp(options.blit, BlitInstructionSetName(set)) == 0) {
                chosen = SelectBlitInstructionSet(set);
            }
        }
        if (!chosen) {
            std::fprintf(stderr, "frame_bench: no blitter variant %s on this processor\n",
                         options.blit);
            return 2;
        }
    }
    const std::filesystem::path save =
        std::filesystem::temp_directory_path() / ("frame_bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(save);

    SetBlitPictureForms(options.forms);
    SetGameFloatingPointMode();
    Random::Seed(12345);
    ScriptedPlatform platform(options.data, save.string());
    platform.SetTime(1000);

    // Start-up: GameInit to the first frame of the main menu.
    const double cpuStart = ProcessCpuMs();
    if (!GameInit(&platform)) {
        std::fprintf(stderr, "frame_bench: the game did not start: %s\n",
                     GameInitError() ? GameInitError() : "?");
        return 1;
    }
    for (int i = 0; i < 1000 && gGame.screenState != MainMenu; ++i) Frame(platform);
    Frame(platform);
    const double startupCpuMs = ProcessCpuMs() - cpuStart;

    const i32 level = options.level != 0 ? options.level : BusiestLevel(platform);
    if (level == 0 || !EnterLevel(platform, level)) {
        std::fprintf(stderr, "frame_bench: no street could be played\n");
        return 1;
    }
    std::printf("cpu: %s\ncompiler: %s\nblitter variant: %s\n", benchinfo::CpuModel().c_str(),
                benchinfo::Compiler(), BlitInstructionSetName(ActiveBlitInstructionSet()));
    std::printf("street %d: %d objects, %d figures, %d screens wide; %d frames x %d reps\n",
                level, gObjectCount, gCharacterCount, gLevel.playfieldWidth, options.frames,
                options.reps);
    std::printf("start-up to the first menu frame: %.1f ms of processor time\n", startupCpuMs);

    std::vector<u8> source(kFrameBytes), target(kFrameBytes);
    for (size_t i = 0; i < kFrameBytes; ++i) source[i] = static_cast<u8>(i * 131 + 7);

    std::vector<double> allFrames, allCopies;
    std::vector<Rep> reps;
    i32 step = 0;
    for (i32 r = 0; r < options.reps; ++r) {
        std::vector<double> frames, copies;
        for (i32 f = 0; f < options.frames; ++f, ++step) {
            if (gGame.screenState != Playing && !EnterLevel(platform, level)) {
                std::fprintf(stderr, "frame_bench: the street no longer plays\n");
                return 1;
            }
            Steer(platform, step);
            const double t0 = NowUs();
            Frame(platform);
            const double t1 = NowUs();
            std::memcpy(target.data(), source.data(), kFrameBytes);
            asm volatile("" : : "r"(target.data()) : "memory");
            const double t2 = NowUs();
            frames.push_back(t1 - t0);
            copies.push_back(t2 - t1);
        }
        Rep rep{benchinfo::Quantile(frames, 0.5), benchinfo::Quantile(frames, 0.99),
                benchinfo::Quantile(copies, 0.5)};
        std::printf("rep %d: GameFrame median %.1f us, p99 %.1f us; memcpy median %.1f us"
                    " -> %.2f / %.2f memcpy\n",
                    r + 1, rep.frameMedian, rep.frameP99, rep.memcpyMedian,
                    rep.frameMedian / rep.memcpyMedian, rep.frameP99 / rep.memcpyMedian);
        reps.push_back(rep);
        allFrames.insert(allFrames.end(), frames.begin(), frames.end());
        allCopies.insert(allCopies.end(), copies.begin(), copies.end());
    }
    const BlitFormUse forms = BlitPictureFormUse();
    std::printf("pictures drawn from other forms: %zu, taking %.1f MB\n", forms.pictures,
                static_cast<double>(forms.bytes) / (1 << 20));
    GameShutdown();
    std::filesystem::remove_all(save);

    double lowMedian = 1e30, highMedian = 0, lowP99 = 1e30, highP99 = 0;
    for (const Rep& rep : reps) {
        lowMedian = std::min(lowMedian, rep.frameMedian / rep.memcpyMedian);
        highMedian = std::max(highMedian, rep.frameMedian / rep.memcpyMedian);
        lowP99 = std::min(lowP99, rep.frameP99 / rep.memcpyMedian);
        highP99 = std::max(highP99, rep.frameP99 / rep.memcpyMedian);
    }
    const double copy = benchinfo::Quantile(allCopies, 0.5);
    const double median = benchinfo::Quantile(allFrames, 0.5) / copy;
    const double p99 = benchinfo::Quantile(allFrames, 0.99) / copy;
    std::printf("all reps: GameFrame median %.1f us, p99 %.1f us, memcpy %.1f us\n",
                benchinfo::Quantile(allFrames, 0.5), benchinfo::Quantile(allFrames, 0.99), copy);
    std::printf("spread over reps: median %.2f-%.2f memcpy, p99 %.2f-%.2f memcpy\n", lowMedian,
                highMedian, lowP99, highP99);
    std::printf("frame_bench: median %.2f memcpy, p99 %.2f memcpy, cpu %s\n", median, p99,
                benchinfo::CpuModel().c_str());
    return 0;
}
