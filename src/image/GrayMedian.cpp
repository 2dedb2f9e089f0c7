#include "image/GrayMedian.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace corvane {

void GrayMedianFilter(const std::uint8_t* src, std::uint8_t* dst, std::int32_t width, std::int32_t height,
                      std::int32_t w, std::int32_t h) {
    const std::int32_t rx = w / 2, ry = h / 2;
    const std::int64_t n = static_cast<std::int64_t>(w) * h;
    const std::int64_t rank = n / 2; // ascending rank of the median; n is odd
    const std::size_t stride = static_cast<std::size_t>(width);

    // Sliding histogram along each row: the window moves right by dropping its left column and
    // taking a new right one, and the median is walked from its previous value.
    std::int64_t hist[256];
    for (std::int32_t y = ry; y < height - ry; ++y) {
        std::fill(std::begin(hist), std::end(hist), 0);
        const std::uint8_t* top = src + static_cast<std::size_t>(y - ry) * stride;
        for (std::int32_t j = 0; j < h; ++j) {
            const std::uint8_t* row = top + static_cast<std::size_t>(j) * stride;
            for (std::int32_t i = 0; i < w; ++i)
                ++hist[row[i]];
        }
        int median = 0;
        std::int64_t below = 0; // values in the window smaller than median
        while (below + hist[median] <= rank)
            below += hist[median++];
        std::uint8_t* out = dst + static_cast<std::size_t>(y) * stride;
        out[rx] = static_cast<std::uint8_t>(median);
        for (std::int32_t x = rx + 1; x < width - rx; ++x) {
            const std::uint8_t* leave = top + (x - rx - 1);
            const std::uint8_t* enter = top + (x + rx);
            for (std::int32_t j = 0; j < h; ++j, leave += stride, enter += stride) {
                --hist[*leave];
                below -= *leave < median;
                ++hist[*enter];
                below += *enter < median;
            }
            while (below > rank)
                below -= hist[--median];
            while (below + hist[median] <= rank)
                below += hist[median++];
            out[x] = static_cast<std::uint8_t>(median);
        }
    }
}

} // namespace corvane
