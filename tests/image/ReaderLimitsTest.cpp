// Sizes the RAW and float map readers refuse: pictures without pixels, sizes beyond the picture
// limit, and RAW descriptions far larger than their file.
#include "image/ByteOrder.h"
#include "image/FltFile.h"
#include "image/RawFile.h"
#include "image/TGrayImage.h"
#include "support/ErrorText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace corvane;
using test::ErrorText;

namespace {

/// An FLT header of width x height followed by count zero values.
std::string FltOf(std::int32_t width, std::int32_t height, std::size_t count) {
    std::string bytes(kFltHeaderSize + 4 * count, '\0');
    WriteU32LE(reinterpret_cast<std::uint8_t*>(bytes.data()), static_cast<std::uint32_t>(width));
    WriteU32LE(reinterpret_cast<std::uint8_t*>(bytes.data()) + 4, static_cast<std::uint32_t>(height));
    return bytes;
}

} // namespace

TEST(ReaderLimitsTest, RawDescriptionsFarLargerThanTheFileOrWithoutPixelsAreRefused) {
    test::TempDir dir;
    const std::string a = dir.File("a.raw");
    test::WriteFileBytes(a, std::string(34, '\x7F'));
    using Raw = TGrayImage::RawDescription;
    const std::string tooShort = a + ": the file is too short for a RAW picture of ";
    // A file may lack as many bytes as it holds, and at least 64 KiB: 34 + 65536 pixels read, one more not.
    EXPECT_EQ(TGrayImage(Raw{a, 0, 65570, 1}).GetPixel(33, 0), 0x7F);
    const std::pair<Raw, std::string> refused[] = {
        {{a, 0, 8192, 8192}, tooShort + "8192 x 8192 (34 bytes after a header of 0)"},
        {{a, 1000, 300, 300}, tooShort + "300 x 300 (0 bytes after a header of 1000)"},
        {{a, 0, 1, 65571}, tooShort + "1 x 65571 (34 bytes after a header of 0)"},
        {{a, 0, 151584768, 8}, a + ": bad RAW image size 151584768 x 8"},
        {{a, 0, 0, 5}, a + ": bad RAW image size 0 x 5"},
        {{a, 0, 7, 0}, a + ": bad RAW image size 7 x 0"},
        {{a, 0, -3, 2}, a + ": bad RAW image size -3 x 2"},
        {{a, 0, 70000, 70000}, a + ": bad RAW image size 70000 x 70000"},
        {{a, -1, 2, 2}, a + ": bad RAW header size -1"},
    };
    for (const auto& [raw, message] : refused)
        EXPECT_EQ(ErrorText([&] { TGrayImage{raw}; }), message);
    // The bytes in memory are checked alike.
    EXPECT_EQ(ErrorText([&] { DecodeRaw(nullptr, 0, "m.raw", 0, 1, 65537); }),
              "m.raw: the file is too short for a RAW picture of 1 x 65537 (0 bytes after a header of 0)");
}

TEST(ReaderLimitsTest, FloatMapsWithoutValuesOrBeyondThePictureLimitAreRefused) {
    test::TempDir dir;
    const std::string name = dir.File("m.flt");
    for (const auto& [width, height] :
         std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 3}, {2, 0}, {32768, 32769}}) {
        test::WriteFileBytes(name, FltOf(width, height, 6));
        EXPECT_EQ(ErrorText([&] { ReadFltFile(name); }), name + ": invalid float image size " +
                                                             std::to_string(width) + " x " +
                                                             std::to_string(height));
    }
    test::WriteFileBytes(name, FltOf(3, 2, 6));
    EXPECT_EQ(ReadFltFile(name).Header.Width, 3);
}
