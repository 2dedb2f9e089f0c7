// Each stage of the correlation run on data that tells x from y and width from height: unequal
// seed counts and seed search areas on a landscape picture, sub-pixel shifts with different
// fractions on landscape and portrait pictures, and an output grid with different steps.
#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>
#include <vector>

#include "correlation/CorRelationSeeds.h"
#include "correlation/CorRelationTables.h"
#include "correlation/SeedSearch.h"
#include "support/SpeckleImages.h"
#include <array>

namespace corvane {
namespace {

using Bounds = std::tuple<int, int, int, int>;
Bounds RegionOf(const TCorRelationSeed& s) {
    return {s.Left, s.Up, s.Right, s.Bottom};
}

// 3 x 2 seeds over a 150 x 100 picture sit at x = 25, 75, 125 and y = 25, 75. A seed search area
// of 61 x 21 needs 30 pixels of room across and 10 down: the outer columns go, both rows stay.
TEST(EngineStagesAxes, SeedTrimmingUsesEachAxisOwnRoomAndPictureSide) {
    TCorRelationPara p;
    p.WinMoveX = 61, p.WinMoveY = 21;
    p.SeedNumX = 3, p.SeedNumY = 2;
    p.Left = 0, p.Up = 0, p.Right = 149, p.Bottom = 99;
    p.SeedDispX = 5, p.SeedDispY = -3;
    const SeedGrid g = LayOutSeeds(p, 150, 100, 150, 100);
    ASSERT_EQ(g.Seeds.size(), 6u);
    EXPECT_EQ(g.Active, (std::vector<char>{0, 1, 0, 0, 1, 0}));
    const TCorRelationSeed& top = g.Seeds[1];
    EXPECT_EQ(std::tuple(top.X, top.Y, top.EstX, top.EstY), std::tuple(75, 25, 80, 22));
    // The middle column takes over the regions of both removed columns; the rows split at 50.
    EXPECT_EQ(RegionOf(top), Bounds(0, 0, 149, 49));
    EXPECT_EQ(RegionOf(g.Seeds[4]), Bounds(0, 50, 149, 99));

    // Turned upright (100 x 150, 2 x 3 seeds, 21 x 61 area) the rows go instead.
    std::swap(p.WinMoveX, p.WinMoveY), std::swap(p.SeedNumX, p.SeedNumY);
    std::swap(p.Right, p.Bottom), std::swap(p.SeedDispX, p.SeedDispY);
    const SeedGrid u = LayOutSeeds(p, 100, 150, 100, 150);
    EXPECT_EQ(u.Active, (std::vector<char>{0, 0, 1, 1, 0, 0}));
    EXPECT_EQ(RegionOf(u.Seeds[2]), Bounds(0, 0, 49, 149));
}

// Fractions 0.3 across and 0.4 down: a refinement that swapped its axes, or a seed mean that took
// one component for the other, lands a whole step or more away.
TEST(EngineStagesAxes, SeedRefinementAndMeanKeepTheirAxesOnLandscapeAndPortraitPictures) {
    const double shiftX = 1.3, shiftY = -0.6;
    for (auto [w, h] : {std::pair{120, 80}, std::pair{80, 120}}) {
        const test::SpecklePair pair = test::MakeSpecklePair(
            {.Width = w, .Height = h, .ShiftX = shiftX, .ShiftY = shiftY, .DotRadius = 2.2, .Seed = 5});
        SeedSearch search(pair.Initial.data(), w, h, pair.Deformed.data(), w, h,
                          DeriveSeedSearch(15, 15, 33, 33, 13, 13, 0.1f));
        SeedSearch::Scratch scratch = search.MakeScratch();
        std::vector<float> dx(static_cast<std::size_t>(w) * h, kNotComputed), dy = dx;
        const int x = w / 2, y = h / 2;
        ASSERT_TRUE(search.Displacement(scratch, x, y, x, y, dx.data(), dy.data())) << w << " x " << h;
        const std::size_t seed = static_cast<std::size_t>(y) * w + x;
        EXPECT_NEAR(dx[seed], shiftX, 0.06) << w << " x " << h;
        EXPECT_NEAR(dy[seed], shiftY, 0.06) << w << " x " << h;
        // Each of the nine refinements is stored at its own point: (x + 1, y - 1) and (x - 1, y + 1).
        for (std::size_t at : {seed - w + 1, seed + w - 1}) {
            EXPECT_NEAR(dx[at], shiftX, 0.06) << at;
            EXPECT_NEAR(dy[at], shiftY, 0.06) << at;
        }
    }
}

std::vector<std::pair<double, double>> Positions(const std::string& table) {
    std::vector<std::pair<double, double>> out;
    double x, y, a, b;
    int used = 0;
    for (const char* at = table.c_str(); std::sscanf(at, "%lf %lf %lf %lf%n", &x, &y, &a, &b, &used) == 4;
         at += used)
        out.emplace_back(x, y);
    return out;
}

// Steps of 3 across and 7 down over a 40 x 25 picture; the field reaches past the picture on the
// right and at the bottom, and the grid meets the last column (39) and the last row (24).
TEST(EngineStagesAxes, OutputGridStepsAcrossAndDownAndMeetsTheLastColumnAndRow) {
    TCorRelationResult r;
    r.W0 = r.W1 = 40, r.H0 = r.H1 = 25;
    r.dx.assign(40 * 25, 0.25f), r.dy.assign(40 * 25, -0.5f);
    TCorRelationPara& p = r.Para;
    p.Left = 0, p.Up = 3, p.Right = 45, p.Bottom = 100, p.GridX = 3, p.GridY = 7;
    p.Amplitude = 100.0f, p.ScaleX = p.ScaleY = 1.0f;
    std::vector<std::pair<double, double>> expected;
    for (int y = 3; y <= 24; y += 7)
        for (int x = 0; x <= 39; x += 3)
            expected.emplace_back(x, y);
    EXPECT_EQ(Positions(FormatDisplacementTables(r, false, false, 0.25f, -0.5f, nullptr).XY), expected);

    // A grid of 1 over a field larger than the picture lists every pixel once, in row order.
    p.Left = -2, p.Up = -1, p.GridX = p.GridY = 1;
    const auto every = Positions(FormatDisplacementTables(r, false, false, 0.25f, -0.5f, nullptr).XY);
    ASSERT_EQ(every.size(), 40u * 25u);
    EXPECT_EQ(every[40], std::pair(0.0, 1.0));
    EXPECT_EQ(every.back(), std::pair(39.0, 24.0));
}

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
