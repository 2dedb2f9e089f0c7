#include "correlation/CorRelationConfig.h"
#include "image/ColourMap.h"
#include "support/CliRun.h"
#include "support/DisplacementTables.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TiffPngPictures.h"

#include <tiffio.h>

namespace corvane {
namespace {

using namespace test;

TEST(HistogramAndProfileCli, PrintTheWindowsLabelsAndWriteTheCountsAndTheSections) {
    TempDir dir;
    // Levels 0, 10, 20 in columns, 5 x 3: three of each per row.
    MakeGreyPicture(5, 3, [](int x, int) { return 10 * (x % 3); })->SaveBmp(dir.File("ramp.bmp"));
    const ProgramRun ramp = Cli(dir, {"histogram", "ramp.bmp", "-o", "hist.dat"});
    ASSERT_EQ(ramp.Status, 0) << ramp.Err;
    EXPECT_EQ(ramp.Out, "Mean:  8.000\nStdDev:  7.483\nMedian: 10\nPixels: 15\n");
    const std::vector<std::string> counts = Lines(ReadFileBytes(dir.File("hist.dat")));
    ASSERT_EQ(counts.size(), 256u);
    EXPECT_EQ((std::array{counts[0], counts[10], counts[20], counts[255]}),
              (std::array<std::string, 4>{"0 6", "10 6", "20 3", "255 0"}));

    EXPECT_TRUE(Refuses(dir, {"histogram", "absent.bmp", "-o", "none.dat"}, 1));

    // profile saves a row or a column as the section window does.
    MakeGreyPicture(512, 3, [](int x, int y) { return (x + 100 * y) % 256; })->SaveBmp(dir.File("wide.bmp"));
    ASSERT_TRUE(Runs(dir, {"profile", "wide.bmp", "--row", "2", "-o", "row.dat"}));
    const std::vector<std::string> row = Lines(ReadFileBytes(dir.File("row.dat")));
    ASSERT_EQ(row.size(), 512u);
    EXPECT_EQ(row[0], " 0   200.000000");
    EXPECT_EQ(row[511], " 511   199.000000");
    ASSERT_TRUE(Runs(dir, {"profile", "wide.bmp", "--column", "511", "-o", "column.dat"}));
    EXPECT_EQ(ReadFileBytes(dir.File("column.dat")), " 0   255.000000\n 1   99.000000\n 2   199.000000\n");

    EXPECT_EQ(Cli(dir, {"profile", "wide.bmp", "--row", "1", "--column", "1", "-o", "bad.dat"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"profile", "wide.bmp", "-o", "bad.dat"}).Status, 2);
    EXPECT_TRUE(Refuses(dir, {"profile", "wide.bmp", "--row", "3", "-o", "bad.dat"}, 1,
                        "row 3 is not in the picture (0..2)"));
}

TEST(MedianAndPictureCli, FilterPicturesAndMapsAndReadSixteenBitPicturesByTheirOwnRange) {
    TempDir dir;
    // A bright 3 x 3 block survives a 3 x 3 median but not a 5 x 5 one (track bar 4).
    auto block = [](int x, int y) { return x >= 4 && x <= 6 && y >= 3 && y <= 5 ? 200 : 10; };
    MakeGreyPicture(12, 9, block)->SaveBmp(dir.File("block.bmp"));
    ASSERT_TRUE(Runs(dir, {"median", "block.bmp", "-o", "three.bmp"}));
    EXPECT_EQ(TGrayImage(dir.File("three.bmp")).GetPixel(5, 4), 200);
    ASSERT_TRUE(Runs(dir, {"median", "block.bmp", "--size", "4", "-o", "five.raw"}));
    EXPECT_EQ(ReadFileBytes(dir.File("five.raw")), std::string(12 * 9, '\x0a'));

    auto map = MakeFloatMap(12, 9, [&](int x, int y) { return block(x, y) * 0.25; });
    map->ScaleX = 0.5f;
    map->SaveFlt(dir.File("block.flt"));
    ASSERT_TRUE(Runs(dir, {"median", "block.flt", "--size", "4", "-o", "five.flt"}));
    const TFloatImage five(dir.File("five.flt"));
    EXPECT_EQ(five.GetPixel(5, 4), 2.5f);
    EXPECT_EQ(five.ScaleX, 0.5f);

    EXPECT_EQ(Cli(dir, {"median", "block.flt", "-o", "five.bmp"}).Status, 2);
    EXPECT_TRUE(Refuses(dir, {"median", "block.bmp", "-o", "out.png"}, 1, "only support raw and bmp files"));

    // Verbs read 16-bit pictures by their own range and refuse damaged ones.
    // Two columns of 12-bit samples, 100 and 4000: the picture's range makes them 0 and 255.
    WriteTiffPicture(dir.File("twelve.tif"),
                     MakeSamplePicture(6, 4, 16, 1, [](int x, int, int) { return x < 3 ? 100 : 4000; }),
                     {.Compression = COMPRESSION_PACKBITS});
    ASSERT_TRUE(Runs(dir, {"histogram", "twelve.tif", "-o", "twelve.dat"}));
    const std::vector<std::string> counts = Lines(ReadFileBytes(dir.File("twelve.dat")));
    ASSERT_EQ(counts.size(), 256u);
    EXPECT_EQ(std::pair(counts[0], counts[255]), std::pair(std::string("0 12"), std::string("255 12")));
    // A picture written by a verb from a TIFF input.
    ASSERT_TRUE(Runs(dir, {"median", "twelve.tif", "-o", "median.bmp"}));

    const std::string bytes = ReadFileBytes(dir.File("twelve.tif"));
    WriteFileBytes(dir.File("cut.tif"), bytes.substr(0, bytes.size() - 40));
    EXPECT_TRUE(Refuses(dir, {"histogram", "cut.tif", "-o", "cut.dat"}, 1, "cut.tif: damaged TIFF file"));
    EXPECT_EQ(Lines(Cli(dir, {"histogram", "cut.tif", "-o", "cut.dat"}).Err).size(), 1u); // the one message
}

TEST(ColourMapCli, WritesTheRenderedPictureAndRefusesWrongInput) {
    TempDir dir;
    auto map = MakeFloatMap(40, 25, [](int x, int y) { return 0.01 * (x - 20) + 0.001 * y; });
    map->SetPixel(5, 7, kNotComputedMarker);
    map->ScaleX = 0.5f;
    map->SaveFlt(dir.File("dx.flt"));
    // With every option the verb's picture is compared with the window's in the colour map window's
    // tests; here the defaults.
    ASSERT_TRUE(Runs(dir, {"colour-map", "dx.flt", "-o", "auto.png"}));
    SaveColourMapPng(RenderColourMap(TFloatImage(dir.File("dx.flt")), {}), dir.File("auto-expected.png"));
    EXPECT_EQ(ReadFileBytes(dir.File("auto.png")), ReadFileBytes(dir.File("auto-expected.png")));

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"colour-map", "dx.flt", "--range", "0.2", "0.1", "-o", "x.png"},
          {"colour-map", "dx.flt", "--table", "rainbow", "-o", "x.png"},
          {"colour-map", "dx.flt", "--opacity", "1.5", "-o", "x.png"},
          {"colour-map", "dx.flt"}})
        EXPECT_TRUE(Refuses(dir, wrong, 2)) << wrong[2];
    TGrayImage(nullptr, 25, 40).SaveBmp(dir.File("turned.bmp"));
    EXPECT_TRUE(Refuses(dir, {"colour-map", "dx.flt", "--over", "turned.bmp", "-o", "x.png"}, 1,
                        "the picture is 25 x 40, the map is 40 x 25"));
}

// The generated pair and its configuration file run through the correlation give the stretch back:
// the least-squares slope of dx over x in the displacement table.
TEST(GenerateSpeckleCli, ThePairsConfigurationCorrelatesToTheStretch) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "pair");
    ASSERT_TRUE(Runs(dir, {"generate-speckle", "--width", "128", "--height", "96", "--stretch", "0.02", "-o",
                           "pair/s0.bmp", "--deformed", "pair/s1.bmp", "--config", "pair/job.cor"}));
    const TCorRelationPara para = ReadConfigFile(dir.File("pair/job.cor")).at(0);
    EXPECT_EQ(para.InitialFile, dir.File("pair/s0.bmp"));
    EXPECT_EQ(para.Right, 107);
    ASSERT_TRUE(Runs(dir, {"correlate", "pair/job.cor"}));
    double n = 0, sx = 0, sxx = 0, sd = 0, sxd = 0;
    for (const auto& [x, y, dx, dy] : ReadDisplacementTable(dir.File("pair/xy.dat")))
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
