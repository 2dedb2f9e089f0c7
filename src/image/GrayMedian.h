#pragma once
#include <cstdint>

namespace corvane {

/// Median filter of a width x height grey picture (rows width bytes apart): every pixel at least
/// half a window from the border gets, in dst, the median of the w x h window (w and h odd, at
/// least 1, at most width and height) around it in src; dst keeps its other pixels. src and dst
/// must not overlap. A histogram of the window slides along each row, so the cost per pixel grows
/// with h, not with w * h. Throws nothing.
void GrayMedianFilter(const std::uint8_t* src, std::uint8_t* dst, std::int32_t width, std::int32_t height,
                      std::int32_t w, std::int32_t h);

} // namespace corvane
