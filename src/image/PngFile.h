#pragma once
#include "image/PictureSamples.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

/// True when the bytes start with the eight-byte PNG signature.
bool LooksLikePng(const std::uint8_t* bytes, std::size_t size);

/// Decodes a PNG file held in memory through the system's libpng: grey, grey with alpha, RGB,
/// RGBA or palette, 1 to 16 bits, interlaced or not. Alpha and transparency are ignored, as the
/// BMP reader ignores them; pictures below 8 bits are widened to 8.
/// Throws CorvaneError("<fileName>: <reason>") for a damaged or truncated file or one claiming
/// more than kMaxPicturePixels or more pixels than its compressed data can hold, or with a chunk
/// longer than the rest of the file (all checked before the library allocates a row); the library's
/// errors become that message and nothing is printed.
PictureSamples DecodePngSamples(const std::uint8_t* bytes, std::size_t size, const std::string& fileName);

/// DecodePngSamples followed by the 16-bit rule.
GrayRaster DecodePngGray(const std::uint8_t* bytes, std::size_t size, const std::string& fileName,
                         SixteenBitScaling scaling);

/// Size and depth from the file's header, without decoding pixels; throws as DecodePngSamples.
PictureInfo ProbePng(const std::uint8_t* bytes, std::size_t size, const std::string& fileName);

} // namespace corvane
