// Phase unwrapping hot paths: the region-growing tool's Mask Noise + Unwrap (region growing and
// row filling), its quality-guided method, the whole command from its file with either method, and
// the simple tool's scan-line unwrap. The region-growing and quality-guided runs also report how
// well a noisy map unwraps, as counters:
//   within_0.5_noisy  fraction of pixels within 0.5 rad of the noisy phase (truth + noise) after
//                     one global 2 pi k: pixels unwrapped to the right fringe;
//   within_0.5_clean  the same against the noise-free truth (bounded by the noise itself:
//                     P(|N(0, 0.7)| <= 0.5) = 0.525 for a perfect unwrap);
//   outside_disc_right for a clean map with a disc of random phase (no mask): the fraction of the
//                     pixels outside the disc that are right.
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "phase/InvalidRunFill.h"
#include "phase/NewUnwrapModel.h"
#include "phase/NoiseMask.h"
#include "phase/QualityGuidedUnwrap.h"
#include "phase/RegionGrowingUnwrap.h"
#include "phase/SimpleUnwrap.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>

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

/// Args: size, noise sigma in hundredths of a radian, disc of random phase (1) or not (0). The
/// disc's radius is a fifth of the size, centred at (0.3, 0.6) of the map, away from the start.
void BM_QualityGuidedUnwrap(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const WrappedPhaseMap& truth = Generated(size, static_cast<int>(state.range(1)));
    const bool disc = state.range(2) != 0;
    std::vector<float> wrapped = truth.Wrapped;
    std::vector<std::uint8_t> outside(wrapped.size(), 1);
    if (disc) {
        std::mt19937 rng(11);
        std::uniform_real_distribution<float> random(-3.14159f, 3.14159f);
        const double cx = 0.3 * size, cy = 0.6 * size, r = 0.2 * size;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) {
                    wrapped[static_cast<std::size_t>(y) * size + x] = random(rng);
                    outside[static_cast<std::size_t>(y) * size + x] = 0;
                }
    }
    TFloatImage map(nullptr, size, size);
    const TGrayImage valid(nullptr, size, size);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(wrapped.begin(), wrapped.end(), map.Data);
        state.ResumeTiming();
        QualityGuidedUnwrap(map, valid, size / 2, size / 2);
        benchmark::DoNotOptimize(map.Data);
    }
    Report(state, map, truth, valid);
    if (disc) {
        // The start pixel lies outside the disc and keeps its wrapped value: truth + 2 pi k exactly.
        const std::size_t start = static_cast<std::size_t>(size / 2) * size + size / 2;
        const float shift = map.Data[start] - truth.Truth[start];
        std::size_t right = 0, count = 0;
        for (std::size_t i = 0; i < wrapped.size(); ++i)
            if (outside[i]) {
                ++count;
                right += std::fabs(map.Data[i] - truth.Truth[i] - shift) <= 0.5f;
            }
        state.counters["outside_disc_right"] = static_cast<double>(right) / static_cast<double>(count);
    }
}
BENCHMARK(BM_QualityGuidedUnwrap)
    ->ArgNames({"size", "sigma_cents", "disc"})
    ->Args({1024, 0, 0})
    ->Args({2048, 0, 0})
    ->Args({1024, 70, 0})
    ->Args({2048, 70, 0})
    ->Args({1024, 0, 1})
    ->Unit(benchmark::kMillisecond);

/// The whole Unwrap command (after Mask Noise for region growing), each reading the map from its
/// FLT file. Arg: 0 region growing, 1 quality guided.
void BM_NewUnwrapCommandFromFile(benchmark::State& state) {
    const int size = 1024;
    const WrappedPhaseMap& truth = Generated(size, 0);
    test::TempDir dir;
    TFloatImage file(nullptr, size, size);
    std::copy(truth.Wrapped.begin(), truth.Wrapped.end(), file.Data);
    file.SaveFlt(dir.File("phase.flt"));
    NewUnwrapOptions options;
    options.PhaseFile = dir.File("phase.flt");
    options.StartX = options.StartY = size / 2;
    const bool quality = state.range(0) != 0;
    options.Method = quality ? UnwrapMethod::QualityGuided : UnwrapMethod::RegionGrowing;
    NewUnwrapModel model;
    for (auto _ : state) {
        if (!quality) model.MaskNoise(options);
        model.Unwrap(options);
    }
}
BENCHMARK(BM_NewUnwrapCommandFromFile)->ArgName("quality")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

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
