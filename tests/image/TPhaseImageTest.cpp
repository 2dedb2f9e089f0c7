#include "image/CorvaneError.h"
#include "image/TPhaseImage.h"
#include "support/FloatMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

std::unique_ptr<TFloatImage> MapOf(int w, int h, const std::vector<float>& values) {
    return MakeFloatMap(w, h, [&](int x, int y) { return values[static_cast<std::size_t>(y * w + x)]; });
}

} // namespace

TEST(TPhaseImagePhase, NearZeroRulesAndTheLibraryAtan2InSinglePrecision) {
    // Random magnitudes over many decades, some non-finite, the near-zero cases first; the
    // width is odd so the last pixels of the map take the one-pixel path.
    const int w = 1001, h = 300;
    auto real = MakeFloatMap(w, h, [](int, int) { return 0; });
    auto imag = MakeFloatMap(w, h, [](int, int) { return 0; });
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < w * h; ++i) {
        real->Data[i] = std::ldexp(mantissa(rng), exponent(rng) / 3);
        imag->Data[i] = std::ldexp(mantissa(rng), i % 7 == 0 ? exponent(rng) : exponent(rng) / 3);
    }
    const float d[] = {-1, 0, 0, 1, 1e-21f, -1e-21f, -5, 3e-20f, 2, INFINITY, 1};
    const float n[] = {0, 2, 0, 1, -2, 1e-21f, -1e-25f, -3.5e-20f, -0.0f, 1, NAN};
    std::copy(d, d + 11, real->Data);
    std::copy(n, n + 11, imag->Data);
    TPhaseImage phase(real.get(), imag.get());
    phase.ComputePhase();
    const float expected[] = {3.1415925f, 1.5707963f, 0, 0.78539819f, -1.5707963f, 3.1415925f, 3.1415925f,
                              -1.5707963f, 0};
    EXPECT_TRUE(std::equal(expected, expected + 9, phase.Phase->Data));
    int differences = 0;
    for (int i = 9; i < w * h; ++i) {
        const float atan2 = static_cast<float>(std::atan2(double{imag->Data[i]}, double{real->Data[i]}));
        differences += !(phase.Phase->Data[i] == atan2 || (std::isnan(atan2) && std::isnan(phase.Phase->Data[i])));
    }
    EXPECT_EQ(differences, 0);
    EXPECT_FALSE(phase.Unwrapped);
    EXPECT_EQ(phase.Gray->GetPixel(0, 0), 254); // 3.1415925 shows just below white
}

TEST(TPhaseImageDisplay, WrappedAndMinMaxRules) {
    const float pi = 3.1415927f;
    auto map = MapOf(4, 1, {-pi, 0.0f, pi, 1.0f});
    TPhaseImage phase(map.get());
    phase.UpdateGray();
    EXPECT_EQ(phase.Gray->GetPixel(0, 0), 0);
    EXPECT_EQ(phase.Gray->GetPixel(1, 0), 127);
    EXPECT_EQ(phase.Gray->GetPixel(2, 0), 255);
    EXPECT_EQ(phase.Gray->GetPixel(3, 0), 168);

    // Subtracting a reference switches to the min-max rule: -pi..pi-1 spread over 0..255.
    auto reference = MapOf(4, 1, {0.0f, 0.0f, 1.0f, 0.0f});
    phase.SubtractReference(*reference);
    EXPECT_EQ(phase.Gray->GetPixel(0, 0), 0);
    EXPECT_EQ(phase.Gray->GetPixel(2, 0), 255);

    EXPECT_THROW(phase.SubtractReference(*MakeFloatMap(3, 1, [](int, int) { return 0; })), CorvaneError);
    auto tall = MakeFloatMap(4, 2, [](int, int) { return 1; });
    TPhaseImage mismatched(map.get(), tall.get());
    EXPECT_THROW(mismatched.ComputePhase(), CorvaneError);
    EXPECT_THROW(mismatched.ComputeSpectrum(), CorvaneError);

    auto ramp = MakeFloatMap(5, 3, [](int x, int y) { return 2.0 * x + 3.0 * y; });
    TPhaseImage flat(ramp.get());
    flat.RemoveCarrier(2.0f, 3.0f);
    EXPECT_EQ(ramp->SumRect(0, 0, 4, 2), 0.0f);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(flat.Gray->Data[i], 0);
}

TEST(TPhaseImageSpectrum, LinearAndLogarithmicScales) {
    auto zero = MakeFloatMap(3, 3, [](int, int) { return 0; });
    for (bool linear : {true, false}) {
        TPhaseImage spectrum(zero.get(), zero.get());
        spectrum.LinearSpectrum = linear;
        spectrum.ComputeSpectrum();
        for (int i = 0; i < 9; ++i) EXPECT_EQ(spectrum.Gray->Data[i], 0) << "linear " << linear;
    }

    auto re = MapOf(3, 1, {0.0f, 3.0f, 6.0f});
    auto im = MapOf(3, 1, {0.0f, 4.0f, 8.0f});
    TPhaseImage spectrum(re.get(), im.get());
    spectrum.LinearSpectrum = true;
    spectrum.ComputeSpectrum();
    EXPECT_EQ(spectrum.Phase->GetPixel(2, 0), 100.0f);
    EXPECT_EQ(spectrum.Gray->GetPixel(1, 0), 63); // 25 * 255 / 100
    EXPECT_EQ(spectrum.Gray->GetPixel(2, 0), 255);
    spectrum.LinearSpectrum = false;
    spectrum.ComputeSpectrum();
    EXPECT_EQ(spectrum.Gray->GetPixel(1, 0), static_cast<int>(std::log(6.0) * 255 / std::log(11.0)));
    EXPECT_EQ(spectrum.Gray->GetPixel(2, 0), 255);
}

TEST(TPhaseImageUnwrap, RowThenColumnScanRestoresARamp) {
    auto row = MapOf(2, 1, {3.0f, -3.0f});
    TPhaseImage single(row.get());
    single.Unwrap(0, 0, 0.5f);
    EXPECT_EQ(row->GetPixel(0, 0), 3.0f);
    EXPECT_NEAR(row->GetPixel(1, 0), 3.2832f, 1e-4);

    // A tilted plane wrapped into -pi..pi comes back up to a constant, from a start inside.
    const int w = 40, h = 30;
    auto plane = [](int x, int y) { return 0.7 * (x - 20) - 0.45 * (y - 12); };
    auto map = MakeFloatMap(w, h, [&](int x, int y) { return std::remainder(plane(x, y), 2 * std::numbers::pi); });
    TPhaseImage phase(map.get());
    phase.Unwrap(20, 12, 0.5f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_NEAR(map->GetPixel(x, y), plane(x, y), 1e-4) << x << "," << y;
    EXPECT_THROW(phase.Unwrap(w, 0, 0.5f), CorvaneError);
}

TEST(TPhaseImageFit, PeakSearchAndPlaneFit) {
    auto map = MakeFloatMap(8, 6, [](int x, int y) { return (x == 6 && y == 1) || (x == 2 && y == 4) ? 5.0 : 1.0; });
    TPhaseImage peak(map.get());
    peak.FindPeak(0, 0, 8, 6);
    EXPECT_EQ(peak.CarrierX, 6 - 4);
    EXPECT_EQ(peak.CarrierY, 1 - 3);
    peak.FindPeak(0, 2, 100, 100); // window clipped to the map
    EXPECT_EQ(peak.CarrierY, 4 - 3);

    auto plane = MakeFloatMap(64, 48, [](int x, int y) { return 0.013 * x - 0.021 * y; });
    TPhaseImage fit(plane.get());
    fit.FitPlane(3);
    EXPECT_NEAR(fit.SlopeX, 0.013f, 1e-5);
    EXPECT_NEAR(fit.SlopeY, -0.021f, 1e-5);
    fit.FitPlane(40); // no pixel left: no slope
    EXPECT_EQ(fit.SlopeX, 0.0f);
    EXPECT_EQ(fit.SlopeY, 0.0f);
}
