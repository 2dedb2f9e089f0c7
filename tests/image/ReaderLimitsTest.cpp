// Sizes every reader refuses: pictures without pixels, sizes that do not fit the picture limit,
// colour masks that describe no layout, and RAW descriptions far larger than their file.
#include "image/BmpFile.h"
#include "image/ByteOrder.h"
#include "image/FltFile.h"
#include "image/RawFile.h"
#include "image/TGrayImage.h"
#include "support/BmpBuilder.h"
#include "support/ErrorText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace corvane;
using test::BmpLayout;
using test::BuildBmp;
using test::ErrorText;
namespace field = test::bmpfield;

namespace {

std::string DecodeError(const std::string& bytes) {
    return ErrorText(
        [&] { DecodeBmpGray(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "bad.bmp"); });
}

std::string With32(std::string bytes, std::size_t at, std::uint32_t v) {
    return test::Put32At(bytes, at, v), bytes;
}

/// An FLT header of width x height followed by count zero values.
std::string FltOf(std::int32_t width, std::int32_t height, std::size_t count) {
    std::string bytes(kFltHeaderSize + 4 * count, '\0');
    WriteU32LE(reinterpret_cast<std::uint8_t*>(bytes.data()), static_cast<std::uint32_t>(width));
    WriteU32LE(reinterpret_cast<std::uint8_t*>(bytes.data()) + 4, static_cast<std::uint32_t>(height));
    return bytes;
}

} // namespace

TEST(ReaderLimitsTest, BmpPicturesWithoutPixelsAreRefused) {
    const std::string rgb =
        BuildBmp({.Width = 3, .Height = 2, .Pixels = test::GreyAsRgb({1, 2, 3, 4, 5, 6})});
    // Width 0 and top-down height -2^31 once loaded as a 0 x -2147483648 picture.
    EXPECT_EQ(DecodeError(With32(With32(rgb, field::kWidth, 0), field::kHeight, 0x80000000)),
              "bad.bmp: bad BMP dimensions");
    EXPECT_EQ(DecodeError(With32(rgb, field::kWidth, 0)), "bad.bmp: bad BMP dimensions");
    EXPECT_EQ(DecodeError(With32(rgb, field::kHeight, 0)), "bad.bmp: bad BMP dimensions");
    // Run-length codes enough for 32768 x 32769 pixels, one more row than the picture limit.
    const std::string codes(std::size_t{32768} * 32769 / 256 + 2, '\0');
    EXPECT_EQ(DecodeError(BuildBmp({.Width = 32768,
                                    .Height = 32769,
                                    .Bits = 8,
                                    .Compression = 1,
                                    .Palette = {0, 0xFFFFFF},
                                    .PixelBytes = codes})),
              "bad.bmp: image too large");
}

TEST(ReaderLimitsTest, BmpColourMasksMustBeSeparateRunsOfBits) {
    auto masked = [](std::uint16_t bits, std::array<std::uint32_t, 3> masks) {
        return BuildBmp({.Width = 2,
                         .Height = 1,
                         .Bits = bits,
                         .Compression = 3,
                         .Masks = masks,
                         .MasksAfterHeader = true,
                         .Pixels = {0xFFFFFFFFu >> (32 - bits), 0}});
    };
    for (const auto& [bits, masks] : std::vector<std::pair<std::uint16_t, std::array<std::uint32_t, 3>>>{
             {16, {0xF800, 0x0FE0, 0x001F}},             // red and green share bit 11
             {16, {0xF00F, 0x07E0, 0x0010}},             // red has a gap
             {32, {0xFF0000FF, 0x00FF0000, 0x0000FF00}}, // red wraps around
         })
        EXPECT_EQ(DecodeError(masked(bits, masks)), "bad.bmp: bad BMP colour masks") << std::hex << masks[0];
    // One mask of all 32 bits is a single run: white in red only is a third of white.
    const std::string allRed = masked(32, {0xFFFFFFFF, 0, 0});
    EXPECT_EQ(
        DecodeBmpGray(reinterpret_cast<const std::uint8_t*>(allRed.data()), allRed.size(), "red.bmp").Pixels,
        (std::vector<std::uint8_t>{85, 0}));
}

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
