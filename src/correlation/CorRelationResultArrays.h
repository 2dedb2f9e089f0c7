#pragma once
#include <cstdint>

#include "correlation/TCorRelationPara.h"
#include "correlation/TCorRelationResult.h"

namespace corvane {

// What the result writers (tables, report, maps) share about the arrays of a finished run.

/// Throws kCheckParameters unless dx and dy both cover the initial picture (W0 x H0, not empty).
void CheckResultArrays(const TCorRelationResult& r);

/// True when (x, y) lies in the initial picture.
inline bool InsideInitial(const TCorRelationResult& r, std::int32_t x, std::int32_t y) {
    return x >= 0 && y >= 0 && x < r.W0 && y < r.H0;
}

/// True when the run's minimum correlation (Para.MinCorrelation above 0) drops the point at index i
/// of the arrays: its correlation lies below the minimum or its refinement diverged.
inline bool BelowMinimumCorrelation(const TCorRelationResult& r, std::size_t i) {
    if (!(r.Para.MinCorrelation > 0.0f)) return false;
    if (i < r.Diverged.size() && r.Diverged[i] != 0) return true;
    return i < r.zncc.size() && r.zncc[i] < r.Para.MinCorrelation; // the marker is never below
}

/// Marks (kNotComputed) every point outside the run's mask picture, every point below the run's
/// minimum correlation, and every point marked in dx or dy in the other array too. Throws kCheckParameters
/// for arrays that do not cover the picture, and LoadRunMask's errors.
void MaskResultArrays(TCorRelationResult& r);

} // namespace corvane
