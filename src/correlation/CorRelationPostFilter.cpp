#include "correlation/CorRelationPostFilter.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "correlation/CorRelationPool.h"
#include "correlation/LineVector.h"
#include "correlation/TCorRelationPara.h"
#include "correlation/TCorRelationResult.h"
#include "image/CorvaneError.h"

namespace corvane {

namespace {

std::int32_t MadeOdd(std::int32_t size) {
    return size % 2 == 0 ? size + 1 : size;
}

// Filtered centres: y = Up + hy ... while y < Bottom - hy, x = Left + hx ... while x < Right - hx
// (upper bounds exclusive, so the field's last row and column are never filtered).
struct CentreRange {
    std::int32_t x0, xEnd, y0, yEnd, hx, hy;
};

CentreRange Centres(const DisplacementField& f, std::int32_t sizeX, std::int32_t sizeY) {
    const std::int32_t hx = MadeOdd(sizeX) / 2, hy = MadeOdd(sizeY) / 2;
    return {f.Left + hx, f.Right - hx, f.Up + hy, f.Bottom - hy, hx, hy};
}

} // namespace

void MedianPostFilter(DisplacementField field, std::int32_t sizeX, std::int32_t sizeY, int lanes) {
    const CentreRange c = Centres(field, sizeX, sizeY);
    const std::size_t w = static_cast<std::size_t>(field.Width);
    lanes = std::max(lanes, 1);
    const std::size_t windowSize =
        static_cast<std::size_t>(2 * c.hx + 1) * static_cast<std::size_t>(2 * c.hy + 1);
    std::vector<float> newX, newY;
    try {
        newX.assign(field.Dx.size(), kNotComputed);
        newY.assign(field.Dy.size(), kNotComputed);
    } catch (const std::bad_alloc&) {
        throw CorvaneError(kCheckParameters);
    }
    // One window per lane, each on cache lines of its own: lanes writing into one line would wait
    // on each other at every value.
    constexpr std::size_t kLineFloats = LineAllocator<float>::kLine / sizeof(float);
    const std::size_t stride = (windowSize + kLineFloats - 1) / kLineFloats * kLineFloats;
    LineVector<float> windows(stride * static_cast<std::size_t>(lanes));
    auto medianAt = [&](float* window, const std::vector<float>& src, std::int32_t x, std::int32_t y) {
        std::size_t k = 0;
        for (std::int32_t v = y - c.hy; v <= y + c.hy; ++v) {
            const float* row = src.data() + static_cast<std::size_t>(v) * w;
            for (std::int32_t u = x - c.hx; u <= x + c.hx; ++u)
                window[k++] = row[u];
        }
        float* const middle = window + windowSize / 2;
        std::nth_element(window, middle, window + windowSize);
        return *middle;
    };
    // Every centre reads the unfiltered field and writes only its own point: rows are independent
    // and are filtered side by side.
    if (c.yEnd > c.y0)
        CorRelationPool::Shared().Run(c.yEnd - c.y0, lanes, [&](int lane, int part) {
            float* const window = windows.data() + stride * static_cast<std::size_t>(lane);
            const std::int32_t y = c.y0 + part;
            for (std::int32_t x = c.x0; x < c.xEnd; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * w + x;
                newX[i] = medianAt(window, field.Dx, x, y);
                newY[i] = medianAt(window, field.Dy, x, y);
            }
        });
    field.Dx.swap(newX);
    field.Dy.swap(newY);
}

void AveragePostFilter(DisplacementField field, std::int32_t sizeX, std::int32_t sizeY, float threshold) {
    const CentreRange c = Centres(field, sizeX, sizeY);
    const std::size_t w = static_cast<std::size_t>(field.Width);
    float* dx = field.Dx.data();
    float* dy = field.Dy.data();
    for (std::int32_t y = c.y0; y < c.yEnd; ++y) {
        for (std::int32_t x = c.x0; x < c.xEnd; ++x) {
            double sx = 0.0, sy = 0.0;
            int count = 0;
            for (std::int32_t v = y - c.hy; v <= y + c.hy; ++v) {
                const std::size_t row = static_cast<std::size_t>(v) * w;
                for (std::int32_t u = x - c.hx; u <= x + c.hx; ++u) {
                    if (dx[row + u] == kNotComputed) continue;
                    sx += dx[row + u];
                    sy += dy[row + u];
                    ++count;
                }
            }
            const std::size_t i = static_cast<std::size_t>(y) * w + x;
            const double mx = count > 0 ? sx / count : dx[i];
            const double my = count > 0 ? sy / count : dy[i];
            if (std::fabs(dx[i] - mx) > threshold || std::fabs(dy[i] - my) > threshold) {
                dx[i] = static_cast<float>(mx);
                dy[i] = static_cast<float>(my);
            }
        }
    }
}

} // namespace corvane
