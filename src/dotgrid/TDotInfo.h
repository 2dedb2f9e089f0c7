#pragma once
#include <cstdint>

namespace corvane {

/// One dot of a dot-grid picture: one record of the encoder's dot table `FDotInfo`. The dot number
/// is the record's position in the table (0-based). Field order is the table's record layout.
struct TDotInfo {
    float x = 0.0f;      ///< grey-weighted centroid, column, in image pixels
    float y = 0.0f;      ///< grey-weighted centroid, row (row 0 at the top)
    std::int32_t nx = 0; ///< grid index along x; 0 until encoded
    std::int32_t ny = 0; ///< grid index along y (points up the image); 0 until encoded
    bool neted = false;  ///< the four neighbours have been searched and linked
    bool coded = false;  ///< the dot has been given grid indices
    std::int32_t neighbour[4] = {-1, -1, -1, -1}; ///< dot numbers in directions 0..3; -1 = none
    std::int32_t area = 0;                        ///< number of pixels of the component
    bool matched = false;                         ///< set by the code matcher
};

} // namespace corvane
