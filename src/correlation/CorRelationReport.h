#pragma once
#include <cstdint>
#include <string>

#include "correlation/TCorRelationResult.h"

namespace corvane {

/// The information report of a run (InfoFile): used time, axis direction, pictures, windows,
/// fields, output files, point counts, the mean seed displacement (haveMeans false: the
/// not-computed marker) and every seed, in the C formats of the report with a '.' decimal point.
/// A fast run reports no grid, no mask and no point counts. Throws nothing but std::bad_alloc.
std::string FormatRunReport(const TCorRelationResult& r, bool changeY, bool fast, bool haveMeans, float meanX,
                            float meanY);

/// Used time of the report, "%2d:%2d:%2d" of hours, minutes and seconds (3725 -> " 1: 2: 5").
std::string UsedTimeText(std::int64_t seconds);

} // namespace corvane
