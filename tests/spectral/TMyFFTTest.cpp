#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "image/CorvaneError.h"
#include "image/TFloatImage.h"
#include "spectral/CentredFft.h"
#include "spectral/TMyFFT.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/PlainFft.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

std::uint8_t Texture(int x, int y) {
    return static_cast<std::uint8_t>((x * 7 + y * 13 + x * y) % 251);
}

class TMyFFTFiles : public ::testing::Test {
  protected:
    std::string WriteBmp(const std::string& name, int w, int h,
                         const std::function<std::uint8_t(int, int)>& grey = Texture) {
        test::MakeGreyPicture(w, h, grey)->SaveBmp(dir.File(name));
        return dir.File(name);
    }
    // A w x h float map holding first, first + 1, ... row by row.
    std::string WriteFlt(const std::string& name, int w, int h, float first) {
        test::MakeFloatMap(w, h, [&](int x, int y) { return first + y * w + x; })->SaveFlt(dir.File(name));
        return dir.File(name);
    }
    test::TempDir dir;
};

// A grey image is cropped to powers of two without padding; a float pair is checked before use.
TEST_F(TMyFFTFiles, ConstructionFromGreyImageOrFloatPair) {
    for (auto [w, h] : {std::pair{513, 300}, std::pair{640, 480}}) {
        TMyFFT fft(WriteBmp("in.bmp", w, h));
        ASSERT_EQ(std::tuple(fft.Width, fft.Height, fft.Real->Width, fft.Imag->Height),
                  std::tuple(512, 256, 512, 256));
        for (int i = 0; i < 512 * 256; i += 997)
            ASSERT_EQ(fft.Real->Data[i], Texture(i % 512, i / 512)) << i;
        EXPECT_EQ(std::count(fft.Imag->Data, fft.Imag->Data + 512 * 256, 0.0f), 512 * 256);
    }
    // One pixel: W = H = 1, and a transform of length 1 leaves the value as it is.
    TMyFFT thin(WriteBmp("thin.bmp", 1, 1, [](int, int) { return std::uint8_t{93}; }));
    thin.ForwardFFT();
    EXPECT_EQ(std::tuple(thin.Width, thin.Real->Data[0], thin.Imag->Data[0]), std::tuple(1, 93.0f, 0.0f));
    EXPECT_EQ(test::ErrorText([&] { TMyFFT f(dir.File("none.bmp")); }),
              dir.File("none.bmp") + ": not exists");

    const std::string zr = WriteFlt("zr.flt", 8, 4, 1.0f);
    TMyFFT fft(zr, WriteFlt("zi.flt", 8, 4, -1.0f));
    EXPECT_EQ(std::tuple(fft.Width, fft.Height, fft.Real->GetPixel(3, 2), fft.Imag->GetPixel(3, 2)),
              std::tuple(8, 4, 1.0f + 19, -1.0f + 19));
    const std::string odd = WriteFlt("odd.flt", 6, 4, 0.0f);
    EXPECT_EQ(test::ErrorText([&] { TMyFFT f(zr, WriteFlt("small.flt", 4, 4, 0.0f)); }),
              "The real part (8 x 4) and the imaginary part (4 x 4) differ in size");
    EXPECT_EQ(test::ErrorText([&] { TMyFFT f(odd, odd); }), "The spectrum size 6 x 4 is not a power of two");
}

TEST_F(TMyFFTFiles, CutOrderMovesTheCarrierBlockToTheCentre) {
    TMyFFT fft(WriteBmp("tex.bmp", 32, 16));
    fft.ForwardFFT();
    const std::vector<float> re = test::Values(*fft.Real), im = test::Values(*fft.Imag);
    // A whole-size block with no carrier keeps every value, although it reaches past the border.
    fft.CutOrder(32, 16);
    EXPECT_EQ(std::pair(test::Values(*fft.Real), test::Values(*fft.Imag)), std::pair(re, im));

    // Carrier (5, -3), block 2 x 3 (raised to 3 x 3): the block around (21, 5) lands around
    // (16, 8) and everything else is cleared.
    fft.CarrierX = 5;
    fft.CarrierY = -3;
    fft.CutOrder(2, 3);
    EXPECT_EQ(std::pair(fft.CarrierUsedX, fft.CarrierUsedY), std::pair(5, -3));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const bool inBlock = std::abs(x - 16) <= 1 && std::abs(y - 8) <= 1;
            ASSERT_EQ(fft.Real->GetPixel(x, y), inBlock ? re[(y - 3) * 32 + x + 5] : 0.0f) << x << "," << y;
            ASSERT_EQ(fft.Imag->GetPixel(x, y), inBlock ? im[(y - 3) * 32 + x + 5] : 0.0f) << x << "," << y;
        }
    // A negative size counts as 0, raised to one pixel.
    const float centre = fft.Real->GetPixel(16, 8);
    fft.CarrierX = fft.CarrierY = 0;
    fft.CutOrder(-4, 0);
    EXPECT_EQ(std::count(fft.Real->Data, fft.Real->Data + 512, 0.0f), 511);
    EXPECT_EQ(fft.Real->GetPixel(16, 8), centre);
}

// The carrier method on a separate reference picture of fringes: cutting the spectral peak at
// the centre minus the carrier out and transforming back leaves the fringes' constant phase.
TEST_F(TMyFFTFiles, ReferenceFromImagePair) {
    const std::string image = WriteBmp("moire.bmp", 100, 70);
    EXPECT_EQ(test::ErrorText([&] { TMyFFT(image).FindPeak(0, 0, 4, 4); }), "no reference field: TMyFFT");
    const std::string fringes = WriteBmp("ref.bmp", 70, 64, [](int x, int y) {
        return static_cast<std::uint8_t>(128 + 100 * std::cos(2 * M_PI * (6 * x + 2 * y) / 64 + 0.3));
    });
    auto fft = TMyFFT::FromImagePair(image, fringes);
    EXPECT_EQ(std::pair(fft->RefWidth, fft->RefHeight), std::pair(64, 64));
    EXPECT_EQ(fft->Real->GetPixel(10, 20), Texture(10, 20));
    fft->ForwardFFTRef();
    fft->ShowSpectrumRef();
    fft->FindPeak(0, 0, 32, 64); // the left half, without the zero frequency
    EXPECT_EQ(std::pair(fft->CarrierX, fft->CarrierY), std::pair(-6, -2));
    fft->CutOrderRef(5, 5);
    fft->InverseFFTRef();
    fft->ComputePhaseRef();
    for (int i = 0; i < 64 * 64; i += 37)
        EXPECT_NEAR(fft->RefPhase->Phase->Data[i], 0.3f, 1e-2) << i;
    EXPECT_EQ(test::ErrorText([&] { TMyFFT::FromImagePair(image, WriteBmp("small.bmp", 64, 50)); }),
              "(0,50) not in the gray image");
}

// A 70 x 40 picture is cropped to 64 x 32: a strip of 64 columns or of 32 (or 63) rows is the whole
// field, last row and column included, and one thicker is refused.
TEST_F(TMyFFTFiles, AStripAsThickAsTheCroppedPictureIsTheWholeField) {
    const std::string name = WriteBmp("moire.bmp", 70, 40);
    for (auto [vertical, thickness] : {std::pair{true, 64}, std::pair{false, 32}, std::pair{false, 63}}) {
        const auto fft = TMyFFT::FromStrip(name, vertical, thickness);
        EXPECT_EQ(std::tuple(fft->RefWidth, fft->RefHeight, fft->RefReal->GetPixel(63, 31)),
                  std::tuple(64, 32, static_cast<float>(Texture(63, 31))))
            << "vertical " << vertical << ", thickness " << thickness;
    }
    EXPECT_EQ(test::ErrorText([&] { TMyFFT::FromStrip(name, false, 64); }), "(0,32) not in the image");
    EXPECT_EQ(test::ErrorText([&] { TMyFFT::FromStrip(name, true, 128); }), "(64,0) not in the image");
}

// A field of random values in -300 ... 300.
struct Field {
    std::vector<float> re, im;
    Field(std::int32_t w, std::int32_t h, unsigned seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> d(-300.0f, 300.0f);
        for (std::int32_t i = 0; i < 2 * w * h; ++i)
            (i % 2 ? im : re).push_back(d(rng));
    }
    bool SameBits(const Field& o) const {
        return std::memcmp(re.data(), o.re.data(), re.size() * 4) == 0 &&
               std::memcmp(im.data(), o.im.data(), im.size() * 4) == 0;
    }
};

// The fast transform must reproduce, bit for bit, the literal transcription of the kernel on
// every shape it meets: square, wide, tall, single rows and columns, and sizes below one block.
TEST(CentredFft, MatchesPlainTranscriptionBitForBit) {
    const std::pair<int, int> sizes[] = {{1, 1},  {1, 8},   {8, 1},    {2, 4},    {4, 2},    {16, 8},
                                         {8, 32}, {64, 64}, {256, 16}, {16, 256}, {128, 64}, {512, 32}};
    unsigned seed = 1;
    for (auto [w, h] : sizes)
        for (bool centre : {true, false}) {
            Field fast(w, h, seed++), plain = fast;
            ForwardFFT2D(fast.re.data(), fast.im.data(), w, h, centre);
            test::PlainForwardFFT2D(plain.re.data(), plain.im.data(), w, h, centre);
            EXPECT_TRUE(fast.SameBits(plain)) << "forward " << w << "x" << h << " centre " << centre;
            InverseFFT2D(fast.re.data(), fast.im.data(), w, h, centre);
            test::PlainInverseFFT2D(plain.re.data(), plain.im.data(), w, h, centre);
            EXPECT_TRUE(fast.SameBits(plain)) << "inverse " << w << "x" << h << " centre " << centre;
        }
}

// F(u) = (1/n) sum f(k) exp(+2 pi i u k / n): the grating cos(2 pi k0 x / W + phi) has its two
// peaks of height 1/2 at W/2 -+ k0, and the one at W/2 - k0 carries the phase +phi.
TEST(CentredFft, CosineGratingPeaksWithConventionalSignAndScale) {
    const int w = 64, h = 32, k0 = 8;
    std::vector<float> re(w * h), im(w * h);
    for (int i = 0; i < w * h; ++i)
        re[i] = static_cast<float>(std::cos(2 * M_PI * k0 * (i % w) / w + 0.7));
    ForwardFFT2D(re.data(), im.data(), w, h, true);
    for (int i = 0; i < w * h; ++i) {
        const bool peak = i / w == h / 2 && std::abs(i % w - w / 2) == k0;
        ASSERT_NEAR(std::hypot(re[i], im[i]), peak ? 0.5 : 0.0, 1e-5) << i % w << "," << i / w;
    }
    const int left = h / 2 * w + w / 2 - k0, right = left + 2 * k0;
    EXPECT_NEAR(std::atan2(im[left], re[left]), 0.7, 1e-4);
    EXPECT_NEAR(std::atan2(im[right], re[right]), -0.7, 1e-4);
}

TEST(CentredFft, SizesThatAreNotPowersOfTwoAreRefusedUntouched) {
    Field odd(6, 4, 10), before = odd;
    EXPECT_THROW(ForwardFFT2D(odd.re.data(), odd.im.data(), 6, 4, true), CorvaneError);
    EXPECT_THROW(InverseFFT2D(odd.re.data(), odd.im.data(), 4, 6, true), CorvaneError);
    EXPECT_TRUE(odd.SameBits(before));
}

} // namespace
} // namespace corvane
