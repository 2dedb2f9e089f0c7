#pragma once
#include <string>
#include <vector>

#include "dotgrid/TDotInfo.h"

namespace corvane {

/// Writes one line per dot, "number x y area" ("%d %.4f %.4f %d", centroid in pixels), replacing
/// the file atomically. Throws "<name>: can not write the file".
void WriteDotTable(const std::string& fileName, const std::vector<TDotInfo>& dots);

} // namespace corvane
