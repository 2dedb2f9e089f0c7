#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "correlation/TCorRelationResult.h"

namespace corvane {

/// A computed run's values at its output grid points, as the float maps hold them there: for
/// scripts that want arrays instead of files.
struct CorRelationGridValues {
    std::vector<std::int32_t> X, Y; ///< grid columns and rows in the initial picture's pixels
    /// Y.size() x X.size(), row by row: dx * ScaleX and dy * ScaleY, kNotComputed where there is no
    /// result, the mask (MaskFile, when it exists) is not 255 or the point is below the minimum
    /// correlation (as the float maps mark them).
    std::vector<float> U, V;
    /// Each point's zero-normalised correlation when the run kept it (kNotComputed where there is
    /// none or outside the mask), as the correlation map holds it; empty otherwise.
    std::vector<float> Zncc;
    /// With the refinement on, the four gradients converted to the output scales as their maps are;
    /// empty otherwise.
    std::vector<float> DuDx, DuDy, DvDx, DvDy;
};

/// The grid Left + i GridX, Up + j GridY over the search field, clipped to the initial picture.
/// Throws "Check your computing parameters, then start again" for a grid step below 1 and the
/// mask's errors.
CorRelationGridValues ResultOnGrid(const TCorRelationResult& result);

/// Factors that turn du/dx, du/dy, dv/dx, dv/dy into the output scales (du/dy by ScaleX / ScaleY,
/// dv/dx by ScaleY / ScaleX; 1 when the scales cannot be divided).
std::array<float, 4> GradientFactors(const TCorRelationPara& para);

} // namespace corvane
