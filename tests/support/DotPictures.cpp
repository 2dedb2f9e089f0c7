#include "support/DotPictures.h"
#include "support/DotGridPictures.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace corvane::test {

namespace {

/// The share of each pixel that round dots of the radius at the centres cover, row by row (pixel
/// (x, y) spans x - 0.5 .. x + 0.5; 8 x 8 samples per pixel; overlapping dots add up to at most 1).
std::vector<double> DotCoverage(std::int32_t width, std::int32_t height,
                                const std::vector<DotCentre>& centres, double radius) {
    std::vector<double> coverage(static_cast<std::size_t>(width) * height, 0.0);
    constexpr int kSamples = 8;
    const double r2 = radius * radius;
    for (const DotCentre& d : centres) {
        const int x0 = std::max(0, static_cast<int>(std::floor(d.X - radius - 1)));
        const int x1 = std::min(width - 1, static_cast<int>(std::ceil(d.X + radius + 1)));
        const int y0 = std::max(0, static_cast<int>(std::floor(d.Y - radius - 1)));
        const int y1 = std::min(height - 1, static_cast<int>(std::ceil(d.Y + radius + 1)));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                int inside = 0;
                for (int sy = 0; sy < kSamples; ++sy)
                    for (int sx = 0; sx < kSamples; ++sx) {
                        const double px = x - 0.5 + (sx + 0.5) / kSamples - d.X;
                        const double py = y - 0.5 + (sy + 0.5) / kSamples - d.Y;
                        if (px * px + py * py < r2) ++inside;
                    }
                double& c = coverage[static_cast<std::size_t>(y) * width + x];
                c = std::min(1.0, c + static_cast<double>(inside) / (kSamples * kSamples));
            }
    }
    return coverage;
}

/// Grey levels of dot coverage on an even background, lit by 1 - fall * (x / width + y / height) / 2.
std::vector<std::uint8_t> Shade(std::int32_t width, std::int32_t height,
                                const std::vector<DotCentre>& centres, double radius, double dotLevel,
                                double backgroundLevel, double fall) {
    const std::vector<double> coverage = DotCoverage(width, height, centres, radius);
    std::vector<std::uint8_t> pixels(coverage.size());
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            const double light =
                1.0 - fall * (static_cast<double>(x) / width + static_cast<double>(y) / height) / 2.0;
            const double g = (backgroundLevel + coverage[i] * (dotLevel - backgroundLevel)) * light;
            pixels[i] = static_cast<std::uint8_t>(std::clamp(std::lround(g), 0L, 255L));
        }
    return pixels;
}

} // namespace

std::vector<std::uint8_t> RenderDots(std::int32_t width, std::int32_t height,
                                     const std::vector<DotCentre>& centres, double radius, double dotLevel,
                                     double backgroundLevel) {
    return Shade(width, height, centres, radius, dotLevel, backgroundLevel, 0.0);
}

DotLattice MakeDotLattice(const DotLatticeOptions& o) {
    DotLattice lattice{o.Width, o.Height, {}, {}};
    std::mt19937 rng(o.Seed);
    std::uniform_real_distribution<double> jitter(-o.Jitter, o.Jitter);
    // x is drawn before y: the braces order the calls.
    const auto moved = [&](double, double) { return DotCentre{jitter(rng), jitter(rng)}; };
    lattice.Centres =
        LatticeCentres(o.OriginX, o.OriginY, o.PitchX, o.PitchY, o.Columns, o.Rows,
                       o.Jitter > 0.0 ? std::function<DotCentre(double, double)>(moved) : nullptr);
    lattice.Pixels =
        Shade(o.Width, o.Height, lattice.Centres, o.Radius, o.DotLevel, o.BackgroundLevel, o.LightingFall);
    return lattice;
}

DotLattice UnevenDotLattice() {
    return MakeDotLattice({.Width = 240,
                           .Height = 170,
                           .OriginX = 24.4,
                           .OriginY = 30.6,
                           .PitchX = 35.2,
                           .PitchY = 27.3,
                           .Columns = 7,
                           .Rows = 5,
                           .Radius = 6.5,
                           .DotLevel = 210,
                           .BackgroundLevel = 80,
                           .Jitter = 0.4,
                           .LightingFall = 0.6,
                           .Seed = 4});
}

void PaintBlock(std::vector<std::uint8_t>& pixels, std::int32_t width, const SpeckleBlock& b,
                std::uint8_t value) {
    for (std::int32_t y = b.Y; y < b.Y + b.H; ++y)
        std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width + b.X, b.W, value);
}

std::vector<DotCentre> LatticeCentres(double originX, double originY, double pitchX, double pitchY,
                                      std::int32_t columns, std::int32_t rows,
                                      const std::function<DotCentre(double, double)>& shift) {
    std::vector<DotCentre> centres;
    for (std::int32_t r = 0; r < rows; ++r)
        for (std::int32_t c = 0; c < columns; ++c) {
            const double x = originX + c * pitchX, y = originY + r * pitchY;
            if (shift) {
                const DotCentre s = shift(x, y);
                centres.push_back({x + s.X, y + s.Y});
            } else {
                centres.push_back({x, y});
            }
        }
    return centres;
}

DotLatticePair MakeDotLatticePair() {
    DotLatticePair pair;
    auto displacement = [](double x, double y) {
        return DotCentre{1.8 + 0.006 * (x - 150) - 0.003 * (y - 120),
                         -1.1 + 0.004 * (y - 120) + 0.002 * (x - 150)};
    };
    pair.Centres = LatticeCentres(32, 28, 21, 24, pair.Columns, pair.Rows);
    std::vector<DotCentre> moved;
    for (const DotCentre& c : pair.Centres) {
        const DotCentre d = displacement(c.X, c.Y);
        pair.Displacements.push_back(d);
        moved.push_back({c.X + d.X, c.Y + d.Y});
    }
    pair.Initial = RenderDots(pair.Width, pair.Height, pair.Centres, 6.0, 220, 20);
    pair.Deformed = RenderDots(pair.Width, pair.Height, moved, 6.0, 220, 20);
    return pair;
}

} // namespace corvane::test
