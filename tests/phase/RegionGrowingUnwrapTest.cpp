#include "phase/RegionGrowingUnwrap.h"
#include "image/CorvaneError.h"
#include "phase/InvalidRunFill.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <deque>
#include <random>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

std::unique_ptr<TFloatImage> MapOf(int w, int h, const std::vector<float>& values) {
    return MakeFloatMap(w, h, [&](int x, int y) { return values[static_cast<std::size_t>(y * w + x)]; });
}

/// The region growing as the tool describes it, entry by entry: a queue of (x, y, parent x,
/// parent y, k), a visited map, the start queued with parent (-2, -2) and not marked.
void ReferenceRegionGrowing(std::vector<float>& p, const std::vector<std::uint8_t>& invalid, int w, int h,
                            int sx, int sy, float coef) {
    const float jump = static_cast<float>(coef * 2.0 * 3.14159265359);
    std::vector<std::uint8_t> visited(p.size(), 0);
    std::deque<std::array<int, 5>> queue{{sx, sy, -2, -2, 0}};
    while (!queue.empty()) {
        auto [x, y, px, py, k] = queue.front();
        queue.pop_front();
        float& v = p[static_cast<std::size_t>(y * w + x)];
        if (px < 0 || py < 0) {
            k = 0;
        } else {
            v = static_cast<float>(v + 2.0 * k * 3.14159265359);
            const float parent = p[static_cast<std::size_t>(py * w + px)];
            if (std::fabs(v - parent) > jump) {
                if (v <= parent)
                    v = v + 6.2831855f, ++k;
                else
                    v = v - 6.2831855f, --k;
            }
        }
        const int next[4][2] = {{x, y - 1}, {x - 1, y}, {x, y + 1}, {x + 1, y}};
        for (const auto& [nx, ny] : next) {
            if (nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
            const std::size_t n = static_cast<std::size_t>(ny * w + nx);
            if (invalid[n] == 255 || visited[n]) continue;
            visited[n] = 255;
            queue.push_back({nx, ny, x, y, k});
        }
    }
}

/// The row filling as described: every pixel of a run restarts the interpolation from the pixel
/// before it.
void ReferenceFill(std::vector<float>& p, const std::vector<std::uint8_t>& invalid, int w, int h) {
    for (int y = 0; y < h; ++y) {
        float* row = p.data() + y * w;
        const std::uint8_t* bad = invalid.data() + y * w;
        for (int x = 1; x < w; ++x) {
            if (bad[x] != 255) continue;
            int e = x;
            while (e < w && bad[e] == 255)
                ++e;
            const int last = e - 1;
            if (x == 1 && bad[0] == 255) {
                if (last == w - 1) break;
                for (int i = 0; i <= last; ++i)
                    row[i] = row[e];
            } else if (last < w - 1) {
                for (int i = x; i <= last; ++i)
                    row[i] = row[x - 1] + static_cast<float>(i - (x - 1)) * (row[x - 1] - row[e]) /
                                              static_cast<float>((x - 1) - e);
            } else {
                for (int i = x; i < w; ++i)
                    row[i] = row[x - 1];
            }
        }
    }
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

TEST(RegionGrowingUnwrap, CleanMapsUnwrapExactlyFromAnyStart) {
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(97, 61);
    const int starts[][2] = {{0, 0}, {96, 60}, {13, 47}, {96, 0}};
    for (const auto& [sx, sy] : starts) {
        auto map = MapOf(97, 61, truth.Wrapped);
        const auto valid = MakeGreyPicture(97, 61, [](int, int) { return 0; });
        RegionGrowingUnwrap(*map, *valid, sx, sy, 0.5f);
        EXPECT_LT(LargestDeviationModTwoPi(*map, truth.Truth), 1e-4) << sx << "," << sy;
        // The start pixel keeps its wrapped value, so k = 0 there.
        EXPECT_EQ(map->Data[sy * 97 + sx], truth.Wrapped[static_cast<std::size_t>(sy * 97 + sx)]);
    }
}

TEST(RegionGrowingUnwrap, SameValuesAsTheEntryByEntryQueueOnNoisyMapsWithHoles) {
    // Noise with residues, random invalid pixels and blocks, thresholds on both sides of the usual
    // one: every float must be the same as the described queue's.
    // The last map is large enough for the growing front to outgrow the queue's first buffer.
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        const int w = seed == 4 ? 331 : 83 + static_cast<int>(seed) * 17, h = seed == 4 ? 203 : 59;
        const WrappedPhaseMap noisy = MakeWrappedPhaseMap(w, h, 0.9, seed);
        std::mt19937 rng(seed);
        std::vector<std::uint8_t> invalid(static_cast<std::size_t>(w * h));
        for (auto& v : invalid)
            v = rng() % 9 == 0 ? 255 : (rng() % 2 ? 254 : 0);
        for (int y = 20; y < 30; ++y)
            for (int x = 0; x < w; ++x)
                if (x % 31 != 0) invalid[static_cast<std::size_t>(y * w + x)] = 255;
        const float coef = seed == 3 ? 0.3f : 0.5f;
        const int sx = static_cast<int>(seed * 11) % w, sy = h - 1;
        invalid[static_cast<std::size_t>(sy * w + sx)] = 0;

        std::vector<float> expected = noisy.Wrapped;
        ReferenceRegionGrowing(expected, invalid, w, h, sx, sy, coef);
        auto map = MapOf(w, h, noisy.Wrapped);
        const auto areas =
            MakeGreyPicture(w, h, [&](int x, int y) { return invalid[static_cast<std::size_t>(y * w + x)]; });
        RegionGrowingUnwrap(*map, *areas, sx, sy, coef);
        EXPECT_EQ(Values(*map), expected) << "seed " << seed;

        ReferenceFill(expected, invalid, w, h);
        FillInvalidRuns(*map, areas.get());
        EXPECT_EQ(Values(*map), expected) << "seed " << seed;
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
