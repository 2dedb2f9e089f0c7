#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "image/CorvaneError.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "spectral/TMyFFT.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using Pattern = std::function<std::uint8_t(int x, int y)>;

std::string WriteBmp(const test::TempDir& dir, const std::string& name, int w, int h, const Pattern& grey) {
    TGrayImage image(nullptr, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.Data[y * w + x] = grey(x, y);
    const std::string file = dir.File(name);
    image.SaveBmp(file);
    return file;
}

std::string WriteFlt(const test::TempDir& dir, const std::string& name, int w, int h, float value) {
    TFloatImage map(nullptr, w, h);
    for (int i = 0; i < w * h; ++i) map.Data[i] = value + static_cast<float>(i);
    const std::string file = dir.File(name);
    map.SaveFlt(file);
    return file;
}

std::uint8_t Texture(int x, int y) { return static_cast<std::uint8_t>((x * 7 + y * 13 + x * y) % 251); }

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const CorvaneError& e) {
        return e.what();
    }
    return "(no error)";
}

// A complex field exp(i (2 pi kx x / w + 2 pi ky y / h + phi)).
std::pair<std::unique_ptr<TFloatImage>, std::unique_ptr<TFloatImage>> Wave(int w, int h, double kx, double ky,
                                                                            double phi) {
    auto re = std::make_unique<TFloatImage>(nullptr, w, h);
    auto im = std::make_unique<TFloatImage>(nullptr, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double a = 2 * M_PI * (kx * x / w + ky * y / h) + phi;
            re->Data[y * w + x] = static_cast<float>(std::cos(a));
            im->Data[y * w + x] = static_cast<float>(std::sin(a));
        }
    return {std::move(re), std::move(im)};
}

TEST(TMyFFTConstruction, GreyImageIsCroppedToPowersOfTwoWithoutPadding) {
    test::TempDir dir;
    for (auto [w, h] : {std::pair{513, 300}, std::pair{640, 480}}) {
        TMyFFT fft(WriteBmp(dir, "in.bmp", w, h, Texture));
        ASSERT_EQ(fft.Width, 512);
        ASSERT_EQ(fft.Height, 256);
        ASSERT_EQ(fft.Real->Width * fft.Imag->Height, 512 * 256);
        for (int y : {0, 17, 255})
            for (int x : {0, 300, 511}) {
                EXPECT_EQ(fft.Real->GetPixel(x, y), Texture(x, y)) << x << "," << y;
                EXPECT_EQ(fft.Imag->GetPixel(x, y), 0.0f);
            }
    }

    // One pixel wide: W = 1, and a transform of length 1 leaves the value as it is.
    TMyFFT thin(WriteBmp(dir, "thin.bmp", 1, 1, [](int, int) { return std::uint8_t{93}; }));
    EXPECT_EQ(thin.Width, 1);
    thin.ForwardFFT();
    EXPECT_EQ(thin.Real->Data[0], 93.0f);
    EXPECT_EQ(thin.Imag->Data[0], 0.0f);

    const std::string missing = dir.File("missing.bmp");
    EXPECT_EQ(MessageOf([&] { TMyFFT f(missing); }), missing + ": not exists");
}

TEST(TMyFFTConstruction, FloatPairIsCheckedBeforeUse) {
    test::TempDir dir;
    const std::string zr = WriteFlt(dir, "zr.flt", 8, 4, 1.0f);
    const std::string zi = WriteFlt(dir, "zi.flt", 8, 4, -1.0f);
    TMyFFT fft(zr, zi);
    EXPECT_EQ(fft.Width, 8);
    EXPECT_EQ(fft.Height, 4);
    EXPECT_EQ(fft.Real->GetPixel(3, 2), 1.0f + 19);
    EXPECT_EQ(fft.Imag->GetPixel(3, 2), -1.0f + 19);

    const std::string small = WriteFlt(dir, "small.flt", 4, 4, 0.0f);
    const std::string odd = WriteFlt(dir, "odd.flt", 6, 4, 0.0f);
    EXPECT_EQ(MessageOf([&] { TMyFFT f(zr, small); }),
              "The real part (8 x 4) and the imaginary part (4 x 4) differ in size");
    EXPECT_EQ(MessageOf([&] { TMyFFT f(odd, odd); }), "The spectrum size 6 x 4 is not a power of two");
    EXPECT_THROW(TMyFFT(zr, dir.File("nothing.flt")), CorvaneError);
}

TEST(TMyFFTTransform, SpectrumCentreIsTheMeanOfTheCroppedImage) {
    test::TempDir dir;
    TMyFFT flat(WriteBmp(dir, "flat.bmp", 70, 40, [](int x, int) { return std::uint8_t(x < 64 ? 200 : 0); }));
    flat.ForwardFFT();
    for (int i = 0; i < 64 * 32; ++i) {
        EXPECT_NEAR(flat.Real->Data[i], i == 16 * 64 + 32 ? 200.0f : 0.0f, 1e-3) << i;
        EXPECT_NEAR(flat.Imag->Data[i], 0.0f, 1e-3) << i;
    }
}

TEST(TMyFFTTransform, CutOrderMovesTheCarrierBlockToTheCentre) {
    test::TempDir dir;
    TMyFFT fft(WriteBmp(dir, "tex.bmp", 32, 16, Texture));
    fft.ForwardFFT();
    TFloatImage before(nullptr, 32, 16), beforeIm(nullptr, 32, 16);
    std::copy_n(fft.Real->Data, 32 * 16, before.Data);
    std::copy_n(fft.Imag->Data, 32 * 16, beforeIm.Data);

    // A whole-size block with no carrier keeps every value.
    fft.CutOrder(32, 16);
    for (int i = 0; i < 32 * 16; ++i) {
        ASSERT_EQ(fft.Real->Data[i], before.Data[i]) << i;
        ASSERT_EQ(fft.Imag->Data[i], beforeIm.Data[i]) << i;
    }

    // Carrier (5, -3), block 2 x 3 (raised to 3 x 3): the 3 x 3 block around (21, 5) lands
    // around (16, 8) and everything else is cleared.
    fft.CarrierX = 5;
    fft.CarrierY = -3;
    fft.CutOrder(2, 3);
    EXPECT_EQ(fft.CarrierUsedX, 5);
    EXPECT_EQ(fft.CarrierUsedY, -3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool inBlock = std::abs(x - 16) <= 1 && std::abs(y - 8) <= 1;
            const float re = inBlock ? before.GetPixel(x + 5, y - 3) : 0.0f;
            const float im = inBlock ? beforeIm.GetPixel(x + 5, y - 3) : 0.0f;
            EXPECT_EQ(fft.Real->GetPixel(x, y), re) << x << "," << y;
            EXPECT_EQ(fft.Imag->GetPixel(x, y), im) << x << "," << y;
        }

    // A block reaching past the border is clipped instead of failing.
    fft.CarrierX = 15;
    fft.CarrierY = 0;
    EXPECT_NO_THROW(fft.CutOrder(9, 9));
}

// The carrier method on a reference field: a tilted plane wave shows one spectral peak at the
// centre minus its carrier; cutting that order out and transforming back leaves only the
// residual phase, whose plane fit gives the tilt.
TEST(TMyFFTReference, CarrierPeakCutAndPlaneFit) {
    test::TempDir dir;
    TMyFFT fft(WriteBmp(dir, "tex.bmp", 64, 64, Texture));
    EXPECT_EQ(MessageOf([&] { fft.FindPeak(0, 0, 4, 4); }), "no reference field: TMyFFT");
    const int kx = 6, ky = 2;
    auto [re, im] = Wave(32, 64, kx, ky, 0.3);
    fft.SetReference(std::move(re), std::move(im));
    EXPECT_EQ(fft.RefWidth, 32);
    EXPECT_EQ(fft.RefHeight, 64);

    fft.ForwardFFTRef();
    fft.ShowSpectrumRef();
    ASSERT_NE(fft.RefPhase->Gray, nullptr);
    fft.FindPeak(0, 0, 32, 64);
    EXPECT_EQ(fft.CarrierX, -kx);
    EXPECT_EQ(fft.CarrierY, -ky);

    fft.CutOrderRef(5, 5);
    fft.InverseFFTRef();
    fft.ComputePhaseRef();
    // With the carrier removed the field is the constant exp(0.3 i).
    for (int y = 0; y < 64; y += 7)
        for (int x = 0; x < 32; x += 5) EXPECT_NEAR(fft.RefPhase->Phase->GetPixel(x, y), 0.3f, 1e-4);

    // A small residual tilt is found by the plane fit.
    auto [tre, tim] = Wave(32, 64, 0.1, 0.2, 0.0);
    fft.SetReference(std::move(tre), std::move(tim));
    fft.ComputePhaseRef();
    fft.FitPlane(2);
    EXPECT_NEAR(fft.PlaneA, 2 * M_PI * 0.1 / 32, 1e-4);
    EXPECT_NEAR(fft.PlaneB, 2 * M_PI * 0.2 / 64, 1e-4);
}

TEST(TMyFFTReference, StripAndImagePairConstructions) {
    test::TempDir dir;
    const std::string image = WriteBmp(dir, "moire.bmp", 100, 70, Texture);

    auto columns = TMyFFT::FromStrip(image, true, 40);
    auto rows = TMyFFT::FromStrip(image, false, 20);
    EXPECT_EQ(std::pair(columns->RefWidth, columns->RefHeight), std::pair(32, 64));
    EXPECT_EQ(std::pair(rows->RefWidth, rows->RefHeight), std::pair(64, 16));
    for (int i : {0, 15, 31}) {
        EXPECT_EQ(columns->RefReal->GetPixel(i, 63 - i), Texture(i, 63 - i));
        EXPECT_EQ(rows->RefReal->GetPixel(63 - i, i / 2), Texture(63 - i, i / 2));
    }
    EXPECT_EQ(MessageOf([&] { TMyFFT::FromStrip(image, true, 200); }), "(64,0) not in the image");

    const std::string reference =
        WriteBmp(dir, "ref.bmp", 64, 64, [](int x, int y) { return static_cast<std::uint8_t>(x + y); });
    auto pair = TMyFFT::FromImagePair(image, reference);
    EXPECT_EQ(pair->RefWidth, 64);
    EXPECT_EQ(pair->RefHeight, 64);
    EXPECT_EQ(pair->RefReal->GetPixel(10, 20), 30.0f);
    EXPECT_EQ(pair->Real->GetPixel(10, 20), Texture(10, 20));
    const std::string tooSmall = WriteBmp(dir, "small.bmp", 64, 50, Texture);
    EXPECT_EQ(MessageOf([&] { TMyFFT::FromImagePair(image, tooSmall); }), "(0,50) not in the gray image");
}

} // namespace
} // namespace corvane
