// A reference strip as thick as the cropped picture: a 70 x 40 picture is cropped to 64 x 32, so
// a strip of 64 columns or of 32 rows is the whole field, last row and column included.
#include "image/TFloatImage.h"
#include "spectral/TMyFFT.h"
#include "support/ErrorText.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

namespace corvane {
namespace {

int Texture(int x, int y) {
    return (x * 7 + y * 13 + x * y) % 251;
}

TEST(FullStrip, AStripAsThickAsTheCroppedPictureIsTheWholeFieldAndOneThickerIsRefused) {
    test::TempDir dir;
    const std::string name = dir.File("moire.bmp");
    test::MakeGreyPicture(70, 40, Texture)->SaveBmp(name);
    for (auto [vertical, thickness] : {std::pair{true, 64}, std::pair{false, 32}, std::pair{false, 63}}) {
        const auto fft = TMyFFT::FromStrip(name, vertical, thickness);
        EXPECT_EQ(std::tuple(fft->RefWidth, fft->RefHeight, fft->RefReal->GetPixel(63, 31)),
                  std::tuple(64, 32, static_cast<float>(Texture(63, 31))))
            << "vertical " << vertical << ", thickness " << thickness;
    }
    EXPECT_EQ(test::ErrorText([&] { TMyFFT::FromStrip(name, false, 64); }), "(0,32) not in the image");
    EXPECT_EQ(test::ErrorText([&] { TMyFFT::FromStrip(name, true, 128); }), "(64,0) not in the image");
}

} // namespace
} // namespace corvane
