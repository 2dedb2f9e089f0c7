#include "phase/GridGenerator.h"
#include "image/CorvaneError.h"
#include "phase/PhaseToFringe.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr double kPi = std::numbers::pi;

int Level(double t) {
    return static_cast<int>((std::cos(t) + 1.0) * 127.5);
}

} // namespace

TEST(GridGenerator, DefaultGridHasWhiteColumnZeroBlackColumnEightAndPeriodSixteen) {
    const auto g = GenerateGrid({});
    ASSERT_EQ(g->Width, 256);
    ASSERT_EQ(g->Height, 256);
    for (int y : {0, 255}) {
        EXPECT_EQ(g->GetPixel(0, y), 255);
        EXPECT_EQ(g->GetPixel(8, y), 0);
        for (int x = 16; x < 256; ++x)
            EXPECT_LE(std::abs(g->GetPixel(x, y) - g->GetPixel(x - 16, y)), 1) << x;
    }
    const auto inverted = GenerateGrid({.InitPhase = 1.0f});
    EXPECT_EQ(inverted->GetPixel(0, 100), 0);
    EXPECT_EQ(inverted->GetPixel(8, 100), 255);
}

TEST(GridGenerator, DirectionsAndLeansFollowTheirPhases) {
    // Not square, fractional carriers and leans in both directions, initial phase pi / 4. Along x the
    // phase is pi x / 8 + 3 pi y / 70 + pi / 4, along y 8 pi y / 70 - pi x / 30 + pi / 4: levels at
    // pi, pi / 2, 5 pi / 2, 7 pi / 4, 17 pi / 4, 13 pi / 4, -pi / 4 and -5 pi / 4.
    GridOptions o{.Width = 120,
                  .Height = 70,
                  .XCarrier = 7.5f,
                  .YCarrier = 4.0f,
                  .LeanY = 1.5f,
                  .LeanX = -2.0f,
                  .InitPhase = 0.25f};
    const auto x = GenerateGrid(o);
    o.Direction = GridDirection::Y;
    const auto y = GenerateGrid(o);
    for (const auto& [grid, px, py, level] :
         {std::tuple(x.get(), 6, 0, 0), std::tuple(x.get(), 2, 0, 127), std::tuple(x.get(), 6, 35, 127),
          std::tuple(x.get(), 0, 35, 217), std::tuple(y.get(), 0, 35, 217), std::tuple(y.get(), 30, 35, 37),
          std::tuple(y.get(), 15, 0, 217), std::tuple(y.get(), 45, 0, 37)})
        EXPECT_NEAR(grid->GetPixel(px, py), level, 1) << (grid == x.get() ? "x " : "y ") << px << "," << py;
    o.Direction = GridDirection::XAndY;
    o.InitPhase = 0.0f;
    o.LeanX = o.LeanY = 0.0f;
    o.YCarrier = 5.0f; // a period of 14 rows
    const auto crossed = GenerateGrid(o);
    EXPECT_EQ(crossed->GetPixel(0, 0), 255);      // both cosines 1
    EXPECT_EQ(crossed->GetPixel(8, 0), 0);        // cos a = -1 (x = 8 is half a period of 16 px)
    EXPECT_EQ(crossed->GetPixel(0, 35), 0);       // cos b = -1 (y = 35 is two and a half periods)
    EXPECT_NEAR(crossed->GetPixel(4, 0), 127, 1); // (cos a + 1) (cos b + 1) 63.75 with cos a = 0
}

TEST(GridGenerator, CylinderShiftsTheMiddleHalfAndUndefinedCombinationsDrawNothing) {
    GridOptions o{.Width = 256, .Height = 200, .Deformation = GridDeformation::Cylinder};
    const auto g = GenerateGrid(o);
    const auto plain = GenerateGrid({.Width = 256, .Height = 200});
    const double s = 0.5 - std::sqrt(0.1875); // about 0.067 of a width in the middle row
    for (int x = 0; x < 256; ++x) {
        EXPECT_EQ(g->GetPixel(x, 49), plain->GetPixel(x, 49));   // outside the middle half
        EXPECT_EQ(g->GetPixel(x, 50), plain->GetPixel(x, 50));   // row H div 4: s = 0
        EXPECT_EQ(g->GetPixel(x, 150), plain->GetPixel(x, 150)); // row 3H div 4: undeformed again
        EXPECT_LE(std::abs(g->GetPixel(x, 100) - Level(2 * kPi * 16 * (double(x) / 256 - s))), 1) << x;
    }
    EXPECT_NE(g->GetPixel(8, 100), plain->GetPixel(8, 100));

    o = {.Width = 100, .Height = 64, .Direction = GridDirection::Y, .Deformation = GridDeformation::Cylinder};
    const auto gy = GenerateGrid(o);
    for (int y = 0; y < 64; ++y) {
        EXPECT_EQ(gy->GetPixel(24, y), Level(2 * kPi * 16 * y / 64)) << y; // column W div 4 - 1
        const double sx = std::sqrt(0.25 - std::pow(50.0 / 100 - 0.5, 2)) - std::sqrt(0.1875);
        EXPECT_LE(std::abs(gy->GetPixel(50, y) - Level(2 * kPi * 16 * (double(y) / 64 - sx))), 1) << y;
    }

    for (const GridOptions& none :
         {GridOptions{.Width = 30, .Height = 20, .Deformation = GridDeformation::InverseR},
          GridOptions{.Width = 30,
          .Height = 20,
          .Direction = GridDirection::XAndY,
          .Deformation = GridDeformation::Cylinder}}) {
        const auto blank = GenerateGrid(none);
        EXPECT_EQ(blank->Width, 30);
        EXPECT_EQ(std::count(blank->Data, blank->Data + blank->Size, 0), 600);
    }
    EXPECT_EQ(ErrorText([] { GenerateGrid({.Width = 0}); }), kGridSizeMessage);
    EXPECT_EQ(ErrorText([] { GenerateGrid({.Height = -3}); }), kGridSizeMessage);
}

TEST(PhaseToFringe, CosineOfTheScaledValueWithRounding) {
    auto map = MakeFloatMap(4, 3, [](int x, int y) { return x == 3 && y == 2 ? 3.1415927f : 0.5f * x - y; });
    map->Data[1] = 0.0f;
    map->Data[2] = std::numeric_limits<float>::quiet_NaN();
    auto fringe = PhaseToFringe(*map);
    EXPECT_EQ(fringe->GetPixel(1, 0), 255); // 255.5 limited
    EXPECT_EQ(fringe->GetPixel(3, 2), 0);   // 0.5 truncated
    EXPECT_EQ(fringe->GetPixel(2, 0), 0);   // no cosine
    EXPECT_EQ(fringe->GetPixel(3, 1), static_cast<int>((std::cos(0.5) + 1) * 127.5 + 0.5));
    map->ValueScale = 2.0f; // the same value now reads as half the phase
    fringe = PhaseToFringe(*map);
    EXPECT_EQ(fringe->GetPixel(3, 2), static_cast<int>((std::cos(3.1415927 / 2) + 1) * 127.5 + 0.5));
    map->ValueScale = 0.0f;
    EXPECT_EQ(ErrorText([&] { PhaseToFringe(*map); }), kZeroValueScaleMessage);
}
