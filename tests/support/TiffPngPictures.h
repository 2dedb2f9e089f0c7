#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::test {

/// A picture to write with the system's libraries: Channels (1 grey, 3 RGB) samples of Bits (8 or 16;
/// 1 for grey PNG)
/// per pixel, interleaved, rows from the top.
struct SamplePicture {
    int Width = 0, Height = 0, Bits = 8, Channels = 1;
    std::vector<std::uint16_t> Samples;
};

/// How a test TIFF is laid out.
struct TiffLayout {
    int Compression = 1; ///< COMPRESSION_NONE, _LZW (5), _ADOBE_DEFLATE (8), _PACKBITS (32773)
    bool Planar = false; ///< one plane per channel instead of interleaved samples
    bool Tiled = false;  ///< 16 x 16 tiles instead of strips
    bool MinIsWhite = false;
    int RowsPerStrip = 2;
    int Pages = 1; ///< further pages repeat the picture inverted
};

/// Writes the picture as a TIFF file through libtiff.
void WriteTiffPicture(const std::string& fileName, const SamplePicture& picture,
                      const TiffLayout& layout = {});
/// Writes the picture as a PNG file through libpng (Adam7 interlaced when asked).
void WritePngPicture(const std::string& fileName, const SamplePicture& picture, bool interlaced = false);

/// A picture whose sample at (x, y, c) is value(x, y, c).
template <class F> SamplePicture MakeSamplePicture(int width, int height, int bits, int channels, F value) {
    SamplePicture p{width, height, bits, channels, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                p.Samples.push_back(static_cast<std::uint16_t>(value(x, y, c)));
    return p;
}

} // namespace corvane::test
