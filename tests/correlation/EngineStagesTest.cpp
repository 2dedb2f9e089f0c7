// The stages of the correlation run: the seed layout and its trimming, the seed and whole-field
// searches (the fast search against a straightforward one, bit for bit), the post filters and the
// output grid, on data that tells x from y and width from height: unequal seed counts and seed
// search areas on a landscape picture, sub-pixel shifts with different fractions on landscape and
// portrait pictures, and an output grid with different steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <random>
#include <tuple>
#include <utility>
#include <vector>

#include "correlation/CorRelationPostFilter.h"
#include "correlation/CorRelationSearch.h"
#include "correlation/CorRelationSeeds.h"
#include "correlation/CorRelationTables.h"
#include "correlation/QuarterPixelImage.h"
#include "correlation/SeedSearch.h"
#include "correlation/TCorRelationResult.h"
#include "support/SpeckleImages.h"

namespace corvane {
namespace {

using Box = std::array<int, 4>;
Box Region(const TCorRelationSeed& s) {
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
    EXPECT_EQ(Region(top), (Box{0, 0, 149, 49}));
    EXPECT_EQ(Region(g.Seeds[4]), (Box{0, 50, 149, 99}));
    // A removed seed keeps nothing: no position, estimate or region.
    EXPECT_EQ((std::array{g.Seeds[0].X, g.Seeds[0].EstX, g.Seeds[0].Right, g.Seeds[5].Bottom}),
              (Box{0, 0, 0, 0}));

    // Turned upright (100 x 150, 2 x 3 seeds, 21 x 61 area) the rows go instead.
    std::swap(p.WinMoveX, p.WinMoveY), std::swap(p.SeedNumX, p.SeedNumY);
    std::swap(p.Right, p.Bottom), std::swap(p.SeedDispX, p.SeedDispY);
    const SeedGrid u = LayOutSeeds(p, 100, 150, 100, 150);
    EXPECT_EQ(u.Active, (std::vector<char>{0, 0, 1, 1, 0, 0}));
    EXPECT_EQ(Region(u.Seeds[2]), (Box{0, 0, 49, 149}));
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

// 3 x 3 seeds over 0..99 at 16, 48, 80. A WinMove of 41 needs 20 pixels of room: only the centre
// stays and owns the whole field. Estimates pushed out of the deformed picture remove the column on
// that side only.
TEST(SeedLayout, OuterSeedsNearTheBorderAreTrimmedAndTheirRegionsAbsorbed) {
    const SeedGrid g = LayOutSeeds(Field(0, 0, 99, 99, 3, 41), 100, 100, 100, 100);
    EXPECT_EQ(g.Active, (std::vector<char>{0, 0, 0, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(Region(g.Seeds[4]), (Box{0, 0, 99, 99}));
    TCorRelationPara p = Field(0, 0, 99, 99, 3);
    p.SeedDispX = 10; // estimates 26, 58, 90 > 99 - 16
    const SeedGrid e = LayOutSeeds(p, 100, 100, 100, 100);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ((Box{e.Active[r * 3], e.Active[r * 3 + 2], e.Seeds[r * 3 + 1].Right}), (Box{1, 0, 99}))
            << r;
    }
}

constexpr int W = 12, H = 10;
constexpr float M = kNotComputed;

// A field over 1..10 x 1..8 of a 12 x 10 picture, dx = 0.1x and dy = -0.05y unless given.
struct Maps {
    std::vector<float> dx, dy;
    Maps(float u = 0.0f, float v = 0.0f) : dx(W * H, M), dy(W * H, M) {
        for (int y = 1; y <= 8; ++y)
            for (int x = 1; x <= 10; ++x)
                Set(x, y, u != 0.0f ? u : 0.1f * x, v != 0.0f ? v : -0.05f * y);
    }
    void Set(int x, int y, float u, float v) { dx[y * W + x] = u, dy[y * W + x] = v; }
    float X(int x, int y) const { return dx[y * W + x]; }
    float Y(int x, int y) const { return dy[y * W + x]; }
    DisplacementField Field() { return {dx, dy, W, H, 1, 1, 10, 8}; }
};

TEST(MedianPostFilter, RemovesOutliersCountsMarkersAndFiltersOnlyUpToTheStrictBounds) {
    Maps m;
    m.Set(5, 4, 7.0f, -9.0f);
    for (auto [x, y] : {std::pair{6, 5}, {7, 5}, {8, 5}, {6, 6}})
        m.Set(x, y, M, M);
    Maps n = m;
    MedianPostFilter(m.Field(), 2, 2); // an even size grows to 3
    // Filtered: x = 2 ... while x < 10 - 1, y = 2 ... while y < 8 - 1; every other point is marked.
    // Markers count as 1000.0: four of nine around (7, 6) leave the largest computed value in the
    // middle, five make the median a marker.
    const Maps p;
    EXPECT_EQ(std::vector<float>({m.X(5, 4), m.Y(5, 4), m.X(2, 2), m.Y(8, 2), m.X(2, 6), m.X(7, 6)}),
              std::vector<float>({p.X(5, 4), p.Y(5, 4), p.X(2, 2), p.Y(8, 2), p.X(2, 6), p.X(8, 6)}));
    for (auto [x, y] : {std::pair{1, 4}, {9, 4}, {5, 7}, {5, 1}, {9, 7}})
        EXPECT_EQ(m.X(x, y), M) << x << "," << y;
    n.Set(8, 7, M, M);
    MedianPostFilter(n.Field(), 3, 3);
    EXPECT_EQ(n.X(7, 6), M);

    // A size of 0 is a 1 x 1 window: it keeps every value it reaches, but its strict bounds leave
    // the field's last column and row out, and those are marked.
    Maps zero;
    MedianPostFilter(zero.Field(), 0, 0);
    for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 10; ++x)
            ASSERT_EQ(zero.X(x, y), x < 10 && y < 8 ? Maps().X(x, y) : M) << x << "," << y;
}

TEST(AveragePostFilter, ReplacesPointsBeyondTheThresholdInPlace) {
    Maps m(1.0f, 2.0f);
    m.Set(4, 4, 1.9f, 2.0f); // mean 1.1: off by 0.8 > 0.5, replaced
    m.Set(7, 4, 1.4f, 2.0f); // mean 1.044: off by 0.356, kept
    m.Set(5, 6, M, M);       // a hole among computed points is filled
    m.Set(9, 4, 1.9f, 2.0f); // beyond the strict bound x < 9: kept
    AveragePostFilter(m.Field(), 3, 3, 0.5f);
    EXPECT_EQ(std::vector<float>({m.X(4, 4), m.Y(4, 4), m.X(7, 4), m.X(5, 6), m.Y(5, 6), m.X(9, 4)}),
              std::vector<float>({1.1f, 2.0f, 1.4f, 1.0f, 2.0f, 1.9f}));

    // Later points see earlier replacements: along a step of 0.8, (5,y) sees 0, 0, 0.8 and moves
    // to 0.267; (6,y) then sees 0.267, 0.8, 0.8, a mean only 0.178 away, and stays.
    Maps s(1.0f, 1.0f);
    for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 10; ++x)
            s.Set(x, y, x >= 6 ? 0.8f : 0.0f, 0.0f);
    AveragePostFilter(s.Field(), 3, 1, 0.25f);
    EXPECT_NEAR(s.X(5, 3), 0.8f / 3, 1e-6);
    EXPECT_FLOAT_EQ(s.X(6, 3), 0.8f);

    // A window without any computed point leaves the centre alone.
    Maps none;
    std::fill(none.dx.begin(), none.dx.end(), M);
    AveragePostFilter(none.Field(), 3, 3, 0.1f);
    EXPECT_EQ(none.X(5, 5), M);
}

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
    bool IntegerMatch(int x, int y, int ex, int ey, std::int32_t& bx, std::int32_t& by) {
        return s.IntegerMatch(scratch, x, y, ex, ey, bx, by);
    }
    bool Refine(int x, int y, float& dx, float& dy) { return s.Refine(scratch, x, y, x, y, dx, dy); }
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
    EXPECT_TRUE(Seeds(0.35f).Refine(48, 48, dx, dy));

    const std::vector<std::uint8_t> flat(96 * 96, 90);
    ASSERT_TRUE(Seeds(0.1f, 0.0, flat.data()).IntegerMatch(48, 48, 50, 45, bx, by));
    EXPECT_EQ(std::pair(bx, by), std::pair(40, 35));
    // Quarter steps sample a uniform picture exactly, so the sub-pixel candidates tie as well.
    ASSERT_TRUE(Seeds(0.25f, 0.0, flat.data()).Refine(48, 48, dx, dy));
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
