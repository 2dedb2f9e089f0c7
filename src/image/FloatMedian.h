#pragma once
#include <cstddef>
#include <cstdint>

namespace corvane {

/// Median filter of a rw x rh region of single-precision values whose rows lie stride values
/// apart, in place: every pixel at least half a window from the region's edge gets the median of
/// the w x h window around it (w and h odd, at least 1, at most rw and rh), read from the values
/// before filtering; the pixels nearer the edge keep theirs. The median is the value a descending
/// partial bubble sort of the window leaves in the middle; NaN counts as below every number.
/// Throws "No memory to do median filter" when the working copy cannot be made.
void FloatMedianFilter(float* region, std::size_t stride, std::int32_t rw, std::int32_t rh, std::int32_t w,
                       std::int32_t h);

} // namespace corvane
