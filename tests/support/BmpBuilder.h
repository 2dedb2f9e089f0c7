#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::test {

/// What a BMP file written byte by byte holds; every field is written as given, so a test can
/// make well-formed variants and, by changing single fields, damaged ones.
struct BmpLayout {
    std::int32_t Width = 0;
    std::int32_t Height = 0; ///< negative: rows stored top-down
    std::uint16_t Bits = 24;
    std::uint32_t HeaderSize = 40; ///< 12 (core), 16, 40, 52, 56, 64, 108 or 124
    std::uint32_t Compression = 0;
    std::uint32_t ColorsUsed = 0; ///< written into the header as is
    /// Palette entries as 0xRRGGBB; written as 3-byte entries after a 12-byte header, else 4-byte.
    std::vector<std::uint32_t> Palette{};
    /// Red, green, blue masks: inside headers of 52 bytes and more, after a 40-byte one when
    /// MasksAfterHeader is set.
    std::array<std::uint32_t, 3> Masks{0, 0, 0};
    bool MasksAfterHeader = false;
    /// One value per pixel, top row first: a palette index, a packed 16/32-bit value, or 0xRRGGBB
    /// for 24 bits.
    std::vector<std::uint32_t> Pixels{};
    std::uint8_t PaddingByte = 0xA5; ///< fills row padding, so a reader that uses it is caught
    /// When not empty, written as the pixel data as is instead of Pixels (run-length codes).
    std::string PixelBytes{};
};

/// The BMP file bytes of the description.
std::string BuildBmp(const BmpLayout& layout);

/// Byte offsets of header fields in a file made by BuildBmp (or any BMP).
namespace bmpfield {
constexpr std::size_t kPixelOffset = 10;
constexpr std::size_t kHeaderSize = 14;
constexpr std::size_t kWidth = 18;
constexpr std::size_t kHeight = 22;
constexpr std::size_t kCompression = 30;
constexpr std::size_t kColorsUsed = 46;
} // namespace bmpfield

/// Overwrites 4 little-endian bytes at offset.
void Put32At(std::string& bytes, std::size_t offset, std::uint32_t value);
/// Appends the low count bytes of value, least significant first.
void AppendLittleEndian(std::string& bytes, std::uint32_t value, int count);

/// The grey picture as a 0xRRGGBB pixel list (R = G = B), for 24-bit header variants.
std::vector<std::uint32_t> GreyAsRgb(const std::vector<std::uint8_t>& grey);

} // namespace corvane::test
