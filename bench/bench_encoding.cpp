// Dot-grid encoding of a 100 x 100 lattice (10 000 dots, pitch 20 pixels, jittered by up to 0.4
// pixel) on a 2048 x 2048 picture: the automatic origin and the whole walk, starting each time
// from a clean dot table; and the box search alone, through the spatial index and as the plain
// scan over the table it replaces.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "dotgrid/NearestDotIndex.h"
#include "dotgrid/TDotGridEncoder.h"
#include "image/TGrayImage.h"

namespace {

using namespace corvane;

std::vector<TDotInfo> LatticeDots() {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> jitter(-0.4f, 0.4f);
    std::vector<TDotInfo> dots;
    for (int r = 0; r < 100; ++r)
        for (int c = 0; c < 100; ++c) {
            TDotInfo dot;
            dot.X = 25.0f + 20.0f * static_cast<float>(c) + jitter(rng);
            dot.Y = 25.0f + 20.0f * static_cast<float>(r) + jitter(rng);
            dot.Area = 78;
            dots.push_back(dot);
        }
    return dots;
}

void BM_EncodeLattice100x100(benchmark::State& state) {
    TGrayImage blank(nullptr, 2048, 2048);
    TDotGridEncoder encoder(blank, {});
    encoder.FDotInfo = LatticeDots();
    encoder.FDotSum = encoder.FDotIndex = static_cast<std::int32_t>(encoder.FDotInfo.size());
    encoder.FDotInfo.push_back({});
    for (auto _ : state) {
        encoder.ResetCodes();
        const std::int32_t origin = encoder.FindOriginAuto(TOriginMethod::CenterGridDot);
        encoder.EncodeAll(origin);
        if (encoder.UncodedCount != 0) state.SkipWithError("dots left out");
        benchmark::DoNotOptimize(encoder.FDotInfo.data());
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_EncodeLattice100x100)->Unit(benchmark::kMillisecond);

/// Searches at every lattice position with the walk's box of 0.45 pitch.
template <bool kIndexed> void BM_BoxSearch(benchmark::State& state) {
    const std::vector<TDotInfo> dots = LatticeDots();
    TNearestDotIndex index;
    index.Build(dots.data(), static_cast<std::int32_t>(dots.size()));
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (int r = 0; r < 100; ++r)
            for (int c = 0; c < 100; ++c) {
                const float x = 25.0f + 20.0f * static_cast<float>(c),
                            y = 25.0f + 20.0f * static_cast<float>(r);
                sum += kIndexed ? index.NearestInBox(x, y, 9.0f, 9.0f)
                                : TNearestDotIndex::NearestInBoxLinear(dots.data(), 10000, x, y, 9.0f, 9.0f);
            }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_BoxSearch<true>)->Name("BM_BoxSearch10000Indexed")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoxSearch<false>)->Name("BM_BoxSearch10000Linear")->Unit(benchmark::kMillisecond);

} // namespace
BENCHMARK_MAIN();
