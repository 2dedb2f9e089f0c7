#pragma once
#include <cstdint>

namespace corvane {

/// One dot of a dot-grid picture: one record of the encoder's dot table `FDotInfo`. The dot number
/// is the record's position in the table (0-based). Field order is the table's record layout.
struct TDotInfo {
    float X = 0.0f;      ///< grey-weighted centroid, column, in image pixels
    float Y = 0.0f;      ///< grey-weighted centroid, row (row 0 at the top)
    std::int32_t Nx = 0; ///< grid index along x; 0 until encoded
    std::int32_t Ny = 0; ///< grid index along y (points up the image); 0 until encoded
    bool Neted = false;  ///< the four neighbours have been searched and linked
    bool Coded = false;  ///< the dot has been given grid indices
    std::int32_t Neighbour[4] = {-1, -1, -1, -1}; ///< dot numbers in directions 0..3; -1 = none
    std::int32_t Area = 0;                        ///< number of pixels of the component
    bool Matched = false;                         ///< set by the code matcher
};

} // namespace corvane
