#include "image/FltFile.h"

#include "image/ByteOrder.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/ImageSize.h"
#include "image/PictureFile.h"

#include <cstdio>
#include <cstring>

namespace corvane {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

/// The header of a file of fileSize bytes, checked: a decodable size, and the values it needs
/// present. The reader of files and the reader of bytes share it, so they refuse alike.
FltHeader CheckedHeader(const std::uint8_t* header, std::uint64_t fileSize, const std::string& fileName) {
    FltHeader h;
    h.Width = ReadI32LE(header);
    h.Height = ReadI32LE(header + 4);
    const std::string sizeText = SizeText(h.Width, h.Height);
    const bool decodable = IsDecodablePictureSize(h.Width, h.Height);
    const std::uint64_t needed =
        decodable ? static_cast<std::uint64_t>(h.Width) * static_cast<std::uint64_t>(h.Height) * sizeof(float)
                  : 0;
    // A picture opened as a float map is named for what it is, not by the size its first bytes
    // would make; a header that holds together is read whatever its first bytes look like.
    if (!decodable || fileSize - kFltHeaderSize < needed) {
        static constexpr const char* kPictureKinds[] = {"", "a BMP", "a TIFF", "a PNG"};
        if (const PictureFormat format = PictureFormatOf(header, kFltHeaderSize);
            format != PictureFormat::Unknown)
            throw CorvaneError(fileName + ": not an FLT file, it is " +
                               kPictureKinds[static_cast<int>(format)] + " picture (File > Open shows it)");
    }
    if (!decodable) throw CorvaneError(fileName + ": invalid float image size " + sizeText);
    if (fileSize - kFltHeaderSize < needed)
        throw CorvaneError(fileName + ": the file holds fewer values than a float image of " + sizeText);
    h.ScaleX = ReadF32LE(header + 8);
    h.ScaleY = ReadF32LE(header + 12);
    h.ValueScale = ReadF32LE(header + 16);
    std::memcpy(h.Reserved.data(), header + 20, h.Reserved.size());
    return h;
}

std::size_t ValueCount(const FltHeader& h) {
    return static_cast<std::size_t>(h.Width) * static_cast<std::size_t>(h.Height);
}

std::string ShortHeader(const std::string& fileName) {
    return fileName + ": not a float image, the file is shorter than its 30-byte header";
}

} // namespace

FltContent ReadFltFile(const std::string& fileName) {
    std::unique_ptr<std::FILE, FileCloser> file(FileExists(fileName) ? std::fopen(fileName.c_str(), "rb")
                                                                     : nullptr);
    if (!file) throw CorvaneError(fileName + ": can not open the file");

    std::uint8_t header[kFltHeaderSize];
    if (std::fread(header, 1, kFltHeaderSize, file.get()) != kFltHeaderSize)
        throw CorvaneError(ShortHeader(fileName));
    if (std::fseek(file.get(), 0, SEEK_END) != 0) throw CorvaneError(fileName + ": can not open the file");
    const long fileSize = std::ftell(file.get());
    if (fileSize < 0 || std::fseek(file.get(), static_cast<long>(kFltHeaderSize), SEEK_SET) != 0)
        throw CorvaneError(fileName + ": can not open the file");

    FltContent content;
    content.Header = CheckedHeader(header, static_cast<std::uint64_t>(fileSize), fileName);
    const std::size_t count = ValueCount(content.Header);
    content.Values =
        AllocateForReader(fileName, [&] { return std::make_unique_for_overwrite<float[]>(count); });
    if (std::fread(content.Values.get(), sizeof(float), count, file.get()) != count)
        throw CorvaneError(fileName + ": can not read the float values");
    FixFloatByteOrder(content.Values.get(), count);
    return content;
}

FltContent DecodeFlt(const std::uint8_t* bytes, std::size_t size, const std::string& fileName) {
    if (size < kFltHeaderSize) throw CorvaneError(ShortHeader(fileName));
    FltContent content;
    content.Header = CheckedHeader(bytes, size, fileName);
    const std::size_t count = ValueCount(content.Header);
    content.Values =
        AllocateForReader(fileName, [&] { return std::make_unique_for_overwrite<float[]>(count); });
    std::memcpy(content.Values.get(), bytes + kFltHeaderSize, count * sizeof(float));
    FixFloatByteOrder(content.Values.get(), count);
    return content;
}

std::vector<std::uint8_t> EncodeFlt(const FltHeader& header, const float* values) {
    const std::size_t count =
        static_cast<std::size_t>(header.Width) * static_cast<std::size_t>(header.Height);
    std::vector<std::uint8_t> bytes(kFltHeaderSize + count * sizeof(float));
    WriteU32LE(bytes.data(), static_cast<std::uint32_t>(header.Width));
    WriteU32LE(bytes.data() + 4, static_cast<std::uint32_t>(header.Height));
    WriteF32LE(bytes.data() + 8, header.ScaleX);
    WriteF32LE(bytes.data() + 12, header.ScaleY);
    WriteF32LE(bytes.data() + 16, header.ValueScale);
    std::memcpy(bytes.data() + 20, header.Reserved.data(), header.Reserved.size());
    if (count > 0) {
        std::memcpy(bytes.data() + kFltHeaderSize, values, count * sizeof(float));
        FixFloatByteOrder(bytes.data() + kFltHeaderSize, count);
    }
    return bytes;
}

void WriteFltFile(const std::string& fileName, const FltHeader& header, const float* values) {
    const std::vector<std::uint8_t> bytes = EncodeFlt(header, values);
    WriteFileAtomically(fileName, bytes.data(), bytes.size(), "Can not save the float image to " + fileName);
}

} // namespace corvane
