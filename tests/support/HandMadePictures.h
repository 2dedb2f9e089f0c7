#pragma once
// TIFF and PNG files laid out byte by byte, for shapes the libraries' writers refuse to make:
// sizes, tiles and chunks that claim more than the file holds.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace corvane::test {

/// One directory entry of a hand-made TIFF file: SHORT (3) or LONG (4) values.
struct TiffField {
    std::uint16_t Tag;
    std::uint16_t Type;
    std::vector<std::uint32_t> Values;
};

/// A little-endian TIFF file: the header, then data at offset 8 (strip and tile offsets point into
/// it), then one directory of the fields (sorted by tag here) and the values that do not fit in it.
std::string BuildTiff(std::vector<TiffField> fields, const std::string& data);

/// The fields of an uncompressed one-strip picture whose data starts at offset 8, before the
/// caller adds Photometric, ColorMap and the like.
std::vector<TiffField> StripFields(std::uint32_t width, std::uint32_t height, std::uint16_t bits,
                                   std::uint16_t samples, std::uint32_t dataBytes);

/// An uncompressed picture of one sample of bits per pixel, value(x, y) packed from the high bits,
/// in square tiles of side tile (0: one strip), with the extra fields (Photometric and the like).
std::string PackedTiff(std::uint32_t width, std::uint32_t height, std::uint16_t bits, std::uint32_t tile,
                       const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& value,
                       const std::vector<TiffField>& extra);

/// One PNG chunk: length, type, data and CRC.
std::string PngChunk(const std::string& type, const std::string& data);
/// The signature and a header chunk (bits per sample, colour type as in the format).
std::string PngStart(std::uint32_t width, std::uint32_t height, int bits, int colourType);

} // namespace corvane::test
