#pragma once
#include "image/BmpFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

/// How a 16-bit picture becomes the workbench's 8-bit grey. 8-bit pictures keep their values.
///   Range: the picture's own minimum to maximum are stretched to 0..255,
///          g = floor((v - min) * 255 / (max - min) + 0.5); a picture whose samples are all equal
///          is converted by the Full rule instead, so a flat grey card stays grey.
///   Full:  the whole 16-bit range, g = floor(v / 257 + 0.5) (rounded, not v >> 8), so an 8-bit
///          picture widened to 16 bits as v * 257 reads back with its own values.
/// Range is the default: cameras often deliver 10-, 12- or 14-bit samples in a 16-bit container,
/// which the Full rule would show nearly black.
enum class SixteenBitScaling { Range, Full };
inline constexpr SixteenBitScaling kDefaultSixteenBitScaling = SixteenBitScaling::Range;

/// A picture decoded to grey samples of its own depth (8 or 16 bits), before the 16-bit rule:
/// Width * Height values, top row first. Colour pictures are already grey by the rule every
/// picture reader uses, floor((R + G + B) / 3 + 0.5), here computed on the samples themselves.
struct PictureSamples {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    int Bits = 8;
    std::vector<std::uint16_t> Values;
};

/// floor((r + g + b) / 3 + 0.5) for a channel sum of any depth (exact in integers: a third never
/// ends in one half).
inline std::uint32_t GrayOfChannelSum(std::uint32_t sum) {
    return (2 * sum + 3) / 6;
}

/// The 8-bit grey raster of decoded samples: 8-bit values as they are, 16-bit ones by the rule.
GrayRaster ToGrayRaster(const PictureSamples& samples, SixteenBitScaling scaling);

/// What a picture file holds, read from its header without decoding the pixels.
struct PictureInfo {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    int Bits = 8;  ///< bits per sample of the grey or colour samples: 8, or 16 for a 16-bit picture
    int Pages = 1; ///< pages (directories) of a TIFF file; the readers decode the first only
};

} // namespace corvane
