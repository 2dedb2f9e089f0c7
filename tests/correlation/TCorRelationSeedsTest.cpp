#include <gtest/gtest.h>

#include "correlation/CorRelationSeeds.h"
#include "image/CorvaneError.h"

namespace corvane {
namespace {

TCorRelationPara Field(std::int32_t l, std::int32_t u, std::int32_t r, std::int32_t b, std::int32_t nx,
                       std::int32_t ny) {
    TCorRelationPara p;
    p.WinMoveX = p.WinMoveY = 33;
    p.Left = l, p.Up = u, p.Right = r, p.Bottom = b;
    p.SeedNumX = nx, p.SeedNumY = ny;
    return p;
}

void ExpectRegion(const TCorRelationSeed& s, int l, int u, int r, int b) {
    EXPECT_EQ(s.Left, l);
    EXPECT_EQ(s.Up, u);
    EXPECT_EQ(s.Right, r);
    EXPECT_EQ(s.Bottom, b);
}

TEST(SeedLayout, CellsRegionsAndEstimates) {
    TCorRelationPara p = Field(20, 20, 70, 70, 2, 2);
    p.SeedDispX = 3;
    p.SeedDispY = -2;
    const SeedGrid g = LayOutSeeds(p, 100, 100, 100, 100);
    ASSERT_EQ(g.Seeds.size(), 4u);
    // cw = ch = 51 / 4 = 12: seeds at 20 + 12 and 20 + 36, numbered row by row.
    EXPECT_EQ(g.Seeds[1].X, 56);
    EXPECT_EQ(g.Seeds[1].Y, 32);
    EXPECT_EQ(g.Seeds[1].EstX, 59);
    EXPECT_EQ(g.Seeds[1].EstY, 30);
    ExpectRegion(g.Seeds[0], 20, 20, 43, 43);
    ExpectRegion(g.Seeds[3], 44, 44, 70, 70); // the last column and row reach Right and Bottom
    for (char a : g.Active) EXPECT_EQ(a, 1);

    // One seed sits at the centre cell and owns the whole field.
    const SeedGrid one = LayOutSeeds(Field(20, 30, 70, 60, 1, 1), 100, 100, 100, 100);
    ASSERT_EQ(one.Seeds.size(), 1u);
    EXPECT_EQ(one.Seeds[0].X, 20 + 51 / 2);
    EXPECT_EQ(one.Seeds[0].Y, 30 + 31 / 2);
    ExpectRegion(one.Seeds[0], 20, 30, 70, 60);

    // Region bounds are clipped to the deformed picture, except the field's own right and bottom.
    // Seeds at 20, 60, 100 with estimates 40 pixels to the left in a deformed picture 70 wide.
    TCorRelationPara c = Field(0, 0, 119, 99, 3, 1);
    c.WinMoveX = c.WinMoveY = 9;
    c.SeedDispX = -40;
    const SeedGrid clipped = LayOutSeeds(c, 120, 100, 70, 100);
    EXPECT_EQ(clipped.Active[0], 0);
    ExpectRegion(clipped.Seeds[1], 0, 0, 69, 99);
    ExpectRegion(clipped.Seeds[2], 69, 0, 119, 99);
}

TEST(SeedLayout, OuterSeedsNearTheBorderAreTrimmedAndTheirRegionsAbsorbed) {
    // 3 x 3 seeds over 0..99: cw = 16, seeds at 16, 48, 80. WinMove 41 needs 20 pixels of room.
    TCorRelationPara p = Field(0, 0, 99, 99, 3, 3);
    p.WinMoveX = p.WinMoveY = 41;
    const SeedGrid g = LayOutSeeds(p, 100, 100, 100, 100);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(g.Active[i] != 0, i == 4) << i;
        if (i != 4) {
            EXPECT_TRUE(g.Seeds[i].Removed());
            ExpectRegion(g.Seeds[i], 0, 0, 0, 0);
            EXPECT_EQ(g.Seeds[i].EstX, 0);
        }
    }
    EXPECT_EQ(g.Seeds[4].X, 48);
    ExpectRegion(g.Seeds[4], 0, 0, 99, 99);

    // An estimate pushed out of the deformed picture removes the column on that side only.
    p.WinMoveX = p.WinMoveY = 33; // 16 pixels of room: every seed fits
    p.SeedDispX = 10;             // estimates 26, 58, 90 > 99 - 16
    const SeedGrid e = LayOutSeeds(p, 100, 100, 100, 100);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(e.Active[r * 3 + 2], 0);
        EXPECT_EQ(e.Seeds[r * 3 + 1].Right, 99);
        EXPECT_EQ(e.Active[r * 3], 1);
    }
    EXPECT_EQ(e.Seeds[6].Bottom, 99);
}

TEST(SeedLayout, NoSeedLeftIsRefused) {
    TCorRelationPara p = Field(0, 0, 39, 39, 2, 2);
    p.WinMoveX = p.WinMoveY = 61; // 30 pixels of room in a 40-pixel picture
    try {
        LayOutSeeds(p, 40, 40, 40, 40);
        FAIL() << "no seed fits, the layout must refuse";
    } catch (const CorvaneError& e) {
        EXPECT_STREQ(e.what(), "Check your computing parameters, then start again");
    }
}

} // namespace
} // namespace corvane
