#pragma once
#include <cstdint>
#include <vector>

#include "dotgrid/TDotInfo.h"

namespace corvane {

/// Squared distance of a dot's centroid from (x, y), in single precision as every nearest-dot
/// search of the encoder computes it.
inline float SquaredDistance(const TDotInfo& dot, float x, float y) {
    const float dx = dot.X - x, dy = dot.Y - y;
    return dx * dx + dy * dy;
}

/// Buckets of dot numbers over a uniform grid of cells, so a search in a small box looks at the
/// dots near it instead of the whole table. Every search returns exactly the dot a linear scan
/// over the table would (strict "less than" on the distance, so the lowest number wins a tie).
class TNearestDotIndex {
  public:
    /// Indexes dots[0..count); the table must stay in place and unchanged while it is searched.
    void Build(const TDotInfo* dots, std::int32_t count);

    /// The nearest dot with |dot.x - x| <= tolX and |dot.y - y| <= tolY and a squared distance below
    /// 1e20; -1 when there is none.
    std::int32_t NearestInBox(float x, float y, float tolX, float tolY) const;

    /// The same search as a plain scan of the whole table.
    static std::int32_t NearestInBoxLinear(const TDotInfo* dots, std::int32_t count, float x, float y,
                                           float tolX, float tolY);

  private:
    const TDotInfo* dots_ = nullptr;
    std::int32_t count_ = 0;
    double minX_ = 0, minY_ = 0, cell_ = 1;
    std::int32_t columns_ = 0, rows_ = 0;
    bool linear_ = true; ///< no grid (no dots, or a centroid far outside any picture): plain scan
    std::vector<std::int32_t> start_;   ///< first entry of each cell in members_, plus an end mark
    std::vector<std::int32_t> members_; ///< dot numbers, cell by cell, ascending within a cell
};

} // namespace corvane
