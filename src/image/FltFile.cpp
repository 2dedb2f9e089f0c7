#include "image/FltFile.h"

#include "image/ByteOrder.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace corvane {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

FltContent ReadFltFile(const std::string& fileName) {
    std::unique_ptr<std::FILE, FileCloser> file(FileExists(fileName) ? std::fopen(fileName.c_str(), "rb")
                                                                     : nullptr);
    if (!file) throw CorvaneError(fileName + ": can not open the file");

    std::uint8_t header[kFltHeaderSize];
    if (std::fread(header, 1, kFltHeaderSize, file.get()) != kFltHeaderSize)
        throw CorvaneError(fileName + ": not a float image, the file is shorter than its 30-byte header");
    const std::int32_t width = ReadI32LE(header);
    const std::int32_t height = ReadI32LE(header + 4);
    const std::string sizeText = std::to_string(width) + " x " + std::to_string(height);
    if (width < 0 || height < 0) throw CorvaneError(fileName + ": invalid float image size " + sizeText);
    const std::uint64_t count = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    // Pixels are addressed with 32-bit indices throughout the workbench.
    if (count > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) ||
        count > std::numeric_limits<std::size_t>::max() / sizeof(float))
        throw CorvaneError(fileName + ": invalid float image size " + sizeText);

    if (std::fseek(file.get(), 0, SEEK_END) != 0) throw CorvaneError(fileName + ": can not open the file");
    const long fileSize = std::ftell(file.get());
    if (fileSize < 0 || std::fseek(file.get(), static_cast<long>(kFltHeaderSize), SEEK_SET) != 0)
        throw CorvaneError(fileName + ": can not open the file");
    const std::uint64_t needed = count * sizeof(float);
    if (static_cast<std::uint64_t>(fileSize) - kFltHeaderSize < needed)
        throw CorvaneError(fileName + ": the file holds fewer values than a float image of " + sizeText);

    FltContent content;
    try {
        content.Values = std::make_unique_for_overwrite<float[]>(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        throw CorvaneError(fileName + ": not enough memory for a float image of " + sizeText);
    }
    if (count > 0 && std::fread(content.Values.get(), sizeof(float), static_cast<std::size_t>(count),
                                file.get()) != static_cast<std::size_t>(count))
        throw CorvaneError(fileName + ": can not read the float values");
    FixFloatByteOrder(content.Values.get(), static_cast<std::size_t>(count));

    FltHeader& h = content.Header;
    h.Width = width;
    h.Height = height;
    h.ScaleX = ReadF32LE(header + 8);
    h.ScaleY = ReadF32LE(header + 12);
    h.ValueScale = ReadF32LE(header + 16);
    std::memcpy(h.Reserved.data(), header + 20, h.Reserved.size());
    return content;
}

void WriteFltFile(const std::string& fileName, const FltHeader& header, const float* values) {
    const std::size_t count =
        static_cast<std::size_t>(header.Width) * static_cast<std::size_t>(header.Height);
    const std::size_t size = kFltHeaderSize + count * sizeof(float);
    auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    WriteU32LE(bytes.get(), static_cast<std::uint32_t>(header.Width));
    WriteU32LE(bytes.get() + 4, static_cast<std::uint32_t>(header.Height));
    WriteF32LE(bytes.get() + 8, header.ScaleX);
    WriteF32LE(bytes.get() + 12, header.ScaleY);
    WriteF32LE(bytes.get() + 16, header.ValueScale);
    std::memcpy(bytes.get() + 20, header.Reserved.data(), header.Reserved.size());
    if (count > 0) {
        std::memcpy(bytes.get() + kFltHeaderSize, values, count * sizeof(float));
        FixFloatByteOrder(bytes.get() + kFltHeaderSize, count);
    }
    WriteFileAtomically(fileName, bytes.get(), size, "Can not save the float image to " + fileName);
}

} // namespace corvane
