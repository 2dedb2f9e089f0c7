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

/// Marks (kNotComputed) every point outside the run's mask picture, and every point marked in dx or
/// dy in the other array too. Throws kCheckParameters for arrays that do not cover the picture,
/// and LoadRunMask's errors.
void MaskResultArrays(TCorRelationResult& r);

} // namespace corvane
