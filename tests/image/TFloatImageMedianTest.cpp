#include "image/CorvaneError.h"
#include "image/TFloatImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

using namespace corvane;

namespace {

/// The median filter as first described: a copy of the map, each window gathered row by row,
/// bubble passes k = n-1 down to n/2 sorting it in descending order, element n/2 written back.
void BubbleMedian(TFloatImage& map, int x1, int y1, int x2, int y2, int w, int h) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, map.Width - 1);
    y2 = std::min(y2, map.Height - 1);
    w = std::max(w, 1);
    h = std::max(h, 1);
    if (w % 2 == 0) ++w;
    if (h % 2 == 0) ++h;
    std::vector<float> copy(map.Data, map.Data + map.Width * map.Height);
    const int n = w * h;
    std::vector<float> window(static_cast<std::size_t>(n));
    for (int y = y1 + h / 2; y <= y2 - h / 2; ++y)
        for (int x = x1 + w / 2; x <= x2 - w / 2; ++x) {
            int k = 0;
            for (int j = y - h / 2; j <= y + h / 2; ++j)
                for (int i = x - w / 2; i <= x + w / 2; ++i) window[k++] = copy[j * map.Width + i];
            for (int pass = n - 1; pass >= n / 2; --pass)
                for (int j = 0; j < pass; ++j)
                    if (window[j] < window[j + 1]) std::swap(window[j], window[j + 1]);
            map.Data[y * map.Width + x] = window[n / 2];
        }
}

/// A random map; with few levels many values tie.
std::unique_ptr<TFloatImage> RandomMap(int w, int h, int levels, unsigned seed) {
    auto map = std::make_unique<TFloatImage>(nullptr, w, h);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> level(0, levels - 1);
    std::normal_distribution<float> noise(0.0f, 100.0f);
    for (int i = 0; i < w * h; ++i) map->Data[i] = levels > 0 ? level(rng) * 0.5f - 1.0f : noise(rng);
    return map;
}

void ExpectSameMaps(const TFloatImage& a, const TFloatImage& b, const std::string& what) {
    EXPECT_TRUE(std::equal(a.Data, a.Data + a.Width * a.Height, b.Data)) << what;
}

} // namespace

TEST(TFloatImageMedian, MatchesTheBubblePassFilterOnRandomMaps) {
    // Reduced networks up to 7x7, 9x1 and 11x3; 9x9 slides a sorted window; 4x2 is raised to 5x3.
    const std::pair<int, int> windows[] = {{3, 3}, {5, 5}, {7, 7}, {1, 5}, {5, 3}, {9, 1}, {9, 9}, {11, 3}, {4, 2}};
    unsigned seed = 1;
    for (const auto& [w, h] : windows)
        for (int levels : {0, 3, 7}) {
            // Widths below, around and beyond the 64-column blocks of the fast path.
            for (int width : {5, 40, 150}) {
                auto fast = RandomMap(width, 23, levels, seed);
                auto reference = RandomMap(width, 23, levels, seed++);
                fast->MedianFilter(w, h);
                BubbleMedian(*reference, 0, 0, width - 1, 22, w, h);
                ExpectSameMaps(*fast, *reference, std::to_string(w) + "x" + std::to_string(h) + " levels " +
                                                      std::to_string(levels) + " width " + std::to_string(width));
            }
        }
}

TEST(TFloatImageMedian, RegionFormLeavesEverythingOutsideTheRegion) {
    for (int window : {3, 5, 9, 23}) { // 23: wider than the region, nothing changes
        auto fast = RandomMap(30, 20, 5, 77);
        auto reference = RandomMap(30, 20, 5, 77);
        fast->MedianFilter(-4, 3, 21, 100, window, window);
        BubbleMedian(*reference, -4, 3, 21, 100, window, window);
        ExpectSameMaps(*fast, *reference, "window " + std::to_string(window));
    }
}

TEST(TFloatImageMedian, NotANumberInTheMapIsFilteredSafely) {
    auto map = RandomMap(90, 30, 0, 9);
    for (int i = 0; i < 90 * 30; i += 3) map->Data[i] = NAN;
    map->MedianFilter(7, 7);
    map->MedianFilter(3, 3);
    EXPECT_FALSE(std::isnan(map->GetPixel(1, 0))) << "the top rows keep their numbers";
}
