// Grey pictures and their files: the picture itself, BMP, RAW, TIFF and PNG reading and writing, what
// the readers refuse and how they use memory, and the file helpers they build on.
#include "image/BmpFile.h"
#include "image/ByteOrder.h"
#include "image/CFormat.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/FltFile.h"
#include "image/LargeBuffer.h"
#include "image/PictureFile.h"
#include "image/PngFile.h"
#include "image/RawFile.h"
#include "image/TGrayImage.h"
#include "image/TiffFile.h"
#include "support/BmpBuilder.h"
#include "support/BubbleMedian.h"
#include "support/CommaDecimalLocale.h"
#include "support/ErrorText.h"
#include "support/GreyPictures.h"
#include "support/HandMadePictures.h"
#include "support/TestSupport.h"
#include "support/TiffPngPictures.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <random>
#include <stdexcept>
#include <tuple>
#include <vector>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CORVANE_SHADOW_MEMORY 1
#endif

// The readers when memory runs out, and how often they allocate a whole picture: this test program
// replaces the global allocation functions, so that a test can make every allocation from a given size
// on fail, or count them.
namespace {

std::atomic<std::size_t> gFailFrom{0};  ///< allocations of at least this size fail; 0: none
std::atomic<std::size_t> gCountFrom{0}; ///< allocations of at least this size are counted; 0: none
std::atomic<int> gCounted{0};

void* Allocate(std::size_t n) noexcept {
    const std::size_t failFrom = gFailFrom.load(std::memory_order_relaxed);
    if (failFrom != 0 && n >= failFrom) return nullptr;
    const std::size_t countFrom = gCountFrom.load(std::memory_order_relaxed);
    if (countFrom != 0 && n >= countFrom) gCounted.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(n == 0 ? 1 : n);
}

void* AllocateOrThrow(std::size_t n) {
    if (void* p = Allocate(n)) return p;
    throw std::bad_alloc();
}

/// Sets a threshold for the lifetime of the guard.
struct Threshold {
    std::atomic<std::size_t>& value;
    Threshold(std::atomic<std::size_t>& v, std::size_t n) : value(v) { value = n; }
    ~Threshold() { value = 0; }
};

} // namespace

void* operator new(std::size_t n) {
    return AllocateOrThrow(n);
}
void* operator new[](std::size_t n) {
    return AllocateOrThrow(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

using namespace corvane;
using test::BmpLayout;
using test::BuildBmp;
using test::ErrorText;
namespace field = test::bmpfield;
namespace fs = std::filesystem;
using Grey = std::vector<std::uint8_t>;
using Raw = TGrayImage::RawDescription;

TEST(TGrayImageTest, ConstructionsSizesAndPixelAccess) {
    EXPECT_EQ(TGrayImage().FileName, "MemoryPointer");
    TGrayImage owned(nullptr, 4, 3);
    EXPECT_EQ(owned.FileName, "MemoryData.raw");
    EXPECT_EQ(test::Levels(owned), Grey(12, 0));

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

TEST(TGrayImageTest, BmpFilesByExtensionAndPalette) {
    test::TempDir dir;
    test::BmpLayout layout{.Width = 3,
                           .Height = 2,
                           .Bits = 8,
                           .ColorsUsed = 3,
                           .Palette = {0x101010, 0x808080, 0xFEFEFE},
                           .Pixels = {0, 1, 2, 2, 1, 0}};
    test::WriteFileBytes(dir.File("pal.bmp"), test::BuildBmp(layout));
    TGrayImage image(dir.File("pal.bmp"));
    EXPECT_EQ(test::Levels(image), (Grey{16, 128, 254, 254, 128, 16}));

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
    return {.Width = width,
            .Height = height,
            .Bits = bits,
            .HeaderSize = header,
            .Compression = 3,
            .Masks = masks,
            .MasksAfterHeader = header == 40,
            .Pixels = std::move(pixels)};
}

/// A palette layout; colorsUsed is written into the header as given.
BmpLayout Paletted(std::int32_t width, std::int32_t height, std::uint16_t bits,
                   std::vector<std::uint32_t> palette, std::vector<std::uint32_t> pixels,
                   std::uint32_t header = 40, std::uint32_t colorsUsed = 0) {
    return {.Width = width,
            .Height = height,
            .Bits = bits,
            .HeaderSize = header,
            .ColorsUsed = colorsUsed,
            .Palette = std::move(palette),
            .Pixels = std::move(pixels)};
}

/// A run-length coded layout (8 bits: compression 1, 4 bits: 2) holding the codes as given.
BmpLayout Coded(std::int32_t width, std::int32_t height, std::uint16_t bits,
                std::vector<std::uint32_t> palette, std::string codes) {
    return {.Width = width,
            .Height = height,
            .Bits = bits,
            .Compression = bits == 8 ? 1u : 2u,
            .Palette = std::move(palette),
            .PixelBytes = std::move(codes)};
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

// Files replaced atomically, numbers stored least significant byte first, C formats whatever the locale.
TEST(FileUtilTest, ReadsStopAtTheEndRefuseFoldersAndNumbersAreStoredLittleEndian) {
    test::TempDir dir;
    const std::string name = dir.File("data");
    test::WriteFileBytes(name, "0123456789");
    EXPECT_EQ(FileSizeOf(name), 10u);
    char buf[8] = {};
    EXPECT_EQ(ReadFileAt(name, 7, buf, 8, "e"), 3u);
    EXPECT_EQ(std::string(buf, 3), "789");
    EXPECT_EQ(ReadFileAt(name, 1u << 31, buf, 8, "e"), 0u);
    // Folders and missing files are refused with the caller's message, never read as data.
    EXPECT_FALSE(FileExists(dir.Path().string()));
    for (const std::string& bad : {dir.Path().string(), dir.File("missing")}) {
        EXPECT_EQ(test::ErrorText([&] { ReadWholeFile(bad, "e"); }), "e");
        EXPECT_THROW(ReadFileAt(bad, 0, buf, 1, "e"), CorvaneError);
    }
    using Bytes = std::array<std::uint8_t, 4>;
    Bytes b{};
    WriteU32LE(b.data(), 0x12345678u);
    EXPECT_EQ(b, (Bytes{0x78, 0x56, 0x34, 0x12}));
    WriteU16LE(b.data(), 0xBEEF);
    EXPECT_EQ(b, (Bytes{0xEF, 0xBE, 0x34, 0x12}));
    WriteF32LE(b.data(), 1.0f); // 0x3F800000: a file written here reads the same on any machine
    EXPECT_EQ(b, (Bytes{0x00, 0x00, 0x80, 0x3F}));
}

TEST(FileUtilTest, AtomicWritesReplaceWholeOrNotAtAll) {
    test::TempDir dir;
    const std::string name = dir.File("out.txt");
    WriteFileAtomically(name, "first", 5, "fail");
    AtomicTextFile text(name);
    text.Printf("%d %8.3f\n", 12, 2.5);
    text.Write("end");
    text.Commit("fail");
    EXPECT_EQ(test::ReadFileBytes(name), "12    2.500\nend");

    // A writer that fails half way, or throws, leaves the old file and no temporary file.
    auto halfThenFail = [](std::FILE* f) { return std::fputs("partial", f) >= 0 && false; };
    EXPECT_THROW(WriteFileAtomically(name, halfThenFail, "fail"), CorvaneError);
    auto throwing = [](std::FILE* f) -> bool {
        std::fputs("partial", f);
        throw std::runtime_error("writer broke");
    };
    EXPECT_THROW(WriteFileAtomically(name, throwing, "fail"), std::runtime_error);
    EXPECT_EQ(test::ReadFileBytes(name), "12    2.500\nend");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    // A folder as target is refused and stays; a missing folder fails.
    fs::create_directory(dir.File("sub"));
    EXPECT_THROW(WriteFileAtomically(dir.File("sub"), "x", 1, "fail"), CorvaneError);
    EXPECT_TRUE(fs::is_directory(dir.File("sub")));
    EXPECT_THROW(AtomicTextFile(dir.File("no/t.dat")).Commit("fail"), CorvaneError);

    // Through a link: the link stays and the file it names is replaced.
    fs::create_symlink(name, dir.File("link.txt"));
    WriteFileAtomically(dir.File("link.txt"), "new", 3, "fail");
    EXPECT_TRUE(fs::is_symlink(dir.File("link.txt")));
    EXPECT_EQ(test::ReadFileBytes(name), "new");
}

// Long text is neither cut nor doubled; numbers keep their decimal point under a comma locale, and
// the process locale is left as it was.
TEST(CFormatTest, LongTextAndNumbersUnderACommaLocale) {
    const std::string name(1000, 'n');
    std::string text = "head ";
    AppendFormatC(text, "[%s] %.1f", name.c_str(), 3.0);
    EXPECT_EQ(text, "head [" + name + "] 3.0");
    EXPECT_EQ(FormatC("%s", name.c_str()), name);
    EXPECT_EQ(FormatC("%s", ""), "");
    test::CommaDecimalLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
    EXPECT_EQ(FormatC("%8.3f|%g|%d", 1.5, 0.25, -7), "   1.500|0.25|-7");
    text = "x=";
    AppendFormatC(text, " %15.8f ", 2.0);
    EXPECT_EQ(text, "x=      2.00000000 ");
    EXPECT_EQ(*std::localeconv()->decimal_point, ',');
}

namespace {

constexpr std::int32_t kWidth = 400, kHeight = 300;
constexpr std::size_t kPixels = static_cast<std::size_t>(kWidth) * kHeight;

/// A run-length coded 400 x 300 picture of under 3 KB: each row two runs and an end of line.
std::string SmallCodedBmp() {
    std::string codes;
    for (std::int32_t y = 0; y < kHeight; ++y)
        codes += std::string("\xFF\x01\x91\x02\x00\x00", 6);
    return test::BuildBmp({.Width = kWidth,
                           .Height = kHeight,
                           .Bits = 8,
                           .Compression = 1,
                           .Palette = {0, 0x404040, 0x808080},
                           .PixelBytes = codes + std::string("\x00\x01", 2)});
}

} // namespace

TEST(ReaderMemoryTest, EveryReaderSaysNotEnoughMemoryInOneWording) {
    test::TempDir dir;
    const std::string bmp = dir.File("coded.bmp"), raw = dir.File("p.raw"), flt = dir.File("m.flt");
    test::WriteFileBytes(bmp, SmallCodedBmp());
    test::WriteFileBytes(raw, std::string(kPixels, '\x10'));
    std::vector<float> values(kPixels, 1.5f);
    WriteFltFile(flt, {kWidth, kHeight}, values.data());
    ASSERT_EQ(TGrayImage(bmp).GetPixel(kWidth - 1, 0), 0x80);

    const Threshold fail(gFailFrom, kPixels); // the file bytes still fit; no whole picture does
    EXPECT_EQ(test::ErrorText([&] { TGrayImage{bmp}; }), bmp + ": not enough memory");
    EXPECT_EQ(test::ErrorText([&] {
                  TGrayImage(TGrayImage::RawDescription{raw, 0, kWidth, kHeight});
              }),
              raw + ": not enough memory");
    EXPECT_EQ(test::ErrorText([&] { ReadFltFile(flt); }), flt + ": not enough memory");
}

TEST(ReaderMemoryTest, ALoadedBmpIsHeldInTheDecodersBufferNotCopied) {
    test::TempDir dir;
    const std::string bmp = dir.File("coded.bmp");
    test::WriteFileBytes(bmp, SmallCodedBmp());
    TGrayImage image;
    {
        const Threshold count(gCountFrom, kPixels);
        gCounted = 0;
        image.LoadBmp(bmp);
        EXPECT_EQ(gCounted.load(), 1);
    }
    EXPECT_EQ(image.Size, static_cast<std::int32_t>(kPixels));
    EXPECT_EQ(image.GetPixel(254, 7), 0x40);
    EXPECT_EQ(image.GetPixel(255, 7), 0x80);
    image.SetWidth(3); // the image's own buffer again
    EXPECT_EQ(image.Size, 3 * kHeight);
    EXPECT_EQ(image.GetPixel(2, kHeight - 1), 0);
}

// TIFF and PNG pictures, written with the system's libraries or by hand, read back into grey: every
// kind, orientation and 16-bit rule. Files that claim far more than they hold, or are damaged, are
// refused each with its own message, and (outside the sanitizer builds, whose shadow memory fills the
// address space) within a 256 MiB address-space limit, so that no allocation the file cannot fill is
// ever made, by our code or the libraries'.
namespace corvane {
namespace {

using test::MakeSamplePicture;
using test::SamplePicture;
using test::TempDir;
using test::TiffLayout;

// 7 x 5, so that a swapped x and y or a lost row stride shows.
constexpr int kW = 7, kH = 5;

int Grey8(int x, int y) {
    return (x * 37 + y * 11) % 256;
}

SamplePicture Grey8Picture() {
    return MakeSamplePicture(kW, kH, 8, 1, [](int x, int y, int) { return Grey8(x, y); });
}

/// Reads the file and expects every pixel to be expected(x, y); also that nothing was printed.
void ExpectPicture(const std::string& file, const std::function<int(int, int)>& expected,
                   SixteenBitScaling scaling = kDefaultSixteenBitScaling) {
    testing::internal::CaptureStderr();
    const TGrayImage image(file, scaling);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(image.Width, kW);
    ASSERT_EQ(image.Height, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(image.GetPixel(x, y), expected(x, y)) << file << " at (" << x << "," << y << ")";
}

/// The error text of reading the file, with nothing printed; "" when it was read.
std::string ReadError(const std::string& file) {
    testing::internal::CaptureStderr();
    std::string message;
    try {
        TGrayImage image(file);
    } catch (const CorvaneError& e) {
        message = e.what();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << file;
    return message;
}

const int kCompressions[] = {COMPRESSION_NONE, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE,
                             COMPRESSION_PACKBITS};

TEST(TiffFile, EightBitGreyAndColourInEveryCompressionLayoutAndPageCount) {
    TempDir dir;
    const SamplePicture grey = Grey8Picture();
    // (10, 20, 31) is the BMP rule's example: floor(61 / 3 + 0.5) = 20.
    const SamplePicture colour = MakeSamplePicture(kW, kH, 8, 3, [](int x, int y, int c) {
        return x == 0 && y == 0 ? (c == 0 ? 10 : c == 1 ? 20 : 31) : (Grey8(x, y) + 60 * c) % 256;
    });
    auto colourGrey = [&](int x, int y) {
        if (x == 0 && y == 0) return 20;
        const int s = Grey8(x, y) + (Grey8(x, y) + 60) % 256 + (Grey8(x, y) + 120) % 256;
        return static_cast<int>(GrayOfRgb(static_cast<unsigned>(s), 0, 0));
    };
    for (int compression : kCompressions) {
        const std::string tag = std::to_string(compression);
        test::WriteTiffPicture(dir.File("g" + tag + ".tif"), grey, {.Compression = compression});
        ExpectPicture(dir.File("g" + tag + ".tif"), Grey8);
        test::WriteTiffPicture(dir.File("c" + tag + ".tif"), colour, {.Compression = compression});
        ExpectPicture(dir.File("c" + tag + ".tif"), colourGrey);
    }
    test::WriteTiffPicture(dir.File("planar.tif"), colour, {.Compression = COMPRESSION_LZW, .Planar = true});
    ExpectPicture(dir.File("planar.tif"), colourGrey);
    test::WriteTiffPicture(dir.File("tiled.tif"), colour, {.Tiled = true});
    ExpectPicture(dir.File("tiled.tif"), colourGrey);
    test::WriteTiffPicture(dir.File("white.tif"), grey, {.MinIsWhite = true});
    ExpectPicture(dir.File("white.tif"), [](int x, int y) { return 255 - Grey8(x, y); });
    // Only the first page of a multi-page file is read, and the pages are counted.
    test::WriteTiffPicture(dir.File("pages.tif"), grey, {.Compression = COMPRESSION_LZW, .Pages = 3});
    ExpectPicture(dir.File("pages.tif"), Grey8);
    const PictureFileInfo probe = ProbePictureFile(dir.File("pages.tif"));
    EXPECT_EQ(std::tuple(probe.Format, probe.Info.Pages, probe.Info.Width),
              std::tuple(PictureFormat::Tiff, 3, kW));
}

// 16-bit samples chosen so that rounding v / 257 differs from v >> 8 (129 -> 1, not 0;
// 257 k + 129 -> k + 1). The Range rule itself is checked on raw samples below and through the
// verbs on files.
int Sample16(int x, int y) {
    return x == 0 && y == 0 ? 129 : x == 1 && y == 0 ? 65535 : 257 * Grey8(x, y) / 2 + 129;
}
int Full16(int x, int y) {
    return (2 * Sample16(x, y) + 257) / 514;
}
TEST(TiffFile, SixteenBitSamplesFollowTheChosenRuleInEveryCompression) {
    TempDir dir;
    const SamplePicture grey =
        MakeSamplePicture(kW, kH, 16, 1, [](int x, int y, int) { return Sample16(x, y); });
    for (int compression : kCompressions) {
        const std::string file = dir.File("g16-" + std::to_string(compression) + ".tif");
        test::WriteTiffPicture(file, grey, {.Compression = compression});
        ExpectPicture(file, Full16, SixteenBitScaling::Full);
    }
    // Colour: the channel mean is taken on the 16-bit samples, then the rule.
    const SamplePicture colour =
        MakeSamplePicture(kW, kH, 16, 3, [](int x, int y, int c) { return c == 1 ? Sample16(x, y) : 0; });
    test::WriteTiffPicture(dir.File("c16.tif"), colour,
                           {.Compression = COMPRESSION_ADOBE_DEFLATE, .Tiled = true});
    ExpectPicture(
        dir.File("c16.tif"), [](int x, int y) { return (2 * ((2 * Sample16(x, y) + 3) / 6) + 257) / 514; },
        SixteenBitScaling::Full);
    EXPECT_EQ(ProbePictureFile(dir.File("c16.tif")).Info.Bits, 16);
    // Stored white-is-zero, 16-bit samples turn about 65535, not 255.
    test::WriteTiffPicture(dir.File("w16.tif"), grey, {.MinIsWhite = true});
    ExpectPicture(
        dir.File("w16.tif"), [](int x, int y) { return (2 * (65535 - Sample16(x, y)) + 257) / 514; },
        SixteenBitScaling::Full);
}

TEST(PngFile, GreyColourSixteenBitInterlacedAndNamedAsAnotherFormat) {
    TempDir dir;
    test::WritePngPicture(dir.File("g.png"), Grey8Picture());
    ExpectPicture(dir.File("g.png"), Grey8);
    test::WritePngPicture(dir.File("c.png"), MakeSamplePicture(kW, kH, 8, 3, [](int x, int y, int c) {
                              return c == 2 ? Grey8(x, y) : 0;
                          }));
    ExpectPicture(dir.File("c.png"), [](int x, int y) { return (2 * Grey8(x, y) + 3) / 6; });
    const SamplePicture grey16 =
        MakeSamplePicture(kW, kH, 16, 1, [](int x, int y, int) { return Sample16(x, y); });
    test::WritePngPicture(dir.File("g16.png"), grey16);
    ExpectPicture(dir.File("g16.png"), Full16, SixteenBitScaling::Full);
    test::WritePngPicture(dir.File("i16.png"), grey16, true);
    ExpectPicture(dir.File("i16.png"), Full16, SixteenBitScaling::Full);
    EXPECT_EQ(ProbePictureFile(dir.File("i16.png")).Info.Bits, 16);
    test::WritePngPicture(dir.File("really-png.bmp"), Grey8Picture());
    ExpectPicture(dir.File("really-png.bmp"), Grey8);
    test::WriteTiffPicture(dir.File("really-tiff.png"), Grey8Picture());
    ExpectPicture(dir.File("really-tiff.png"), Grey8);
    test::WriteFileBytes(dir.File("text.tif"), "neither of them");
    EXPECT_EQ(ReadError(dir.File("text.tif")), dir.File("text.tif") + ": not a BMP, TIFF or PNG picture");
    // 4000 x 3000 one-bit pixels pack into 1.5 MB of rows that deflate about a thousandfold; widened
    // to 8 bits they would be 12 MB, which no file of this size could hold.
    SamplePicture page =
        MakeSamplePicture(4000, 3000, 1, 1, [](int x, int y, int) { return x == 3999 && y == 2999; });
    test::WritePngPicture(dir.File("page.png"), page);
    const TGrayImage image(dir.File("page.png"));
    EXPECT_EQ(image.GetPixel(3999, 2999), 255); // one-bit white is white
    EXPECT_EQ(image.GetPixel(3998, 2999), 0);
}

// Samples where each 16-bit rule parts from its plausible neighbours: the stretch over a span of 510
// puts odd offsets at exactly one half, rounded up (not down, not to even); a flat picture keeps
// its grey under the Range rule; the Full rule rounds v / 257 on both sides of one half.
TEST(PictureFile, SixteenBitRulesRoundHalvesUpAndKeepAFlatPictureGrey) {
    using Levels = std::vector<std::uint8_t>;
    const std::tuple<SixteenBitScaling, std::vector<std::uint16_t>, Levels> cases[] = {
        {SixteenBitScaling::Range, {1000, 1001, 1003, 1255, 1509, 1510}, {0, 1, 2, 128, 255, 255}},
        {SixteenBitScaling::Range, std::vector<std::uint16_t>(6, 257 * 100), Levels(6, 100)},
        {SixteenBitScaling::Full, {128, 129, 257 * 7 + 128, 257 * 7 + 129, 0, 65535}, {0, 1, 7, 8, 0, 255}},
    };
    for (const auto& [rule, samples, levels] : cases)
        EXPECT_EQ(ToGrayRaster({3, 2, 16, samples}, rule).Pixels, levels) << samples[1];
}

TEST(PictureFile, DamagedAndTruncatedFilesAreRefusedSilentlyAndLeaveTheImageAsItWas) {
    TempDir dir;
    const SamplePicture big =
        MakeSamplePicture(64, 48, 16, 1, [](int x, int y, int) { return x * 1000 + y; });
    test::WriteTiffPicture(dir.File("whole.tif"), big, {.Compression = COMPRESSION_NONE, .RowsPerStrip = 8});
    test::WriteTiffPicture(dir.File("whole-lzw.tif"), big,
                           {.Compression = COMPRESSION_LZW, .RowsPerStrip = 8});
    test::WritePngPicture(dir.File("whole.png"), big);
    std::vector<std::string> damaged;
    for (const char* name : {"whole.tif", "whole-lzw.tif", "whole.png"}) {
        const std::string bytes = test::ReadFileBytes(dir.File(name));
        const std::string cut = dir.File(std::string("cut-") + name);
        test::WriteFileBytes(cut, bytes.substr(0, bytes.size() / 2));
        damaged.push_back(cut);
        std::string scrambled = bytes;
        // The TIFF directory offset; the PNG header chunk (its signature kept).
        for (std::size_t i = bytes[1] == 'P' ? 12 : 4; i < 24; ++i)
            scrambled[i] = static_cast<char>(0xA5);
        const std::string bad = dir.File(std::string("bad-") + name);
        test::WriteFileBytes(bad, scrambled);
        damaged.push_back(bad);
    }
    TGrayImage image(dir.File("whole.png"), SixteenBitScaling::Full);
    for (const std::string& file : damaged) {
        const std::string message = ReadError(file);
        EXPECT_EQ(message.rfind(file + ": ", 0), 0u) << file << " -> " << message;
        EXPECT_NE(message.find("damaged"), std::string::npos) << file << " -> " << message;
        testing::internal::CaptureStderr();
        EXPECT_THROW(image.LoadPicture(file), CorvaneError);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_EQ(image.Width, 64);
        EXPECT_EQ(image.FileName, dir.File("whole.png"));
        EXPECT_EQ(image.GetPixel(63, 47), (2 * (63 * 1000 + 47) + 257) / 514);
    }
}

} // namespace
} // namespace corvane

using namespace corvane;
using test::BuildTiff;
using test::PngChunk;
using test::PngStart;
using test::StripFields;
using test::TiffField;

namespace {

struct Hostile {
    std::string Name, Bytes, Message;
    bool OnlyUnderLimit = false; ///< it would allocate gigabytes without the limit
};

std::string Outcome(const Hostile& file) {
    try {
        DecodePictureGray(reinterpret_cast<const std::uint8_t*>(file.Bytes.data()), file.Bytes.size(),
                          file.Name, SixteenBitScaling::Range);
        return "decoded";
    } catch (const std::exception& e) {
        return e.what();
    }
}

std::vector<Hostile> HostileFiles() {
    std::vector<Hostile> files;
    const std::string end = PngChunk("IEND", "");
    const std::string idat = PngChunk("IDAT", std::string("\x78\x9c\x03\x00\x00\x00\x00\x01", 8));
    // 65 bytes: one row of 2^31 - 1 grey pixels.
    files.push_back({"wide.png", PngStart(0x7FFFFFFF, 1, 8, 0) + idat + end,
                     "wide.png: picture too large (2147483647 x 1)"});
    // Exactly at the picture limit: one row of 2^30 16-bit RGB pixels, 6 GiB of row.
    const std::string row = PngStart(1u << 30, 1, 16, 2) + idat + end;
    files.push_back(
        {"row.png", row,
         "row.png: damaged PNG file (1073741824 x 1 pixels in " + std::to_string(row.size()) + " bytes)"});
    // 65 bytes whose text or profile chunk claims 2 GiB.
    for (const char* type : {"tEXt", "iCCP"}) {
        const std::string claim = std::string("\x7F\xFF\xFF\xF0", 4) + type + std::string(12, 'a');
        files.push_back({std::string(type) + ".png", PngStart(5, 3, 8, 0) + claim + end,
                         std::string(type) + ".png: damaged PNG file (chunk " + type +
                             " runs past the end of the file)"});
    }
    // A 32768 x 32768 16-bit RGB header padded with a private chunk to the size that could hold its
    // rows: it passes every check, and the 6 GiB of pixels are not to be had.
    files.push_back(
        {"limit.png",
         PngStart(32768, 32768, 16, 2) + PngChunk("prVt", std::string(6'300'000, '\0')) + idat + end,
         "limit.png: not enough memory", true});

    // 300 KB of uncompressed data for a 32768 x 32768 picture that needs 1 GiB of it.
    std::vector<test::TiffField> fields = StripFields(32768, 32768, 8, 1, 1u << 30);
    fields.push_back({262, 3, {1}});
    const std::string tall = BuildTiff(fields, std::string(300'000, '\0'));
    files.push_back(
        {"tall.tif", tall,
         "tall.tif: damaged TIFF file (32768 x 32768 pixels in " + std::to_string(tall.size()) + " bytes)"});
    // A 10 x 10 picture in one 65536 x 65536 tile, and one in 4096 x 16 deflate-coded tiles.
    for (const auto [tileWidth, tileHeight, compression] :
         {std::array<std::uint32_t, 3>{65536, 65536, 1}, {4096, 16, 8}}) {
        const std::vector<test::TiffField> fields = {
            {256, 4, {10}},          {257, 4, {10}}, {258, 3, {8}},
            {259, 3, {compression}}, {262, 3, {1}},  {322, 4, {tileWidth}},
            {323, 4, {tileHeight}},  {324, 4, {8}},  {325, 4, {100}}};
        const std::string tiled = BuildTiff(fields, std::string(100, '\0'));
        files.push_back({"tile.tif", tiled,
                         "tile.tif: damaged TIFF file (" + std::to_string(tileWidth) + " x " +
                             std::to_string(tileHeight) + " tiles in a 10 x 10 picture of " +
                             std::to_string(tiled.size()) + " bytes)"});
    }
    // Messages name the file once, and say what kinds are read.
    std::vector<test::TiffField> badPlanar = StripFields(3, 2, 8, 1, 6);
    badPlanar.push_back({284, 3, {9}});
    files.push_back({"/d/p.tif", BuildTiff(badPlanar, "abcdef"),
                     "/d/p.tif: damaged TIFF file (Bad value 9 for \"PlanarConfiguration\" tag)"});
    std::string signature = PngStart(3, 2, 8, 0);
    signature[4] = '\n'; // line ends changed in transfer
    files.push_back({"/d/p.png", signature, "/d/p.png: not a BMP, TIFF or PNG picture"});
    return files;
}

/// The files whose outcome is not their message, one line each.
std::string Mismatches(bool underLimit) {
    std::string text;
    for (const Hostile& file : HostileFiles())
        if (underLimit || !file.OnlyUnderLimit) {
            const std::string outcome = Outcome(file);
            if (outcome != file.Message) text += file.Name + ": " + outcome + "\n";
        }
    return text;
}

#ifndef CORVANE_SHADOW_MEMORY
/// In a child process: limits the address space to 256 MiB above what it uses now, decodes every
/// file, prints those whose outcome is not their message and exits with 0 when there were none.
[[noreturn]] void DecodeUnderLimitAndExit() {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t bound =
        static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{256} << 20);
    const rlimit limit{bound, bound};
    setrlimit(RLIMIT_AS, &limit);
    const std::string text = Mismatches(true);
    std::fputs(text.c_str(), stderr);
    std::exit(text.empty() ? 0 : 1);
}
#endif

} // namespace

TEST(PictureReaderBounds, FilesClaimingMoreThanTheyHoldAreRefusedBeforeAllocating) {
#ifdef CORVANE_SHADOW_MEMORY
    EXPECT_EQ(Mismatches(false), "");
#else
    EXPECT_EXIT(DecodeUnderLimitAndExit(), testing::ExitedWithCode(0), "");
#endif
}

// TIFF kinds beyond 8- and 16-bit grey and RGB: low-bit grey and palette pictures in tiles and
// strips, every orientation for every kind, signed samples.
namespace {

constexpr std::uint16_t kMinIsWhite = 0, kMinIsBlack = 1, kPalette = 3;

PictureSamples DecodeTiff(const std::string& bytes) {
    return DecodeTiffSamples(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "k.tif");
}

/// A colour map of 2^bits entries: red 37 i, green 91 i + 7, blue 255 - i (mod 256), as 8-bit
/// values or in the high byte of 16-bit ones.
std::vector<std::uint32_t> ColourMap(std::uint16_t bits, bool sixteen) {
    const std::uint32_t n = 1u << bits;
    std::vector<std::uint32_t> map(3 * n);
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t channel[3] = {37 * i % 256, (91 * i + 7) % 256, 255 - i % 256};
        for (int c = 0; c < 3; ++c)
            map[c * n + i] = sixteen ? channel[c] << 8 | 0xFF : channel[c];
    }
    return map;
}

} // namespace

TEST(TiffKinds, LowBitGreyAndPalettePicturesReadAlikeInTilesAndStrips) {
    struct Case {
        std::uint16_t Bits, Photometric;
        bool SixteenBitMap = false;
    };
    // 18 x 20 in 16 x 16 tiles: the last column and row of tiles overhang the picture.
    constexpr std::uint32_t kW = 18, kH = 20;
    const Case cases[] = {{1, kMinIsBlack, false}, {2, kMinIsBlack, false}, {4, kMinIsBlack, false},
                          {1, kMinIsWhite, false}, {4, kMinIsWhite, false}, {1, kPalette, false},
                          {2, kPalette, false},    {4, kPalette, false},    {8, kPalette, false},
                          {4, kPalette, true}};
    for (const Case& k : cases) {
        const std::uint32_t range = (1u << k.Bits) - 1;
        auto value = [&](std::uint32_t x, std::uint32_t y) { return (x * 3 + y * 5 + x * y) % (range + 1); };
        auto expected = [&](std::uint32_t v) -> std::uint16_t {
            if (k.Photometric == kMinIsBlack) return static_cast<std::uint16_t>(v * 255 / range);
            if (k.Photometric == kMinIsWhite) return static_cast<std::uint16_t>((range - v) * 255 / range);
            const int sum = static_cast<int>(37 * v % 256 + (91 * v + 7) % 256 + 255 - v);
            return static_cast<std::uint16_t>((2 * sum + 3) / 6);
        };
        std::vector<TiffField> extra = {{262, 3, {k.Photometric}}};
        if (k.Photometric == kPalette) extra.push_back({320, 3, ColourMap(k.Bits, k.SixteenBitMap)});
        for (std::uint32_t tile : {16u, 0u}) {
            const std::string label =
                std::to_string(k.Bits * 10 + k.Photometric) + "/" + std::to_string(tile);
            PictureSamples samples;
            ASSERT_NO_THROW(samples = DecodeTiff(test::PackedTiff(kW, kH, k.Bits, tile, value, extra)))
                << label;
            ASSERT_EQ(samples.Values.size(), kW * kH) << label;
            for (std::uint32_t y = 0; y < kH; ++y)
                for (std::uint32_t x = 0; x < kW; ++x)
                    ASSERT_EQ(samples.Values[y * kW + x], expected(value(x, y)))
                        << label << " at (" << x << ", " << y << ")";
        }
    }
}

TEST(TiffKinds, EveryKindIsTurnedByItsOrientationAndSignedSamplesKeepTheirOrder) {
    // A 3 x 2 picture "abc/def" as each kind stores it; the letters' grey values are read from the
    // upright file.
    auto stored = [](std::uint16_t bits, std::uint16_t photometric, const std::string& data,
                     std::vector<TiffField> extra) {
        return [=](std::uint16_t orientation) {
            std::vector<TiffField> f = test::StripFields(3, 2, bits, bits == 8 ? data.size() / 6 : 1,
                                                         static_cast<std::uint32_t>(data.size()));
            f.insert(f.end(), {{262, 3, {photometric}}, {274, 3, {orientation}}});
            f.insert(f.end(), extra.begin(), extra.end());
            return BuildTiff(f, data);
        };
    };
    auto palette = [](std::uint16_t orientation) {
        return test::PackedTiff(
            3, 2, 4, 16, [](std::uint32_t x, std::uint32_t y) { return 3 * y + x; },
            {{262, 3, {kPalette}}, {274, 3, {orientation}}, {320, 3, ColourMap(4, false)}});
    };
    std::string ycbcr;
    for (int i = 0; i < 6; ++i)
        ycbcr += {static_cast<char>(40 * i + 20), '\x80', '\x80'};
    // What each orientation shows of "abcdef", row by row.
    const char* shown[9] = {"",       "abcdef", "cbafed", "fedcba", "defabc",
                            "adbecf", "daebfc", "fcebda", "cfbead"};
    for (const auto& [name, kind] :
         std::vector<std::pair<std::string, std::function<std::string(std::uint16_t)>>>{
             {"grey8", stored(8, kMinIsBlack, "\x0a\x14\x1e\x28\x32\x3c", {})},
             {"ycbcr", stored(8, 6, ycbcr, {{530, 3, {1, 1}}})},
             {"palette", palette}}) {
        const PictureSamples upright = DecodeTiff(kind(1));
        ASSERT_EQ(upright.Width, 3) << name;
        for (std::uint16_t orientation = 2; orientation <= 8; ++orientation) {
            const PictureSamples turned = DecodeTiff(kind(orientation));
            const bool transposed = orientation >= 5;
            EXPECT_EQ(turned.Width, transposed ? 2 : 3) << name << " " << orientation;
            std::vector<std::uint16_t> expected;
            for (const char* c = shown[orientation]; *c != '\0'; ++c)
                expected.push_back(upright.Values[static_cast<std::size_t>(*c - 'a')]);
            EXPECT_EQ(turned.Values, expected) << name << " " << orientation;
            const std::string bytes = kind(orientation);
            EXPECT_EQ(
                ProbeTiff(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "k.tif").Height,
                transposed ? 3 : 2);
        }
    }
    auto signedTiff = [](std::uint16_t bits, const std::string& data) {
        std::vector<TiffField> f = test::StripFields(4, 1, bits, 1, static_cast<std::uint32_t>(data.size()));
        f.insert(f.end(), {{262, 3, {kMinIsBlack}}, {339, 3, {2}}});
        return BuildTiff(f, data);
    };
    // -128, -1, 0, 127 and -32768, -1, 0, 32767.
    EXPECT_EQ(DecodeTiff(signedTiff(8, std::string("\x80\xff\x00\x7f", 4))).Values,
              (std::vector<std::uint16_t>{0, 127, 128, 255}));
    EXPECT_EQ(DecodeTiff(signedTiff(16, std::string("\x00\x80\xff\xff\x00\x00\xff\x7f", 8))).Values,
              (std::vector<std::uint16_t>{0, 32767, 32768, 65535}));
    EXPECT_EQ(test::ErrorText([&] { DecodeTiff(signedTiff(4, "\x12\x34")); }),
              "k.tif: unsupported TIFF picture (signed 4-bit samples)");
}
