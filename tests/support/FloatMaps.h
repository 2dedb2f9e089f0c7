#pragma once
#include "image/TFloatImage.h"

#include <memory>
#include <vector>

namespace corvane::test {

/// An in-memory float map of the given size whose pixel (x, y) holds f(x, y).
template <class F> std::unique_ptr<TFloatImage> MakeFloatMap(int width, int height, F f) {
    auto map = std::make_unique<TFloatImage>(nullptr, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            map->Data[static_cast<std::size_t>(y) * width + x] = static_cast<float>(f(x, y));
    return map;
}

/// The map's values, row by row.
inline std::vector<float> Values(const TFloatImage& map) {
    return {map.Data, map.Data + map.PixelCount()};
}

} // namespace corvane::test
