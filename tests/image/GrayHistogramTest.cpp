#include "image/GrayHistogram.h"
#include "image/LineProfile.h"
#include "support/ErrorText.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace corvane {
namespace {

using namespace test;

TEST(GrayHistogram, StatisticsAgreeWithADirectComputation) {
    // 7 x 5 levels 3 x + 11 y (mod 256): an uneven spread with repeated levels.
    const auto picture = MakeGreyPicture(7, 5, [](int x, int y) { return (3 * x + 11 * y * y) % 256; });
    const HistogramStatistics s = GrayHistogram(*picture);
    EXPECT_NEAR(s.Mean, 75.0, 1e-4);
    EXPECT_NEAR(s.StdDev, 65.16748, 1e-3);
    EXPECT_EQ(s.Median, 53); // the 18th of 35 reaches half
    EXPECT_EQ(s.Pixels, 35.0f);

    // An even count whose running sum meets half exactly at a level takes that level.
    const auto halves = MakeGreyPicture(2, 2, [](int x, int) { return x == 0 ? 10 : 200; });
    EXPECT_EQ(GrayHistogram(*halves).Median, 10);
    // No pixels: one pixel is assumed, everything else 0.
    const HistogramStatistics empty = StatisticsOf({});
    EXPECT_EQ(empty.Pixels, 1.0f);
    EXPECT_EQ(empty.MaxCount, 1);
    EXPECT_EQ(LabelsOf(empty).Pixels, "Pixels: 1");
}

TEST(GrayHistogram, ColourBitmapCountsEachChannelAndTheRoundedGrey) {
    // Two rows of 3 pixels as B, G, R, X with 4 bytes of padding per row.
    const std::vector<std::uint8_t> bytes = {0, 0, 1, 9, 255, 255, 255, 9, 10, 20, 30, 9, 7, 7, 7, 7, //
                                             2, 0, 0, 9, 1,   1,   0,   9, 30, 20, 10, 9, 7, 7, 7, 7};
    const RgbBitmapView view{bytes.data(), 3, 2, 16, 4, 2, 1, 0};
    const auto h = ColourHistograms(view);
    // The levels counted in each channel; a grey sum of 1 gives 0 and of 2 gives 1 (mean + 0.5 truncated).
    const auto counted = [&](HistogramChannel channel) {
        std::map<int, int> levels;
        for (int level = 0; level < 256; ++level)
            if (const int n = h[static_cast<int>(channel)].Counts[level]) levels[level] = n;
        return levels;
    };
    using Levels = std::map<int, int>;
    EXPECT_EQ(counted(HistogramChannel::Gray), (Levels{{0, 1}, {1, 2}, {20, 2}, {255, 1}}));
    EXPECT_EQ(counted(HistogramChannel::Red), (Levels{{0, 2}, {1, 1}, {10, 1}, {30, 1}, {255, 1}}));
    EXPECT_EQ(counted(HistogramChannel::Green), (Levels{{0, 2}, {1, 1}, {20, 2}, {255, 1}}));
    EXPECT_EQ(counted(HistogramChannel::Blue), (Levels{{0, 1}, {1, 1}, {2, 1}, {10, 1}, {30, 1}, {255, 1}}));
    EXPECT_EQ(ErrorText([&] {
                  ColourHistograms({bytes.data(), 5, 2, 16, 4, 2, 1, 0});
              }),
              "the bitmap has no pixels to count");
}

TEST(GrayHistogram, MouseLevelsAndRangesEitherWay) {
    for (const auto& [x, level] : {std::pair{0, 0}, {1, 0}, {2, 1}, {256, 255}, {400, 255}})
        EXPECT_EQ(HistogramLevelAt(x), level) << x;
    const auto picture = MakeGreyPicture(5, 2, [](int x, int y) { return 10 * x + y; });
    const HistogramStatistics s = GrayHistogram(*picture);
    const HistogramReadout forth = RangeReadout(s, 10, 30);
    const HistogramReadout back = RangeReadout(s, 30, 10);
    EXPECT_EQ(forth.Level, "Level: 10...30");
    EXPECT_EQ(forth.Count, "Count: 5"); // 10, 20, 30 of row 0 and 11, 21 of row 1
    EXPECT_EQ(forth.Percentile, "Percentile: 50.000");
    EXPECT_EQ(std::tie(back.Level, back.Count, back.Percentile),
              std::tie(forth.Level, forth.Count, forth.Percentile));
}

TEST(LineProfile, RowsAndColumnsOfAColourBitmapAreUnroundedMeans) {
    // 3 x 2 pixels as R, G, B, two bytes of padding per row.
    const std::vector<std::uint8_t> bytes = {1, 0, 0, 10, 20, 30, 255, 255, 254, 0, 0, //
                                             3, 3, 3, 0,  0,  2,  9,   9,   9,   0, 0};
    const RgbBitmapView view{bytes.data(), 3, 2, 11, 3, 0, 1, 2};
    EXPECT_EQ(LineProfile(view, ProfileDirection::Horizontal, 0),
              (std::vector<float>{1.0f / 3.0f, 20.0f, 764.0f / 3.0f}));
    EXPECT_EQ(LineProfile(view, ProfileDirection::Horizontal, 1),
              (std::vector<float>{3.0f, 2.0f / 3.0f, 9.0f}));
    EXPECT_EQ(LineProfile(view, ProfileDirection::Vertical, 2), (std::vector<float>{764.0f / 3.0f, 9.0f}));
    EXPECT_EQ(ErrorText([&] { LineProfile(view, ProfileDirection::Horizontal, 2); }),
              "row 2 is not in the picture (0..1)");
    EXPECT_EQ(ErrorText([&] { LineProfile(view, ProfileDirection::Vertical, -1); }),
              "column -1 is not in the picture (0..2)");

    const auto gray = MakeGreyPicture(4, 3, [](int x, int y) { return 50 * y + x; });
    EXPECT_EQ(LineProfile(*gray, ProfileDirection::Vertical, 3), (std::vector<float>{3.0f, 53.0f, 103.0f}));
    EXPECT_EQ(LineProfile(*gray, ProfileDirection::Horizontal, 2), (std::vector<float>{100, 101, 102, 103}));
}

TEST(LineProfile, PlotRowsSpanTheHeightAndAFlatProfileLiesOnTheBottom) {
    EXPECT_EQ(ProfilePlotRows({40.0f, 40.0f, 40.0f}, 101), (std::vector<std::int32_t>{100, 100, 100}));
    EXPECT_EQ(ProfilePlotRows({10.0f, 20.0f, 15.0f, 12.5f}, 101),
              (std::vector<std::int32_t>{100, 0, 50, 75}));
}

TEST(LineProfile, DataFileRefusesNoDataAndAMissingFolder) {
    TempDir dir;
    const std::vector<float> values = {0.25f, 6.25f}; // the lines themselves: the profile verb's test
    EXPECT_EQ(ErrorText([&] { SaveProfileData(dir.File("none.dat"), {}); }), " no data ");
    const std::string nowhere = dir.File("no-folder/row.dat");
    EXPECT_EQ(ErrorText([&] { SaveProfileData(nowhere, values); }), "Can not output data to " + nowhere);
}

} // namespace
} // namespace corvane
