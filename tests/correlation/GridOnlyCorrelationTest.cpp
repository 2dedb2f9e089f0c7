// Correlation of the output grid only: agreement with the dense run at the grid points, the maps
// laid out on the grid (and read by the strain computation), the same files for every number of
// lanes, the configuration line and the command-line option.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "correlation/CorRelationConfig.h"
#include "correlation/StrainCompute.h"
#include "correlation/TCorRelation.h"
#include "image/CorvaneError.h"
#include "image/TFloatImage.h"
#include "support/CliRun.h"
#include "support/DeformedSpeckle.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;

// A smooth field with different gradients across and down, on a non-square pair.
std::array<double, 2> Field(double x, double y) {
    return {0.8 + 0.006 * (x - 80.0) + 0.002 * (y - 64.0), -0.4 + 0.003 * (x - 80.0) - 0.004 * (y - 64.0)};
}

struct GridJob {
    TempDir dir;
    TCorRelationPara para;
    GridJob() {
        const SpecklePair pair = MakeDeformedSpecklePair({.Width = 160, .Height = 128}, Field);
        SaveGreyBmp(dir.File("test0.bmp"), 160, 128, pair.Initial);
        SaveGreyBmp(dir.File("test2.bmp"), 160, 128, pair.Deformed);
        GenerateConfigFile(dir.File("run.cor"));
        para = ReadConfigFile(dir.File("run.cor")).at(0);
        para.OutputBin = 1;
        para.BinXFile = dir.File("dx.flt"), para.BinYFile = dir.File("dy.flt");
        para.Left = 21, para.Up = 18, para.Right = 139, para.Bottom = 109;
        para.FilterType = 0;
    }
    TFloatImage Run(int gridX, int gridY, bool gridOnly, bool refine, int threads = 0) {
        para.GridX = gridX, para.GridY = gridY;
        para.GridOnly = gridOnly ? 1 : 0;
        para.SubpixelRefinement = refine ? 1 : 0;
        TCorRelation engine(para, TCorRelation::Mode::Normal,
                            {.Threads = threads, .Progress = {}, .Stop = {}});
        engine.Run(true);
        return TFloatImage(dir.File("dx.flt"));
    }
};

TEST(GridOnlyCorrelation, GridPointsAgreeWithTheDenseRunAndTheMapHoldsTheGrid) {
    struct Case {
        int gx, gy;
        bool refine;
    };
    GridJob job;
    // The dense runs to compare with, then steps of 2, 5, different across and down, and larger than
    // the 13-pixel window; the map holds the grid with the steps in its header.
    const TFloatImage denseRefined = job.Run(1, 1, false, true), dense = job.Run(1, 1, false, false);
    for (const Case c :
         {Case{2, 2, true}, Case{5, 5, true}, Case{3, 7, false}, Case{4, 9, true}, Case{17, 15, true}}) {
        SCOPED_TRACE(std::to_string(c.gx) + " x " + std::to_string(c.gy));
        const TFloatImage map = job.Run(c.gx, c.gy, true, c.refine);
        const int x0 = 21 % c.gx, y0 = 18 % c.gy;
        ASSERT_EQ((std::array{map.Width, map.Height}),
                  (std::array{(159 - x0) / c.gx + 1, (127 - y0) / c.gy + 1}));
        EXPECT_EQ((std::array{map.ScaleX, map.ScaleY}), (std::array{float(c.gx), float(c.gy)}));
        for (int y = 18; y <= 109; y += c.gy)
            for (int x = 21; x <= 139; x += c.gx) {
                const float g = map.GetPixel((x - x0) / c.gx, (y - y0) / c.gy);
                const float d = (c.refine ? denseRefined : dense).GetPixel(x, y);
                ASSERT_EQ(g == 1000.0f, d == 1000.0f) << x << ", " << y;
                if (d == 1000.0f) continue;
                EXPECT_NEAR(g, d, c.refine ? 0.001 : 0.125) << x << ", " << y;
            }
        // Off the grid every map point is the marker: the first column lies left of the field.
        EXPECT_EQ(map.GetPixel(0, map.Height / 2), 1000.0f);
        // The strain computation reads the grid map with its scales: du/dx and du/dy of the field.
        if (c.refine && c.gx < 10) {
            const auto mask = MakeStrainMask(map, {true, 1000.0f, false, {}});
            for (const auto& [along, gradient] :
                 {std::pair{StrainDirection::AlongX, 0.006}, std::pair{StrainDirection::AlongY, 0.002}})
                EXPECT_NEAR(ComputeDerivative(map, *mask, along)->GetPixel(map.Width / 2, map.Height / 2),
                            gradient, 1e-3);
        }
    }
    const std::string report = ReadFileBytes(job.dir.File("info.inf"));
    EXPECT_NE(report.find("Computed only the output grid: 7 x 7 grid points, 49 computed"), std::string::npos)
        << report;
}

TEST(GridOnlyCorrelation, AStepOfOneIsTheDenseRunAndEveryLaneCountWritesTheSameFiles) {
    GridJob job;
    const char* const files[] = {"xy.dat", "thetar.dat", "dx.flt", "dy.flt", "dx_dudx.flt"};
    auto bytes = [&] {
        std::string all;
        for (const char* f : files)
            all += ReadFileBytes(job.dir.File(f)) + "|";
        return all;
    };
    job.Run(1, 1, false, true);
    const std::string dense = bytes();
    job.Run(1, 1, true, true);
    EXPECT_EQ(bytes(), dense);

    job.para.FilterType = 2;
    job.Run(5, 3, true, true, 1);
    const std::string one = bytes();
    job.Run(5, 3, true, true, 3);
    EXPECT_EQ(bytes(), one) << "3 lanes";
}

// The line follows the refinement line and reads back; both runners set it for every group.
TEST(GridOnlyCorrelation, TheLineFollowsTheRefinementLineAndBothRunnersSetIt) {
    GridJob job;
    const std::string plain = ConfigFileText(job.para), line = "Compute Only Output Grid(0=no, 1=yes) =";
    job.para.GridOnly = job.para.SubpixelRefinement = 1;
    EXPECT_EQ(ConfigFileText(job.para),
              plain + "Subpixel Refinement(0=none, 1=gauss-newton) =1\n" + line + "1\n");
    EXPECT_EQ(ReadConfigText(ConfigFileText(job.para), "").at(0).GridOnly, 1);
    EXPECT_THROW(ReadConfigText(plain + line + "2\n", ""), CorvaneError);
    for (const auto& [program, arguments] :
         {std::pair{CORVANE_CLI_EXE, std::vector<std::string>{"correlate", "run.cor", "--grid-only"}},
          std::pair{CORVANE_CORRELATE_EXE, std::vector<std::string>{"--grid-only", "run.cor"}}}) {
        const ProgramRun run = RunProgram(program, arguments, job.dir.Path());
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_NE(run.Out.find("(grid only): 121 of 121 points computed"), std::string::npos) << run.Out;
    }
}

} // namespace
} // namespace corvane
