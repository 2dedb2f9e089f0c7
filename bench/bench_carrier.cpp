// The carrier-fringe wizard passed on a 1024 x 1024 picture: stage A (two forward transforms and
// spectra), Compute, stage C (window move, two inverse transforms, wrapped phases), stage D0
// (medians, two unwraps, plane fit) and the Step 4 conversions; then the two Step 5 saves.
#include <benchmark/benchmark.h>

#include <cmath>

#include "phase/TCarrierMoire.h"
#include "support/CarrierFringes.h"
#include "support/TestSupport.h"

namespace {

using namespace corvane;

constexpr int kSize = 1024;

struct Pictures {
    test::TempDir dir;
    Pictures() {
        const auto bump = [](int x, int y) {
            return 2.0 * std::exp(-((x - 600.0) * (x - 600.0) + (y - 500.0) * (y - 500.0)) / 20000.0);
        };
        test::SaveCarrierFringes(dir.File("moire.bmp"), kSize, kSize, 100.3 / kSize, 0.0, bump);
        test::SaveCarrierFringes(dir.File("ref.bmp"), kSize, kSize, 100.3 / kSize, 0.0,
                                 [](int, int) { return 0.0; });
    }
};

const Pictures& Files() {
    static const Pictures pictures;
    return pictures;
}

void PassSteps(TCarrierMoire& moire, const TCarrierSource& source) {
    moire.RequireFiles(source);
    moire.Build(source);
    moire.ComputeCarrier(*moire.DefaultSearch(source.Strip));
    const TStartPoints starts = *moire.RemoveCarrier(*moire.LargestWindow(source.Strip));
    TUnwrapOptions unwrap;
    unwrap.Start = starts.Image;
    unwrap.RefStart = starts.Reference;
    unwrap.Removal = TReferenceRemoval::Plane;
    moire.Unwrap(unwrap);
    moire.SetFringeOrder(starts.Image, 0);
    moire.ConvertPitch(6.28319f);
    const float base = *moire.Average({500, 500, 20, 20});
    moire.ConvertToAbsolute({0, 0}, base);
}

void BM_CarrierOneImageSteps(benchmark::State& state) {
    const TCarrierSource source{Files().dir.File("moire.bmp"), "", TStripDirection::Rows, 64};
    for (auto _ : state) {
        TCarrierMoire moire(TCarrierMethod::OneImage);
        PassSteps(moire, source);
        benchmark::DoNotOptimize(moire.Field()->Phase->Phase->Data);
    }
}
BENCHMARK(BM_CarrierOneImageSteps)->Unit(benchmark::kMillisecond);

void BM_CarrierTwoImagesSteps(benchmark::State& state) {
    const TCarrierSource source{Files().dir.File("moire.bmp"), Files().dir.File("ref.bmp"),
                                TStripDirection::Rows, 0};
    for (auto _ : state) {
        TCarrierMoire moire(TCarrierMethod::TwoImages);
        PassSteps(moire, source);
        benchmark::DoNotOptimize(moire.Field()->Phase->Phase->Data);
    }
}
BENCHMARK(BM_CarrierTwoImagesSteps)->Unit(benchmark::kMillisecond);

void BM_CarrierSaves(benchmark::State& state) {
    TCarrierMoire moire(TCarrierMethod::OneImage);
    PassSteps(moire, {Files().dir.File("moire.bmp"), "", TStripDirection::Rows, 64});
    const bool table = state.range(0) != 0;
    for (auto _ : state) {
        if (table)
            moire.SaveTable(Files().dir.File("result.dat"), {});
        else
            moire.SaveFlt(Files().dir.File("result.flt"), TMoireMap::Image, TValueScaleRule::Keep, 1.0, 1.0);
    }
    state.SetLabel(table ? "ASCII table" : "FLT");
}
BENCHMARK(BM_CarrierSaves)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
