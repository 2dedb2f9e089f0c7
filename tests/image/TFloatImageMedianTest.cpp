#include "image/MedianFilterTool.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/BubbleMedian.h"
#include "support/FloatMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using namespace corvane;
using test::MakeFloatMap;

namespace {

/// A random map; with few levels many values tie, with none they are normally distributed.
std::vector<float> RandomValues(int count, int levels, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> level(0, std::max(levels - 1, 0));
    std::normal_distribution<float> noise(0.0f, 100.0f);
    std::vector<float> values(static_cast<std::size_t>(count));
    for (float& v : values)
        v = levels > 0 ? level(rng) * 0.5f - 1.0f : noise(rng);
    return values;
}

/// The filter's result on a width x height map against the plain procedure's.
void ExpectLikeBubbleMedian(int width, int height, int levels, unsigned seed, int x1, int y1, int x2, int y2,
                            int w, int h) {
    std::vector<float> expected = RandomValues(width * height, levels, seed);
    std::vector<float> values = expected;
    TFloatImage map(values.data(), width, height);
    map.MedianFilter(x1, y1, x2, y2, w, h);
    test::BubbleMedian(expected, width, x1, y1, x2, y2, w, h);
    EXPECT_EQ(values, expected) << w << "x" << h << " levels " << levels << " width " << width << " region "
                                << x1 << "," << y1 << "-" << x2 << "," << y2;
}

} // namespace

TEST(TFloatImageMedian, MatchesTheBubblePassFilterOnWholeMapsAndRegions) {
    // Reduced networks up to 7x7, 9x1 and 11x3; 9x9 slides a sorted window; 4x2 is raised to 5x3.
    const std::pair<int, int> windows[] = {{3, 3}, {5, 5}, {7, 7},  {1, 5}, {5, 3},
                                           {9, 1}, {9, 9}, {11, 3}, {4, 2}};
    unsigned seed = 1;
    for (const auto& [w, h] : windows)
        for (int levels : {0, 3, 7})
            for (int width : {5, 40, 150}) // below, around and beyond the 64-column blocks
                ExpectLikeBubbleMedian(width, 23, levels, seed++, 0, 0, width - 1, 22, w, h);
    // The region form leaves everything outside the region; 23 is wider than the region.
    for (int window : {3, 5, 9, 23})
        ExpectLikeBubbleMedian(30, 20, 5, 77, -4, 3, 21, 100, window, window);
}

TEST(TFloatImageMedian, NotANumberInTheMapIsFilteredSafely) {
    std::vector<float> values = RandomValues(90 * 30, 0, 9);
    for (std::size_t i = 0; i < values.size(); i += 3)
        values[i] = NAN;
    TFloatImage map(values.data(), 90, 30);
    map.MedianFilter(7, 7);
    map.MedianFilter(3, 3);
    EXPECT_FALSE(std::isnan(map.GetPixel(1, 0))) << "the top rows keep their numbers";
}

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
