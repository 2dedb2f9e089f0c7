// Grey pictures in memory and in their own files: pixels, RAW and BMP reading and writing, the two
// filters, and what the BMP reader refuses.
#include "image/BmpFile.h"
#include "image/ByteOrder.h"
#include "image/CorvaneError.h"
#include "image/LargeBuffer.h"
#include "image/RawFile.h"
#include "image/TGrayImage.h"
#include "support/BmpBuilder.h"
#include "support/BubbleMedian.h"
#include "support/ErrorText.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <new>
#include <random>
#include <tuple>
#include <vector>

using namespace corvane;
using namespace test;
namespace field = test::bmpfield;
namespace fs = std::filesystem;
using Grey = std::vector<std::uint8_t>;
using Raw = TGrayImage::RawDescription;

TEST(TGrayImageTest, ConstructionsSizesAndPixelAccess) {
    EXPECT_EQ(TGrayImage().FileName, "MemoryPointer");
    TGrayImage owned(nullptr, 4, 3);
    EXPECT_EQ(std::pair(owned.FileName, test::Levels(owned)),
              std::pair(std::string("MemoryData.raw"), Grey(12, 0)));

    Grey buffer(6, 9);
    TGrayImage(buffer.data(), 3, 2).SetPixel(2, 1, 77); // the sanitizer build checks that the buffer stays
    EXPECT_EQ(buffer[5], 77);

    EXPECT_EQ(ErrorText([&] { owned.GetPixel(4, 0); }), "(4,0) not in the gray image");
    EXPECT_EQ(ErrorText([&] { owned.SetPixel(-1, 3, 5); }), "(-1,3) not in the gray image");
    EXPECT_EQ(ErrorText([] { TGrayImage(nullptr, 65536, 65536); }), "bad gray image size 65536 x 65536");

    owned.SetWidth(7);
    EXPECT_EQ(owned.Size, 21);
    owned.SetHeight(-2);
    EXPECT_EQ(std::pair(owned.Height, owned.Size), std::pair(0, 0));

    test::TempDir dir;
    const std::string missing = dir.File("none.bmp");
    EXPECT_EQ(ErrorText([&] { TGrayImage{missing}; }), missing + ": not exists");
    EXPECT_EQ(ErrorText([&] { TGrayImage(Raw{missing, 0, 4, 4}); }), missing + ": not exists");
    // SIZE_MAX / 4 floats are SIZE_MAX - 3 bytes, which round up past SIZE_MAX to a few bytes.
    for (const std::size_t count : {SIZE_MAX / 4, SIZE_MAX / 4 - 100, SIZE_MAX / 2})
        EXPECT_THROW(AllocateLargeFloats(count), std::bad_alloc) << count;
}

TEST(TGrayImageTest, RawFilesWithHeaderShortFilesAndRefusedDescriptions) {
    test::TempDir dir;
    const std::string a = dir.File("a.raw");
    Grey v = {1, 2, 3, 4, 5, 6};
    TGrayImage image(v.data(), 3, 2);
    image.SetHeader(4);
    image.SaveRaw(a);
    EXPECT_EQ(test::ReadFileBytes(a), std::string("FFFF\1\2\3\4\5\6", 10));
    EXPECT_EQ(test::Levels(TGrayImage(Raw{a, 4, 3, 2})), v);
    // Described larger than the file: the missing pixels are black.
    EXPECT_EQ(test::Levels(TGrayImage(Raw{a, 6, 3, 3})), (Grey{3, 4, 5, 6, 0, 0, 0, 0, 0}));
    EXPECT_EQ(test::Levels(TGrayImage(Raw{a, 1000, 2, 1})), (Grey{0, 0}));

    std::string square(512 * 512, '\0');
    for (std::size_t i = 0; i < square.size(); ++i)
        square[i] = static_cast<char>(i % 251);
    test::WriteFileBytes(dir.File("sq.raw"), square);
    EXPECT_EQ(TGrayImage(Raw{dir.File("sq.raw"), 0, 512, 512}).GetPixel(511, 511), (512 * 512 - 1) % 251);

    // Descriptions far larger than the file, or without pixels, are refused.
    test::WriteFileBytes(a, std::string(34, '\x7F'));
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

TEST(TGrayImageTest, FilesByExtension) {
    test::TempDir dir;
    Grey levels = {16, 128, 254, 254, 128, 16};
    TGrayImage image(levels.data(), 3, 2);
    image.SaveToFile(dir.File("UP.BMP")); // written as the 24-bit grey form
    EXPECT_EQ(test::ReadFileBytes(dir.File("UP.BMP"))[28], 24);
    EXPECT_EQ(test::Levels(TGrayImage(dir.File("UP.BMP"))), test::Levels(image));
    image.SaveToFile(dir.File("x.Raw"));
    EXPECT_EQ(test::ReadFileBytes(dir.File("x.Raw")), "\x10\x80\xFE\xFE\x80\x10");
    for (const char* name : {"p.png", "noext", "x.bmp.txt"}) {
        EXPECT_EQ(ErrorText([&] { image.SaveToFile(dir.File(name)); }), "only support raw and bmp files");
        EXPECT_FALSE(fs::exists(dir.File(name))) << name;
    }
}

TEST(TGrayImageTest, FailedLoadsAndSavesChangeNothing) {
    test::TempDir dir;
    std::string huge = test::BuildBmp({.Width = 2, .Height = 1, .Pixels = {0, 0}});
    test::Put32At(huge, test::bmpfield::kHeight, 30000);
    test::WriteFileBytes(dir.File("bad.bmp"), huge);
    TGrayImage loaded(nullptr, 2, 2);
    loaded.FillRect(42, 0, 0, 1, 1);
    const std::uint8_t* data = loaded.Data;
    EXPECT_THROW(loaded.LoadBmp(dir.File("bad.bmp")), CorvaneError);
    EXPECT_EQ(std::tuple(loaded.FileName, loaded.Width, loaded.Height, loaded.Data),
              std::tuple(std::string("MemoryData.raw"), 2, 2, data));
    EXPECT_EQ(test::Levels(loaded), Grey(4, 42));

    // The name is a folder, or in a missing folder: refused.
    TGrayImage image(nullptr, 2, 2);
    fs::create_directory(dir.File("pic.bmp"));
    EXPECT_EQ(ErrorText([&] { image.SaveToFile(dir.File("pic.bmp")); }),
              dir.File("pic.bmp") + ": can not write the file");
    EXPECT_EQ(ErrorText([&] { image.SaveRaw(dir.File("no/a.raw")); }),
              dir.File("no/a.raw") + ": can not write the file");
}

TEST(TGrayImageFilterTest, MedianMatchesTheBubbleReference) {
    std::mt19937 rng(1);
    for (unsigned levels : {2, 5, 256}) { // few levels give many ties
        for (auto [w, h] :
             {std::pair{1, 1}, {3, 3}, {4, 4}, {2, 6}, {7, 3}, {0, -2}, {11, 9}, {21, 1}, {40, 2}}) {
            const int width = 23, height = 17;
            Grey original(width * height);
            for (auto& p : original)
                p = static_cast<std::uint8_t>(rng() % levels * (255 / (levels - 1)));
            Grey v = original;
            TGrayImage(v.data(), width, height).MedianFilter(w, h);
            test::BubbleMedian(original, width, 0, 0, width - 1, height - 1, w, h);
            EXPECT_EQ(v, original) << w << " x " << h << ", levels " << levels;
        }
    }
}

TEST(TGrayImageFilterTest, AverageAlongRowsAndDownColumns) {
    // Length 2 is raised to 3; quotients are truncated (sums of 2 and 5 give 0 and 1, not 1 and 2).
    Grey v = {0, 1, 1, 3, 20, //
              9, 0, 0, 0, 9};
    TGrayImage(v.data(), 5, 2).AverageFilter(2, false);
    EXPECT_EQ(v, (Grey{0, 0, 1, 8, 20, 9, 3, 0, 3, 9}));

    Grey c = {0, 5, 1, 6, 1, 7, 3, 8, 250, 9}; // 2 x 5
    TGrayImage(c.data(), 2, 5).AverageFilter(3, true);
    EXPECT_EQ(c, (Grey{0, 5, 0, 6, 1, 7, 84, 8, 250, 9}));

    Grey w = {1, 2, 3};
    TGrayImage narrow(w.data(), 3, 1);
    narrow.AverageFilter(5, false), narrow.AverageFilter(3, true); // longer than the line: nothing changes
    EXPECT_EQ(w, (Grey{1, 2, 3}));
}

namespace {

GrayRaster Decode(const std::string& bytes) {
    return DecodeBmpGray(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "bad.bmp");
}

std::string DecodeError(const std::string& bytes) {
    return test::ErrorText([&] { Decode(bytes); });
}

std::vector<std::uint32_t> GreyRamp(unsigned n, unsigned step) {
    std::vector<std::uint32_t> palette;
    for (unsigned i = 0; i < n; ++i)
        palette.push_back((i * step & 0xFF) * 0x010101u);
    return palette;
}

/// A layout whose colours are given by masks: after a 40-byte header, or inside a larger one.
BmpLayout Masked(std::int32_t width, std::int32_t height, std::uint16_t bits,
                 std::array<std::uint32_t, 3> masks, std::vector<std::uint32_t> pixels,
                 std::uint32_t header = 40) {
    BmpLayout l{.Width = width, .Height = height, .Bits = bits, .HeaderSize = header, .Compression = 3};
    l.Masks = masks, l.MasksAfterHeader = header == 40, l.Pixels = std::move(pixels);
    return l;
}

/// A palette layout; colorsUsed is written into the header as given.
BmpLayout Paletted(std::int32_t width, std::int32_t height, std::uint16_t bits,
                   std::vector<std::uint32_t> palette, std::vector<std::uint32_t> pixels,
                   std::uint32_t header = 40, std::uint32_t colorsUsed = 0) {
    BmpLayout l{
        .Width = width, .Height = height, .Bits = bits, .HeaderSize = header, .ColorsUsed = colorsUsed};
    l.Palette = std::move(palette), l.Pixels = std::move(pixels);
    return l;
}

/// A run-length coded layout (8 bits: compression 1, 4 bits: 2) holding the codes as given.
BmpLayout Coded(std::int32_t width, std::int32_t height, std::uint16_t bits,
                std::vector<std::uint32_t> palette, std::string codes) {
    BmpLayout l{.Width = width, .Height = height, .Bits = bits, .Compression = bits == 8 ? 1u : 2u};
    l.Palette = std::move(palette), l.PixelBytes = std::move(codes);
    return l;
}

std::string With32(std::string bytes, std::size_t at, std::uint32_t v) {
    return test::Put32At(bytes, at, v), bytes;
}

} // namespace

TEST(BmpDecodeTest, EveryDepthHeaderAndRowOrder) {
    // Grey pictures of every depth and width (rows padded with 0xA5 by the builder), stored
    // bottom-up and top-down; palette entries are index * 37.
    for (std::uint16_t bits : {1, 2, 4, 8, 24})
        for (std::int32_t width : {1, 3, 9, 33})
            for (std::int32_t height : {2, -2}) {
                const unsigned colours = bits == 24 ? 256 : 1u << bits;
                BmpLayout layout{.Width = width, .Height = height, .Bits = bits};
                if (bits < 24) layout.Palette = GreyRamp(colours, 37);
                Grey expected;
                for (std::int32_t i = 0; i < width * 2; ++i) {
                    const unsigned index = static_cast<unsigned>(i * 7 + i / 3) % colours;
                    expected.push_back(static_cast<std::uint8_t>(index * 37 & 0xFF));
                    layout.Pixels.push_back(bits == 24 ? expected.back() * 0x010101u : index);
                }
                EXPECT_EQ(Decode(BuildBmp(layout)).Pixels, expected)
                    << bits << " bits, " << width << " x " << height;
            }
    const std::vector<std::pair<BmpLayout, Grey>> cases = {
        // The grey of a colour is its channels' mean rounded: sums 2 and 764 would truncate to 0
        // and 254. A 5-bit channel of 4 scales to 32.9, rounded to 33; a 16-bit channel of 0x8000
        // to 127.502, rounded to 128, and with 127 and 128 beside it the grey is 128.
        {{.Width = 3, .Height = 1, .Pixels = {0x000002, 0x000001, 0xFFFEFF}}, {1, 0, 255}},
        {{.Width = 2, .Height = 1, .Bits = 32, .Pixels = {0x010001, 0xFEFFFF}}, {1, 255}},
        {{.Width = 2, .Height = 1, .Bits = 16, .Pixels = {0x1084, 0x0421}}, {33, 8}},
        {Masked(2, 1, 32, {0xFFFF0000, 0x0000FF00, 0x000000FF}, {0x80007F80, 0xFFFFFFFF}), {128, 255}},
        // One mask of all 32 bits is a single run: white in red only is a third of white.
        {Masked(2, 1, 32, {0xFFFFFFFF, 0, 0}, {0xFFFFFFFF, 0}), {85, 0}},
        {{.Width = 2, .Height = 1, .Pixels = {0x0A141F, 0xFF0000}}, {20, 85}},
        {{.Width = 2, .Height = 1, .Bits = 32, .Pixels = {0xEE0A141F, 0x0000FF}},
         {20, 85}}, // 4th byte unused
        {{.Width = 3, .Height = 1, .HeaderSize = 16, .Pixels = {0x0A141F, 0x010101, 0xFEFEFE}}, {20, 1, 254}},
        // 555 without masks; 16 of 31 green scales to 132.
        {{.Width = 3, .Height = 1, .Bits = 16, .Pixels = {0x7FFF, 0x001F, 0x0200}}, {255, 85, 44}},
        {Masked(3, 1, 16, {0xF800, 0x07E0, 0x001F}, {0xFFFF, 0x07E0, 0xF81F}), {255, 85, 170}},
        // Red in the top byte: a layout only the masks reveal.
        {Masked(2, -1, 32, {0xFF000000, 0x00FF0000, 0x0000FF00}, {0x0A141F00, 0xFF0000FF}, 124), {20, 85}},
        // Two colours declared in an 8-bit file, a colour entry read as the mean of its channels;
        // the 12-byte core header with 3-byte entries.
        {Paletted(3, 1, 8, {0x0A141F, 0xFFFFFF}, {1, 0, 1}, 40, 2), {255, 20, 255}},
        {Paletted(3, 1, 1, {0x0A141F, 0xFFFFFF}, {1, 0, 1}, 12), {255, 20, 255}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(Decode(BuildBmp(cases[i].first)).Pixels, cases[i].second) << i;
}

TEST(BmpDecodeTest, RunLengthCodes) {
    // Bottom row first: a run, an odd literal with its pad byte, end of line; a move of one right
    // and one up skipping a row (left black); a run; end of picture.
    BmpLayout rle8 =
        Coded(5, 3, 8, GreyRamp(16, 16),
              std::string("\x02\x01\x00\x03\x02\x03\x04\x00\x00\x00\x00\x02\x01\x01\x03\x05\x00\x01", 18));
    EXPECT_EQ(Decode(BuildBmp(rle8)).Pixels, (Grey{0, 80, 80, 80, 0, 0, 0, 0, 0, 0, 16, 16, 32, 48, 64}));
    // 4 bits: a run alternates its nibbles; a literal of 5 takes 3 bytes and a pad; a run past the
    // right edge is clipped.
    const BmpLayout rle4 =
        Coded(10, 1, 4, GreyRamp(16, 16), std::string("\x03\x12\x00\x05\x34\x56\x70\x00\x09\x77", 10));
    EXPECT_EQ(Decode(BuildBmp(rle4)).Pixels, (Grey{16, 32, 16, 48, 64, 80, 96, 112, 112, 112}));
    // Literal past the end of the codes, index past the palette, far larger than its codes.
    rle8.PixelBytes = std::string("\x00\x05\x01\x02", 4);
    EXPECT_EQ(DecodeError(BuildBmp(rle8)), "bad.bmp: truncated BMP file");
    rle8.PixelBytes = std::string("\x02\x10", 2);
    EXPECT_EQ(DecodeError(BuildBmp(rle8)), "bad.bmp: palette index out of range");
    rle8.Width = rle8.Height = 1000;
    EXPECT_EQ(DecodeError(BuildBmp(rle8)), "bad.bmp: truncated BMP file");
}

TEST(BmpDecodeTest, DamagedAndHostileHeadersAreRefused) {
    const std::string rgb =
        BuildBmp({.Width = 3, .Height = 2, .Pixels = test::GreyAsRgb({1, 2, 3, 4, 5, 6})});
    const std::string pal = BuildBmp(Paletted(3, 2, 8, GreyRamp(4, 60), {0, 1, 2, 3, 2, 1}, 40, 4));
    const auto masked = [](std::uint16_t bits, std::array<std::uint32_t, 3> masks) {
        return BuildBmp(Masked(2, 1, bits, masks, {0xFFFFFFFFu >> (32 - bits), 0}));
    };
    const std::string wideMasks = BuildBmp(Masked(1, 1, 16, {0x1F0000, 0x7E0, 0x1F}, {0}));

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "not a BMP file"},
        {rgb.substr(0, 30), "truncated BMP file"},
        {With32(rgb, field::kHeaderSize, 124), "truncated BMP file"},
        {With32(rgb, field::kWidth, 0xFFFFFFFD), "bad BMP dimensions"},
        {With32(rgb, field::kHeight, 0x80000000), "image too large"},
        {With32(rgb, field::kWidth, 0), "bad BMP dimensions"},
        {With32(rgb, field::kHeight, 0), "bad BMP dimensions"},
        // Width 0 and top-down height -2^31 once loaded as a 0 x -2147483648 picture.
        {With32(With32(rgb, field::kWidth, 0), field::kHeight, 0x80000000), "bad BMP dimensions"},
        // Run-length codes enough for 32768 x 32769 pixels, one more row than the picture limit.
        {BuildBmp(
             Coded(32768, 32769, 8, {0, 0xFFFFFF}, std::string(std::size_t{32768} * 32769 / 256 + 2, '\0'))),
         "image too large"},
        {With32(With32(rgb, field::kWidth, 40000), field::kHeight, 40000), "truncated BMP file"},
        {With32(rgb, field::kPixelOffset, 0xFFFFFFFF), "truncated BMP file"},
        {With32(rgb, field::kPixelOffset, 20), "bad pixel data offset"},
        {With32(pal, field::kCompression, 4), "compressed BMP files are not supported"},
        {wideMasks, "bad BMP colour masks"},
        // Masks sharing a bit, with a gap, wrapping around.
        {masked(16, {0xF800, 0x0FE0, 0x001F}), "bad BMP colour masks"},
        {masked(16, {0xF00F, 0x07E0, 0x0010}), "bad BMP colour masks"},
        {masked(32, {0xFF0000FF, 0x00FF0000, 0x0000FF00}), "bad BMP colour masks"},
        {With32(pal, field::kColorsUsed, 3), "palette index out of range"},
        // The palette ends where the pixels start.
        {BuildBmp({.Width = 2, .Height = 1, .Bits = 8, .Palette = GreyRamp(2, 60), .Pixels = {0, 3}}),
         "palette index out of range"},
    };
    for (const auto& [bytes, message] : cases)
        EXPECT_EQ(DecodeError(bytes), "bad.bmp: " + message) << message;
}

TEST(BmpDecodeTest, TruncationsAndRandomDamageFailCleanly) {
    // Every prefix short of the last row's padding is refused; random damage either decodes to
    // the size its header states or is refused; the sanitizer build checks every read.
    // Each layout with the trailing bytes of row padding that a file may lack.
    const std::vector<std::pair<BmpLayout, std::size_t>> samples = {
        {Paletted(9, 2, 1, {0, 0xFFFFFF}, std::vector<std::uint32_t>(18, 1), 12), 2},
        {Masked(3, 3, 16, {0xF800, 0x7E0, 0x1F}, std::vector<std::uint32_t>(9, 1), 124), 2},
        {{.Width = 3, .Height = -2, .Pixels = std::vector<std::uint32_t>(6, 0x102030)}, 3},
        {Coded(6, 2, 8, GreyRamp(8, 30),
               std::string("\x03\x01\x00\x03\x02\x03\x04\x00\x00\x00\x00\x02\x01\x00\x02\x05\x00\x01", 18)),
         99},
    };
    std::mt19937 rng(7);
    for (const auto& [layout, padding] : samples) {
        const std::string file = BuildBmp(layout);
        for (std::size_t n = 0; n + padding < file.size(); ++n)
            EXPECT_THROW(Decode(file.substr(0, n)), CorvaneError) << "prefix of " << n << " bytes";
        for (int trial = 0; trial < 3000; ++trial) {
            std::string damaged = file;
            for (int k = 0; k < 3; ++k)
                damaged[rng() % damaged.size()] = static_cast<char>(rng() & 0xFF);
            try {
                GrayRaster r = Decode(damaged);
                EXPECT_EQ(r.Pixels.size(),
                          static_cast<std::size_t>(r.Width) * static_cast<std::size_t>(r.Height));
                EXPECT_LE(r.Pixels.size(), std::max<std::size_t>(damaged.size() * 256, 65536));
            } catch (const CorvaneError&) {
            }
        }
    }
}

TEST(BmpWriteTest, WritesTheTwentyFourBitGreyFormBottomUp) {
    test::TempDir dir;
    Grey grey = {10, 20, 30, 40, 50, 60}; // 3 x 2: rows of 9 bytes padded to 12
    TGrayImage(grey.data(), 3, 2).SaveBmp(dir.File("out.bmp"));
    // The writer fills the image size field, which the builder leaves at 0, and leaves the resolution at 0.
    const std::string built =
        BuildBmp({.Width = 3, .Height = 2, .Pixels = test::GreyAsRgb(grey), .PaddingByte = 0});
    EXPECT_EQ(test::ReadFileBytes(dir.File("out.bmp")), With32(With32(With32(built, 38, 0), 42, 0), 34, 24));
    // 200 x 120 grey is 54 + 600 * 120 = 72054 bytes: beyond what 16 bits hold.
    TGrayImage(nullptr, 200, 120).SaveBmp(dir.File("large.bmp"));
    const std::string large = test::ReadFileBytes(dir.File("large.bmp"));
    ASSERT_EQ(large.size(), 72054u);
    const auto* b = reinterpret_cast<const std::uint8_t*>(large.data());
    EXPECT_EQ(std::pair(ReadU32LE(b + 2), ReadU32LE(b + 34)), std::pair(72054u, 72000u));
}
