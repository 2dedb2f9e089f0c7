#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "image/CorvaneError.h"
#include "spectral/CentredFft.h"
#include "support/PlainFft.h"

namespace corvane {
namespace {

struct Field {
    std::int32_t w, h;
    std::vector<float> re, im;
    Field(std::int32_t width, std::int32_t height, unsigned seed = 0)
        : w(width), h(height), re(static_cast<size_t>(width) * height), im(re.size()) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> d(-300.0f, 300.0f);
        if (seed == 0) return;
        for (auto& v : re) v = d(rng);
        for (auto& v : im) v = d(rng);
    }
    float& R(int x, int y) { return re[static_cast<size_t>(y) * w + x]; }
    float& I(int x, int y) { return im[static_cast<size_t>(y) * w + x]; }
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
    for (auto [w, h] : sizes) {
        for (bool centre : {true, false}) {
            Field fast(w, h, seed++);
            Field plain = fast;
            ForwardFFT2D(fast.re.data(), fast.im.data(), w, h, centre);
            test::PlainForwardFFT2D(plain.re.data(), plain.im.data(), w, h, centre);
            EXPECT_TRUE(fast.SameBits(plain)) << "forward " << w << "x" << h << " centre " << centre;
            InverseFFT2D(fast.re.data(), fast.im.data(), w, h, centre);
            test::PlainInverseFFT2D(plain.re.data(), plain.im.data(), w, h, centre);
            EXPECT_TRUE(fast.SameBits(plain)) << "inverse " << w << "x" << h << " centre " << centre;
        }
    }
}

// The forward transform is normalised by 1/(W*H): a unit impulse at (0, 0) is flat.
TEST(CentredFft, ImpulseGivesAFlatSpectrum) {
    const int w = 32, h = 16;
    Field impulse(w, h);
    impulse.R(0, 0) = 1.0f;
    ForwardFFT2D(impulse.re.data(), impulse.im.data(), w, h, true);
    for (int i = 0; i < w * h; ++i) {
        ASSERT_FLOAT_EQ(impulse.re[i], 1.0f / (w * h)) << i;
        ASSERT_NEAR(impulse.im[i], 0.0f, 1e-9) << i;
    }
}

// F(u) = (1/n) sum f(k) exp(+2 pi i u k / n): the grating cos(2 pi k0 x / W + phi) shows its
// two peaks of height 1/2 at W/2 -+ k0, and the one at W/2 - k0 carries the phase +phi.
TEST(CentredFft, CosineGratingPeaksWithConventionalSign) {
    const int w = 64, h = 32, k0 = 8;
    const double phi = 0.7;
    Field f(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f.R(x, y) = static_cast<float>(std::cos(2 * M_PI * k0 * x / w + phi));
    ForwardFFT2D(f.re.data(), f.im.data(), w, h, true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool peak = y == h / 2 && std::abs(x - w / 2) == k0;
            ASSERT_NEAR(std::hypot(f.R(x, y), f.I(x, y)), peak ? 0.5 : 0.0, 1e-5) << x << "," << y;
        }
    EXPECT_NEAR(std::atan2(f.I(w / 2 - k0, h / 2), f.R(w / 2 - k0, h / 2)), phi, 1e-4);
    EXPECT_NEAR(std::atan2(f.I(w / 2 + k0, h / 2), f.R(w / 2 + k0, h / 2)), -phi, 1e-4);
}

TEST(CentredFft, SizesThatAreNotPowersOfTwoAreRefusedUntouched) {
    Field odd(6, 4, 10);
    const Field before = odd;
    EXPECT_THROW(ForwardFFT2D(odd.re.data(), odd.im.data(), 6, 4, true), CorvaneError);
    EXPECT_THROW(InverseFFT2D(odd.re.data(), odd.im.data(), 4, 6, true), CorvaneError);
    EXPECT_TRUE(odd.SameBits(before));
}

} // namespace
} // namespace corvane
