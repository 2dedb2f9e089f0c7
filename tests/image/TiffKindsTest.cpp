// TIFF kinds beyond 8- and 16-bit grey and RGB: low-bit grey and palette pictures in tiles and
// strips, every orientation for every kind, signed samples.
#include "image/TiffFile.h"
#include "support/ErrorText.h"
#include "support/HandMadePictures.h"

#include <gtest/gtest.h>

using namespace corvane;
using test::BuildTiff;
using test::TiffField;

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
