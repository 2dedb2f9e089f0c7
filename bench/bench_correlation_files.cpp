// Correlation result files and configuration files: writing the displacement tables and report of a
// whole field at output grid 1 (every point a record in both tables), the grey pictures and FLT
// maps, and reading a configuration file of many groups. Reports records or groups per second.
#include <benchmark/benchmark.h>

#include <string>

#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationResults.h"
#include "support/TestSupport.h"

namespace {

corvane::TCorRelationResult FieldResult(const corvane::test::TempDir& dir, int n) {
    corvane::TCorRelationResult r;
    corvane::TCorRelationPara& p = r.Para;
    p.XYFile = dir.File("xy.dat"), p.ThetaRFile = dir.File("thetar.dat"), p.InfoFile = dir.File("info.inf");
    p.MaskFile = dir.File("none"), p.GrayXFile = dir.File("gx.bmp"), p.GrayYFile = dir.File("gy.bmp");
    p.BinXFile = dir.File("dx.flt"), p.BinYFile = dir.File("dy.flt");
    p.Left = p.Up = 0, p.Right = p.Bottom = n - 1, p.GridX = p.GridY = 1;
    p.Amplitude = 20.0f, p.ScaleX = p.ScaleY = 1.0f;
    r.W0 = r.W1 = r.H0 = r.H1 = n;
    r.dx.resize(static_cast<std::size_t>(n) * n);
    r.dy.resize(r.dx.size());
    for (std::size_t i = 0; i < r.dx.size(); ++i) {
        r.dx[i] = 2.0f + 0.001f * static_cast<float>(i % 997);
        r.dy[i] = -1.0f + 0.002f * static_cast<float>(i % 991);
    }
    r.Seeds = {{n / 2, n / 2, n / 2, n / 2, 0, 0, n - 1, n - 1}};
    return r;
}

void BM_WriteResults(benchmark::State& state) {
    corvane::test::TempDir dir;
    const corvane::TCorRelationResult r = FieldResult(dir, static_cast<int>(state.range(0)));
    for (auto _ : state)
        corvane::WriteResults(r, true);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(r.dx.size()));
}
BENCHMARK(BM_WriteResults)->Arg(256)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_WriteGrayAndBinFiles(benchmark::State& state) {
    corvane::test::TempDir dir;
    const corvane::TCorRelationResult field = FieldResult(dir, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        corvane::TCorRelationResult r = field;
        corvane::WriteGrayFiles(r);
        corvane::WriteBinFiles(r);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(field.dx.size()));
}
BENCHMARK(BM_WriteGrayAndBinFiles)->Arg(1024)->Unit(benchmark::kMillisecond);

void BM_ReadConfigFile(benchmark::State& state) {
    corvane::test::TempDir dir;
    corvane::GenerateConfigFile(dir.File("one.cor"));
    const std::string one = corvane::test::ReadFileBytes(dir.File("one.cor"));
    const auto groups = static_cast<int>(state.range(0));
    std::string text = "HowManyGroup =" + std::to_string(groups) + "\n";
    for (int g = 0; g < groups; ++g)
        text += one.substr(one.find('\n') + 1);
    corvane::test::WriteFileBytes(dir.File("many.cor"), text);
    for (auto _ : state)
        benchmark::DoNotOptimize(corvane::ReadConfigFile(dir.File("many.cor")));
    state.SetItemsProcessed(state.iterations() * groups);
}
BENCHMARK(BM_ReadConfigFile)->Arg(1)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
