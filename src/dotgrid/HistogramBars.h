#pragma once
#include <cstdint>

namespace corvane {

/// Top row of the bar of one grey level in the simple segmentation window's histogram picture of
/// the given height: the bar runs from the bottom row (height - 1) up to
/// trunc((height - 1) - ln(count + 1) * (height - 1) / ln(maxCount + 2)), a logarithmic scale on
/// which the largest count stays just below the top. maxCount is taken as at least 1.
std::int32_t HistogramBarTop(std::int32_t count, std::int32_t maxCount, std::int32_t height);

} // namespace corvane
