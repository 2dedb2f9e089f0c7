#pragma once
#include <cstdint>
#include <limits>
#include <string>

namespace corvane {

/// Width * height as a pixel count that fits the 32-bit sizes of the workbench's images, or -1
/// when a side is negative or the count does not fit.
inline std::int64_t CheckedPixelCount(std::int64_t width, std::int64_t height) {
    if (width < 0 || height < 0) return -1;
    const std::int64_t count = width * height;
    return count > std::numeric_limits<std::int32_t>::max() ? -1 : count;
}

/// "W x H", the way messages name an image size.
inline std::string SizeText(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace corvane
