#pragma once
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <cstdint>
#include <memory>

namespace corvane {

/// Unwraps the map in place by quality-guided (reliability-sorted) merging, after M. A. Herraez,
/// D. R. Burton, M. J. Lalor and M. A. Gdeisat, "Fast two-dimensional phase-unwrapping algorithm
/// based on sorting by reliability following a noncontinuous path", Applied Optics 41(35), 2002.
///
/// A pixel takes part when its invalidArea level is not 255 and its value is finite. Its
/// roughness D is the sum of its squared second differences (each first difference wrapped into
/// -pi..pi) horizontally, vertically and along both diagonals, over the directions whose two
/// neighbours take part, scaled to four directions; a pixel without any such direction is the
/// roughest possible. Every pair of 4-neighbours that both take part is an edge, as reliable as the
/// sum of its pixels' D is small. Edges are taken from the most reliable down (sums equal to about
/// 1.5 % in row order, right edge before down edge), and each joins the groups of its two pixels,
/// shifting one group by the multiple of 2 pi that brings the edge's pixels within pi of each
/// other. So noise and residues stay where they are instead of spreading.
///
/// Each separate group of pixels that take part is unwrapped on its own: the group holding the
/// start pixel keeps the start pixel's value, every other group keeps the value of its first pixel
/// in row order. Pixels that take no part keep their values. The result is deterministic.
/// When quality is given it receives the reliability map 1 / (1 + D): 1 where the phase is
/// perfectly smooth, toward 0 where it is noisy, 0 where a pixel takes no part; with the phase
/// map's scales. Memory: at most 20 bytes per pixel besides the map (and the
/// reliability map when asked for).
/// Throws the start-point message, or a size message when invalidArea does not match; nothing is
/// changed then.
void QualityGuidedUnwrap(TFloatImage& phase, const TGrayImage& invalidArea, std::int32_t startX,
                         std::int32_t startY, std::unique_ptr<TFloatImage>* quality = nullptr);

} // namespace corvane
