#include "correlation/SeedSearch.h"

#include "correlation/TCorRelationResult.h"
#include "correlation/WindowCorrelation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace corvane {

using namespace window_correlation;

namespace {

// Offsets of the nine refinements around a seed, in the order they are run.
constexpr int kSeedOffsets[9][2] = {{0, 0},  {1, 0},  {1, -1}, {0, -1}, {-1, -1},
                                    {-1, 0}, {-1, 1}, {0, 1},  {1, 1}};

} // namespace

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
    : f_(initial), w0_(w0), h0_(h0), g_(deformed), w1_(w1), h1_(h1), s_(setup) {}

SeedSearch::Scratch SeedSearch::MakeScratch() const {
    Scratch scratch;
    scratch.Samples.resize(static_cast<std::size_t>(std::max(s_.SampleCols, 0)) *
                           static_cast<std::size_t>(std::max(s_.SampleRows, 0)));
    scratch.Window.resize(static_cast<std::size_t>(s_.WinX) * static_cast<std::size_t>(s_.WinY));
    return scratch;
}

bool SeedSearch::WindowInside(std::int32_t x, std::int32_t y) const {
    return x - s_.Hx >= 0 && x - s_.Hx + s_.WinX <= w0_ && y - s_.Hy >= 0 && y - s_.Hy + s_.WinY <= h0_;
}

bool SeedSearch::InSeedArea(std::int32_t u, std::int32_t v) const {
    return u >= s_.Mx && u <= w1_ - 1 - s_.Mx && v >= s_.My && v <= h1_ - 1 - s_.My;
}

bool SeedSearch::IntegerMatch(Scratch& scratch, std::int32_t x, std::int32_t y, std::int32_t ex,
                              std::int32_t ey, std::int32_t& bx, std::int32_t& by) const {
    const std::int32_t hx = s_.Hx, hy = s_.Hy;
    if (!WindowInside(x, y) || !InSeedArea(ex, ey)) return false;
    if (ex - s_.Rx - hx < 0 || ex + s_.Rx - hx + s_.WinX > w1_ || ey - s_.Ry - hy < 0 ||
        ey + s_.Ry - hy + s_.WinY > h1_)
        return false;
    const double sff = LoadWindow(f_, w0_, x - hx, y - hy, s_.WinX, s_.WinY, scratch.Window.data());
    double best = 0.0;
    bool found = false;
    for (std::int32_t v = ey - s_.Ry; v <= ey + s_.Ry; ++v) {
        for (std::int32_t u = ex - s_.Rx; u <= ex + s_.Rx; ++u) {
            const std::uint8_t* g = g_ + static_cast<std::ptrdiff_t>(v - hy) * w1_ + (u - hx);
            const double cc = CorrelateInOrder(scratch.Window.data(), sff, g, w1_, s_.WinX, s_.WinY);
            if (cc > best) best = cc, bx = u, by = v, found = true;
        }
    }
    return found;
}

bool SeedSearch::Refine(Scratch& scratch, std::int32_t x, std::int32_t y, std::int32_t px, std::int32_t py,
                        float& dx, float& dy) const {
    const std::int32_t hx = s_.Hx, hy = s_.Hy;
    if (!WindowInside(x, y) || !InSeedArea(px, py)) return false;
    if (scratch.Samples.empty() || s_.N < 1) return false;

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
        float* out = scratch.Samples.data() + static_cast<std::size_t>(j) * cols;
        for (std::int32_t i = 0; i < cols; ++i) {
            const float X = sampleAt(ox, i);
            const std::int32_t ix = static_cast<std::int32_t>(X);
            const float fx = X - static_cast<float>(ix);
            out[i] = (1 - fy) * (1 - fx) * g0[ix] + (1 - fy) * fx * g0[ix + 1] + fy * (1 - fx) * g1[ix] +
                     fy * fx * g1[ix + 1];
        }
    }

    const double sff = LoadWindow(f_, w0_, x - hx, y - hy, s_.WinX, s_.WinY, scratch.Window.data());
    double best = 0.0;
    std::int32_t as = -1, bs = -1;
    const std::ptrdiff_t rowStep = static_cast<std::ptrdiff_t>(s_.P) * cols;
    for (std::int32_t a = 0; a < s_.N; ++a) {
        for (std::int32_t b = 0; b < s_.N; ++b) {
            const float* g = scratch.Samples.data() + static_cast<std::ptrdiff_t>(a) * cols + b;
            const double cc =
                CorrelateInOrder(scratch.Window.data(), sff, g, rowStep, s_.WinX, s_.WinY, s_.P);
            if (cc > best) best = cc, as = a, bs = b;
        }
    }
    if (as < 0) return false;
    dx = static_cast<float>(px) + static_cast<float>(bs + 1) * prec - 1 - static_cast<float>(x);
    dy = static_cast<float>(py) + static_cast<float>(as + 1) * prec - 1 - static_cast<float>(y);
    return true;
}

SeedDisplacement SeedSearch::Compute(Scratch& scratch, std::int32_t x, std::int32_t y, std::int32_t ex,
                                     std::int32_t ey) const {
    SeedDisplacement d;
    std::int32_t bx = 0, by = 0;
    if (!IntegerMatch(scratch, x, y, ex, ey, bx, by)) return d;
    d.Matched = true;
    float* vx = d.Around[0];
    float* vy = d.Around[1];
    for (int k = 0; k < 9; ++k) {
        const std::int32_t ox = kSeedOffsets[k][0], oy = kSeedOffsets[k][1];
        if (!Refine(scratch, x + ox, y + oy, bx + ox, by + oy, vx[k], vy[k])) vx[k] = vy[k] = kNotComputed;
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
    if (count == 0) return d;
    d.HasMean = true;
    d.Dx = sx / static_cast<float>(count);
    d.Dy = sy / static_cast<float>(count);
    return d;
}

void SeedSearch::Store(const SeedDisplacement& d, std::int32_t x, std::int32_t y, float* dx,
                       float* dy) const {
    if (d.Matched) {
        for (int k = 0; k < 9; ++k) {
            const std::int32_t qx = x + kSeedOffsets[k][0], qy = y + kSeedOffsets[k][1];
            if (qx >= 0 && qx < w0_ && qy >= 0 && qy < h0_) {
                const std::size_t i = static_cast<std::size_t>(qy) * w0_ + qx;
                dx[i] = d.Around[0][k];
                dy[i] = d.Around[1][k];
            }
        }
    }
    if (x < 0 || x >= w0_ || y < 0 || y >= h0_) return;
    const std::size_t seedIndex = static_cast<std::size_t>(y) * w0_ + x;
    dx[seedIndex] = d.HasMean ? d.Dx : kNotComputed;
    dy[seedIndex] = d.HasMean ? d.Dy : kNotComputed;
}

bool SeedSearch::Displacement(Scratch& scratch, std::int32_t x, std::int32_t y, std::int32_t ex,
                              std::int32_t ey, float* dx, float* dy) const {
    const SeedDisplacement d = Compute(scratch, x, y, ex, ey);
    Store(d, x, y, dx, dy);
    return d.HasMean;
}

} // namespace corvane
