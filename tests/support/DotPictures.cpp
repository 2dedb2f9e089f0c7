#include "support/DotPictures.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace corvane::test {

DotLattice MakeDotLattice(const DotLatticeOptions& o) {
    DotLattice lattice;
    lattice.Width = o.Width;
    lattice.Height = o.Height;
    std::mt19937 rng(o.Seed);
    std::uniform_real_distribution<double> jitter(-o.Jitter, o.Jitter);
    for (std::int32_t r = 0; r < o.Rows; ++r)
        for (std::int32_t c = 0; c < o.Columns; ++c) {
            double x = o.OriginX + c * o.PitchX, y = o.OriginY + r * o.PitchY;
            if (o.Jitter > 0.0) {
                x += jitter(rng);
                y += jitter(rng);
            }
            lattice.Centres.push_back({x, y});
        }

    // Coverage of each pixel (pixel (x, y) spans x - 0.5 .. x + 0.5).
    std::vector<double> coverage(static_cast<std::size_t>(o.Width) * o.Height, 0.0);
    constexpr int kSamples = 8;
    const double r2 = o.Radius * o.Radius;
    for (const DotCentre& d : lattice.Centres) {
        const int x0 = std::max(0, static_cast<int>(std::floor(d.X - o.Radius - 1)));
        const int x1 = std::min(o.Width - 1, static_cast<int>(std::ceil(d.X + o.Radius + 1)));
        const int y0 = std::max(0, static_cast<int>(std::floor(d.Y - o.Radius - 1)));
        const int y1 = std::min(o.Height - 1, static_cast<int>(std::ceil(d.Y + o.Radius + 1)));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                int inside = 0;
                for (int sy = 0; sy < kSamples; ++sy)
                    for (int sx = 0; sx < kSamples; ++sx) {
                        const double px = x - 0.5 + (sx + 0.5) / kSamples - d.X;
                        const double py = y - 0.5 + (sy + 0.5) / kSamples - d.Y;
                        if (px * px + py * py < r2) ++inside;
                    }
                double& c = coverage[static_cast<std::size_t>(y) * o.Width + x];
                c = std::min(1.0, c + static_cast<double>(inside) / (kSamples * kSamples));
            }
    }

    lattice.Pixels.resize(coverage.size());
    for (std::int32_t y = 0; y < o.Height; ++y)
        for (std::int32_t x = 0; x < o.Width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * o.Width + x;
            const double light =
                1.0 -
                o.LightingFall * (static_cast<double>(x) / o.Width + static_cast<double>(y) / o.Height) / 2.0;
            const double g = (o.BackgroundLevel + coverage[i] * (o.DotLevel - o.BackgroundLevel)) * light;
            lattice.Pixels[i] = static_cast<std::uint8_t>(std::clamp(std::lround(g), 0L, 255L));
        }
    return lattice;
}

void PaintBlock(std::vector<std::uint8_t>& pixels, std::int32_t width, const SpeckleBlock& b,
                std::uint8_t value) {
    for (std::int32_t y = b.Y; y < b.Y + b.H; ++y)
        std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width + b.X, b.W, value);
}

} // namespace corvane::test
