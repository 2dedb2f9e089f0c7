#include "correlation/BSplineInterpolation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace corvane {
namespace {

std::vector<std::uint8_t> Picture(int w, int h, double (*f)(double, double)) {
    std::vector<std::uint8_t> p(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(std::lround(f(x, y)));
    return p;
}

double Wave(double x, double y) {
    return 128.0 + 90.0 * std::sin(0.31 * x + 0.17 * y) * std::cos(0.23 * y);
}

// The spline passes through every pixel, the border ones included, of pictures of any shape (a
// single row, a single pixel); between pixels it follows a smooth picture to its rounding.
TEST(BSplineInterpolation, PassesThroughEveryPixelAndFollowsASmoothPictureBetween) {
    for (const auto& [w, h] : {std::pair{37, 23}, {1, 9}, {9, 1}, {1, 1}, {2, 3}}) {
        const std::vector<std::uint8_t> p = Picture(w, h, Wave);
        const BSplineCoefficients c(p.data(), w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_NEAR(c.Value(x, y), p[static_cast<std::size_t>(y) * w + x], 1e-3) << w << "x" << h;
        EXPECT_NEAR(c.Value(w - 1, h - 1), p.back(), 1e-3);
    }
    const std::vector<std::uint8_t> p = Picture(37, 23, Wave);
    const BSplineCoefficients c(p.data(), 37, 23);
    double worst = 0.0;
    for (double y = 3.0; y < 19.0; y += 0.37)
        for (double x = 3.0; x < 33.0; x += 0.29)
            worst = std::max(worst, std::fabs(c.Value(x, y) - Wave(x, y)));
    EXPECT_LT(worst, 1.0);
}

} // namespace
} // namespace corvane
