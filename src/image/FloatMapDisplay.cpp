#include "image/FloatMapDisplay.h"

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace corvane {

std::unique_ptr<TGrayImage> DisplayFloatMap(const TFloatImage& map) {
    auto gray = std::make_unique<TGrayImage>(nullptr, map.Width, map.Height);
    if (!map.Data) return gray;
    const std::size_t count = map.PixelCount();
    const auto shown = [&map](std::size_t i) {
        const float v = map.Data[i];
        return std::isfinite(v) && v != kNotComputedMarker;
    };
    float min = 0.0f;
    float max = 0.0f;
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        if (!shown(i)) continue;
        const float v = map.Data[i];
        min = any ? std::min(min, v) : v;
        max = any ? std::max(max, v) : v;
        any = true;
    }
    const float range = max - min;
    // A uniform field (a rigid shift) shows mid-grey, apart from the black of the points without a value.
    if (!(static_cast<double>(range) >= 1e-20)) {
        for (std::size_t i = 0; i < count; ++i)
            if (shown(i)) gray->Data[i] = 128;
        return gray;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (!shown(i)) continue; // the buffer starts black
        const float level = (map.Data[i] - min) * 255.0f / range;
        gray->Data[i] = static_cast<std::uint8_t>(std::clamp(level, 0.0f, 255.0f));
    }
    return gray;
}

} // namespace corvane
