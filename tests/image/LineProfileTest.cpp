#include "image/LineProfile.h"

#include "support/ErrorText.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace test;

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
