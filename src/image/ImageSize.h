#pragma once
#include "image/CorvaneError.h"

#include <cstdint>
#include <limits>
#include <new>
#include <string>

namespace corvane {

/// The largest picture any reader decodes, in pixels (2^30, a 32768 x 32768 picture): a file that
/// claims more is refused before anything is allocated, whatever its format.
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 30;

/// Width * height as a pixel count that fits the 32-bit sizes of the workbench's images, or -1
/// when a side is negative or the count does not fit.
inline std::int64_t CheckedPixelCount(std::int64_t width, std::int64_t height) {
    if (width < 0 || height < 0) return -1;
    const std::int64_t count = width * height;
    return count > std::numeric_limits<std::int32_t>::max() ? -1 : count;
}

/// True when a reader may decode a picture of width x height: both sides at least 1 and at most
/// kMaxPicturePixels pixels in all. Zero and negative sides are refused, so no reader hands on a
/// picture whose size wraps or that has no pixel to address.
inline bool IsDecodablePictureSize(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPicturePixels && height <= kMaxPicturePixels &&
           width * height <= kMaxPicturePixels;
}

/// Runs allocate() for a reader of fileName; running out of memory becomes
/// CorvaneError("<fileName>: not enough memory"), the one wording of every reader.
template <class Allocate> auto AllocateForReader(const std::string& fileName, Allocate allocate) {
    try {
        return allocate();
    } catch (const std::bad_alloc&) {
        throw CorvaneError(fileName + ": " + kNotEnoughMemory);
    }
}

/// "W x H", the way messages name an image size.
inline std::string SizeText(std::int64_t width, std::int64_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

} // namespace corvane
