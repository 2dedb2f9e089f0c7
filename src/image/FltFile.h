#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

/// The 30-byte header of an FLT file, all little-endian: Width and Height (32-bit integers),
/// ScaleX, ScaleY and ValueScale (singles) and 10 reserved bytes carried through unchanged.
/// Width * Height singles follow, row by row from the top.
struct FltHeader {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    float ScaleX = 1.0f;
    float ScaleY = 1.0f;
    float ValueScale = 1.0f;
    std::array<std::uint8_t, 10> Reserved{};
};

/// Size in bytes of the FLT header.
inline constexpr std::size_t kFltHeaderSize = 30;

/// What ReadFltFile found: the header and Width * Height values in host order.
struct FltContent {
    FltHeader Header;
    std::unique_ptr<float[]> Values;
};

/// Reads an FLT file; bytes after the values are ignored. Throws "<name>: can not open the file",
/// or a message naming the damage (short header, a side below 1 or more than kMaxPicturePixels
/// values, fewer values than the size needs) before the values are allocated, and
/// "<name>: not enough memory" when they cannot be.
FltContent ReadFltFile(const std::string& fileName);

/// The same from the size bytes of an FLT file already in memory, with the same checks and messages.
FltContent DecodeFlt(const std::uint8_t* bytes, std::size_t size, const std::string& fileName);

/// The bytes of the FLT file of header and header.Width * header.Height values (host order;
/// values may be null when there are none).
std::vector<std::uint8_t> EncodeFlt(const FltHeader& header, const float* values);

/// Writes EncodeFlt's bytes; the file is replaced atomically. Throws "Can not save the float image
/// to <name>" when it cannot be written, leaving any old file whole.
void WriteFltFile(const std::string& fileName, const FltHeader& header, const float* values);

} // namespace corvane
