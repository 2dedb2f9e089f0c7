#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "image/TGrayImage.h"

namespace corvane::test {

/// An in-memory grey picture of the given size whose pixel (x, y) holds the level f(x, y).
template <class F> std::unique_ptr<TGrayImage> MakeGreyPicture(int width, int height, F f) {
    auto gray = std::make_unique<TGrayImage>(nullptr, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            gray->Data[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(f(x, y));
    return gray;
}

/// A picture of levels (7 x + 3 y) mod 256: neighbours across and down differ, and a picture of 37 x 9
/// pixels or more holds every level.
inline std::unique_ptr<TGrayImage> RampPicture(int width, int height) {
    return MakeGreyPicture(width, height, [](int x, int y) { return (7 * x + 3 * y) % 256; });
}

/// The picture's levels, row by row.
inline std::vector<std::uint8_t> Levels(const TGrayImage& picture) {
    return {picture.Data, picture.Data + picture.Size};
}

} // namespace corvane::test
