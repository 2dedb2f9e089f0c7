#pragma once
#include <cstdint>
#include <vector>

namespace corvane {

/// A displacement field being filtered: dx and dy of width x height, row by row, and the search
/// field (inclusive bounds, inside the picture) the filter works over.
struct DisplacementField {
    std::vector<float>& Dx;
    std::vector<float>& Dy;
    std::int32_t Width, Height;
    std::int32_t Left, Up, Right, Bottom;
};

/// Median post filter over a sizeX x sizeY window (an even size is raised by one, half sizes hx, hy).
/// The filtered points, y = Up + hy ... while y < Bottom - hy and x = Left + hx ... while
/// x < Right - hx, take the middle of the ordered window values of dx, and of dy, markers included
/// as 1000.0; every other point is marked. Throws "Check your computing parameters, then start
/// again" when the new arrays cannot be allocated.
void MedianPostFilter(DisplacementField field, std::int32_t sizeX, std::int32_t sizeY, int lanes = 1);

/// Average post filter with threshold, in place row by row (later points see earlier replacements):
/// where the centre's dx or dy differs from the mean over the window's computed points by more than
/// the threshold, both are replaced by the means. Filtered points as for the median; others are kept.
void AveragePostFilter(DisplacementField field, std::int32_t sizeX, std::int32_t sizeY, float threshold);

} // namespace corvane
