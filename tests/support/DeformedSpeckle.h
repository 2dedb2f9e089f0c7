#pragma once
#include <array>
#include <cstdint>
#include <functional>

#include "support/SpeckleImages.h"

namespace corvane::test {

/// A displacement field: (u, v) of the material point at (x, y) of the initial picture, in pixels.
using DisplacementFunction = std::function<std::array<double, 2>(double x, double y)>;

/// What a deformed speckle pair looks like.
struct DeformedSpeckleOptions {
    std::int32_t Width = 160, Height = 128;
    double DotRadius = 2.0;     ///< Gaussian radius of one speckle (about 3.3 pixels across at half height)
    double DotsPerPixel = 0.06; ///< speckle density
    double NoiseSigma = 0.0;    ///< Gaussian grey-level noise added to both pictures
    unsigned Seed = 1;
};

/// Random Gaussian speckles, and the same speckle field carried along by an arbitrary smooth
/// displacement: the deformed picture at pixel p is the pattern at the material point X with
/// X + u(X) = p (found by fixed-point iteration), evaluated analytically, so speckles stretch and
/// turn with the material and nothing is resampled. The displacement measured at pixel (x, y) of
/// the initial picture is u(x, y) up to the rounding of grey values (and the noise).
SpecklePair MakeDeformedSpecklePair(const DeformedSpeckleOptions& options, const DisplacementFunction& u);

} // namespace corvane::test
