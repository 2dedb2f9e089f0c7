#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "correlation/CorRelationPostFilter.h"
#include "correlation/TCorRelationResult.h"

namespace corvane {
namespace {

constexpr int W = 12, H = 10;
constexpr float M = kNotComputed;

// A field over 1..10 x 1..8 of a 12 x 10 picture, dx = 0.1x and dy = -0.05y unless given.
struct Maps {
    std::vector<float> dx, dy;
    Maps(float u = 0.0f, float v = 0.0f) : dx(W * H, M), dy(W * H, M) {
        for (int y = 1; y <= 8; ++y)
            for (int x = 1; x <= 10; ++x)
                Set(x, y, u != 0.0f ? u : 0.1f * x, v != 0.0f ? v : -0.05f * y);
    }
    void Set(int x, int y, float u, float v) { dx[y * W + x] = u, dy[y * W + x] = v; }
    float X(int x, int y) const { return dx[y * W + x]; }
    float Y(int x, int y) const { return dy[y * W + x]; }
    DisplacementField Field() { return {dx, dy, W, H, 1, 1, 10, 8}; }
};

TEST(MedianPostFilter, RemovesOutliersCountsMarkersAndFiltersOnlyUpToTheStrictBounds) {
    Maps m;
    m.Set(5, 4, 7.0f, -9.0f);
    for (auto [x, y] : {std::pair{6, 5}, {7, 5}, {8, 5}, {6, 6}})
        m.Set(x, y, M, M);
    Maps n = m;
    MedianPostFilter(m.Field(), 2, 2); // an even size grows to 3
    // Filtered: x = 2 ... while x < 10 - 1, y = 2 ... while y < 8 - 1; every other point is marked.
    // Markers count as 1000.0: four of nine around (7, 6) leave the largest computed value in the
    // middle, five make the median a marker.
    const Maps p;
    EXPECT_EQ(std::vector<float>({m.X(5, 4), m.Y(5, 4), m.X(2, 2), m.Y(8, 2), m.X(2, 6), m.X(7, 6)}),
              std::vector<float>({p.X(5, 4), p.Y(5, 4), p.X(2, 2), p.Y(8, 2), p.X(2, 6), p.X(8, 6)}));
    for (auto [x, y] : {std::pair{1, 4}, {9, 4}, {5, 7}, {5, 1}, {9, 7}})
        EXPECT_EQ(m.X(x, y), M) << x << "," << y;
    n.Set(8, 7, M, M);
    MedianPostFilter(n.Field(), 3, 3);
    EXPECT_EQ(n.X(7, 6), M);

    // A size of 0 is a 1 x 1 window: it keeps every value it reaches, but its strict bounds leave
    // the field's last column and row out, and those are marked.
    Maps zero;
    MedianPostFilter(zero.Field(), 0, 0);
    for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 10; ++x)
            ASSERT_EQ(zero.X(x, y), x < 10 && y < 8 ? Maps().X(x, y) : M) << x << "," << y;
}

TEST(AveragePostFilter, ReplacesPointsBeyondTheThresholdInPlace) {
    Maps m(1.0f, 2.0f);
    m.Set(4, 4, 1.9f, 2.0f); // mean 1.1: off by 0.8 > 0.5, replaced
    m.Set(7, 4, 1.4f, 2.0f); // mean 1.044: off by 0.356, kept
    m.Set(5, 6, M, M);       // a hole among computed points is filled
    m.Set(9, 4, 1.9f, 2.0f); // beyond the strict bound x < 9: kept
    AveragePostFilter(m.Field(), 3, 3, 0.5f);
    EXPECT_EQ(std::vector<float>({m.X(4, 4), m.Y(4, 4), m.X(7, 4), m.X(5, 6), m.Y(5, 6), m.X(9, 4)}),
              std::vector<float>({1.1f, 2.0f, 1.4f, 1.0f, 2.0f, 1.9f}));

    // Later points see earlier replacements: along a step of 0.8, (5,y) sees 0, 0, 0.8 and moves
    // to 0.267; (6,y) then sees 0.267, 0.8, 0.8, a mean only 0.178 away, and stays.
    Maps s(1.0f, 1.0f);
    for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 10; ++x)
            s.Set(x, y, x >= 6 ? 0.8f : 0.0f, 0.0f);
    AveragePostFilter(s.Field(), 3, 1, 0.25f);
    EXPECT_NEAR(s.X(5, 3), 0.8f / 3, 1e-6);
    EXPECT_FLOAT_EQ(s.X(6, 3), 0.8f);

    // A window without any computed point leaves the centre alone.
    Maps none;
    std::fill(none.dx.begin(), none.dx.end(), M);
    AveragePostFilter(none.Field(), 3, 3, 0.1f);
    EXPECT_EQ(none.X(5, 5), M);
}

} // namespace
} // namespace corvane
