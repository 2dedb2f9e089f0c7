#include "correlation/CorRelationConfig.h"
#include "image/ColourMap.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace corvane {
namespace {

using namespace test;

TEST(ColourMapCli, WritesTheRenderedPictureAndRefusesWrongInput) {
    TempDir dir;
    auto map = MakeFloatMap(40, 25, [](int x, int y) { return 0.01 * (x - 20) + 0.001 * y; });
    map->SetPixel(5, 7, kNotComputedMarker);
    map->ScaleX = 0.5f;
    map->SaveFlt(dir.File("dx.flt"));
    // With every option the verb's picture is compared with the window's in the colour map window's
    // tests; here the defaults.
    ASSERT_EQ(Cli(dir, {"colour-map", "dx.flt", "-o", "auto.png"}).Status, 0);
    SaveColourMapPng(RenderColourMap(TFloatImage(dir.File("dx.flt")), {}), dir.File("auto-expected.png"));
    EXPECT_EQ(ReadFileBytes(dir.File("auto.png")), ReadFileBytes(dir.File("auto-expected.png")));

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"colour-map", "dx.flt", "--range", "0.2", "0.1", "-o", "x.png"},
          {"colour-map", "dx.flt", "--table", "rainbow", "-o", "x.png"},
          {"colour-map", "dx.flt", "--opacity", "1.5", "-o", "x.png"},
          {"colour-map", "dx.flt"}})
        EXPECT_EQ(Cli(dir, wrong).Status, 2) << wrong[2];
    TGrayImage(nullptr, 25, 40).SaveBmp(dir.File("turned.bmp"));
    const ProgramRun mismatch = Cli(dir, {"colour-map", "dx.flt", "--over", "turned.bmp", "-o", "x.png"});
    EXPECT_EQ(mismatch.Status, 1);
    EXPECT_NE(mismatch.Err.find("the picture is 25 x 40, the map is 40 x 25"), std::string::npos)
        << mismatch.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.png")));
}

// The generated pair and its configuration file run through the correlation give the stretch back:
// the least-squares slope of dx over x in the displacement table.
TEST(GenerateSpeckleCli, ThePairsConfigurationCorrelatesToTheStretch) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "pair");
    const ProgramRun made =
        Cli(dir, {"generate-speckle", "--width", "128", "--height", "96", "--stretch", "0.02", "-o",
                  "pair/s0.bmp", "--deformed", "pair/s1.bmp", "--config", "pair/job.cor"});
    ASSERT_EQ(made.Status, 0) << made.Err;
    const TCorRelationPara para = ReadConfigFile(dir.File("pair/job.cor")).at(0);
    EXPECT_EQ(para.InitialFile, dir.File("pair/s0.bmp"));
    EXPECT_EQ(para.Right, 107);
    const ProgramRun run = Cli(dir, {"correlate", "pair/job.cor"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    std::ifstream table(dir.File("pair/xy.dat"));
    double x, y, dx, dy, n = 0, sx = 0, sxx = 0, sd = 0, sxd = 0;
    while (table >> x >> y >> dx >> dy)
        n += 1, sx += x, sxx += x * x, sd += dx, sxd += x * dx;
    ASSERT_GT(n, 300);
    EXPECT_NEAR((n * sxd - sx * sd) / (n * sxx - sx * sx), 0.02, 0.001);
    EXPECT_TRUE(std::filesystem::exists(dir.File("pair/dx.flt")));

    EXPECT_EQ(Cli(dir, {"generate-speckle", "-o", "a.bmp"}).Status, 2); // no --deformed
    EXPECT_EQ(Cli(dir, {"generate-speckle", "--stretch", "0.5", "-o", "a.bmp", "--deformed", "b.bmp"}).Status,
              1);
}

} // namespace
} // namespace corvane
