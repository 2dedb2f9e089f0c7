#include "correlation/QuarterPixelImage.h"

#include <algorithm>

namespace corvane {

namespace {

inline float Mean(float a, float b) {
    return 0.5f * (a + b);
}

// Quarter-pixel columns of one pixel row: out[q][c] = U row entry at column 4c + q.
void InterpolateRow(const std::uint8_t* row, std::int32_t width, float* out[4]) {
    for (std::int32_t c = 0; c + 1 < width; ++c) {
        const float left = row[c], right = row[c + 1];
        const float mid = Mean(left, right);
        out[0][c] = left;
        out[1][c] = Mean(left, mid);
        out[2][c] = mid;
        out[3][c] = Mean(mid, right);
    }
    out[0][width - 1] = row[width - 1];
    out[1][width - 1] = out[2][width - 1] = out[3][width - 1] = 0.0f;
}

} // namespace

void QuarterPixelImage::Allocate(std::int32_t width, std::int32_t height) {
    Release();
    if (width <= 0 || height <= 0) return;
    planeSize_ = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    planes_.assign(16 * planeSize_, 0.0f);
    width_ = width;
    height_ = height;
}

void QuarterPixelImage::Build(const std::uint8_t* grey, std::int32_t width, std::int32_t height) {
    if (width != width_ || height != height_ || planes_.empty()) Allocate(width, height);
    if (planes_.empty()) return;

    // Two pixel rows interpolated along x, swapped as the rows advance.
    std::vector<float> rows(8 * static_cast<std::size_t>(width));
    float* upper[4];
    float* lower[4];
    for (int q = 0; q < 4; ++q) {
        upper[q] = rows.data() + static_cast<std::size_t>(q) * width;
        lower[q] = rows.data() + static_cast<std::size_t>(q + 4) * width;
    }
    InterpolateRow(grey, width, upper);
    for (std::int32_t r = 0; r < height; ++r) {
        const std::size_t base = static_cast<std::size_t>(r) * width;
        for (int q = 0; q < 4; ++q)
            std::copy(upper[q], upper[q] + width, planes_.data() + (q * planeSize_) + base);
        if (r + 1 == height) break;
        InterpolateRow(grey + base + width, width, lower);
        for (int q = 0; q < 4; ++q) {
            float* p1 = planes_.data() + (4 + q) * planeSize_ + base;
            float* p2 = planes_.data() + (8 + q) * planeSize_ + base;
            float* p3 = planes_.data() + (12 + q) * planeSize_ + base;
            const float* a = upper[q];
            const float* b = lower[q];
            for (std::int32_t c = 0; c < width; ++c) {
                const float mid = Mean(a[c], b[c]);
                p2[c] = mid;
                p1[c] = Mean(a[c], mid);
                p3[c] = Mean(mid, b[c]);
            }
        }
        std::swap(upper, lower);
    }
}

void QuarterPixelImage::Release() {
    std::vector<float>().swap(planes_);
    width_ = height_ = 0;
    planeSize_ = 0;
}

} // namespace corvane
