// Fills, sums and fits whose rectangle reaches the last row and column or covers the whole
// picture. Each picture borrows a buffer one element longer than it needs, holding a guard value,
// so a write one past the end shows in the data (and under the sanitizers as well).
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "image/TPhaseImage.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace corvane {
namespace {

constexpr int kW = 7, kH = 4; // wider than tall, so width and height cannot stand in for each other

template <class T> std::vector<T> Guarded(T guard) {
    std::vector<T> v(kW * kH + 1);
    std::iota(v.begin(), v.end() - 1, T(1));
    v.back() = guard;
    return v;
}

template <class T> std::vector<T> Expected(T fill, int x1, int y1, int x2, int y2, bool inside, T guard) {
    std::vector<T> v = Guarded(guard);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if ((x >= x1 && x <= x2 && y >= y1 && y <= y2) == inside) v[y * kW + x] = fill;
    return v;
}

TEST(FullExtentBoundary, GreyFillsAndSumsReachTheLastRowAndColumnAndNoFurther) {
    auto v = Guarded<std::uint8_t>(0xEE);
    TGrayImage image(v.data(), kW, kH);
    EXPECT_EQ(image.SumRect(0, 0, kW - 1, kH - 1), static_cast<std::uint32_t>(kW * kH * (kW * kH + 1) / 2));
    EXPECT_EQ(image.SumRect(kW - 1, kH - 1, kW + 5, kH + 5), static_cast<std::uint32_t>(kW * kH));
    image.FillRect(0, 4, 1, kW - 1, kH - 1); // corner exactly at the last pixel
    EXPECT_EQ(v, Expected<std::uint8_t>(0, 4, 1, kW - 1, kH - 1, true, 0xEE));
    image.FillRect(9, 0, 0, kW + 3, kH + 3); // beyond both: the whole picture
    EXPECT_EQ(v, Expected<std::uint8_t>(9, 0, 0, kW - 1, kH - 1, true, 0xEE));
    image.FillRect(5, -3, -2, 1, 0); // before the first column and row: the corner only
    image.FillRect(99, 3, 0, 1, 2);  // x1 > x2, then y1 > y2: nothing
    image.FillRect(99, 0, 2, 3, 1);
    EXPECT_EQ(std::vector(v.begin(), v.begin() + 3), (std::vector<std::uint8_t>{5, 5, 9}));
    EXPECT_EQ(image.SumRect(0, 0, kW - 1, kH - 1), 9u * (kW * kH - 2) + 10);
    EXPECT_EQ(image.SumRect(0, 2, 3, 1), 0u);
}

TEST(FullExtentBoundary, FloatFillsInsideAndOutsideARectangleAtTheLastRowAndColumn) {
    for (bool inside : {true, false}) {
        auto v = Guarded(-7.0f);
        TFloatImage map(v.data(), kW, kH);
        map.FillRect(0.5f, 2, 1, kW - 1, kH - 1, inside);
        EXPECT_EQ(v, Expected(0.5f, 2, 1, kW - 1, kH - 1, inside, -7.0f)) << "inside " << inside;
        const auto once = v;
        map.FillRect(2.0f, -1, -1, kW + 1, kH + 1, inside); // the whole map: all of it, or nothing
        EXPECT_EQ(v, inside ? Expected(2.0f, 0, 0, kW - 1, kH - 1, true, -7.0f) : once)
            << "inside " << inside;
        const float lastRow = std::accumulate(v.end() - 1 - kW, v.end() - 1, 0.0f);
        EXPECT_EQ(map.SumRect(0, kH - 1, kW + 9, kH + 9), lastRow) << "inside " << inside;
    }
}

// A map that is zero but for its last pixel: a fit that leaves out the last row or column finds
// no slope at all.
TEST(FullExtentBoundary, PlaneFitWithoutMarginCountsTheLastRowAndColumn) {
    auto v = Guarded(1e6f);
    std::fill(v.begin(), v.end() - 1, 0.0f);
    v[kW * kH - 1] = 3.0f;
    TFloatImage map(v.data(), kW, kH);
    TPhaseImage phase(&map);
    phase.FitPlane(0);
    // The normal equations: x^2 sums to 364, y^2 to 98, x y to 126; x p to 18 and y p to 9.
    EXPECT_NEAR(phase.SlopeX, 630.0 / 19796.0, 1e-6);
    EXPECT_NEAR(phase.SlopeY, 1008.0 / 19796.0, 1e-6);
}

} // namespace
} // namespace corvane
