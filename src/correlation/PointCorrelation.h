#pragma once
#include <cstdint>

namespace corvane {

/// The two grey pictures of a run, as the per-point correlation reads them (kept by the caller).
struct CorrelationPictures {
    const std::uint8_t* Initial = nullptr;
    std::int32_t W0 = 0, H0 = 0;
    const std::uint8_t* Deformed = nullptr;
    std::int32_t W1 = 0, H1 = 0;
};

/// Zero-normalised cross-correlation of the winX x winY window of the initial picture whose centre
/// is (x, y) (its left column x - winX / 2, its top row y - winY / 2, as the searches place it)
/// with the deformed picture at the same pixels moved by (dx, dy), read by bilinear interpolation.
/// From -1 to 1; 0 when either window has no texture (a standard deviation below a thousandth of
/// a grey level) or does not lie wholly inside its picture, so nothing there can be measured.
double ZeroNormalisedCorrelation(const CorrelationPictures& pictures, std::int32_t x, std::int32_t y,
                                 std::int32_t winX, std::int32_t winY, double dx, double dy);

/// The correlation map of rows [firstRow, lastRow) of a run's arrays (W0 x H0, row by row): at every
/// point with a displacement, ZeroNormalisedCorrelation at that displacement, unless the point
/// already holds a value (a refinement's, at its refined shape); kNotComputed where dx or dy is. Rows are
/// independent, so workers may fill disjoint row ranges at once.
void FillCorrelationRows(const CorrelationPictures& pictures, std::int32_t winX, std::int32_t winY,
                         const float* dx, const float* dy, float* zncc, std::int32_t firstRow,
                         std::int32_t lastRow);

} // namespace corvane
