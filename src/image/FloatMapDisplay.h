#pragma once
#include <memory>

namespace corvane {

class TFloatImage;
class TGrayImage;

/// The value a correlation run leaves in a displacement map where it has no result; the float display,
/// the colour map and the correlation engine share it.
inline constexpr float kNotComputedMarker = 1000.0f;

/// The grey picture that shows a float map opened for viewing: min-max scaling onto 0 ... 255 over
/// the finite values other than the not-computed marker, which show black, so that a displacement
/// map with points not computed is not flattened to two levels; a uniform map shows mid-grey (128)
/// where it has values. The map itself is not changed.
std::unique_ptr<TGrayImage> DisplayFloatMap(const TFloatImage& map);

/// An in-memory copy of the map's values and header scales, which a window keeps to tell the value
/// under the mouse and to hand the map to other tools.
std::unique_ptr<TFloatImage> CopyFloatMap(const TFloatImage& map);

} // namespace corvane
