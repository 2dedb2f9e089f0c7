#include "correlation/CorRelationConfig.h"
#include "image/TFloatImage.h"
#include "support/CliRun.h"
#include "support/DeformedSpeckle.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace corvane {
namespace {

using namespace test;

/// Mean and standard deviation of a map over x, y = from ... to.
std::pair<double, double> MeanAndSpread(const TFloatImage& map, int from, int to) {
    double sum = 0.0, squares = 0.0;
    int count = 0;
    for (int y = from; y <= to; ++y)
        for (int x = from; x <= to; ++x, ++count) {
            sum += map.GetPixel(x, y);
            squares += static_cast<double>(map.GetPixel(x, y)) * map.GetPixel(x, y);
        }
    const double mean = sum / count;
    return {mean, std::sqrt(std::max(0.0, squares / count - mean * mean))};
}

// A user's comparison: the default configuration on a pair stretched by 1 % along x, run with and
// without --refine, and Ux of each dx map. The search alone moves in eighths of a pixel, so its Ux
// jumps from point to point; the refined dx gives the stretch everywhere.
TEST(CorrelateRefineCli, RefiningTurnsTheStaircaseOfEighthsIntoTheStretch) {
    TempDir dir;
    const int size = 140;
    const SpecklePair pair = MakeDeformedSpecklePair({.Width = size, .Height = size}, [](double x, double) {
        return std::array{0.01 * (x - 70.0), 0.0};
    });
    SaveGreyBmp(dir.File("test0.bmp"), size, size, pair.Initial);
    SaveGreyBmp(dir.File("test2.bmp"), size, size, pair.Deformed);
    ASSERT_EQ(RunProgram(CORVANE_CORRELATE_EXE, {"--generate", "default.cor"}, dir.Path()).Status, 0);
    TCorRelationPara para = ReadConfigFile(dir.File("default.cor")).at(0);
    for (const auto field : TCorRelationPara::FileNameFields())
        para.*field = std::filesystem::path(para.*field).filename().string();
    para.OutputBin = 1;
    para.BinXFile = "dx.flt";
    para.BinYFile = "dy.flt";
    para.Left = para.Up = 25;
    para.Right = para.Bottom = 114;
    WriteConfigFile(dir.File("run.cor"), para);

    std::pair<double, double> ux[2];
    for (int refine = 0; refine < 2; ++refine) {
        const ProgramRun run =
            refine ? Cli(dir, {"correlate", "--refine", "run.cor"}) : Cli(dir, {"correlate", "run.cor"});
        ASSERT_EQ(run.Status, 0) << run.Err;
        const ProgramRun strain =
            Cli(dir, {"strain", "dx.flt", "-o", "ux.flt", "--component", "ux", "--invalid", "1000"});
        ASSERT_EQ(strain.Status, 0) << strain.Err;
        ux[refine] = MeanAndSpread(TFloatImage(dir.File("ux.flt")), 35, 104);
    }
    EXPECT_GT(ux[0].second, 0.02);
    EXPECT_NEAR(ux[1].first, 0.01, 2e-4);
    EXPECT_LT(ux[1].second, 0.003);
    EXPECT_EQ(Cli(dir, {"correlate", "--refine"}).Status, 2);
}

} // namespace
} // namespace corvane
