#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace corvane {

/// A picture decoded to grey: Width * Height bytes, top row first, no padding.
struct GrayRaster {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint8_t> Pixels;
};

/// Grey level of a colour: floor((R + G + B) * (1/3) + 0.5), computed in long double.
std::uint8_t GrayOfRgb(unsigned r, unsigned g, unsigned b);

/// GrayOfRgb of every channel sum R + G + B = 0..765, so converting a pixel is one lookup.
const std::array<std::uint8_t, 766>& GrayOfSum();

/// Decodes the bytes of a BMP (1, 2, 4, 8, 16, 24 or 32 bits per pixel; palette or direct colour;
/// BI_RGB, BI_BITFIELDS, or run-length coded 8 and 4 bits; 12, 16, 40, 52, 56, 64, 108 or
/// 124-byte headers; bottom-up or top-down) into grey levels. JPEG or PNG data is refused.
/// Throws CorvaneError("<fileName>: <reason>") for a damaged, truncated, compressed or otherwise
/// unreadable file, for a picture without pixels or of more than kMaxPicturePixels pixels, for
/// colour masks that overlap or have gaps ("bad BMP colour masks"), and "<fileName>: not enough
/// memory"; nothing is allocated beyond what the file's own size can justify.
GrayRaster DecodeBmpGray(const std::uint8_t* bytes, std::size_t size, const std::string& fileName);

/// Size in bytes of the 24-bit BMP of a width x height picture; throws CorvaneError when it
/// cannot be described by a BMP file (negative sizes, more than 4 GB).
std::uint64_t GrayBmpFileSize(std::int32_t width, std::int32_t height);

/// Writes a grey raster as a 24-bit BMP with B = G = R, 40-byte information header, no palette,
/// rows bottom-up padded to 4 bytes. Returns false when a write fails.
/// Throws CorvaneError for sizes a BMP file cannot hold.
bool WriteGrayBmp(std::FILE* file, const std::uint8_t* pixels, std::int32_t width, std::int32_t height);

/// Writes a colour picture (rows top first, rowStride bytes apart, pixels as R, G, B) as a 24-bit
/// BMP of the same form, keeping its colours. Returns false when a write fails.
bool WriteRgbBmp(std::FILE* file, const std::uint8_t* rgb, std::size_t rowStride, std::int32_t width,
                 std::int32_t height);

} // namespace corvane
