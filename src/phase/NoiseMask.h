#pragma once
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <string>

namespace corvane {

/// Residue test of a wrapped phase map ("Mask Noise"). For every 2 x 2 cell, row by row, the four
/// differences around it are taken counter-clockwise from the top-left corner (down, right, up,
/// left); a difference larger than threshold in magnitude (radians, not times 2 pi) is wrapped once
/// by 2 pi toward zero; when the single-precision sum of the four exceeds residueThreshold in
/// magnitude, the cell's four pixels become 255 (invalid) in invalidArea. Pixels are only ever set,
/// so an invalid area loaded from a file is extended.
/// Throws "Select an phase image first" when the map holds no data, and a size message (nothing
/// changed) when invalidArea is not the map's size.
void MaskNoise(const TFloatImage& phase, TGrayImage& invalidArea, float threshold, float residueThreshold);

/// Throws "the invalid area is W x H, the phase map W x H" (after "<fileName>: " when a file name is
/// given) when the invalid-area picture does not match its phase map.
void CheckInvalidAreaSize(const TGrayImage& invalidArea, const TFloatImage& phase,
                          const std::string& fileName = std::string());

} // namespace corvane
