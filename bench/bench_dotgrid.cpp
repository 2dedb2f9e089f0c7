// Dot-grid segmentation and dot extraction on a 2048 x 2048 picture of 100 x 100 = 10 000 bright
// dots under uneven light: the adaptive threshold (window 150, the tool's default), the full
// extraction of an automatic encode (border clearing, noise removal at two thirds of the mean
// area, dot table), and both together.
#include <benchmark/benchmark.h>

#include <vector>

#include "dotgrid/DotExtraction.h"
#include "dotgrid/TThresholdSegment.h"
#include "image/TGrayImage.h"
#include "support/DotPictures.h"

namespace {

using namespace corvane;

const test::DotLattice& Lattice() {
    static const test::DotLattice lattice = test::MakeDotLattice({.Width = 2048,
                                                                  .Height = 2048,
                                                                  .OriginX = 25.3,
                                                                  .OriginY = 24.6,
                                                                  .PitchX = 20.0,
                                                                  .PitchY = 20.0,
                                                                  .Columns = 100,
                                                                  .Rows = 100,
                                                                  .Radius = 5.0,
                                                                  .DotLevel = 220,
                                                                  .BackgroundLevel = 60,
                                                                  .Jitter = 0.4,
                                                                  .LightingFall = 0.5,
                                                                  .Seed = 7});
    return lattice;
}

const TAdaptiveSegmentOptions kSegment{.WindowSize = 150, .Adjust = 10, .WhiteDots = true};

void BM_AdaptiveSegment(benchmark::State& state) {
    const auto& lattice = Lattice();
    std::vector<std::uint8_t> pixels;
    for (auto _ : state) {
        pixels = lattice.Pixels;
        TGrayImage image(pixels.data(), lattice.Width, lattice.Height);
        SegmentAdaptive(image, kSegment);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_AdaptiveSegment)->Unit(benchmark::kMillisecond);

void BM_DotExtraction(benchmark::State& state) {
    const auto& lattice = Lattice();
    std::vector<std::uint8_t> pixels = lattice.Pixels;
    TGrayImage segmented(pixels.data(), lattice.Width, lattice.Height);
    SegmentAdaptive(segmented, kSegment);
    std::size_t dots = 0;
    for (auto _ : state) {
        dots = ExtractDots(segmented, {}).size();
        benchmark::DoNotOptimize(dots);
    }
    state.counters["dots"] = static_cast<double>(dots);
}
BENCHMARK(BM_DotExtraction)->Unit(benchmark::kMillisecond);

void BM_SegmentAndExtract(benchmark::State& state) {
    const auto& lattice = Lattice();
    std::vector<std::uint8_t> pixels;
    std::size_t dots = 0;
    for (auto _ : state) {
        pixels = lattice.Pixels;
        TGrayImage image(pixels.data(), lattice.Width, lattice.Height);
        SegmentAdaptive(image, kSegment);
        dots = ExtractDots(image, {}).size();
        benchmark::DoNotOptimize(dots);
    }
    state.counters["dots"] = static_cast<double>(dots);
}
BENCHMARK(BM_SegmentAndExtract)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
