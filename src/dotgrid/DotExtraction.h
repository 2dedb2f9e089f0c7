#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "dotgrid/TDotInfo.h"

namespace corvane {

class TGrayImage;

/// How the dots of a segmented picture are taken out.
struct TDotExtractionOptions {
    bool WhiteDots = true; ///< "White Grid"
    /// "The Least Grid Area"; none: two thirds of the mean component area, as "Auto" sets it.
    std::optional<std::int32_t> LeastArea;
};

/// "Auto" of the encode window: border components cleared, the least dot area is two thirds of
/// the mean area of the other components (truncating); 0 when there is none.
std::int32_t EvaluateLeastArea(const TGrayImage& segmented, bool whiteDots);

/// The dot table of a segmented picture, as an automatic encode builds it before its walk:
/// border components cleared, components below the least area removed, one record per
/// remaining component in raster order of its first pixel. Throws the encoder's messages
/// ("No dots in this image\nmay be you should give a small noise threshold", ...).
std::vector<TDotInfo> ExtractDots(const TGrayImage& segmented, const TDotExtractionOptions& options);

} // namespace corvane
