#include "phase/PhaseShift.h"
#include "image/CorvaneError.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr double kPi = std::numbers::pi;

/// The known phase of the test scene: a tilted ramp that wraps several times over the picture.
double KnownPhase(int x, int y) {
    return std::remainder(0.23 * x - 0.11 * y + 0.5, 2 * kPi);
}

/// Step pictures 8-bit quantised: I = round(127.5 + 100 cos(phi + shift)).
std::vector<std::unique_ptr<TGrayImage>> Steps(int w, int h, const std::vector<double>& shifts) {
    std::vector<std::unique_ptr<TGrayImage>> steps;
    for (double shift : shifts)
        steps.push_back(MakeGreyPicture(w, h, [&](int x, int y) {
            return std::lround(127.5 + 100.0 * std::cos(KnownPhase(x, y) + shift));
        }));
    return steps;
}

std::vector<const TGrayImage*> Pointers(const std::vector<std::unique_ptr<TGrayImage>>& steps) {
    std::vector<const TGrayImage*> p;
    for (const auto& s : steps)
        p.push_back(s.get());
    return p;
}

/// Root mean square of the wrapped difference between the computed and the known phase.
double PhaseRms(const TFloatImage& phase) {
    double sum = 0.0;
    for (int y = 0; y < phase.Height; ++y)
        for (int x = 0; x < phase.Width; ++x) {
            const double d =
                std::remainder(double{phase.Data[y * phase.Width + x]} - KnownPhase(x, y), 2 * kPi);
            sum += d * d;
        }
    return std::sqrt(sum / static_cast<double>(phase.PixelCount()));
}

/// One step picture per grey level list (a 3 x 2 picture, pixel i = levels[i]).
std::unique_ptr<TGrayImage> Tiny(const std::vector<int>& levels) {
    return MakeGreyPicture(3, 2, [&](int x, int y) { return levels[static_cast<std::size_t>(y * 3 + x)]; });
}

} // namespace

TEST(PhaseShift, EachMethodRecoversAKnownPhaseToEightBitQuantisation) {
    const int w = 97, h = 64; // not square, odd width
    struct Case {
        PhaseShiftMethod Method;
        std::vector<double> Shifts;
    };
    const double alpha = 0.4; // equal steps of 2 alpha, an arbitrary size the method does not need
    const Case cases[] = {
        {PhaseShiftMethod::Const3Step, {0, 2 * kPi / 3, 4 * kPi / 3}},
        {PhaseShiftMethod::Const4Step, {0, kPi / 2, kPi, 3 * kPi / 2}},
        {PhaseShiftMethod::Equal4Step, {-3 * alpha, -alpha, alpha, 3 * alpha}},
    };
    // Measured RMS: 0.0024, 0.0029 and 0.0115 rad; quantising the pictures (amplitude 100) to whole
    // levels limits them, and the equal-step root amplifies the noise where the phase is near 0 or pi.
    const double limits[] = {0.004, 0.004, 0.02};
    for (std::size_t c = 0; c < std::size(cases); ++c) {
        const auto steps = Steps(w, h, cases[c].Shifts);
        const PhaseShiftResult result = ComputePhaseShift(cases[c].Method, Pointers(steps));
        ASSERT_EQ(result.Phase->Phase->Width, w);
        ASSERT_EQ(result.Phase->Phase->Height, h);
        const double rms = PhaseRms(*result.Phase->Phase);
        EXPECT_LT(rms, limits[c]) << "method " << c;
        // The picture uses the wrapped rule: the last pixel's grey follows its phase.
        const float last = result.Phase->Phase->Data[w * h - 1];
        EXPECT_EQ(result.Phase->Gray->Data[w * h - 1],
                  static_cast<int>((double{last} + 3.1415926) * 127.5 * 0.31830989161357204));
    }
}

TEST(PhaseShift, NearZeroTermsGiveTheFixedSinglePrecisionAngles) {
    // Const 4 step: N = I4 - I2, D = I1 - I3. Pixels: N = 0 with D < 0, D = 0 with N > 0 and N < 0,
    // all equal, N = 0 with D > 0, and an ordinary pixel in the last row and column.
    const auto i1 = Tiny({10, 70, 70, 50, 90, 20});
    const auto i2 = Tiny({50, 20, 90, 50, 40, 60});
    const auto i3 = Tiny({90, 70, 70, 50, 30, 10});
    const auto i4 = Tiny({50, 90, 20, 50, 40, 30});
    const PhaseShiftResult r =
        ComputePhaseShift(PhaseShiftMethod::Const4Step, {i1.get(), i2.get(), i3.get(), i4.get()});
    const float* phi = r.Phase->Phase->Data;
    EXPECT_EQ(phi[0], 3.14159250f);
    EXPECT_LT(phi[0], static_cast<float>(kPi));
    EXPECT_EQ(phi[1], 1.57079625f);
    EXPECT_EQ(phi[2], -1.57079625f);
    EXPECT_EQ(phi[3], 0.0f);
    EXPECT_EQ(phi[4], 0.0f);
    EXPECT_EQ(phi[5], static_cast<float>(std::atan2(-30.0, 10.0)));
}

TEST(PhaseShift, TermsFollowTheIntegerFormulas) {
    const auto i1 = Tiny({10, 200, 0, 255, 7, 30});
    const auto i2 = Tiny({100, 20, 255, 0, 9, 31});
    const auto i3 = Tiny({20, 180, 0, 255, 9, 29});
    const auto i4 = Tiny({30, 10, 255, 0, 7, 30});
    TFloatImage n(nullptr, 3, 2), d(nullptr, 3, 2);

    ComputePhaseShiftTerms(PhaseShiftMethod::Const3Step, {i1.get(), i2.get(), i3.get()}, n, d);
    EXPECT_EQ(n.Data[0], static_cast<float>(-80 * 1.7320508)); // the seven-decimal constant
    EXPECT_NE(n.Data[0], static_cast<float>(-80 * std::sqrt(3.0)));
    EXPECT_EQ(d.Data[0], 2 * 10 - 100 - 20);
    EXPECT_EQ(d.Data[3], 2 * 255 - 0 - 255);

    ComputePhaseShiftTerms(PhaseShiftMethod::Equal4Step, {i1.get(), i2.get(), i3.get(), i4.get()}, n, d);
    // I1 < I4: the numerator is negative although the root is positive.
    EXPECT_EQ(n.Data[0], -static_cast<float>(std::sqrt(260.0 * 60.0)));
    EXPECT_EQ(d.Data[0], (100 + 20) - (10 + 30));
    // I1 > I4: positive; the product inside the root is negative here, its magnitude is used.
    EXPECT_EQ(n.Data[1], static_cast<float>(std::sqrt(std::fabs((3.0 * -160 - 190) * (190 - 160)))));
    // Extremes of the grey range stay exact in 32-bit arithmetic.
    EXPECT_EQ(n.Data[2], -static_cast<float>(std::sqrt(std::fabs((3.0 * 255 + 255) * (-255 + 255.0)))));
    EXPECT_EQ(d.Data[3], (0 + 255) - (255 + 0));
    // I1 = I4: the sign is +.
    EXPECT_FALSE(std::signbit(n.Data[4]));
}

TEST(PhaseShift, StepImagesSmallerThanStepTwoAreRefusedNamingBothSizes) {
    const auto a = MakeGreyPicture(64, 50, [](int, int) { return 1; });
    const auto b = MakeGreyPicture(64, 48, [](int, int) { return 1; });
    const auto narrower = MakeGreyPicture(63, 50, [](int, int) { return 1; });
    EXPECT_EQ(ErrorText([&] {
                  ComputePhaseShift(PhaseShiftMethod::Const3Step, {a.get(), a.get(), b.get()});
              }),
              "Step 3 image is 64 x 48, Step 2 image is 64 x 50: a step image must not be smaller than "
              "the Step 2 image");
    EXPECT_EQ(
        ErrorText([&] {
            ComputePhaseShift(PhaseShiftMethod::Const4Step, {narrower.get(), a.get(), a.get(), a.get()});
        }),
        "Step 1 image is 63 x 50, Step 2 image is 64 x 50: a step image must not be smaller than "
        "the Step 2 image");
    EXPECT_NE(ErrorText([&] {
                  ComputePhaseShift(PhaseShiftMethod::Equal4Step, {a.get(), a.get(), a.get()});
              }),
              "no error");
}

// Step pictures larger than Step 2's are read over Step 2's extent, each with its own row width:
// their levels change along rows and between rows, so a row read with another picture's width differs.
TEST(PhaseShift, LargerStepsAreReadOverStepTwosExtentAsTheirTopLeftPart) {
    const std::pair<PhaseShiftMethod, std::vector<std::pair<int, int>>> cases[] = {
        {PhaseShiftMethod::Const3Step, {{11, 5}, {7, 5}, {7, 9}}},
        {PhaseShiftMethod::Const4Step, {{7, 5}, {7, 5}, {10, 8}, {8, 5}}},
        {PhaseShiftMethod::Equal4Step, {{9, 6}, {7, 5}, {7, 5}, {12, 5}}},
    };
    for (const auto& [method, sizes] : cases) {
        std::vector<std::unique_ptr<TGrayImage>> large, cropped;
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            const auto level = [k](int x, int y) { return (37 * x + 11 * y + 53 * int(k)) % 256; };
            large.push_back(MakeGreyPicture(sizes[k].first, sizes[k].second, level));
            cropped.push_back(MakeGreyPicture(7, 5, level));
        }
        const PhaseShiftResult got = ComputePhaseShift(method, Pointers(large)),
                               want = ComputePhaseShift(method, Pointers(cropped));
        ASSERT_EQ(std::pair(got.PhaseMap->Width, got.PhaseMap->Height), std::pair(7, 5));
        EXPECT_EQ(Values(*got.Numerator), Values(*want.Numerator));
        EXPECT_EQ(Values(*got.Denominator), Values(*want.Denominator));
    }
}
