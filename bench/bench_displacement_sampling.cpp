// Displacement sampling hot path: a whole 1024 x 1024 field as a point list and as a matrix.
#include "correlation/DisplacementSampling.h"
#include "support/FloatMaps.h"

#include <benchmark/benchmark.h>

namespace {

void BM_SampleDisplacements(benchmark::State& state) {
    const int size = 1024;
    const auto u = corvane::test::MakeFloatMap(size, size, [](int x, int y) { return 0.01 * x + 0.001 * y; });
    const auto v =
        corvane::test::MakeFloatMap(size, size, [](int x, int y) { return -0.02 * y + 0.003 * x; });
    corvane::SampleOptions options;
    options.Type = static_cast<corvane::SampleResultType>(state.range(0));
    options.UseInvalidValue = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(corvane::SampleDisplacements(u.get(), v.get(), options));
    state.SetItemsProcessed(state.iterations() * size * size);
}
BENCHMARK(BM_SampleDisplacements)->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
