#include "support/TiffPngPictures.h"

#include <png.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace corvane::test {

void WriteTiffPicture(const std::string& fileName, const SamplePicture& p, const TiffLayout& layout) {
    TIFF* tif = TIFFOpen(fileName.c_str(), "w");
    if (!tif) throw std::runtime_error("cannot create " + fileName);
    const int bytes = p.Bits / 8;
    for (int page = 0; page < layout.Pages; ++page) {
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(p.Width));
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(p.Height));
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<std::uint16_t>(p.Bits));
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<std::uint16_t>(p.Channels));
        TIFFSetField(tif, TIFFTAG_COMPRESSION, static_cast<std::uint16_t>(layout.Compression));
        const std::uint16_t photometric = p.Channels == 3     ? PHOTOMETRIC_RGB
                                          : layout.MinIsWhite ? PHOTOMETRIC_MINISWHITE
                                                              : PHOTOMETRIC_MINISBLACK;
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, layout.Planar ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
        if (layout.Pages > 1) TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        const int planes = layout.Planar ? p.Channels : 1;
        const int perPixel = layout.Planar ? 1 : p.Channels;
        auto sampleAt = [&](int x, int y, int plane, int c) -> std::uint16_t {
            const std::uint16_t v =
                p.Samples[(static_cast<std::size_t>(y) * p.Width + x) * p.Channels + plane + c];
            return page == 0 ? v : static_cast<std::uint16_t>((p.Bits == 8 ? 255 : 65535) - v);
        };
        // Samples in the machine's byte order, as libtiff takes them (the low byte of an 8-bit one).
        auto put = [&](std::vector<std::uint8_t>& buf, std::size_t index, std::uint16_t v) {
            std::memcpy(buf.data() + index * bytes, &v, static_cast<std::size_t>(bytes));
        };
        if (layout.Tiled) {
            const int t = 16;
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, t);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, t);
            std::vector<std::uint8_t> tile(static_cast<std::size_t>(t * t * perPixel * bytes));
            for (int plane = 0; plane < planes; ++plane)
                for (int y0 = 0; y0 < p.Height; y0 += t)
                    for (int x0 = 0; x0 < p.Width; x0 += t) {
                        std::fill(tile.begin(), tile.end(), 0);
                        for (int y = y0; y < std::min(y0 + t, p.Height); ++y)
                            for (int x = x0; x < std::min(x0 + t, p.Width); ++x)
                                for (int c = 0; c < perPixel; ++c)
                                    put(tile,
                                        static_cast<std::size_t>(((y - y0) * t + x - x0) * perPixel + c),
                                        sampleAt(x, y, plane, c));
                        TIFFWriteTile(tif, tile.data(), static_cast<std::uint32_t>(x0),
                                      static_cast<std::uint32_t>(y0), 0, static_cast<std::uint16_t>(plane));
                    }
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, static_cast<std::uint32_t>(layout.RowsPerStrip));
            std::vector<std::uint8_t> row(static_cast<std::size_t>(p.Width * perPixel * bytes));
            for (int plane = 0; plane < planes; ++plane)
                for (int y = 0; y < p.Height; ++y) {
                    for (int x = 0; x < p.Width; ++x)
                        for (int c = 0; c < perPixel; ++c)
                            put(row, static_cast<std::size_t>(x * perPixel + c), sampleAt(x, y, plane, c));
                    if (TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y),
                                          static_cast<std::uint16_t>(plane)) < 0)
                        throw std::runtime_error("cannot write " + fileName);
                }
        }
        TIFFWriteDirectory(tif);
    }
    TIFFClose(tif);
}

void WritePngPicture(const std::string& fileName, const SamplePicture& p, bool interlaced) {
    std::FILE* f = std::fopen(fileName.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + fileName);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(p.Width), static_cast<png_uint_32>(p.Height), p.Bits,
                 p.Channels == 3 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // PNG stores 16-bit samples most significant byte first.
    const std::size_t rowBytes = (static_cast<std::size_t>(p.Width) * p.Channels * p.Bits + 7) / 8;
    std::vector<std::uint8_t> image(rowBytes * p.Height);
    for (std::size_t i = 0; i < p.Samples.size(); ++i) {
        if (p.Bits == 1) {
            const std::size_t x = i % p.Width, y = i / p.Width;
            if (p.Samples[i]) image[y * rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        } else if (p.Bits == 8) {
            image[i] = static_cast<std::uint8_t>(p.Samples[i]);
        } else {
            image[2 * i] = static_cast<std::uint8_t>(p.Samples[i] >> 8);
            image[2 * i + 1] = static_cast<std::uint8_t>(p.Samples[i] & 0xff);
        }
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(p.Height));
    for (int y = 0; y < p.Height; ++y)
        rows[static_cast<std::size_t>(y)] = image.data() + rowBytes * static_cast<std::size_t>(y);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

} // namespace corvane::test
