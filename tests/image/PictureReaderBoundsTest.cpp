// TIFF and PNG files that claim far more than they hold, or are damaged: each is refused with its own
// message, and (outside the sanitizer builds, whose shadow memory fills the address space) within a 256 MiB
// address-space limit, so that no allocation the file cannot fill is ever made, by our code or the
// libraries'.
#include "image/LargeBuffer.h"
#include "image/PictureFile.h"
#include "image/TiffFile.h"
#include "support/ErrorText.h"
#include "support/HandMadePictures.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CORVANE_SHADOW_MEMORY 1
#endif

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

TEST(PictureReaderBounds, AMapBufferWhoseRoundedSizeWrapsIsRefused) {
    // SIZE_MAX / 4 floats are SIZE_MAX - 3 bytes, which round up past SIZE_MAX to a few bytes.
    for (const std::size_t count : {SIZE_MAX / 4, SIZE_MAX / 4 - 100, SIZE_MAX / 2})
        EXPECT_THROW(AllocateLargeFloats(count), std::bad_alloc) << count;
}

// TIFF kinds beyond 8- and 16-bit grey and RGB: low-bit grey and palette pictures in tiles and
// strips, every orientation for every kind, signed samples.
namespace {

constexpr std::uint16_t kMinIsWhite = 0, kMinIsBlack = 1, kPalette = 3;

PictureSamples Decode(const std::string& bytes) {
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
            ASSERT_NO_THROW(samples = Decode(test::PackedTiff(kW, kH, k.Bits, tile, value, extra))) << label;
            ASSERT_EQ(samples.Values.size(), kW * kH) << label;
            for (std::uint32_t y = 0; y < kH; ++y)
                for (std::uint32_t x = 0; x < kW; ++x)
                    ASSERT_EQ(samples.Values[y * kW + x], expected(value(x, y)))
                        << label << " at (" << x << ", " << y << ")";
        }
    }
}

TEST(TiffKinds, EveryKindIsTurnedByItsOrientation) {
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
        const PictureSamples upright = Decode(kind(1));
        ASSERT_EQ(upright.Width, 3) << name;
        for (std::uint16_t orientation = 2; orientation <= 8; ++orientation) {
            const PictureSamples turned = Decode(kind(orientation));
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
}

TEST(TiffKinds, SignedSamplesAreOffsetToUnsignedKeepingTheirOrder) {
    auto signedTiff = [](std::uint16_t bits, const std::string& data) {
        std::vector<TiffField> f = test::StripFields(4, 1, bits, 1, static_cast<std::uint32_t>(data.size()));
        f.insert(f.end(), {{262, 3, {kMinIsBlack}}, {339, 3, {2}}});
        return BuildTiff(f, data);
    };
    // -128, -1, 0, 127 and -32768, -1, 0, 32767.
    EXPECT_EQ(Decode(signedTiff(8, std::string("\x80\xff\x00\x7f", 4))).Values,
              (std::vector<std::uint16_t>{0, 127, 128, 255}));
    EXPECT_EQ(Decode(signedTiff(16, std::string("\x00\x80\xff\xff\x00\x00\xff\x7f", 8))).Values,
              (std::vector<std::uint16_t>{0, 32767, 32768, 65535}));
    EXPECT_EQ(test::ErrorText([&] { Decode(signedTiff(4, "\x12\x34")); }),
              "k.tif: unsupported TIFF picture (signed 4-bit samples)");
}
