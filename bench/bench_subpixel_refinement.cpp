// Sub-pixel refinement (inverse-compositional Gauss-Newton): a whole normal run with the refinement
// on, with the default parameters over nearly the whole picture, at 512 x 512 and 2048 x 2048
// (points per second of processor time: the run uses one core; peak resident memory), the
// refinement pass alone, and the accuracy on exactly rendered 512 x 512 pairs (RMS error in
// pixels, shown as counters).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <map>
#include <memory>
#include <numbers>

#include "correlation/SubpixelRefinement.h"
#include "correlation/TCorRelation.h"
#include "support/DeformedSpeckle.h"
#include "support/TestSupport.h"

namespace {

using corvane::test::DisplacementFunction;

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// A pair stretched by 0.5 % along x about the centre and moved by (1.3, -0.6), kept on disk.
struct Pictures {
    corvane::test::TempDir dir;
    corvane::test::SpecklePair pair;
    explicit Pictures(int n) {
        const double c = n / 2.0;
        pair = corvane::test::MakeDeformedSpecklePair({.Width = n, .Height = n}, [c](double x, double) {
            return std::array{1.3 + 0.005 * (x - c), -0.6};
        });
        corvane::test::SaveGreyBmp(dir.File("initial.bmp"), n, n, pair.Initial);
        corvane::test::SaveGreyBmp(dir.File("deformed.bmp"), n, n, pair.Deformed);
    }
};

Pictures& PicturesOf(int n) {
    static std::map<int, std::unique_ptr<Pictures>> made;
    auto& p = made[n];
    if (!p) p = std::make_unique<Pictures>(n);
    return *p;
}

// The defaults of a new configuration file, over the picture less a 20-pixel frame.
corvane::TCorRelationPara DefaultPara(const Pictures& p, int n) {
    corvane::TCorRelationPara para;
    para.InitialFile = p.dir.File("initial.bmp");
    para.DeformedFile = p.dir.File("deformed.bmp");
    para.XYFile = p.dir.File("xy.dat");
    para.ThetaRFile = p.dir.File("thetar.dat");
    para.InfoFile = p.dir.File("info.inf");
    para.MaskFile = p.dir.File("mask.bmp");
    para.GrayXFile = para.GrayYFile = para.BinXFile = para.BinYFile = p.dir.File("none");
    para.WinMoveX = para.WinMoveY = 33;
    para.LargeWinX = para.LargeWinY = 15;
    para.SearchWinX = para.SearchWinY = 13;
    para.SeedNumX = para.SeedNumY = 2;
    para.SeedPrecision = 0.1f;
    para.Left = para.Up = 20;
    para.Right = para.Bottom = n - 21;
    para.Amplitude = 20.0f;
    para.GridX = para.GridY = 5;
    para.ScaleX = para.ScaleY = 1.0f;
    para.FilterType = 2;
    para.FilterSizeX = para.FilterSizeY = 3;
    para.AverageThreshold = 0.5f;
    para.ChangeYaxis = 1;
    para.SubpixelRefinement = 1;
    return para;
}

void BM_RefinedRun(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Pictures& pictures = PicturesOf(n);
    const corvane::TCorRelationPara para = DefaultPara(pictures, n);
    std::int64_t points = 0, refined = 0;
    for (auto _ : state) {
        corvane::TCorRelation engine(para, corvane::TCorRelation::Mode::Normal);
        engine.Run(true);
        points += engine.Result().AllPoints;
        refined += engine.Result().Refinement.Refined;
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
    state.counters["refined"] = static_cast<double>(refined) / static_cast<double>(points);
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_RefinedRun)->Arg(512)->Arg(2048)->Iterations(1)->Unit(benchmark::kMillisecond);

// The pass alone over every point of the 512 x 512 pair, from the search's 1/8-pixel lattice.
void BM_RefinementPass(benchmark::State& state) {
    const int n = 512;
    Pictures& pictures = PicturesOf(n);
    const int win = static_cast<int>(state.range(0));
    const corvane::SubpixelRefinement refinement(pictures.pair.Initial.data(), n, n,
                                                 pictures.pair.Deformed.data(), n, n, win, win);
    std::vector<float> dx(static_cast<std::size_t>(n) * n), dy(dx.size());
    corvane::SubpixelScratch scratch;
    std::int64_t points = 0;
    for (auto _ : state) {
        state.PauseTiming();
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                dx[static_cast<std::size_t>(y) * n + x] =
                    static_cast<float>(std::round((1.3 + 0.005 * (x - n / 2.0)) * 8) / 8);
                dy[static_cast<std::size_t>(y) * n + x] = -0.625f;
            }
        state.ResumeTiming();
        corvane::SubpixelField field{dx.data(), dy.data(), nullptr, nullptr, nullptr,
                                     nullptr,   20,        20,      n - 21,  n - 21};
        const corvane::SubpixelCounts c = refinement.Refine(field, 0, field.PointCount(), scratch);
        points += field.PointCount();
        benchmark::DoNotOptimize(c);
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RefinementPass)->Arg(13)->Arg(21)->Unit(benchmark::kMillisecond);

// RMS error (pixels) of the refinement on an exactly rendered 512 x 512 pair, starting from the
// true displacement on the 1/8-pixel lattice, over the picture less a 20-pixel frame.
void Accuracy(benchmark::State& state, const DisplacementFunction& u, double noise, double dudx) {
    const int n = 512;
    const corvane::test::SpecklePair pair =
        corvane::test::MakeDeformedSpecklePair({.Width = n, .Height = n, .NoiseSigma = noise, .Seed = 3}, u);
    const corvane::SubpixelRefinement refinement(pair.Initial.data(), n, n, pair.Deformed.data(), n, n, 13,
                                                 13);
    std::vector<float> dx(static_cast<std::size_t>(n) * n), dy(dx.size()), g(dx.size(), 0.0f);
    double su = 0, sv = 0, sg = 0;
    corvane::SubpixelCounts c;
    for (auto _ : state) {
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const auto d = u(x, y);
                dx[static_cast<std::size_t>(y) * n + x] = static_cast<float>(std::round(d[0] * 8) / 8);
                dy[static_cast<std::size_t>(y) * n + x] = static_cast<float>(std::round(d[1] * 8) / 8);
            }
        corvane::SubpixelField field{dx.data(), dy.data(), g.data(), nullptr, nullptr,
                                     nullptr,   20,        20,       n - 21,  n - 21};
        corvane::SubpixelScratch scratch;
        c = refinement.Refine(field, 0, field.PointCount(), scratch);
        su = sv = sg = 0;
        for (int y = 20; y <= n - 21; ++y)
            for (int x = 20; x <= n - 21; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * n + x;
                const auto d = u(x, y);
                su += (dx[i] - d[0]) * (dx[i] - d[0]);
                sv += (dy[i] - d[1]) * (dy[i] - d[1]);
                sg += (g[i] - dudx) * (g[i] - dudx);
            }
        const double m = static_cast<double>(field.PointCount());
        su /= m, sv /= m, sg /= m;
    }
    state.counters["rms_u"] = std::sqrt(su);
    state.counters["rms_v"] = std::sqrt(sv);
    state.counters["rms_dudx"] = std::sqrt(sg);
    state.counters["not_refined"] = static_cast<double>(c.Diverged + c.LeftPicture + c.PoorCorrelation);
}

void BM_AccuracyShift(benchmark::State& s) {
    Accuracy(
        s,
        [](double, double) {
            return std::array{0.37, -0.61};
        },
        0.0, 0.0);
}
void BM_AccuracyStretch(benchmark::State& s) {
    Accuracy(
        s,
        [](double x, double) {
            return std::array{0.01 * (x - 256.0), 0.0};
        },
        0.0, 0.01);
}
void BM_AccuracyRotation(benchmark::State& s) {
    const double a = 0.5 * std::numbers::pi / 180.0, c = std::cos(a) - 1.0, sn = std::sin(a);
    Accuracy(
        s,
        [=](double x, double y) {
            return std::array{c * (x - 256.0) - sn * (y - 256.0), sn * (x - 256.0) + c * (y - 256.0)};
        },
        0.0, c);
}
void BM_AccuracyNoise(benchmark::State& s) {
    Accuracy(
        s,
        [](double, double) {
            return std::array{-0.81, 0.29};
        },
        2.0, 0.0);
}
BENCHMARK(BM_AccuracyShift)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AccuracyStretch)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AccuracyRotation)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AccuracyNoise)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
