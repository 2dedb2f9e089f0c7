#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "support/DotPictures.h"

namespace corvane::test {

/// Renders round dots of the radius at the given centres (exact area coverage, 8 x 8 samples per
/// pixel) on an even background: grey = background + coverage * (dot - background), rounded.
std::vector<std::uint8_t> RenderDots(std::int32_t width, std::int32_t height,
                                     const std::vector<DotCentre>& centres, double radius, double dotLevel,
                                     double backgroundLevel);

/// A rectangular lattice of columns x rows centres, row by row from the top, each moved by
/// shift(x, y) of its lattice position (none: left in place).
std::vector<DotCentre> LatticeCentres(double originX, double originY, double pitchX, double pitchY,
                                      std::int32_t columns, std::int32_t rows,
                                      const std::function<DotCentre(double, double)>& shift = {});

/// An initial and a deformed picture of the same 11 x 9 lattice of bright dots (pitch 21 across,
/// 24 down, radius 6, grey 220 on 20, 300 x 250 pixels); the deformed one moved by a smooth field of
/// one to three pixels. Centres and displacements are listed row by row of the lattice (y down).
struct DotLatticePair {
    std::int32_t Width = 300, Height = 250, Columns = 11, Rows = 9;
    std::vector<std::uint8_t> Initial, Deformed;
    std::vector<DotCentre> Centres, Displacements;
};
DotLatticePair MakeDotLatticePair();

} // namespace corvane::test
