// Histogram hot path: the four channels of a 32-bit window bitmap and the grey channel of a picture.
#include "image/GrayHistogram.h"
#include "support/GreyPictures.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

void BM_ColourHistograms(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size) * size * 4);
    std::mt19937 rng(9);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng());
    const corvane::RgbBitmapView view{
        bytes.data(), size, size, static_cast<std::size_t>(size) * 4, 4, 2, 1, 0};
    for (auto _ : state)
        benchmark::DoNotOptimize(corvane::ColourHistograms(view));
    state.SetItemsProcessed(state.iterations() * size * size);
}
BENCHMARK(BM_ColourHistograms)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_GrayHistogram(benchmark::State& state) {
    const int size = static_cast<int>(state.range(0));
    const auto picture =
        corvane::test::MakeGreyPicture(size, size, [](int x, int y) { return (x * 7 + y * 13) % 256; });
    for (auto _ : state)
        benchmark::DoNotOptimize(corvane::GrayHistogram(*picture));
    state.SetItemsProcessed(state.iterations() * size * size);
}
BENCHMARK(BM_GrayHistogram)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
