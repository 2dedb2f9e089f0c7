#pragma once
#include <cstdint>

#include "image/TFloatImage.h"
#include "phase/CarrierMoireOptions.h"

namespace corvane {

/// Checks that a plane can be fitted to a width x height map less a border of boundary pixels:
/// a negative border throws the pixel error of its first pixel "(b,b) not in the image"; a region
/// whose coordinate sums leave the fit without a solution (no pixel, or a single row or column
/// through the origin) throws "The reference plane can not be fitted inside a boundary of <b>".
/// The denominator depends on the coordinates only, so this is known before any phase changes.
void CheckReferencePlaneRegion(std::int32_t width, std::int32_t height, std::int32_t boundary);

/// Least-squares plane phi = A x + B y through the origin over x from b to width - b - 1 and y from
/// b to height - b - 1 (rows outer), with the sums Sxx, Syy, Sxy, Sx phi, Sy phi in single
/// precision: A = (Sx phi Syy - Sy phi Sxy) / (Sxx Syy - Sxy^2),
/// B = (Sx phi Sxy - Sy phi Sxx) / (Sxy^2 - Sxx Syy). Throws as CheckReferencePlaneRegion.
TReferencePlane FitReferencePlane(const TFloatImage& phase, std::int32_t boundary);

} // namespace corvane
