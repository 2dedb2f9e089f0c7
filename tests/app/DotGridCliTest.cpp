#include "dotgrid/TThresholdSegment.h"
#include "image/TGrayImage.h"
#include "support/CliRun.h"
#include "support/DotPictures.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace corvane {
namespace {

using namespace test;

std::vector<std::uint8_t> BmpPixels(const std::string& file) {
    TGrayImage image(file);
    return std::vector<std::uint8_t>(image.Data, image.Data + image.Size);
}

TEST(DotGridCli, AdaptiveSegmentWritesTheToolsPictureAndTheDotTable) {
    TempDir dir;
    DotLattice lattice = UnevenDotLattice();
    SaveGreyBmp(dir.File("grid.bmp"), lattice.Width, lattice.Height, lattice.Pixels);
    const ProgramRun run = Cli(dir, {"segment", "--method", "adaptive", "grid.bmp", "-o", "seg.bmp",
                                     "--window", "40", "--adjust", "15", "--dots", "dots.txt"});
    ASSERT_EQ(run.Status, 0) << run.Err;

    TGrayImage expected(lattice.Pixels.data(), lattice.Width, lattice.Height);
    SegmentAdaptive(expected, {.WindowSize = 40, .Adjust = 15, .WhiteDots = true});
    EXPECT_EQ(BmpPixels(dir.File("seg.bmp")),
              std::vector<std::uint8_t>(expected.Data, expected.Data + expected.Size));

    // Dots of the six whole columns (the seventh, at x = 235.6, touches the border), numbered
    // in raster order, each near its true centre.
    std::istringstream lines(ReadFileBytes(dir.File("dots.txt")));
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        int number = -1, area = 0;
        float x = 0, y = 0;
        char tail = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %f %f %d%c", &number, &x, &y, &area, &tail), 4) << line;
        EXPECT_EQ(number, count);
        EXPECT_EQ(line, [&] {
            char text[80];
            std::snprintf(text, sizeof text, "%d %.4f %.4f %d", number, x, y, area);
            return std::string(text);
        }());
        double nearest = 1e9;
        for (const DotCentre& c : lattice.Centres)
            nearest = std::min(nearest, std::hypot(x - c.X, y - c.Y));
        EXPECT_LT(nearest, 0.3) << line;
        EXPECT_GT(area, 100) << line;
        ++count;
    }
    EXPECT_EQ(count, 6 * 5);
}

TEST(DotGridCli, SimpleSegmentOfBlackDotsAndItsDefaults) {
    TempDir dir;
    const int w = 31, h = 17;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h);
    for (int i = 0; i < w * h; ++i)
        pixels[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i * 37) % 256);
    SaveGreyBmp(dir.File("in.bmp"), w, h, pixels);
    for (const int level : {128, 60}) {
        std::vector<std::string> args = {"segment", "--method", "simple", "--black",
                                         "in.bmp",  "-o",       "out.bmp"};
        if (level != 128) args.insert(args.end(), {"--threshold", "60"});
        const ProgramRun run = Cli(dir, args);
        ASSERT_EQ(run.Status, 0) << run.Err;
        auto copy = pixels;
        TGrayImage expected(copy.data(), w, h);
        SegmentSimple(expected, {.Level = level, .WhiteDots = false});
        EXPECT_EQ(BmpPixels(dir.File("out.bmp")), copy) << level;
    }
}

TEST(DotGridCli, SegmentRefusesWrongCommandLinesAndAnUnusableWindowWritesNothing) {
    TempDir dir;
    DotLattice lattice = UnevenDotLattice();
    SaveGreyBmp(dir.File("grid.bmp"), lattice.Width, lattice.Height, lattice.Pixels);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"segment", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "otsu", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "adaptive", "--threshold", "9", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "simple", "--window", "9", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "simple", "grid.bmp"}}) {
        EXPECT_EQ(Cli(dir, args).Status, 2) << args[2];
    }
    const ProgramRun big = Cli(dir, {"segment", "--method", "adaptive", "--window", "86", "grid.bmp", "-o",
                                     "s.bmp", "--dots", "d.txt"});
    EXPECT_EQ(big.Status, 1);
    EXPECT_NE(big.Err.find("The window size must be between 1 and 85 pixels"), std::string::npos) << big.Err;
    // A picture with nothing in it: the dot table fails, and the picture is not written either.
    std::vector<std::uint8_t> blank(static_cast<std::size_t>(60) * 40, 10);
    SaveGreyBmp(dir.File("blank.bmp"), 60, 40, blank);
    const ProgramRun none =
        Cli(dir, {"segment", "--method", "simple", "blank.bmp", "-o", "s.bmp", "--dots", "d.txt"});
    EXPECT_EQ(none.Status, 1);
    EXPECT_NE(none.Err.find("No dots in this image\nmay be you should give a small noise threshold"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("s.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("d.txt")));
}

TEST(DotGridCli, SpeckleStatsCountsTheWholePictureOrTheRectangle) {
    TempDir dir;
    const int w = 70, h = 40;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h, 0);
    PaintBlock(pixels, w, {10, 10, 3, 2}, 180);
    PaintBlock(pixels, w, {40, 20, 3, 2}, 180);
    PaintBlock(pixels, w, {50, 5, 4, 6}, 180);
    PaintBlock(pixels, w, {0, 30, 5, 5}, 180); // on the border
    SaveGreyBmp(dir.File("sp.bmp"), w, h, pixels);
    ProgramRun run = Cli(dir, {"speckle-stats", "sp.bmp", "-o", "xy.dat", "--type", "0"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadFileBytes(dir.File("xy.dat")), "x_size    y_size   how_many\n3    2    2 \n4    6    1 \n");
    run = Cli(dir,
              {"speckle-stats", "sp.bmp", "-o", "area.dat", "--type", "1", "--rect", "0", "0", "45", "39"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadFileBytes(dir.File("area.dat")), " area   how_many\n 6    2 \n");
    run = Cli(dir, {"speckle-stats", "sp.bmp", "-o", "x.dat", "--type", "2", "--max-x", "3"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(ReadFileBytes(dir.File("x.dat")), "x_size   how_many\n 3    2\n 4    1\n");

    EXPECT_EQ(Cli(dir, {"speckle-stats", "sp.bmp", "-o", "t.dat"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"speckle-stats", "sp.bmp", "-o", "t.dat", "--type", "4"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"speckle-stats", "sp.bmp", "-o", "t.dat", "--type", "0", "--rect", "1", "2"}).Status,
              2);
    const ProgramRun bad =
        Cli(dir, {"speckle-stats", "sp.bmp", "-o", "t.dat", "--type", "0", "--max-y", "0"});
    EXPECT_EQ(bad.Status, 1);
    EXPECT_NE(bad.Err.find("The largest speckle size must be at least 1 pixel"), std::string::npos)
        << bad.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("t.dat")));
}

} // namespace
} // namespace corvane
