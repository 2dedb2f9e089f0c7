// Phase unwrapping hot paths: the region-growing tool's Mask Noise + Unwrap (region growing and
// row filling), the whole command from its file, and the simple tool's scan-line unwrap. The
// region-growing runs also report how well a noisy map unwraps, as counters:
//   within_0.5_noisy  fraction of pixels within 0.5 rad of the noisy phase (truth + noise) after
//                     one global 2 pi k: pixels unwrapped to the right fringe;
//   within_0.5_clean  the same against the noise-free truth (bounded by the noise itself:
//                     P(|N(0, 0.7)| <= 0.5) = 0.525 for a perfect unwrap).
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "phase/InvalidRunFill.h"
#include "phase/NewUnwrapModel.h"
#include "phase/NoiseMask.h"
#include "phase/RegionGrowingUnwrap.h"
#include "phase/SimpleUnwrap.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>

using namespace corvane;
using corvane::test::WrappedPhaseMap;

namespace {

/// Generated maps, kept between runs: size and noise sigma in hundredths of a radian.
const WrappedPhaseMap& Generated(int size, int sigmaCents) {
    static std::map<std::pair<int, int>, WrappedPhaseMap> cache;
    auto it = cache.find({size, sigmaCents});
    if (it == cache.end())
        it = cache
                 .emplace(std::pair{size, sigmaCents},
                          test::MakeWrappedPhaseMap(size, size, sigmaCents / 100.0, 7))
                 .first;
    return it->second;
}

void Report(benchmark::State& state, const TFloatImage& map, const WrappedPhaseMap& truth,
            const TGrayImage& invalid) {
    state.counters["within_0.5_noisy"] = test::FractionWithin(map.Data, truth.Noisy, 0.5);
    state.counters["within_0.5_clean"] = test::FractionWithin(map.Data, truth.Truth, 0.5);
    const auto masked = std::count(invalid.Data, invalid.Data + invalid.Size, std::uint8_t{255});
    state.counters["masked"] = static_cast<double>(masked) / static_cast<double>(invalid.Size);
}

/// Args: size, noise sigma in hundredths of a radian, Mask Noise first (1) or not (0).
void BM_RegionGrowingUnwrap(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const WrappedPhaseMap& truth = Generated(size, static_cast<int>(state.range(1)));
    const bool maskNoise = state.range(2) != 0;
    TFloatImage map(nullptr, size, size);
    TGrayImage invalid(nullptr, size, size);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(truth.Wrapped.begin(), truth.Wrapped.end(), map.Data);
        std::fill(invalid.Data, invalid.Data + invalid.Size, std::uint8_t{0});
        state.ResumeTiming();
        if (maskNoise) MaskNoise(map, invalid, 0.5f, 0.001f);
        RegionGrowingUnwrap(map, invalid, size / 2, size / 2, 0.5f);
        FillInvalidRuns(map, &invalid);
        benchmark::DoNotOptimize(map.Data);
    }
    Report(state, map, truth, invalid);
}
BENCHMARK(BM_RegionGrowingUnwrap)
    ->ArgNames({"size", "sigma_cents", "mask_noise"})
    ->Args({1024, 0, 1})
    ->Args({2048, 0, 1})
    ->Args({1024, 70, 1})
    ->Args({1024, 70, 0})
    ->Args({2048, 70, 1})
    ->Unit(benchmark::kMillisecond);

/// The whole Unwrap command after Mask Noise, each reading the map from its FLT file.
void BM_NewUnwrapCommandFromFile(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const WrappedPhaseMap& truth = Generated(size, 0);
    test::TempDir dir;
    TFloatImage file(nullptr, size, size);
    std::copy(truth.Wrapped.begin(), truth.Wrapped.end(), file.Data);
    file.SaveFlt(dir.File("phase.flt"));
    NewUnwrapOptions options;
    options.PhaseFile = dir.File("phase.flt");
    options.StartX = options.StartY = size / 2;
    NewUnwrapModel model;
    for (auto _ : state) {
        model.MaskNoise(options);
        model.Unwrap(options);
    }
}
BENCHMARK(BM_NewUnwrapCommandFromFile)->Arg(1024)->Unit(benchmark::kMillisecond);

/// The simple tool's Unwrap: a copy of the input unwrapped by scan lines.
void BM_ScanLineUnwrap(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const WrappedPhaseMap& truth = Generated(size, 0);
    TFloatImage input(nullptr, size, size);
    std::copy(truth.Wrapped.begin(), truth.Wrapped.end(), input.Data);
    for (auto _ : state)
        benchmark::DoNotOptimize(ScanLineUnwrap(input, size / 2, size / 2, 0.5f));
}
BENCHMARK(BM_ScanLineUnwrap)->Arg(1024)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
