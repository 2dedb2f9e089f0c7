#include "phase/QualityGuidedUnwrap.h"
#include "phase/RegionGrowingUnwrap.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

using Phase = std::function<double(int x, int y)>;

/// Pixels of map (w x h) that differ from truth + the start pixel's offset by more than 0.5 rad;
/// the start pixel keeps its wrapped value, which is the truth plus 2 pi k exactly.
int WrongPixels(const TFloatImage& map, const Phase& truth, int sx, int sy,
                const std::function<bool(int, int)>& counted = nullptr) {
    const double offset = map.GetPixel(sx, sy) - truth(sx, sy);
    int wrong = 0;
    for (int y = 0; y < map.Height; ++y)
        for (int x = 0; x < map.Width; ++x)
            if (!counted || counted(x, y))
                wrong += std::fabs(map.GetPixel(x, y) - truth(x, y) - offset) > 0.5;
    return wrong;
}

std::unique_ptr<TFloatImage> Wrapped(int w, int h, const Phase& phase) {
    return MakeFloatMap(w, h, [&](int x, int y) { return WrapPhase(phase(x, y)); });
}

} // namespace

// A steep non-square ramp with strong noise: nearly every pixel lands on its own fringe, and the
// start pixel keeps its value to the bit. Region growing fails on the same map.
TEST(QualityGuidedUnwrap, NoisyRampIsUnwrappedAndTheStartKeepsItsValue) {
    const int w = 96, h = 64, sx = 70, sy = 20;
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 0.6);
    std::vector<double> noisy;
    for (int i = 0; i < w * h; ++i)
        noisy.push_back(0.9 * (i % w) - 0.55 * (i / w) + noise(rng));
    const Phase truth = [&](int x, int y) { return noisy[static_cast<std::size_t>(y * w + x)]; };
    auto map = Wrapped(w, h, truth);
    const float start = map->GetPixel(sx, sy);
    auto grown = Wrapped(w, h, truth);
    const TGrayImage valid(nullptr, w, h);

    QualityGuidedUnwrap(*map, valid, sx, sy);
    RegionGrowingUnwrap(*grown, valid, sx, sy, 0.5f);
    EXPECT_EQ(map->GetPixel(sx, sy), start);
    EXPECT_LT(WrongPixels(*map, truth, sx, sy), w * h / 200);
    EXPECT_GT(WrongPixels(*grown, truth, sx, sy), w * h / 20);
}

// Two residues of opposite sign: the result may differ from the phase only between the residues
// and a cut joining them, so every pixel beyond a few rows from them is right.
TEST(QualityGuidedUnwrap, ResiduePairKeepsItsCutBetweenTheResidues) {
    const int w = 72, h = 50;
    const Phase phase = [](int x, int y) {
        return std::atan2(y - 24.5, x - 20.5) - std::atan2(y - 24.5, x - 47.5) + 0.35 * x - 0.2 * y;
    };
    auto map = Wrapped(w, h, phase);
    QualityGuidedUnwrap(*map, TGrayImage(nullptr, w, h), 5, 5);
    EXPECT_EQ(
        WrongPixels(*map, phase, 5, 5, [](int x, int y) { return x < 18 || x > 50 || y < 14 || y > 35; }), 0);
    EXPECT_LE(WrongPixels(*map, phase, 5, 5), 10 * (47 - 20));
}

// A band of invalid columns cuts the map in two, each unwrapped on its own: the start's side keeps
// the start's value, the far side its first pixel's (row order). Invalid pixels and a not-a-number
// pixel keep their values without disturbing their neighbours; the reliability map is 0 where a
// pixel takes no part.
TEST(QualityGuidedUnwrap, SeparateRegionsAreEachUnwrappedAndInvalidPixelsKeepTheirValues) {
    const int w = 70, h = 40, sx = 10, sy = 35;
    const Phase phase = [](int x, int y) { return 0.45 * x + 0.3 * y - 0.004 * x * y; };
    auto map = Wrapped(w, h, phase);
    map->SetPixel(50, 20, std::numeric_limits<float>::quiet_NaN());
    auto wrapped = Wrapped(w, h, phase);
    const auto band = MakeGreyPicture(w, h, [](int x, int) { return x >= 30 && x <= 33 ? 255 : 0; });
    std::unique_ptr<TFloatImage> quality;

    QualityGuidedUnwrap(*map, *band, sx, sy, &quality);
    EXPECT_EQ(WrongPixels(*map, phase, sx, sy, [](int x, int) { return x < 30; }), 0);
    EXPECT_EQ(map->GetPixel(34, 0), wrapped->GetPixel(34, 0));
    EXPECT_EQ(WrongPixels(*map, phase, 34, 0, [](int x, int y) { return x > 33 && !(x == 50 && y == 20); }),
              0);
    EXPECT_TRUE(std::isnan(map->GetPixel(50, 20)));
    ASSERT_TRUE(quality);
    for (int y = 0; y < h; ++y) {
        for (int x = 30; x <= 33; ++x)
            ASSERT_EQ(map->GetPixel(x, y), wrapped->GetPixel(x, y)) << x << "," << y;
        EXPECT_EQ(quality->GetPixel(31, y), 0.0f);
        EXPECT_GT(quality->GetPixel(29, y), 0.0f);
    }
    EXPECT_EQ(quality->GetPixel(50, 20), 0.0f);
}

// On clean maps the method gives region growing's map: a non-square bowl from an off-centre start,
// with and without a hole of invalid pixels, and a single row.
TEST(QualityGuidedUnwrap, AgreesWithRegionGrowingOnCleanMaps) {
    struct Case {
        int W, H, Sx, Sy;
        bool Hole;
    };
    for (const Case c : {Case{64, 48, 20, 30, false}, Case{64, 48, 50, 3, true}, Case{90, 1, 89, 0, false}}) {
        const WrappedPhaseMap truth = MakeWrappedPhaseMap(c.W, c.H);
        const Phase phase = [&](int x, int y) { return truth.Truth[static_cast<std::size_t>(y * c.W + x)]; };
        auto quality = Wrapped(c.W, c.H, phase);
        auto grown = Wrapped(c.W, c.H, phase);
        const auto areas = MakeGreyPicture(c.W, c.H, [&](int x, int y) {
            return c.Hole && x >= 10 && x <= 20 && y >= 5 && y <= 12 ? 255 : 0;
        });
        QualityGuidedUnwrap(*quality, *areas, c.Sx, c.Sy);
        RegionGrowingUnwrap(*grown, *areas, c.Sx, c.Sy, 0.5f);
        for (std::size_t i = 0; i < grown->PixelCount(); ++i)
            ASSERT_NEAR(quality->Data[i], grown->Data[i], 1e-4) << c.W << "x" << c.H << " pixel " << i;
    }
}

// Bad settings are refused before anything changes; values at the ends of the float range (whose
// differences overflow) are borne without harm to the other pixels.
TEST(QualityGuidedUnwrap, RefusesBadSettingsAndBearsOddValues) {
    auto map = Wrapped(6, 4, [](int x, int) { return 2.0 * x; });
    const auto before = std::vector<float>(map->Data, map->Data + map->PixelCount());
    EXPECT_EQ(ErrorText([&] { QualityGuidedUnwrap(*map, TGrayImage(nullptr, 6, 4), 6, 0); }),
              "the starting point (6,0) is outside the 6 x 4 phase map");
    EXPECT_NE(ErrorText([&] { QualityGuidedUnwrap(*map, TGrayImage(nullptr, 4, 6), 0, 0); }), "no error");
    EXPECT_EQ(std::vector<float>(map->Data, map->Data + map->PixelCount()), before);

    map->SetPixel(2, 1, 3e38f);
    map->SetPixel(3, 1, -3e38f);
    QualityGuidedUnwrap(*map, TGrayImage(nullptr, 6, 4), 0, 0);
    EXPECT_EQ(WrongPixels(
                  *map, [](int x, int) { return 2.0 * x; }, 0, 0, [](int, int y) { return y != 1; }),
              0);
}
