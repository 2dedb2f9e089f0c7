#include "dotgrid/TDotGridEncoder.h"
#include "dotgrid/DotExtraction.h"
#include "dotgrid/TCoordinateSystem.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "support/DotPictures.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace corvane {
namespace {

using test::ErrorText;
using test::PaintBlock;
using test::SpeckleBlock;

/// A picture of blocks of one grey on a background.
struct BlockPicture {
    std::int32_t Width, Height;
    std::vector<std::uint8_t> Pixels;
    BlockPicture(std::int32_t w, std::int32_t h, std::uint8_t background)
        : Width(w), Height(h), Pixels(static_cast<std::size_t>(w) * h, background) {}
    BlockPicture& Add(SpeckleBlock b, std::uint8_t value) {
        PaintBlock(Pixels, Width, b, value);
        return *this;
    }
    TGrayImage Image() { return TGrayImage(Pixels.data(), Width, Height); }
};

TEST(DotExtraction, BorderComponentsAreNeverDotsAndDotsAreNumberedByTheirFirstPixel) {
    // Touching each border (last row and column included), and three inner dots whose first
    // pixels come in another order than their centroids.
    BlockPicture p(40, 30, 0);
    p.Add({0, 10, 3, 3}, 200).Add({39, 5, 1, 4}, 200).Add({12, 0, 4, 2}, 200).Add({20, 27, 5, 3}, 200);
    p.Add({30, 12, 3, 3}, 200); // first pixel row 12
    p.Add({5, 8, 2, 15}, 200);  // first pixel row 8, centroid row 15
    p.Add({18, 10, 6, 2}, 200); // first pixel row 10
    TGrayImage image = p.Image();
    TDotGridEncoder encoder(image, {});
    encoder.ClearBorderDots();
    encoder.NoiseThreshold = 1;
    encoder.RemoveNoise(nullptr);
    EXPECT_EQ(encoder.FDotSum, 3);
    encoder.BuildDotTable(nullptr);
    ASSERT_EQ(encoder.FDotIndex, 3);
    EXPECT_FLOAT_EQ(encoder.FDotInfo[0].X, 5.5f);
    EXPECT_FLOAT_EQ(encoder.FDotInfo[0].Y, 15.0f);
    EXPECT_EQ(encoder.FDotInfo[0].Area, 30);
    EXPECT_FLOAT_EQ(encoder.FDotInfo[1].X, 20.5f);
    EXPECT_FLOAT_EQ(encoder.FDotInfo[1].Y, 10.5f);
    EXPECT_FLOAT_EQ(encoder.FDotInfo[2].X, 31.0f);
    EXPECT_FLOAT_EQ(encoder.FDotInfo[2].Y, 13.0f);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(encoder.FDotInfo[i].Neighbour[2], -1);
        EXPECT_FALSE(encoder.FDotInfo[i].Coded);
    }
    // The table is built on the backup: the work image still holds the inner dots, not the border ones.
    EXPECT_EQ(encoder.WorkImage->GetPixel(31, 13), 200);
    EXPECT_EQ(encoder.WorkImage->GetPixel(1, 11), 0);
    EXPECT_EQ(encoder.WorkImage->GetPixel(39, 6), 0);
}

TEST(DotExtraction, AreaEqualToTheThresholdIsKeptOneLessIsRemovedAndANegativeOneMeansTen) {
    // Inner components of 9, 10 and 12 pixels.
    BlockPicture p(30, 20, 255);
    p.Add({3, 3, 3, 3}, 10).Add({10, 3, 5, 2}, 10).Add({20, 8, 4, 3}, 10);
    for (const int threshold : {10, -1}) {
        TGrayImage image = p.Image();
        TDotGridEncoder encoder(image, {.WhiteGrid = false});
        encoder.NoiseThreshold = threshold;
        encoder.RemoveNoise(nullptr);
        EXPECT_EQ(encoder.NoiseThreshold, 10);
        EXPECT_EQ(encoder.FDotSum, 2);
        EXPECT_EQ(encoder.WorkImage->GetPixel(4, 4), 255); // the 9-pixel one is gone for good
        encoder.BuildDotTable(nullptr);
        ASSERT_EQ(encoder.FDotIndex, 2);
        EXPECT_EQ(encoder.FDotInfo[0].Area, 10);
        EXPECT_EQ(encoder.FDotInfo[1].Area, 12);
    }
}

TEST(DotExtraction, MeanAreaLeastAreaAndNoDotMessages) {
    BlockPicture p(30, 20, 0);
    p.Add({0, 0, 10, 10}, 90).Add({3, 13, 2, 2}, 90).Add({12, 5, 4, 4}, 90).Add({20, 5, 4, 2}, 90);
    TGrayImage image = p.Image();
    TDotGridEncoder encoder(image, {});
    EXPECT_EQ(encoder.AutoEvaluate(), (4 + 16 + 8) / 3); // the border block does not count
    EXPECT_EQ(encoder.MaxArea, 16);
    EXPECT_EQ(EvaluateLeastArea(image, true), 2 * 9 / 3);

    encoder.NoiseThreshold = 17;
    EXPECT_EQ(ErrorText([&] { encoder.RemoveNoise(nullptr); }),
              "No dots in this image\nmay be you should give a small noise threshold");
    BlockPicture empty(30, 20, 0);
    TGrayImage emptyImage = empty.Image();
    EXPECT_EQ(EvaluateLeastArea(emptyImage, true), 0);
    EXPECT_EQ(ErrorText([&] { ExtractDots(emptyImage, {}); }),
              "No dots in this image\nmay be you should give a small noise threshold");
}

TEST(DotExtraction, MoreComponentsThanCountedIsReportedAndTheImageIsPutBack) {
    BlockPicture p(20, 20, 0);
    p.Add({3, 3, 2, 2}, 90).Add({10, 10, 2, 2}, 90);
    TGrayImage image = p.Image();
    TDotGridEncoder encoder(image, {});
    encoder.FDotSum = 1; // as if counted on another picture
    EXPECT_EQ(ErrorText([&] { encoder.BuildDotTable(nullptr); }),
              "May be some dots are error, because FDotIndex > FDotSum");
    EXPECT_EQ(std::memcmp(encoder.WorkImage->Data, p.Pixels.data(), p.Pixels.size()), 0);
}

TEST(DotCentroid, UniformDotAtItsMeanPositionAndDarkerPixelsWeighMoreForBlackDots) {
    BlockPicture white(20, 12, 0);
    white.Add({4, 3, 5, 2}, 77).Add({12, 5, 1, 1}, 77);
    TGrayImage whiteImage = white.Image();
    auto dots = ExtractDots(whiteImage, {.WhiteDots = true, .LeastArea = 1});
    ASSERT_EQ(dots.size(), 2u);
    EXPECT_FLOAT_EQ(dots[0].X, 6.0f);
    EXPECT_FLOAT_EQ(dots[0].Y, 3.5f);

    // Black dot of two pixels, 0 at x = 5 and 200 at x = 6: weights 255 and 55.
    BlockPicture black(12, 8, 255);
    black.Add({5, 3, 1, 1}, 0).Add({6, 3, 1, 1}, 200);
    TGrayImage blackImage = black.Image();
    dots = ExtractDots(blackImage, {.WhiteDots = false, .LeastArea = 1});
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_FLOAT_EQ(dots[0].X, (255.0f * 5 + 55.0f * 6) / 310.0f);
    EXPECT_FLOAT_EQ(dots[0].Y, 3.0f);
}

TEST(DotExtraction, AComponentCoveringMostOfALargePictureNeedsNoCallDepthAndKeepsItsSums) {
    // A 3000 x 2000 frame-shaped snake of full grey: weighted sums far beyond 32 bits.
    const int w = 3000, h = 2000;
    BlockPicture p(w, h, 0);
    for (int y = 2; y < h - 2; y += 4) {
        p.Add({2, y, w - 4, 2}, 255);
        p.Add({(y / 4) % 2 ? 2 : w - 4, y + 2, 2, 2}, 255);
    }
    TGrayImage image = p.Image();
    TDotGridEncoder encoder(image, {});
    encoder.NoiseThreshold = 1;
    encoder.RemoveNoise(nullptr);
    EXPECT_EQ(encoder.FDotSum, 1);
    encoder.BuildDotTable(nullptr);
    double sx = 0, sy = 0, n = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (p.Pixels[static_cast<std::size_t>(y) * w + x]) sx += x, sy += y, ++n;
    EXPECT_EQ(encoder.FDotInfo[0].Area, static_cast<int>(n));
    EXPECT_NEAR(encoder.FDotInfo[0].X, sx / n, 1e-3);
    EXPECT_NEAR(encoder.FDotInfo[0].Y, sy / n, 1e-3);
}

TEST(TCoordinateSystem, CellsStartEmptyAndOutOfRangeIndicesAreRefusedWithTheirOwnWording) {
    TCoordinateSystem cs(3, 2);
    EXPECT_EQ(cs.Get(-3, 2), -1);
    cs.Set(3, -2, 17);
    cs.Set(-3, 2, 4);
    EXPECT_EQ(cs.Get(3, -2), 17);
    EXPECT_EQ(cs.Get(-3, 2), 4);
    EXPECT_EQ(cs.Get(2, -2), -1);
    EXPECT_EQ(ErrorText([&] { cs.Get(4, 0); }), "(4 ,0) not in the range");
    EXPECT_EQ(ErrorText([&] { cs.Set(0, -3, 1); }), "(0 , -3) not in the range");
    EXPECT_EQ(ErrorText([] { TCoordinateSystem bad(-1, 5); }),
              "No enough memory to allocate Coordinate System");
}

} // namespace
} // namespace corvane
