#include "support/SpeckleImages.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>

#include "image/TGrayImage.h"

namespace corvane::test {

SpecklePair MakeSpecklePair(const SpeckleOptions& o) {
    std::mt19937 rng(o.Seed);
    // Dots also fall outside the picture, so that moved-in content is speckled as well.
    const double margin = 6.0 * o.DotRadius + std::max(std::fabs(o.ShiftX), std::fabs(o.ShiftY)) +
                          std::fabs(o.StretchX) * o.Width;
    std::uniform_real_distribution<double> ux(-margin, o.Width + margin), uy(-margin, o.Height + margin);
    std::uniform_real_distribution<double> amp(0.45, 1.0);
    const auto count =
        static_cast<std::size_t>(o.DotsPerPixel * (o.Width + 2 * margin) * (o.Height + 2 * margin));
    std::vector<std::array<double, 3>> dots(count); // x, y, amplitude
    for (auto& d : dots)
        d = {ux(rng), uy(rng), amp(rng)};

    // Sum of Gaussian dots moved by (dx + stretch * x, dy), evaluated at every pixel, as grey levels.
    auto render = [&](double dx, double dy, double stretch) {
        std::vector<double> sum(static_cast<std::size_t>(o.Width) * o.Height, 0.0);
        const double reach = 3.5 * o.DotRadius, inv = 1.0 / (o.DotRadius * o.DotRadius);
        for (const auto& [x, y, a] : dots) {
            const double cx = x + dx + stretch * x, cy = y + dy;
            const int x1 = std::min(o.Width - 1, static_cast<int>(std::ceil(cx + reach)));
            const int y1 = std::min(o.Height - 1, static_cast<int>(std::ceil(cy + reach)));
            for (int v = std::max(0, static_cast<int>(std::floor(cy - reach))); v <= y1; ++v)
                for (int u = std::max(0, static_cast<int>(std::floor(cx - reach))); u <= x1; ++u)
                    sum[static_cast<std::size_t>(v) * o.Width + u] +=
                        a * std::exp(-((u - cx) * (u - cx) + (v - cy) * (v - cy)) * inv);
        }
        std::vector<std::uint8_t> out(sum.size());
        for (std::size_t i = 0; i < sum.size(); ++i)
            out[i] = static_cast<std::uint8_t>(std::clamp(std::lround(25.0 + 180.0 * sum[i]), 0L, 255L));
        return out;
    };
    return {o.Width, o.Height, render(0.0, 0.0, 0.0), render(o.ShiftX, o.ShiftY, o.StretchX)};
}

void SaveGreyBmp(const std::string& fileName, std::int32_t width, std::int32_t height,
                 const std::vector<std::uint8_t>& pixels) {
    TGrayImage(const_cast<std::uint8_t*>(pixels.data()), width, height).SaveBmp(fileName);
}

} // namespace corvane::test
