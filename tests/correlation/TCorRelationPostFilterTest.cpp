#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "correlation/CorRelationPostFilter.h"
#include "correlation/TCorRelationResult.h"

namespace corvane {
namespace {

constexpr int W = 12, H = 10;

// A field over 1..10 x 1..8 of a 12 x 10 picture, dx = 0.1x and dy = -0.05y unless given.
struct Maps {
    std::vector<float> dx, dy;
    Maps(float u = 0.0f, float v = 0.0f) : dx(W * H, kNotComputed), dy(W * H, kNotComputed) {
        for (int y = 1; y <= 8; ++y)
            for (int x = 1; x <= 10; ++x) Set(x, y, u != 0.0f ? u : 0.1f * x, v != 0.0f ? v : -0.05f * y);
    }
    void Set(int x, int y, float u, float v) { dx[y * W + x] = u, dy[y * W + x] = v; }
    float X(int x, int y) const { return dx[y * W + x]; }
    float Y(int x, int y) const { return dy[y * W + x]; }
    DisplacementField Field() { return {dx, dy, W, H, 1, 1, 10, 8}; }
};

TEST(MedianPostFilter, RemovesOutliersCountsMarkersAndMarksTheEdge) {
    Maps m;
    m.Set(5, 4, 7.0f, -9.0f);
    for (auto [x, y] : {std::pair{7, 6}, {8, 6}, {9, 6}, {7, 7}}) m.Set(x, y, kNotComputed, kNotComputed);
    Maps n = m;
    MedianPostFilter(m.Field(), 2, 2); // an even size grows to 3
    EXPECT_FLOAT_EQ(m.X(5, 4), 0.5f);
    EXPECT_FLOAT_EQ(m.Y(5, 4), -0.2f);
    // Every centre whose window lies in the field is filtered, the last one included; the edge,
    // where the window would leave the field, is marked.
    EXPECT_FLOAT_EQ(m.X(2, 2), 0.2f);
    EXPECT_FLOAT_EQ(m.Y(9, 2), -0.1f);
    EXPECT_EQ(m.X(1, 4), kNotComputed);
    EXPECT_EQ(m.Y(5, 8), kNotComputed);
    // Markers count as 1000.0: four of nine leave the largest computed value in the middle, five
    // make the median a marker.
    EXPECT_FLOAT_EQ(m.X(8, 7), 0.9f);
    n.Set(9, 7, kNotComputed, kNotComputed);
    MedianPostFilter(n.Field(), 3, 3);
    EXPECT_EQ(n.X(8, 7), kNotComputed);

    // A size of 0 is a 1 x 1 window and changes nothing.
    Maps zero;
    MedianPostFilter(zero.Field(), 0, 0);
    EXPECT_EQ(zero.dx, Maps().dx);
}

TEST(AveragePostFilter, ReplacesPointsBeyondTheThresholdInPlace) {
    Maps m(1.0f, 2.0f);
    m.Set(4, 4, 1.9f, 2.0f);                 // mean 1.1: off by 0.8 > 0.5, replaced
    m.Set(7, 4, 1.4f, 2.0f);                 // mean 1.044: off by 0.356, kept
    m.Set(5, 6, kNotComputed, kNotComputed); // a hole among computed points is filled
    AveragePostFilter(m.Field(), 3, 3, 0.5f);
    EXPECT_FLOAT_EQ(m.X(4, 4), 1.1f);
    EXPECT_FLOAT_EQ(m.Y(4, 4), 2.0f);
    EXPECT_FLOAT_EQ(m.X(7, 4), 1.4f);
    EXPECT_FLOAT_EQ(m.X(5, 6), 1.0f);
    EXPECT_FLOAT_EQ(m.Y(5, 6), 2.0f);

    // Later points see earlier replacements: along a step of 0.8, (5,y) sees 0, 0, 0.8 and moves
    // to 0.267; (6,y) then sees 0.267, 0.8, 0.8, a mean only 0.178 away, and stays.
    Maps s(1.0f, 1.0f);
    for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 10; ++x) s.Set(x, y, x >= 6 ? 0.8f : 0.0f, 0.0f);
    AveragePostFilter(s.Field(), 3, 1, 0.25f);
    EXPECT_NEAR(s.X(5, 3), 0.8f / 3, 1e-6);
    EXPECT_FLOAT_EQ(s.X(6, 3), 0.8f);

    // A window without any computed point leaves the centre alone.
    Maps none;
    std::fill(none.dx.begin(), none.dx.end(), kNotComputed);
    AveragePostFilter(none.Field(), 3, 3, 0.1f);
    EXPECT_EQ(none.X(5, 5), kNotComputed);
}

} // namespace
} // namespace corvane
