#include "dotgrid/NearestDotIndex.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

constexpr float kNoDot = 1e20f;

bool InBox(const TDotInfo& dot, float x, float y, float tolX, float tolY) {
    return std::fabs(dot.X - x) <= tolX && std::fabs(dot.Y - y) <= tolY;
}

} // namespace

std::int32_t TNearestDotIndex::NearestInBoxLinear(const TDotInfo* dots, std::int32_t count, float x, float y,
                                                  float tolX, float tolY) {
    float best = kNoDot;
    std::int32_t found = -1;
    for (std::int32_t k = 0; k < count; ++k) {
        if (!InBox(dots[k], x, y, tolX, tolY)) continue;
        const float d = SquaredDistance(dots[k], x, y);
        if (d < best) {
            best = d;
            found = k;
        }
    }
    return found;
}

void TNearestDotIndex::Build(const TDotInfo* dots, std::int32_t count) {
    dots_ = dots;
    count_ = std::max(count, 0);
    columns_ = rows_ = 0;
    linear_ = true;
    start_.clear();
    members_.clear();
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool any = false;
    for (std::int32_t k = 0; k < count_; ++k) {
        const double x = dots[k].X, y = dots[k].Y;
        // A centroid far outside any picture (or not a number) is left to the linear scan.
        if (!(std::fabs(x) < 1e7 && std::fabs(y) < 1e7)) return;
        if (!any) {
            minX = maxX = x;
            minY = maxY = y;
            any = true;
        }
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    if (!any) return;
    // About four dots per cell on an even spread; a box of the walk spans one or two cells.
    const double spanX = maxX - minX + 1.0, spanY = maxY - minY + 1.0;
    cell_ = std::max(1.0, 2.0 * std::sqrt(spanX * spanY / count_));
    minX_ = minX;
    minY_ = minY;
    columns_ = static_cast<std::int32_t>(spanX / cell_) + 1;
    rows_ = static_cast<std::int32_t>(spanY / cell_) + 1;
    const std::size_t cells = static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_);
    start_.assign(cells + 1, 0);
    std::vector<std::int32_t> cellOf(static_cast<std::size_t>(count_));
    for (std::int32_t k = 0; k < count_; ++k) {
        const auto cx = static_cast<std::int32_t>((dots[k].X - minX_) / cell_);
        const auto cy = static_cast<std::int32_t>((dots[k].Y - minY_) / cell_);
        const std::int32_t c = std::min(cy, rows_ - 1) * columns_ + std::min(cx, columns_ - 1);
        cellOf[static_cast<std::size_t>(k)] = c;
        ++start_[static_cast<std::size_t>(c) + 1];
    }
    for (std::size_t c = 0; c < cells; ++c)
        start_[c + 1] += start_[c];
    members_.resize(static_cast<std::size_t>(count_));
    std::vector<std::int32_t> next(start_.begin(), start_.end() - 1);
    for (std::int32_t k = 0; k < count_; ++k) // ascending numbers within each cell
        members_[static_cast<std::size_t>(
            next[static_cast<std::size_t>(cellOf[static_cast<std::size_t>(k)])]++)] = k;
    linear_ = false;
}

std::int32_t TNearestDotIndex::NearestInBox(float x, float y, float tolX, float tolY) const {
    if (linear_) return NearestInBoxLinear(dots_, count_, x, y, tolX, tolY);
    if (!(tolX >= 0.0f && tolY >= 0.0f)) return -1; // no |difference| is below a negative (or NaN) bound
    // The cell range covers the box widened by a margin well above the rounding of the
    // single-precision comparisons, so no dot that passes them is missed.
    const double marginX = 1e-4 * (std::fabs(static_cast<double>(x)) + tolX + std::fabs(minX_) + 1.0);
    const double marginY = 1e-4 * (std::fabs(static_cast<double>(y)) + tolY + std::fabs(minY_) + 1.0);
    const double fx0 = std::floor((x - static_cast<double>(tolX) - marginX - minX_) / cell_);
    const double fx1 = std::floor((x + static_cast<double>(tolX) + marginX - minX_) / cell_);
    const double fy0 = std::floor((y - static_cast<double>(tolY) - marginY - minY_) / cell_);
    const double fy1 = std::floor((y + static_cast<double>(tolY) + marginY - minY_) / cell_);
    if (!(fx1 >= 0.0 && fy1 >= 0.0 && fx0 < columns_ && fy0 < rows_)) return -1; // NaN included
    const auto cx0 = static_cast<std::int32_t>(std::max(fx0, 0.0));
    const auto cy0 = static_cast<std::int32_t>(std::max(fy0, 0.0));
    const auto cx1 = static_cast<std::int32_t>(std::min(fx1, static_cast<double>(columns_ - 1)));
    const auto cy1 = static_cast<std::int32_t>(std::min(fy1, static_cast<double>(rows_ - 1)));
    if (static_cast<std::int64_t>(cx1 - cx0 + 1) * (cy1 - cy0 + 1) > count_)
        return NearestInBoxLinear(dots_, count_, x, y, tolX, tolY);

    // The lowest number among the smallest distances: what the linear scan with "<" keeps.
    float best = kNoDot;
    std::int32_t found = -1;
    for (std::int32_t cy = cy0; cy <= cy1; ++cy)
        for (std::int32_t cx = cx0; cx <= cx1; ++cx) {
            const std::size_t c = static_cast<std::size_t>(cy) * static_cast<std::size_t>(columns_) +
                                  static_cast<std::size_t>(cx);
            for (std::int32_t m = start_[c]; m < start_[c + 1]; ++m) {
                const std::int32_t k = members_[static_cast<std::size_t>(m)];
                const TDotInfo& dot = dots_[k];
                if (!InBox(dot, x, y, tolX, tolY)) continue;
                const float d = SquaredDistance(dot, x, y);
                if (d < best || (d == best && found >= 0 && k < found)) {
                    best = d;
                    found = k;
                }
            }
        }
    return found;
}

} // namespace corvane
