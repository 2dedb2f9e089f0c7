#include <gtest/gtest.h>

#include <array>

#include "correlation/CorRelationSeeds.h"

namespace corvane {
namespace {

TCorRelationPara Field(std::int32_t l, std::int32_t u, std::int32_t r, std::int32_t b, std::int32_t n,
                       std::int32_t winMove = 33) {
    TCorRelationPara p;
    p.WinMoveX = p.WinMoveY = winMove;
    p.Left = l, p.Up = u, p.Right = r, p.Bottom = b;
    p.SeedNumX = p.SeedNumY = n;
    return p;
}

using Box = std::array<int, 4>;
const auto Region = [](const TCorRelationSeed& s) { return Box{s.Left, s.Up, s.Right, s.Bottom}; };

TEST(SeedLayout, CellsRegionsAndEstimates) {
    TCorRelationPara p = Field(20, 20, 70, 70, 2);
    p.SeedDispX = 3, p.SeedDispY = -2;
    const SeedGrid g = LayOutSeeds(p, 100, 100, 100, 100);
    ASSERT_EQ(g.Seeds.size(), 4u);
    // cw = ch = 51 / 4 = 12: seeds at 20 + 12 and 20 + 36, numbered row by row.
    const TCorRelationSeed& s = g.Seeds[1];
    EXPECT_EQ((Box{s.X, s.Y, s.EstX, s.EstY}), (Box{56, 32, 59, 30}));
    EXPECT_EQ(Region(g.Seeds[0]), (Box{20, 20, 43, 43}));
    EXPECT_EQ(Region(g.Seeds[3]), (Box{44, 44, 70, 70})); // reaches Right and Bottom

    // One seed sits at the centre cell and owns the whole field.
    p = Field(20, 30, 70, 60, 1);
    const TCorRelationSeed one = LayOutSeeds(p, 100, 100, 100, 100).Seeds.at(0);
    EXPECT_EQ(std::pair(one.X, one.Y), std::pair(20 + 51 / 2, 30 + 31 / 2));
    EXPECT_EQ(Region(one), (Box{20, 30, 70, 60}));

    // Bounds are clipped to the deformed picture, except the field's own right and bottom:
    // seeds at 20, 60, 100 with estimates 40 pixels to the left in a deformed picture 70 wide.
    p = Field(0, 0, 119, 99, 1, 9);
    p.SeedNumX = 3, p.SeedDispX = -40;
    const SeedGrid c = LayOutSeeds(p, 120, 100, 70, 100);
    EXPECT_EQ(c.Active[0], 0);
    EXPECT_EQ(Region(c.Seeds[1]), (Box{0, 0, 69, 99}));
    EXPECT_EQ(Region(c.Seeds[2]), (Box{69, 0, 119, 99}));
}

TEST(SeedLayout, OuterSeedsNearTheBorderAreTrimmedAndTheirRegionsAbsorbed) {
    // 3 x 3 seeds over 0..99 at 16, 48, 80; a WinMove of 41 needs 20 pixels of room.
    const SeedGrid g = LayOutSeeds(Field(0, 0, 99, 99, 3, 41), 100, 100, 100, 100);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(g.Active[i] != 0, i == 4) << i;
        if (i == 4) continue;
        EXPECT_EQ(Region(g.Seeds[i]), (Box{0, 0, 0, 0})) << i;
        EXPECT_EQ(std::pair(g.Seeds[i].X, g.Seeds[i].EstX), std::pair(0, 0)) << i;
    }
    EXPECT_EQ(Region(g.Seeds[4]), (Box{0, 0, 99, 99}));

    // Estimates pushed out of the deformed picture remove the column on that side only.
    TCorRelationPara p = Field(0, 0, 99, 99, 3);
    p.SeedDispX = 10; // estimates 26, 58, 90 > 99 - 16
    const SeedGrid e = LayOutSeeds(p, 100, 100, 100, 100);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ((Box{e.Active[r * 3], e.Active[r * 3 + 2], e.Seeds[r * 3 + 1].Right}), (Box{1, 0, 99}))
            << r;
    }
}

} // namespace
} // namespace corvane
