#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "correlation/LineVector.h"
#include "correlation/QuarterPixelImage.h"

namespace corvane {

/// How a search at one point ended.
enum class SearchOutcome {
    NotSearched, ///< the window or the prediction is too near a picture border
    NoMatch,     ///< no candidate correlates positively (for example a black window)
    Found
};

/// Three-level whole-field search of one point: half-, quarter- and eighth-pixel candidates around an
/// integer prediction, each level nine candidates around the best of the level before, compared by
/// the normalised cross-correlation of raw grey values against the quarter-pixel picture. The
/// search itself is read-only; what one point needs to work in lives in a Scratch, one per thread.
class WholeFieldSearch {
  public:
    /// The per-point buffers of one worker.
    struct Scratch {
        LineVector<std::int16_t> Window;  ///< the initial window in grey levels, row by row
        LineVector<std::uint16_t> Eighth; ///< the nine eighth-pixel candidate windows, in 1/64 grey level
        LineVector<std::uint16_t> Whole;  ///< a window of whole-pixel entries, in 1/16 grey level
        LineVector<std::uint16_t> Levels; ///< nine rows of the column level, in 1/64 grey level
    };

    /// Binds the initial picture (W0 x H0) and the quarter-pixel picture of the deformed one for a
    /// winX x winY searching window (both >= 1).
    WholeFieldSearch(const std::uint8_t* initial, std::int32_t w0, std::int32_t h0,
                     const QuarterPixelImage& deformed, std::int32_t winX, std::int32_t winY);

    /// Buffers for one worker. Throws std::bad_alloc when memory runs out.
    Scratch MakeScratch() const;

    /// Searches the window centred at (x, y) around the prediction (px, py). A point is searched
    /// only when hx < x < W0-hx-1, hy < y < H0-hy-1 and the same holds for (px, py) in the deformed
    /// picture. On Found, dx and dy receive the displacement at eighth-pixel resolution. Any number
    /// of threads may search at once, each with its own scratch. With a reach above 0 the
    /// prediction first moves to the best of the whole-pixel candidates (px + b, py + a),
    /// |a|, |b| <= reach, that keep the window inside the deformed picture (rows outer, ties to the
    /// first), and the three levels search around it.
    SearchOutcome Search(Scratch& scratch, std::int32_t x, std::int32_t y, std::int32_t px, std::int32_t py,
                         float& dx, float& dy, std::int32_t reach = 0) const;

  private:
    void BuildEighthPixelCandidates(Scratch& s, std::int64_t r0, std::int64_t c0) const;

    const std::uint8_t* f_;
    std::int32_t w0_, h0_;
    const QuarterPixelImage& u_;
    std::int32_t wx_, wy_, hx_, hy_;
};

} // namespace corvane
