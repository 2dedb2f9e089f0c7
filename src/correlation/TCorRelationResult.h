#pragma once
#include <cstdint>
#include <ctime>
#include <vector>

#include "correlation/SubpixelRefinement.h"
#include "correlation/TCorRelationPara.h"
#include "image/FloatMapDisplay.h"

namespace corvane {

/// Value of dx or dy at a point without a correlation result.
inline constexpr float kNotComputed = kNotComputedMarker;

/// One seed of the seed grid; a removed seed has every field 0.
struct TCorRelationSeed {
    std::int32_t X = 0, Y = 0;                            ///< position in the initial picture
    std::int32_t EstX = 0, EstY = 0;                      ///< estimated position in the deformed picture
    std::int32_t Left = 0, Up = 0, Right = 0, Bottom = 0; ///< region it propagates over
    bool Removed() const { return X == 0; }
};

/// Everything a finished run hands to the result writers.
struct TCorRelationResult {
    TCorRelationPara Para;
    std::int32_t W0 = 0, H0 = 0;         ///< initial picture size
    std::int32_t W1 = 0, H1 = 0;         ///< deformed picture size
    std::vector<float> dx, dy;           ///< W0 x H0, row by row, kNotComputed where there is no result
    std::vector<TCorRelationSeed> Seeds; ///< seed order, removed seeds included
    std::int64_t AllPoints = 0, SuccessfulPoints = 0, NotSearchedPoints = 0;
    std::time_t StartTime = 0; ///< whole seconds, taken when the engine was built
    bool Fast = false;
    /// With the sub-pixel refinement on (Para.SubpixelRefinement 1): what it did, and du/dx, du/dy,
    /// dv/dx, dv/dy of its points (W0 x H0, kNotComputed elsewhere); empty otherwise.
    SubpixelCounts Refinement;
    std::vector<float> dudx, dudy, dvdx, dvdy;
    /// Each point's zero-normalised correlation (W0 x H0): at the refined shape for refined points, at
    /// the search result otherwise, kNotComputed where there is none. Computed when the float maps
    /// are written or a minimum correlation is set; empty otherwise.
    std::vector<float> zncc;
    /// 1 at the points whose refinement diverged (W0 x H0), with the refinement on; empty otherwise.
    std::vector<std::uint8_t> Diverged;
};

} // namespace corvane
