#include "correlation/PointCorrelation.h"

#include "correlation/TCorRelationResult.h"

#include <cmath>
#include <cstddef>

namespace corvane {

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
