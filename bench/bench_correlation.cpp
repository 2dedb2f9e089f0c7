// Correlation engine on synthetic speckle pairs: a whole normal run (pictures loaded from BMP,
// seeds, quarter-pixel picture, region propagation, median post filter, tables, maps) with the
// default parameters over nearly the whole picture, on one and on two lanes of the shared pool, a
// fast run, the point search alone and the correlation map. Reports points per second of wall time and the
// peak resident memory of the process. BM_LargePair (5000 x 4000, one seed) takes minutes, so it is
// registered only when asked for; run it alone, in a fresh process, for its peak memory:
//     CORVANE_BENCH_LARGE=1 bench_correlation --benchmark_filter=LargePair
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "correlation/CorRelationSearch.h"
#include "correlation/OutputGrid.h"
#include "correlation/PointCorrelation.h"
#include "correlation/QuarterPixelImage.h"
#include "correlation/TCorRelation.h"
#include "support/DeformedSpeckle.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

namespace {

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// One speckle pair per size, moved by (2.4, -1.3) pixels, kept on disk for the whole program.
struct Pictures {
    corvane::test::TempDir dir;
    corvane::test::SpecklePair pair;
    explicit Pictures(int n) {
        corvane::test::SpeckleOptions o;
        o.Width = o.Height = n;
        o.ShiftX = 2.4;
        o.ShiftY = -1.3;
        pair = corvane::test::MakeSpecklePair(o);
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
    return para;
}

void BM_NormalRun(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    const int lanes = static_cast<int>(state.range(1));
    Pictures& pictures = PicturesOf(n);
    corvane::TCorRelationPara para = DefaultPara(pictures, n);
    para.GridX = para.GridY = static_cast<std::int32_t>(state.range(2));
    para.OutputBin = 1, para.BinXFile = pictures.dir.File("dx.flt"),
    para.BinYFile = pictures.dir.File("dy.flt");
    std::int64_t points = 0, found = 0;
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
        corvane::TCorRelation engine(para, corvane::TCorRelation::Mode::Normal,
                                     {.Threads = lanes, .Progress = {}, .Stop = {}});
        engine.Run(true);
        points += engine.Result().AllPoints;
        found += engine.Result().SuccessfulPoints;
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
    state.counters["found"] = static_cast<double>(found) / static_cast<double>(points);
    state.counters["peak_MB"] = PeakMegabytes();
    // Per second of processor time of every thread of the process: on one lane the single-core rate,
    // which a busy machine disturbs far less than the wall-time rate.
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    if (cpuSeconds > 0) state.counters["points/cpu_s"] = static_cast<double>(points) / cpuSeconds;
}
// points/s is per second of wall time; the arguments are (picture side, lanes, output grid), the
// float maps on. Grid 1 is the heaviest run a user waits for: every point searched, and a record of
// every point in both tables. On a machine where other work runs the two-lane rate says little:
// compare it on a quiet one.
BENCHMARK(BM_NormalRun)
    ->ArgNames({"side", "lanes", "grid"})
    ->Args({512, 1, 5})
    ->Args({2048, 1, 5})
    ->Args({2048, 2, 5})
    ->Args({2048, 1, 1})
    ->Args({2048, 2, 1})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// A 25-megapixel-class pair (5000 x 4000, one seed, search field the picture less 20 pixels): its
// peak memory is the pictures plus about 40 bytes per pixel.
void BM_LargePair(benchmark::State& state) {
    corvane::test::TempDir dir;
    corvane::test::SpeckleOptions o;
    o.Width = 5000;
    o.Height = 4000;
    o.ShiftX = 2.4;
    o.ShiftY = -1.3;
    {
        const corvane::test::SpecklePair pair = corvane::test::MakeSpecklePair(o);
        corvane::test::SaveGreyBmp(dir.File("initial.bmp"), o.Width, o.Height, pair.Initial);
        corvane::test::SaveGreyBmp(dir.File("deformed.bmp"), o.Width, o.Height, pair.Deformed);
    }
    Pictures& small = PicturesOf(64);
    corvane::TCorRelationPara para = DefaultPara(small, 64);
    para.InitialFile = dir.File("initial.bmp");
    para.DeformedFile = dir.File("deformed.bmp");
    para.XYFile = dir.File("xy.dat"), para.ThetaRFile = dir.File("thetar.dat"),
    para.InfoFile = dir.File("info.inf");
    para.Right = o.Width - 21, para.Bottom = o.Height - 21;
    para.SeedNumX = para.SeedNumY = 1;
    std::int64_t points = 0;
    for (auto _ : state) {
        corvane::TCorRelation engine(para, corvane::TCorRelation::Mode::Normal);
        engine.Run(true);
        points += engine.Result().AllPoints;
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = PeakMegabytes();
}

// The output grid only against every point, refined, on one lane: a 2048 x 2048 noise-free pair
// stretched by 0.5 % along x about the centre and moved by (1.3, -0.6), the whole process (pictures
// loaded, the run, the tables and report written), no post filter. Arguments: grid step, and 1 to
// compute only the grid (0: every point, the grid thinned by the tables). grid_points/s counts the
// grid points either run delivers; rms_u and rms_v are the errors at the grid points, in pixels.
void BM_GridOnlyRun(benchmark::State& state) {
    constexpr int n = 2048;
    static corvane::test::TempDir dir;
    static const bool made = [] {
        const corvane::test::SpecklePair pair =
            corvane::test::MakeDeformedSpecklePair({.Width = n, .Height = n}, [](double x, double) {
                return std::array{1.3 + 0.005 * (x - n / 2.0), -0.6};
            });
        corvane::test::SaveGreyBmp(dir.File("initial.bmp"), n, n, pair.Initial);
        corvane::test::SaveGreyBmp(dir.File("deformed.bmp"), n, n, pair.Deformed);
        return true;
    }();
    (void)made;
    corvane::TCorRelationPara para = DefaultPara(PicturesOf(64), n);
    para.InitialFile = dir.File("initial.bmp");
    para.DeformedFile = dir.File("deformed.bmp");
    para.XYFile = dir.File("xy.dat"), para.ThetaRFile = dir.File("thetar.dat"),
    para.InfoFile = dir.File("info.inf");
    para.GridX = para.GridY = static_cast<std::int32_t>(state.range(0));
    para.GridOnly = static_cast<std::int32_t>(state.range(1));
    para.SubpixelRefinement = 1;
    para.FilterType = 0;
    const corvane::OutputGrid grid = corvane::OutputGridOf(para);
    std::int64_t points = 0;
    double su = 0.0, sv = 0.0;
    std::int64_t measured = 0;
    const std::clock_t cpuStart = std::clock();
    for (auto _ : state) {
        corvane::TCorRelation engine(para, corvane::TCorRelation::Mode::Normal,
                                     {.Threads = 1, .Progress = {}, .Stop = {}});
        engine.Run(true);
        points += grid.Points();
        const corvane::TCorRelationResult& r = engine.Result();
        su = sv = 0.0, measured = 0;
        for (std::int32_t j = 0; j < grid.Rows; ++j)
            for (std::int32_t i = 0; i < grid.Columns; ++i) {
                const std::size_t k = static_cast<std::size_t>(grid.Y(j)) * n + grid.X(i);
                if (r.dx[k] == corvane::kNotComputed) continue;
                const double eu = r.dx[k] - (1.3 + 0.005 * (grid.X(i) - n / 2.0)), ev = r.dy[k] + 0.6;
                su += eu * eu, sv += ev * ev, ++measured;
            }
    }
    // The whole process on one core; per second of processor time, which other work on the machine
    // disturbs far less than the wall-time rate.
    const double cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    state.counters["grid_points/s"] =
        benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
    if (cpuSeconds > 0) state.counters["grid_points/cpu_s"] = static_cast<double>(points) / cpuSeconds;
    state.counters["rms_u"] = measured ? std::sqrt(su / static_cast<double>(measured)) : 0.0;
    state.counters["rms_v"] = measured ? std::sqrt(sv / static_cast<double>(measured)) : 0.0;
    state.counters["measured"] = static_cast<double>(measured);
}
BENCHMARK(BM_GridOnlyRun)
    ->ArgNames({"step", "grid_only"})
    ->Args({4, 1})
    ->Args({10, 1})
    ->Args({4, 0})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

void BM_FastRun(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Pictures& pictures = PicturesOf(n);
    corvane::TCorRelationPara para = DefaultPara(pictures, n);
    para.SeedNumX = para.SeedNumY = 10;
    std::int64_t seeds = 0;
    for (auto _ : state) {
        corvane::TCorRelation engine(para, corvane::TCorRelation::Mode::Fast);
        engine.RunFast(true);
        seeds += static_cast<std::int64_t>(engine.Result().Seeds.size());
    }
    state.counters["seeds/s"] = benchmark::Counter(static_cast<double>(seeds), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FastRun)->Arg(512)->Iterations(3)->Unit(benchmark::kMillisecond);

// The three-level search at every point of a 512 x 512 pair with the true whole-pixel prediction.
void BM_PointSearch(benchmark::State& state) {
    const int n = 512;
    Pictures& pictures = PicturesOf(n);
    corvane::QuarterPixelImage u;
    u.Build(pictures.pair.Deformed.data(), n, n);
    const int win = static_cast<int>(state.range(0));
    const corvane::WholeFieldSearch search(pictures.pair.Initial.data(), n, n, u, win, win);
    corvane::WholeFieldSearch::Scratch scratch = search.MakeScratch();
    std::int64_t points = 0;
    for (auto _ : state) {
        float sum = 0.0f;
        for (int y = 20; y < n - 20; ++y)
            for (int x = 20; x < n - 20; ++x) {
                float dx = 0, dy = 0;
                if (search.Search(scratch, x, y, x + 2, y - 1, dx, dy) == corvane::SearchOutcome::Found)
                    sum += dx;
            }
        benchmark::DoNotOptimize(sum);
        points += static_cast<std::int64_t>(n - 40) * (n - 40);
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(points), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PointSearch)->Arg(13)->Arg(21)->Unit(benchmark::kMillisecond);

// The correlation map: each point's zero-normalised correlation at the search result (2.375,
// -1.25 everywhere) over a 512 x 512 pair, beside the search above at the same window sizes.
void BM_CorrelationMap(benchmark::State& state) {
    const int n = 512;
    Pictures& pictures = PicturesOf(n);
    const int win = static_cast<int>(state.range(0));
    const corvane::CorrelationPictures both{pictures.pair.Initial.data(),  n, n,
                                            pictures.pair.Deformed.data(), n, n};
    const std::size_t size = static_cast<std::size_t>(n) * n;
    std::vector<float> dx(size, 2.375f), dy(size, -1.25f), zncc(size);
    for (auto _ : state) {
        corvane::FillCorrelationRows(both, win, win, dx.data(), dy.data(), zncc.data(), 20, n - 20);
        benchmark::DoNotOptimize(zncc.data());
    }
    state.counters["points/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * (n - 40) * n,
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CorrelationMap)->Arg(13)->Arg(21)->Unit(benchmark::kMillisecond);

void BM_QuarterPixelPicture(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Pictures& pictures = PicturesOf(n);
    corvane::QuarterPixelImage u;
    for (auto _ : state) {
        u.Build(pictures.pair.Deformed.data(), n, n);
        benchmark::DoNotOptimize(u.Plane(3, 3));
    }
}
BENCHMARK(BM_QuarterPixelPicture)->Arg(512)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (const char* large = std::getenv("CORVANE_BENCH_LARGE"); large && std::string(large) == "1")
        benchmark::RegisterBenchmark("BM_LargePair", BM_LargePair)
            ->Iterations(1)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
