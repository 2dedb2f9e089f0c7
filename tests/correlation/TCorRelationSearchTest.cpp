#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "correlation/CorRelationSearch.h"
#include "correlation/QuarterPixelImage.h"
#include "correlation/TCorRelationResult.h"
#include "support/SpeckleImages.h"

namespace corvane {
namespace {

std::vector<std::uint8_t> Noise(std::int32_t w, std::int32_t h, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> v(static_cast<std::size_t>(w) * h);
    std::generate(v.begin(), v.end(), [&] { return static_cast<std::uint8_t>(rng() % 256); });
    return v;
}

// The quarter-pixel picture written out in full and filled literally in three steps: pixel rows
// (whole pixels, column midpoints, odd columns), rows 2 mod 4, odd rows.
struct PlainQuarter {
    std::int64_t Cols, Rows;
    std::vector<float> U;
    float& At(std::int64_t k, std::int64_t l) { return U[static_cast<std::size_t>(k * Cols + l)]; }
};

PlainQuarter MakePlainQuarter(const std::uint8_t* g, std::int32_t w, std::int32_t h) {
    PlainQuarter q{4 * w - 3, 4 * h - 3,
                   std::vector<float>(static_cast<std::size_t>((4 * w - 3) * (4 * h - 3)))};
    for (std::int32_t r = 0; r < h; ++r) {
        for (std::int32_t c = 0; c < w; ++c)
            q.At(4 * r, 4 * c) = g[r * w + c];
        for (std::int32_t c = 0; c + 1 < w; ++c)
            q.At(4 * r, 4 * c + 2) = (float(g[r * w + c]) + g[r * w + c + 1]) / 2;
        for (std::int64_t l = 1; l < q.Cols; l += 2)
            q.At(4 * r, l) = (q.At(4 * r, l - 1) + q.At(4 * r, l + 1)) / 2;
    }
    for (std::int64_t k = 2; k < q.Rows; k += 4)
        for (std::int64_t l = 0; l < q.Cols; ++l)
            q.At(k, l) = (q.At(k - 2, l) + q.At(k + 2, l)) / 2;
    for (std::int64_t k = 1; k < q.Rows; k += 2)
        for (std::int64_t l = 0; l < q.Cols; ++l)
            q.At(k, l) = (q.At(k - 1, l) + q.At(k + 1, l)) / 2;
    return q;
}

// The three-level point search done the obvious way: every candidate summed row by row in double,
// and the eighth-pixel buffer V of (8wx - 3) x (8wy - 3) filled in full.
SearchOutcome PlainSearch(const std::uint8_t* f, std::int32_t w0, std::int32_t h0, PlainQuarter& u,
                          std::int32_t w1, std::int32_t h1, std::int32_t wx, std::int32_t wy, std::int32_t x,
                          std::int32_t y, std::int32_t px, std::int32_t py, float& dx, float& dy) {
    const std::int32_t hx = wx / 2, hy = wy / 2;
    if (!(hx < x && x < w0 - hx - 1 && hy < y && y < h0 - hy - 1 && hx < px && px < w1 - hx - 1 && hy < py &&
          py < h1 - hy - 1))
        return SearchOutcome::NotSearched;
    auto F = [&](std::int32_t jj, std::int32_t ii) { return double(f[(y - hy + ii) * w0 + (x - hx + jj)]); };
    auto level = [&](auto valueAt, int from, int& ba, int& bb) {
        double best = 0;
        ba = bb = -1;
        for (int a = from; a < from + 3; ++a)
            for (int b = from; b < from + 3; ++b) {
                double sff = 0, sfg = 0, sgg = 0;
                for (std::int32_t ii = 0; ii < wy; ++ii)
                    for (std::int32_t jj = 0; jj < wx; ++jj) {
                        const double g = valueAt(a, b, ii, jj);
                        sff += F(jj, ii) * F(jj, ii), sfg += F(jj, ii) * g, sgg += g * g;
                    }
                if (sfg / std::sqrt(sff * sgg) > best) best = sfg / std::sqrt(sff * sgg), ba = a, bb = b;
            }
        return ba >= 0;
    };
    // Candidates of the quarter picture: (a, b) moves by step samples from offset (r0, c0).
    auto quarter = [&](std::int64_t r0, std::int64_t c0, int step) {
        return [&, r0, c0, step](int a, int b, int ii, int jj) {
            return u.At(4 * (py - hy + ii) + r0 + step * a, 4 * (px - hx + jj) + c0 + step * b);
        };
    };
    int a1, b1, a2, b2, a3, b3;
    if (!level(quarter(-2, -2, 2), 0, a1, b1) || !level(quarter(2 * a1 - 3, 2 * b1 - 3, 1), 0, a2, b2))
        return SearchOutcome::NoMatch;
    const std::int64_t R0 = 4 * (py - hy) + 2 * a1 + a2 - 4, C0 = 4 * (px - hx) + 2 * b1 + b2 - 4;
    const std::int32_t vc = 8 * wx - 3, vr = 8 * wy - 3;
    std::vector<float> V(static_cast<std::size_t>(vc) * vr);
    auto Vat = [&](int r, int c) -> float& { return V[static_cast<std::size_t>(r) * vc + c]; };
    for (std::int32_t r = 0; 2 * r < vr; ++r)
        for (std::int32_t c = 0; 2 * c < vc; ++c) {
            Vat(2 * r, 2 * c) = u.At(R0 + r, C0 + c);
            if (2 * c + 1 < vc) Vat(2 * r, 2 * c + 1) = (u.At(R0 + r, C0 + c) + u.At(R0 + r, C0 + c + 1)) / 2;
        }
    for (std::int32_t r = 1; r < vr; r += 2)
        for (std::int32_t c = 0; c < vc; ++c)
            Vat(r, c) = (Vat(r - 1, c) + Vat(r + 1, c)) / 2;
    if (!level([&](int a, int b, int ii, int jj) { return Vat(8 * ii + a, 8 * jj + b); }, 1, a3, b3))
        return SearchOutcome::NoMatch;
    dx = static_cast<float>((px - x) + 0.5 * (b1 - 1) + 0.25 * (b2 - 1) + 0.125 * (b3 - 2));
    dy = static_cast<float>((py - y) + 0.5 * (a1 - 1) + 0.25 * (a2 - 1) + 0.125 * (a3 - 2));
    return SearchOutcome::Found;
}

// The fast search (quarter-pixel picture in phase planes, direct eighth-pixel candidates,
// interleaved sums, reused centre coefficients) must return the very bits of the straightforward
// search, for odd, even and unequal windows, on noise and on speckles, at and beyond the borders.
TEST(WholeFieldSearch, MatchesStraightforwardSearchBitForBit) {
    unsigned seed = 7;
    for (auto [wx, wy] : {std::pair{13, 13}, {15, 9}, {4, 6}, {1, 1}, {9, 14}}) {
        for (bool speckles : {false, true}) {
            const std::int32_t w0 = 61, h0 = 53, w1 = 57, h1 = 64;
            const test::SpeckleOptions o{
                .Width = w1, .Height = h1, .ShiftX = 0.4, .ShiftY = -0.3, .Seed = seed};
            const auto f = speckles ? test::MakeSpecklePair({.Width = w0, .Height = h0, .Seed = seed}).Initial
                                    : Noise(w0, h0, seed + 1);
            const auto g = speckles ? test::MakeSpecklePair(o).Deformed : Noise(w1, h1, seed + 2);
            QuarterPixelImage u;
            u.Build(g.data(), w1, h1);
            PlainQuarter plain = MakePlainQuarter(g.data(), w1, h1);
            const WholeFieldSearch search(f.data(), w0, h0, u, wx, wy);
            WholeFieldSearch::Scratch scratch = search.MakeScratch();
            std::mt19937 rng(seed += 4);
            int found = 0;
            for (int i = 0; i < 300; ++i) {
                const int x = static_cast<int>(rng() % (w0 + 2)) - 1,
                          y = static_cast<int>(rng() % (h0 + 2)) - 1;
                const int px = i % 2 ? x + 1 : static_cast<int>(rng() % (w1 + 4)) - 2;
                const int py = i % 2 ? y : static_cast<int>(rng() % (h1 + 4)) - 2;
                float dx = 0, dy = 0, wantX = 0, wantY = 0;
                const SearchOutcome got = search.Search(scratch, x, y, px, py, dx, dy);
                ASSERT_EQ(got,
                          PlainSearch(f.data(), w0, h0, plain, w1, h1, wx, wy, x, y, px, py, wantX, wantY))
                    << wx << "x" << wy << " at " << x << "," << y;
                found += got == SearchOutcome::Found;
                ASSERT_TRUE(got != SearchOutcome::Found ||
                            (std::bit_cast<std::uint32_t>(dx) == std::bit_cast<std::uint32_t>(wantX) &&
                             std::bit_cast<std::uint32_t>(dy) == std::bit_cast<std::uint32_t>(wantY)))
                    << dx << " " << wantX;
            }
            EXPECT_GT(found, 50) << wx << "x" << wy;
        }
    }
}

// All candidates of a uniform picture tie: the first of every level wins. A black initial window
// correlates with nothing.
TEST(WholeFieldSearch, TiesKeepTheFirstCandidateAndBlackWindowsFindNothing) {
    const std::vector<std::uint8_t> flat(40 * 40, 120), black(40 * 40, 0);
    QuarterPixelImage u;
    u.Build(flat.data(), 40, 40);
    float dx = 0, dy = 0;
    const WholeFieldSearch onFlat(flat.data(), 40, 40, u, 13, 13), onBlack(black.data(), 40, 40, u, 13, 13);
    WholeFieldSearch::Scratch scratch = onFlat.MakeScratch();
    ASSERT_EQ(onFlat.Search(scratch, 20, 20, 20, 20, dx, dy), SearchOutcome::Found);
    EXPECT_EQ(std::pair(dx, dy), std::pair(-0.875f, -0.875f));
    EXPECT_EQ(onBlack.Search(scratch, 20, 20, 20, 20, dx, dy), SearchOutcome::NoMatch);
}

TEST(SeedSearch, DerivedSizesCoverEverySampleRead) {
    const SeedSearchSetup s = DeriveSeedSearch(15, 15, 33, 33, 13, 13, 0.1f);
    EXPECT_EQ(std::vector<int>({s.Rx, s.Mx, s.N, s.NX, s.P, s.SampleCols}),
              std::vector<int>({10, 16, 19, 159, 10, 159}));
    // 0.35 does not divide 1: P = 3 and N = 5 read up to sample 14 * 3 + 4 = 46, beyond NX = 45.
    const SeedSearchSetup odd = DeriveSeedSearch(15, 15, 33, 33, 13, 13, 0.35f);
    EXPECT_EQ(std::pair(odd.NX, odd.SampleCols), std::pair(45, 47));
}

// A seed search over a 96 x 96 speckle pair (or the given deformed picture) with the default
// windows and the given step.
struct Seeds {
    test::SpecklePair p;
    SeedSearch s;
    SeedSearch::Scratch scratch;
    Seeds(float step, double shiftX = 0.0, const std::uint8_t* deformed = nullptr)
        : p(test::MakeSpecklePair({.Width = 96, .Height = 96, .ShiftX = shiftX})),
          s(p.Initial.data(), 96, 96, deformed ? deformed : p.Deformed.data(), 96, 96,
            DeriveSeedSearch(15, 15, 33, 33, 13, 13, step)),
          scratch(s.MakeScratch()) {}
    bool IntegerMatch(std::int32_t x, std::int32_t y, std::int32_t ex, std::int32_t ey, std::int32_t& bx,
                      std::int32_t& by) {
        return s.IntegerMatch(scratch, x, y, ex, ey, bx, by);
    }
    bool Refine(std::int32_t x, std::int32_t y, std::int32_t px, std::int32_t py, float& dx, float& dy) {
        return s.Refine(scratch, x, y, px, py, dx, dy);
    }
};

TEST(SeedSearch, SkipsSeedsNearABorderAndKeepsTheFirstOfEqualCandidates) {
    Seeds seeds(0.1f);
    std::int32_t bx = 0, by = 0;
    EXPECT_FALSE(seeds.IntegerMatch(15, 48, 15, 48, bx, by)) << "estimate closer than 16 to the border";
    EXPECT_FALSE(seeds.IntegerMatch(48, 48, 48, 16, bx, by)) << "candidate windows would reach row -1";
    EXPECT_TRUE(seeds.IntegerMatch(48, 48, 48, 17, bx, by));
    EXPECT_FALSE(seeds.IntegerMatch(6, 48, 20, 48, bx, by)) << "seed window outside the initial picture";
    // A step that does not divide 1 reads no sample beyond those taken (checked under the sanitizers).
    float dx = 0, dy = 0;
    EXPECT_TRUE(Seeds(0.35f).Refine(48, 48, 48, 48, dx, dy));

    const std::vector<std::uint8_t> flat(96 * 96, 90);
    ASSERT_TRUE(Seeds(0.1f, 0.0, flat.data()).IntegerMatch(48, 48, 50, 45, bx, by));
    EXPECT_EQ(std::pair(bx, by), std::pair(40, 35));
    // Quarter steps sample a uniform picture exactly, so the sub-pixel candidates tie as well.
    ASSERT_TRUE(Seeds(0.25f, 0.0, flat.data()).Refine(48, 48, 48, 48, dx, dy));
    EXPECT_EQ(std::pair(dx, dy), std::pair(-0.75f, -0.75f));
}

// Near the deformed picture's border some of the nine refinements fail; their markers must not
// enter the seed's mean.
TEST(SeedSearch, FailedNeighbourRefinementsStayOutOfTheSeedMean) {
    Seeds seeds(0.1f, 3.0);
    std::vector<float> dx(96 * 96, kNotComputed), dy = dx;
    // The match lies at x = 79 = 96 - 1 - 16: the three refinements one column to the right have
    // their prediction too near the border and fail.
    ASSERT_TRUE(seeds.s.Displacement(seeds.scratch, 76, 48, 76, 48, dx.data(), dy.data()));
    EXPECT_EQ(dx[48 * 96 + 77], kNotComputed);
    // Each refinement stores its own result.
    EXPECT_EQ(std::vector<float>({dx[47 * 96 + 75], dx[48 * 96 + 76], dy[48 * 96 + 76]}),
              std::vector<float>({3.0f, 3.0f, 0.0f}));
}

} // namespace
} // namespace corvane
