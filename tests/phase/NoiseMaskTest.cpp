#include "phase/NoiseMask.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

using Grey = std::vector<std::uint8_t>;

} // namespace

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
    EXPECT_EQ(Levels(*invalid), (Grey{0, 255, 255, 0, 0, 255, 255, 0, 0, 0, 0, 0}));

    // With a threshold above 0.6 no difference is wrapped: no residue.
    auto clean = MakeGreyPicture(4, 3, [](int, int) { return 0; });
    MaskNoise(*map, *clean, 0.61f, 0.001f);
    EXPECT_EQ(Levels(*clean), Grey(12, 0));
}

TEST(MaskNoise, ResidueThresholdOnBothSidesAndPixelsAreOnlyEverSet) {
    // A 2 x 2 map has one cell; its differences sum to 0 in exact arithmetic, so only wrapping
    // makes a residue: the bottom edge rises by 0.6 (wrapped), the right and top edges fall by 0.3:
    // about -2 pi.
    auto map = MakeFloatMap(2, 2, [](int x, int y) { return x == 1 ? (y == 0 ? 0.3 : 0.6) : 0.0; });
    auto below = MakeGreyPicture(2, 2, [](int, int) { return 0; });
    MaskNoise(*map, *below, 0.5f, 6.3f);
    EXPECT_EQ(Levels(*below), (Grey{0, 0, 0, 0}));
    auto above = MakeGreyPicture(2, 2, [](int, int) { return 0; });
    MaskNoise(*map, *above, 0.5f, 6.2f);
    EXPECT_EQ(Levels(*above), (Grey{255, 255, 255, 255}));

    // A loaded invalid area is extended, never cleared; the last row and column are reached.
    auto clean = MakeFloatMap(5, 4, [](int x, int y) { return x < 4 || y < 2 ? 0.0 : (y == 3 ? 0.6 : 0.3); });
    auto loaded = MakeGreyPicture(5, 4, [](int x, int y) { return x == 0 && y == 0 ? 255 : 7; });
    MaskNoise(*clean, *loaded, 0.5f, 0.001f);
    EXPECT_EQ(Levels(*loaded), (Grey{255, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 255, 255, 7, 7, 7, 255, 255}));
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
