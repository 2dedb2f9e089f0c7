#include "correlation/SubpixelRefinement.h"

#include <algorithm>
#include <cmath>

#include "correlation/TCorRelationResult.h"

namespace corvane {

namespace {

/// Cholesky factor L (lower, row by row) of a symmetric 6 x 6 matrix; false when it is not
/// clearly positive definite (a window without texture in some direction).
bool Cholesky6(const double h[6][6], double l[6][6]) {
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j <= i; ++j) {
            double s = h[i][j];
            for (int k = 0; k < j; ++k)
                s -= l[i][k] * l[j][k];
            if (i == j) {
                if (!(s > 1e-12 * std::max(1.0, h[i][i]))) return false;
                l[i][i] = std::sqrt(s);
            } else {
                l[i][j] = s / l[j][j];
            }
        }
    return true;
}

/// Solves L L^T x = b.
void SolveCholesky6(const double l[6][6], const double b[6], double x[6]) {
    double y[6];
    for (int i = 0; i < 6; ++i) {
        double s = b[i];
        for (int k = 0; k < i; ++k)
            s -= l[i][k] * y[k];
        y[i] = s / l[i][i];
    }
    for (int i = 5; i >= 0; --i) {
        double s = y[i];
        for (int k = i + 1; k < 6; ++k)
            s -= l[k][i] * x[k];
        x[i] = s / l[i][i];
    }
}

/// Composes the shape with the inverse of the update (the inverse-compositional step):
/// W(p) <- W(p) o W(dp)^-1, shapes as affine maps of window coordinates. False when the update is
/// not invertible.
bool ComposeInverse(SubpixelShape& p, const double dp[6]) {
    const double b00 = 1.0 + dp[1], b01 = dp[2], b10 = dp[4], b11 = 1.0 + dp[5];
    const double det = b00 * b11 - b01 * b10;
    if (!(std::fabs(det) > 1e-12)) return false;
    const double i00 = b11 / det, i01 = -b01 / det, i10 = -b10 / det, i11 = b00 / det;
    const double t0 = -(i00 * dp[0] + i01 * dp[3]), t1 = -(i10 * dp[0] + i11 * dp[3]);
    const double a00 = 1.0 + p.Ux, a01 = p.Uy, a10 = p.Vx, a11 = 1.0 + p.Vy;
    SubpixelShape n;
    n.Ux = a00 * i00 + a01 * i10 - 1.0;
    n.Uy = a00 * i01 + a01 * i11;
    n.Vx = a10 * i00 + a11 * i10;
    n.Vy = a10 * i01 + a11 * i11 - 1.0;
    n.U = a00 * t0 + a01 * t1 + p.U;
    n.V = a10 * t0 + a11 * t1 + p.V;
    p = n;
    return true;
}

} // namespace

SubpixelRefinement::SubpixelRefinement(const std::uint8_t* initial, std::int32_t w0, std::int32_t h0,
                                       const std::uint8_t* deformed, std::int32_t w1, std::int32_t h1,
                                       std::int32_t winX, std::int32_t winY)
    : f_(initial), w0_(w0), h0_(h0), hx_(std::max(winX, 1) / 2), hy_(std::max(winY, 1) / 2),
      g_(deformed, w1, h1) {
    // The reference gradients are the derivatives of the initial picture's own interpolating
    // spline at its pixels, computed once for every window that will use them.
    const BSplineCoefficients reference(initial, w0, h0);
    const std::size_t n = static_cast<std::size_t>(w0) * static_cast<std::size_t>(h0);
    gx_.resize(n);
    gy_.resize(n);
    for (std::int32_t y = 0; y < h0; ++y)
        for (std::int32_t x = 0; x < w0; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(w0) + x;
            reference.GradientAtPixel(x, y, gx_[i], gy_[i]);
        }
}

SubpixelCounts SubpixelRefinement::Refine(const SubpixelField& field, std::int64_t begin, std::int64_t end,
                                          SubpixelScratch& scratch) const {
    SubpixelCounts counts;
    const std::int64_t count = field.PointCount();
    begin = std::max<std::int64_t>(begin, 0);
    end = std::min(end, count);
    const std::int64_t width = static_cast<std::int64_t>(field.Right) - field.Left + 1;
    for (std::int64_t k = begin; k < end; ++k) {
        const std::int64_t x = field.Left + k % width, y = field.Up + k / width;
        if (x < 0 || y < 0 || x >= w0_ || y >= h0_) continue;
        const std::size_t i =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(w0_) + static_cast<std::size_t>(x);
        if (field.dx[i] == kNotComputed || field.dy[i] == kNotComputed) continue;
        SubpixelShape start;
        start.U = field.dx[i];
        start.V = field.dy[i];
        counts +=
            RefineFrom(field, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), start, scratch);
    }
    return counts;
}

SubpixelCounts SubpixelRefinement::RefineFrom(const SubpixelField& field, std::int32_t x, std::int32_t y,
                                              const SubpixelShape& start, SubpixelScratch& scratch) const {
    SubpixelCounts counts;
    const std::size_t i =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(w0_) + static_cast<std::size_t>(x);
    SubpixelShape shape = start;
    double correlation = 0.0;
    switch (RefinePoint(x, y, shape, scratch, &correlation)) {
    case SubpixelOutcome::Refined:
        ++counts.Refined;
        if (field.zncc) field.zncc[i] = static_cast<float>(correlation);
        field.dx[i] = static_cast<float>(shape.U);
        field.dy[i] = static_cast<float>(shape.V);
        if (field.dudx) field.dudx[i] = static_cast<float>(shape.Ux);
        if (field.dudy) field.dudy[i] = static_cast<float>(shape.Uy);
        if (field.dvdx) field.dvdx[i] = static_cast<float>(shape.Vx);
        if (field.dvdy) field.dvdy[i] = static_cast<float>(shape.Vy);
        break;
    case SubpixelOutcome::Diverged:
        ++counts.Diverged;
        if (field.diverged) field.diverged[i] = 1;
        break;
    case SubpixelOutcome::LeftPicture:
        ++counts.LeftPicture;
        break;
    case SubpixelOutcome::PoorCorrelation:
        ++counts.PoorCorrelation;
        break;
    }
    return counts;
}

SubpixelOutcome SubpixelRefinement::RefinePoint(std::int32_t x, std::int32_t y, SubpixelShape& shape,
                                                SubpixelScratch& s, double* correlation) const {
    const std::int32_t hx = hx_, hy = hy_, nx = 2 * hx + 1, ny = 2 * hy + 1;
    if (x - hx < 0 || y - hy < 0 || x + hx >= w0_ || y + hy >= h0_) return SubpixelOutcome::LeftPicture;
    const std::size_t n = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
    if (s.f.size() < n) {
        s.f.resize(n);
        s.fx.resize(n);
        s.fy.resize(n);
        s.g.resize(n);
    }

    float* const f = s.f.data();
    float* const fx = s.fx.data();
    float* const fy = s.fy.data();
    float* const g = s.g.data();

    // The reference window once per point: grey values less their mean, gradients, Hessian.
    double sum = 0.0;
    for (std::int32_t j = 0, k = 0; j < ny; ++j) {
        const std::size_t row =
            static_cast<std::size_t>(y - hy + j) * static_cast<std::size_t>(w0_) + (x - hx);
        for (std::int32_t i = 0; i < nx; ++i, ++k) {
            f[k] = f_[row + i];
            fx[k] = gx_[row + i];
            fy[k] = gy_[row + i];
            sum += f[k];
        }
    }
    const float mean = static_cast<float>(sum / static_cast<double>(n));
    // Hessian of the steepest-descent images (fx, fx xi, fx eta, fy, fy xi, fy eta): per row the
    // moments in xi of fx fx, fx fy and fy fy, then weighted by eta across rows.
    double sff = 0.0;
    double moments[9][3] =
        {}; // [moment][power of eta]: xx, xx xi, xx xi^2, xy, xy xi, xy xi^2, yy, yy xi, yy xi^2
    for (std::int32_t j = 0, k = 0; j < ny; ++j) {
        float r[9] = {};
        float rf = 0.0f;
        for (std::int32_t i = 0; i < nx; ++i, ++k) {
            const float xi = static_cast<float>(i - hx);
            f[k] -= mean;
            rf += f[k] * f[k];
            const float xx = fx[k] * fx[k], xy = fx[k] * fy[k], yy = fy[k] * fy[k];
            r[0] += xx, r[1] += xx * xi, r[2] += xx * xi * xi;
            r[3] += xy, r[4] += xy * xi, r[5] += xy * xi * xi;
            r[6] += yy, r[7] += yy * xi, r[8] += yy * xi * xi;
        }
        const double eta = j - hy;
        sff += rf;
        for (int q = 0; q < 9; ++q) {
            moments[q][0] += r[q];
            moments[q][1] += r[q] * eta;
            moments[q][2] += r[q] * eta * eta;
        }
    }
    // Rows and columns in the order u, ux, uy, v, vx, vy; block (a, b) of fx^a fy^b moments.
    auto block = [&](int q, double out[3][3]) {
        const auto& m = moments;
        out[0][0] = m[q][0], out[0][1] = m[q + 1][0], out[0][2] = m[q][1];
        out[1][0] = m[q + 1][0], out[1][1] = m[q + 2][0], out[1][2] = m[q + 1][1];
        out[2][0] = m[q][1], out[2][1] = m[q + 1][1], out[2][2] = m[q][2];
    };
    double h[6][6] = {}, bxx[3][3], bxy[3][3], byy[3][3];
    block(0, bxx);
    block(3, bxy);
    block(6, byy);
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            h[a][b] = bxx[a][b];
            h[a][b + 3] = h[b + 3][a] = bxy[a][b];
            h[a + 3][b + 3] = byy[a][b];
        }
    double l[6][6] = {};
    if (!(sff > 0.0) || !Cholesky6(h, l)) return SubpixelOutcome::PoorCorrelation;

    const double w1 = g_.Width() - 1, h1 = g_.Height() - 1;
    const auto stride = static_cast<std::int32_t>(g_.Stride());
    // Sample positions, relative to the whole-pixel displacement, stay within this many pixels of
    // the window centre (the gradients are below 1 and the fraction below 1).
    const std::int32_t bias = 2 * (hx + hy) + 4;
    constexpr std::int32_t kChunk = 16;
    const double startU = shape.U, startV = shape.V;
    SubpixelShape p = shape;
    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        // The window's corners bound the affine image of the window.
        const double sx = 1.0 + p.Ux, sy = p.Vx;
        for (const double eta : {-static_cast<double>(hy), static_cast<double>(hy)})
            for (const double xi : {-static_cast<double>(hx), static_cast<double>(hx)}) {
                const double cx = x + p.U + xi * sx + p.Uy * eta, cy = y + p.V + xi * sy + (1.0 + p.Vy) * eta;
                if (!(cx >= 0.0 && cx <= w1 && cy >= 0.0 && cy <= h1)) return SubpixelOutcome::LeftPicture;
            }

        // Deformed samples through the B-spline, row by row: first the nodes and weights of every
        // sample of the row (a loop the compiler turns into vector code), then the 4 x 4 sums.
        // Positions are taken relative to the whole-pixel part of the displacement, plus a bias
        // that keeps them positive, so float keeps them to a millionth of a pixel and truncation
        // is the floor.
        const double baseU = std::floor(p.U), baseV = std::floor(p.V);
        const float* const base =
            g_.At(x + static_cast<std::int32_t>(baseU), y + static_cast<std::int32_t>(baseV));
        const auto fsx = static_cast<float>(sx), fsy = static_cast<float>(sy);
        double gsum = 0.0;
        for (std::int32_t j = 0, k = 0; j < ny; ++j) {
            const double eta = j - hy;
            const auto ox = static_cast<float>(p.U - baseU + p.Uy * eta - hx * sx + bias);
            const auto oy = static_cast<float>(p.V - baseV + (1.0 + p.Vy) * eta - hx * sy + bias);
            float rowSum = 0.0f;
            for (std::int32_t i0 = 0; i0 < nx; i0 += kChunk) {
                const std::int32_t count = std::min(kChunk, nx - i0);
                // Local arrays: the compiler knows they overlap nothing and vectorises this loop.
                float wx0[kChunk], wx1[kChunk], wx2[kChunk], wx3[kChunk];
                float wy0[kChunk], wy1[kChunk], wy2[kChunk], wy3[kChunk];
                std::int32_t nodes[kChunk];
                for (std::int32_t i = 0; i < count; ++i) {
                    const float step = static_cast<float>(i0 + i);
                    const float px = ox + step * fsx, py = oy + step * fsy;
                    const auto ix = static_cast<std::int32_t>(px), iy = static_cast<std::int32_t>(py);
                    const float tx = px - static_cast<float>(ix), ty = py - static_cast<float>(iy);
                    CubicBSplineWeights(tx, wx0[i], wx1[i], wx2[i], wx3[i]);
                    CubicBSplineWeights(ty, wy0[i], wy1[i], wy2[i], wy3[i]);
                    nodes[i] = (iy - bias - 1) * stride + (ix - bias - 1);
                }
                for (std::int32_t i = 0; i < count; ++i, ++k) {
                    const float* c0 = base + nodes[i];
                    const float* c1 = c0 + stride;
                    const float* c2 = c1 + stride;
                    const float* c3 = c2 + stride;
                    const float a0 = wx0[i], a1 = wx1[i], a2 = wx2[i], a3 = wx3[i];
                    const float v = wy0[i] * (a0 * c0[0] + a1 * c0[1] + a2 * c0[2] + a3 * c0[3]) +
                                    wy1[i] * (a0 * c1[0] + a1 * c1[1] + a2 * c1[2] + a3 * c1[3]) +
                                    wy2[i] * (a0 * c2[0] + a1 * c2[1] + a2 * c2[2] + a3 * c2[3]) +
                                    wy3[i] * (a0 * c3[0] + a1 * c3[1] + a2 * c3[2] + a3 * c3[3]);
                    g[k] = v;
                    rowSum += v;
                }
            }
            gsum += rowSum;
        }
        const float gmean = static_cast<float>(gsum / static_cast<double>(n));
        double sgg = 0.0, sfg = 0.0;
        for (std::int32_t j = 0, k = 0; j < ny; ++j) {
            float rgg = 0.0f, rfg = 0.0f;
            for (std::int32_t i = 0; i < nx; ++i, ++k) {
                g[k] -= gmean;
                rgg += g[k] * g[k];
                rfg += f[k] * g[k];
            }
            sgg += rgg;
            sfg += rfg;
        }
        if (!(sgg > 0.0)) return SubpixelOutcome::PoorCorrelation;
        const float ratio = static_cast<float>(std::sqrt(sff / sgg));

        // Gradient of the criterion: the steepest-descent images against the residual, summed by
        // rows so that the window coordinates multiply row sums.
        double b[6] = {};
        for (std::int32_t j = 0, k = 0; j < ny; ++j) {
            double ax = 0.0, axi = 0.0, ay = 0.0, ayi = 0.0;
            for (std::int32_t i = 0; i < nx; ++i, ++k) {
                const float e = f[k] - ratio * g[k];
                const float ex = fx[k] * e, ey = fy[k] * e;
                const float xi = static_cast<float>(i - hx);
                ax += ex;
                axi += ex * xi;
                ay += ey;
                ayi += ey * xi;
            }
            const double eta = j - hy;
            b[0] += ax;
            b[1] += axi;
            b[2] += ax * eta;
            b[3] += ay;
            b[4] += ayi;
            b[5] += ay * eta;
        }
        for (double& v : b)
            v = -v;
        double dp[6];
        SolveCholesky6(l, b, dp);

        const double move = std::sqrt(dp[0] * dp[0] + dp[3] * dp[3] +
                                      (dp[1] * dp[1] + dp[4] * dp[4]) * static_cast<double>(hx) * hx +
                                      (dp[2] * dp[2] + dp[5] * dp[5]) * static_cast<double>(hy) * hy);
        if (!ComposeInverse(p, dp)) return SubpixelOutcome::Diverged;
        // A shape that runs away from the search result, or folds the window, is no refinement.
        if (!(std::fabs(p.U - startU) <= kMaxMove && std::fabs(p.V - startV) <= kMaxMove &&
              std::fabs(p.Ux) < 1.0 && std::fabs(p.Uy) < 1.0 && std::fabs(p.Vx) < 1.0 &&
              std::fabs(p.Vy) < 1.0))
            return SubpixelOutcome::Diverged;
        if (move < kConvergence) {
            // The correlation of the last samples; the final update moved them by under kConvergence.
            const double zncc = sfg / std::sqrt(sff * sgg);
            if (!(zncc >= kPoorCorrelation)) return SubpixelOutcome::PoorCorrelation;
            shape = p;
            if (correlation) *correlation = std::min(zncc, 1.0);
            return SubpixelOutcome::Refined;
        }
    }
    return SubpixelOutcome::Diverged;
}

} // namespace corvane
