#include "image/FloatMapDisplay.h"

#include "image/ColourMap.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace corvane {

std::unique_ptr<TGrayImage> DisplayFloatMap(const TFloatImage& map) {
    auto gray = std::make_unique<TGrayImage>(nullptr, map.Width, map.Height);
    if (!map.Data) return gray;
    const std::size_t count = map.PixelCount();
    const auto shown = [&map](std::size_t i) { return !IsMissingMapValue(map.Data[i]); };
    const std::optional<ColourRange> values = MapValueRange(map);
    const float min = values ? values->Low : 0.0f;
    const float max = values ? values->High : 0.0f;
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

std::unique_ptr<TFloatImage> CopyFloatMap(const TFloatImage& map) {
    auto copy = std::make_unique<TFloatImage>(nullptr, map.Width, map.Height);
    if (map.Data) std::copy(map.Data, map.Data + map.PixelCount(), copy->Data);
    copy->ScaleX = map.ScaleX;
    copy->ScaleY = map.ScaleY;
    copy->ValueScale = map.ValueScale;
    return copy;
}

} // namespace corvane
