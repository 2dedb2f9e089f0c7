// Grey image files and filters: reading and writing a 4096 x 4096 picture as BMP (24-bit and
// 8-bit palette) and RAW, the median filter against the plain bubble-pass median, and the
// moving average.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "image/TGrayImage.h"
#include "support/BmpBuilder.h"
#include "support/BubbleMedian.h"
#include "support/TestSupport.h"

namespace {

using corvane::TGrayImage;

std::vector<std::uint8_t> Speckle(int width, int height) {
    std::vector<std::uint8_t> v(static_cast<std::size_t>(width) * height);
    std::mt19937 rng(3);
    for (auto& p : v)
        p = static_cast<std::uint8_t>(rng());
    return v;
}

void BM_SaveBmp(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto pixels = Speckle(n, n);
    TGrayImage image(pixels.data(), n, n);
    corvane::test::TempDir dir;
    for (auto _ : state)
        image.SaveBmp(dir.File("a.bmp"));
    state.SetBytesProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_SaveBmp)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_LoadBmp24(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto pixels = Speckle(n, n);
    corvane::test::TempDir dir;
    TGrayImage(pixels.data(), n, n).SaveBmp(dir.File("a.bmp"));
    for (auto _ : state) {
        TGrayImage image(dir.File("a.bmp"));
        benchmark::DoNotOptimize(image.Data);
    }
    state.SetBytesProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_LoadBmp24)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_LoadBmp8Palette(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    corvane::test::BmpLayout layout{.Width = n, .Height = n, .Bits = 8};
    for (std::uint32_t i = 0; i < 256; ++i)
        layout.Palette.push_back(i * 0x010101u);
    layout.Pixels.assign(static_cast<std::size_t>(n) * n, 0);
    std::mt19937 rng(4);
    for (auto& p : layout.Pixels)
        p = rng() & 0xFF;
    corvane::test::TempDir dir;
    corvane::test::WriteFileBytes(dir.File("p.bmp"), corvane::test::BuildBmp(layout));
    for (auto _ : state) {
        TGrayImage image(dir.File("p.bmp"));
        benchmark::DoNotOptimize(image.Data);
    }
    state.SetBytesProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_LoadBmp8Palette)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_SaveRaw(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto pixels = Speckle(n, n);
    TGrayImage image(pixels.data(), n, n);
    corvane::test::TempDir dir;
    for (auto _ : state)
        image.SaveRaw(dir.File("a.raw"));
    state.SetBytesProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_SaveRaw)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_LoadRaw(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    auto pixels = Speckle(n, n);
    corvane::test::TempDir dir;
    TGrayImage(pixels.data(), n, n).SaveRaw(dir.File("a.raw"));
    for (auto _ : state) {
        TGrayImage image(TGrayImage::RawDescription{dir.File("a.raw"), 0, n, n});
        benchmark::DoNotOptimize(image.Data);
    }
    state.SetBytesProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_LoadRaw)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_MedianFilter(benchmark::State& state) {
    const int n = 512, w = static_cast<int>(state.range(0));
    auto pixels = Speckle(n, n);
    TGrayImage image(pixels.data(), n, n);
    for (auto _ : state)
        image.MedianFilter(w, w);
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_MedianFilter)->Arg(3)->Arg(5)->Arg(9)->Arg(15)->Arg(31)->Unit(benchmark::kMillisecond);

void BM_BubbleMedianReference(benchmark::State& state) {
    const int n = 512, w = static_cast<int>(state.range(0));
    auto pixels = Speckle(n, n);
    for (auto _ : state)
        corvane::test::BubbleMedian(pixels, n, 0, 0, n - 1, n - 1, w, w);
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_BubbleMedianReference)->Arg(3)->Arg(5)->Arg(9)->Unit(benchmark::kMillisecond);

void BM_AverageFilter(benchmark::State& state) {
    const int n = 4096;
    auto pixels = Speckle(n, n);
    TGrayImage image(pixels.data(), n, n);
    for (auto _ : state)
        image.AverageFilter(static_cast<int>(state.range(0)), state.range(1) != 0);
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_AverageFilter)->Args({7, 0})->Args({7, 1})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
