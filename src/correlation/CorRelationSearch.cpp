#include "correlation/CorRelationSearch.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "correlation/TCorRelationResult.h"

namespace corvane {

namespace {

inline float Mean(float a, float b) {
    return 0.5f * (a + b);
}

// Copies the window of f at (left, up) into w as doubles and returns its sum of squares.
double LoadWindow(const std::uint8_t* f, std::int32_t stride, std::int32_t left, std::int32_t up,
                  std::int32_t wx, std::int32_t wy, double* w) {
    double sff = 0.0;
    const std::uint8_t* row = f + static_cast<std::ptrdiff_t>(up) * stride + left;
    for (std::int32_t ii = 0; ii < wy; ++ii, row += stride) {
        for (std::int32_t jj = 0; jj < wx; ++jj) {
            const double v = row[jj];
            *w++ = v;
            sff += v * v;
        }
    }
    return sff;
}

// Normalised cross-correlation with sums accumulated row by row, left to right.
template <typename G>
double CorrelateInOrder(const double* f, double sff, const G* g, std::ptrdiff_t stride, std::int32_t wx,
                        std::int32_t wy, std::int32_t step = 1) {
    double sfg = 0.0, sgg = 0.0;
    for (std::int32_t ii = 0; ii < wy; ++ii, f += wx, g += stride) {
        for (std::int32_t jj = 0; jj < wx; ++jj) {
            const double v = g[static_cast<std::ptrdiff_t>(jj) * step];
            sfg += f[jj] * v;
            sgg += v * v;
        }
    }
    return sfg / std::sqrt(sff * sgg);
}

// The whole-field search compares the initial window with values of the quarter-pixel picture or
// of the eighth-pixel grid: a grey byte times a multiple of 1/64, at most 255 * 255, and squares that
// are multiples of 1/4096. Each product and each partial sum of up to 2^24 of them is exact in
// double, so the grouping of the sums cannot change a single bit: four interleaved partial sums
// give the very sums of the row-by-row order, without waiting on one long chain of additions.
// Larger windows keep the row-by-row order.
constexpr std::int64_t kExactWindowLimit = std::int64_t{1} << 24;

double CorrelateExact(const double* f, double sff, const float* g, std::ptrdiff_t stride, std::int32_t wx,
                      std::int32_t wy) {
    if (static_cast<std::int64_t>(wx) * wy > kExactWindowLimit)
        return CorrelateInOrder(f, sff, g, stride, wx, wy);
    double fg0 = 0.0, fg1 = 0.0, fg2 = 0.0, fg3 = 0.0;
    double gg0 = 0.0, gg1 = 0.0, gg2 = 0.0, gg3 = 0.0;
    for (std::int32_t ii = 0; ii < wy; ++ii, f += wx, g += stride) {
        std::int32_t jj = 0;
        for (; jj + 4 <= wx; jj += 4) {
            const double v0 = g[jj], v1 = g[jj + 1], v2 = g[jj + 2], v3 = g[jj + 3];
            fg0 += f[jj] * v0;
            fg1 += f[jj + 1] * v1;
            fg2 += f[jj + 2] * v2;
            fg3 += f[jj + 3] * v3;
            gg0 += v0 * v0;
            gg1 += v1 * v1;
            gg2 += v2 * v2;
            gg3 += v3 * v3;
        }
        for (; jj < wx; ++jj) {
            const double v = g[jj];
            fg0 += f[jj] * v;
            gg0 += v * v;
        }
    }
    const double sfg = (fg0 + fg1) + (fg2 + fg3);
    const double sgg = (gg0 + gg1) + (gg2 + gg3);
    return sfg / std::sqrt(sff * sgg);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Whole-field search

WholeFieldSearch::WholeFieldSearch(const std::uint8_t* initial, std::int32_t w0, std::int32_t h0,
                                   const QuarterPixelImage& deformed, std::int32_t winX, std::int32_t winY)
    : f_(initial), w0_(w0), h0_(h0), u_(deformed), wx_(winX), wy_(winY), hx_(winX / 2), hy_(winY / 2),
      window_(static_cast<std::size_t>(winX) * static_cast<std::size_t>(winY)), eighth_(9 * window_.size()) {}

double WholeFieldSearch::Candidate(std::int64_t k, std::int64_t l) const {
    return CorrelateExact(window_.data(), sff_, u_.Entry(k, l), u_.Width(), wx_, wy_);
}

// The nine eighth-pixel candidates read the eighth-pixel grid only at rows 8ii + a and columns
// 8jj + b (a, b = 1..3); each such value is the mean construction of the grid from the 3 x 3
// quarter-pixel entries at U[r0 + 4ii + r][c0 + 4jj + c], computed here directly in float.
void WholeFieldSearch::BuildEighthPixelCandidates(std::int64_t r0, std::int64_t c0) {
    const float* src[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            src[r][c] = u_.Entry(r0 + r, c0 + c);
    const std::size_t n = window_.size();
    float* out[9];
    for (int i = 0; i < 9; ++i)
        out[i] = eighth_.data() + i * n;
    const std::ptrdiff_t stride = u_.Width();
    std::size_t o = 0;
    for (std::int32_t ii = 0; ii < wy_; ++ii) {
        const std::ptrdiff_t row = ii * stride;
        for (std::int32_t jj = 0; jj < wx_; ++jj, ++o) {
            float h[3][3];
            for (int r = 0; r < 3; ++r) {
                const float u0 = src[r][0][row + jj], u1 = src[r][1][row + jj], u2 = src[r][2][row + jj];
                h[r][0] = Mean(u0, u1);
                h[r][1] = u1;
                h[r][2] = Mean(u1, u2);
            }
            for (int b = 0; b < 3; ++b) {
                out[b][o] = Mean(h[0][b], h[1][b]);
                out[3 + b][o] = h[1][b];
                out[6 + b][o] = Mean(h[1][b], h[2][b]);
            }
        }
    }
}

SearchOutcome WholeFieldSearch::Search(std::int32_t x, std::int32_t y, std::int32_t px, std::int32_t py,
                                       float& dx, float& dy) {
    const std::int32_t w1 = u_.Width(), h1 = u_.Height();
    if (!(hx_ < x && x < w0_ - hx_ - 1 && hy_ < y && y < h0_ - hy_ - 1 && hx_ < px && px < w1 - hx_ - 1 &&
          hy_ < py && py < h1 - hy_ - 1))
        return SearchOutcome::NotSearched;
    sff_ = LoadWindow(f_, w0_, x - hx_, y - hy_, wx_, wy_, window_.data());

    const std::int64_t r = 4 * static_cast<std::int64_t>(py - hy_);
    const std::int64_t c = 4 * static_cast<std::int64_t>(px - hx_);

    // Half-pixel level.
    double best = 0.0;
    int a1 = -1, b1 = -1;
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            const double cc = Candidate(r + 2 * a - 2, c + 2 * b - 2);
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
            const double cc = a == 1 && b == 1 ? centre1 : Candidate(r + 2 * a1 + a - 3, c + 2 * b1 + b - 3);
            if (cc > best) best = cc, a2 = a, b2 = b;
        }
    if (a2 < 0) return SearchOutcome::NoMatch;

    // Eighth-pixel level; its centre (a, b = 2) again repeats the best of the level before.
    const double centre2 = best;
    BuildEighthPixelCandidates(r + 2 * a1 + a2 - 4, c + 2 * b1 + b2 - 4);
    best = 0.0;
    int a3 = -1, b3 = -1;
    const std::size_t n = window_.size();
    for (int a = 1; a <= 3; ++a)
        for (int b = 1; b <= 3; ++b) {
            const double cc = a == 2 && b == 2 ? centre2
                                               : CorrelateExact(window_.data(), sff_,
                                                                eighth_.data() + ((a - 1) * 3 + (b - 1)) * n,
                                                                wx_, wx_, wy_);
            if (cc > best) best = cc, a3 = a, b3 = b;
        }
    if (a3 < 0) return SearchOutcome::NoMatch;

    dx = static_cast<float>((px - x) + 0.5 * (b1 - 1) + 0.25 * (b2 - 1) + 0.125 * (b3 - 2));
    dy = static_cast<float>((py - y) + 0.5 * (a1 - 1) + 0.25 * (a2 - 1) + 0.125 * (a3 - 2));
    return SearchOutcome::Found;
}

// ---------------------------------------------------------------------------------------------
// Seed search

SeedSearchSetup DeriveSeedSearch(std::int32_t winX, std::int32_t winY, std::int32_t winMoveX,
                                 std::int32_t winMoveY, std::int32_t reachWinX, std::int32_t reachWinY,
                                 float precision) {
    SeedSearchSetup s;
    s.WinX = winX;
    s.WinY = winY;
    s.Hx = winX / 2;
    s.Hy = winY / 2;
    s.Rx = (winMoveX - reachWinX) / 2;
    s.Ry = (winMoveY - reachWinY) / 2;
    s.Mx = winMoveX / 2;
    s.My = winMoveY / 2;
    s.Precision = precision;
    s.N = static_cast<std::int32_t>(2.0 / precision + 0.5 - 1.0);
    // (win + 1) / precision is a float quotient, as the parameter types make it.
    s.NX = static_cast<std::int32_t>(static_cast<float>(winX + 1) / precision + 0.5 - 1.0);
    s.NY = static_cast<std::int32_t>(static_cast<float>(winY + 1) / precision + 0.5 - 1.0);
    s.P = static_cast<std::int32_t>(1.0 / precision + 0.5);
    // The refinement reads sample (ii*P + a, jj*P + b); a precision that does not divide 1 (0.35
    // gives P = 3, N = 5, NX = 45 for a 15-pixel window) would read past NX samples, so the grid
    // is widened to what is read.
    s.SampleCols = std::max(s.NX, (winX - 1) * s.P + s.N);
    s.SampleRows = std::max(s.NY, (winY - 1) * s.P + s.N);
    return s;
}

SeedSearch::SeedSearch(const std::uint8_t* initial, std::int32_t w0, std::int32_t h0,
                       const std::uint8_t* deformed, std::int32_t w1, std::int32_t h1,
                       const SeedSearchSetup& setup)
    : f_(initial), w0_(w0), h0_(h0), g_(deformed), w1_(w1), h1_(h1), s_(setup),
      samples_(static_cast<std::size_t>(std::max(setup.SampleCols, 0)) *
               static_cast<std::size_t>(std::max(setup.SampleRows, 0))),
      window_(static_cast<std::size_t>(setup.WinX) * static_cast<std::size_t>(setup.WinY)) {}

bool SeedSearch::WindowInside(std::int32_t x, std::int32_t y) const {
    return x - s_.Hx >= 0 && x - s_.Hx + s_.WinX <= w0_ && y - s_.Hy >= 0 && y - s_.Hy + s_.WinY <= h0_;
}

bool SeedSearch::InSeedArea(std::int32_t u, std::int32_t v) const {
    return u >= s_.Mx && u <= w1_ - 1 - s_.Mx && v >= s_.My && v <= h1_ - 1 - s_.My;
}

void SeedSearch::Release() {
    std::vector<float>().swap(samples_);
}

bool SeedSearch::IntegerMatch(std::int32_t x, std::int32_t y, std::int32_t ex, std::int32_t ey,
                              std::int32_t& bx, std::int32_t& by) const {
    const std::int32_t hx = s_.Hx, hy = s_.Hy;
    if (!WindowInside(x, y) || !InSeedArea(ex, ey)) return false;
    if (ex - s_.Rx - hx < 0 || ex + s_.Rx - hx + s_.WinX > w1_ || ey - s_.Ry - hy < 0 ||
        ey + s_.Ry - hy + s_.WinY > h1_)
        return false;
    const double sff = LoadWindow(f_, w0_, x - hx, y - hy, s_.WinX, s_.WinY, window_.data());
    double best = 0.0;
    bool found = false;
    for (std::int32_t v = ey - s_.Ry; v <= ey + s_.Ry; ++v) {
        for (std::int32_t u = ex - s_.Rx; u <= ex + s_.Rx; ++u) {
            const std::uint8_t* g = g_ + static_cast<std::ptrdiff_t>(v - hy) * w1_ + (u - hx);
            const double cc = CorrelateInOrder(window_.data(), sff, g, w1_, s_.WinX, s_.WinY);
            if (cc > best) best = cc, bx = u, by = v, found = true;
        }
    }
    return found;
}

bool SeedSearch::Refine(std::int32_t x, std::int32_t y, std::int32_t px, std::int32_t py, float& dx,
                        float& dy) {
    const std::int32_t hx = s_.Hx, hy = s_.Hy;
    if (!WindowInside(x, y) || !InSeedArea(px, py)) return false;
    if (samples_.empty() || s_.N < 1) return false;

    // Sample positions, in float as the step is; the first and last must keep the bilinear
    // neighbours inside the deformed picture.
    const float prec = s_.Precision;
    auto sampleAt = [prec](std::int32_t origin, std::int32_t i) {
        return static_cast<float>(origin) + static_cast<float>(i + 1) * prec;
    };
    const std::int32_t ox = px - hx - 1, oy = py - hy - 1;
    if (ox < 0 || oy < 0) return false;
    if (static_cast<std::int32_t>(sampleAt(ox, s_.SampleCols - 1)) + 1 > w1_ - 1 ||
        static_cast<std::int32_t>(sampleAt(oy, s_.SampleRows - 1)) + 1 > h1_ - 1)
        return false;

    const std::int32_t cols = s_.SampleCols;
    for (std::int32_t j = 0; j < s_.SampleRows; ++j) {
        const float Y = sampleAt(oy, j);
        const std::int32_t iy = static_cast<std::int32_t>(Y);
        const float fy = Y - static_cast<float>(iy);
        const std::uint8_t* g0 = g_ + static_cast<std::ptrdiff_t>(iy) * w1_;
        const std::uint8_t* g1 = g0 + w1_;
        float* out = samples_.data() + static_cast<std::size_t>(j) * cols;
        for (std::int32_t i = 0; i < cols; ++i) {
            const float X = sampleAt(ox, i);
            const std::int32_t ix = static_cast<std::int32_t>(X);
            const float fx = X - static_cast<float>(ix);
            out[i] = (1 - fy) * (1 - fx) * g0[ix] + (1 - fy) * fx * g0[ix + 1] + fy * (1 - fx) * g1[ix] +
                     fy * fx * g1[ix + 1];
        }
    }

    const double sff = LoadWindow(f_, w0_, x - hx, y - hy, s_.WinX, s_.WinY, window_.data());
    double best = 0.0;
    std::int32_t as = -1, bs = -1;
    const std::ptrdiff_t rowStep = static_cast<std::ptrdiff_t>(s_.P) * cols;
    for (std::int32_t a = 0; a < s_.N; ++a) {
        for (std::int32_t b = 0; b < s_.N; ++b) {
            const float* g = samples_.data() + static_cast<std::ptrdiff_t>(a) * cols + b;
            const double cc = CorrelateInOrder(window_.data(), sff, g, rowStep, s_.WinX, s_.WinY, s_.P);
            if (cc > best) best = cc, as = a, bs = b;
        }
    }
    if (as < 0) return false;
    dx = static_cast<float>(px) + static_cast<float>(bs + 1) * prec - 1 - static_cast<float>(x);
    dy = static_cast<float>(py) + static_cast<float>(as + 1) * prec - 1 - static_cast<float>(y);
    return true;
}

bool SeedSearch::Displacement(std::int32_t x, std::int32_t y, std::int32_t ex, std::int32_t ey, float* dx,
                              float* dy) {
    const std::size_t seedIndex = static_cast<std::size_t>(y) * w0_ + x;
    std::int32_t bx = 0, by = 0;
    if (!IntegerMatch(x, y, ex, ey, bx, by)) {
        dx[seedIndex] = dy[seedIndex] = kNotComputed;
        return false;
    }
    static constexpr int kOffsets[9][2] = {{0, 0},  {1, 0},  {1, -1}, {0, -1}, {-1, -1},
                                           {-1, 0}, {-1, 1}, {0, 1},  {1, 1}};
    float vx[9], vy[9];
    for (int k = 0; k < 9; ++k) {
        const std::int32_t ox = kOffsets[k][0], oy = kOffsets[k][1];
        const std::int32_t qx = x + ox, qy = y + oy;
        if (!Refine(qx, qy, bx + ox, by + oy, vx[k], vy[k])) vx[k] = vy[k] = kNotComputed;
        if (qx >= 0 && qx < w0_ && qy >= 0 && qy < h0_) {
            const std::size_t i = static_cast<std::size_t>(qy) * w0_ + qx;
            dx[i] = vx[k];
            dy[i] = vy[k];
        }
    }
    // The smallest and the largest of each component (first met) are left out of the mean.
    auto extremes = [](const float* v, int& lo, int& hi) {
        float mn = 1000.0f, mx = -1000.0f;
        lo = hi = -1;
        for (int k = 0; k < 9; ++k) {
            if (v[k] < mn) mn = v[k], lo = k;
            if (v[k] > mx) mx = v[k], hi = k;
        }
    };
    int loX, hiX, loY, hiY;
    extremes(vx, loX, hiX);
    extremes(vy, loY, hiY);
    // A neighbour whose refinement failed holds the marker; it never enters the mean, where it
    // would drag the seed hundreds of pixels away.
    float sx = 0.0f, sy = 0.0f;
    int count = 0;
    for (int k = 0; k < 9; ++k) {
        if (k == loX || k == hiX || k == loY || k == hiY) continue;
        if (vx[k] == kNotComputed || vy[k] == kNotComputed) continue;
        sx += vx[k];
        sy += vy[k];
        ++count;
    }
    if (count == 0) {
        dx[seedIndex] = dy[seedIndex] = kNotComputed;
        return false;
    }
    dx[seedIndex] = sx / static_cast<float>(count);
    dy[seedIndex] = sy / static_cast<float>(count);
    return true;
}

} // namespace corvane
