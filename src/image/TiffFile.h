#pragma once
#include "image/PictureSamples.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

/// True when the bytes start like a TIFF file ("II*\0", "MM\0*", or the 64-bit "II+\0", "MM\0+").
bool LooksLikeTiff(const std::uint8_t* bytes, std::size_t size);

/// Decodes the first page of a TIFF file held in memory through the system's libtiff: 8- or
/// 16-bit samples, grey (min-is-black or min-is-white) or RGB, chunky or planar, strips or tiles,
/// with any compression the library decodes (none, LZW, Deflate, PackBits, ...); signed samples are
/// offset by half their range to unsigned. 1-, 2- and 4-bit grey and palette pictures of up to 8
/// bits are unpacked here to 8-bit grey; YCbCr and other pictures of at most 8 bits go through the
/// library's RGBA reader. Every kind is turned upright by its Orientation tag (5 to 8 exchange
/// width and height). Extra samples (alpha) are ignored, as the BMP reader ignores them.
/// Throws CorvaneError("<fileName>: <reason>") for a damaged, truncated or unsupported file or one
/// claiming more than kMaxPicturePixels or more data than its size can hold (checked before any
/// buffer of the picture's size is allocated); the library's errors become that message and
/// nothing is printed.
PictureSamples DecodeTiffSamples(const std::uint8_t* bytes, std::size_t size, const std::string& fileName);

/// DecodeTiffSamples followed by the 16-bit rule.
GrayRaster DecodeTiffGray(const std::uint8_t* bytes, std::size_t size, const std::string& fileName,
                          SixteenBitScaling scaling);

/// The first page's upright size, its depth and the number of pages, without decoding pixels.
/// Throws as DecodeTiffSamples for a file whose first directory cannot be read.
PictureInfo ProbeTiff(const std::uint8_t* bytes, std::size_t size, const std::string& fileName);

} // namespace corvane
