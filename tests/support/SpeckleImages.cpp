#include "support/SpeckleImages.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "image/TGrayImage.h"

namespace corvane::test {

namespace {

struct Dot {
    double x, y, amplitude;
};

std::vector<std::uint8_t> Render(const std::vector<Dot>& dots, std::int32_t w, std::int32_t h, double dx,
                                 double dy, double radius) {
    std::vector<double> sum(static_cast<std::size_t>(w) * h, 0.0);
    const double reach = 3.5 * radius;
    const double inv = 1.0 / (radius * radius);
    for (const Dot& d : dots) {
        const double cx = d.x + dx, cy = d.y + dy;
        const int x0 = std::max(0, static_cast<int>(std::floor(cx - reach)));
        const int x1 = std::min(w - 1, static_cast<int>(std::ceil(cx + reach)));
        const int y0 = std::max(0, static_cast<int>(std::floor(cy - reach)));
        const int y1 = std::min(h - 1, static_cast<int>(std::ceil(cy + reach)));
        for (int y = y0; y <= y1; ++y) {
            const double ey = (y - cy) * (y - cy);
            double* row = sum.data() + static_cast<std::size_t>(y) * w;
            for (int x = x0; x <= x1; ++x) row[x] += d.amplitude * std::exp(-((x - cx) * (x - cx) + ey) * inv);
        }
    }
    std::vector<std::uint8_t> out(sum.size());
    for (std::size_t i = 0; i < sum.size(); ++i)
        out[i] = static_cast<std::uint8_t>(std::clamp(std::lround(25.0 + 180.0 * sum[i]), 0L, 255L));
    return out;
}

} // namespace

SpecklePair MakeSpecklePair(const SpeckleOptions& o) {
    std::mt19937 rng(o.Seed);
    // Dots also fall outside the picture, so that moved-in content is speckled as well.
    const double margin = 6.0 * o.DotRadius + std::max(std::fabs(o.ShiftX), std::fabs(o.ShiftY));
    std::uniform_real_distribution<double> ux(-margin, o.Width + margin), uy(-margin, o.Height + margin);
    std::uniform_real_distribution<double> amp(0.45, 1.0);
    const auto count = static_cast<std::size_t>(o.DotsPerPixel * (o.Width + 2 * margin) * (o.Height + 2 * margin));
    std::vector<Dot> dots(count);
    for (Dot& d : dots) {
        d.x = ux(rng);
        d.y = uy(rng);
        d.amplitude = amp(rng);
    }
    SpecklePair pair;
    pair.Width = o.Width;
    pair.Height = o.Height;
    pair.Initial = Render(dots, o.Width, o.Height, 0.0, 0.0, o.DotRadius);
    pair.Deformed = Render(dots, o.Width, o.Height, o.ShiftX, o.ShiftY, o.DotRadius);
    return pair;
}

void SaveGreyBmp(const std::string& fileName, std::int32_t width, std::int32_t height,
                 const std::vector<std::uint8_t>& pixels) {
    TGrayImage image(const_cast<std::uint8_t*>(pixels.data()), width, height);
    image.SaveBmp(fileName);
}

} // namespace corvane::test
