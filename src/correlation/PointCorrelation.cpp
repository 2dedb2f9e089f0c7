#include "correlation/PointCorrelation.h"

#include "correlation/TCorRelationResult.h"
#include "correlation/WindowCorrelation.h"

#include <cmath>
#include <cstddef>

namespace corvane {

namespace {

/// The five sums of a window pair: Σf, Σf², and Σb, Σb², Σf·b of the interpolated values b in
/// units of 1/64 grey level.
struct PairSums {
    std::int64_t F = 0, FF = 0, B = 0, BB = 0, FB = 0;
};

// With a displacement in whole eighths of a pixel, the interpolation weights are whole counts of
// 1/64 (they add up to 64), each interpolated value a whole count of 1/64 of a grey level (at most
// 16320), and every product and partial sum of the correlation an exact double: the sums in
// integers are the sums of the row-by-row order in double, bit for bit, in any grouping. Eight
// values at a time where the processor offers it; rows of up to 2048 values keep 32-bit lanes of
// everything but the squares of b whole.
PairSums SumEighthPixelPair(const CorrelationPictures& pictures, std::int64_t left, std::int64_t up,
                            std::int32_t winX, std::int32_t winY, std::int64_t gx0, std::int64_t gy0,
                            std::int64_t nx, std::int64_t ny, const std::int32_t (&w)[4]) {
    PairSums s;
    std::int32_t vectorWidth = 0;
#if defined(__SSE2__)
    using window_correlation::detail::AddWide;
    using window_correlation::detail::LaneSum;
    using window_correlation::detail::LoadEight;
    if (winX <= 2048) vectorWidth = winX & ~7;
    const __m128i w00 = _mm_set1_epi16(static_cast<short>(w[0])),
                  w10 = _mm_set1_epi16(static_cast<short>(w[1]));
    const __m128i w01 = _mm_set1_epi16(static_cast<short>(w[2])),
                  w11 = _mm_set1_epi16(static_cast<short>(w[3]));
    const __m128i ones = _mm_set1_epi16(1);
    __m128i f = _mm_setzero_si128(), ff = f, b = f, bb = f, fb = f;
#endif
    for (std::int32_t j = 0; j < winY; ++j) {
        const std::uint8_t* fr = pictures.Initial + (up + j) * pictures.W0 + left;
        const std::uint8_t* g0 = pictures.Deformed + (gy0 + j) * pictures.W1 + gx0;
        const std::uint8_t* g1 = g0 + ny * pictures.W1;
#if defined(__SSE2__)
        __m128i fRow = _mm_setzero_si128(), ffRow = fRow, bRow = fRow, fbRow = fRow;
        for (std::int32_t i = 0; i < vectorWidth; i += 8) {
            const __m128i a = LoadEight(fr + i);
            const __m128i v = _mm_add_epi16(_mm_add_epi16(_mm_mullo_epi16(w00, LoadEight(g0 + i)),
                                                          _mm_mullo_epi16(w10, LoadEight(g0 + i + nx))),
                                            _mm_add_epi16(_mm_mullo_epi16(w01, LoadEight(g1 + i)),
                                                          _mm_mullo_epi16(w11, LoadEight(g1 + i + nx))));
            fRow = _mm_add_epi32(fRow, _mm_madd_epi16(a, ones));
            ffRow = _mm_add_epi32(ffRow, _mm_madd_epi16(a, a));
            bRow = _mm_add_epi32(bRow, _mm_madd_epi16(v, ones));
            fbRow = _mm_add_epi32(fbRow, _mm_madd_epi16(a, v));
            bb = AddWide(bb, _mm_madd_epi16(v, v));
        }
        f = AddWide(f, fRow), ff = AddWide(ff, ffRow), b = AddWide(b, bRow), fb = AddWide(fb, fbRow);
#endif
        for (std::int32_t i = vectorWidth; i < winX; ++i) {
            const std::int64_t a = fr[i];
            const std::int64_t v = w[0] * g0[i] + w[1] * g0[i + nx] + w[2] * g1[i] + w[3] * g1[i + nx];
            s.F += a, s.FF += a * a, s.B += v, s.BB += v * v, s.FB += a * v;
        }
    }
#if defined(__SSE2__)
    s.F += LaneSum(f), s.FF += LaneSum(ff), s.B += LaneSum(b), s.BB += LaneSum(bb), s.FB += LaneSum(fb);
#endif
    return s;
}

} // namespace

double ZeroNormalisedCorrelation(const CorrelationPictures& pictures, std::int32_t x, std::int32_t y,
                                 std::int32_t winX, std::int32_t winY, double dx, double dy) {
    if (winX < 1 || winY < 1 || !std::isfinite(dx) || !std::isfinite(dy)) return 0.0;
    const std::int64_t left = std::int64_t{x} - winX / 2, up = std::int64_t{y} - winY / 2;
    if (left < 0 || up < 0 || left + winX > pictures.W0 || up + winY > pictures.H0) return 0.0;
    // The displacement is the same at every pixel of the window, so are the interpolation weights.
    const double sx = static_cast<double>(left) + dx, sy = static_cast<double>(up) + dy;
    const double fx0 = std::floor(sx), fy0 = std::floor(sy);
    if (fx0 < 0.0 || fy0 < 0.0 || fx0 + winX > pictures.W1 || fy0 + winY > pictures.H1) return 0.0;
    const double fx = sx - fx0, fy = sy - fy0;
    // A weight of 0 reads no neighbour, so a window on the last column or row stays inside.
    const std::int64_t nx = fx > 0.0 ? 1 : 0, ny = fy > 0.0 ? 1 : 0;
    const auto gx0 = static_cast<std::int64_t>(fx0), gy0 = static_cast<std::int64_t>(fy0);
    if (gx0 + winX - 1 + nx >= pictures.W1 || gy0 + winY - 1 + ny >= pictures.H1) return 0.0;
    const double w00 = (1.0 - fy) * (1.0 - fx), w10 = (1.0 - fy) * fx, w01 = fy * (1.0 - fx), w11 = fy * fx;

    double sf = 0.0, sg = 0.0, sff = 0.0, sgg = 0.0, sfg = 0.0;
    const double ex = fx * 8.0, ey = fy * 8.0;
    if (ex == std::floor(ex) && ey == std::floor(ey) &&
        static_cast<std::int64_t>(winX) * winY <= window_correlation::kExactWindowLimit) {
        const auto p = static_cast<std::int32_t>(ex), q = static_cast<std::int32_t>(ey);
        const std::int32_t w[4] = {(8 - q) * (8 - p), (8 - q) * p, q * (8 - p), q * p};
        const PairSums sums = SumEighthPixelPair(pictures, left, up, winX, winY, gx0, gy0, nx, ny, w);
        sf = static_cast<double>(sums.F), sff = static_cast<double>(sums.FF);
        sg = static_cast<double>(sums.B) / 64.0, sgg = static_cast<double>(sums.BB) / 4096.0;
        sfg = static_cast<double>(sums.FB) / 64.0;
    } else {
        for (std::int32_t j = 0; j < winY; ++j) {
            const std::uint8_t* f = pictures.Initial + (up + j) * pictures.W0 + left;
            const std::uint8_t* g0 = pictures.Deformed + (gy0 + j) * pictures.W1 + gx0;
            const std::uint8_t* g1 = g0 + ny * pictures.W1;
            for (std::int32_t i = 0; i < winX; ++i) {
                const double a = f[i];
                const double b = w00 * g0[i] + w10 * g0[i + nx] + w01 * g1[i] + w11 * g1[i + nx];
                sf += a;
                sg += b;
                sff += a * a;
                sgg += b * b;
                sfg += a * b;
            }
        }
    }
    const double n = static_cast<double>(winX) * winY;
    const double vf = sff - sf * sf / n, vg = sgg - sg * sg / n, cfg = sfg - sf * sg / n;
    // Interpolating a blank patch leaves rounding noise; a window that flat has no texture.
    const double flat = n * 1e-6;
    if (!(vf > flat && vg > flat)) return 0.0;
    const double c = cfg / std::sqrt(vf * vg);
    return c > 1.0 ? 1.0 : (c < -1.0 ? -1.0 : c);
}

void FillCorrelationRows(const CorrelationPictures& pictures, std::int32_t winX, std::int32_t winY,
                         const float* dx, const float* dy, float* zncc, std::int32_t firstRow,
                         std::int32_t lastRow) {
    for (std::int32_t y = firstRow; y < lastRow; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(pictures.W0);
        for (std::int32_t x = 0; x < pictures.W0; ++x) {
            const std::size_t i = row + static_cast<std::size_t>(x);
            if (zncc[i] != kNotComputed && dx[i] != kNotComputed) continue; // refined already, at its shape
            zncc[i] =
                dx[i] == kNotComputed || dy[i] == kNotComputed
                    ? kNotComputed
                    : static_cast<float>(ZeroNormalisedCorrelation(pictures, x, y, winX, winY, dx[i], dy[i]));
        }
    }
}

} // namespace corvane
