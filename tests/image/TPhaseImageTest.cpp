#include "image/CorvaneError.h"
#include "image/TPhaseImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

using corvane::CorvaneError;
using corvane::TFloatImage;
using corvane::TPhaseImage;

namespace {

std::unique_ptr<TFloatImage> MapOf(int w, int h, const std::vector<float>& values) {
    auto map = std::make_unique<TFloatImage>(nullptr, w, h);
    std::copy(values.begin(), values.end(), map->Data);
    return map;
}

template <class F>
std::unique_ptr<TFloatImage> MakeMap(int w, int h, F f) {
    auto map = std::make_unique<TFloatImage>(nullptr, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) map->SetPixel(x, y, static_cast<float>(f(x, y)));
    return map;
}

} // namespace

TEST(TPhaseImagePhase, NearZeroRulesAndAtan2) {
    // Denominators and numerators side by side; 11 pixels so the last ones take the short path.
    const std::vector<float> d = {-1, 0, 0, 1, 1e-21f, -1e-21f, -5, 3e-20f, 2, -1, 1};
    const std::vector<float> n = {0, 2, 0, 1, -2, 1e-21f, -1e-25f, -3.5e-20f, -0.0f, 1, -1};
    auto real = MapOf(11, 1, d);
    auto imag = MapOf(11, 1, n);
    TPhaseImage phase(real.get(), imag.get());
    phase.ComputePhase();
    const std::vector<float> expected = {3.1415925f, 1.5707963f, 0.0f, static_cast<float>(std::atan(1.0)),
                                         -1.5707963f, 3.1415925f, 3.1415925f, -1.5707963f, 0.0f,
                                         static_cast<float>(std::atan2(1.0, -1.0)),
                                         static_cast<float>(std::atan2(-1.0, 1.0))};
    for (int x = 0; x < 11; ++x) EXPECT_EQ(phase.Phase->GetPixel(x, 0), expected[x]) << "pixel " << x;
    EXPECT_FALSE(phase.Unwrapped);
    ASSERT_TRUE(phase.Gray);
    EXPECT_EQ(phase.Gray->GetPixel(0, 0), 254); // 3.1415925 shows just below white
}

TEST(TPhaseImagePhase, SameSinglePrecisionValuesAsTheLibraryAtan2) {
    const int w = 1001, h = 300;
    auto real = std::make_unique<TFloatImage>(nullptr, w, h);
    auto imag = std::make_unique<TFloatImage>(nullptr, w, h);
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-30, 30);
    for (int i = 0; i < w * h; ++i) {
        real->Data[i] = std::ldexp(mantissa(rng), exponent(rng) / 3);
        imag->Data[i] = std::ldexp(mantissa(rng), i % 7 == 0 ? exponent(rng) : exponent(rng) / 3);
    }
    real->Data[5] = std::numeric_limits<float>::infinity();
    imag->Data[6] = -std::numeric_limits<float>::infinity();
    imag->Data[7] = std::numeric_limits<float>::quiet_NaN();
    TPhaseImage phase(real.get(), imag.get());
    phase.ComputePhase();
    int differences = 0;
    for (int i = 0; i < w * h; ++i) {
        const float n = imag->Data[i], d = real->Data[i];
        if (std::fabs(n) < 3.4e-20f || std::fabs(d) < 3.4e-20f) continue;
        const float expected = static_cast<float>(std::atan2(static_cast<double>(n), static_cast<double>(d)));
        if (std::isnan(expected) ? !std::isnan(phase.Phase->Data[i]) : phase.Phase->Data[i] != expected)
            ++differences;
    }
    EXPECT_EQ(differences, 0);
}

TEST(TPhaseImagePhase, SourcesOfAnotherSizeAreRefused) {
    auto real = MakeMap(4, 2, [](int, int) { return 1; });
    auto imag = MakeMap(4, 1, [](int, int) { return 1; });
    TPhaseImage phase(real.get(), imag.get());
    EXPECT_THROW(phase.ComputePhase(), CorvaneError);
    EXPECT_THROW(phase.ComputeSpectrum(), CorvaneError);
    auto reference = MakeMap(3, 2, [](int, int) { return 1; });
    EXPECT_THROW(phase.SubtractReference(*reference), CorvaneError);
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
    EXPECT_TRUE(phase.Unwrapped);
    EXPECT_EQ(map->GetPixel(2, 0), pi - 1.0f);
    EXPECT_EQ(phase.Gray->GetPixel(0, 0), 0);
    EXPECT_EQ(phase.Gray->GetPixel(2, 0), 255);

    auto ramp = MakeMap(5, 3, [](int x, int y) { return 2.0 * x + 3.0 * y; });
    TPhaseImage flat(ramp.get());
    flat.RemoveCarrier(2.0f, 3.0f);
    EXPECT_TRUE(flat.Unwrapped);
    EXPECT_EQ(ramp->SumRect(0, 0, 4, 2), 0.0f);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(flat.Gray->Data[i], 0);
}

TEST(TPhaseImageSpectrum, LinearAndLogarithmicScales) {
    auto zeroRe = MakeMap(3, 3, [](int, int) { return 0; });
    auto zeroIm = MakeMap(3, 3, [](int, int) { return 0; });
    for (bool linear : {true, false}) {
        TPhaseImage spectrum(zeroRe.get(), zeroIm.get());
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
    EXPECT_TRUE(single.Unwrapped);

    // A tilted plane wrapped into -pi..pi comes back up to a constant, from a start inside.
    const int w = 40, h = 30;
    auto plane = [](int x, int y) { return 0.7 * (x - 20) - 0.45 * (y - 12); };
    auto map = MakeMap(w, h, [&](int x, int y) { return std::remainder(plane(x, y), 2 * std::numbers::pi); });
    TPhaseImage phase(map.get());
    phase.Unwrap(20, 12, 0.5f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_NEAR(map->GetPixel(x, y), plane(x, y), 1e-4) << x << "," << y;
    EXPECT_THROW(phase.Unwrap(w, 0, 0.5f), CorvaneError);
}

TEST(TPhaseImageFit, PeakSearchAndPlaneFit) {
    auto map = MakeMap(8, 6, [](int x, int y) { return (x == 6 && y == 1) || (x == 2 && y == 4) ? 5.0 : 1.0; });
    TPhaseImage peak(map.get());
    peak.FindPeak(0, 0, 8, 6);
    EXPECT_EQ(peak.CarrierX, 6 - 4);
    EXPECT_EQ(peak.CarrierY, 1 - 3);
    peak.FindPeak(0, 2, 100, 100); // window clipped to the map
    EXPECT_EQ(peak.CarrierX, 2 - 4);
    EXPECT_EQ(peak.CarrierY, 4 - 3);

    auto plane = MakeMap(64, 48, [](int x, int y) { return 0.013 * x - 0.021 * y; });
    TPhaseImage fit(plane.get());
    fit.FitPlane(3);
    EXPECT_NEAR(fit.SlopeX, 0.013f, 1e-5);
    EXPECT_NEAR(fit.SlopeY, -0.021f, 1e-5);
    fit.FitPlane(40); // no pixel left: no slope
    EXPECT_EQ(fit.SlopeX, 0.0f);
    EXPECT_EQ(fit.SlopeY, 0.0f);
}
