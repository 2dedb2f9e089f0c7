// A dot's centre is its weighted sum divided by its weight, rounded to float once.
#include "dotgrid/DotExtraction.h"
#include "image/TGrayImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane {
namespace {

// A 7 x 6 dot whose top-left pixel weighs 4, far down the right of a 1790 x 1760 picture: both
// weighted sums pass 2^24, where sums rounded to float first put the centre one step off on both
// axes. Dark on white, the weights 255 - v are the same.
TEST(DotCentreRounding, SumsPastTwoToThe24GiveTheNearestFloat) {
    const int width = 1790, height = 1760, x0 = 1765, y0 = 1740;
    double sumWX = 0, sumWY = 0, sumW = 0;
    std::vector<std::uint8_t> white(std::size_t{width} * height, 0), black(white.size(), 255);
    for (int y = y0; y < y0 + 6; ++y)
        for (int x = x0; x < x0 + 7; ++x) {
            const int w = x == x0 && y == y0 ? 4 : 255;
            white[std::size_t(y) * width + x] = std::uint8_t(w);
            black[std::size_t(y) * width + x] = std::uint8_t(255 - w);
            sumWX += w * x, sumWY += w * y, sumW += w;
        }
    ASSERT_NE(float(sumWX) / float(sumW), float(sumWX / sumW)) << "the data tells the rules apart";
    ASSERT_NE(float(sumWY) / float(sumW), float(sumWY / sumW));
    for (bool whiteDots : {true, false}) {
        TGrayImage picture((whiteDots ? white : black).data(), width, height);
        const std::vector<TDotInfo> dots = ExtractDots(picture, {whiteDots, 10});
        ASSERT_EQ(dots.size(), 1u);
        EXPECT_EQ(dots[0].X, float(sumWX / sumW));
        EXPECT_EQ(dots[0].Y, float(sumWY / sumW));
    }
}

} // namespace
} // namespace corvane
