#include "spectral/CentredFft.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

#include "image/CorvaneError.h"

namespace corvane {

namespace {

// Everything the kernel of one length needs besides the data: the rotation factors of every
// stage and the bit-reversal permutation.
//
// The factors are tabulated once per transform instead of being recomputed for every group,
// but each is computed by the very accumulation the kernel is defined with (a starts at 0 in
// every stage and grows by e, e doubles from one stage to the next), so every number is the same.
struct LengthPlan {
    std::int32_t n = 0;
    std::vector<double> cosines; // stage after stage, half entries each
    std::vector<double> sines;
    std::vector<std::int32_t> source; // after the permutation, element i comes from source[i]
};

LengthPlan MakePlan(std::int32_t n) {
    LengthPlan plan;
    plan.n = n;
    plan.cosines.reserve(static_cast<std::size_t>(n));
    plan.sines.reserve(static_cast<std::size_t>(n));
    double e = 8 * std::atan(1.0) / n;
    for (std::int32_t span = n; span > 1; span /= 2) {
        const std::int32_t half = span / 2;
        double a = 0;
        for (std::int32_t j = 0; j < half; ++j) {
            plan.cosines.push_back(std::cos(a));
            plan.sines.push_back(std::sin(a));
            a = a + e;
        }
        e = 2 * e;
    }
    // The permutation is obtained by running the exchange loop itself on element numbers.
    plan.source.resize(static_cast<std::size_t>(n) + 1);
    for (std::int32_t i = 0; i <= n; ++i)
        plan.source[i] = i;
    std::int32_t j = 1;
    for (std::int32_t i = 1; i <= n - 1; ++i) {
        if (i < j) std::swap(plan.source[i], plan.source[j]);
        std::int32_t k = n / 2;
        while (k < j) {
            j = j - k;
            k = k / 2;
        }
        j = j + k;
    }
    // Back to 0-based element numbers.
    for (std::int32_t i = 0; i < n; ++i)
        plan.source[i] = plan.source[i + 1] - 1;
    plan.source.resize(static_cast<std::size_t>(n));
    return plan;
}

// One butterfly column of B lanes: the sum stays at i, the rotated difference goes to k.
template <int B, bool Forward>
inline void Butterfly(double* __restrict ri, double* __restrict ii, double* __restrict rk,
                      double* __restrict ik, double c, double s) {
    for (int b = 0; b < B; ++b) {
        const double xt = ri[b] - rk[b];
        const double yt = ii[b] - ik[b];
        ri[b] = ri[b] + rk[b];
        ii[b] = ii[b] + ik[b];
        if constexpr (Forward) {
            rk[b] = c * xt - s * yt;
            ik[b] = c * yt + s * xt;
        } else {
            rk[b] = c * xt + s * yt;
            ik[b] = c * yt - s * xt;
        }
    }
}

// All stages of the decimation-in-frequency kernel on B interleaved lines: element e of lane b
// is at re[e * B + b]. Butterflies of one stage are independent, so they are visited group by
// group with the lanes innermost, which keeps every access unit-stride.
template <int B, bool Forward> void Stages(double* re, double* im, const LengthPlan& plan) {
    const std::int32_t n = plan.n;
    const double* c = plan.cosines.data();
    const double* s = plan.sines.data();
    for (std::int32_t span = n; span > 1; span /= 2) {
        const std::int32_t half = span / 2;
        for (std::int32_t g = 0; g < n; g += span) {
            double* ri = re + static_cast<std::ptrdiff_t>(g) * B;
            double* ii = im + static_cast<std::ptrdiff_t>(g) * B;
            double* rk = ri + static_cast<std::ptrdiff_t>(half) * B;
            double* ik = ii + static_cast<std::ptrdiff_t>(half) * B;
            for (std::int32_t j = 0; j < half; ++j) {
                Butterfly<B, Forward>(ri + j * B, ii + j * B, rk + j * B, ik + j * B, c[j], s[j]);
            }
        }
        c += half;
        s += half;
    }
}

// Where the centring sign (-1)^(x+y) is applied: on the way into the forward transform's first
// pass, on the way out of the inverse transform's last pass.
enum class Negate { None, OnLoad, OnStore };

// Transforms `count` lines of length plan.n of a float map. Element e of line l is at
// l * lineStride + e * elementStride. The lines go B at a time through interleaved double
// buffers; the bit reversal and the forward scaling by 1/n are done while storing back
// (1/n is a power of two, so multiplying by it is the same number as dividing by n).
template <int B, bool Forward>
void TransformLines(float* re, float* im, std::int32_t firstLine, std::int32_t count,
                    std::ptrdiff_t lineStride, std::ptrdiff_t elementStride, const LengthPlan& plan,
                    Negate negate, double* bre, double* bim) {
    const std::int32_t n = plan.n;
    const double scale = Forward ? 1.0 / n : 1.0;
    const std::int32_t* source = plan.source.data();
    for (std::int32_t l0 = firstLine; l0 < firstLine + count; l0 += B) {
        for (std::int32_t e = 0; e < n; ++e) {
            const std::ptrdiff_t base = l0 * lineStride + e * elementStride;
            for (int b = 0; b < B; ++b) {
                double r = re[base + b * lineStride];
                double i = im[base + b * lineStride];
                if (negate == Negate::OnLoad && ((l0 + b + e) & 1)) {
                    r = -r;
                    i = -i;
                }
                bre[e * B + b] = r;
                bim[e * B + b] = i;
            }
        }
        Stages<B, Forward>(bre, bim, plan);
        for (std::int32_t e = 0; e < n; ++e) {
            const std::ptrdiff_t base = l0 * lineStride + e * elementStride;
            const double* sr = bre + static_cast<std::ptrdiff_t>(source[e]) * B;
            const double* si = bim + static_cast<std::ptrdiff_t>(source[e]) * B;
            for (int b = 0; b < B; ++b) {
                float r = static_cast<float>(Forward ? sr[b] * scale : sr[b]);
                float i = static_cast<float>(Forward ? si[b] * scale : si[b]);
                if (negate == Negate::OnStore && ((l0 + b + e) & 1)) {
                    r = -r;
                    i = -i;
                }
                re[base + b * lineStride] = r;
                im[base + b * lineStride] = i;
            }
        }
    }
}

constexpr int kLanes = 8;

template <bool Forward>
void Pass(float* re, float* im, std::int32_t count, std::ptrdiff_t lineStride, std::ptrdiff_t elementStride,
          const LengthPlan& plan, Negate negate, double* bre, double* bim) {
    const std::int32_t wide = count - count % kLanes;
    TransformLines<kLanes, Forward>(re, im, 0, wide, lineStride, elementStride, plan, negate, bre, bim);
    TransformLines<1, Forward>(re, im, wide, count - wide, lineStride, elementStride, plan, negate, bre, bim);
}

template <bool Forward>
void Transform2D(float* re, float* im, std::int32_t width, std::int32_t height, bool centre) {
    if (width < 0 || height < 0 || (width > 0 && !IsPowerOfTwo(width)) ||
        (height > 0 && !IsPowerOfTwo(height)))
        throw CorvaneError("FFT size must be a power of two: " + std::to_string(width) + " x " +
                           std::to_string(height));
    if (width == 0 || height == 0) return;
    const LengthPlan rows = MakePlan(width);
    const LengthPlan columns = height == width ? LengthPlan{} : MakePlan(height);
    const LengthPlan& columnPlan = height == width ? rows : columns;
    const std::size_t bufferSize = static_cast<std::size_t>(std::max(width, height)) * kLanes;
    std::unique_ptr<double[]> bre(new double[bufferSize]);
    std::unique_ptr<double[]> bim(new double[bufferSize]);
    const Negate rowNegate = (Forward && centre) ? Negate::OnLoad : Negate::None;
    const Negate columnNegate = (!Forward && centre) ? Negate::OnStore : Negate::None;
    Pass<Forward>(re, im, height, width, 1, rows, rowNegate, bre.get(), bim.get());
    Pass<Forward>(re, im, width, 1, width, columnPlan, columnNegate, bre.get(), bim.get());
}

} // namespace

std::int32_t LargestPowerOfTwoAtMost(std::int32_t n) {
    std::int64_t p = 1;
    while (p <= n)
        p *= 2;
    return static_cast<std::int32_t>(p / 2);
}

bool IsPowerOfTwo(std::int32_t n) {
    return n > 0 && (n & (n - 1)) == 0;
}

void ForwardFFT2D(float* re, float* im, std::int32_t width, std::int32_t height, bool centre) {
    Transform2D<true>(re, im, width, height, centre);
}

void InverseFFT2D(float* re, float* im, std::int32_t width, std::int32_t height, bool centre) {
    Transform2D<false>(re, im, width, height, centre);
}

} // namespace corvane
