#pragma once
#include <memory>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

namespace corvane {

inline constexpr const char* kZeroValueScaleMessage = "The value scale of the phase map is 0";

/// Phase To Fringe: g = trunc((cos(value / s) + 1) 127.5 + 0.5), limited to 0..255, with s the
/// map's value scale; a value with no cosine (not finite) gives 0. Throws kZeroValueScaleMessage
/// for a value scale of 0, before anything is made.
std::unique_ptr<TGrayImage> PhaseToFringe(const TFloatImage& phase);

} // namespace corvane
