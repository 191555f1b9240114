// How long making our sounds takes: it runs in every build of the game's
// content, so it must stay well under half a minute. The whole job, and its
// two expensive parts (rendering a music piece, encoding it as Ogg Vorbis),
// with the effects alone for comparison.
#include <benchmark/benchmark.h>

#include "tools/assetgen/sound/Encode.h"
#include "tools/assetgen/sound/Music.h"
#include "tools/assetgen/sound/Sounds.h"

static void BM_MakeAllSoundEntries(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(sound::MakeSoundEntries());
}
BENCHMARK(BM_MakeAllSoundEntries)->Unit(benchmark::kSecond)->Iterations(2);

static void BM_MakeEffectsOnly(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(sound::MakeSoundEntries(sound::SoundKinds::Effects));
}
BENCHMARK(BM_MakeEffectsOnly)->Unit(benchmark::kMillisecond)->Iterations(2);

static void BM_RenderGameMusic(benchmark::State& state) {
    sound::Score score = sound::GameMusicScore();
    for (auto _ : state) benchmark::DoNotOptimize(sound::RenderScore(score, 44100, true));
}
BENCHMARK(BM_RenderGameMusic)->Unit(benchmark::kMillisecond)->Iterations(2);

static void BM_EncodeGameMusic(benchmark::State& state) {
    sound::Stereo piece = sound::RenderScore(sound::GameMusicScore(), 44100, true);
    sound::Normalize(piece, -7.0);
    for (auto _ : state) benchmark::DoNotOptimize(sound::OggVorbis(piece, 0.3f, 1));
    state.counters["seconds_of_music"] = static_cast<double>(piece.Frames()) / piece.rate;
}
BENCHMARK(BM_EncodeGameMusic)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_MAIN();
