#include "support/HandMadePictures.h"
#include "support/BmpBuilder.h"

#include <algorithm>

namespace corvane::test {

namespace {

void PutBig32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xFF);
}

std::uint32_t Crc32(const std::string& bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

} // namespace

std::string BuildTiff(std::vector<TiffField> fields, const std::string& data) {
    std::sort(fields.begin(), fields.end(),
              [](const TiffField& a, const TiffField& b) { return a.Tag < b.Tag; });
    std::string out("II*\0", 4);
    const std::uint32_t directory = static_cast<std::uint32_t>(8 + data.size() + data.size() % 2);
    AppendLittleEndian(out, directory, 4);
    out += data;
    out.resize(directory, '\0');
    std::uint32_t extra = directory + 2 + 12 * static_cast<std::uint32_t>(fields.size()) + 4;
    std::string overflow;
    AppendLittleEndian(out, static_cast<std::uint32_t>(fields.size()), 2);
    for (const TiffField& f : fields) {
        AppendLittleEndian(out, f.Tag, 2);
        AppendLittleEndian(out, f.Type, 2);
        AppendLittleEndian(out, static_cast<std::uint32_t>(f.Values.size()), 4);
        std::string values;
        for (std::uint32_t v : f.Values)
            AppendLittleEndian(values, v, f.Type == 3 ? 2 : 4);
        if (values.size() <= 4) {
            values.resize(4, '\0');
            out += values;
        } else {
            AppendLittleEndian(out, extra + static_cast<std::uint32_t>(overflow.size()), 4);
            overflow += values;
        }
    }
    AppendLittleEndian(out, 0, 4);
    return out + overflow;
}

std::vector<TiffField> StripFields(std::uint32_t width, std::uint32_t height, std::uint16_t bits,
                                   std::uint16_t samples, std::uint32_t dataBytes) {
    return {{256, 4, {width}},  {257, 4, {height}},   {258, 3, std::vector<std::uint32_t>(samples, bits)},
            {259, 3, {1}},      {273, 4, {8}},        {277, 3, {samples}},
            {278, 4, {height}}, {279, 4, {dataBytes}}};
}

std::string PackedTiff(std::uint32_t width, std::uint32_t height, std::uint16_t bits, std::uint32_t tile,
                       const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& value,
                       const std::vector<TiffField>& extra) {
    const std::uint32_t blockWidth = tile ? tile : width, blockHeight = tile ? tile : height;
    const std::uint32_t rowBytes = (blockWidth * bits + 7) / 8;
    std::string data;
    std::vector<std::uint32_t> offsets, counts;
    for (std::uint32_t y0 = 0; y0 < height; y0 += blockHeight)
        for (std::uint32_t x0 = 0; x0 < width; x0 += blockWidth) {
            offsets.push_back(static_cast<std::uint32_t>(8 + data.size()));
            std::string block(static_cast<std::size_t>(rowBytes) * blockHeight, '\0');
            for (std::uint32_t y = y0; y < std::min(y0 + blockHeight, height); ++y)
                for (std::uint32_t x = x0; x < std::min(x0 + blockWidth, width); ++x) {
                    const std::size_t bit = static_cast<std::size_t>(x - x0) * bits;
                    block[(y - y0) * rowBytes + bit / 8] |=
                        static_cast<char>(value(x, y) << (8 - bits - bit % 8));
                }
            counts.push_back(static_cast<std::uint32_t>(block.size()));
            data += block;
        }
    std::vector<TiffField> fields = {{256, 4, {width}}, {257, 4, {height}}, {258, 3, {bits}}, {259, 3, {1}}};
    if (tile)
        fields.insert(fields.end(),
                      {{322, 4, {tile}}, {323, 4, {tile}}, {324, 4, offsets}, {325, 4, counts}});
    else
        fields.insert(fields.end(), {{273, 4, offsets}, {278, 4, {height}}, {279, 4, counts}});
    fields.insert(fields.end(), extra.begin(), extra.end());
    return BuildTiff(fields, data);
}

std::string PngChunk(const std::string& type, const std::string& data) {
    std::string out;
    PutBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::string body = type + data;
    out += body;
    PutBig32(out, Crc32(body));
    return out;
}

std::string PngStart(std::uint32_t width, std::uint32_t height, int bits, int colourType) {
    std::string header;
    PutBig32(header, width);
    PutBig32(header, height);
    header.append({static_cast<char>(bits), static_cast<char>(colourType), '\0', '\0', '\0'});
    return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header);
}

} // namespace corvane::test
