#include "dotgrid/HistogramBars.h"

#include <algorithm>
#include <cmath>

namespace corvane {

std::int32_t HistogramBarTop(std::int32_t count, std::int32_t maxCount, std::int32_t height) {
    const double bottom = height - 1;
    const double top = bottom - std::log(static_cast<double>(count) + 1.0) * bottom /
                                    std::log(static_cast<double>(std::max(maxCount, 1)) + 2.0);
    return static_cast<std::int32_t>(top);
}

} // namespace corvane
