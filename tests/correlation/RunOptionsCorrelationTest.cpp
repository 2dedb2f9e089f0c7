// The run options after a group's fixed lines. Grid only: agreement with the dense run at the grid
// points, the maps laid out on the grid (and read by the strain computation), the same files for
// every number of lanes and the command-line option. Minimum correlation: the correlation map, and
// points below the minimum marked and left out. Both: the optional lines written and read.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "correlation/CorRelationConfig.h"
#include "correlation/StrainCompute.h"
#include "correlation/TCorRelation.h"
#include "image/TFloatImage.h"
#include "support/CliRun.h"
#include "support/DeformedSpeckle.h"
#include "support/DisplacementTables.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;

/// The default group over the pair, saved as test0.bmp and test2.bmp in dir, float maps on.
TCorRelationPara DefaultGroup(const TempDir& dir, const SpecklePair& pair) {
    SaveGreyBmp(dir.File("test0.bmp"), pair.Width, pair.Height, pair.Initial);
    SaveGreyBmp(dir.File("test2.bmp"), pair.Width, pair.Height, pair.Deformed);
    GenerateConfigFile(dir.File("run.cor"));
    TCorRelationPara p = ReadConfigFile(dir.File("run.cor")).at(0);
    p.OutputBin = 1, p.BinXFile = dir.File("dx.flt"), p.BinYFile = dir.File("dy.flt");
    return p;
}

// A smooth field with different gradients across and down, on a non-square pair.
std::array<double, 2> Field(double x, double y) {
    return {0.8 + 0.006 * (x - 80.0) + 0.002 * (y - 64.0), -0.4 + 0.003 * (x - 80.0) - 0.004 * (y - 64.0)};
}

struct GridJob {
    TempDir dir;
    TCorRelationPara para = DefaultGroup(dir, MakeDeformedSpecklePair({.Width = 160, .Height = 128}, Field));
    GridJob() { para.Left = 21, para.Up = 18, para.Right = 139, para.Bottom = 109, para.FilterType = 0; }
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

// Both runners set grid only for every group.
TEST(GridOnlyCorrelation, BothRunnersSetIt) {
    GridJob job;
    for (const auto& [program, arguments] :
         {std::pair{CORVANE_CLI_EXE, std::vector<std::string>{"correlate", "run.cor", "--grid-only"}},
          std::pair{CORVANE_CORRELATE_EXE, std::vector<std::string>{"--grid-only", "run.cor"}}}) {
        const ProgramRun run = RunProgram(program, arguments, job.dir.Path());
        EXPECT_EQ(run.Status, 0) << run.Err;
        EXPECT_NE(run.Out.find("(grid only): 121 of 121 points computed"), std::string::npos) << run.Out;
    }
}

/// Runs the default group (field 20 ... 130 x 20 ... 90, float maps on) over a 150 x 110 pair.
TCorRelationPara Correlate(const TempDir& dir, const SpecklePair& pair, int refine, float minimum) {
    TCorRelationPara p = DefaultGroup(dir, pair);
    p.Right = 130, p.Bottom = 90, p.ChangeYaxis = 0, p.SubpixelRefinement = refine,
    p.MinCorrelation = minimum;
    TCorRelation(p, TCorRelation::Mode::Normal).Run(false);
    return p;
}

// A pair moved by whole pixels correlates to 1 at every point with a displacement, searched or
// refined; outside the field the map holds the marker.
TEST(CorrelationMap, AnExactPairCorrelatesToOneAtEveryPoint) {
    SpecklePair pair = MakeSpecklePair({.Width = 150, .Height = 110});
    pair.Deformed.assign(pair.Initial.size(), 0);
    for (int y = 0; y + 3 < 110; ++y) // moved 2 right and 3 up
        for (int x = 2; x < 150; ++x)
            pair.Deformed[y * 150 + x] = pair.Initial[(y + 3) * 150 + x - 2];
    for (const int refine : {0, 1}) {
        TempDir dir;
        Correlate(dir, pair, refine, 0.0f);
        const TFloatImage map(dir.File("dx_zncc.flt")), dx(dir.File("dx.flt"));
        for (int y = 0; y < 110; ++y)
            for (int x = 0; x < 150; ++x)
                if (dx.GetPixel(x, y) != 1000.0f || map.GetPixel(x, y) != 1000.0f) {
                    ASSERT_NEAR(map.GetPixel(x, y), 1.0f, 1e-5f) << refine << " " << x << " " << y;
                }
        EXPECT_EQ(map.GetPixel(19, 50), 1000.0f) << "outside the field";
    }
}

// A blank disc in the deformed picture: with a minimum of 0.9 its points are marked in the dx and
// dy maps (the correlation map keeps their value) and left out of the table while the points
// around it stay, and the report counts them; without the minimum they are written as any other.
TEST(CorrelationMap, PointsOverABlankPatchFallBelowTheMinimumAndAreMarkedAndLeftOut) {
    SpecklePair pair =
        MakeSpecklePair({.Width = 150, .Height = 110, .ShiftX = 1.3, .ShiftY = -0.7, .Seed = 7});
    for (int y = 0; y < 110; ++y)
        for (int x = 0; x < 150; ++x)
            if ((x - 96) * (x - 96) + (y - 64) * (y - 64) <= 13 * 13) pair.Deformed[y * 150 + x] = 140;
    for (const float minimum : {0.0f, 0.9f}) {
        TempDir dir;
        const TCorRelationPara p = Correlate(dir, pair, 1, minimum);
        const TFloatImage dx(dir.File("dx.flt")), dy(dir.File("dy.flt")), zncc(dir.File("dx_zncc.flt"));
        std::string listed = " ";
        for (const TableRecord& r : ReadDisplacementTable(p.XYFile))
            listed += std::to_string(int(r[0])) + "," + std::to_string(int(r[1])) + " ";
        const bool marking = minimum > 0.0f;
        EXPECT_LT(zncc.GetPixel(95, 65), 0.5f);
        EXPECT_EQ(std::pair(dx.GetPixel(95, 65), dy.GetPixel(95, 65)) == std::pair(1000.0f, 1000.0f),
                  marking);
        EXPECT_EQ(listed.find(" 95,65 ") == std::string::npos, marking);
        EXPECT_NE(listed.find(" 40,30 "), std::string::npos);
        EXPECT_NE(listed.find(" 125,85 "), std::string::npos) << "the last column and filtered row";
        EXPECT_NEAR(dx.GetPixel(40, 30), 1.3f, 0.02f);
        const std::string report = ReadFileBytes(p.InfoFile),
                          line = "Minimum Correlation 0.9: marked not computed ";
        EXPECT_EQ(report.find(line) != std::string::npos, marking);
        if (marking) {
            EXPECT_GT(std::stoll(report.substr(report.find(line) + line.size())), 100);
        }
    }
}

// Optional lines after the fixed ones: written only when on, in the order refinement, grid only,
// minimum; read in any order, each once per group; a value outside its range or a second line is
// refused with its words.
TEST(OptionalGroupLines, WrittenInOrderReadInAnyOrderAndRefusedWithTheirWords) {
    TempDir dir;
    GenerateConfigFile(dir.File("default.cor"));
    TCorRelationPara p = ReadConfigFile(dir.File("default.cor")).at(0), bare = p;
    for (const auto name : TCorRelationPara::FileNameFields())
        bare.*name = std::filesystem::path(p.*name).filename().string();
    const std::string plain = ConfigFileText(bare),
                      refine = "Subpixel Refinement(0=none, 1=gauss-newton) =1\n",
                      grid = "Compute Only Output Grid(0=no, 1=yes) =",
                      minimum = "Minimum Correlation(0=keep every point) =";
    p.SubpixelRefinement = bare.SubpixelRefinement = p.GridOnly = bare.GridOnly = 1;
    p.MinCorrelation = bare.MinCorrelation = 0.9f;
    EXPECT_EQ(ConfigFileText(bare), plain + refine + grid + "1\n" + minimum + "0.9\n");
    const std::string swapped = plain + minimum + "0.9\n" + grid + "1\n" + refine;
    for (const auto& [text, error] :
         {std::pair{swapped, ""},
          {swapped + minimum + "0.9\n", "line 33: Minimum Correlation is given twice"},
          {plain + minimum + "1.5\n", "=1.5 is not a correlation from 0 to 1"},
          {plain + minimum + "high\n", "line 30 does not match"},
          {plain + grid + "2\n", "Compute Only Output Grid =2 is neither 0 (no) nor 1 (yes)"},
          {plain + "Subpixel Refinement(0=none, 1=gauss-newton) =2\n",
           "Read CorRelation Config file ERROR!!! Subpixel Refinement =2 is neither 0 (none) nor 1 "
           "(gauss-newton)"}}) {
        WriteFileBytes(dir.File("c.cor"), text);
        try {
            EXPECT_EQ(ReadConfigFile(dir.File("c.cor")).at(0), p);
            EXPECT_STREQ(error, "");
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(error), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace corvane
