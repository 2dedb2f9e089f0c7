#include "image/FastAtan2.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvane {

namespace {

constexpr double kPiD = 3.141592653589793;
constexpr double kTanPiOver8 = 0.41421356237309503;
constexpr int kAtanTerms = 23;
/// Coefficients (-1)^k / (2k + 1) of the arctangent series.
constexpr auto kAtanSeries = [] {
    std::array<double, kAtanTerms> c{};
    for (int k = 0; k < kAtanTerms; ++k)
        c[static_cast<std::size_t>(k)] = ((k % 2) ? -1.0 : 1.0) / (2 * k + 1);
    return c;
}();

/// atan2 of finite values to within 2 units of the last double place: the angle is reduced to
/// |u| <= tan(pi/8) and the arctangent series summed to 23 terms (remainder below 1e-19).
/// Written out once for one value and once for two SSE2 lanes, with the same operations in the
/// same order, so both give identical bits. Rounded to single precision it agrees with the
/// library's double atan2 except next to a rounding boundary, which NearFloatMidpoint detects.
inline double Atan2(double n, double d) {
    const double ax = std::fabs(d);
    const double ay = std::fabs(n);
    const bool swap = ay > ax;
    const double hi = std::max(ax, ay);
    const double lo = std::min(ax, ay);
    const bool big = lo > kTanPiOver8 * hi;
    // lo - hi and lo + hi are exact: values made from floats this close together.
    const double u = (big ? lo - hi : lo) / (big ? lo + hi : hi);
    const double z = u * u;
    double series = kAtanSeries[kAtanTerms - 1];
    for (int k = kAtanTerms - 2; k >= 0; --k)
        series = series * z + kAtanSeries[static_cast<std::size_t>(k)];
    double r = (big ? kPiD / 4 : 0.0) + u * series;
    r = swap ? kPiD / 2 - r : r;
    r = d < 0.0 ? kPiD - r : r;
    return n < 0.0 ? -r : r;
}

/// Distance, in units of the last place of a double, within which the series result and the
/// library's atan2 can lie on opposite sides of a single-precision rounding boundary. The series
/// stays within 2 units of the exact angle and the library within 1; 8 leaves a wide margin, and
/// only about one angle in 30 million falls into the band.
constexpr std::uint64_t kMidpointGuard = 8;
/// A double whose 29 low significand bits read 1 followed by zeros lies exactly halfway
/// between two single-precision values of its binade.
constexpr std::uint64_t kBelowFloatBits = (std::uint64_t{1} << 29) - 1;
constexpr std::uint64_t kFloatMidpoint = std::uint64_t{1} << 28;
/// High word of the smallest normal single-precision magnitude, 2^-126, as a double: below it
/// the spacing of single-precision values changes, so such angles go to the library as well.
constexpr std::uint32_t kSmallestNormalFloatHigh = 0x38100000u;

/// True when the rounding of r to single precision could differ from that of the library's
/// atan2: r lies within kMidpointGuard units of a halfway point, or below the normal range.
inline bool NearFloatMidpoint(double r) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(r) & ~(std::uint64_t{1} << 63);
    if ((bits >> 32) < kSmallestNormalFloatHigh) return true;
    return (bits & kBelowFloatBits) - (kFloatMidpoint - kMidpointGuard) <= 2 * kMidpointGuard;
}

/// Near-zero threshold 3.4e-20 of the wrapped-phase rule, compared in double precision. The
/// nearest single-precision value lies below it, so for a float |v| < 3.4e-20 is |v| <= kEpsilon.
constexpr float kEpsilon = 3.4e-20f;
static_assert(static_cast<double>(kEpsilon) < 3.4e-20);
static_assert(static_cast<double>(std::bit_cast<float>(std::bit_cast<std::uint32_t>(kEpsilon) + 1)) >
              3.4e-20);

/// The wrapped-phase rule for one pixel, near-zero cases first. Angles whose rounding to single
/// precision the series cannot settle are taken from the library, so the result is always the
/// library's double atan2 rounded to single precision.
inline float WrappedPhase(float n, float d) {
    if (std::fabs(n) <= kEpsilon) return d < 0.0f ? 3.1415925f : 0.0f;
    if (std::fabs(d) <= kEpsilon) return n > 0.0f ? 1.5707963f : -1.5707963f;
    const double nd = static_cast<double>(n);
    const double dd = static_cast<double>(d);
    if (!std::isfinite(n) || !std::isfinite(d)) return static_cast<float>(std::atan2(nd, dd));
    const double r = Atan2(nd, dd);
    return static_cast<float>(NearFloatMidpoint(r) ? std::atan2(nd, dd) : r);
}

#if defined(__SSE2__)
inline __m128d Blend(__m128d mask, __m128d a, __m128d b) {
    return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b));
}

inline __m128 Blend(__m128 mask, __m128 a, __m128 b) {
    return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
}

/// kGroups pairs of lanes at once: the series is a chain of dependent steps, so several
/// independent chains are interleaved to keep the arithmetic units busy.
constexpr int kGroups = 4;

inline void Atan2(const __m128d* n, const __m128d* d, __m128d* r) {
    const __m128d sign = _mm_set1_pd(-0.0);
    __m128d swap[kGroups], big[kGroups], u[kGroups], z[kGroups], series[kGroups];
    for (int g = 0; g < kGroups; ++g) {
        const __m128d ax = _mm_andnot_pd(sign, d[g]);
        const __m128d ay = _mm_andnot_pd(sign, n[g]);
        swap[g] = _mm_cmpgt_pd(ay, ax);
        const __m128d hi = _mm_max_pd(ax, ay);
        const __m128d lo = _mm_min_pd(ax, ay);
        big[g] = _mm_cmpgt_pd(lo, _mm_mul_pd(_mm_set1_pd(kTanPiOver8), hi));
        u[g] = _mm_div_pd(Blend(big[g], _mm_sub_pd(lo, hi), lo), Blend(big[g], _mm_add_pd(lo, hi), hi));
        z[g] = _mm_mul_pd(u[g], u[g]);
        series[g] = _mm_set1_pd(kAtanSeries[kAtanTerms - 1]);
    }
    for (int k = kAtanTerms - 2; k >= 0; --k) {
        const __m128d c = _mm_set1_pd(kAtanSeries[static_cast<std::size_t>(k)]);
        for (int g = 0; g < kGroups; ++g)
            series[g] = _mm_add_pd(_mm_mul_pd(series[g], z[g]), c);
    }
    for (int g = 0; g < kGroups; ++g) {
        __m128d v = _mm_add_pd(_mm_and_pd(big[g], _mm_set1_pd(kPiD / 4)), _mm_mul_pd(u[g], series[g]));
        v = Blend(swap[g], _mm_sub_pd(_mm_set1_pd(kPiD / 2), v), v);
        v = Blend(_mm_cmplt_pd(d[g], _mm_setzero_pd()), _mm_sub_pd(_mm_set1_pd(kPiD), v), v);
        r[g] = _mm_xor_pd(v, _mm_and_pd(_mm_cmplt_pd(n[g], _mm_setzero_pd()), sign));
    }
}

constexpr std::size_t kBlock = 2 * kGroups;

/// kBlock pixels of the wrapped-phase rule. Returns a bit per pixel (bit j for pixel j) whose
/// stored value is not settled here: an input that is not finite, or an angle the series cannot
/// round with certainty (NearFloatMidpoint); the caller recomputes those pixels one by one.
inline unsigned WrappedPhaseBlock(const float* re, const float* im, float* out) {
    __m128d n[kGroups], d[kGroups], r[kGroups];
    for (int g = 0; g < kGroups; g += 2) {
        const __m128 d4 = _mm_loadu_ps(re + 2 * g);
        const __m128 n4 = _mm_loadu_ps(im + 2 * g);
        d[g] = _mm_cvtps_pd(d4);
        n[g] = _mm_cvtps_pd(n4);
        d[g + 1] = _mm_cvtps_pd(_mm_movehl_ps(d4, d4));
        n[g + 1] = _mm_cvtps_pd(_mm_movehl_ps(n4, n4));
    }
    Atan2(n, d, r);
    const __m128 sign = _mm_set1_ps(-0.0f);
    const __m128 epsilon = _mm_set1_ps(kEpsilon);
    const __m128 zero = _mm_setzero_ps();
    const __m128 largest = _mm_set1_ps(std::numeric_limits<float>::max());
    const __m128i lowMask = _mm_set1_epi32(static_cast<int>(kBelowFloatBits));
    const __m128i bandStart = _mm_set1_epi32(static_cast<int>(kFloatMidpoint - kMidpointGuard));
    const __m128i bandWidth = _mm_set1_epi32(static_cast<int>(2 * kMidpointGuard));
    const __m128i magnitude = _mm_set1_epi32(0x7FFFFFFF);
    const __m128i smallestNormal = _mm_set1_epi32(static_cast<int>(kSmallestNormalFloatHigh));
    unsigned unsettled = 0;
    for (int g = 0; g < kGroups; g += 2) {
        const __m128 d4 = _mm_loadu_ps(re + 2 * g);
        const __m128 n4 = _mm_loadu_ps(im + 2 * g);
        __m128 phi = _mm_movelh_ps(_mm_cvtpd_ps(r[g]), _mm_cvtpd_ps(r[g + 1]));
        const __m128 absD = _mm_andnot_ps(sign, d4);
        const __m128 absN = _mm_andnot_ps(sign, n4);
        const __m128 smallD = _mm_cmple_ps(absD, epsilon);
        const __m128 smallN = _mm_cmple_ps(absN, epsilon);
        const __m128 halfPi =
            Blend(_mm_cmpgt_ps(n4, zero), _mm_set1_ps(1.5707963f), _mm_set1_ps(-1.5707963f));
        phi = Blend(smallD, halfPi, phi);
        phi = Blend(smallN, _mm_and_ps(_mm_cmplt_ps(d4, zero), _mm_set1_ps(3.1415925f)), phi);
        _mm_storeu_ps(out + 2 * g, phi);

        // The low and high 32-bit words of the four doubles, in pixel order.
        const __m128 r0 = _mm_castpd_ps(r[g]);
        const __m128 r1 = _mm_castpd_ps(r[g + 1]);
        const __m128i low = _mm_castps_si128(_mm_shuffle_ps(r0, r1, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m128i high = _mm_castps_si128(_mm_shuffle_ps(r0, r1, _MM_SHUFFLE(3, 1, 3, 1)));
        const __m128i offset = _mm_sub_epi32(_mm_and_si128(low, lowMask), bandStart);
        const __m128i outsideBand =
            _mm_or_si128(_mm_cmplt_epi32(offset, _mm_setzero_si128()), _mm_cmpgt_epi32(offset, bandWidth));
        const __m128i belowNormal = _mm_cmplt_epi32(_mm_and_si128(high, magnitude), smallestNormal);
        const __m128i inBand = _mm_andnot_si128(outsideBand, _mm_set1_epi32(-1));
        const __m128 nearMidpoint = _mm_castsi128_ps(_mm_or_si128(inBand, belowNormal));
        const __m128 fromSeries = _mm_andnot_ps(_mm_or_ps(smallD, smallN), nearMidpoint);
        const __m128 nonFinite = _mm_or_ps(_mm_cmpnle_ps(absD, largest), _mm_cmpnle_ps(absN, largest));
        unsettled |= static_cast<unsigned>(_mm_movemask_ps(_mm_or_ps(fromSeries, nonFinite))) << (2 * g);
    }
    return unsettled;
}
#endif

} // namespace

void WrappedPhaseOf(const float* numerator, const float* denominator, float* out, std::size_t count) {
    const float* re = denominator;
    const float* im = numerator;
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + kBlock <= count; i += kBlock)
        for (unsigned left = WrappedPhaseBlock(re + i, im + i, out + i); left != 0; left &= left - 1) {
            const std::size_t j = i + static_cast<std::size_t>(std::countr_zero(left));
            out[j] = WrappedPhase(im[j], re[j]);
        }
#endif
    for (; i < count; ++i)
        out[i] = WrappedPhase(im[i], re[i]);
}

} // namespace corvane
