#include "image/TPhaseImage.h"
#include "image/CorvaneError.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <numbers>
#include <random>
#include <vector>

using namespace corvane;
using namespace corvane::test;
using Grey = std::vector<std::uint8_t>;

namespace {

std::unique_ptr<TFloatImage> MapOf(int w, int h, const std::vector<float>& values) {
    return MakeFloatMap(w, h, [&](int x, int y) { return values[static_cast<std::size_t>(y * w + x)]; });
}

/// Every pixel of the phase equals the library's double atan2 rounded to single precision.
void ExpectLibraryAtan2(const TFloatImage& phase, const TFloatImage& real, const TFloatImage& imag,
                        int from) {
    int differences = 0;
    for (std::size_t i = static_cast<std::size_t>(from); i < phase.PixelCount(); ++i) {
        const float expected = static_cast<float>(std::atan2(double{imag.Data[i]}, double{real.Data[i]}));
        const float got = phase.Data[i];
        differences += !(got == expected || (std::isnan(expected) && std::isnan(got)));
    }
    EXPECT_EQ(differences, 0);
}

} // namespace

TEST(TPhaseImagePhase, NearZeroRulesAndTheLibraryAtan2InSinglePrecision) {
    // Random magnitudes over many decades, some non-finite, the near-zero cases first; the
    // width is odd so the last pixels of the map take the one-pixel path.
    const int w = 2047, h = 2048;
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-30, 30);
    auto real = MakeFloatMap(w, h, [&](int, int) { return std::ldexp(mantissa(rng), exponent(rng) / 3); });
    auto imag = MakeFloatMap(w, h, [&](int x, int y) {
        return std::ldexp(mantissa(rng), (y * w + x) % 7 == 0 ? exponent(rng) : exponent(rng) / 3);
    });
    // 3.3999999e-20f is the float just below 3.4e-20, 3.4000002e-20f the one above.
    const float d[] = {-1,       0, 0,      1, 1e-21f, -1e-21f, -5, 3.3999999e-20f, 2, 3.4000002e-20f,
                       INFINITY, 1, 1.5e19f};
    const float n[] = {0, 2, 0, 1, -2, 1e-21f, -3.3999999e-20f, -3.5e-20f, -0.0f, 1, 1, NAN, 1e-19f};
    std::copy(std::begin(d), std::end(d), real->Data);
    std::copy(std::begin(n), std::end(n), imag->Data);
    TPhaseImage phase(real.get(), imag.get());
    phase.ComputePhase();
    const float expected[] = {3.1415925f, 1.5707963f,  0, 0.78539819f, -1.5707963f, 3.1415925f,
                              3.1415925f, -1.5707963f, 0};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), phase.Phase->Data));
    ExpectLibraryAtan2(*phase.Phase, *real, *imag, std::size(expected));
    EXPECT_EQ(phase.Gray->GetPixel(0, 0), 254); // 3.1415925 shows just below white
}

TEST(TPhaseImagePhase, AnglesNextToAFloatRoundingBoundaryRoundAsTheLibrary) {
    // Each angle lies within a unit of the last double place of a point halfway between two
    // floats; an approximation of the angle may fall on the other side of that point.
    const std::pair<float, float> hard[] = {
        {-0x1.89f37p+3f, 0x1.3ba44ap-4f},  {0x1.be14e8p-3f, -0x1.63b02ep+2f},
        {-0x1.e6003ep-3f, 0x1.45d7a4p-4f}, {0x1.e840c8p-2f, -0x1.13116ap-4f},
        {0x1.c78dp-4f, -0x1.0a483p+0f},    {-0x1.793c32p-4f, 0x1.44d5acp-3f},
        {0x1.44475ep+4f, -0x1.b90ee8p+1f},
    };
    for (const auto& [n, d] : hard) {
        const double angle = std::atan2(double{n}, double{d});
        ASSERT_NE(static_cast<float>(angle), static_cast<float>(std::nextafter(angle, 0.0)))
            << n << " / " << d;
    }
    // Seven pairs repeated along 59 pixels meet every place of a block and the one-pixel tail.
    auto real = MakeFloatMap(59, 1, [&](int x, int) { return hard[x % 7].second; });
    auto imag = MakeFloatMap(59, 1, [&](int x, int) { return hard[x % 7].first; });
    TPhaseImage phase(real.get(), imag.get());
    phase.ComputePhase();
    ExpectLibraryAtan2(*phase.Phase, *real, *imag, 0);
}

TEST(TPhaseImageDisplay, WrappedAndMinMaxRules) {
    const float pi = 3.1415927f;
    auto map = MapOf(4, 1, {-pi, 0.0f, pi, 1.0f});
    TPhaseImage phase(map.get());
    phase.UpdateGray();
    EXPECT_EQ(Levels(*phase.Gray), (Grey{0, 127, 255, 168}));

    // Subtracting a reference switches to the min-max rule: -pi..pi-1 spread over 0..255.
    auto reference = MapOf(4, 1, {0.0f, 0.0f, 1.0f, 0.0f});
    phase.SubtractReference(*reference);
    EXPECT_EQ(Levels(*phase.Gray)[0], 0);
    EXPECT_EQ(Levels(*phase.Gray)[2], 255);

    EXPECT_THROW(phase.SubtractReference(*MakeFloatMap(3, 1, [](int, int) { return 0; })), CorvaneError);
    auto tall = MakeFloatMap(4, 2, [](int, int) { return 1; });
    TPhaseImage mismatched(map.get(), tall.get());
    EXPECT_THROW(mismatched.ComputePhase(), CorvaneError);
    EXPECT_THROW(mismatched.ComputeSpectrum(), CorvaneError);

    auto ramp = MakeFloatMap(5, 3, [](int x, int y) { return 2.0 * x + 3.0 * y; });
    TPhaseImage flat(ramp.get());
    flat.RemoveCarrier(2.0f, 3.0f);
    EXPECT_EQ(ramp->SumRect(0, 0, 4, 2), 0.0f);
    EXPECT_EQ(Levels(*flat.Gray), Grey(15, 0));
}

TEST(TPhaseImageSpectrum, LinearAndLogarithmicScales) {
    auto zero = MakeFloatMap(3, 3, [](int, int) { return 0; });
    auto re = MapOf(3, 1, {0.0f, 3.0f, 6.0f}), im = MapOf(3, 1, {0.0f, 4.0f, 8.0f});
    for (bool linear : {true, false}) {
        TPhaseImage blank(zero.get(), zero.get()), spectrum(re.get(), im.get());
        blank.LinearSpectrum = spectrum.LinearSpectrum = linear;
        blank.ComputeSpectrum(), spectrum.ComputeSpectrum();
        EXPECT_EQ(Levels(*blank.Gray), Grey(9, 0)) << "linear " << linear;
        // Linear: 25 * 255 / 100; logarithmic: log(1 + 5) * 255 / log(1 + 10).
        const int middle = linear ? 63 : static_cast<int>(std::log(6.0) * 255 / std::log(11.0));
        EXPECT_EQ(Levels(*spectrum.Gray), (Grey{0, static_cast<std::uint8_t>(middle), 255}))
            << "linear " << linear;
        if (linear) {
            EXPECT_EQ(spectrum.Phase->GetPixel(2, 0), 100.0f);
        }
    }
}

TEST(TPhaseImageFit, PeakSearchAndPlaneFit) {
    auto map =
        MakeFloatMap(8, 6, [](int x, int y) { return (x == 6 && y == 1) || (x == 2 && y == 4) ? 5.0 : 1.0; });
    TPhaseImage peak(map.get());
    peak.FindPeak(0, 0, 8, 6);
    EXPECT_EQ(std::pair(peak.CarrierX, peak.CarrierY), std::pair(6 - 4, 1 - 3));
    peak.FindPeak(0, 2, 100, 100); // window clipped to the map
    EXPECT_EQ(peak.CarrierY, 4 - 3);

    auto plane = MakeFloatMap(64, 48, [](int x, int y) { return 0.013 * x - 0.021 * y; });
    TPhaseImage fit(plane.get());
    fit.FitPlane(3);
    EXPECT_NEAR(fit.SlopeX, 0.013f, 1e-5);
    EXPECT_NEAR(fit.SlopeY, -0.021f, 1e-5);
    fit.FitPlane(40); // no pixel left: no slope
    EXPECT_EQ(std::pair(fit.SlopeX, fit.SlopeY), std::pair(0.0f, 0.0f));
}

// The jump threshold of the row-then-column unwrap is 2 t pi. A wrapped ramp rising 2 rad per
// pixel across and falling 2.5 rad per pixel down lies between t pi and 2 t pi for t = 1/2: its
// true steps are no jumps, its wrapped steps (2 - 2 pi, 2 pi - 2.5) are.
TEST(UnwrapThreshold, StepsBetweenTPiAndTwoTPiAreNoJumpsInEitherDirection) {
    constexpr int w = 6, h = 9, x0 = 2, y0 = 3;
    auto ramp = [](int x, int y) { return 2.0 * x - 2.5 * y; };
    auto map =
        MakeFloatMap(w, h, [&](int x, int y) { return std::remainder(ramp(x, y), 2 * std::numbers::pi); });
    const double start = map->GetPixel(x0, y0);
    TPhaseImage phase(map.get());
    phase.Unwrap(x0, y0, 0.5f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_NEAR(map->GetPixel(x, y), start + ramp(x, y) - ramp(x0, y0), 1e-4) << x << "," << y;
}
