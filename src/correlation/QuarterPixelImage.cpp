#include "correlation/QuarterPixelImage.h"

#include <algorithm>

namespace corvane {

namespace {

// In sixteenths every mean of the construction is exact in integers: whole pixels are multiples of
// 16, their midpoints of 8, the quarter points of 4 and, down the rows, of 2 and 1.
inline std::uint16_t Mean(std::uint32_t a, std::uint32_t b) {
    return static_cast<std::uint16_t>((a + b) >> 1);
}

// Quarter-pixel columns of one pixel row, in sixteenths: out[q][c] = U row entry at column 4c + q.
void InterpolateRow(const std::uint8_t* row, std::int32_t width, std::uint16_t* out[4]) {
    for (std::int32_t c = 0; c + 1 < width; ++c) {
        const std::uint32_t left = row[c] * 16u, right = row[c + 1] * 16u;
        const std::uint16_t mid = Mean(left, right);
        out[0][c] = static_cast<std::uint16_t>(left);
        out[1][c] = Mean(left, mid);
        out[2][c] = mid;
        out[3][c] = Mean(mid, right);
    }
    out[0][width - 1] = static_cast<std::uint16_t>(row[width - 1] * 16u);
    out[1][width - 1] = out[2][width - 1] = out[3][width - 1] = 0;
}

} // namespace

void QuarterPixelImage::Allocate(std::int32_t width, std::int32_t height) {
    Release();
    if (width <= 0 || height <= 0) return;
    planeSize_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    planes_.assign(15 * planeSize_, 0);
    width_ = width;
    height_ = height;
}

void QuarterPixelImage::Build(const std::uint8_t* grey, std::int32_t width, std::int32_t height) {
    if (width != width_ || height != height_ || planes_.empty()) Allocate(width, height);
    if (planes_.empty()) return;
    Attach(grey);
    BuildRows(0, height);
}

void QuarterPixelImage::BuildRows(std::int32_t first, std::int32_t last) {
    first = std::max(first, 0);
    last = std::min(last, height_);
    if (planes_.empty() || grey_ == nullptr || first >= last) return;
    const std::int32_t width = width_;
    const std::uint8_t* grey = grey_;
    // Plane 4p + q starts at (4p + q - 1) plane sizes: plane 0, (0, 0), is the grey picture.
    auto plane = [this](int index) {
        return planes_.data() + static_cast<std::size_t>(index - 1) * planeSize_;
    };

    // Two pixel rows interpolated along x, swapped as the rows advance.
    std::vector<std::uint16_t> rows(8 * static_cast<std::size_t>(width));
    std::uint16_t* upper[4];
    std::uint16_t* lower[4];
    for (int q = 0; q < 4; ++q) {
        upper[q] = rows.data() + static_cast<std::size_t>(q) * width;
        lower[q] = rows.data() + static_cast<std::size_t>(q + 4) * width;
    }
    InterpolateRow(grey + static_cast<std::size_t>(first) * width, width, upper);
    for (std::int32_t r = first; r < last; ++r) {
        const std::size_t base = static_cast<std::size_t>(r) * width;
        for (int q = 1; q < 4; ++q)
            std::copy(upper[q], upper[q] + width, plane(q) + base);
        if (r + 1 == height_) break;
        InterpolateRow(grey + base + width, width, lower);
        for (int q = 0; q < 4; ++q) {
            std::uint16_t* p1 = plane(4 + q) + base;
            std::uint16_t* p2 = plane(8 + q) + base;
            std::uint16_t* p3 = plane(12 + q) + base;
            const std::uint16_t* a = upper[q];
            const std::uint16_t* b = lower[q];
            for (std::int32_t c = 0; c < width; ++c) {
                const std::uint16_t mid = Mean(a[c], b[c]);
                p2[c] = mid;
                p1[c] = Mean(a[c], mid);
                p3[c] = Mean(mid, b[c]);
            }
        }
        std::swap(upper, lower);
    }
}

void QuarterPixelImage::Release() {
    std::vector<std::uint16_t>().swap(planes_);
    width_ = height_ = 0;
    planeSize_ = 0;
    grey_ = nullptr;
}

} // namespace corvane
