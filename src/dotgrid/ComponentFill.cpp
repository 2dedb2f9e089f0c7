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
    const std::int32_t leftLimit = left_ + 1, topLimit = top_ + 1, right = right_, bottom = bottom_;
    TPixelCanvas* const canvas = canvas_;
    const std::ptrdiff_t up = -static_cast<std::ptrdiff_t>(stride),
                         down = static_cast<std::ptrdiff_t>(stride);

    // Takes a pixel: weight read before it is erased (v ^ bg is v on 0 and 255 - v on 255).
    auto take = [&](std::uint8_t* p, std::int32_t x, std::int32_t y) {
        const std::int64_t w = *p ^ bg;
        *p = bg;
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
    take(data + static_cast<std::size_t>(y0) * stride + static_cast<std::size_t>(x0), x0, y0);
    while (!stack_.empty()) {
        const Point q = stack_.back();
        stack_.pop_back();
        std::uint8_t* p = data + static_cast<std::size_t>(q.Y) * stride + static_cast<std::size_t>(q.X);
        const bool canLeft = q.X > leftLimit, canUp = q.Y > topLimit;
        const bool canRight = q.X < right, canDown = q.Y < bottom;
        // Neighbours in the fill's order: left, up, right, down, up-left, down-left, up-right,
        // down-right. The set of pixels reached does not depend on the order; it only decides
        // the painting order.
        if (canLeft && p[-1] != bg) take(p - 1, q.X - 1, q.Y);
        if (canUp && p[up] != bg) take(p + up, q.X, q.Y - 1);
        if (canRight && p[1] != bg) take(p + 1, q.X + 1, q.Y);
        if (canDown && p[down] != bg) take(p + down, q.X, q.Y + 1);
        if (canLeft && canUp && p[up - 1] != bg) take(p + up - 1, q.X - 1, q.Y - 1);
        if (canLeft && canDown && p[down - 1] != bg) take(p + down - 1, q.X - 1, q.Y + 1);
        if (canRight && canUp && p[up + 1] != bg) take(p + up + 1, q.X + 1, q.Y - 1);
        if (canRight && canDown && p[down + 1] != bg) take(p + down + 1, q.X + 1, q.Y + 1);
    }
    return s;
}

} // namespace corvane
