#pragma once
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "support/SpeckleImages.h"

namespace corvane::test {

/// Saves as a BMP file a carrier-fringe picture 128 + 100 cos(2 pi (fx x + fy y) + phi(x, y)), rounded
/// to grey levels: fx and fy are the carrier in cycles per pixel, phi the phase the carrier method
/// should recover.
template <class Phase>
void SaveCarrierFringes(const std::string& fileName, int width, int height, double fx, double fy, Phase phi) {
    constexpr double kTwoPi = 6.283185307179586;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(
                std::lround(128.0 + 100.0 * std::cos(kTwoPi * (fx * x + fy * y) + phi(x, y))));
    SaveGreyBmp(fileName, width, height, pixels);
}

} // namespace corvane::test
