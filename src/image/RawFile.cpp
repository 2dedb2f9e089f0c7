#include "image/RawFile.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/ImageSize.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace corvane {

namespace {

/// How much a RAW file may fall short of its description and still be read, its missing pixels
/// black: as many bytes as it holds after the header, and at least this many. A description far
/// larger than the file is a wrong size typed in the dialog, not a file with a lost tail.
constexpr std::uint64_t kRawShortfallAllowance = std::uint64_t{1} << 16;

/// The pixel count of a RAW description checked against a file of fileSize bytes.
std::size_t CheckedRawSize(const std::string& fileName, std::int32_t header, std::int32_t width,
                           std::int32_t height, std::uint64_t fileSize) {
    if (header < 0) throw CorvaneError(fileName + ": bad RAW header size " + std::to_string(header));
    if (!IsDecodablePictureSize(width, height))
        throw CorvaneError(fileName + ": bad RAW image size " + SizeText(width, height));
    const std::uint64_t size = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    const std::uint64_t start = static_cast<std::uint64_t>(header);
    const std::uint64_t available = fileSize > start ? fileSize - start : 0;
    if (size > available && size - available > std::max(available, kRawShortfallAllowance))
        throw CorvaneError(fileName + ": the file is too short for a RAW picture of " +
                           SizeText(width, height) + " (" + std::to_string(available) +
                           " bytes after a header of " + std::to_string(header) + ")");
    return static_cast<std::size_t>(size);
}

std::unique_ptr<std::uint8_t[]> PixelBuffer(const std::string& fileName, std::size_t size) {
    return AllocateForReader(fileName, [&] { return std::make_unique_for_overwrite<std::uint8_t[]>(size); });
}

} // namespace

std::unique_ptr<std::uint8_t[]> ReadRawFile(const std::string& fileName, std::int32_t header,
                                            std::int32_t width, std::int32_t height) {
    const std::string openError = fileName + ": can not open the file";
    // The description is checked before the file is looked at, so a bad size says so even when
    // the file is missing.
    CheckedRawSize(fileName, header, width, height, std::numeric_limits<std::uint64_t>::max());
    if (!FileExists(fileName)) throw CorvaneError(openError);
    const std::size_t size = CheckedRawSize(fileName, header, width, height, FileSizeOf(fileName));
    std::unique_ptr<std::uint8_t[]> buffer = PixelBuffer(fileName, size);
    const std::size_t got =
        ReadFileAt(fileName, static_cast<std::uint64_t>(header), buffer.get(), size, openError);
    std::memset(buffer.get() + got, 0, size - got); // pixels past the end of the file are black
    return buffer;
}

std::unique_ptr<std::uint8_t[]> DecodeRaw(const std::uint8_t* bytes, std::size_t size,
                                          const std::string& fileName, std::int32_t header,
                                          std::int32_t width, std::int32_t height) {
    const std::size_t count = CheckedRawSize(fileName, header, width, height, size);
    std::unique_ptr<std::uint8_t[]> buffer = PixelBuffer(fileName, count);
    const std::size_t start = std::min(size, static_cast<std::size_t>(header));
    const std::size_t got = std::min(count, size - start);
    if (got > 0) std::memcpy(buffer.get(), bytes + start, got);
    std::memset(buffer.get() + got, 0, count - got);
    return buffer;
}

bool WriteRaw(std::FILE* file, std::int32_t header, const std::uint8_t* pixels, std::size_t count) {
    if (header > 0) {
        std::vector<char> fill(static_cast<std::size_t>(std::min<std::int32_t>(header, 1 << 16)), 'F');
        for (std::int32_t left = header; left > 0;) {
            std::size_t n = static_cast<std::size_t>(std::min<std::int32_t>(left, 1 << 16));
            if (std::fwrite(fill.data(), 1, n, file) != n) return false;
            left -= static_cast<std::int32_t>(n);
        }
    }
    return count == 0 || std::fwrite(pixels, 1, count, file) == count;
}

void WriteRawFile(const std::string& fileName, std::int32_t header, const std::uint8_t* pixels,
                  std::size_t count) {
    WriteFileAtomically(
        fileName, [&](std::FILE* f) { return WriteRaw(f, header, pixels, count); },
        fileName + ": can not write the file");
}

} // namespace corvane
