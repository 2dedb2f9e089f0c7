#pragma once
#include <cstdint>

namespace corvane {

class TFloatImage;
class TGrayImage;

/// The filter tool's window: the track bar position (below 1 works as 1), raised to the next odd
/// number as the median filters do, so 3 -> 3 x 3, 4 -> 5 x 5, 1 -> 1 x 1 (no change).
std::int32_t MedianWindowSide(std::int32_t trackBarPosition);

/// Filters the picture in place with the square median window of the track bar position; border
/// pixels within half a window keep their values.
void ApplyMedianFilterTool(TGrayImage& image, std::int32_t trackBarPosition);
/// The same for a float map.
void ApplyMedianFilterTool(TFloatImage& map, std::int32_t trackBarPosition);

} // namespace corvane
