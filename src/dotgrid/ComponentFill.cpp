#include "dotgrid/ComponentFill.h"

#include "dotgrid/TPixelCanvas.h"

#include <algorithm>
#include <cstddef>

namespace corvane {

TComponentFill::TComponentFill(std::uint8_t* data, std::int32_t width, std::int32_t height,
                               std::uint8_t background)
    : data_(data), width_(width), height_(height), background_(background), right_(width - 1),
      bottom_(height - 1) {}

void TComponentFill::SetBounds(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    left_ = left;
    top_ = top;
    right_ = right;
    bottom_ = bottom;
}

TComponentStats TComponentFill::Fill(std::int32_t x0, std::int32_t y0) {
    TComponentStats s;
    const std::size_t stride = static_cast<std::size_t>(width_);
    const std::uint8_t bg = background_;
    std::uint8_t* const data = data_;
    if (data[static_cast<std::size_t>(y0) * stride + static_cast<std::size_t>(x0)] == bg) return s;
    s.MinX = s.MaxX = x0;
    s.MinY = s.MaxY = y0;
    // Neighbour moves in the fill's order: left, up, right, down, up-left, down-left, up-right, down-right.
    static constexpr std::int32_t kDx[8] = {-1, 0, 1, 0, -1, -1, 1, 1};
    static constexpr std::int32_t kDy[8] = {0, -1, 0, 1, -1, 1, -1, 1};
    const std::int32_t leftLimit = left_ + 1, topLimit = top_ + 1, right = right_, bottom = bottom_;
    TPixelCanvas* const canvas = canvas_;

    // Takes a pixel: weight read before it is erased (v ^ bg is v on 0 and 255 - v on 255).
    auto take = [&](std::int32_t x, std::int32_t y) {
        std::uint8_t& p = data[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x)];
        const std::int64_t w = p ^ bg;
        p = bg;
        ++s.Area;
        s.SumWX += w * x;
        s.SumWY += w * y;
        s.SumW += w;
        s.MinX = std::min(s.MinX, x);
        s.MaxX = std::max(s.MaxX, x);
        s.MinY = std::min(s.MinY, y);
        s.MaxY = std::max(s.MaxY, y);
        if (canvas) canvas->PaintGrey(x, y, bg);
        stack_.push_back({x, y});
    };

    stack_.clear();
    take(x0, y0);
    while (!stack_.empty()) {
        const Point q = stack_.back();
        stack_.pop_back();
        const bool canLeft = q.X > leftLimit, canUp = q.Y > topLimit;
        const bool canRight = q.X < right, canDown = q.Y < bottom;
        const bool allowed[8] = {canLeft,           canUp,            canRight,          canDown,
                                 canLeft && canUp,  canLeft && canDown, canRight && canUp, canRight && canDown};
        const std::uint8_t* row = data + static_cast<std::size_t>(q.Y) * stride + static_cast<std::size_t>(q.X);
        // The set of pixels reached does not depend on the order; it only decides the painting order.
        for (int k = 0; k < 8; ++k) {
            if (!allowed[k]) continue;
            const std::ptrdiff_t offset = static_cast<std::ptrdiff_t>(kDy[k]) * static_cast<std::ptrdiff_t>(stride) + kDx[k];
            if (row[offset] != bg) take(q.X + kDx[k], q.Y + kDy[k]);
        }
    }
    return s;
}

} // namespace corvane
