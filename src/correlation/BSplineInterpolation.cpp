#include "correlation/BSplineInterpolation.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvane {

namespace {

// Pole of the cubic B-spline prefilter and its gain.
const double kPole = std::sqrt(3.0) - 2.0;
constexpr double kGain = 6.0;

/// Index i mirrored into 0 .. n-1 about the first and the last sample (whole-sample symmetry).
std::int32_t Mirror(std::int64_t i, std::int32_t n) {
    if (n == 1) return 0;
    const std::int64_t period = 2 * static_cast<std::int64_t>(n) - 2;
    i %= period;
    if (i < 0) i += period;
    return static_cast<std::int32_t>(i < n ? i : period - i);
}

/// In-place prefilter of one line of n samples: samples become interpolation coefficients, with
/// mirror-symmetric continuation (causal and anticausal first-order recursions).
void PrefilterLine(double* s, std::int32_t n) {
    if (n < 2) return;
    const double z = kPole;
    for (std::int32_t k = 0; k < n; ++k)
        s[k] *= kGain;
    // Causal start: the sum over the mirrored line, cut where z^k no longer counts in double.
    const std::int32_t horizon =
        static_cast<std::int32_t>(std::ceil(std::log(1e-16) / std::log(std::fabs(z))));
    double sum = s[0];
    if (horizon < n) {
        double zk = z;
        for (std::int32_t k = 1; k < horizon; ++k, zk *= z)
            sum += zk * s[k];
    } else {
        double zk = z, iz = 1.0 / z, z2k = std::pow(z, n - 1);
        sum = s[0] + z2k * s[n - 1];
        z2k *= z2k * iz;
        for (std::int32_t k = 1; k <= n - 2; ++k) {
            sum += (zk + z2k) * s[k];
            zk *= z;
            z2k *= iz;
        }
        sum /= 1.0 - zk * zk;
    }
    s[0] = sum;
    for (std::int32_t k = 1; k < n; ++k)
        s[k] += z * s[k - 1];
    s[n - 1] = (z / (z * z - 1.0)) * (z * s[n - 2] + s[n - 1]);
    for (std::int32_t k = n - 2; k >= 0; --k)
        s[k] = z * (s[k + 1] - s[k]);
}

/// PrefilterLine of every column of a w x h array (row by row), all columns advancing together row
/// after row, so the passes read whole rows; every column meets exactly the arithmetic of
/// PrefilterLine.
void PrefilterColumns(double* s, std::size_t w, std::int32_t n) {
    if (n < 2) return;
    const double z = kPole;
    const std::size_t last = static_cast<std::size_t>(n - 1);
    auto row = [&](std::size_t k) { return s + k * w; };
    for (std::size_t i = 0; i < w * static_cast<std::size_t>(n); ++i)
        s[i] *= kGain;
    const std::int32_t horizon =
        static_cast<std::int32_t>(std::ceil(std::log(1e-16) / std::log(std::fabs(z))));
    std::vector<double> sum(row(0), row(0) + w);
    if (horizon < n) {
        double zk = z;
        for (std::int32_t k = 1; k < horizon; ++k, zk *= z) {
            const double* r = row(static_cast<std::size_t>(k));
            for (std::size_t c = 0; c < w; ++c)
                sum[c] += zk * r[c];
        }
    } else {
        double zk = z, iz = 1.0 / z, z2k = std::pow(z, n - 1);
        for (std::size_t c = 0; c < w; ++c)
            sum[c] = row(0)[c] + z2k * row(last)[c];
        z2k *= z2k * iz;
        for (std::int32_t k = 1; k <= n - 2; ++k) {
            const double* r = row(static_cast<std::size_t>(k));
            for (std::size_t c = 0; c < w; ++c)
                sum[c] += (zk + z2k) * r[c];
            zk *= z;
            z2k *= iz;
        }
        for (std::size_t c = 0; c < w; ++c)
            sum[c] /= 1.0 - zk * zk;
    }
    std::copy(sum.begin(), sum.end(), row(0));
    for (std::size_t k = 1; k <= last; ++k) {
        double* r = row(k);
        const double* up = row(k - 1);
        for (std::size_t c = 0; c < w; ++c)
            r[c] += z * up[c];
    }
    for (std::size_t c = 0; c < w; ++c)
        row(last)[c] = (z / (z * z - 1.0)) * (z * row(last - 1)[c] + row(last)[c]);
    for (std::size_t k = last; k-- > 0;) {
        double* r = row(k);
        const double* down = row(k + 1);
        for (std::size_t c = 0; c < w; ++c)
            r[c] = z * (down[c] - r[c]);
    }
}

} // namespace

BSplineCoefficients::BSplineCoefficients(const std::uint8_t* grey, std::int32_t width, std::int32_t height)
    : width_(width), height_(height), stride_(static_cast<std::size_t>(width) + 2 * kPad) {
    const std::size_t w = static_cast<std::size_t>(width), h = static_cast<std::size_t>(height);
    std::vector<double> work(w * h);
    for (std::size_t i = 0; i < w * h; ++i)
        work[i] = grey[i];
    for (std::size_t y = 0; y < h; ++y)
        PrefilterLine(work.data() + y * w, width);
    PrefilterColumns(work.data(), w, height);
    // The frame continues the coefficients with the same mirror symmetry as the picture.
    coefficients_.resize(stride_ * (h + 2 * kPad));
    for (std::int32_t y = -kPad; y < height + kPad; ++y) {
        const double* src = work.data() + static_cast<std::size_t>(Mirror(y, height)) * w;
        float* dst = coefficients_.data() + static_cast<std::size_t>(y + kPad) * stride_;
        for (std::int32_t x = 0; x < width; ++x)
            dst[x + kPad] = static_cast<float>(src[x]);
        for (std::int32_t x = 1; x <= kPad; ++x) {
            dst[kPad - x] = static_cast<float>(src[Mirror(-x, width)]);
            dst[width - 1 + kPad + x] = static_cast<float>(src[Mirror(width - 1 + x, width)]);
        }
    }
}

float BSplineCoefficients::Value(double x, double y) const {
    auto ix = static_cast<std::int32_t>(x), iy = static_cast<std::int32_t>(y);
    float wx[4], wy[4];
    CubicBSplineWeights(static_cast<float>(x - ix), wx[0], wx[1], wx[2], wx[3]);
    CubicBSplineWeights(static_cast<float>(y - iy), wy[0], wy[1], wy[2], wy[3]);
    float sum = 0.0f;
    for (int r = 0; r < 4; ++r) {
        const float* c = At(ix - 1, iy - 1 + r);
        sum += wy[r] * (wx[0] * c[0] + wx[1] * c[1] + wx[2] * c[2] + wx[3] * c[3]);
    }
    return sum;
}

void BSplineCoefficients::GradientAtPixel(std::int32_t x, std::int32_t y, float& gx, float& gy) const {
    // At a node the B-spline weighs its neighbours 1/6, 4/6, 1/6 and its derivative -1/2, 0, +1/2.
    const float* up = At(x, y - 1);
    const float* mid = At(x, y);
    const float* down = At(x, y + 1);
    constexpr float k6 = 1.0f / 6.0f;
    gx = 0.5f * (k6 * (up[1] - up[-1]) + 4.0f * k6 * (mid[1] - mid[-1]) + k6 * (down[1] - down[-1]));
    gy = 0.5f * (k6 * (down[-1] - up[-1]) + 4.0f * k6 * (down[0] - up[0]) + k6 * (down[1] - up[1]));
}

} // namespace corvane
