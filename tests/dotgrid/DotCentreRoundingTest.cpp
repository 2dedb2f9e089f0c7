// A dot's centre is its weighted sum divided by its weight, rounded to float once: a large dot far
// from the origin (sums past 2^24) lands on the float nearest the true quotient, not one step off.
#include "dotgrid/DotExtraction.h"
#include "image/TGrayImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace corvane {
namespace {

TEST(DotCentreRounding, SumsPastTwoToThe24GiveTheNearestFloat) {
    // A 7 x 6 dot of full weight whose top-left pixel weighs only 4, far down the right of a
    // 1790 x 1760 picture: both weighted sums pass 2^24 (x about 1768, y about 1742).
    const std::int32_t width = 1790, height = 1760, x0 = 1765, y0 = 1740;
    std::int64_t sumWX = 0, sumWY = 0, sumW = 0;
    std::vector<std::uint8_t> white(static_cast<std::size_t>(width) * height, 0);
    for (std::int32_t y = y0; y < y0 + 6; ++y)
        for (std::int32_t x = x0; x < x0 + 7; ++x) {
            const std::uint8_t w = x == x0 && y == y0 ? 4 : 255;
            white[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)] = w;
            sumWX += w * x;
            sumWY += w * y;
            sumW += w;
        }
    ASSERT_GT(sumWX, std::int64_t{1} << 24);
    ASSERT_GT(sumWY, std::int64_t{1} << 24);
    const float wantX = static_cast<float>(static_cast<double>(sumWX) / static_cast<double>(sumW));
    const float wantY = static_cast<float>(static_cast<double>(sumWY) / static_cast<double>(sumW));
    // The data tells the rules apart: sums rounded to float first land elsewhere on both axes.
    ASSERT_NE(static_cast<float>(sumWX) / static_cast<float>(sumW), wantX);
    ASSERT_NE(static_cast<float>(sumWY) / static_cast<float>(sumW), wantY);

    // The same dot dark on a white background weighs 255 - v: the same weights.
    std::vector<std::uint8_t> black(white.size());
    for (std::size_t i = 0; i < white.size(); ++i)
        black[i] = static_cast<std::uint8_t>(255 - white[i]);
    for (bool whiteDots : {true, false}) {
        SCOPED_TRACE(whiteDots ? "white dots" : "black dots");
        TGrayImage picture((whiteDots ? white : black).data(), width, height);
        TDotExtractionOptions options;
        options.WhiteDots = whiteDots;
        options.LeastArea = 10;
        const std::vector<TDotInfo> dots = ExtractDots(picture, options);
        ASSERT_EQ(dots.size(), 1u);
        EXPECT_EQ(dots[0].X, wantX);
        EXPECT_EQ(dots[0].Y, wantY);
    }
}

} // namespace
} // namespace corvane
