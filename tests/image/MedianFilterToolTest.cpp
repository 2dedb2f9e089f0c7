#include "image/MedianFilterTool.h"

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/FloatMaps.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace test;

TEST(MedianFilterTool, TrackBarPositionSetsTheOddWindow) {
    for (const auto& [position, side] : {std::pair{4, 5}, {3, 3}, {1, 1}, {0, 1}})
        EXPECT_EQ(MedianWindowSide(position), side) << position;
    auto block = [](int x, int y) { return x >= 4 && x <= 6 && y >= 3 && y <= 5 ? 200 : 10; };
    // Spikes at (2, 2), which a 5 x 5 window reaches, and at (1, 1), which none does.
    auto map = MakeFloatMap(11, 9, [&](int x, int y) { return x == y && x < 3 ? 300.0 : block(x, y) * 0.5; });
    ApplyMedianFilterTool(*map, 4);
    EXPECT_EQ(map->GetPixel(5, 4), 5.0f);
    EXPECT_EQ(map->GetPixel(2, 2), 5.0f);
    EXPECT_EQ(map->GetPixel(1, 1), 300.0f);
}

} // namespace
} // namespace corvane
