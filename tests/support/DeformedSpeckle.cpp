#include "support/DeformedSpeckle.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace corvane::test {

SpecklePair MakeDeformedSpecklePair(const DeformedSpeckleOptions& o, const DisplacementFunction& u) {
    // Grey level of a speckle sum: a smooth response that saturates gently below 255, so overlapping
    // speckles never clip (a clipped plateau would be no smooth pattern to interpolate).
    const auto tone = [](double sum) { return 20.0 + 215.0 * (1.0 - std::exp(-1.2 * sum)); };
    std::mt19937 rng(o.Seed);
    const double reach = 3.5 * o.DotRadius, inv = 1.0 / (o.DotRadius * o.DotRadius);
    // The largest displacement over the picture sets the margin of material that can move in.
    double largest = 0.0;
    for (std::int32_t y = 0; y <= o.Height; y += 8)
        for (std::int32_t x = 0; x <= o.Width; x += 8) {
            const auto d = u(x, y);
            largest = std::max({largest, std::fabs(d[0]), std::fabs(d[1])});
        }
    const double margin = reach + 2.0 * largest + 2.0;
    const double x0 = -margin, y0 = -margin;
    const auto cols = static_cast<std::int32_t>(std::ceil((o.Width + 2 * margin) / reach)) + 1;
    const auto rows = static_cast<std::int32_t>(std::ceil((o.Height + 2 * margin) / reach)) + 1;
    std::uniform_real_distribution<double> ux(x0, o.Width + margin), uy(y0, o.Height + margin);
    std::uniform_real_distribution<double> amp(0.45, 1.0);
    const auto count =
        static_cast<std::size_t>(o.DotsPerPixel * (o.Width + 2 * margin) * (o.Height + 2 * margin));

    // Dots binned by cells of the dot reach, so a point sums only the dots of its 3 x 3 cells.
    std::vector<std::vector<std::array<double, 3>>> cells(static_cast<std::size_t>(cols) * rows);
    for (std::size_t i = 0; i < count; ++i) {
        const double x = ux(rng), y = uy(rng), a = amp(rng);
        const auto c = static_cast<std::int32_t>((x - x0) / reach),
                   r = static_cast<std::int32_t>((y - y0) / reach);
        cells[static_cast<std::size_t>(r) * cols + c].push_back({x, y, a});
    }
    auto pattern = [&](double x, double y) {
        const auto c = static_cast<std::int32_t>((x - x0) / reach),
                   r = static_cast<std::int32_t>((y - y0) / reach);
        double sum = 0.0;
        for (std::int32_t rr = std::max(r - 1, 0); rr <= std::min(r + 1, rows - 1); ++rr)
            for (std::int32_t cc = std::max(c - 1, 0); cc <= std::min(c + 1, cols - 1); ++cc)
                for (const auto& [dx, dy, a] : cells[static_cast<std::size_t>(rr) * cols + cc])
                    sum += a * std::exp(-((x - dx) * (x - dx) + (y - dy) * (y - dy)) * inv);
        return sum;
    };

    std::normal_distribution<double> noise(0.0, o.NoiseSigma > 0.0 ? o.NoiseSigma : 1.0);
    auto grey = [&](double v) {
        if (o.NoiseSigma > 0.0) v += noise(rng);
        return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
    };
    const std::size_t n = static_cast<std::size_t>(o.Width) * o.Height;
    SpecklePair pair{o.Width, o.Height, std::vector<std::uint8_t>(n), std::vector<std::uint8_t>(n)};
    for (std::int32_t y = 0; y < o.Height; ++y)
        for (std::int32_t x = 0; x < o.Width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * o.Width + x;
            pair.Initial[i] = grey(tone(pattern(x, y)));
            // The material point that lands on this pixel.
            double mx = x, my = y;
            for (int k = 0; k < 60; ++k) {
                const auto d = u(mx, my);
                const double nx = x - d[0], ny = y - d[1];
                const bool settled = std::fabs(nx - mx) < 1e-12 && std::fabs(ny - my) < 1e-12;
                mx = nx;
                my = ny;
                if (settled) break;
            }
            pair.Deformed[i] = grey(tone(pattern(mx, my)));
        }
    return pair;
}

} // namespace corvane::test
