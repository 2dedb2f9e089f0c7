#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "correlation/CorRelationSearch.h"
#include "correlation/QuarterPixelImage.h"
#include "correlation/TCorRelationResult.h"
#include "support/PlainPointSearch.h"
#include "support/SpeckleImages.h"

namespace corvane {
namespace {

std::vector<std::uint8_t> Noise(std::int32_t w, std::int32_t h, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(0, 255);
    std::vector<std::uint8_t> v(static_cast<std::size_t>(w) * h);
    for (auto& p : v) p = static_cast<std::uint8_t>(d(rng));
    return v;
}

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(QuarterPixelImage, EqualsTheLiteralMeanConstructionEverywhere) {
    for (auto [w, h] : {std::pair{1, 1}, {2, 3}, {23, 17}, {40, 9}}) {
        const auto g = Noise(w, h, static_cast<unsigned>(w * 100 + h));
        QuarterPixelImage u;
        u.Build(g.data(), w, h);
        const test::PlainQuarterPicture plain = test::MakePlainQuarterPicture(g.data(), w, h);
        int mismatches = 0;
        for (std::int64_t k = 0; k < plain.Rows; ++k)
            for (std::int64_t l = 0; l < plain.Cols; ++l)
                if (!SameBits(u.At(k, l), plain.At(k, l))) ++mismatches;
        EXPECT_EQ(mismatches, 0) << w << "x" << h;
    }
    // On whole pixels U is the picture, halfway between two pixels their mean.
    const std::vector<std::uint8_t> g = {10, 30, 50, 70};
    QuarterPixelImage u;
    u.Build(g.data(), 2, 2);
    EXPECT_EQ(u.At(0, 4), 30.0f);
    EXPECT_EQ(u.At(4, 0), 50.0f);
    EXPECT_EQ(u.At(2, 2), 40.0f);
    EXPECT_EQ(u.At(1, 3), 0.25f * 10 * 0.75f + 0.75f * 30 * 0.75f + 0.25f * 50 * 0.25f + 0.75f * 70 * 0.25f);
}

// The fast search (phase planes, direct eighth-pixel candidates, interleaved sums) must return the
// very bits of the straightforward search, whatever the window shape and wherever the point lies,
// including points and predictions at and beyond the borders.
TEST(WholeFieldSearch, MatchesStraightforwardSearchBitForBit) {
    const std::pair<int, int> windows[] = {{13, 13}, {15, 9}, {4, 6}, {1, 1}, {3, 3}, {9, 14}};
    unsigned seed = 7;
    for (auto [wx, wy] : windows) {
        for (int picture = 0; picture < 2; ++picture) {
            const std::int32_t w0 = 61, h0 = 53, w1 = 57, h1 = 64;
            std::vector<std::uint8_t> f, g;
            if (picture == 0) {
                f = Noise(w0, h0, seed++);
                g = Noise(w1, h1, seed++);
            } else {
                test::SpeckleOptions o;
                o.Width = w0, o.Height = h0, o.Seed = seed++;
                f = test::MakeSpecklePair(o).Initial;
                o.Width = w1, o.Height = h1, o.ShiftX = 0.4, o.ShiftY = -0.3;
                g = test::MakeSpecklePair(o).Deformed;
            }
            QuarterPixelImage u;
            u.Build(g.data(), w1, h1);
            const test::PlainQuarterPicture plain = test::MakePlainQuarterPicture(g.data(), w1, h1);
            WholeFieldSearch search(f.data(), w0, h0, u, wx, wy);
            std::mt19937 rng(seed++);
            std::uniform_int_distribution<int> px(-2, w1 + 1), py(-2, h1 + 1), x(-1, w0), y(-1, h0);
            int found = 0;
            for (int i = 0; i < 300; ++i) {
                const int cx = i < 150 ? x(rng) : std::clamp(x(rng), wx, w0 - wx);
                const int cy = i < 150 ? y(rng) : std::clamp(y(rng), wy, h0 - wy);
                const int ppx = i % 3 == 0 ? cx + 1 : px(rng), ppy = i % 3 == 0 ? cy : py(rng);
                float dx = 0, dy = 0;
                const SearchOutcome got = search.Search(cx, cy, ppx, ppy, dx, dy);
                const test::PlainSearchResult want =
                    test::PlainPointSearch(f.data(), w0, h0, plain, w1, h1, wx, wy, cx, cy, ppx, ppy);
                ASSERT_EQ(static_cast<int>(got), want.Outcome)
                    << wx << "x" << wy << " at " << cx << "," << cy << " -> " << ppx << "," << ppy;
                if (got == SearchOutcome::Found) {
                    ++found;
                    ASSERT_TRUE(SameBits(dx, want.Dx) && SameBits(dy, want.Dy))
                        << dx << " " << want.Dx << " / " << dy << " " << want.Dy;
                }
            }
            EXPECT_GT(found, 100) << wx << "x" << wy;
        }
    }
}

TEST(WholeFieldSearch, BordersTiesAndBlackWindows) {
    const std::int32_t w = 40, h = 40;
    // A window touching the border, or a prediction that does, is not searched.
    const auto g = Noise(w, h, 3);
    QuarterPixelImage u;
    u.Build(g.data(), w, h);
    WholeFieldSearch search(g.data(), w, h, u, 13, 13); // hx = hy = 6
    float dx = 0, dy = 0;
    EXPECT_EQ(search.Search(6, 20, 20, 20, dx, dy), SearchOutcome::NotSearched);
    EXPECT_EQ(search.Search(33, 20, 20, 20, dx, dy), SearchOutcome::NotSearched);
    EXPECT_EQ(search.Search(20, 20, 20, 33, dx, dy), SearchOutcome::NotSearched);
    ASSERT_EQ(search.Search(7, 20, 7, 20, dx, dy), SearchOutcome::Found);
    EXPECT_EQ(dx, 0.0f);
    EXPECT_EQ(dy, 0.0f);
    ASSERT_EQ(search.Search(32, 32, 32, 32, dx, dy), SearchOutcome::Found);
    EXPECT_EQ(dx, 0.0f);

    // Every candidate of a uniform picture correlates equally: the first of each level wins.
    const std::vector<std::uint8_t> flat(static_cast<std::size_t>(w) * h, 120);
    QuarterPixelImage uf;
    uf.Build(flat.data(), w, h);
    WholeFieldSearch flatSearch(flat.data(), w, h, uf, 13, 13);
    ASSERT_EQ(flatSearch.Search(20, 20, 20, 20, dx, dy), SearchOutcome::Found);
    EXPECT_EQ(dx, -0.875f);
    EXPECT_EQ(dy, -0.875f);

    // A black initial window correlates with nothing.
    const std::vector<std::uint8_t> black(flat.size(), 0);
    WholeFieldSearch blackSearch(black.data(), w, h, uf, 13, 13);
    EXPECT_EQ(blackSearch.Search(20, 20, 20, 20, dx, dy), SearchOutcome::NoMatch);
}

TEST(SeedSearch, DerivedSizes) {
    const SeedSearchSetup s = DeriveSeedSearch(15, 15, 33, 33, 13, 13, 0.1f);
    EXPECT_EQ(s.Rx, 10);
    EXPECT_EQ(s.Ry, 10);
    EXPECT_EQ(s.Mx, 16);
    EXPECT_EQ(s.N, 19);
    EXPECT_EQ(s.NX, 159);
    EXPECT_EQ(s.NY, 159);
    EXPECT_EQ(s.P, 10);
    EXPECT_EQ(s.SampleCols, 159);
    EXPECT_EQ(DeriveSeedSearch(15, 15, 33, 33, 13, 13, 0.25f).N, 7);
    EXPECT_EQ(DeriveSeedSearch(15, 15, 33, 33, 13, 13, 0.25f).P, 4);
    EXPECT_EQ(DeriveSeedSearch(15, 15, 33, 33, 13, 13, 1.0f).N, 1);
    // 0.35 does not divide 1: P = 3 and N = 5 read up to sample 14 * 3 + 4 = 46, beyond NX = 45.
    const SeedSearchSetup odd = DeriveSeedSearch(15, 15, 33, 33, 13, 13, 0.35f);
    EXPECT_EQ(odd.NX, 45);
    EXPECT_EQ(odd.SampleCols, 47);
}

struct SeedCase {
    test::SpecklePair pair;
    SeedSearchSetup setup;
    std::vector<float> dx, dy;
    explicit SeedCase(double sx, double sy, std::int32_t size = 96) {
        test::SpeckleOptions o;
        o.Width = o.Height = size;
        o.ShiftX = sx;
        o.ShiftY = sy;
        pair = test::MakeSpecklePair(o);
        setup = DeriveSeedSearch(15, 15, 33, 33, 13, 13, 0.1f);
        dx.assign(static_cast<std::size_t>(size) * size, kNotComputed);
        dy = dx;
    }
    SeedSearch Search() const {
        return SeedSearch(pair.Initial.data(), pair.Width, pair.Height, pair.Deformed.data(), pair.Width,
                          pair.Height, setup);
    }
    float Dx(int x, int y) const { return dx[static_cast<std::size_t>(y) * pair.Width + x]; }
    float Dy(int x, int y) const { return dy[static_cast<std::size_t>(y) * pair.Width + x]; }
};

TEST(SeedSearch, WholeAndSubPixelShifts) {
    SeedCase whole(4.0, -3.0);
    SeedSearch s = whole.Search();
    std::int32_t bx = 0, by = 0;
    ASSERT_TRUE(s.IntegerMatch(40, 50, 40, 50, bx, by));
    EXPECT_EQ(bx, 44);
    EXPECT_EQ(by, 47);
    ASSERT_TRUE(s.Displacement(40, 50, 40, 50, whole.dx.data(), whole.dy.data()));
    EXPECT_EQ(whole.Dx(40, 50), 4.0f);
    EXPECT_EQ(whole.Dy(40, 50), -3.0f);
    // The refinements store their own results around the seed.
    EXPECT_EQ(whole.Dx(41, 49), 4.0f);
    EXPECT_EQ(whole.Dy(39, 51), -3.0f);

    SeedCase sub(2.3, -0.7);
    SeedSearch t = sub.Search();
    ASSERT_TRUE(t.Displacement(48, 48, 48, 48, sub.dx.data(), sub.dy.data()));
    EXPECT_NEAR(sub.Dx(48, 48), 2.3, 0.1);
    EXPECT_NEAR(sub.Dy(48, 48), -0.7, 0.1);
}

TEST(SeedSearch, SkipsSeedsTooNearABorderAndKeepsTheFirstOfEqualCandidates) {
    SeedCase c(0.0, 0.0);
    SeedSearch s = c.Search();
    std::int32_t bx = 0, by = 0;
    EXPECT_FALSE(s.IntegerMatch(15, 48, 15, 48, bx, by)) << "estimate closer than 16 to the border";
    EXPECT_FALSE(s.IntegerMatch(48, 48, 48, 16, bx, by)) << "candidate windows would reach row -1";
    EXPECT_TRUE(s.IntegerMatch(48, 48, 48, 17, bx, by));
    ASSERT_FALSE(s.Displacement(5, 48, 48, 48, c.dx.data(), c.dy.data())) << "seed window outside";
    EXPECT_EQ(c.Dx(5, 48), kNotComputed);

    // A uniform deformed picture correlates equally everywhere: the first candidate wins.
    std::vector<std::uint8_t> flat(c.pair.Deformed.size(), 90);
    SeedSearch f(c.pair.Initial.data(), 96, 96, flat.data(), 96, 96, c.setup);
    ASSERT_TRUE(f.IntegerMatch(48, 48, 50, 45, bx, by));
    EXPECT_EQ(bx, 40);
    EXPECT_EQ(by, 35);
    // Quarter steps sample a uniform picture exactly, so all sub-pixel candidates tie as well.
    SeedSearch q(c.pair.Initial.data(), 96, 96, flat.data(), 96, 96,
                 DeriveSeedSearch(15, 15, 33, 33, 13, 13, 0.25f));
    float dx = 0, dy = 0;
    ASSERT_TRUE(q.Refine(48, 48, 48, 48, dx, dy));
    EXPECT_EQ(dx, -0.75f);
    EXPECT_EQ(dy, -0.75f);
}

// Near the deformed picture's border some of the nine refinements fail; their markers must not
// enter the seed's mean.
TEST(SeedSearch, FailedNeighbourRefinementsStayOutOfTheSeedMean) {
    SeedCase c(3.0, 0.0);
    SeedSearch s = c.Search();
    // The match lies at x = 79 = 96 - 1 - 16: the three refinements one column to the right have
    // their prediction too near the border and fail.
    ASSERT_TRUE(s.Displacement(76, 48, 76, 48, c.dx.data(), c.dy.data()));
    EXPECT_EQ(c.Dx(77, 48), kNotComputed);
    EXPECT_EQ(c.Dx(76, 48), 3.0f);
    EXPECT_EQ(c.Dy(76, 48), 0.0f);
}

} // namespace
} // namespace corvane
