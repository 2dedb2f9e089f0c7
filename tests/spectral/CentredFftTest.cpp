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
