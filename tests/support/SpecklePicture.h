#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::test {

/// A grey speckle picture of smooth random blobs, row by row. The same seed gives the same
/// pattern; shiftX, shiftY move the whole pattern by that many pixels (a deformed picture of a
/// rigid translation: g(x, y) = f(x - shiftX, y - shiftY)); shifts up to 20 pixels.
std::vector<std::uint8_t> SpecklePicture(int width, int height, double shiftX, double shiftY,
                                         unsigned seed = 7);

/// The speckle picture saved as a BMP file.
void WriteSpeckleBmp(const std::string& fileName, int width, int height, double shiftX, double shiftY,
                     unsigned seed = 7);

} // namespace corvane::test
