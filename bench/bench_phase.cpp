// Phase tool hot paths over 2048 x 2048 pictures: phase from phase-shifted steps, pseudo-colour
// rendering, grid generation and phase to fringe.
#include "phase/GridGenerator.h"
#include "phase/PhaseShift.h"
#include "phase/PhaseToFringe.h"
#include "phase/PseudoColor.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

using namespace corvane;

namespace {

constexpr int kSize = 2048;

/// A tilted phase over several fringes, as unwrapped maps look.
double Ramp(int x, int y) {
    return 0.031 * x - 0.017 * y + 0.00001 * x * y;
}

void PhaseFromSteps(benchmark::State& state, PhaseShiftMethod method) {
    const int count = PhaseShiftStepCount(method);
    const double shift =
        method == PhaseShiftMethod::Const3Step ? 2 * std::numbers::pi / 3 : std::numbers::pi / 2;
    std::vector<std::unique_ptr<TGrayImage>> steps;
    std::vector<const TGrayImage*> pointers;
    for (int k = 0; k < count; ++k) {
        steps.push_back(test::MakeGreyPicture(kSize, kSize, [&](int x, int y) {
            return std::lround(127.5 + 100 * std::cos(Ramp(x, y) + k * shift));
        }));
        pointers.push_back(steps.back().get());
    }
    for (auto _ : state) {
        PhaseShiftResult result = ComputePhaseShift(method, pointers);
        benchmark::DoNotOptimize(result.Phase->Phase->Data);
    }
}

void BM_PhaseConst4Step2048(benchmark::State& state) {
    PhaseFromSteps(state, PhaseShiftMethod::Const4Step);
}
BENCHMARK(BM_PhaseConst4Step2048)->Unit(benchmark::kMillisecond);
void BM_PhaseEqual4Step2048(benchmark::State& state) {
    PhaseFromSteps(state, PhaseShiftMethod::Equal4Step);
}
BENCHMARK(BM_PhaseEqual4Step2048)->Unit(benchmark::kMillisecond);
void BM_PhaseConst3Step2048(benchmark::State& state) {
    PhaseFromSteps(state, PhaseShiftMethod::Const3Step);
}
BENCHMARK(BM_PhaseConst3Step2048)->Unit(benchmark::kMillisecond);

/// The arithmetic alone: terms and wrapped phase into maps made once, so the first-touch cost of
/// fresh memory (large on virtual machines) is left out.
void BM_PhaseConst4StepIntoMaps2048(benchmark::State& state) {
    std::vector<std::unique_ptr<TGrayImage>> steps;
    std::vector<const TGrayImage*> pointers;
    for (int k = 0; k < 4; ++k) {
        steps.push_back(test::MakeGreyPicture(kSize, kSize, [&](int x, int y) {
            return std::lround(127.5 + 100 * std::cos(Ramp(x, y) + k * std::numbers::pi / 2));
        }));
        pointers.push_back(steps.back().get());
    }
    TFloatImage n(nullptr, kSize, kSize), d(nullptr, kSize, kSize);
    TPhaseImage phase(&d, &n);
    for (auto _ : state) {
        ComputePhaseShiftTerms(PhaseShiftMethod::Const4Step, pointers, n, d);
        phase.ComputePhase();
        benchmark::DoNotOptimize(phase.Phase->Data);
    }
}
BENCHMARK(BM_PhaseConst4StepIntoMaps2048)->Unit(benchmark::kMillisecond);

void BM_PseudoColor2048(benchmark::State& state) {
    // About +-30 fringes over the map, so every order and the out-of-range colour are met.
    const auto map = test::MakeFloatMap(kSize, kSize, [](int x, int y) { return 3.0 * Ramp(x, y); });
    const auto mask = test::MakeGreyPicture(kSize, kSize, [](int x, int y) { return (x + y) % 7 ? 0 : 255; });
    for (auto _ : state) {
        RgbPicture picture = RenderPseudoColor(*map, mask.get());
        benchmark::DoNotOptimize(picture.Pixels.data());
    }
}
BENCHMARK(BM_PseudoColor2048)->Unit(benchmark::kMillisecond);

void Grid(benchmark::State& state, GridOptions options) {
    options.Width = kSize;
    options.Height = kSize;
    for (auto _ : state) {
        auto grid = GenerateGrid(options);
        benchmark::DoNotOptimize(grid->Data);
    }
}

void BM_GridX2048(benchmark::State& state) {
    Grid(state, {});
}
BENCHMARK(BM_GridX2048)->Unit(benchmark::kMillisecond);
void BM_GridXLean2048(benchmark::State& state) {
    Grid(state, {.LeanY = 3.0f});
}
BENCHMARK(BM_GridXLean2048)->Unit(benchmark::kMillisecond);
void BM_GridY2048(benchmark::State& state) {
    Grid(state, {.LeanX = 2.0f, .Direction = GridDirection::Y});
}
BENCHMARK(BM_GridY2048)->Unit(benchmark::kMillisecond);
void BM_GridXAndY2048(benchmark::State& state) {
    Grid(state, {.Direction = GridDirection::XAndY});
}
BENCHMARK(BM_GridXAndY2048)->Unit(benchmark::kMillisecond);
void BM_GridCylinder2048(benchmark::State& state) {
    Grid(state, {.Deformation = GridDeformation::Cylinder});
}
BENCHMARK(BM_GridCylinder2048)->Unit(benchmark::kMillisecond);

void BM_PhaseToFringe2048(benchmark::State& state) {
    const auto map = test::MakeFloatMap(kSize, kSize, [](int x, int y) { return 3.0 * Ramp(x, y); });
    for (auto _ : state) {
        auto fringe = PhaseToFringe(*map);
        benchmark::DoNotOptimize(fringe->Data);
    }
}
BENCHMARK(BM_PhaseToFringe2048)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
