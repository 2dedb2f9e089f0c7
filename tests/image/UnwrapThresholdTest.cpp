// The jump threshold of the row-then-column unwrap is 2 t pi. A wrapped ramp rising 2 rad per
// pixel across and falling 2.5 rad per pixel down lies between t pi and 2 t pi for t = 1/2: its
// true steps are no jumps, its wrapped steps (2 - 2 pi, 2 pi - 2.5) are.
#include "image/TPhaseImage.h"
#include "support/FloatMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace corvane {
namespace {

TEST(UnwrapThreshold, StepsBetweenTPiAndTwoTPiAreNoJumpsInEitherDirection) {
    constexpr int w = 6, h = 9, x0 = 2, y0 = 3;
    auto ramp = [](int x, int y) { return 2.0 * x - 2.5 * y; };
    auto map = test::MakeFloatMap(
        w, h, [&](int x, int y) { return std::remainder(ramp(x, y), 2 * std::numbers::pi); });
    const double start = map->GetPixel(x0, y0);
    TPhaseImage phase(map.get());
    phase.Unwrap(x0, y0, 0.5f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_NEAR(map->GetPixel(x, y), start + ramp(x, y) - ramp(x0, y0), 1e-4) << x << "," << y;
}

} // namespace
} // namespace corvane
