// Decoding a 60-second stereo piece of music into memory: our
// DecodeOggToWave (run under the game's rounding toward zero) against
// libvorbisfile's ov_read on the same bytes, in one run. The goal is at least
// 0.95 of ov_read's throughput; the ratio is printed at the end.
#include <benchmark/benchmark.h>
#include <vorbis/vorbisfile.h>

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/OggDecoder.h"
#include "tests/host/OggTestEncoder.h"

namespace {

// A minute of something like music: a bass line, a chord, a melody and a
// little noise for the cymbals, so the encoder has real work to describe.
const std::vector<unsigned char>& Piece() {
    static const std::vector<unsigned char> piece = [] {
        const long rate = 44100;
        unsigned noise = 12345;
        return OggTest::Encode(
            2, rate, 60 * rate,
            [&](int channel, long i) {
                const double t = double(i) / rate;
                const int step = static_cast<int>(t * 4) % 16;
                const double bass = 55.0 * std::pow(2.0, (step % 4) * 3 / 12.0);
                const double melody = 440.0 * std::pow(2.0, ((step * 7) % 12) / 12.0);
                noise = noise * 1103515245u + 12345u;
                const double hiss = ((noise >> 16) & 0x7FFF) / 32768.0 - 0.5;
                const double beat = std::exp(-8.0 * std::fmod(t, 0.25));
                double v = 0.25 * std::sin(2 * M_PI * bass * t) +
                           0.12 * std::sin(2 * M_PI * 261.63 * t) +
                           0.12 * std::sin(2 * M_PI * 329.63 * t) +
                           0.18 * std::sin(2 * M_PI * melody * t + channel) + 0.1 * hiss * beat;
                return static_cast<float>(v);
            },
            1, 0.3f);
    }();
    return piece;
}

void BM_DecodeOggToWave(benchmark::State& state) {
    const auto& ogg = Piece();
    const int saved = std::fegetround();
    std::fesetround(FE_TOWARDZERO);  // as the game calls it
    for (auto _ : state) {
        void* wave = nullptr;
        u32 size = 0;
        if (!DecodeOggToWave(ogg.data(), static_cast<i32>(ogg.size()), &wave, &size)) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(wave);
        std::free(wave);
    }
    std::fesetround(saved);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * ogg.size()));
}
BENCHMARK(BM_DecodeOggToWave)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

struct MemoryFile {
    const unsigned char* data;
    size_t size;
    size_t at;
};

size_t ReadMemory(void* to, size_t size, size_t count, void* source) {
    MemoryFile* f = static_cast<MemoryFile*>(source);
    const size_t n = std::min(size * count, f->size - f->at);
    std::memcpy(to, f->data + f->at, n);
    f->at += n;
    return size == 0 ? 0 : n / size;
}

// ov_read into a buffer that grows as it fills, as a program would decode a
// whole file into memory.
void BM_OvRead(benchmark::State& state) {
    const auto& ogg = Piece();
    for (auto _ : state) {
        MemoryFile file{ogg.data(), ogg.size(), 0};
        OggVorbis_File vf;
        const ov_callbacks callbacks{ReadMemory, nullptr, nullptr, nullptr};
        if (ov_open_callbacks(&file, &vf, nullptr, 0, callbacks) != 0) {
            state.SkipWithError("ov_open failed");
            break;
        }
        std::vector<char> pcm;
        pcm.reserve(ogg.size() * 20);
        char buffer[4096];
        int section = 0;
        long n;
        while ((n = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section)) > 0) {
            pcm.insert(pcm.end(), buffer, buffer + n);
        }
        benchmark::DoNotOptimize(pcm.data());
        ov_clear(&vf);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * ogg.size()));
}
BENCHMARK(BM_OvRead)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Prints the usual table, then our throughput as a share of ov_read's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        // Both decode on one thread: processor time is the fair measure on a
        // machine that also runs other work. The mean of the repetitions.
        for (const Run& run : runs) {
            const std::string name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "mean") {
                means[name] = run.GetAdjustedCPUTime();
            } else if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                sums[name] += run.GetAdjustedCPUTime();
                counts[name] += 1;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        const double ours = Mean("BM_DecodeOggToWave");
        const double theirs = Mean("BM_OvRead");
        if (ours > 0 && theirs > 0) {
            std::printf("DecodeOggToWave throughput / ov_read throughput = %.3f (goal >= 0.95)\n",
                        theirs / ours);
        }
    }

private:
    double Mean(const std::string& name) {
        if (means.count(name)) return means[name];
        return counts[name] > 0 ? sums[name] / counts[name] : 0;
    }
    std::map<std::string, double> means, sums;
    std::map<std::string, int> counts;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    std::printf("piece: %zu bytes of Ogg Vorbis, 60 s stereo 44.1 kHz\n", Piece().size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
