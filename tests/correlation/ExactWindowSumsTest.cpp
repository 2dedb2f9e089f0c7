// The integer window sums behind the whole-field search and the correlation map give the very
// doubles of the row-by-row sums: rows of every width around the eight-value blocks, grey bytes and
// counts at their largest, a row stride wider than the window, every eighth-pixel fraction.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "correlation/PointCorrelation.h"
#include "correlation/WindowCorrelation.h"

namespace corvane {
namespace {

using namespace window_correlation;

TEST(ExactWindowSums, EqualTheRowByRowSumsForBytesAndCountsOfEveryRowWidth) {
    std::mt19937 random(7);
    for (const auto& [wx, wy] : {std::pair{1, 1}, {7, 3}, {8, 2}, {17, 5}, {23, 4}, {40, 3}}) {
        const std::ptrdiff_t stride = wx + 5;
        std::vector<std::int16_t> f(static_cast<std::size_t>(wx * wy));
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(stride * wy));
        std::vector<std::uint16_t> counts(bytes.size());
        double sff = 0.0;
        for (auto& v : f)
            v = static_cast<std::int16_t>(random() % 256), sff += double(v) * v;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(random() % 256),
            counts[i] = static_cast<std::uint16_t>(random() % 16321);
        f[0] = 255, bytes[0] = 255, counts[0] = 16320; // the largest product and square
        EXPECT_EQ(CorrelateExact(f.data(), sff, bytes.data(), stride, wx, wy, 1.0),
                  CorrelateCountsInOrder(f.data(), sff, bytes.data(), stride, wx, wy, 1.0))
            << wx << " x " << wy;
        EXPECT_EQ(CorrelateExact(f.data(), sff, counts.data(), stride, wx, wy, 1.0 / 64),
                  CorrelateCountsInOrder(f.data(), sff, counts.data(), stride, wx, wy, 1.0 / 64))
            << wx << " x " << wy;
    }
}

// The correlation map's value by bilinear interpolation and sums in double, row by row.
double PlainZncc(const CorrelationPictures& p, int x, int y, int wx, int wy, double dx, double dy) {
    double sf = 0, sg = 0, sff = 0, sgg = 0, sfg = 0;
    for (int j = 0; j < wy; ++j)
        for (int i = 0; i < wx; ++i) {
            const int px = x - wx / 2 + i, py = y - wy / 2 + j;
            const double sx = px + dx, sy = py + dy, gx = std::floor(sx), gy = std::floor(sy);
            const double ax = sx - gx, ay = sy - gy;
            const auto at = [&](double u, double v) { return double(p.Deformed[int(v) * p.W1 + int(u)]); };
            const double b = (1 - ay) * (1 - ax) * at(gx, gy) +
                             (1 - ay) * ax * (ax > 0 ? at(gx + 1, gy) : 0) +
                             ay * (1 - ax) * (ay > 0 ? at(gx, gy + 1) : 0) +
                             ay * ax * (ax > 0 && ay > 0 ? at(gx + 1, gy + 1) : 0);
            const double a = p.Initial[py * p.W0 + px];
            sf += a, sg += b, sff += a * a, sgg += b * b, sfg += a * b;
        }
    const double n = double(wx) * wy, vf = sff - sf * sf / n, vg = sgg - sg * sg / n;
    return (sfg - sf * sg / n) / std::sqrt(vf * vg);
}

TEST(ExactWindowSums, TheCorrelationMapAtEighthPixelsEqualsTheSumsInDouble) {
    const int w = 53, h = 31;
    std::mt19937 random(11);
    std::vector<std::uint8_t> initial(w * h), deformed(w * h);
    for (auto& v : initial)
        v = static_cast<std::uint8_t>(random() % 256);
    for (auto& v : deformed)
        v = static_cast<std::uint8_t>(random() % 256);
    const CorrelationPictures p{initial.data(), w, h, deformed.data(), w, h};
    // Whole, half and eighth fractions, a window reaching the last column and row, a 1/16 (double path).
    for (const auto& [x, y, dx, dy] : {std::tuple{20, 12, 0.0, 0.0},
                                       {20, 12, 0.375, -1.5},
                                       {30, 15, -2.875, 0.125},
                                       {44, 25, 0.0, 0.625},
                                       {42, 22, 0.5, 0.5},
                                       {25, 14, 1.0625, -0.4375}}) {
        const double got = ZeroNormalisedCorrelation(p, x, y, 17, 9, dx, dy);
        EXPECT_EQ(got, PlainZncc(p, x, y, 17, 9, dx, dy)) << x << ", " << y << " moved " << dx << ", " << dy;
    }
}

} // namespace
} // namespace corvane
