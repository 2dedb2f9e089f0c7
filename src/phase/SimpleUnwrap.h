#pragma once
#include "image/TFloatImage.h"

#include <cstdint>
#include <memory>
#include <string>

namespace corvane {

/// An exact copy of the map: values and header (scales, value scale, reserved bytes, names).
std::unique_ptr<TFloatImage> CopyFloatImage(const TFloatImage& map);

/// An exact copy of the input, unwrapped by scan lines (rows from startX outwards, then columns
/// from startY outwards, jump threshold coef x 2 pi; TPhaseImage::Unwrap). Throws the start-point
/// message before anything is made when (startX, startY) is outside the map.
std::unique_ptr<TFloatImage> ScanLineUnwrap(const TFloatImage& input, std::int32_t startX,
                                            std::int32_t startY, float coef);

/// The working state and commands of the simple unwrap tool: an input map, median-filtered in
/// place on request, and the output map, remade by each Unwrap from the input as it stands.
class SimpleUnwrapModel {
  public:
    std::unique_ptr<TFloatImage> Input;
    std::unique_ptr<TFloatImage> Output;

    /// Loads the input from an FLT file; the output becomes an all-zero map of its size.
    void OpenPhase(const std::string& fltFile);
    /// Median filter of the input with an n x n window over the whole map; false (nothing done)
    /// when no input is held.
    bool MedianInput(std::int32_t n);
    /// The same for the output map.
    bool MedianOutput(std::int32_t n);
    /// Output = ScanLineUnwrap(Input, ...). Throws "open a phase first" without an input, and the
    /// start-point message; the output is then unchanged.
    void Unwrap(float coef, std::int32_t startX, std::int32_t startY);
};

} // namespace corvane
