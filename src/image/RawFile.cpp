#include "image/RawFile.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/ImageSize.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace corvane {

std::unique_ptr<std::uint8_t[]> ReadRawFile(const std::string& fileName, std::int32_t header,
                                            std::int32_t width, std::int32_t height) {
    if (header < 0) throw CorvaneError(fileName + ": bad RAW header size " + std::to_string(header));
    const std::int64_t size = CheckedPixelCount(width, height);
    if (size < 0) throw CorvaneError(fileName + ": bad RAW image size " + SizeText(width, height));
    std::unique_ptr<std::uint8_t[]> buffer;
    if (size > 0) buffer = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
    const std::size_t got = ReadFileAt(fileName, static_cast<std::uint64_t>(header), buffer.get(),
                                       static_cast<std::size_t>(size), fileName + ": can not open the file");
    // A file shorter than the description leaves its missing pixels black.
    if (got < static_cast<std::size_t>(size))
        std::memset(buffer.get() + got, 0, static_cast<std::size_t>(size) - got);
    return buffer;
}

void WriteRawFile(const std::string& fileName, std::int32_t header, const std::uint8_t* pixels,
                  std::size_t count) {
    WriteFileAtomically(
        fileName,
        [&](std::FILE* f) {
            if (header > 0) {
                std::vector<char> fill(static_cast<std::size_t>(std::min<std::int32_t>(header, 1 << 16)),
                                       'F');
                for (std::int32_t left = header; left > 0;) {
                    std::size_t n = static_cast<std::size_t>(std::min<std::int32_t>(left, 1 << 16));
                    if (std::fwrite(fill.data(), 1, n, f) != n) return false;
                    left -= static_cast<std::int32_t>(n);
                }
            }
            return count == 0 || std::fwrite(pixels, 1, count, f) == count;
        },
        fileName + ": can not write the file");
}

} // namespace corvane
