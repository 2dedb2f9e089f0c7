#include "phase/QualityGuidedUnwrap.h"
#include "phase/RegionGrowingUnwrap.h"
#include "phase/SimpleUnwrap.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <tuple>

using namespace corvane;
using namespace corvane::test;

namespace {

using Phase = std::function<double(int x, int y)>;
using Where = std::function<bool(int x, int y)>;

std::unique_ptr<TFloatImage> Wrapped(int w, int h, const Phase& phase) {
    return MakeFloatMap(w, h, [&](int x, int y) { return WrapPhase(phase(x, y)); });
}

/// Pixels where counted that differ from the truth by more than 0.5 rad after the reference pixel's
/// offset, which is 2 pi k exactly when that pixel kept its wrapped value.
int Wrong(const TFloatImage& map, const Phase& truth, int rx, int ry, const Where& counted) {
    const double offset = map.GetPixel(rx, ry) - truth(rx, ry);
    int wrong = 0;
    for (int y = 0; y < map.Height; ++y)
        for (int x = 0; x < map.Width; ++x)
            wrong += counted(x, y) && std::fabs(map.GetPixel(x, y) - truth(x, y) - offset) > 0.5;
    return wrong;
}

const Where kEverywhere = [](int, int) { return true; };

} // namespace

// A steep non-square ramp with strong noise, on which region growing fails, keeps its start value
// to the bit; around a residue pair only the pixels between the residues and a cut joining them
// may be off.
TEST(QualityGuidedUnwrap, NoisyRampAndResiduePair) {
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 0.6);
    std::vector<double> n(96 * 64);
    for (double& v : n)
        v = noise(rng);
    const Phase ramp = [&](int x, int y) {
        return 0.9 * x - 0.55 * y + n[static_cast<std::size_t>(y * 96 + x)];
    };
    auto map = Wrapped(96, 64, ramp), grown = Wrapped(96, 64, ramp);
    const float start = map->GetPixel(70, 20);
    QualityGuidedUnwrap(*map, TGrayImage(nullptr, 96, 64), 70, 20);
    RegionGrowingUnwrap(*grown, TGrayImage(nullptr, 96, 64), 70, 20, 0.5f);
    EXPECT_EQ(map->GetPixel(70, 20), start);
    EXPECT_LT(Wrong(*map, ramp, 70, 20, kEverywhere), 30);
    EXPECT_GT(Wrong(*grown, ramp, 70, 20, kEverywhere), 300);

    const Phase pair = [](int x, int y) {
        return std::atan2(y - 24.5, x - 20.5) - std::atan2(y - 24.5, x - 47.5) + 0.35 * x - 0.2 * y;
    };
    auto residues = Wrapped(72, 50, pair);
    QualityGuidedUnwrap(*residues, TGrayImage(nullptr, 72, 50), 5, 5);
    EXPECT_EQ(Wrong(*residues, pair, 5, 5, [](int x, int y) { return x < 18 || x > 50 || y < 14 || y > 35; }),
              0);
}

// A band of invalid columns cuts the map in two, each unwrapped on its own: the start's side keeps
// the start's value, the far side its first pixel's. Invalid pixels and a not-a-number pixel keep
// their values and have reliability 0; values at the ends of the float range (whose differences
// overflow) are borne too. Neither disturbs the other rows.
TEST(QualityGuidedUnwrap, SeparateRegionsAreEachUnwrappedAndInvalidPixelsKeepTheirValues) {
    const Phase phase = [](int x, int y) { return 0.45 * x + 0.3 * y - 0.004 * x * y; };
    auto map = Wrapped(70, 40, phase), wrapped = Wrapped(70, 40, phase);
    map->SetPixel(50, 20, std::numeric_limits<float>::quiet_NaN());
    map->SetPixel(60, 5, 3e38f);
    map->SetPixel(61, 5, -3e38f);
    const auto band = MakeGreyPicture(70, 40, [](int x, int) { return x >= 30 && x <= 33 ? 255 : 0; });
    std::unique_ptr<TFloatImage> quality;
    QualityGuidedUnwrap(*map, *band, 10, 35, &quality);
    EXPECT_EQ(Wrong(*map, phase, 10, 35, [](int x, int) { return x < 30; }), 0);
    EXPECT_EQ(map->GetPixel(34, 0), wrapped->GetPixel(34, 0));
    EXPECT_EQ(Wrong(*map, phase, 34, 0, [](int x, int y) { return x > 33 && y != 20 && y != 5; }), 0);
    EXPECT_TRUE(std::isnan(map->GetPixel(50, 20)));
    EXPECT_EQ(quality->GetPixel(50, 20), 0.0f);
    for (int y = 0; y < 40; ++y) {
        EXPECT_EQ(map->GetPixel(31, y), wrapped->GetPixel(31, y));
        EXPECT_EQ(quality->GetPixel(31, y), 0.0f);
        EXPECT_GT(quality->GetPixel(29, y), 0.0f);
    }
}

// On clean maps the method gives region growing's map: a non-square bowl from an off-centre start,
// with and without a hole of invalid pixels, and a single row ending at the start.
TEST(QualityGuidedUnwrap, AgreesWithRegionGrowingOnCleanMaps) {
    for (const auto& [w, h, sx, sy, hole] :
         {std::tuple{64, 48, 20, 30, false}, {64, 48, 50, 3, true}, {90, 1, 89, 0, false}}) {
        const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
        auto quality = MakeFloatMap(
            w, h, [&](int x, int y) { return truth.Wrapped[static_cast<std::size_t>(y * w + x)]; });
        auto grown = CopyFloatImage(*quality);
        const auto areas = MakeGreyPicture(
            w, h, [&](int x, int y) { return hole && x >= 10 && x <= 20 && y >= 5 && y <= 12 ? 255 : 0; });
        QualityGuidedUnwrap(*quality, *areas, sx, sy);
        RegionGrowingUnwrap(*grown, *areas, sx, sy, 0.5f);
        for (std::size_t i = 0; i < grown->PixelCount(); ++i)
            ASSERT_NEAR(quality->Data[i], grown->Data[i], 1e-4) << w << "x" << h << " pixel " << i;
    }
}
