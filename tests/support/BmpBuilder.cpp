#include "support/BmpBuilder.h"

#include <cstdlib>

namespace corvane::test {

namespace {

void Append16(std::string& s, std::uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Append32(std::string& s, std::uint32_t v) {
    Append16(s, v);
    Append16(s, v >> 16);
}

} // namespace

void Put16At(std::string& bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

void Put32At(std::string& bytes, std::size_t offset, std::uint32_t value) {
    Put16At(bytes, offset, static_cast<std::uint16_t>(value & 0xFFFF));
    Put16At(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

std::vector<std::uint32_t> GreyAsRgb(const std::vector<std::uint8_t>& grey) {
    std::vector<std::uint32_t> rgb;
    for (std::uint8_t v : grey) rgb.push_back(v * 0x010101u);
    return rgb;
}

std::string BuildBmp(const BmpSpec& spec) {
    const bool core = spec.HeaderSize == 12;
    std::string info;
    if (core) {
        Append32(info, 12);
        Append16(info, static_cast<std::uint32_t>(spec.Width));
        Append16(info, static_cast<std::uint32_t>(spec.Height));
        Append16(info, 1);
        Append16(info, spec.Bits);
    } else {
        Append32(info, spec.HeaderSize);
        Append32(info, static_cast<std::uint32_t>(spec.Width));
        Append32(info, static_cast<std::uint32_t>(spec.Height));
        Append16(info, 1);
        Append16(info, spec.Bits);
        Append32(info, spec.Compression);
        Append32(info, 0);    // image size, which readers may not trust
        Append32(info, 2835); // 72 dpi
        Append32(info, 2835);
        Append32(info, spec.ColorsUsed);
        Append32(info, 0);
        if (spec.HeaderSize >= 52)
            for (std::uint32_t m : spec.Masks) Append32(info, m);
        if (spec.HeaderSize >= 56) Append32(info, 0); // alpha mask
        info.resize(spec.HeaderSize, '\0');            // colour space and profile fields stay empty
    }
    if (spec.MasksAfterHeader)
        for (std::uint32_t m : spec.Masks) Append32(info, m);
    for (std::uint32_t c : spec.Palette) {
        info.push_back(static_cast<char>(c & 0xFF));
        info.push_back(static_cast<char>((c >> 8) & 0xFF));
        info.push_back(static_cast<char>((c >> 16) & 0xFF));
        if (!core) info.push_back('\0');
    }

    const std::int64_t width = spec.Width;
    const std::int64_t rows = std::llabs(spec.Height);
    const std::int64_t rowBits = width * spec.Bits;
    const std::size_t stride = static_cast<std::size_t>((rowBits + 31) / 32 * 4);
    const std::size_t used = static_cast<std::size_t>((rowBits + 7) / 8);
    std::string pixels = spec.PixelBytes;
    for (std::int64_t stored = 0; spec.PixelBytes.empty() && stored < rows; ++stored) {
        const std::int64_t y = spec.Height < 0 ? stored : rows - 1 - stored;
        std::string row(stride, static_cast<char>(spec.PaddingByte));
        for (std::size_t i = 0; i < used; ++i) row[i] = '\0';
        for (std::int64_t x = 0; x < width; ++x) {
            const std::uint32_t v = spec.Pixels.at(static_cast<std::size_t>(y * width + x));
            switch (spec.Bits) {
            case 32: Put32At(row, static_cast<std::size_t>(x * 4), v); break;
            case 24:
                row[static_cast<std::size_t>(x * 3)] = static_cast<char>(v & 0xFF);
                row[static_cast<std::size_t>(x * 3 + 1)] = static_cast<char>((v >> 8) & 0xFF);
                row[static_cast<std::size_t>(x * 3 + 2)] = static_cast<char>((v >> 16) & 0xFF);
                break;
            case 16: Put16At(row, static_cast<std::size_t>(x * 2), static_cast<std::uint16_t>(v)); break;
            default: {
                const std::int64_t bit = x * spec.Bits;
                const int shift = 8 - spec.Bits - static_cast<int>(bit % 8);
                row[static_cast<std::size_t>(bit / 8)] =
                    static_cast<char>(static_cast<unsigned char>(row[static_cast<std::size_t>(bit / 8)]) | (v << shift));
            }
            }
        }
        pixels += row;
    }

    std::string file = "BM";
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size());
    Append32(file, static_cast<std::uint32_t>(offset + pixels.size()));
    Append32(file, 0);
    Append32(file, offset);
    return file + info + pixels;
}

} // namespace corvane::test
