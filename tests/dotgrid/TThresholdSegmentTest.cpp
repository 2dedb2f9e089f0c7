#include "dotgrid/TThresholdSegment.h"
#include "dotgrid/HistogramBars.h"
#include "dotgrid/ModifySegment.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <random>
#include <tuple>
#include <vector>

namespace corvane {
namespace {

using test::Levels;
using test::MakeGreyPicture;

std::unique_ptr<TGrayImage> RandomPicture(int width, int height, unsigned seed) {
    std::mt19937 rng(seed);
    return MakeGreyPicture(width, height, [&](int, int) { return rng() & 0xFF; });
}

TEST(SimpleThreshold, LevelsZeroAndTwoFiftyFiveAndBothSidesOfTheLevel) {
    auto image = RandomPicture(37, 23, 5);
    const auto original = Levels(*image);
    SegmentSimple(*image, {.Level = 0, .WhiteDots = true});
    EXPECT_EQ(Levels(*image), original);
    SegmentSimple(*image, {.Level = 255, .WhiteDots = true});
    for (std::size_t i = 0; i < original.size(); ++i)
        ASSERT_EQ(image->Data[i], original[i] == 255 ? 255 : 0) << i;

    // Values 99, 100, 101 against level 100: white dots zero only 99; black dots saturate only 101.
    auto white = MakeGreyPicture(3, 2, [](int x, int y) { return 99 + x + 0 * y; });
    SegmentSimple(*white, {.Level = 100, .WhiteDots = true});
    EXPECT_EQ(Levels(*white), (std::vector<std::uint8_t>{0, 100, 101, 0, 100, 101}));
    auto black = MakeGreyPicture(3, 2, [](int x, int y) { return 99 + x + 0 * y; });
    SegmentSimple(*black, {.Level = 100, .WhiteDots = false});
    EXPECT_EQ(Levels(*black), (std::vector<std::uint8_t>{99, 100, 255, 99, 100, 255}));
}

TEST(SimpleThreshold, RectangleIsInclusiveAndClippedToThePicture) {
    auto image = MakeGreyPicture(6, 4, [](int, int) { return 50; });
    TThresholdSegment segment(*image, false);
    segment.SimpleThreshold(nullptr, 100, 3, 2, 99, 99); // reaches the last row and column
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(image->GetPixel(x, y), (x >= 3 && y >= 2) ? 0 : 50) << x << "," << y;
}

TEST(AdaptiveThreshold, WindowMeansWithMarginsAndAdjustClampedToTheGreyRange) {
    // 50 x 33 with 12 x 10 windows: 4 x 3 windows, margins 1 and 1. Window (i, j) of the slope 4 x + y
    // has the mean 31.5 + 48 i + 10 j, truncated; with 80 added most stay below 255, the others clamp.
    auto image = MakeGreyPicture(50, 33, [](int x, int y) { return 4 * x + y; });
    TThresholdSegment segment(*image, false);
    segment.WinWidth = 12;
    segment.WinHeight = 10;
    segment.Adjust = 80;
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
        segment.WinWidth = 21;
        segment.WinHeight = 13;
        segment.Adjust = -7;
        segment.WhiteDots = white;
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
    segment.WinWidth = 15;
    segment.WinHeight = 12;
    segment.AdaptiveThreshold(nullptr);
    EXPECT_EQ(segment.Width, 79);
    EXPECT_EQ(segment.Height, 55);
    // The same block cut out and segmented alone.
    auto block = MakeGreyPicture(
        79, 55, [&](int x, int y) { return original[static_cast<std::size_t>(y + 7) * 90 + x + 11]; });
    TThresholdSegment alone(*block, false);
    alone.WinWidth = 15;
    alone.WinHeight = 12;
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
        try {
            SegmentAdaptive(*image, {.WindowSize = size, .Adjust = 0, .WhiteDots = true});
            ADD_FAILURE() << "window " << size << " accepted";
        } catch (const CorvaneError& e) {
            EXPECT_STREQ(e.what(), "The window size must be between 1 and 41 pixels, so that two windows fit "
                                   "across and down the picture");
        }
        EXPECT_EQ(Levels(*image), original) << size;
    }
    // The largest window is taken: it clears the pixels darker than their surroundings.
    auto image = RandomPicture(100, 83, 2);
    SegmentAdaptive(*image, {.WindowSize = 41, .Adjust = 0, .WhiteDots = true});
    EXPECT_GT(std::count(image->Data, image->Data + image->Size, 0), 1000);
}

TEST(ModifySegment, FillsTheClippedRectangleWithTheBackgroundAndNothingWhenReversed) {
    auto image = MakeGreyPicture(10, 7, [](int, int) { return 120; });
    ModifySegment(*image, 5, 2, 3, 4, true); // Right < Left
    EXPECT_EQ(Levels(*image), std::vector<std::uint8_t>(70, 120));
    ModifySegment(*image, 7, -3, 50, 1, true); // beyond the right and above the top
    ModifySegment(*image, -2, 5, 0, 6, false); // black dots: 255, left of the picture
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x) {
            const int expected = (x >= 7 && y <= 1) ? 0 : (x == 0 && y >= 5) ? 255 : 120;
            EXPECT_EQ(image->GetPixel(x, y), expected) << x << "," << y;
        }
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
