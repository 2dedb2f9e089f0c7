#include "support/HandMadePictures.h"

#include <algorithm>

namespace corvane::test {

namespace {

void Put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
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
    std::string out = "II*";
    out += '\0';
    const std::uint32_t directory = static_cast<std::uint32_t>(8 + data.size() + data.size() % 2);
    Put32(out, directory);
    out += data;
    out.resize(directory, '\0');
    std::uint32_t extra = directory + 2 + 12 * static_cast<std::uint32_t>(fields.size()) + 4;
    std::string overflow;
    Put16(out, static_cast<std::uint32_t>(fields.size()));
    for (const TiffField& f : fields) {
        Put16(out, f.Tag);
        Put16(out, f.Type);
        Put32(out, static_cast<std::uint32_t>(f.Values.size()));
        std::string values;
        for (std::uint32_t v : f.Values)
            f.Type == 3 ? Put16(values, v) : Put32(values, v);
        if (values.size() <= 4) {
            values.resize(4, '\0');
            out += values;
        } else {
            Put32(out, extra + static_cast<std::uint32_t>(overflow.size()));
            overflow += values;
        }
    }
    Put32(out, 0);
    return out + overflow;
}

std::vector<TiffField> StripFields(std::uint32_t width, std::uint32_t height, std::uint16_t bits,
                                   std::uint16_t samples, std::uint32_t dataBytes) {
    return {{256, 4, {width}},  {257, 4, {height}},   {258, 3, std::vector<std::uint32_t>(samples, bits)},
            {259, 3, {1}},      {273, 4, {8}},        {277, 3, {samples}},
            {278, 4, {height}}, {279, 4, {dataBytes}}};
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
    header += static_cast<char>(bits);
    header += static_cast<char>(colourType);
    header += std::string(3, '\0');
    return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header);
}

} // namespace corvane::test
