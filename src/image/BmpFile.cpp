#include "image/BmpFile.h"

#include "image/ByteOrder.h"
#include "image/CorvaneError.h"
#include "image/ImageSize.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>

namespace corvane {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiJpeg = 4;
constexpr std::uint32_t kBiPng = 5;
constexpr std::uint32_t kBiAlphaBitfields = 6;

/// One colour channel of a direct-colour pixel, selected by a bit mask and scaled to 0..255.
struct Channel {
    std::uint32_t Mask = 0;
    unsigned Shift = 0;
    std::uint64_t Max = 0;

    explicit Channel(std::uint32_t mask) : Mask(mask) {
        if (mask != 0) {
            Shift = static_cast<unsigned>(std::countr_zero(mask));
            Max = mask >> Shift;
        }
    }
    unsigned Value(std::uint32_t pixel) const {
        if (Max == 0) return 0;
        std::uint64_t v = (pixel & Mask) >> Shift;
        return static_cast<unsigned>((v * 255 + Max / 2) / Max);
    }
};

/// Colour masks a decoder can trust: each one's set bits in one run, no bit in two masks. Overlapping
/// or scattered masks describe no colour layout, and decoding them would only invent grey levels.
bool MasksAreSound(const std::uint32_t (&masks)[3]) {
    for (std::uint32_t m : masks) {
        if (m == 0) continue;
        const std::uint32_t run = m >> std::countr_zero(m);
        if ((run & (run + 1)) != 0) return false; // a gap between set bits (run + 1 wraps to 0 for all ones)
    }
    return (masks[0] & masks[1]) == 0 && (masks[0] & masks[2]) == 0 && (masks[1] & masks[2]) == 0;
}

struct Layout {
    std::int64_t Width = 0;
    std::int64_t Height = 0; // rows, always positive
    bool TopDown = false;
    unsigned Bits = 0;
    std::uint64_t Stride = 0;
    const std::uint8_t* Pixels = nullptr;

    /// Start of the stored row that holds picture row y (0 = top).
    const std::uint8_t* Row(std::int64_t y) const {
        std::int64_t stored = TopDown ? y : Height - 1 - y;
        return Pixels + static_cast<std::uint64_t>(stored) * Stride;
    }
};

void DecodePalette(const Layout& l, const std::array<std::uint8_t, 256>& gray, unsigned count,
                   std::uint8_t* out, const std::string& fileName) {
    const unsigned bits = l.Bits;
    const unsigned perByte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    bool badIndex = false;
    for (std::int64_t y = 0; y < l.Height; ++y) {
        const std::uint8_t* row = l.Row(y);
        std::uint8_t* dst = out + y * l.Width;
        for (std::int64_t x = 0; x < l.Width; ++x) {
            unsigned index;
            if (bits == 8) {
                index = row[x];
            } else {
                unsigned slot = static_cast<unsigned>(x % perByte);
                index = (row[x / perByte] >> (8 - bits * (slot + 1))) & mask;
            }
            badIndex |= index >= count;
            dst[x] = gray[index];
        }
    }
    if (badIndex) throw CorvaneError(fileName + ": palette index out of range");
}

/// Run-length coded 8- or 4-bit rows, stored bottom-up. Pixels that the codes skip stay black;
/// runs past the right edge are clipped; every read is checked against the coded size.
void DecodeRunLength(const Layout& l, std::uint64_t codedBytes, const std::array<std::uint8_t, 256>& gray,
                     unsigned count, std::uint8_t* out, const std::string& fileName) {
    const std::uint8_t* data = l.Pixels;
    const bool eight = l.Bits == 8;
    std::int64_t x = 0, row = 0; // row counts stored rows from the bottom
    bool badIndex = false;
    auto put = [&](unsigned index) {
        if (x < l.Width && row < l.Height) {
            badIndex |= index >= count;
            out[(l.Height - 1 - row) * l.Width + x] = gray[index];
        }
        ++x;
    };
    std::uint64_t i = 0;
    while (i + 1 < codedBytes && row < l.Height) {
        const unsigned first = data[i], second = data[i + 1];
        i += 2;
        if (first > 0) { // a run of first pixels
            for (unsigned k = 0; k < first; ++k)
                put(eight ? second : (k % 2 == 0 ? second >> 4 : second & 15));
        } else if (second == 0) { // end of line
            x = 0;
            ++row;
        } else if (second == 1) { // end of picture
            break;
        } else if (second == 2) { // move right and up
            if (i + 1 >= codedBytes) break;
            x += data[i];
            row += data[i + 1];
            i += 2;
        } else { // second literal pixels, padded to a two-byte boundary
            const std::uint64_t literalBytes = eight ? second : (second + 1) / 2;
            if (i + literalBytes > codedBytes) throw CorvaneError(fileName + ": truncated BMP file");
            for (unsigned k = 0; k < second; ++k)
                put(eight ? data[i + k] : (k % 2 == 0 ? data[i + k / 2] >> 4 : data[i + k / 2] & 15));
            i += literalBytes + (literalBytes & 1);
        }
    }
    if (badIndex) throw CorvaneError(fileName + ": palette index out of range");
}

/// Pixels stored as B, G, R bytes, Step bytes apart (24 bits, or 32 bits with the standard masks).
template <int Step> void DecodeBgr(const Layout& l, std::uint8_t* out) {
    const auto& gray = GrayOfSum();
    for (std::int64_t y = 0; y < l.Height; ++y) {
        const std::uint8_t* src = l.Row(y);
        std::uint8_t* dst = out + y * l.Width;
        for (std::int64_t x = 0; x < l.Width; ++x, src += Step)
            dst[x] = gray[src[0] + src[1] + src[2]];
    }
}

void Decode16(const Layout& l, const Channel& r, const Channel& g, const Channel& b, std::uint8_t* out) {
    std::vector<std::uint8_t> table(65536);
    const auto& gray = GrayOfSum();
    for (std::uint32_t p = 0; p < table.size(); ++p)
        table[p] = gray[r.Value(p) + g.Value(p) + b.Value(p)];
    for (std::int64_t y = 0; y < l.Height; ++y) {
        const std::uint8_t* src = l.Row(y);
        std::uint8_t* dst = out + y * l.Width;
        for (std::int64_t x = 0; x < l.Width; ++x, src += 2)
            dst[x] = table[ReadU16LE(src)];
    }
}

void Decode32Masked(const Layout& l, const Channel& r, const Channel& g, const Channel& b,
                    std::uint8_t* out) {
    const auto& gray = GrayOfSum();
    for (std::int64_t y = 0; y < l.Height; ++y) {
        const std::uint8_t* src = l.Row(y);
        std::uint8_t* dst = out + y * l.Width;
        for (std::int64_t x = 0; x < l.Width; ++x, src += 4) {
            std::uint32_t p = ReadU32LE(src);
            dst[x] = gray[r.Value(p) + g.Value(p) + b.Value(p)];
        }
    }
}

} // namespace

std::uint8_t GrayOfRgb(unsigned r, unsigned g, unsigned b) {
    long double v = static_cast<long double>(r + g + b) * (1.0L / 3.0L) + 0.5L;
    return static_cast<std::uint8_t>(static_cast<unsigned>(v));
}

const std::array<std::uint8_t, 766>& GrayOfSum() {
    static const std::array<std::uint8_t, 766> table = [] {
        std::array<std::uint8_t, 766> t{};
        for (unsigned s = 0; s < t.size(); ++s)
            t[s] = GrayOfRgb(s, 0, 0);
        return t;
    }();
    return table;
}

namespace {

GrayRaster DecodeBmp(const std::uint8_t* bytes, std::size_t size, const std::string& fileName) {
    auto fail = [&](const std::string& why) { return CorvaneError(fileName + ": " + why); };
    if (size < kFileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M') throw fail("not a BMP file");

    const std::uint32_t offBits = ReadU32LE(bytes + 10);
    const std::uint32_t headerSize = ReadU32LE(bytes + 14);
    const bool core = headerSize == 12;
    const bool os2 = headerSize == 16 || headerSize == 64;
    if (!(core || os2 || headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
          headerSize == 124))
        throw fail("unsupported BMP header");
    if (kFileHeaderSize + headerSize > size) throw fail("truncated BMP file");
    const std::uint8_t* h = bytes + kFileHeaderSize;

    std::int64_t width, height;
    unsigned bits;
    std::uint32_t compression = kBiRgb, colorsUsed = 0;
    if (core) {
        width = ReadU16LE(h + 4);
        height = ReadU16LE(h + 6);
        bits = ReadU16LE(h + 10);
    } else {
        width = ReadI32LE(h + 4);
        height = ReadI32LE(h + 8);
        bits = ReadU16LE(h + 14);
        if (headerSize >= 20) compression = ReadU32LE(h + 16);
        if (headerSize >= 36) colorsUsed = ReadU32LE(h + 32);
    }

    // In the OS/2 headers the values 3 and 4 mean Huffman and RLE24 coding.
    const bool bitfields = !os2 && (compression == kBiBitfields || compression == kBiAlphaBitfields);
    const bool rle = compression == kBiRle8 || compression == kBiRle4;
    if (compression == kBiJpeg || compression == kBiPng || (os2 && compression == kBiBitfields))
        throw fail("compressed BMP files are not supported");
    if ((compression != kBiRgb && !bitfields && !rle) || (compression == kBiRle8 && bits != 8) ||
        (compression == kBiRle4 && bits != 4))
        throw fail("unsupported BMP compression " + std::to_string(compression));

    if (!(bits == 1 || bits == 2 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
        throw fail("unsupported bit count " + std::to_string(bits));
    if (bitfields && bits != 16 && bits != 32) throw fail("bad BMP colour masks");

    const bool topDown = height < 0;
    if (topDown) height = -height; // an int64 holds the negation of every int32
    // A picture without pixels is refused like a negative width: nothing can address it.
    if (width <= 0 || height == 0 || (topDown && rle)) throw fail("bad BMP dimensions");
    if (width * height > std::numeric_limits<std::int32_t>::max()) throw fail("image too large");

    // Colour masks live inside the larger headers, or in 12 (16 with alpha) bytes after the 40-byte one.
    std::uint64_t tableStart = kFileHeaderSize + headerSize;
    std::uint32_t masks[3] = {0, 0, 0};
    if (bitfields) {
        const std::uint8_t* m = h + 40;
        if (headerSize == 40) {
            std::uint64_t maskBytes = compression == kBiAlphaBitfields ? 16 : 12;
            if (tableStart + maskBytes > size) throw fail("truncated BMP file");
            m = bytes + tableStart;
            tableStart += maskBytes;
        }
        for (int i = 0; i < 3; ++i)
            masks[i] = ReadU32LE(m + 4 * i);
        bool tooWide = bits == 16 && ((masks[0] | masks[1] | masks[2]) >> 16) != 0;
        if ((masks[0] | masks[1] | masks[2]) == 0 || tooWide || !MasksAreSound(masks))
            throw fail("bad BMP colour masks");
    } else if (bits == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    }

    if (offBits < tableStart) throw fail("bad pixel data offset");
    const std::uint64_t pixelStart = offBits;
    if (pixelStart > size) throw fail("truncated BMP file");

    Layout l;
    l.Width = width;
    l.Height = height;
    l.TopDown = topDown;
    l.Bits = bits;
    l.Stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
    l.Pixels = bytes + pixelStart;
    const std::uint64_t rowBytes = (static_cast<std::uint64_t>(width) * bits + 7) / 8;
    // The last stored row may lack its padding; every byte that is read must be in the file.
    if (!rle && width > 0 && height > 0 &&
        pixelStart + l.Stride * static_cast<std::uint64_t>(height - 1) + rowBytes > size)
        throw fail("truncated BMP file");
    // Runs code at most 255 pixels in two bytes; a picture far larger than its coded data would
    // be mostly skipped pixels, and is not worth an allocation the file cannot justify.
    const std::uint64_t codedBytes = size - pixelStart;
    if (rle && static_cast<std::uint64_t>(width * height) > std::max<std::uint64_t>(65536, codedBytes * 256))
        throw fail("truncated BMP file");
    // Run-length codes can still claim far more than any picture the workbench handles.
    if (!IsDecodablePictureSize(width, height)) throw fail("image too large");

    GrayRaster raster;
    raster.Width = static_cast<std::int32_t>(width);
    raster.Height = static_cast<std::int32_t>(height);
    raster.Pixels.resize(static_cast<std::size_t>(width * height));
    std::uint8_t* out = raster.Pixels.data();

    if (bits <= 8) {
        const std::uint64_t entry = core ? 3 : 4;
        std::uint64_t count = 1u << bits;
        if (colorsUsed != 0 && colorsUsed < count) count = colorsUsed;
        const std::uint64_t room = (pixelStart - tableStart) / entry;
        if (count > room) count = room;
        std::array<std::uint8_t, 256> gray{};
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint8_t* e = bytes + tableStart + i * entry;
            gray[i] = GrayOfRgb(e[2], e[1], e[0]);
        }
        if (rle)
            DecodeRunLength(l, codedBytes, gray, static_cast<unsigned>(count), out, fileName);
        else
            DecodePalette(l, gray, static_cast<unsigned>(count), out, fileName);
    } else if (bits == 24) {
        DecodeBgr<3>(l, out);
    } else if (bits == 16) {
        Decode16(l, Channel(masks[0]), Channel(masks[1]), Channel(masks[2]), out);
    } else if (masks[0] == 0xFF0000 && masks[1] == 0x00FF00 && masks[2] == 0x0000FF) {
        DecodeBgr<4>(l, out);
    } else {
        Decode32Masked(l, Channel(masks[0]), Channel(masks[1]), Channel(masks[2]), out);
    }
    return raster;
}

} // namespace

GrayRaster DecodeBmpGray(const std::uint8_t* bytes, std::size_t size, const std::string& fileName) {
    return AllocateForReader(fileName, [&] { return DecodeBmp(bytes, size, fileName); });
}

std::uint64_t GrayBmpFileSize(std::int32_t width, std::int32_t height) {
    if (width < 0 || height < 0) throw CorvaneError("a BMP file can not hold a negative size");
    std::uint64_t stride = (static_cast<std::uint64_t>(width) * 3 + 3) / 4 * 4;
    std::uint64_t total = 54 + stride * static_cast<std::uint64_t>(height);
    if (total > std::numeric_limits<std::uint32_t>::max())
        throw CorvaneError("the image is too large for a BMP file");
    return total;
}

namespace {

/// Writes the 24-bit BMP header and the rows, bottom row first; fillRow(y, row) puts row y of
/// the picture as B, G, R triples into a zero-padded row buffer.
template <typename FillRow>
bool WriteBmp24(std::FILE* file, std::int32_t width, std::int32_t height, FillRow fillRow) {
    const std::uint64_t total = GrayBmpFileSize(width, height);
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::uint8_t header[54] = {};
    header[0] = 'B';
    header[1] = 'M';
    WriteU32LE(header + 2, static_cast<std::uint32_t>(total));
    WriteU32LE(header + 10, 54);
    WriteU32LE(header + 14, 40);
    WriteU32LE(header + 18, static_cast<std::uint32_t>(width));
    WriteU32LE(header + 22, static_cast<std::uint32_t>(height));
    WriteU16LE(header + 26, 1);
    WriteU16LE(header + 28, 24);
    WriteU32LE(header + 34, static_cast<std::uint32_t>(total - 54));
    if (std::fwrite(header, 1, sizeof header, file) != sizeof header) return false;

    std::vector<std::uint8_t> row(stride, 0); // the padding bytes stay 0
    for (std::int32_t y = height - 1; y >= 0; --y) {
        fillRow(y, row.data());
        if (std::fwrite(row.data(), 1, stride, file) != stride) return false;
    }
    return true;
}

} // namespace

bool WriteGrayBmp(std::FILE* file, const std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
    return WriteBmp24(file, width, height, [&](std::int32_t y, std::uint8_t* dst) {
        const std::uint8_t* src = pixels + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        for (std::int32_t x = 0; x < width; ++x, dst += 3)
            dst[0] = dst[1] = dst[2] = src[x];
    });
}

bool WriteRgbBmp(std::FILE* file, const std::uint8_t* rgb, std::size_t rowStride, std::int32_t width,
                 std::int32_t height) {
    return WriteBmp24(file, width, height, [&](std::int32_t y, std::uint8_t* dst) {
        const std::uint8_t* src = rgb + static_cast<std::size_t>(y) * rowStride;
        for (std::int32_t x = 0; x < width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    });
}

} // namespace corvane
