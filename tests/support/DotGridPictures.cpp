#include "support/DotGridPictures.h"

#include <algorithm>
#include <cmath>

namespace corvane::test {

std::vector<std::uint8_t> RenderDots(std::int32_t width, std::int32_t height,
                                     const std::vector<DotCentre>& centres, double radius, double dotLevel,
                                     double backgroundLevel) {
    const std::vector<double> coverage = DotCoverage(width, height, centres, radius);
    std::vector<std::uint8_t> pixels(coverage.size());
    for (std::size_t i = 0; i < coverage.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(
            std::clamp(std::lround(backgroundLevel + coverage[i] * (dotLevel - backgroundLevel)), 0L, 255L));
    return pixels;
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
