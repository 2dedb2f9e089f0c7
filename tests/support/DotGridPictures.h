#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "support/DotPictures.h"

namespace corvane::test {

/// Renders round dots of the radius at the given centres (exact area coverage, 8 x 8 samples per
/// pixel) on an even background: grey = background + coverage * (dot - background), rounded.
std::vector<std::uint8_t> RenderDots(std::int32_t width, std::int32_t height, const std::vector<DotCentre>& centres,
                                     double radius, double dotLevel, double backgroundLevel);

/// A rectangular lattice of columns x rows centres, row by row from the top, each moved by
/// shift(x, y) of its lattice position (none: left in place).
std::vector<DotCentre> LatticeCentres(double originX, double originY, double pitchX, double pitchY,
                                      std::int32_t columns, std::int32_t rows,
                                      const std::function<DotCentre(double, double)>& shift = {});

} // namespace corvane::test
