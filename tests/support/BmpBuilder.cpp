#include "support/BmpBuilder.h"

#include <cstdlib>

namespace corvane::test {

void AppendLittleEndian(std::string& s, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void Put32At(std::string& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::vector<std::uint32_t> GreyAsRgb(const std::vector<std::uint8_t>& grey) {
    std::vector<std::uint32_t> rgb;
    for (std::uint8_t v : grey)
        rgb.push_back(v * 0x010101u);
    return rgb;
}

std::string BuildBmp(const BmpLayout& layout) {
    const bool core = layout.HeaderSize == 12;
    const int side = core ? 2 : 4; // bytes of width and height
    std::string info;
    AppendLittleEndian(info, layout.HeaderSize, 4);
    AppendLittleEndian(info, static_cast<std::uint32_t>(layout.Width), side);
    AppendLittleEndian(info, static_cast<std::uint32_t>(layout.Height), side);
    AppendLittleEndian(info, 1, 2);
    AppendLittleEndian(info, layout.Bits, 2);
    if (!core) {
        // Compression, image size (which readers may not trust), 72 dpi twice, colours, important.
        for (std::uint32_t v : {layout.Compression, 0u, 2835u, 2835u, layout.ColorsUsed, 0u})
            AppendLittleEndian(info, v, 4);
        if (layout.HeaderSize >= 52)
            for (std::uint32_t m : layout.Masks)
                AppendLittleEndian(info, m, 4);
        info.resize(layout.HeaderSize, '\0'); // alpha mask, colour space and profile fields stay empty
    }
    if (layout.MasksAfterHeader)
        for (std::uint32_t m : layout.Masks)
            AppendLittleEndian(info, m, 4);
    for (std::uint32_t c : layout.Palette)
        AppendLittleEndian(info, c, core ? 3 : 4);

    const std::int64_t width = layout.Width;
    const std::int64_t rows = std::llabs(layout.Height);
    const std::int64_t rowBits = width * layout.Bits;
    const std::size_t stride = static_cast<std::size_t>((rowBits + 31) / 32 * 4);
    std::string pixels = layout.PixelBytes;
    for (std::int64_t stored = 0; layout.PixelBytes.empty() && stored < rows; ++stored) {
        const std::int64_t y = layout.Height < 0 ? stored : rows - 1 - stored;
        std::string row;
        std::uint64_t bits = 0; // pixels of fewer than 8 bits packed from the high end
        int pending = 0;
        for (std::int64_t x = 0; x < width; ++x) {
            const std::uint32_t v = layout.Pixels.at(static_cast<std::size_t>(y * width + x));
            if (layout.Bits >= 8) {
                AppendLittleEndian(row, v, layout.Bits / 8);
                continue;
            }
            bits = bits << layout.Bits | v;
            if ((pending += layout.Bits) == 8)
                AppendLittleEndian(row, static_cast<std::uint32_t>(bits), 1), bits = 0, pending = 0;
        }
        if (pending > 0) AppendLittleEndian(row, static_cast<std::uint32_t>(bits << (8 - pending)), 1);
        row.resize(stride, static_cast<char>(layout.PaddingByte));
        pixels += row;
    }

    std::string file = "BM";
    const std::uint32_t offset = static_cast<std::uint32_t>(14 + info.size());
    AppendLittleEndian(file, static_cast<std::uint32_t>(offset + pixels.size()), 4);
    AppendLittleEndian(file, 0, 4);
    AppendLittleEndian(file, offset, 4);
    return file + info + pixels;
}

} // namespace corvane::test
