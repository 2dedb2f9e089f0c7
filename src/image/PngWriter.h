#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

/// How the 8-bit samples of a picture handed to the PNG writer are laid out per pixel.
enum class PngPixels { Gray = 1, Rgb = 3, Rgba = 4 };

/// Encodes width x height pixels (rows top-down, tightly packed, 8 bits per sample) as PNG bytes.
/// Throws CorvaneError for a size that is not positive or too large, and kNotEnoughMemory when
/// memory runs out.
std::vector<std::uint8_t> EncodePng(int width, int height, PngPixels layout, const std::uint8_t* pixels);

/// Writes the picture as a PNG file, atomically (a failed save leaves the old file whole).
/// Throws CorvaneError(failMessage) when the file cannot be written.
void WritePngFile(const std::string& name, int width, int height, PngPixels layout,
                  const std::uint8_t* pixels, const std::string& failMessage);

} // namespace corvane
