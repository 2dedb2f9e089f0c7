// Float map hot paths: FLT read and write, grey conversion, wrapped phase, median filter.
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "image/TPhaseImage.h"
#include "support/TestSupport.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>

using corvane::TFloatImage;
using corvane::TGrayImage;
using corvane::TPhaseImage;

namespace {

std::unique_ptr<TFloatImage> NoiseMap(int size, unsigned seed) {
    auto map = std::make_unique<TFloatImage>(nullptr, size, size);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> value(-10.0f, 10.0f);
    for (std::size_t i = 0; i < map->PixelCount(); ++i)
        map->Data[i] = value(rng);
    return map;
}

void BM_SaveFlt4096(benchmark::State& state) {
    corvane::test::TempDir dir;
    auto map = NoiseMap(4096, 1);
    for (auto _ : state)
        map->SaveFlt(dir.File("map.flt"));
}
BENCHMARK(BM_SaveFlt4096)->Unit(benchmark::kMillisecond);

void BM_LoadFlt4096(benchmark::State& state) {
    corvane::test::TempDir dir;
    NoiseMap(4096, 2)->SaveFlt(dir.File("map.flt"));
    TFloatImage map(nullptr, 1, 1);
    for (auto _ : state)
        map.LoadFlt(dir.File("map.flt"));
}
BENCHMARK(BM_LoadFlt4096)->Unit(benchmark::kMillisecond);

void BM_ToGrayImage2048(benchmark::State& state) {
    auto map = NoiseMap(2048, 3);
    std::unique_ptr<TGrayImage> gray;
    for (auto _ : state) {
        map->ToGrayImage(gray);
        benchmark::DoNotOptimize(gray->Data);
    }
}
BENCHMARK(BM_ToGrayImage2048)->Unit(benchmark::kMillisecond);

void BM_ComputePhase2048(benchmark::State& state) {
    auto re = NoiseMap(2048, 4);
    auto im = NoiseMap(2048, 5);
    TPhaseImage phase(re.get(), im.get());
    for (auto _ : state)
        phase.ComputePhase();
}
BENCHMARK(BM_ComputePhase2048)->Unit(benchmark::kMillisecond);

void BM_MedianFilter2048(benchmark::State& state) {
    const int window = static_cast<int>(state.range(0));
    auto source = NoiseMap(2048, 6);
    TFloatImage map(nullptr, 2048, 2048);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(source->Data, source->Data + source->PixelCount(), map.Data);
        state.ResumeTiming();
        map.MedianFilter(window, window);
    }
}
BENCHMARK(BM_MedianFilter2048)->Arg(3)->Arg(5)->Arg(7)->Arg(11)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
