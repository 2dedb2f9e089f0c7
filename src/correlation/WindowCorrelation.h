#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvane::window_correlation {

// The normalised cross-correlation of grey windows that the seed search and the whole-field
// search share. Kept inline: both searches call it in their innermost loops.

/// Copies the window of f at (left, up) into w (doubles, or whole grey levels for the exact sums)
/// and returns its sum of squares in double.
template <typename T>
inline double LoadWindow(const std::uint8_t* f, std::int32_t stride, std::int32_t left, std::int32_t up,
                         std::int32_t wx, std::int32_t wy, T* w) {
    double sff = 0.0;
    const std::uint8_t* row = f + static_cast<std::ptrdiff_t>(up) * stride + left;
    for (std::int32_t ii = 0; ii < wy; ++ii, row += stride) {
        for (std::int32_t jj = 0; jj < wx; ++jj) {
            const double v = row[jj];
            *w++ = static_cast<T>(row[jj]);
            sff += v * v;
        }
    }
    return sff;
}

/// Normalised cross-correlation with sums accumulated row by row, left to right.
template <typename G>
inline double CorrelateInOrder(const double* f, double sff, const G* g, std::ptrdiff_t stride,
                               std::int32_t wx, std::int32_t wy, std::int32_t step = 1) {
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
// of the eighth-pixel grid, held as whole counts of 1/16 or 1/64 of a grey level: a grey byte times
// such a count, at most 255 * 16320, and squares of counts. Summed as integers, Σ f·g and Σ g·g of a
// window of up to 2^24 values are exact, and so is their conversion to double and the scaling by a
// power of two: the very sums of the row-by-row order over grey values, bit for bit, whatever the
// grouping. Larger windows keep the row-by-row order in double.
inline constexpr std::int64_t kExactWindowLimit = std::int64_t{1} << 24;

/// CorrelateInOrder of the grey values count * unit, unit a power of two.
template <typename F, typename G>
inline double CorrelateCountsInOrder(const F* f, double sff, const G* g, std::ptrdiff_t stride,
                                     std::int32_t wx, std::int32_t wy, double unit) {
    double sfg = 0.0, sgg = 0.0;
    for (std::int32_t ii = 0; ii < wy; ++ii, f += wx, g += stride) {
        for (std::int32_t jj = 0; jj < wx; ++jj) {
            const double v = static_cast<double>(g[jj]) * unit;
            sfg += static_cast<double>(f[jj]) * v;
            sgg += v * v;
        }
    }
    return sfg / std::sqrt(sff * sgg);
}

/// Σ f·g and Σ g·g of a window, exact.
struct WindowSums {
    std::int64_t FG = 0, GG = 0;
};

#if defined(__SSE2__)
namespace detail {
inline __m128i LoadEight(const std::uint16_t* g) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(g));
}
inline __m128i LoadEight(const std::uint8_t* g) {
    return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(g)), _mm_setzero_si128());
}
/// Adds the four non-negative 32-bit lanes of v to the two 64-bit lanes of sum.
inline __m128i AddWide(__m128i sum, __m128i v) {
    const __m128i zero = _mm_setzero_si128();
    return _mm_add_epi64(_mm_add_epi64(sum, _mm_unpacklo_epi32(v, zero)), _mm_unpackhi_epi32(v, zero));
}
inline std::int64_t LaneSum(__m128i v) {
    alignas(16) std::int64_t lanes[2];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
    return lanes[0] + lanes[1];
}
} // namespace detail
#endif

/// The exact sums of f (whole grey levels, row by row) against g (counts at most 16320 or grey
/// bytes, rows stride apart). Eight values at a time where the processor offers it: a product pair
/// is below 2^23 and a row of up to 2048 values keeps 32-bit lanes of products whole; a pair of
/// squares is below 2^30 and goes straight into 64-bit lanes.
template <typename G>
inline WindowSums SumWindow(const std::int16_t* f, const G* g, std::ptrdiff_t stride, std::int32_t wx,
                            std::int32_t wy) {
    WindowSums s;
    std::int32_t vectorWidth = 0;
#if defined(__SSE2__)
    if (wx <= 2048) vectorWidth = wx & ~7;
    __m128i fg = _mm_setzero_si128(), gg = _mm_setzero_si128();
#endif
    for (std::int32_t ii = 0; ii < wy; ++ii, f += wx, g += stride) {
#if defined(__SSE2__)
        __m128i fgRow = _mm_setzero_si128();
        for (std::int32_t jj = 0; jj < vectorWidth; jj += 8) {
            const __m128i gv = detail::LoadEight(g + jj);
            const __m128i fv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f + jj));
            fgRow = _mm_add_epi32(fgRow, _mm_madd_epi16(fv, gv));
            gg = detail::AddWide(gg, _mm_madd_epi16(gv, gv));
        }
        fg = detail::AddWide(fg, fgRow);
#endif
        for (std::int32_t jj = vectorWidth; jj < wx; ++jj) {
            const std::int64_t v = g[jj];
            s.FG += f[jj] * v;
            s.GG += v * v;
        }
    }
#if defined(__SSE2__)
    s.FG += detail::LaneSum(fg);
    s.GG += detail::LaneSum(gg);
#endif
    return s;
}

/// The correlation of CorrelateCountsInOrder, bit for bit, from the exact integer sums, scaled
/// once at the end. G is std::uint16_t for counts or std::uint8_t for grey bytes (unit 1).
template <typename G>
inline double CorrelateExact(const std::int16_t* f, double sff, const G* g, std::ptrdiff_t stride,
                             std::int32_t wx, std::int32_t wy, double unit) {
    if (static_cast<std::int64_t>(wx) * wy > kExactWindowLimit)
        return CorrelateCountsInOrder(f, sff, g, stride, wx, wy, unit);
    const WindowSums sums = SumWindow(f, g, stride, wx, wy);
    const double sfg = static_cast<double>(sums.FG) * unit;
    const double sgg = static_cast<double>(sums.GG) * (unit * unit);
    return sfg / std::sqrt(sff * sgg);
}

} // namespace corvane::window_correlation
