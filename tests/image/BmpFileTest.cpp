#include "image/BmpFile.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "support/BmpBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace corvane {
namespace {

using test::BmpSpec;
using test::BuildBmp;
namespace field = test::bmpfield;

GrayRaster Decode(const std::string& bytes, const std::string& name = "pic.bmp") {
    return DecodeBmpGray(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), name);
}

std::string DecodeError(const std::string& bytes) {
    try {
        Decode(bytes, "bad.bmp");
    } catch (const CorvaneError& e) {
        return e.what();
    }
    return "decoded";
}

std::vector<std::uint8_t> Ramp(std::size_t n, unsigned step) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(i * step + 3);
    return v;
}

TEST(GrayOfRgbTest, RoundsTheChannelMeanToNearest) {
    EXPECT_EQ(GrayOfRgb(10, 20, 31), 20); // 61/3 + 0.5 = 20.83
    EXPECT_EQ(GrayOfRgb(1, 1, 2), 1);     // 1.33 rounds down
    EXPECT_EQ(GrayOfRgb(1, 2, 2), 2);     // 1.67 rounds up
    for (unsigned v = 0; v < 256; ++v) EXPECT_EQ(GrayOfRgb(v, v, v), v) << v;
}

TEST(BmpDecodeTest, TwentyFourBitRowsArePaddedAndStoredBottomUp) {
    for (std::int32_t width : {1, 2, 3, 5, 7}) {
        std::vector<std::uint8_t> grey = Ramp(static_cast<std::size_t>(width) * 3, 11);
        BmpSpec spec{.Width = width, .Height = 3, .Pixels = test::GreyAsRgb(grey)};
        GrayRaster r = Decode(BuildBmp(spec));
        EXPECT_EQ(r.Width, width);
        EXPECT_EQ(r.Height, 3);
        EXPECT_EQ(r.Pixels, grey) << "width " << width;

        spec.Height = -3; // the same picture stored top-down
        EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, grey) << "top-down width " << width;
    }
}

TEST(BmpDecodeTest, ColourPixelsBecomeTheRoundedChannelMean) {
    BmpSpec spec{.Width = 2, .Height = 1, .Pixels = {0x0A141F, 0xFF0000}}; // (10,20,31), pure red
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{20, 85}));
    spec.Bits = 32;
    spec.Pixels = {0xEE0A141F, 0x000000FF}; // the fourth byte is not a colour
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{20, 85}));
}

TEST(BmpDecodeTest, PaletteImagesOfEveryDepthReadTheirPaletteGreys) {
    struct Case {
        std::uint16_t bits;
        std::int32_t width;
    };
    for (Case c : {Case{1, 9}, Case{1, 33}, Case{2, 5}, Case{4, 3}, Case{4, 8}, Case{8, 5}}) {
        const unsigned colours = 1u << c.bits;
        BmpSpec spec{.Width = c.width, .Height = -2, .Bits = c.bits};
        std::vector<std::uint8_t> expected;
        for (unsigned i = 0; i < colours; ++i) spec.Palette.push_back(((i * 37 + 5) & 0xFF) * 0x010101u);
        for (std::int32_t i = 0; i < c.width * 2; ++i) {
            unsigned index = static_cast<unsigned>(i * 7 + i / 3) % colours;
            spec.Pixels.push_back(index);
            expected.push_back(static_cast<std::uint8_t>((index * 37 + 5) & 0xFF));
        }
        EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, expected) << c.bits << " bits, width " << c.width;
        spec.Height = 2;
        EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, expected) << c.bits << " bits bottom-up";
    }
}

TEST(BmpDecodeTest, ShortAndColourPalettes) {
    // Two colours declared in an 8-bit file; a colour entry becomes the mean of its channels.
    BmpSpec spec{.Width = 3, .Height = 1, .Bits = 8, .ColorsUsed = 2, .Palette = {0x0A141F, 0xFFFFFF},
                 .Pixels = {1, 0, 1}};
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{255, 20, 255}));

    // The 12-byte core header has 3-byte palette entries.
    spec.HeaderSize = 12;
    spec.ColorsUsed = 0;
    spec.Bits = 1;
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{255, 20, 255}));
}

TEST(BmpDecodeTest, SixteenBitFiveFiveFiveAndFiveSixFive) {
    // 555 without masks: white, pure blue at full scale, half green.
    BmpSpec spec{.Width = 3, .Height = 1, .Bits = 16, .Pixels = {0x7FFF, 0x001F, 0x0200}};
    // 16 of 31 green scales to 132: (0 + 132 + 0) / 3 = 44.
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{255, 85, 44}));

    // 565 through bit fields after a 40-byte header.
    spec.Compression = 3;
    spec.Masks = {0xF800, 0x07E0, 0x001F};
    spec.MasksAfterHeader = true;
    spec.Pixels = {0xFFFF, 0x07E0, 0xF81F};
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{255, 85, 170}));

    // The same masks inside 52- and 56-byte headers.
    spec.MasksAfterHeader = false;
    for (std::uint32_t header : {52u, 56u, 108u, 124u}) {
        spec.HeaderSize = header;
        EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{255, 85, 170})) << header;
    }
}

TEST(BmpDecodeTest, ThirtyTwoBitFieldsInLargeHeaders) {
    // Red in the top byte, blue in the second: a layout only the masks reveal.
    BmpSpec spec{.Width = 2, .Height = -1, .Bits = 32, .HeaderSize = 124, .Compression = 3,
                 .Masks = {0xFF000000, 0x00FF0000, 0x0000FF00}, .Pixels = {0x0A141F00, 0xFF0000FF}};
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{20, 85}));
    spec.HeaderSize = 108;
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{20, 85}));
    // Ten bits per channel scale to 0..255.
    spec.Masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    spec.Pixels = {0x3FFFFFFF, 0x3FF00000};
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{255, 85}));
}

TEST(BmpDecodeTest, OldOs2HeadersAndEmptyPictures) {
    BmpSpec spec{.Width = 3, .Height = 2, .HeaderSize = 16, .Pixels = test::GreyAsRgb({1, 2, 3, 4, 5, 6})};
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
    spec.HeaderSize = 12;
    EXPECT_EQ(Decode(BuildBmp(spec)).Pixels, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));

    BmpSpec empty{.Width = 0, .Height = 4};
    GrayRaster r = Decode(BuildBmp(empty));
    EXPECT_EQ(r.Width, 0);
    EXPECT_EQ(r.Height, 4);
    EXPECT_TRUE(r.Pixels.empty());
}

TEST(BmpDecodeTest, LastRowWithoutItsPaddingIsAccepted) {
    BmpSpec spec{.Width = 1, .Height = 2, .Pixels = {0x101010, 0x202020}};
    std::string bytes = BuildBmp(spec);
    bytes.pop_back(); // the padding byte of the last stored row
    EXPECT_EQ(Decode(bytes).Pixels, (std::vector<std::uint8_t>{16, 32}));
    bytes.pop_back(); // now a colour byte is missing
    EXPECT_EQ(DecodeError(bytes), "bad.bmp: truncated BMP file");
}

TEST(BmpDecodeTest, DamagedAndHostileHeadersAreRefusedWithAClearMessage) {
    const BmpSpec good24{.Width = 3, .Height = 2, .Pixels = test::GreyAsRgb({1, 2, 3, 4, 5, 6})};
    const BmpSpec good8{.Width = 3, .Height = 2, .Bits = 8, .ColorsUsed = 4,
                        .Palette = {0, 0x404040, 0x808080, 0xFFFFFF}, .Pixels = {0, 1, 2, 3, 2, 1}};
    const std::string base = BuildBmp(good24);
    const std::string pal = BuildBmp(good8);
    auto with32 = [](std::string b, std::size_t at, std::uint32_t v) { return test::Put32At(b, at, v), b; };
    auto with16 = [](std::string b, std::size_t at, std::uint16_t v) { return test::Put16At(b, at, v), b; };

    EXPECT_EQ(DecodeError(""), "bad.bmp: not a BMP file");
    EXPECT_EQ(DecodeError("BM"), "bad.bmp: not a BMP file");
    EXPECT_EQ(DecodeError("PK" + base.substr(2)), "bad.bmp: not a BMP file");
    EXPECT_EQ(DecodeError(base.substr(0, 30)), "bad.bmp: truncated BMP file");
    EXPECT_EQ(DecodeError(with32(base, field::kHeaderSize, 0)), "bad.bmp: unsupported BMP header");
    EXPECT_EQ(DecodeError(with32(base, field::kHeaderSize, 41)), "bad.bmp: unsupported BMP header");
    EXPECT_EQ(DecodeError(with32(base, field::kHeaderSize, 124)), "bad.bmp: truncated BMP file");
    EXPECT_EQ(DecodeError(with32(base, field::kHeaderSize, 0xFFFFFFF0)), "bad.bmp: unsupported BMP header");

    // Dimensions: negative width, the most negative height, sizes beyond what the file holds.
    EXPECT_EQ(DecodeError(with32(base, field::kWidth, static_cast<std::uint32_t>(-3))), "bad.bmp: bad BMP dimensions");
    EXPECT_EQ(DecodeError(with32(base, field::kHeight, 0x80000000u)), "bad.bmp: image too large");
    EXPECT_EQ(DecodeError(with32(base, field::kWidth, 0x7FFFFFFF)), "bad.bmp: image too large");
    EXPECT_EQ(DecodeError(with32(with32(base, field::kWidth, 40000), field::kHeight, 40000)),
              "bad.bmp: truncated BMP file");
    EXPECT_EQ(DecodeError(with32(base, field::kHeight, 3)), "bad.bmp: truncated BMP file");

    // Pixel data offset past the end, inside the headers, or leaving too few bytes.
    EXPECT_EQ(DecodeError(with32(base, field::kPixelOffset, 0xFFFFFFFF)), "bad.bmp: truncated BMP file");
    EXPECT_EQ(DecodeError(with32(base, field::kPixelOffset, 20)), "bad.bmp: bad pixel data offset");
    EXPECT_EQ(DecodeError(with32(base, field::kPixelOffset, 60)), "bad.bmp: truncated BMP file");

    // Bit counts that make no sense.
    for (std::uint16_t bits : {0, 3, 7, 48, 64, 0xFFFF})
        EXPECT_EQ(DecodeError(with16(base, field::kBits, bits)), "bad.bmp: unsupported bit count " + std::to_string(bits));

    // Embedded JPEG and PNG streams; run-length codes on a depth they do not fit; unknown codings.
    for (std::uint32_t c : {4u, 5u})
        EXPECT_EQ(DecodeError(with32(pal, field::kCompression, c)), "bad.bmp: compressed BMP files are not supported");
    EXPECT_EQ(DecodeError(with32(pal, field::kCompression, 2)), "bad.bmp: unsupported BMP compression 2");
    EXPECT_EQ(DecodeError(with32(base, field::kCompression, 1)), "bad.bmp: unsupported BMP compression 1");
    EXPECT_EQ(DecodeError(with32(base, field::kCompression, 11)), "bad.bmp: unsupported BMP compression 11");

    // Bit fields on 24 bits, empty masks, masks wider than 16-bit pixels.
    EXPECT_EQ(DecodeError(with32(base, field::kCompression, 3)), "bad.bmp: bad BMP colour masks");
    BmpSpec masked{.Width = 1, .Height = 1, .Bits = 16, .Compression = 3, .Masks = {0, 0, 0},
                   .MasksAfterHeader = true, .Pixels = {0}};
    EXPECT_EQ(DecodeError(BuildBmp(masked)), "bad.bmp: bad BMP colour masks");
    masked.Masks = {0x1F0000, 0x7E0, 0x1F};
    EXPECT_EQ(DecodeError(BuildBmp(masked)), "bad.bmp: bad BMP colour masks");
    EXPECT_EQ(DecodeError(BuildBmp(masked).substr(0, 60)), "bad.bmp: truncated BMP file");

    // Indices past the palette, whether the palette is declared short or cut by the pixel offset.
    EXPECT_EQ(DecodeError(with32(pal, field::kColorsUsed, 3)), "bad.bmp: palette index out of range");
    BmpSpec cut = good8;
    cut.Palette.resize(2);
    cut.ColorsUsed = 0;
    EXPECT_EQ(DecodeError(BuildBmp(cut)), "bad.bmp: palette index out of range");
    cut.Palette.clear();
    EXPECT_EQ(DecodeError(BuildBmp(cut)), "bad.bmp: palette index out of range");
}

std::vector<std::uint32_t> GreyRamp(unsigned n, unsigned step) {
    std::vector<std::uint32_t> palette;
    for (unsigned i = 0; i < n; ++i) palette.push_back(i * step * 0x010101u);
    return palette;
}

TEST(BmpDecodeTest, RunLengthCodedPictures) {
    // 8 bits, bottom row first: a run, an odd literal with its pad byte, end of line; a move of
    // one right and one up that skips a whole row; a run; end of picture.
    BmpSpec rle8{.Width = 5, .Height = 3, .Bits = 8, .Compression = 1, .Palette = GreyRamp(16, 16),
                 .PixelBytes = std::string("\x02\x01\x00\x03\x02\x03\x04\x00\x00\x00"
                                           "\x00\x02\x01\x01\x03\x05\x00\x01", 18)};
    EXPECT_EQ(Decode(BuildBmp(rle8)).Pixels,
              (std::vector<std::uint8_t>{0, 80, 80, 80, 0, 0, 0, 0, 0, 0, 16, 16, 32, 48, 64}));

    // A run longer than the row is clipped at the right edge; no end mark is needed.
    rle8.Height = 1;
    rle8.PixelBytes = std::string("\x09\x02", 2);
    EXPECT_EQ(Decode(BuildBmp(rle8)).Pixels, std::vector<std::uint8_t>(5, 32));

    // 4 bits: a run alternates the two nibbles; a literal of three nibbles takes two bytes.
    BmpSpec rle4{.Width = 6, .Height = 1, .Bits = 4, .Compression = 2, .Palette = GreyRamp(16, 16),
                 .PixelBytes = std::string("\x03\x12\x00\x03\x34\x50\x00\x01", 8)};
    EXPECT_EQ(Decode(BuildBmp(rle4)).Pixels, (std::vector<std::uint8_t>{16, 32, 16, 48, 64, 80}));

    // An empty picture of 256 x 256 is a valid two-byte file.
    BmpSpec blank{.Width = 256, .Height = 256, .Bits = 8, .Compression = 1, .Palette = GreyRamp(2, 255),
                  .PixelBytes = std::string("\x00\x01", 2)};
    EXPECT_EQ(Decode(BuildBmp(blank)).Pixels, std::vector<std::uint8_t>(65536, 0));

    // Damaged codes: literal past the end, index past the palette, stored top-down, a picture far
    // larger than its codes.
    rle8.PixelBytes = std::string("\x00\x05\x01\x02", 4);
    EXPECT_EQ(DecodeError(BuildBmp(rle8)), "bad.bmp: truncated BMP file");
    rle8.PixelBytes = std::string("\x02\x10", 2);
    EXPECT_EQ(DecodeError(BuildBmp(rle8)), "bad.bmp: palette index out of range");
    rle8.PixelBytes = std::string("\x02\x01", 2);
    rle8.Height = -1;
    EXPECT_EQ(DecodeError(BuildBmp(rle8)), "bad.bmp: bad BMP dimensions");
    blank.Width = 1000;
    blank.Height = 1000;
    EXPECT_EQ(DecodeError(BuildBmp(blank)), "bad.bmp: truncated BMP file");
}

TEST(BmpDecodeTest, EveryTruncationAndRandomDamageFailsCleanly) {
    // Each prefix of a file, and files with random bytes overwritten, either decode to a picture
    // of the size the header states or raise a CorvaneError; never a crash or a wild read
    // (the sanitizer build checks the reads).
    struct Sample {
        BmpSpec spec;
        std::size_t optionalTail; // trailing bytes a reader may do without (row padding)
    };
    const std::vector<Sample> samples = {
        {{.Width = 5, .Height = 3, .Bits = 4, .Palette = GreyRamp(16, 3), .Pixels = std::vector<std::uint32_t>(15, 7)}, 1},
        {{.Width = 3, .Height = 3, .Bits = 16, .HeaderSize = 124, .Compression = 3, .Masks = {0xF800, 0x7E0, 0x1F},
          .Pixels = std::vector<std::uint32_t>(9, 1)}, 2},
        {{.Width = 9, .Height = 2, .Bits = 1, .HeaderSize = 12, .Palette = {0, 0xFFFFFF},
          .Pixels = std::vector<std::uint32_t>(18, 1)}, 2},
        {{.Width = 3, .Height = -2, .Bits = 24, .Pixels = std::vector<std::uint32_t>(6, 0x102030)}, 3},
        {{.Width = 2, .Height = 2, .Bits = 32, .HeaderSize = 56, .Compression = 3,
          .Masks = {0xFF0000, 0xFF00, 0xFF}, .Pixels = {1, 2, 3, 4}}, 0},
    };
    for (const Sample& sample : samples) {
        const std::string file = BuildBmp(sample.spec);
        for (std::size_t n = 0; n + sample.optionalTail < file.size(); ++n)
            EXPECT_THROW(Decode(file.substr(0, n)), CorvaneError) << "prefix of " << n << " bytes";
    }
    BmpSpec rle{.Width = 6, .Height = 2, .Bits = 8, .Compression = 1, .Palette = GreyRamp(8, 30),
                .PixelBytes = std::string("\x03\x01\x00\x03\x02\x03\x04\x00\x00\x00\x00\x02\x01\x00\x02\x05\x00\x01", 18)};
    std::mt19937 rng(7);
    std::vector<std::string> files = {BuildBmp(rle)};
    for (const Sample& sample : samples) files.push_back(BuildBmp(sample.spec));
    for (const std::string& file : files) {
        for (int trial = 0; trial < 3000; ++trial) {
            std::string damaged = file;
            for (int k = 0; k < 3; ++k) damaged[rng() % damaged.size()] = static_cast<char>(rng() & 0xFF);
            try {
                GrayRaster r = Decode(damaged);
                EXPECT_EQ(r.Pixels.size(), static_cast<std::size_t>(r.Width) * static_cast<std::size_t>(r.Height));
                EXPECT_LE(r.Pixels.size(), std::max<std::size_t>(damaged.size() * 256, 65536));
            } catch (const CorvaneError&) {
            }
        }
    }
}

TEST(BmpWriteTest, WritesTheTwentyFourBitGreyForm) {
    test::TempDir dir;
    const std::string name = dir.File("out.bmp");
    std::vector<std::uint8_t> grey = {10, 20, 30, 40, 50, 60}; // 3 x 2: rows of 9 bytes padded to 12
    TGrayImage image(grey.data(), 3, 2);
    image.SaveBmp(name);
    std::string bytes = test::ReadFileBytes(name);
    ASSERT_EQ(bytes.size(), 54u + 2 * 12);
    auto u32 = [&](std::size_t at) {
        std::uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(u32(2), bytes.size());
    EXPECT_EQ(u32(field::kPixelOffset), 54u);
    EXPECT_EQ(u32(field::kHeaderSize), 40u);
    EXPECT_EQ(u32(field::kWidth), 3u);
    EXPECT_EQ(u32(field::kHeight), 2u); // positive: bottom-up
    EXPECT_EQ(bytes[field::kBits], 24);
    EXPECT_EQ(u32(field::kCompression), 0u);
    // The bottom row comes first, B = G = R, padding zero.
    EXPECT_EQ(bytes.substr(54, 12), std::string("\x28\x28\x28\x32\x32\x32\x3C\x3C\x3C\0\0\0", 12));
    EXPECT_EQ(bytes.substr(66, 3), "\x0A\x0A\x0A");
}

} // namespace
} // namespace corvane
