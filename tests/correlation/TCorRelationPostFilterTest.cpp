#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "correlation/CorRelationPostFilter.h"
#include "correlation/TCorRelationResult.h"

namespace corvane {
namespace {

constexpr int W = 12, H = 10;

struct Maps {
    std::vector<float> dx, dy;
    Maps() : dx(W * H, kNotComputed), dy(W * H, kNotComputed) {
        // A smooth field over 1..10 x 1..8, the rest not computed.
        for (int y = 1; y <= 8; ++y)
            for (int x = 1; x <= 10; ++x) Set(x, y, 0.1f * x, -0.05f * y);
    }
    void Set(int x, int y, float u, float v) { dx[y * W + x] = u, dy[y * W + x] = v; }
    float X(int x, int y) const { return dx[y * W + x]; }
    float Y(int x, int y) const { return dy[y * W + x]; }
    DisplacementField Field() { return {dx, dy, W, H, 1, 1, 10, 8}; }
};

TEST(MedianPostFilter, RemovesOutliersAndMarksWhatItCannotFilter) {
    Maps m;
    m.Set(5, 4, 7.0f, -9.0f);
    MedianPostFilter(m.Field(), 3, 3);
    EXPECT_FLOAT_EQ(m.X(5, 4), 0.5f);
    EXPECT_FLOAT_EQ(m.Y(5, 4), -0.2f);
    // The median of 3x3 of a linear ramp is the centre value.
    EXPECT_FLOAT_EQ(m.X(2, 2), 0.2f);
    // Every centre whose window lies in the field is filtered, the last one included...
    EXPECT_FLOAT_EQ(m.X(9, 7), 0.9f);
    EXPECT_FLOAT_EQ(m.Y(9, 7), -0.35f);
    // ...and the field's edge, whose windows would leave it, is marked.
    EXPECT_EQ(m.X(1, 4), kNotComputed);
    EXPECT_EQ(m.X(10, 4), kNotComputed);
    EXPECT_EQ(m.Y(5, 8), kNotComputed);
}

TEST(MedianPostFilter, MarkersCountAsTheirValueAndEvenSizesGrow) {
    // Markers take part as 1000.0: four of nine leave the largest computed value in the middle...
    Maps m;
    for (auto [x, y] : {std::pair{3, 3}, {4, 3}, {5, 3}, {3, 4}}) m.Set(x, y, kNotComputed, kNotComputed);
    Maps n = m;
    MedianPostFilter(m.Field(), 3, 3);
    EXPECT_FLOAT_EQ(m.X(4, 4), 0.5f);
    // ...five make the median a marker.
    n.Set(3, 5, kNotComputed, kNotComputed);
    MedianPostFilter(n.Field(), 3, 3);
    EXPECT_EQ(n.X(4, 4), kNotComputed);
    EXPECT_EQ(n.Y(4, 4), kNotComputed);

    Maps even;
    Maps reference;
    MedianPostFilter(even.Field(), 2, 2); // 3 x 3
    MedianPostFilter(reference.Field(), 3, 3);
    EXPECT_EQ(even.dx, reference.dx);

    // A size of 0 is a 1 x 1 window and changes nothing.
    Maps zero;
    const Maps before;
    MedianPostFilter(zero.Field(), 0, 0);
    EXPECT_EQ(zero.dx, before.dx);
    EXPECT_EQ(zero.dy, before.dy);
}

TEST(AveragePostFilter, ReplacesPointsBeyondTheThresholdInPlace) {
    Maps m;
    for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 10; ++x) m.Set(x, y, 1.0f, 2.0f);
    m.Set(4, 4, 1.9f, 2.0f);  // 0.9 above its neighbours: mean 1.1, off by 0.8 > 0.5
    m.Set(7, 4, 1.4f, 2.0f);  // mean 1.044: off by 0.356, kept
    m.Set(5, 6, kNotComputed, kNotComputed); // a hole among computed points is filled
    AveragePostFilter(m.Field(), 3, 3, 0.5f);
    EXPECT_FLOAT_EQ(m.X(4, 4), 1.1f);
    EXPECT_FLOAT_EQ(m.Y(4, 4), 2.0f);
    EXPECT_FLOAT_EQ(m.X(7, 4), 1.4f);
    EXPECT_FLOAT_EQ(m.X(5, 6), 1.0f);
    EXPECT_FLOAT_EQ(m.Y(5, 6), 2.0f);
    // (5,4) comes after (4,4) and sees its replacement: mean (8 + 1.1) / 9, within the threshold.
    EXPECT_FLOAT_EQ(m.X(5, 4), 1.0f);

    // In place: a step of 0.8 is averaged away point by point, each later point seeing the
    // earlier replacement.
    Maps s;
    for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 10; ++x) s.Set(x, y, x >= 6 ? 0.8f : 0.0f, 0.0f);
    AveragePostFilter(s.Field(), 3, 1, 0.25f);
    // (5,y): mean (0 + 0 + 0.8)/3 = 0.267 > 0.25 from 0: replaced. (6,y) then sees 0.267, 0.8, 0.8:
    // mean 0.622, off by 0.178: kept.
    EXPECT_NEAR(s.X(5, 3), 0.8f / 3, 1e-6);
    EXPECT_FLOAT_EQ(s.X(6, 3), 0.8f);
    // A window without any computed point leaves the centre alone.
    Maps empty;
    for (auto& v : empty.dx) v = kNotComputed;
    for (auto& v : empty.dy) v = kNotComputed;
    AveragePostFilter(empty.Field(), 3, 3, 0.1f);
    for (float v : empty.dx) EXPECT_EQ(v, kNotComputed);
}

} // namespace
} // namespace corvane
