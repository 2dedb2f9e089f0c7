// TIFF and PNG pictures, written with the system's libraries or by hand, read back into grey: every
// kind, orientation and 16-bit rule. Files that claim far more than they hold, or are damaged, are
// refused each with its own message, and (outside the sanitizer builds, whose shadow memory fills the
// address space) within a 256 MiB address-space limit, so that no allocation the file cannot fill is
// ever made, by our code or the libraries'. Every reader, BMP, RAW and FLT as well, says when memory
// runs out in one wording.
#include "image/CorvaneError.h"
#include "image/FltFile.h"
#include "image/PictureFile.h"
#include "image/PngFile.h"
#include "image/TGrayImage.h"
#include "image/TiffFile.h"
#include "support/BmpBuilder.h"
#include "support/ErrorText.h"
#include "support/HandMadePictures.h"
#include "support/TestSupport.h"
#include "support/TiffPngPictures.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <tiffio.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CORVANE_SHADOW_MEMORY 1
#endif

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

namespace corvane {
namespace {

using namespace test;

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
                  TGrayImage{TGrayImage::RawDescription{raw, 0, kWidth, kHeight}};
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
    EXPECT_EQ(std::tuple(image.Size, image.GetPixel(254, 7), image.GetPixel(255, 7)),
              std::tuple(static_cast<std::int32_t>(kPixels), 0x40, 0x80));
    image.SetWidth(3); // the image's own buffer again
    EXPECT_EQ(std::tuple(image.Size, image.GetPixel(2, kHeight - 1)), std::tuple(3 * kHeight, 0));
}

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
    ASSERT_EQ(std::pair(image.Width, image.Height), std::pair(kW, kH));
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(image.GetPixel(x, y), expected(x, y)) << file << " at (" << x << "," << y << ")";
}

/// The error text of reading the file, with nothing printed.
std::string ReadError(const std::string& file) {
    testing::internal::CaptureStderr();
    const std::string message = test::ErrorText([&] { TGrayImage{file}; });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << file;
    return message;
}

/// Writes the picture as a TIFF file in the layout and reads it as ExpectPicture does.
void ExpectTiff(const SamplePicture& picture, const TiffLayout& layout,
                const std::function<int(int, int)>& expected,
                SixteenBitScaling scaling = kDefaultSixteenBitScaling) {
    TempDir dir;
    test::WriteTiffPicture(dir.File("p.tif"), picture, layout);
    ExpectPicture(dir.File("p.tif"), expected, scaling);
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
        ExpectTiff(grey, {.Compression = compression}, Grey8);
        ExpectTiff(colour, {.Compression = compression}, colourGrey);
    }
    ExpectTiff(colour, {.Compression = COMPRESSION_LZW, .Planar = true}, colourGrey);
    ExpectTiff(colour, {.Tiled = true}, colourGrey);
    ExpectTiff(grey, {.MinIsWhite = true}, [](int x, int y) { return 255 - Grey8(x, y); });
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
    for (int compression : kCompressions)
        ExpectTiff(grey, {.Compression = compression}, Full16, SixteenBitScaling::Full);
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
    ExpectTiff(
        grey, {.MinIsWhite = true}, [](int x, int y) { return (2 * (65535 - Sample16(x, y)) + 257) / 514; },
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
    EXPECT_EQ(std::tuple(image.GetPixel(3999, 2999), image.GetPixel(3998, 2999)), std::tuple(255, 0));
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
        EXPECT_THROW(image.LoadPicture(file), CorvaneError);
        EXPECT_EQ(std::tuple(image.Width, image.FileName, image.GetPixel(63, 47)),
                  std::tuple(64, dir.File("whole.png"), (2 * (63 * 1000 + 47) + 257) / 514));
    }
}

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
    // 16 MiB of uncompressed rows, every one of them the same 4096 bytes of the file.
    const std::vector<test::TiffField> shared = {
        {256, 4, {4096}}, {257, 4, {4096}},
        {258, 3, {8}},    {259, 3, {1}},
        {262, 3, {1}},    {273, 4, std::vector<std::uint32_t>(4096, 8)},
        {278, 4, {1}},    {279, 4, std::vector<std::uint32_t>(4096, 4096)}};
    const std::string sharing = BuildTiff(shared, std::string(4096, '\x7f'));
    files.push_back({"shared.tif", sharing,
                     "shared.tif: damaged TIFF file (4096 x 4096 pixels in " +
                         std::to_string(sharing.size()) + " bytes)"});
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

TEST(PictureReaderBounds, FilesClaimingMoreThanTheyHoldAreRefusedBeforeAllocating) {
#ifdef CORVANE_SHADOW_MEMORY
    EXPECT_EQ(Mismatches(false), "");
#else
    EXPECT_EXIT(DecodeUnderLimitAndExit(), testing::ExitedWithCode(0), "");
#endif
}

// TIFF kinds beyond 8- and 16-bit grey and RGB: low-bit grey and palette pictures in tiles and
// strips, every orientation for every kind, signed samples.

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

TEST(TiffKinds, LowBitGreyAndPalettePicturesReadAlikeInTilesAndStrips) {
    struct Case {
        std::uint16_t Bits, Photometric;
        bool SixteenBitMap = false;
    };
    // 18 x 20 in 16 x 16 tiles: the last column and row of tiles overhang the picture.
    constexpr std::uint32_t kW = 18, kH = 20;
    const Case cases[] = {{1, kMinIsBlack}, {2, kMinIsBlack},   {4, kMinIsBlack}, {1, kMinIsWhite},
                          {4, kMinIsWhite}, {1, kPalette},      {2, kPalette},    {4, kPalette},
                          {8, kPalette},    {4, kPalette, true}};
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
        std::vector<std::uint16_t> want;
        for (std::uint32_t y = 0; y < kH; ++y)
            for (std::uint32_t x = 0; x < kW; ++x)
                want.push_back(expected(value(x, y)));
        for (std::uint32_t tile : {16u, 0u})
            EXPECT_EQ(DecodeTiff(test::PackedTiff(kW, kH, k.Bits, tile, value, extra)).Values, want)
                << k.Bits << " bits, photometric " << k.Photometric << ", tile " << tile;
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
            const std::string bytes = kind(orientation);
            const PictureSamples turned = DecodeTiff(bytes);
            std::vector<std::uint16_t> expected;
            for (const char* c = shown[orientation]; *c != '\0'; ++c)
                expected.push_back(upright.Values[static_cast<std::size_t>(*c - 'a')]);
            const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
            EXPECT_EQ(std::tuple(turned.Width, ProbeTiff(data, bytes.size(), "k.tif").Height, turned.Values),
                      std::tuple(orientation >= 5 ? 2 : 3, orientation >= 5 ? 3 : 2, expected))
                << name << " " << orientation;
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

} // namespace
} // namespace corvane
