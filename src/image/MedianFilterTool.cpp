#include "image/MedianFilterTool.h"

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <algorithm>

namespace corvane {

std::int32_t MedianWindowSide(std::int32_t trackBarPosition) {
    const std::int32_t side = std::max(trackBarPosition, 1);
    return side % 2 == 0 ? side + 1 : side; // INT32_MAX is odd, so this never overflows
}

void ApplyMedianFilterTool(TGrayImage& image, std::int32_t trackBarPosition) {
    const std::int32_t side = MedianWindowSide(trackBarPosition);
    if (side > 1) image.MedianFilter(side, side);
}

void ApplyMedianFilterTool(TFloatImage& map, std::int32_t trackBarPosition) {
    const std::int32_t side = MedianWindowSide(trackBarPosition);
    if (side > 1) map.MedianFilter(side, side);
}

} // namespace corvane
