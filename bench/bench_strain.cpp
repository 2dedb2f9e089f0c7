// Strain hot paths: the masked finite differences of a displacement field along x and along y,
// and the least-squares plane of the fitting window (both derivatives at once).
#include "correlation/StrainFit.h"
#include "support/FloatMaps.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

/// A size x size field with 5 % of its points marked not computed, and its validity mask.
struct MarkedField {
    std::unique_ptr<corvane::TFloatImage> Field;
    std::unique_ptr<corvane::TGrayImage> Mask;

    explicit MarkedField(int size) {
        std::mt19937 rng(3);
        std::bernoulli_distribution marked(0.05);
        Field = corvane::test::MakeFloatMap(
            size, size, [&](int x, int y) { return marked(rng) ? 1000.0 : 0.01 * x - 0.002 * y; });
        corvane::StrainMaskOptions options;
        options.UseInvalidValue = true;
        Mask = corvane::MakeStrainMask(*Field, options);
    }
};

void BM_StrainDerivative(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const auto direction =
        state.range(1) == 0 ? corvane::StrainDirection::AlongX : corvane::StrainDirection::AlongY;
    const MarkedField marked(size);
    const auto& field = marked.Field;
    const auto& mask = marked.Mask;
    for (auto _ : state)
        benchmark::DoNotOptimize(corvane::ComputeDerivative(*field, *mask, direction));
    state.SetItemsProcessed(state.iterations() * size * size);
}
BENCHMARK(BM_StrainDerivative)->ArgsProduct({{1024, 4096}, {0, 1}})->Unit(benchmark::kMillisecond);

// One core, 5 % of the points not computed; the work per point does not depend on the window.
void BM_StrainFitWindow(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const int window = static_cast<int>(state.range(1));
    const MarkedField marked(size);
    const auto& field = marked.Field;
    const auto& mask = marked.Mask;
    for (auto _ : state)
        benchmark::DoNotOptimize(corvane::FitDerivatives(*field, *mask, window));
    state.SetItemsProcessed(state.iterations() * size * size);
}
BENCHMARK(BM_StrainFitWindow)->ArgsProduct({{2048}, {3, 15, 31}})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
