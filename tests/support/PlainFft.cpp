#include "support/PlainFft.h"

#include <cmath>
#include <vector>

namespace corvane::test {

namespace {

// The one-dimensional kernel on re[1..n], im[1..n] (index 0 unused).
void Kernel(double* re, double* im, std::int32_t n, bool forward) {
    // Number of stages: 1 doubled until it equals n, given up after 100 doublings.
    std::int32_t m = 0;
    std::int64_t p = 1;
    while (p < n && m < 100) {
        p *= 2;
        ++m;
    }
    // Lengths that are not powers of two are not transformed (the exchange loop below would not
    // end for them).
    if (p != n) return;
    double e = 8 * std::atan(1.0) / n;
    std::int32_t span = n;
    for (std::int32_t stage = 0; stage < m; ++stage) {
        const std::int32_t half = span / 2;
        double a = 0;
        for (std::int32_t j = 1; j <= half; ++j) {
            // The inverse turns the other way: its sine changes sign (exactly, as a negation).
            const double c = std::cos(a);
            const double s = forward ? std::sin(a) : -std::sin(a);
            a = a + e;
            for (std::int32_t i = j; i <= n; i += span) {
                const std::int32_t k = i + half;
                const double xt = re[i] - re[k];
                const double yt = im[i] - im[k];
                re[i] = re[i] + re[k];
                im[i] = im[i] + im[k];
                re[k] = c * xt - s * yt;
                im[k] = c * yt + s * xt;
            }
        }
        e = 2 * e;
        span = half;
    }
    std::int32_t j = 1;
    for (std::int32_t i = 1; i <= n - 1; ++i) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        std::int32_t k = n / 2;
        while (k < j) {
            j = j - k;
            k = k / 2;
        }
        j = j + k;
    }
    if (forward) {
        for (std::int32_t i = 1; i <= n; ++i) {
            re[i] = re[i] / n;
            im[i] = im[i] / n;
        }
    }
}

void Centre(float* re, float* im, std::int32_t width, std::int32_t height) {
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            if ((x + y) % 2 == 1) {
                re[y * width + x] = -re[y * width + x];
                im[y * width + x] = -im[y * width + x];
            }
}

// Each line goes through the two 1-based scratch arrays and is stored back as floats.
void Lines(float* re, float* im, std::int32_t count, std::int32_t n, std::int32_t lineStride,
           std::int32_t elementStride, bool forward, std::vector<double>& sr, std::vector<double>& si) {
    for (std::int32_t l = 0; l < count; ++l) {
        for (std::int32_t e = 0; e < n; ++e) {
            sr[e + 1] = re[l * lineStride + e * elementStride];
            si[e + 1] = im[l * lineStride + e * elementStride];
        }
        Kernel(sr.data(), si.data(), n, forward);
        for (std::int32_t e = 0; e < n; ++e) {
            re[l * lineStride + e * elementStride] = static_cast<float>(sr[e + 1]);
            im[l * lineStride + e * elementStride] = static_cast<float>(si[e + 1]);
        }
    }
}

// Rows, then columns, through scratch arrays of max(width, height) doubles.
void RowsThenColumns(float* re, float* im, std::int32_t width, std::int32_t height, bool forward) {
    const std::int32_t longest = width > height ? width : height;
    std::vector<double> sr(longest + 1), si(longest + 1);
    Lines(re, im, height, width, width, 1, forward, sr, si);
    Lines(re, im, width, height, 1, width, forward, sr, si);
}

} // namespace

void PlainForwardFFT2D(float* re, float* im, std::int32_t width, std::int32_t height, bool centre) {
    if (centre) Centre(re, im, width, height);
    RowsThenColumns(re, im, width, height, true);
}

void PlainInverseFFT2D(float* re, float* im, std::int32_t width, std::int32_t height, bool centre) {
    RowsThenColumns(re, im, width, height, false);
    if (centre) Centre(re, im, width, height);
}

} // namespace corvane::test
