#pragma once
#include <cstdint>
#include <memory>

namespace corvane {

class TGrayImage;

/// What a synthetic target pair looks like: random Gaussian speckles, or a square lattice of round
/// white dots on black; the deformed picture moves every speckle or dot centre by a homogeneous
/// stretch about the picture's centre plus a shift, u = StretchX (x - W/2) + ShiftX,
/// v = StretchY (y - H/2) + ShiftY. Speckles and dots keep their shape, and both pictures are drawn
/// from the same centres (no resampling), so the displacement is known exactly.
struct SyntheticTargetOptions {
    std::int32_t Width = 256;
    std::int32_t Height = 192;
    double StretchX = 0.01;
    double StretchY = 0.0;
    double ShiftX = 0.0;
    double ShiftY = 0.0;
    double SpeckleRadius = 1.6;   ///< Gaussian radius of a speckle, pixels
    double SpeckleDensity = 0.12; ///< speckles per pixel
    double DotPitch = 0.0;        ///< above 0: a dot lattice of this pitch instead of speckles
    std::uint32_t Seed = 1;       ///< the speckle field's seed (the same seed gives the same pictures)
};

struct SyntheticTargetPair {
    std::unique_ptr<TGrayImage> Initial;
    std::unique_ptr<TGrayImage> Deformed;
};

/// Draws the pair. Throws "the target needs a size of 16 x 16 or more", "the dot pitch lies between 6
/// pixels and the picture's smaller side", "the shift lies within the picture's size", "the speckle radius
/// lies between 0.5 and 8", "the speckle density lies between 0.01 and 1" or "the stretch lies between -0.2
/// and 0.2".
SyntheticTargetPair MakeSyntheticTargetPair(const SyntheticTargetOptions& options);

} // namespace corvane
