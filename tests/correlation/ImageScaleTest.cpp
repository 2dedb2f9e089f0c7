#include "correlation/ImageScale.h"

#include "image/TFloatImage.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace test;

TEST(ImageScale, MeasuredLengthGivesTheScaleAsShownAndZeroPixelsAreRefused) {
    EXPECT_EQ(MeasuredPixels(310, 60), 250);
    EXPECT_EQ(MeasuredPixels(60, 310), 250);
    const ImageScale scale = ComputeImageScale(
        {.ImageLengthX = 250.0f, .ImageLengthY = 3.0f, .ActualLengthX = 5.0f, .ActualLengthY = 1.0f});
    EXPECT_EQ(scale.ScaleX, 0.02);
    EXPECT_EQ(ScaleText(scale.ScaleX), "0.02");
    // 1/3 in single precision, as the user reads it.
    EXPECT_EQ(ScaleText(scale.ScaleY), "0.33333334");
    EXPECT_EQ(ScaleText(0.5), "0.5");
    EXPECT_EQ(ErrorText([] { ComputeImageScale({.ImageLengthX = 250.0f, .ImageLengthY = 0.0f}); }),
              "The length in the image must not be 0 pixels");
}

TEST(ImageScale, ReachesTheHeaderOfAMapAboutToBeSaved) {
    TFloatImage map(nullptr, 2, 2);
    map.ValueScale = 3.0f;
    ApplyImageScale(map, {0.02, 0.5});
    EXPECT_EQ(map.ScaleX, 0.02f);
    EXPECT_EQ(map.ScaleY, 0.5f);
    EXPECT_EQ(map.ValueScale, 3.0f);
}

} // namespace
} // namespace corvane
