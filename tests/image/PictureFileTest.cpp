// TIFF and PNG pictures written with the system's libraries and read back into grey.
#include "image/PictureFile.h"
#include "image/CorvaneError.h"
#include "image/PngFile.h"
#include "image/TGrayImage.h"
#include "image/TiffFile.h"
#include "support/TestSupport.h"
#include "support/TiffPngPictures.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <functional>
#include <tuple>
#include <vector>

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

TEST(PngFile, GreyColourSixteenBitAndInterlacedPictures) {
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
}

TEST(PngFile, BlankBilevelPageIsNotMistakenForAnOverclaimingFile) {
    // 4000 x 3000 one-bit pixels pack into 1.5 MB of rows that deflate about a thousandfold; widened
    // to 8 bits they would be 12 MB, which no file of this size could hold.
    TempDir dir;
    SamplePicture page =
        MakeSamplePicture(4000, 3000, 1, 1, [](int x, int y, int) { return x == 3999 && y == 2999; });
    test::WritePngPicture(dir.File("page.png"), page);
    const TGrayImage image(dir.File("page.png"));
    EXPECT_EQ(image.GetPixel(3999, 2999), 255); // one-bit white is white
    EXPECT_EQ(image.GetPixel(3998, 2999), 0);
}

TEST(PictureFile, TheContentDecidesTheFormatWhateverTheName) {
    TempDir dir;
    test::WritePngPicture(dir.File("really-png.bmp"), Grey8Picture());
    ExpectPicture(dir.File("really-png.bmp"), Grey8);
    test::WriteTiffPicture(dir.File("really-tiff.png"), Grey8Picture());
    ExpectPicture(dir.File("really-tiff.png"), Grey8);
    test::WriteFileBytes(dir.File("text.tif"), "neither of them");
    EXPECT_EQ(ReadError(dir.File("text.tif")), dir.File("text.tif") + ": not a BMP, TIFF or PNG picture");
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
