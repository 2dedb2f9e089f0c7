#pragma once
// Helpers the phase core's test files share.
#include "image/TFloatImage.h"

#include <memory>

namespace corvane::test {

/// The map with scales of its own (0.25 across, 0.5 down, value scale 3), so that a result can be
/// seen to keep them.
inline std::unique_ptr<TFloatImage> Scaled(std::unique_ptr<TFloatImage> map) {
    map->ScaleX = 0.25f;
    map->ScaleY = 0.5f;
    map->ValueScale = 3.0f;
    return map;
}

} // namespace corvane::test
