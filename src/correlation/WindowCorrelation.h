#pragma once
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace corvane::window_correlation {

// The normalised cross-correlation of grey windows that the seed search and the whole-field
// search share. Kept inline: both searches call it in their innermost loops.

/// Copies the window of f at (left, up) into w as doubles and returns its sum of squares.
inline double LoadWindow(const std::uint8_t* f, std::int32_t stride, std::int32_t left, std::int32_t up,
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
// such a count, at most 255 * 16320, and squares of counts. Each product and each partial sum of up
// to 2^24 of them is exact in double, and so is the final scaling by a power of two, so the
// grouping of the sums cannot change a single bit: four interleaved partial sums of counts give the
// very sums of the row-by-row order over grey values, without waiting on one long chain of
// additions. Larger windows keep the row-by-row order.
inline constexpr std::int64_t kExactWindowLimit = std::int64_t{1} << 24;

/// CorrelateInOrder of the grey values count * unit, unit a power of two.
template <typename G>
inline double CorrelateCountsInOrder(const double* f, double sff, const G* g, std::ptrdiff_t stride,
                                     std::int32_t wx, std::int32_t wy, double unit) {
    double sfg = 0.0, sgg = 0.0;
    for (std::int32_t ii = 0; ii < wy; ++ii, f += wx, g += stride) {
        for (std::int32_t jj = 0; jj < wx; ++jj) {
            const double v = static_cast<double>(g[jj]) * unit;
            sfg += f[jj] * v;
            sgg += v * v;
        }
    }
    return sfg / std::sqrt(sff * sgg);
}

/// The correlation of CorrelateCountsInOrder, bit for bit, with four interleaved partial sums of
/// counts, scaled once at the end. G is std::uint16_t for counts or std::uint8_t for grey bytes (unit 1).
template <typename G>
inline double CorrelateExact(const double* f, double sff, const G* g, std::ptrdiff_t stride, std::int32_t wx,
                             std::int32_t wy, double unit) {
    if (static_cast<std::int64_t>(wx) * wy > kExactWindowLimit)
        return CorrelateCountsInOrder(f, sff, g, stride, wx, wy, unit);
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
    const double sfg = ((fg0 + fg1) + (fg2 + fg3)) * unit;
    const double sgg = ((gg0 + gg1) + (gg2 + gg3)) * (unit * unit);
    return sfg / std::sqrt(sff * sgg);
}

} // namespace corvane::window_correlation
