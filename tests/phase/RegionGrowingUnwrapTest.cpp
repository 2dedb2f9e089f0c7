#include "phase/RegionGrowingUnwrap.h"
#include "image/CorvaneError.h"
#include "phase/InvalidRunFill.h"
#include "phase/NoiseMask.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

std::unique_ptr<TFloatImage> MapOf(int w, int h, const std::vector<float>& values) {
    return MakeFloatMap(w, h, [&](int x, int y) { return values[static_cast<std::size_t>(y * w + x)]; });
}

/// How far the map is from truth + 2 pi k for the k of the first pixel: the largest deviation.
double LargestDeviationModTwoPi(const TFloatImage& map, const std::vector<float>& truth) {
    const double k = std::round((map.Data[0] - truth[0]) / (2.0 * M_PI));
    double worst = 0.0;
    for (std::size_t i = 0; i < truth.size(); ++i)
        worst = std::max(worst, std::fabs(map.Data[i] - truth[i] - 2.0 * M_PI * k));
    return worst;
}

} // namespace

// The last map is large enough for the growing front to outgrow the queue's first buffer.
TEST(RegionGrowingUnwrap, CleanMapsUnwrapExactlyFromAnyStart) {
    for (const auto& [w, h, sx, sy] : {std::array{97, 61, 0, 0}, std::array{97, 61, 96, 60},
                                       std::array{97, 61, 13, 47}, std::array{331, 203, 330, 0}}) {
        const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
        auto map = MapOf(w, h, truth.Wrapped);
        RegionGrowingUnwrap(*map, *MakeGreyPicture(w, h, [](int, int) { return 0; }), sx, sy, 0.5f);
        EXPECT_LT(LargestDeviationModTwoPi(*map, truth.Truth), 1e-4) << sx << "," << sy;
        // The start pixel keeps its wrapped value, so k = 0 there.
        EXPECT_EQ(map->Data[sy * w + sx], truth.Wrapped[static_cast<std::size_t>(sy * w + sx)]);
    }
}

TEST(RegionGrowingUnwrap, ADifferenceOfExactlyPiIsNoJumpAndOneOfThreePointOneFiveIs) {
    const float pi = 3.1415927f;
    auto map = MapOf(4, 1, {0.0f, pi, 0.0f, -3.15f});
    const auto valid = MakeGreyPicture(4, 1, [](int, int) { return 0; });
    RegionGrowingUnwrap(*map, *valid, 1, 0, 0.5f);
    EXPECT_EQ(map->Data[0], 0.0f); // pi - 0 = pi: kept
    EXPECT_EQ(map->Data[1], pi);   // the start, judged again against pixel 0: unchanged
    EXPECT_EQ(map->Data[2], 0.0f);
    EXPECT_FLOAT_EQ(map->Data[3], -3.15f + 6.2831855f); // 3.15 below its parent: one 2 pi up

    // With a tiny threshold the neighbour takes k = -1; the start, judged again against it, gets
    // -2 pi from that k and one 2 pi back, and so keeps its value.
    auto tiny = MapOf(2, 1, {0.0f, 1.0f});
    RegionGrowingUnwrap(*tiny, *MakeGreyPicture(2, 1, [](int, int) { return 0; }), 0, 0, 0.01f);
    EXPECT_FLOAT_EQ(tiny->Data[1], 1.0f - 6.2831855f);
    EXPECT_EQ(tiny->Data[0], 0.0f);
}

// Neighbours are queued up, left, down, right: pixel (1,1) is first reached from below the start
// (3 -> -3 is a jump) and not from its right (-3 -> -3 is none).
TEST(RegionGrowingUnwrap, ThePixelBelowIsQueuedBeforeTheOneToTheRight) {
    auto map = MapOf(2, 2, {0.0f, -3.0f, 3.0f, -3.0f});
    RegionGrowingUnwrap(*map, *MakeGreyPicture(2, 2, [](int, int) { return 0; }), 0, 0, 0.5f);
    EXPECT_EQ(Values(*map), (std::vector<float>{0.0f, -3.0f, 3.0f, -3.0f + 6.2831855f}));
}

TEST(RegionGrowingUnwrap, ARegionClosedOffByInvalidPixelsKeepsItsWrappedValues) {
    const int w = 40, h = 30;
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
    // A ring of invalid pixels around columns 20..33, rows 8..21.
    const auto ring = MakeGreyPicture(w, h, [](int x, int y) {
        const bool inRing = x >= 19 && x <= 34 && y >= 7 && y <= 22;
        const bool inside = x >= 20 && x <= 33 && y >= 8 && y <= 21;
        return inRing && !inside ? 255 : 0;
    });
    auto map = MapOf(w, h, truth.Wrapped);
    RegionGrowingUnwrap(*map, *ring, 2, 2, 0.5f);
    FillInvalidRuns(*map, ring.get());
    for (int y = 8; y <= 21; ++y)
        for (int x = 20; x <= 33; ++x)
            ASSERT_EQ(map->Data[y * w + x], truth.Wrapped[static_cast<std::size_t>(y * w + x)])
                << x << "," << y;
    // Outside the ring the map is unwrapped.
    const double k = std::round((map->Data[0] - truth.Truth[0]) / (2.0 * M_PI));
    EXPECT_NEAR(map->Data[5 * w + 38], truth.Truth[5 * w + 38] + 2.0 * M_PI * k, 1e-4);
}

TEST(RegionGrowingUnwrap, AStartOutsideTheMapIsRefusedBeforeAnythingChanges) {
    auto map = MapOf(5, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    const auto valid = MakeGreyPicture(5, 3, [](int, int) { return 0; });
    EXPECT_EQ(ErrorText([&] { RegionGrowingUnwrap(*map, *valid, 5, 0, 0.5f); }),
              "the starting point (5,0) is outside the 5 x 3 phase map");
    EXPECT_EQ(ErrorText([&] { RegionGrowingUnwrap(*map, *valid, 0, -1, 0.5f); }),
              "the starting point (0,-1) is outside the 5 x 3 phase map");
    const auto wrongSize = MakeGreyPicture(3, 5, [](int, int) { return 0; });
    EXPECT_NE(ErrorText([&] { RegionGrowingUnwrap(*map, *wrongSize, 0, 0, 0.5f); }), "no error");
    EXPECT_EQ(map->Data[14], 15.0f);
}

TEST(FillInvalidRuns, TheFourKindsOfRun) {
    const int w = 16;
    // Row 0: invalid 0..9 -> column 10's value. Row 1: invalid 5..15 -> column 4's value.
    // Row 2: invalid everywhere -> kept. Row 3: invalid 3..6 -> straight line from 2 to 7.
    // Row 4: only column 0 invalid -> kept (the scan starts at column 1).
    auto map = MakeFloatMap(w, 5, [](int x, int y) { return 100.0 * y + x * x; });
    const auto invalid = MakeGreyPicture(w, 5, [](int x, int y) {
        switch (y) {
        case 0:
            return x <= 9 ? 255 : 0;
        case 1:
            return x >= 5 ? 255 : 0;
        case 2:
            return 255;
        case 3:
            return x >= 3 && x <= 6 ? 255 : 0;
        default:
            return x == 0 ? 255 : 0;
        }
    });
    FillInvalidRuns(*map, invalid.get());
    auto at = [&](int x, int y) { return map->Data[y * w + x]; };
    for (int x = 0; x <= 9; ++x)
        EXPECT_EQ(at(x, 0), 100.0f);
    EXPECT_EQ(at(15, 0), 225.0f);
    for (int x = 5; x < w; ++x)
        EXPECT_EQ(at(x, 1), 116.0f);
    EXPECT_EQ(at(4, 1), 116.0f);
    for (int x = 0; x < w; ++x)
        EXPECT_EQ(at(x, 2), static_cast<float>(200 + x * x));
    // From 304 at column 2 to 349 at column 7: steps of 9.
    for (int x = 3; x <= 6; ++x)
        EXPECT_NEAR(at(x, 3), 304.0f + 9.0f * static_cast<float>(x - 2), 1e-4);
    EXPECT_EQ(at(7, 3), 349.0f);
    EXPECT_EQ(at(0, 4), 400.0f);

    EXPECT_EQ(ErrorText([&] { FillInvalidRuns(*map, nullptr); }), "no invlaid area to modify");
}

TEST(DarkenAreas, MarkedPixelsTakeTheMinimumOfTheWholeMap) {
    auto map = MakeFloatMap(3, 2, [](int x, int y) { return 10.0 - x - 4 * y; });
    const auto areas = MakeGreyPicture(3, 2, [](int x, int y) { return x == 0 && y == 0 ? 255 : 254; });
    DarkenAreas(*map, *areas);
    EXPECT_EQ(Values(*map), (std::vector<float>{4, 9, 8, 6, 5, 4}));
}

TEST(MaskNoise, ACellWithHorizontalDifferencesOfPointSixAndMinusPointFourIsMarked) {
    // Cell (1, 0)..(2, 1) of a 4 x 3 map: the bottom edge rises by 0.6 (wrapped at the 0.5 rad
    // threshold), the top edge by 0.4 (kept): the sum around the cell is -2 pi.
    auto map = MakeFloatMap(4, 3, [](int x, int y) {
        if (y == 0) return x >= 2 ? 0.4 : 0.0;
        if (y == 1) return x >= 2 ? 0.6 : 0.0;
        return x >= 2 ? 0.6 : 0.0;
    });
    auto invalid = MakeGreyPicture(4, 3, [](int, int) { return 0; });
    MaskNoise(*map, *invalid, 0.5f, 0.001f);
    EXPECT_EQ(Levels(*invalid), (std::vector<std::uint8_t>{0, 255, 255, 0, 0, 255, 255, 0, 0, 0, 0, 0}));

    // With a threshold above 0.6 no difference is wrapped: no residue.
    auto clean = MakeGreyPicture(4, 3, [](int, int) { return 0; });
    MaskNoise(*map, *clean, 0.61f, 0.001f);
    EXPECT_EQ(Levels(*clean), std::vector<std::uint8_t>(12, 0));
}

TEST(MaskNoise, ResidueThresholdOnBothSidesAndPixelsAreOnlyEverSet) {
    // A 2 x 2 map has one cell; its differences sum to 0 in exact arithmetic, so only wrapping
    // makes a residue: the bottom edge rises by 0.6 (wrapped), the right and top edges fall by 0.3:
    // about -2 pi.
    auto map = MakeFloatMap(2, 2, [](int x, int y) { return x == 1 ? (y == 0 ? 0.3 : 0.6) : 0.0; });
    auto below = MakeGreyPicture(2, 2, [](int, int) { return 0; });
    MaskNoise(*map, *below, 0.5f, 6.3f);
    EXPECT_EQ(Levels(*below), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    auto above = MakeGreyPicture(2, 2, [](int, int) { return 0; });
    MaskNoise(*map, *above, 0.5f, 6.2f);
    EXPECT_EQ(Levels(*above), (std::vector<std::uint8_t>{255, 255, 255, 255}));

    // A loaded invalid area is extended, never cleared; the last row and column are reached.
    auto clean = MakeFloatMap(5, 4, [](int x, int y) { return x < 4 || y < 2 ? 0.0 : (y == 3 ? 0.6 : 0.3); });
    auto loaded = MakeGreyPicture(5, 4, [](int x, int y) { return x == 0 && y == 0 ? 255 : 7; });
    MaskNoise(*clean, *loaded, 0.5f, 0.001f);
    EXPECT_EQ(Levels(*loaded), (std::vector<std::uint8_t>{255, 7, 7, 7,   7,   7, 7, 7, 7,   7,
                                                          7,   7, 7, 255, 255, 7, 7, 7, 255, 255}));
}

TEST(MaskNoise, RefusesAMissingMapAndAnInvalidAreaOfAnotherSize) {
    TFloatImage empty(nullptr, 0, 0);
    empty.Data = nullptr;
    auto invalid = MakeGreyPicture(2, 2, [](int, int) { return 0; });
    EXPECT_EQ(ErrorText([&] { MaskNoise(empty, *invalid, 0.5f, 0.001f); }), "Select an phase image first");
    auto map = MakeFloatMap(3, 2, [](int x, int) { return x * 1.0; });
    EXPECT_EQ(ErrorText([&] { MaskNoise(*map, *invalid, 0.5f, 0.001f); }),
              "the invalid area is 2 x 2, the phase map 3 x 2");
}
