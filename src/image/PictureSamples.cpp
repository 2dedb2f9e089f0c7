#include "image/PictureSamples.h"

#include <algorithm>

namespace corvane {

GrayRaster ToGrayRaster(const PictureSamples& samples, SixteenBitScaling scaling) {
    GrayRaster raster;
    raster.Width = samples.Width;
    raster.Height = samples.Height;
    raster.Pixels.resize(samples.Values.size());
    const std::uint16_t* in = samples.Values.data();
    std::uint8_t* out = raster.Pixels.data();
    const std::size_t n = samples.Values.size();
    if (samples.Bits <= 8) {
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<std::uint8_t>(std::min<std::uint16_t>(in[i], 255));
        return raster;
    }
    std::uint32_t low = 0;
    std::uint32_t span = 0;
    if (scaling == SixteenBitScaling::Range && n > 0) {
        const auto [lo, hi] = std::minmax_element(in, in + n);
        low = *lo;
        span = static_cast<std::uint32_t>(*hi) - *lo;
    }
    if (span == 0) {
        // floor(v / 257 + 0.5) = floor((2v + 257) / 514)
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<std::uint8_t>((2u * in[i] + 257u) / 514u);
        return raster;
    }
    // floor((v - low) * 255 / span + 0.5) = floor(((v - low) * 510 + span) / (2 span)), in 64 bits
    const std::uint64_t twoSpan = 2ull * span;
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>((static_cast<std::uint64_t>(in[i] - low) * 510u + span) / twoSpan);
    return raster;
}

} // namespace corvane
