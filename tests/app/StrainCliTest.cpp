#include "correlation/CorRelationConfig.h"
#include "image/TFloatImage.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

namespace corvane {
namespace {

using namespace test;

template <class F>
void SaveMap(const TempDir& dir, const std::string& name, int w, int h, F f, float scaleX = 1.0f,
             float scaleY = 1.0f) {
    auto map = MakeFloatMap(w, h, f);
    map->ScaleX = scaleX;
    map->ScaleY = scaleY;
    map->SaveFlt(dir.File(name));
}

TEST(StrainCli, DerivativesOfALinearFieldUseTheHeaderScaleAndTheInvalidValue) {
    TempDir dir;
    // U = 0.01 x with a not-computed point at (4, 2) and an x scale of 0.5.
    SaveMap(
        dir, "dx.flt", 9, 6, [](int x, int y) { return x == 4 && y == 2 ? 1000.0 : 0.01 * x; }, 0.5f, 2.0f);
    const ProgramRun run =
        Cli(dir, {"strain", "dx.flt", "-o", "ux.flt", "--component", "ux", "--invalid", "1000"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const TFloatImage ux(dir.File("ux.flt"));
    EXPECT_EQ(ux.Width, 9);
    EXPECT_EQ(ux.ScaleX, 0.5f);
    EXPECT_EQ(ux.ScaleY, 2.0f);
    EXPECT_NEAR(ux.GetPixel(1, 1), 0.02f, 1e-6f); // doubled by the x scale of 0.5
    EXPECT_NEAR(ux.GetPixel(7, 4), 0.02f, 1e-6f);
    EXPECT_NEAR(ux.GetPixel(3, 2), 0.02f, 1e-6f); // one-sided next to the marker
    EXPECT_EQ(ux.GetPixel(8, 4), 0.0f);
    // Without the invalid-value test the marker is a value like any other.
    ASSERT_EQ(Cli(dir, {"strain", "dx.flt", "-o", "raw.flt", "--component", "ux"}).Status, 0);
    EXPECT_GT(TFloatImage(dir.File("raw.flt")).GetPixel(3, 2), 100.0f);

    SaveMap(
        dir, "dy.flt", 9, 6, [](int x, int y) { return 0.03 * y + 0.001 * x; }, 0.5f, 2.0f);
    ASSERT_EQ(Cli(dir, {"strain", "dx.flt", "dy.flt", "-o", "vy.flt", "--component", "vy"}).Status, 0);
    EXPECT_NEAR(TFloatImage(dir.File("vy.flt")).GetPixel(4, 4), 0.015f, 1e-6f);
    ASSERT_EQ(Cli(dir, {"strain", "dx.flt", "dy.flt", "-o", "shear.flt", "--component", "shear"}).Status, 0);
    // Uy = 0 and Vx = 0.001 / 0.5.
    EXPECT_NEAR(TFloatImage(dir.File("shear.flt")).GetPixel(4, 4), 0.001f, 1e-6f);
}

TEST(StrainCli, BadCommandLinesAndFilesWriteNothing) {
    TempDir dir;
    SaveMap(dir, "u.flt", 6, 5, [](int x, int) { return x; });
    SaveMap(dir, "v.flt", 5, 6, [](int, int y) { return y; });
    EXPECT_EQ(Cli(dir, {"strain", "u.flt", "-o", "s.flt", "--component", "shear"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"strain", "u.flt", "-o", "s.flt", "--component", "exx"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"strain", "u.flt", "-o", "s.flt"}).Status, 2);
    const ProgramRun missing = Cli(dir, {"strain", "none.flt", "-o", "s.flt", "--component", "ux"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("none.flt: not exists"), std::string::npos) << missing.Err;
    const ProgramRun sizes = Cli(dir, {"strain", "u.flt", "v.flt", "-o", "s.flt", "--component", "shear"});
    EXPECT_EQ(sizes.Status, 1);
    EXPECT_NE(sizes.Err.find("must have the same size"), std::string::npos) << sizes.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("s.flt")));
}

TEST(SampleCli, TablesOfTheWholeFieldAGridAndARangeWithTheirOptions) {
    TempDir dir;
    SaveMap(
        dir, "u.flt", 100, 80, [](int x, int y) { return x == 3 && y == 0 ? 1000.0 : 0.5 * x + y; }, 1.0f,
        1.0f);
    SaveMap(
        dir, "v.flt", 100, 80, [](int x, int y) { return -0.25 * y + x; }, 1.0f, 1.0f);
    ASSERT_EQ(Cli(dir, {"sample", "u.flt", "v.flt", "-o", "all.dat"}).Status, 0);
    const std::vector<std::string> all = Lines(ReadFileBytes(dir.File("all.dat")));
    ASSERT_EQ(all.size(), 8001u);
    EXPECT_EQ(all[0], "  x     y    dx      dy  ");
    EXPECT_EQ(all[2], "    1.00000      0.00000     0.50000     1.00000");
    EXPECT_EQ(all[8000], "   99.00000     79.00000   128.50000    79.25000");

    const ProgramRun grid =
        Cli(dir, {"sample", "u.flt",      "v.flt",     "-o",      "grid.dat", "--type", "2",
                  "--grid", "5",          "5",         "--range", "0",        "0",      "20",
                  "20",     "--change-y", "--invalid", "1000",    "--scale",  "0.5",    "2"});
    ASSERT_EQ(grid.Status, 0) << grid.Err;
    const std::vector<std::string> g = Lines(ReadFileBytes(dir.File("grid.dat")));
    ASSERT_EQ(g.size(), 26u);
    EXPECT_EQ(g[1], "    0.00000    160.00000     0.00000 ");
    EXPECT_EQ(g[25], "   10.00000    120.00000    30.00000 ");

    ASSERT_EQ(Cli(dir, {"sample", "u.flt", "v.flt", "-o", "m.dat", "--type", "4", "--range", "0", "0", "3",
                        "1", "--invalid", "1000"})
                  .Status,
              0);
    EXPECT_EQ(ReadFileBytes(dir.File("m.dat")), "\n   0.00000     0.50000     1.00000     0.00000  "
                                                "\n   1.00000     1.50000     2.00000     2.50000  ");

    SaveMap(dir, "small.flt", 99, 80, [](int, int) { return 0.0; });
    EXPECT_EQ(Cli(dir, {"sample", "u.flt", "small.flt", "-o", "bad.dat"}).Status, 1);
    EXPECT_EQ(Cli(dir, {"sample", "u.flt", "-o", "bad.dat"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"sample", "u.flt", "v.flt", "-o", "bad.dat", "--type", "6"}).Status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.dat")));
}

// A user's check of the chain: a correlation of a picture stretched by 1 % along x, then Ux of its
// dx map, which should read about 0.01 inside the computed field.
TEST(StrainCli, UxOfACorrelatedOnePercentStretchIsAboutOneHundredth) {
    TempDir dir;
    const int size = 160;
    const SpecklePair pair = MakeSpecklePair({.Width = size, .Height = size, .StretchX = 0.01, .Seed = 7});
    SaveGreyBmp(dir.File("test0.bmp"), size, size, pair.Initial);
    SaveGreyBmp(dir.File("test2.bmp"), size, size, pair.Deformed);
    GenerateConfigFile(dir.File("default.cor"));
    TCorRelationPara para = ReadConfigFile(dir.File("default.cor")).at(0);
    para.InitialFile = "test0.bmp";
    para.DeformedFile = "test2.bmp";
    para.XYFile = "xy.dat";
    para.ThetaRFile = "thetar.dat";
    para.InfoFile = "info.inf";
    para.MaskFile = "none";
    para.GrayXFile = para.GrayYFile = "none";
    para.OutputBin = 1;
    para.BinXFile = "dx.flt";
    para.BinYFile = "dy.flt";
    para.Left = para.Up = 30;
    para.Right = para.Bottom = 129;
    WriteConfigFile(dir.File("run.cor"), para);
    const ProgramRun correlate = Cli(dir, {"correlate", "run.cor"});
    ASSERT_EQ(correlate.Status, 0) << correlate.Err;
    const ProgramRun strain =
        Cli(dir, {"strain", "dx.flt", "-o", "ux.flt", "--component", "ux", "--invalid", "1000"});
    ASSERT_EQ(strain.Status, 0) << strain.Err;

    const TFloatImage ux(dir.File("ux.flt"));
    double sum = 0.0, squares = 0.0;
    int count = 0;
    for (int y = 35; y <= 124; ++y)
        for (int x = 35; x <= 124; ++x) {
            const double value = ux.GetPixel(x, y);
            sum += value;
            squares += value * value;
            ++count;
        }
    const double mean = sum / count;
    const double spread = std::sqrt(std::max(0.0, squares / count - mean * mean));
    std::printf("Ux of a 1 %% stretch over %d interior points: mean %.5f, standard deviation %.5f\n", count,
                mean, spread);
    RecordProperty("UxMean", std::to_string(mean));
    RecordProperty("UxSpread", std::to_string(spread));
    EXPECT_NEAR(mean, 0.01, 0.002);
}

} // namespace
} // namespace corvane
