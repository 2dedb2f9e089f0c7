#include "support/SpecklePicture.h"

#include "image/TGrayImage.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace corvane::test {

std::vector<std::uint8_t> SpecklePicture(int width, int height, double shiftX, double shiftY, unsigned seed) {
    constexpr double sigma = 1.6;
    constexpr int reach = 6;
    constexpr double margin = 32.0;
    // Blobs are laid out over a field wider than the picture by a margin that does not depend on
    // the shift, so the same seed gives the same pattern and a shift (up to the margin less the
    // blob reach) only moves it.
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> ux(-margin, width + margin);
    std::uniform_real_distribution<double> uy(-margin, height + margin);
    std::uniform_real_distribution<double> amplitude(0.5, 1.0);
    const double area = (width + 2.0 * margin) * (height + 2.0 * margin);
    const int blobs = static_cast<int>(area / 14.0);

    std::vector<double> field(static_cast<std::size_t>(width) * height, 0.0);
    for (int k = 0; k < blobs; ++k) {
        const double cx = ux(rng) + shiftX, cy = uy(rng) + shiftY, a = amplitude(rng);
        const int x0 = std::max(0, static_cast<int>(std::floor(cx)) - reach);
        const int x1 = std::min(width - 1, static_cast<int>(std::floor(cx)) + reach);
        const int y0 = std::max(0, static_cast<int>(std::floor(cy)) - reach);
        const int y1 = std::min(height - 1, static_cast<int>(std::floor(cy)) + reach);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                field[static_cast<std::size_t>(y) * width + x] += a * std::exp(-d2 / (2.0 * sigma * sigma));
            }
    }
    std::vector<std::uint8_t> picture(field.size());
    for (std::size_t i = 0; i < field.size(); ++i)
        picture[i] = static_cast<std::uint8_t>(std::clamp(30.0 + 150.0 * field[i], 0.0, 255.0));
    return picture;
}

void WriteSpeckleBmp(const std::string& fileName, int width, int height, double shiftX, double shiftY,
                     unsigned seed) {
    std::vector<std::uint8_t> pixels = SpecklePicture(width, height, shiftX, shiftY, seed);
    TGrayImage image(pixels.data(), width, height);
    image.SaveBmp(fileName);
}

} // namespace corvane::test
