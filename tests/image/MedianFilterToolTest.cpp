#include "image/MedianFilterTool.h"

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace test;

TEST(MedianFilterTool, TrackBarPositionSetsTheOddWindow) {
    EXPECT_EQ(MedianWindowSide(4), 5);
    EXPECT_EQ(MedianWindowSide(3), 3);
    EXPECT_EQ(MedianWindowSide(1), 1);
    EXPECT_EQ(MedianWindowSide(0), 1);
    // A bright 3 x 3 block fills a 3 x 3 window but is a minority of a 5 x 5 one.
    auto block = [](int x, int y) { return x >= 4 && x <= 6 && y >= 3 && y <= 5 ? 200 : 10; };
    auto three = MakeGreyPicture(11, 9, block);
    ApplyMedianFilterTool(*three, 3);
    EXPECT_EQ(three->GetPixel(5, 4), 200);
    auto five = MakeGreyPicture(11, 9, block);
    ApplyMedianFilterTool(*five, 4);
    EXPECT_EQ(five->GetPixel(5, 4), 10);
    auto one = MakeGreyPicture(11, 9, [](int x, int y) { return (x * 37 + y * 91) % 256; });
    ApplyMedianFilterTool(*one, 1);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 11; ++x)
            ASSERT_EQ(one->GetPixel(x, y), (x * 37 + y * 91) % 256);

    // Spikes at (2, 2), which a 5 x 5 window reaches, and at (1, 1), which none does.
    auto map = MakeFloatMap(11, 9, [&](int x, int y) { return x == y && x < 3 ? 300.0 : block(x, y) * 0.5; });
    ApplyMedianFilterTool(*map, 4);
    EXPECT_EQ(map->GetPixel(5, 4), 5.0f);
    EXPECT_EQ(map->GetPixel(2, 2), 5.0f);
    EXPECT_EQ(map->GetPixel(1, 1), 300.0f);
}

} // namespace
} // namespace corvane
