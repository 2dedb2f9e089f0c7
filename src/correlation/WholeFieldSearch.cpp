#include "correlation/WholeFieldSearch.h"

#include "correlation/WindowCorrelation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace corvane {

using namespace window_correlation;

namespace {

constexpr double kSixteenth = 1.0 / 16.0;
constexpr double kSixtyFourth = 1.0 / 64.0;

// The column level of one row of three neighbouring quarter-pixel entries, in 1/64 grey level.
// Every value stays below 2^15, so the loop runs on 16-bit lanes; restrict lets it.
void ColumnLevel(const std::uint16_t* __restrict u0, const std::uint16_t* __restrict u1,
                 const std::uint16_t* __restrict u2, std::uint16_t* __restrict h0,
                 std::uint16_t* __restrict h1, std::uint16_t* __restrict h2, std::size_t n) {
    for (std::size_t jj = 0; jj < n; ++jj) {
        h0[jj] = static_cast<std::uint16_t>(2 * (u0[jj] + u1[jj]));
        h1[jj] = static_cast<std::uint16_t>(4 * u1[jj]);
        h2[jj] = static_cast<std::uint16_t>(2 * (u1[jj] + u2[jj]));
    }
}

// The row level of one column phase: the means with the rows above and below, and the row itself.
void RowLevel(const std::uint16_t* __restrict top, const std::uint16_t* __restrict mid,
              const std::uint16_t* __restrict bottom, std::uint16_t* __restrict above,
              std::uint16_t* __restrict level, std::uint16_t* __restrict below, std::size_t n) {
    for (std::size_t jj = 0; jj < n; ++jj) {
        above[jj] = static_cast<std::uint16_t>((top[jj] + mid[jj]) >> 1);
        level[jj] = mid[jj];
        below[jj] = static_cast<std::uint16_t>((mid[jj] + bottom[jj]) >> 1);
    }
}

} // namespace

WholeFieldSearch::WholeFieldSearch(const std::uint8_t* initial, std::int32_t w0, std::int32_t h0,
                                   const QuarterPixelImage& deformed, std::int32_t winX, std::int32_t winY)
    : f_(initial), w0_(w0), h0_(h0), u_(deformed), wx_(winX), wy_(winY), hx_(winX / 2), hy_(winY / 2) {}

WholeFieldSearch::Scratch WholeFieldSearch::MakeScratch() const {
    Scratch s;
    const std::size_t n = static_cast<std::size_t>(wx_) * static_cast<std::size_t>(wy_);
    s.Window.resize(n);
    s.Eighth.resize(9 * n);
    s.Whole.resize(n);
    s.Levels.resize(9 * static_cast<std::size_t>(wx_));
    return s;
}

// The nine eighth-pixel candidates read the eighth-pixel grid only at rows 8ii + a and columns
// 8jj + b (a, b = 1..3); each such value is the mean construction of the grid from the 3 x 3
// quarter-pixel entries at U[r0 + 4ii + r][c0 + 4jj + c], computed here directly in 1/64 of a grey
// level: a quarter-pixel entry of k sixteenths is 4k, the mean of two of them 2(k + k'), and the
// mean of two such even counts is whole.
void WholeFieldSearch::BuildEighthPixelCandidates(Scratch& s, std::int64_t r0, std::int64_t c0) const {
    // At most one of the nine entries lies on a whole pixel; its window of grey bytes is taken in
    // sixteenths into the scratch, so every source reads alike.
    const std::uint16_t* src[3][3];
    std::ptrdiff_t stride[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            stride[r][c] = u_.Width();
            if (!QuarterPixelImage::WholePixel(r0 + r, c0 + c)) {
                src[r][c] = u_.Entry(r0 + r, c0 + c);
                continue;
            }
            const std::uint8_t* grey = u_.GreyEntry(r0 + r, c0 + c);
            std::uint16_t* whole = s.Whole.data();
            for (std::int32_t ii = 0; ii < wy_; ++ii, grey += u_.Width())
                for (std::int32_t jj = 0; jj < wx_; ++jj)
                    *whole++ = static_cast<std::uint16_t>(grey[jj] * QuarterPixelImage::kSteps);
            src[r][c] = s.Whole.data();
            stride[r][c] = wx_;
        }
    // Row by row: the column level first, h[r][b] = 2(U[r][b] + U[r][b+1]) (b = 0, 2) or 4 U[r][1],
    // then the row level of each column phase.
    const std::size_t n = s.Window.size();
    const std::size_t wx = static_cast<std::size_t>(wx_);
    std::uint16_t* h = s.Levels.data();
    std::uint16_t* eighth = s.Eighth.data();
    for (std::int32_t ii = 0; ii < wy_; ++ii) {
        for (int r = 0; r < 3; ++r) {
            std::uint16_t* h0 = h + 3 * r * wx;
            ColumnLevel(src[r][0] + ii * stride[r][0], src[r][1] + ii * stride[r][1],
                        src[r][2] + ii * stride[r][2], h0, h0 + wx, h0 + 2 * wx, wx);
        }
        const std::size_t o = static_cast<std::size_t>(ii) * wx;
        for (int b = 0; b < 3; ++b)
            RowLevel(h + b * wx, h + (3 + b) * wx, h + (6 + b) * wx, eighth + b * n + o,
                     eighth + (3 + b) * n + o, eighth + (6 + b) * n + o, wx);
    }
}

SearchOutcome WholeFieldSearch::Search(Scratch& s, std::int32_t x, std::int32_t y, std::int32_t px,
                                       std::int32_t py, float& dx, float& dy, std::int32_t reach) const {
    const std::int32_t w1 = u_.Width(), h1 = u_.Height();
    const auto inside = [&](std::int32_t u, std::int32_t v) {
        return hx_ < u && u < w1 - hx_ - 1 && hy_ < v && v < h1 - hy_ - 1;
    };
    if (!(hx_ < x && x < w0_ - hx_ - 1 && hy_ < y && y < h0_ - hy_ - 1 && inside(px, py)))
        return SearchOutcome::NotSearched;
    const std::int16_t* window = s.Window.data();
    const double sff = LoadWindow(f_, w0_, x - hx_, y - hy_, wx_, wy_, s.Window.data());
    const std::ptrdiff_t stride = u_.Width();
    if (reach > 0) {
        double bestWhole = 0.0;
        std::int32_t bx = px, by = py;
        for (std::int32_t a = -reach; a <= reach; ++a)
            for (std::int32_t b = -reach; b <= reach; ++b) {
                if (!inside(px + b, py + a)) continue;
                const double cc = CorrelateExact(
                    window, sff, u_.GreyEntry(4 * std::int64_t{py + a - hy_}, 4 * std::int64_t{px + b - hx_}),
                    stride, wx_, wy_, 1.0);
                if (cc > bestWhole) bestWhole = cc, bx = px + b, by = py + a;
            }
        px = bx, py = by;
    }
    auto candidate = [&](std::int64_t k, std::int64_t l) {
        if (QuarterPixelImage::WholePixel(k, l))
            return CorrelateExact(window, sff, u_.GreyEntry(k, l), stride, wx_, wy_, 1.0);
        return CorrelateExact(window, sff, u_.Entry(k, l), stride, wx_, wy_, kSixteenth);
    };

    const std::int64_t r = 4 * static_cast<std::int64_t>(py - hy_);
    const std::int64_t c = 4 * static_cast<std::int64_t>(px - hx_);

    // Half-pixel level.
    double best = 0.0;
    int a1 = -1, b1 = -1;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            const double cc = candidate(r + 2 * a - 2, c + 2 * b - 2);
            if (cc > best) best = cc, a1 = a, b1 = b;
        }
    if (a1 < 0) return SearchOutcome::NoMatch;

    // Quarter-pixel level; its centre candidate is the best of the half-pixel level, whose
    // coefficient is already known.
    const double centre1 = best;
    best = 0.0;
    int a2 = -1, b2 = -1;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            const double cc = a == 1 && b == 1 ? centre1 : candidate(r + 2 * a1 + a - 3, c + 2 * b1 + b - 3);
            if (cc > best) best = cc, a2 = a, b2 = b;
        }
    if (a2 < 0) return SearchOutcome::NoMatch;

    // Eighth-pixel level; its centre (a, b = 2) again repeats the best of the level before.
    const double centre2 = best;
    BuildEighthPixelCandidates(s, r + 2 * a1 + a2 - 4, c + 2 * b1 + b2 - 4);
    best = 0.0;
    int a3 = -1, b3 = -1;
    const std::size_t n = s.Window.size();
    for (int a = 1; a <= 3; ++a)
        for (int b = 1; b <= 3; ++b) {
            const double cc = a == 2 && b == 2
                                  ? centre2
                                  : CorrelateExact(window, sff, s.Eighth.data() + ((a - 1) * 3 + (b - 1)) * n,
                                                   wx_, wx_, wy_, kSixtyFourth);
            if (cc > best) best = cc, a3 = a, b3 = b;
        }
    if (a3 < 0) return SearchOutcome::NoMatch;

    dx = static_cast<float>((px - x) + 0.5 * (b1 - 1) + 0.25 * (b2 - 1) + 0.125 * (b3 - 2));
    dy = static_cast<float>((py - y) + 0.5 * (a1 - 1) + 0.25 * (a2 - 1) + 0.125 * (a3 - 2));
    return SearchOutcome::Found;
}

} // namespace corvane
