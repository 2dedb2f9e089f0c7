#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "image/CorvaneError.h"
#include "spectral/CentredFft.h"
#include "support/DirectDft.h"
#include "support/PlainFft.h"

namespace corvane {
namespace {

struct Field {
    std::int32_t w, h;
    std::vector<float> re, im;
    Field(std::int32_t width, std::int32_t height)
        : w(width), h(height), re(static_cast<size_t>(width) * height), im(re.size()) {}
    float& R(int x, int y) { return re[static_cast<size_t>(y) * w + x]; }
    float& I(int x, int y) { return im[static_cast<size_t>(y) * w + x]; }
};

Field RandomField(std::int32_t w, std::int32_t h, unsigned seed) {
    Field f(w, h);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-300.0f, 300.0f);
    for (auto& v : f.re) v = d(rng);
    for (auto& v : f.im) v = d(rng);
    return f;
}

bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// The fast transform must reproduce, bit for bit, the literal transcription of the kernel on
// every shape it meets: square, wide, tall, single rows and columns, and sizes below one block.
TEST(CentredFft, MatchesPlainTranscriptionBitForBit) {
    const std::pair<int, int> sizes[] = {{1, 1},  {1, 8},    {8, 1},   {2, 4},    {4, 2},   {16, 8},
                                         {8, 32}, {64, 64},  {256, 16}, {16, 256}, {128, 64}, {512, 32}};
    unsigned seed = 1;
    for (auto [w, h] : sizes) {
        for (bool centre : {true, false}) {
            Field fast = RandomField(w, h, seed++);
            Field plain = fast;
            ForwardFFT2D(fast.re.data(), fast.im.data(), w, h, centre);
            test::PlainForwardFFT2D(plain.re.data(), plain.im.data(), w, h, centre);
            EXPECT_TRUE(SameBits(fast.re, plain.re) && SameBits(fast.im, plain.im))
                << "forward " << w << "x" << h << " centre " << centre;
            InverseFFT2D(fast.re.data(), fast.im.data(), w, h, centre);
            test::PlainInverseFFT2D(plain.re.data(), plain.im.data(), w, h, centre);
            EXPECT_TRUE(SameBits(fast.re, plain.re) && SameBits(fast.im, plain.im))
                << "inverse " << w << "x" << h << " centre " << centre;
        }
    }
}

TEST(CentredFft, AgreesWithDirectSumOnSmallFields) {
    for (auto [w, h] : {std::pair{8, 4}, std::pair{4, 16}, std::pair{16, 16}}) {
        Field f = RandomField(w, h, 42u + w);
        test::ComplexField input{w, h, {f.re.begin(), f.re.end()}, {f.im.begin(), f.im.end()}};
        const test::ComplexField expected = test::DirectCentredForward(input);
        ForwardFFT2D(f.re.data(), f.im.data(), w, h, true);
        for (size_t i = 0; i < f.re.size(); ++i) {
            EXPECT_NEAR(f.re[i], expected.Re[i], 1e-4) << w << "x" << h << " at " << i;
            EXPECT_NEAR(f.im[i], expected.Im[i], 1e-4) << w << "x" << h << " at " << i;
        }
    }
}

// The forward transform is normalised by 1/(W*H): a unit impulse at (0, 0) is flat.
TEST(CentredFft, ImpulseGivesAFlatSpectrum) {
    const int w = 32, h = 16;
    Field impulse(w, h);
    impulse.R(0, 0) = 1.0f;
    ForwardFFT2D(impulse.re.data(), impulse.im.data(), w, h, true);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            EXPECT_FLOAT_EQ(impulse.R(x, y), 1.0f / (w * h)) << x << "," << y;
            EXPECT_NEAR(impulse.I(x, y), 0.0f, 1e-9) << x << "," << y;
        }
}

// F(u) = (1/n) sum f(k) exp(+2 pi i u k / n): the grating cos(2 pi k0 x / W + phi) shows its
// two peaks at W/2 -+ k0, and the one at W/2 - k0 carries the phase +phi.
TEST(CentredFft, CosineGratingPeaksWithConventionalSign) {
    const int w = 64, h = 32, k0 = 8;
    const double phi = 0.7;
    Field f(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f.R(x, y) = static_cast<float>(std::cos(2 * M_PI * k0 * x / w + phi));
    ForwardFFT2D(f.re.data(), f.im.data(), w, h, true);
    int bestX = -1, bestY = -1;
    float best = -1;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float p = f.R(x, y) * f.R(x, y) + f.I(x, y) * f.I(x, y);
            if (p > best) best = p, bestX = x, bestY = y;
        }
    EXPECT_EQ(bestX, w / 2 - k0);
    EXPECT_EQ(bestY, h / 2);
    EXPECT_NEAR(std::atan2(f.I(w / 2 - k0, h / 2), f.R(w / 2 - k0, h / 2)), phi, 1e-4);
    EXPECT_NEAR(std::atan2(f.I(w / 2 + k0, h / 2), f.R(w / 2 + k0, h / 2)), -phi, 1e-4);
    EXPECT_NEAR(std::hypot(f.R(w / 2 - k0, h / 2), f.I(w / 2 - k0, h / 2)), 0.5, 1e-5);
}

TEST(CentredFft, SizesThatAreNotPowersOfTwoAreRefusedUntouched) {
    Field odd = RandomField(6, 4, 10);
    const Field oddBefore = odd;
    EXPECT_THROW(ForwardFFT2D(odd.re.data(), odd.im.data(), 6, 4, true), CorvaneError);
    EXPECT_THROW(InverseFFT2D(odd.re.data(), odd.im.data(), 4, 6, true), CorvaneError);
    EXPECT_TRUE(SameBits(odd.re, oddBefore.re));
}

} // namespace
} // namespace corvane
