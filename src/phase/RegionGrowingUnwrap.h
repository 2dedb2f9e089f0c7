#pragma once
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <cstdint>

namespace corvane {

/// Refuses a start pixel outside the map with "the starting point (x,y) is outside the W x H phase
/// map", so that an unwrap command changes nothing before it fails.
void CheckStartPoint(const TFloatImage& phase, std::int32_t startX, std::int32_t startY);

/// Unwraps the map in place by breadth-first region growing from (startX, startY) over the pixels
/// whose invalidArea level is not 255. Pixels are processed in first-in first-out order, each
/// carrying its parent (the pixel that queued it) and the parent's fringe count k: a pixel first
/// gets 2 k pi added, then, when it differs from its parent by more than threshold x 2 pi, one more
/// 2 pi toward the parent (k follows). Neighbours are queued in the order up, left, down, right.
/// The start pixel keeps its value and is not marked as queued, so it is queued once more by its
/// first processed neighbour and judged against it. Pixels never reached keep their values.
/// Throws the start-point message, or a size message when invalidArea does not match; nothing is
/// changed then.
void RegionGrowingUnwrap(TFloatImage& phase, const TGrayImage& invalidArea, std::int32_t startX,
                         std::int32_t startY, float threshold);

} // namespace corvane
