// Rounding rules on values where rounding and truncation part ways, and the BMP size fields of a
// file too large for 16 bits.
#include "image/BmpFile.h"
#include "image/ByteOrder.h"
#include "image/TGrayImage.h"
#include "support/BmpBuilder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane {
namespace {

using Grey = std::vector<std::uint8_t>;

Grey Decode(const test::BmpLayout& layout) {
    const std::string bytes = test::BuildBmp(layout);
    return DecodeBmpGray(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), "r.bmp").Pixels;
}

// Grey is (R + G + B) / 3 rounded: channel sums 2 and 764 leave a remainder of 2, where
// truncation would give 0 and 254. Every direct-colour depth goes through the same rule.
TEST(RoundingRules, ColourPixelsRoundTheMeanOfTheirChannels) {
    EXPECT_EQ(Decode({.Width = 3, .Height = 1, .Pixels = {0x000002, 0x000001, 0xFFFEFF}}), (Grey{1, 0, 255}));
    EXPECT_EQ(Decode({.Width = 2, .Height = 1, .Bits = 32, .Pixels = {0x010001, 0xFEFFFF}}), (Grey{1, 255}));
}

// A 5-bit channel of 4 scales to 4 * 255 / 31 = 32.9, rounded to 33: three such channels give
// 33, where truncated channels would give 32. A 16-bit channel of 0x8000 scales to 127.502,
// rounded to 128; with 127 and 128 beside it the grey is 128, where truncation gives 127.
TEST(RoundingRules, NarrowAndWideColourMasksRoundTheirScaledChannels) {
    EXPECT_EQ(Decode({.Width = 2, .Height = 1, .Bits = 16, .Pixels = {0x1084, 0x0421}}), (Grey{33, 8}));
    EXPECT_EQ(Decode({.Width = 2,
                      .Height = 1,
                      .Bits = 32,
                      .Compression = 3,
                      .Masks = {0xFFFF0000, 0x0000FF00, 0x000000FF},
                      .MasksAfterHeader = true,
                      .Pixels = {0x80007F80, 0xFFFFFFFF}}),
              (Grey{128, 255}));
}

// 200 x 120 grey is 54 + 600 * 120 = 72054 bytes: beyond what 16 bits hold.
TEST(BmpSizeFields, ALargeFileStatesItsWholeSizeAndItsPixelBytes) {
    test::TempDir dir;
    TGrayImage(nullptr, 200, 120).SaveBmp(dir.File("large.bmp"));
    const std::string bytes = test::ReadFileBytes(dir.File("large.bmp"));
    ASSERT_EQ(bytes.size(), 72054u);
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    EXPECT_EQ(ReadU32LE(b + 2), 72054u);
    EXPECT_EQ(ReadU32LE(b + 34), 72000u);
}

} // namespace
} // namespace corvane
