#pragma once
#include <cstdint>
#include <string>

#include "correlation/TCorRelationResult.h"

namespace corvane {

/// The information report of a run (InfoFile): used time, axis direction, pictures, windows,
/// fields, output files, point counts, the mean seed displacement (haveMeans false: the
/// not-computed marker), with a minimum correlation the points it drops, and every seed, in the C formats of
/// the report with a '.' decimal point. A fast run reports no grid, no mask and no point counts. Throws
/// nothing but std::bad_alloc.
std::string FormatRunReport(const TCorRelationResult& r, bool changeY, bool fast, bool haveMeans, float meanX,
                            float meanY);

/// Points with a displacement that the run's minimum correlation drops (BelowMinimumCorrelation):
/// over the whole field, or the kept seeds of a fast run.
struct MinimumCorrelationCounts {
    std::int64_t Low = 0;      ///< correlation below the minimum
    std::int64_t Diverged = 0; ///< refinement diverged
};
MinimumCorrelationCounts CountBelowMinimum(const TCorRelationResult& r, bool fast);

/// Used time of the report, "%2d:%2d:%2d" of hours, minutes and seconds (3725 -> " 1: 2: 5").
std::string UsedTimeText(std::int64_t seconds);

} // namespace corvane
