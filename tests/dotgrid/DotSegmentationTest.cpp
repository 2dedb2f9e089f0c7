// Segmentation (simple and adaptive thresholds, Modify), dot extraction and centres, speckle statistics.
#include "dotgrid/DotExtraction.h"
#include "dotgrid/HistogramBars.h"
#include "dotgrid/ModifySegment.h"
#include "dotgrid/SpeckleTableFile.h"
#include "dotgrid/TDotGridEncoder.h"
#include "dotgrid/TSpeckleStatistics.h"
#include "dotgrid/TThresholdSegment.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "support/DotPictures.h"
#include "support/ErrorText.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

namespace corvane {
namespace {

using namespace test;

/// A picture of blocks of one grey on a background.
struct BlockPicture {
    std::int32_t Width, Height;
    std::vector<std::uint8_t> Pixels;
    BlockPicture(std::int32_t w, std::int32_t h, std::uint8_t background)
        : Width(w), Height(h), Pixels(static_cast<std::size_t>(w) * h, background) {}
    BlockPicture& Add(SpeckleBlock b, std::uint8_t value) {
        PaintBlock(Pixels, Width, b, value);
        return *this;
    }
    TGrayImage Image() { return TGrayImage(Pixels.data(), Width, Height); }
};

TEST(DotExtraction, BorderComponentsAreNeverDotsAndDotsAreNumberedByTheirFirstPixel) {
    // Touching each border (last row and column included), and three inner dots whose first
    // pixels come in another order than their centroids.
    BlockPicture p(40, 30, 0);
    p.Add({0, 10, 3, 3}, 200).Add({39, 5, 1, 4}, 200).Add({12, 0, 4, 2}, 200).Add({20, 27, 5, 3}, 200);
    p.Add({30, 12, 3, 3}, 200); // first pixel row 12
    p.Add({5, 8, 2, 15}, 200);  // first pixel row 8, centroid row 15
    p.Add({18, 10, 6, 2}, 200); // first pixel row 10
    TGrayImage image = p.Image();
    TDotGridEncoder encoder(image, {});
    encoder.ClearBorderDots();
    encoder.NoiseThreshold = 1;
    encoder.RemoveNoise(nullptr);
    EXPECT_EQ(encoder.FDotSum, 3);
    encoder.BuildDotTable(nullptr);
    ASSERT_EQ(encoder.FDotIndex, 3);
    const auto& d = encoder.FDotInfo;
    EXPECT_EQ((std::array{d[0].X, d[0].Y, d[1].X, d[1].Y, d[2].X, d[2].Y}),
              (std::array{5.5f, 15.0f, 20.5f, 10.5f, 31.0f, 13.0f}));
    EXPECT_EQ(d[0].Area, 30);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(std::pair(d[i].Neighbour[2], d[i].Coded), std::pair(-1, false)) << i;
    // The table is built on the backup: the work image still holds the inner dots, not the border ones.
    const TGrayImage& work = *encoder.WorkImage;
    EXPECT_EQ((std::array<int, 3>{work.GetPixel(31, 13), work.GetPixel(1, 11), work.GetPixel(39, 6)}),
              (std::array{200, 0, 0}));
}

TEST(DotExtraction, AreaEqualToTheThresholdIsKeptOneLessIsRemovedAndANegativeOneMeansTen) {
    // Inner components of 9, 10 and 12 pixels.
    auto p = BlockPicture(30, 20, 255).Add({3, 3, 3, 3}, 10).Add({10, 3, 5, 2}, 10).Add({20, 8, 4, 3}, 10);
    for (const int threshold : {10, -1}) {
        TGrayImage image = p.Image();
        TDotGridEncoder encoder(image, {.WhiteGrid = false});
        encoder.NoiseThreshold = threshold;
        encoder.RemoveNoise(nullptr);
        // The 9-pixel one is gone for good.
        EXPECT_EQ(std::tuple(encoder.NoiseThreshold, encoder.FDotSum, encoder.WorkImage->GetPixel(4, 4)),
                  std::tuple(10, 2, 255));
        encoder.BuildDotTable(nullptr);
        ASSERT_EQ(encoder.FDotIndex, 2);
        EXPECT_EQ(std::pair(encoder.FDotInfo[0].Area, encoder.FDotInfo[1].Area), std::pair(10, 12));
    }
}

TEST(DotExtraction, MeanAreaLeastAreaAndTheirMessages) {
    auto p = BlockPicture(30, 20, 0)
                 .Add({0, 0, 10, 10}, 90)
                 .Add({3, 13, 2, 2}, 90)
                 .Add({12, 5, 4, 4}, 90)
                 .Add({20, 5, 4, 2}, 90);
    TGrayImage image = p.Image();
    TDotGridEncoder encoder(image, {});
    EXPECT_EQ(encoder.AutoEvaluate(), (4 + 16 + 8) / 3); // the border block does not count
    EXPECT_EQ(encoder.MaxArea, 16);
    EXPECT_EQ(EvaluateLeastArea(image, true), 2 * 9 / 3);

    encoder.NoiseThreshold = 17;
    EXPECT_EQ(ErrorText([&] { encoder.RemoveNoise(nullptr); }),
              "No dots in this image\nmay be you should give a small noise threshold");
    TGrayImage emptyImage(nullptr, 30, 20);
    EXPECT_EQ(EvaluateLeastArea(emptyImage, true), 0);
    EXPECT_EQ(ErrorText([&] { ExtractDots(emptyImage, {}); }),
              "No dots in this image\nmay be you should give a small noise threshold");
    // More components than counted is reported and the picture is put back.
    auto two = BlockPicture(20, 20, 0).Add({3, 3, 2, 2}, 90).Add({10, 10, 2, 2}, 90);
    TGrayImage twoImage = two.Image();
    TDotGridEncoder counted(twoImage, {});
    counted.FDotSum = 1; // as if counted on another picture
    EXPECT_EQ(ErrorText([&] { counted.BuildDotTable(nullptr); }),
              "May be some dots are error, because FDotIndex > FDotSum");
    EXPECT_EQ(std::memcmp(counted.WorkImage->Data, two.Pixels.data(), two.Pixels.size()), 0);
}

TEST(DotExtraction, AComponentCoveringMostOfALargePictureNeedsNoCallDepthAndKeepsItsSums) {
    // A 3000 x 2000 frame-shaped snake of full grey: weighted sums far beyond 32 bits.
    const int w = 3000, h = 2000;
    BlockPicture p(w, h, 0);
    for (int y = 2; y < h - 2; y += 4) {
        p.Add({2, y, w - 4, 2}, 255);
        p.Add({(y / 4) % 2 ? 2 : w - 4, y + 2, 2, 2}, 255);
    }
    TGrayImage image = p.Image();
    TDotGridEncoder encoder(image, {});
    encoder.NoiseThreshold = 1;
    encoder.RemoveNoise(nullptr);
    EXPECT_EQ(encoder.FDotSum, 1);
    encoder.BuildDotTable(nullptr);
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (p.Pixels[static_cast<std::size_t>(y) * w + x]) sx += x, sy += y, ++n;
    EXPECT_EQ(encoder.FDotInfo[0].Area, static_cast<int>(n));
    EXPECT_NEAR(encoder.FDotInfo[0].X, sx / n, 1e-3);
    EXPECT_NEAR(encoder.FDotInfo[0].Y, sy / n, 1e-3);
}

// weighted sums pass 2^24, where sums rounded to float first put the centre one step off on both
// axes. Dark on white, the weights 255 - v are the same.
TEST(DotCentreRounding, SumsPastTwoToThe24GiveTheNearestFloat) {
    const int width = 1790, height = 1760, x0 = 1765, y0 = 1740;
    double sumWX = 0, sumWY = 0, sumW = 0;
    std::vector<std::uint8_t> white(std::size_t{width} * height, 0), black(white.size(), 255);
    for (int y = y0; y < y0 + 6; ++y)
        for (int x = x0; x < x0 + 7; ++x) {
            const int w = x == x0 && y == y0 ? 4 : 255;
            white[std::size_t(y) * width + x] = std::uint8_t(w);
            black[std::size_t(y) * width + x] = std::uint8_t(255 - w);
            sumWX += w * x, sumWY += w * y, sumW += w;
        }
    ASSERT_NE(float(sumWX) / float(sumW), float(sumWX / sumW)) << "the data tells the rules apart";
    ASSERT_NE(float(sumWY) / float(sumW), float(sumWY / sumW));
    for (bool whiteDots : {true, false}) {
        TGrayImage picture((whiteDots ? white : black).data(), width, height);
        const std::vector<TDotInfo> dots = ExtractDots(picture, {whiteDots, 10});
        ASSERT_EQ(dots.size(), 1u);
        EXPECT_EQ(dots[0].X, float(sumWX / sumW));
        EXPECT_EQ(dots[0].Y, float(sumWY / sumW));
    }
}

/// The four saved tables of one analysis of a copy of the picture.
std::vector<std::string> Tables(BlockPicture p, const TSpeckleAnalysisOptions& options) {
    TGrayImage image = p.Image();
    const auto statistics = AnalyseSpeckles(image, options);
    test::TempDir dir;
    std::vector<std::string> tables;
    for (int type = 0; type < 4; ++type) {
        static const char* const kNames[] = {"xy.dat", "area.dat", "x.dat", "y.dat"};
        const std::string name = dir.File(kNames[type]);
        WriteSpeckleTable(name, *statistics, static_cast<TSpeckleOutputType>(type));
        tables.push_back(test::ReadFileBytes(name));
    }
    return tables;
}

const std::vector<std::string> kHeaders = {"x_size    y_size   how_many\n", " area   how_many\n",
                                           "x_size   how_many\n", "y_size    how_many\n"};

// The rows of the four tables after their headers ("-": not checked), white speckles on black unless
// told: the default rectangle counts nothing; an L of 5 pixels in a 3 x 2 box and a 2 x 4 block, dark
// on white; sizes beyond the range only in the overflow bins (40 wide, 1 x 1 below the size table's
// range, area 22 in a 5 x 6 box); speckles touching the border never count and the fill stays in the
// rectangle (a 6 x 4 block cut at x = 12); in a 2 x 3 range area 16 goes to entry 7 and 4 x 4 to the
// overflow column 3 and row 4; a negative lower size has no columns to list: the table starts at 0.
TEST(SpeckleStatistics, SizeAreaWidthAndHeightTables) {
    const auto square = BlockPicture(30, 30, 0).Add({5, 5, 4, 4}, 200);
    const std::tuple<BlockPicture, TSpeckleAnalysisOptions, std::array<std::string, 4>> cases[] = {
        {BlockPicture(60, 40, 0).Add({10, 10, 3, 2}, 200).Add({30, 20, 5, 5}, 200), {}, {"", "", "", ""}},
        {BlockPicture(50, 30, 255)
             .Add({20, 10, 3, 1}, 40)
             .Add({20, 11, 1, 1}, 90)
             .Add({22, 11, 1, 1}, 90)
             .Add({8, 20, 2, 4}, 0),
         {.WhiteSpeckle = false, .Left = 0, .Top = 0, .Right = 49, .Bottom = 29},
         {"3    2    1 \n2    4    1 \n", " 5    1 \n 8    1 \n", " 2    1\n 3    1\n",
          " 2    1 \n 4    1 \n"}},
        {BlockPicture(80, 30, 0)
             .Add({10, 10, 40, 2}, 200)
             .Add({60, 3, 1, 1}, 200)
             .Add({60, 10, 4, 5}, 200)
             .Add({64, 10, 1, 1}, 200)
             .Add({64, 15, 1, 1}, 200),
         {.MinX = 2, .MaxX = 30, .MinY = 2, .MaxY = 5, .Left = 0, .Top = 0, .Right = 79, .Bottom = 29},
         {"", " 1    1 \n 22    1 \n 80    1 \n", " 1    1\n 5    1\n 31    1\n",
          " 1    1 \n 2    1 \n 6    1 \n"}},
        {BlockPicture(40, 30, 0)
             .Add({0, 5, 3, 3}, 200)
             .Add({37, 20, 3, 3}, 200)
             .Add({10, 0, 2, 2}, 200)
             .Add({20, 28, 4, 2}, 200)
             .Add({10, 10, 6, 4}, 200),
         {.Left = -5, .Top = -5, .Right = 12, .Bottom = 100},
         {"3    4    1 \n", " 12    1 \n", "-", "-"}},
        {square,
         {.MinX = 1, .MaxX = 2, .MinY = 1, .MaxY = 3, .Left = 0, .Top = 0, .Right = 29, .Bottom = 29},
         {"-", " 7    1 \n", " 3    1\n", " 4    1 \n"}},
        {square,
         {.MinX = -3, .MaxX = 4, .MinY = -2, .MaxY = 4, .Left = 0, .Top = 0, .Right = 29, .Bottom = 29},
         {"4    4    1 \n", "-", "-", "-"}},
    };
    for (std::size_t c = 0; c < std::size(cases); ++c) {
        const auto& [picture, options, rows] = cases[c];
        const auto tables = Tables(picture, options);
        for (std::size_t k = 0; k < 4; ++k)
            EXPECT_EQ(tables[k], rows[k] == "-" ? tables[k] : kHeaders[k] + rows[k])
                << "case " << c << ", table " << k;
    }
    auto p = square;
    TGrayImage image = p.Image();
    for (const auto& [maxX, maxY, message] : std::vector<std::tuple<int, int, std::string>>{
             {0, 30, "The largest speckle size must be at least 1 pixel"},
             {30, -4, "The largest speckle size must be at least 1 pixel"},
             {100000, 100000, "Not enought memory to allocate"}})
        EXPECT_EQ(ErrorText([&] { AnalyseSpeckles(image, {.MaxX = maxX, .MaxY = maxY}); }), message);
}

std::unique_ptr<TGrayImage> RandomPicture(int width, int height, unsigned seed) {
    std::mt19937 rng(seed);
    return MakeGreyPicture(width, height, [&](int, int) { return rng() & 0xFF; });
}

TEST(SimpleThreshold, LevelsBothSidesOfTheLevelRectanglesAndModify) {
    // Values 99, 100, 101 against level 100: white dots zero only 99; black dots saturate only 101.
    auto white = MakeGreyPicture(3, 2, [](int x, int y) { return 99 + x + 0 * y; });
    SegmentSimple(*white, {.Level = 100, .WhiteDots = true});
    EXPECT_EQ(Levels(*white), (std::vector<std::uint8_t>{0, 100, 101, 0, 100, 101}));
    auto black = MakeGreyPicture(3, 2, [](int x, int y) { return 99 + x + 0 * y; });
    SegmentSimple(*black, {.Level = 100, .WhiteDots = false});
    EXPECT_EQ(Levels(*black), (std::vector<std::uint8_t>{99, 100, 255, 99, 100, 255}));
    // A rectangle is inclusive and clipped to the picture.
    auto flat = MakeGreyPicture(6, 4, [](int, int) { return 50; });
    TThresholdSegment segment(*flat, false);
    segment.SimpleThreshold(nullptr, 100, 3, 2, 99, 99); // reaches the last row and column
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(flat->GetPixel(x, y), (x >= 3 && y >= 2) ? 0 : 50) << x << "," << y;
    // "Modify" fills the clipped rectangle with the background, and nothing when it is reversed.
    auto wiped = MakeGreyPicture(10, 7, [](int, int) { return 120; });
    ModifySegment(*wiped, 5, 2, 3, 4, true); // Right < Left
    EXPECT_EQ(Levels(*wiped), std::vector<std::uint8_t>(70, 120));
    ModifySegment(*wiped, 7, -3, 50, 1, true); // beyond the right and above the top
    ModifySegment(*wiped, -2, 5, 0, 6, false); // black dots: 255, left of the picture
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x) {
            const int expected = (x >= 7 && y <= 1) ? 0 : (x == 0 && y >= 5) ? 255 : 120;
            EXPECT_EQ(wiped->GetPixel(x, y), expected) << x << "," << y;
        }
}

TEST(AdaptiveThreshold, WindowMeansWithMarginsAndAdjustClampedToTheGreyRange) {
    // 50 x 33 with 12 x 10 windows: 4 x 3 windows, margins 1 and 1. Window (i, j) of the slope 4 x + y
    // has the mean 31.5 + 48 i + 10 j, truncated; with 80 added most stay below 255, the others clamp.
    auto image = MakeGreyPicture(50, 33, [](int x, int y) { return 4 * x + y; });
    TThresholdSegment segment(*image, false);
    segment.WinWidth = 12, segment.WinHeight = 10, segment.Adjust = 80;
    segment.AdaptiveThreshold(nullptr);
    EXPECT_EQ(std::tuple(segment.Nx, segment.Ny, segment.FirstCentreX, segment.FirstCentreY),
              std::tuple(4, 3, 1 + 6, 1 + 5));
    EXPECT_EQ(segment.ThresholdGrid,
              (std::vector<int>{111, 159, 207, 255, 121, 169, 217, 255, 131, 179, 227, 255}));
}

// Non-square, unequal window sides, margins on both axes and a sloped picture, so that the
// extrapolated edges and corners differ from the inner values: the pixels each dot colour changes
// in the nine zones (edge margins and inner cells), counted from the zone-by-zone rules.
TEST(AdaptiveThreshold, ChangedPixelsInTheNineZones) {
    for (const auto& [white, expected] :
         {std::pair(true, std::array{79, 188, 33, 187, 715, 195, 69, 180, 72}),
          std::pair(false, std::array{74, 425, 144, 421, 1681, 481, 119, 559, 136})}) {
        auto image =
            MakeGreyPicture(97, 61, [](int x, int y) { return (x * 2 + y + (7 * x + 13 * y) % 40) % 256; });
        const auto original = Levels(*image);
        TThresholdSegment segment(*image, false);
        segment.WinWidth = 21, segment.WinHeight = 13, segment.Adjust = -7, segment.WhiteDots = white;
        segment.AdaptiveThreshold(nullptr);
        std::array<int, 9> changed{};
        const auto zone = [](int v, int first, int last) { return v < first ? 0 : v < last ? 1 : 2; };
        for (int y = 0; y < 61; ++y)
            for (int x = 0; x < 97; ++x)
                changed[std::size_t(3 * zone(y, segment.FirstCentreY, segment.LastCentreY) +
                                    zone(x, segment.FirstCentreX, segment.LastCentreX))] +=
                    image->GetPixel(x, y) != original[std::size_t(y) * 97 + x];
        EXPECT_EQ(changed, expected) << white;
    }
}

TEST(AdaptiveThreshold, ARegionIsSegmentedAsAPictureOfItsOwnAndNothingOutsideChanges) {
    auto whole = RandomPicture(90, 70, 3);
    const auto original = Levels(*whole);
    TThresholdSegment segment(*whole, false);
    segment.SetRegion(11, 7, 200, 61); // clipped to the last column
    segment.WinWidth = 15, segment.WinHeight = 12;
    segment.AdaptiveThreshold(nullptr);
    EXPECT_EQ(std::pair(segment.Width, segment.Height), std::pair(79, 55));
    // The same block cut out and segmented alone.
    auto block = MakeGreyPicture(
        79, 55, [&](int x, int y) { return original[static_cast<std::size_t>(y + 7) * 90 + x + 11]; });
    TThresholdSegment alone(*block, false);
    alone.WinWidth = 15, alone.WinHeight = 12;
    alone.AdaptiveThreshold(nullptr);
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 90; ++x) {
            const bool inside = x >= 11 && y >= 7 && y <= 61;
            ASSERT_EQ(whole->GetPixel(x, y), inside ? block->GetPixel(x - 11, y - 7)
                                                    : original[static_cast<std::size_t>(y) * 90 + x])
                << x << "," << y;
        }
}

TEST(AdaptiveThreshold, RefusesWindowsThatDoNotFitTwiceAcrossAndDown) {
    for (const int size : {0, -5, 42, 1000}) {
        auto image = RandomPicture(100, 83, 2);
        const auto original = Levels(*image);
        EXPECT_EQ(
            ErrorText([&] { SegmentAdaptive(*image, {.WindowSize = size, .Adjust = 0, .WhiteDots = true}); }),
            "The window size must be between 1 and 41 pixels, so that two windows fit across and down "
            "the picture");
        EXPECT_EQ(Levels(*image), original) << size;
    }
    // The largest window is taken: it clears the pixels darker than their surroundings.
    auto image = RandomPicture(100, 83, 2);
    SegmentAdaptive(*image, {.WindowSize = 41, .Adjust = 0, .WhiteDots = true});
    EXPECT_GT(std::count(image->Data, image->Data + image->Size, 0), 1000);
}

TEST(HistogramBars, LogarithmicBarsFromTheBottomRowWithTheLargestJustBelowTheTop) {
    EXPECT_EQ(HistogramBarTop(0, 5000, 110), 109); // an empty level has no bar above the bottom row
    // 109 - ln(5001) * 109 / ln(5002) = 0.0026: the largest bar reaches row 0.
    EXPECT_EQ(HistogramBarTop(5000, 5000, 110), 0);
    // 109 - ln(101) * 109 / ln(5002) = 49.94: row 49.
    EXPECT_EQ(HistogramBarTop(100, 5000, 110), 49);
    // An empty histogram counts its maximum as 1: ln(1) = 0 still gives the bottom row.
    EXPECT_EQ(HistogramBarTop(0, 0, 110), 109);
    EXPECT_EQ(HistogramBarTop(7, -3, 110), HistogramBarTop(7, 1, 110)); // never a division by ln(1) = 0
}

} // namespace
} // namespace corvane
