// The phase family's core: the carrier-fringe stages and whole carrier runs; the phase from
// phase-shifted steps, generated grids and fringes, the simulated moire steps and the geometric
// moire; unwrapping by region growing (with its invalid-run fill and residue mask), the
// region-growing tool's model, the scan-line unwrap with its model and the quality-guided method;
// the difference of two maps with its plane fit, the absolute displacement conversions and table,
// and the pseudo-colour display.
#include "image/CorvaneError.h"
#include "image/TPhaseImage.h"
#include "phase/AbsolutePhase.h"
#include "phase/CarrierMoirePages.h"
#include "phase/CarrierMoirePlane.h"
#include "phase/CarrierMoireWindow.h"
#include "phase/GeometricMoire.h"
#include "phase/GridGenerator.h"
#include "phase/InvalidRunFill.h"
#include "phase/MoireSimulation.h"
#include "phase/NewUnwrapModel.h"
#include "phase/NoiseMask.h"
#include "phase/PhaseCalculation.h"
#include "phase/PhaseShift.h"
#include "phase/PhaseToFringe.h"
#include "phase/PseudoColor.h"
#include "phase/QualityGuidedUnwrap.h"
#include "phase/RegionGrowingUnwrap.h"
#include "phase/SimpleUnwrap.h"
#include "phase/TCarrierMoire.h"
#include "support/CarrierFringes.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr double kPi = std::numbers::pi;

int Level(double t) {
    return static_cast<int>((std::cos(t) + 1.0) * 127.5);
}

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

using Grey = std::vector<std::uint8_t>;

/// A picture of level 0: no pixel invalid.
std::unique_ptr<TGrayImage> Blank(int w, int h) {
    return MakeGreyPicture(w, h, [](int, int) { return 0; });
}

std::unique_ptr<TFloatImage> MapOf(int w, int h, const std::vector<float>& values) {
    return MakeFloatMap(w, h, [&](int x, int y) { return values[static_cast<std::size_t>(y * w + x)]; });
}

/// The pixel's distance from truth + 2 pi k, k taken at pixel 0.
double Deviation(const TFloatImage& map, const WrappedPhaseMap& truth, std::size_t i) {
    const double k = std::round((map.Data[0] - truth.Truth[0]) / (2.0 * M_PI));
    return std::fabs(map.Data[i] - truth.Truth[i] - 2.0 * M_PI * k);
}

/// The largest of the pixels' deviations.
double LargestDeviation(const TFloatImage& map, const WrappedPhaseMap& truth) {
    double worst = 0.0;
    for (std::size_t i = 0; i < truth.Truth.size(); ++i)
        worst = std::max(worst, Deviation(map, truth, i));
    return worst;
}

/// Saves the wrapped map as an FLT file with scales of its own.
void SaveWrapped(const WrappedPhaseMap& map, const std::string& file) {
    auto flt = MapOf(map.Width, map.Height, map.Wrapped);
    flt->ScaleX = 0.25f;
    flt->ScaleY = 0.5f;
    flt->ValueScale = 3.0f;
    flt->SaveFlt(file);
}

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

std::unique_ptr<TFloatImage> Scaled(std::unique_ptr<TFloatImage> map) {
    map->ScaleX = 0.25f;
    map->ScaleY = 0.5f;
    map->ValueScale = 3.0f;
    return map;
}

constexpr float kPif = 3.1415927f;

std::tuple<int, int, int> Rgb(const PseudoColorEntry& c) {
    return {c.Red, c.Green, c.Blue};
}
std::tuple<int, int, int> Rgb(int r, int g, int b) {
    return {r, g, b};
}

/// True when every channel is within one level: the single-precision weights of a blend need not
/// sum to exactly 1, so an exact colour may come out one level below after truncation.
bool Near(const std::tuple<int, int, int>& a, const std::tuple<int, int, int>& b) {
    return std::abs(std::get<0>(a) - std::get<0>(b)) <= 1 && std::abs(std::get<1>(a) - std::get<1>(b)) <= 1 &&
           std::abs(std::get<2>(a) - std::get<2>(b)) <= 1;
}

class CarrierMoireStages : public ::testing::Test {
  protected:
    std::string Fringes(const std::string& name, int w, int h, double fx = 0.15, double fy = 0.0) {
        test::SaveCarrierFringes(dir.File(name), w, h, fx, fy, [](int x, int y) { return 0.002 * x * y; });
        return dir.File(name);
    }
    // A 128 x 64 one-image run up to the wrapped phases (strip of 16 rows, carrier near x = -19).
    TCarrierMoire& WrappedOneImage() {
        moire.Build({Fringes("m.bmp", 130, 70), "", TStripDirection::Rows, 16});
        moire.ComputeCarrier(*moire.DefaultSearch(TStripDirection::Rows));
        moire.RemoveCarrier(*moire.LargestWindow(TStripDirection::Rows));
        return moire;
    }
    TFloatImage& FinalMap() { return *moire.Field()->Phase->Phase; }

    test::TempDir dir;
    TCarrierMoire moire{TCarrierMethod::OneImage};
};

TEST_F(CarrierMoireStages, BuildCropsToPowersOfTwoAndCutsTheStrip) {
    const std::string file = Fringes("big.bmp", 700, 500);
    for (auto [strip, refW, refH] :
         {std::tuple(TStripDirection::Rows, 512, 32), std::tuple(TStripDirection::Columns, 32, 256)}) {
        moire.Build({file, "", strip, 40});
        const TMyFFT& f = *moire.Field();
        EXPECT_EQ(std::tuple(f.Width, f.Height, f.RefWidth, f.RefHeight), std::tuple(512, 256, refW, refH));
        EXPECT_EQ(std::pair(f.RefPhase->Gray->Width, f.RefPhase->Gray->Height), std::pair(refW, refH));
        // After the forward transform the centre holds the mean grey level of each field.
        EXPECT_NEAR(f.Real->GetPixel(256, 128), 128.0f, 2.0f);
        EXPECT_NEAR(f.RefReal->GetPixel(refW / 2, refH / 2), 128.0f, 4.0f);
    }
}

TEST_F(CarrierMoireStages, RefusalsLeaveNoStateAndEveryLaterStageThenDoesNothing) {
    EXPECT_EQ(ErrorText([&] {
                  moire.RequireFiles({dir.File("none.bmp"), ""});
              }),
              "Select One Moire Image First");
    TCarrierMoire two(TCarrierMethod::TwoImages);
    const std::string file = Fringes("m.bmp", 64, 40);
    EXPECT_EQ(ErrorText([&] {
                  two.RequireFiles({file, dir.File("none.bmp")});
              }),
              "Select Two Moire Images First");
    EXPECT_EQ(ErrorText([&] { two.RequireFiles({file, file}); }), "no error");

    moire.Build({file, "", TStripDirection::Rows, 16});
    EXPECT_TRUE(moire.HasState());
    EXPECT_EQ(ErrorText([&] {
                  moire.Build({file, "", TStripDirection::Rows, 15});
              }),
              "Reference size too small");
    EXPECT_FALSE(moire.HasState());
    EXPECT_EQ(
        (std::array{bool(moire.ComputeCarrier({0, 0, 8, 8})), moire.ModifyCarrier({3, 0}),
                    bool(moire.Adjust({20, 20}, {3, 0})), bool(moire.RemoveCarrier({8, 8})), moire.Unwrap({}),
                    moire.SetFringeOrder({0, 0}, 1), moire.ConvertPitch(2.0f),
                    bool(moire.Average({0, 0, 1, 1})), moire.ConvertToAbsolute({0, 0}, 1.0f),
                    bool(moire.ValueAt({0, 0})), moire.SaveTable(dir.File("t.dat"), {}),
                    moire.SaveFlt(dir.File("t.flt"), TMoireMap::Image, TValueScaleRule::One, 1.0, 1.0)}),
        (std::array<bool, 12>{}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("t.dat")) || std::filesystem::exists(dir.File("t.flt")));

    // A strip wider than the crop, and a reference picture smaller than W x H, leave no state either.
    moire.Build({file, "", TStripDirection::Rows, 16});
    EXPECT_EQ(ErrorText([&] {
                  moire.Build({file, "", TStripDirection::Rows, 64});
              }),
              "(0,32) not in the image");
    EXPECT_FALSE(moire.HasState());
    const std::string small = Fringes("small.bmp", 64, 31);
    EXPECT_EQ(ErrorText([&] { two.Build({file, small}); }), "(0,31) not in the gray image");
    EXPECT_FALSE(two.HasState());
}

TEST_F(CarrierMoireStages, ComputeFindsTheFirstPeakAboveZeroAndModifyOverridesIt) {
    // A constant picture has nothing but the zero order: a search beside it finds nothing above 0.
    test::SaveGreyBmp(dir.File("flat.bmp"), 64, 40, std::vector<std::uint8_t>(64 * 40, 77));
    moire.Build({dir.File("flat.bmp"), "", TStripDirection::Rows, 16});
    EXPECT_EQ(*moire.ComputeCarrier({0, 0, 30, 16}), (TCarrierOffset{-32, -8}));
    EXPECT_EQ(std::pair(moire.Field()->CarrierUsedX, moire.Field()->CarrierUsedY), std::pair(-32, -8));
    // The zero order itself is the largest value.
    EXPECT_EQ(*moire.ComputeCarrier({0, 0, 64, 16}), (TCarrierOffset{0, 0}));
    EXPECT_TRUE(moire.ModifyCarrier({5, -2}));
    EXPECT_EQ(*moire.Carrier(), (TCarrierOffset{5, -2}));

    // Fringes of 0.25 cycle per pixel along y on a strip of columns: the default search finds -H/4.
    moire.Build({Fringes("y.bmp", 40, 70, 0.0, 0.25), "", TStripDirection::Columns, 16});
    EXPECT_EQ(*moire.DefaultSearch(TStripDirection::Columns), (TMapRect{0, 0, 16, 29}));
    EXPECT_EQ(*moire.ComputeCarrier(*moire.DefaultSearch(TStripDirection::Columns)),
              (TCarrierOffset{0, -16}));
}

TEST_F(CarrierMoireStages, AdjustKeepsTheWindowClearOfTheZeroOrderAndInsideTheReference) {
    const auto one = [](TMovingWindow w, TCarrierOffset c, TStripDirection s) {
        return LimitMovingWindow(w, c, TCarrierMethod::OneImage, s, 64, 32);
    };
    EXPECT_EQ(one({20, 32}, {10, 1}, TStripDirection::Rows), (TMovingWindow{17, 27}));
    EXPECT_EQ(one({19, 31}, {10, 1}, TStripDirection::Rows), (TMovingWindow{19, 31}));
    EXPECT_EQ(one({20, 32}, {-10, 1}, TStripDirection::Rows), (TMovingWindow{17, 27}));
    EXPECT_EQ(one({64, 20}, {1, 10}, TStripDirection::Columns), (TMovingWindow{59, 17}));
    EXPECT_EQ(one({63, 19}, {1, 10}, TStripDirection::Columns), (TMovingWindow{63, 19}));
    const auto two = [](TMovingWindow w, TCarrierOffset c) {
        return LimitMovingWindow(w, c, TCarrierMethod::TwoImages, TStripDirection::Rows, 64, 32);
    };
    EXPECT_EQ(two({24, 32}, {12, -3}), (TMovingWindow{21, 27}));
    EXPECT_EQ(two({23, 31}, {12, -3}), (TMovingWindow{23, 31}));
    EXPECT_EQ(two({64, 8}, {4, -4}), (TMovingWindow{59, 5}));
    EXPECT_EQ(two({63, 7}, {4, -4}), (TMovingWindow{63, 7}));

    // The outlines around the carrier in the 128 x 64 image spectrum and the 128 x 16 strip's.
    moire.Build({Fringes("m.bmp", 130, 70), "", TStripDirection::Rows, 16});
    const TAdjustedWindow adjusted = *moire.Adjust({20, 40}, {10, 1});
    EXPECT_EQ(std::tuple(adjusted.Window, adjusted.ImageOutline, adjusted.ReferenceOutline),
              std::tuple(TMovingWindow{17, 11}, TMapCorners{66, 28, 82, 38}, TMapCorners{66, 4, 82, 14}));
}

TEST(CarrierMoireWindow, AnOddWindowMovesAsTheNextEvenSizeAndAWindowOutsideChangesNothing) {
    auto real = test::MakeFloatMap(64, 32, [](int x, int y) { return 1 + x + 100 * y; });
    auto imag = test::MakeFloatMap(64, 32, [](int x, int y) { return -1 - x - 100 * y; });
    MoveCarrierWindow(*real, *imag, {5, -2}, {17, 3});
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) {
            const bool inside = x >= 32 - 9 && x <= 32 + 8 && y >= 16 - 2 && y <= 16 + 1;
            const float expected = inside ? static_cast<float>(1 + (x + 5) + 100 * (y - 2)) : 0.0f;
            ASSERT_EQ(real->GetPixel(x, y), expected) << x << "," << y;
            ASSERT_EQ(imag->GetPixel(x, y), -expected) << x << "," << y;
        }

    auto again = test::MakeFloatMap(64, 32, [](int x, int y) { return 1 + x + y; });
    auto againImag = test::MakeFloatMap(64, 32, [](int, int) { return 2; });
    const std::vector<float> before = Values(*again);
    for (const auto& [carrier, window, message] :
         {std::tuple(TCarrierOffset{20, 0}, TMovingWindow{30, 4}, "(64,14) not in the image"),
          std::tuple(TCarrierOffset{0, -14}, TMovingWindow{4, 5}, "(30,-1) not in the image"),
          std::tuple(TCarrierOffset{0, 0}, TMovingWindow{65, 2}, "(-1,15) not in the image")})
        EXPECT_EQ(ErrorText([&] { MoveCarrierWindow(*again, *againImag, carrier, window); }), message);
    EXPECT_EQ(Values(*again), before);

    // The default window is as large as the move allows: one more even step where the map
    // limits it (the height for a carrier along x, the width for one along y) would leave the map.
    for (auto [c, wider] : {std::pair(TCarrierOffset{20, 3}, TMovingWindow{0, 2}),
                            std::pair(TCarrierOffset{-7, -20}, TMovingWindow{2, 0})}) {
        const TMovingWindow w =
            LargestMovingWindow(c, TCarrierMethod::TwoImages, TStripDirection::Rows, 256, 128, 256, 128);
        EXPECT_EQ(ErrorText([&] { CheckMovingWindow(256, 128, c, w); }), "no error");
        EXPECT_NE(ErrorText([&] {
                      CheckMovingWindow(256, 128, c, {w.Width + wider.Width, w.Height + wider.Height});
                  }),
                  "no error");
    }
    EXPECT_EQ(
        LargestMovingWindow({20, 3}, TCarrierMethod::TwoImages, TStripDirection::Rows, 256, 128, 256, 128),
        (TMovingWindow{37, 122}));
}

TEST_F(CarrierMoireStages, RemoveCarrierChecksBothFieldsBeforeMovingEither) {
    moire.Build({Fringes("m.bmp", 130, 70), "", TStripDirection::Rows, 16});
    moire.ModifyCarrier({-19, 0});
    const std::vector<float> image = Values(*moire.Field()->Real), strip = Values(*moire.Field()->RefReal);
    // Fits the 64 rows of the image but not the 16 of the strip.
    EXPECT_EQ(ErrorText([&] { moire.RemoveCarrier({20, 20}); }), "(35,-2) not in the image");
    EXPECT_EQ(Values(*moire.Field()->Real), image);
    EXPECT_EQ(Values(*moire.Field()->RefReal), strip);

    const TStartPoints starts = *moire.RemoveCarrier({20, 10});
    EXPECT_EQ(std::pair(starts.Image, starts.Reference), std::pair(TMapPixel{64, 32}, TMapPixel{64, 8}));
    EXPECT_FALSE(moire.Field()->Phase->Unwrapped);
}

// Unwrap refuses a boundary without plane before changing anything. The unwrapped phase keeps its
// own picture (before the plane is removed), while the final map's picture shows the absolute
// phase; a new Build drops it.
TEST_F(CarrierMoireStages, UnwrapRefusesABoundaryWithoutPlaneAndKeepsThePictureBeforeThePlane) {
    WrappedOneImage();
    EXPECT_EQ(moire.UnwrappedPicture(), nullptr);
    const std::vector<float> wrapped = Values(FinalMap());
    TUnwrapOptions options;
    options.Boundary = 8; // the strip has 16 rows: nothing is left inside
    EXPECT_EQ(ErrorText([&] { moire.Unwrap(options); }),
              "The reference plane can not be fitted inside a boundary of 8");
    options.Boundary = -1;
    EXPECT_EQ(ErrorText([&] { moire.Unwrap(options); }), "(-1,-1) not in the image");
    EXPECT_EQ(Values(FinalMap()), wrapped);
    EXPECT_FALSE(moire.Plane());

    // A start outside the map means its centre; repeating the stage starts from the wrapped phase.
    options.Boundary = 7;
    options.Start = {64, 32};
    options.RefStart = {64, 8};
    ASSERT_TRUE(moire.Unwrap(options));
    const std::vector<float> fromCentre = Values(FinalMap());
    options.Start = {-3, 64};
    options.RefStart = {128, -1};
    ASSERT_TRUE(moire.Unwrap(options));
    EXPECT_EQ(Values(FinalMap()), fromCentre);
    EXPECT_TRUE(moire.Field()->Phase->Unwrapped);
    EXPECT_EQ(moire.Field()->PlaneA, moire.Plane()->A);
    // The carrier residue is a tilt along x: the picture with the plane removed shows other levels.
    const TGrayImage& unwrapped = *moire.UnwrappedPicture();
    const TGrayImage& absolute = *moire.Field()->Phase->Gray;
    ASSERT_EQ(std::pair(unwrapped.Width, absolute.Width), std::pair(128, 128));
    EXPECT_FALSE(std::equal(unwrapped.Data, unwrapped.Data + 128 * 64, absolute.Data));
    moire.Build({Fringes("m.bmp", 130, 70), "", TStripDirection::Rows, 16});
    EXPECT_EQ(moire.UnwrappedPicture(), nullptr);
}

TEST(CarrierMoireUnwrap, ACoefOfSevenTenthsTakesFourPointFourAsAJumpButNotFourPointThree) {
    for (auto [step, expected] : {std::pair(4.4f, 4.4f - 2.0f * 3.1415927f), std::pair(4.3f, 4.3f)}) {
        auto map = test::MakeFloatMap(2, 2, [&](int x, int) { return x * step; });
        TPhaseImage phase(map.get());
        phase.Unwrap(0, 0, 0.7f);
        EXPECT_FLOAT_EQ(map->GetPixel(1, 1), expected) << step;
    }
}

TEST_F(CarrierMoireStages, StepFourConversionsAccumulateOnTheFinalMap) {
    WrappedOneImage();
    TFloatImage& map = FinalMap();
    const auto shifted = [&](float v, int n) {
        for (std::size_t i = 0; i < map.PixelCount(); ++i)
            map.Data[i] = 0.25f * static_cast<float>(i % 7);
        map.SetPixel(127, 63, v);
        const float other = map.GetPixel(5, 9);
        moire.SetFringeOrder({127, 63}, n);
        return map.GetPixel(5, 9) - other;
    };
    const float twoPi = static_cast<float>(2 * 3.1415926535899);
    EXPECT_FLOAT_EQ(shifted(0.0f, 0), 0.0f);
    EXPECT_FLOAT_EQ(shifted(3.2f, 0), -twoPi);
    EXPECT_FLOAT_EQ(shifted(-3.2f, 0), twoPi);
    EXPECT_FLOAT_EQ(shifted(0.0f, 2), 2 * twoPi);
    EXPECT_EQ(ErrorText([&] { moire.SetFringeOrder({128, 0}, 1); }), "(128,0) not in the image");

    // Average over corners included; an empty or overreaching rectangle is refused.
    for (std::size_t i = 0; i < map.PixelCount(); ++i)
        map.Data[i] = static_cast<float>(i % 128) + 1000.0f * static_cast<float>(i / 128);
    EXPECT_FLOAT_EQ(*moire.Average({126, 62, 1, 1}), (126 + 127) / 2.0f + 1000.0f * 62.5f);
    EXPECT_FLOAT_EQ(*moire.Average({2, 3, 2, 0}), 3.0f + 3000.0f);
    EXPECT_EQ(ErrorText([&] { moire.Average({2, 3, -1, 0}); }), "The averaging rectangle holds no pixel");
    EXPECT_EQ(ErrorText([&] { moire.Average({120, 3, 8, 0}); }), "(128,3) not in the image");
    EXPECT_EQ(ErrorText([&] { moire.Average({0, 60, 0, 4}); }), "(0,64) not in the image");

    // Pitch pi halves every value and the value scale; the offset puts a picked pixel on a value.
    ASSERT_TRUE(moire.ConvertPitch(3.14159265f));
    EXPECT_FLOAT_EQ(map.GetPixel(3, 1), 0.5f * 1003.0f);
    EXPECT_FLOAT_EQ(map.ValueScale, 0.5f);
    ASSERT_TRUE(moire.ConvertToAbsolute({3, 1}, -2.0f));
    EXPECT_FLOAT_EQ(*moire.ValueAt({3, 1}), -2.0f);
    EXPECT_FLOAT_EQ(*moire.ValueAt({4, 1}), -1.5f);
    EXPECT_FALSE(moire.ValueAt({128, 1}));
}

TEST_F(CarrierMoireStages, SavesWriteTheTableAndTheMapsWithTheirScaleRules) {
    WrappedOneImage();
    TFloatImage& map = FinalMap();
    for (std::size_t i = 0; i < map.PixelCount(); ++i)
        map.Data[i] = static_cast<float>(i) * 0.5f;
    moire.ConvertPitch(3.14159265f);

    // The Step 3 saves write 1.0 as value scale without touching the map's; the others keep it.
    ASSERT_TRUE(moire.SaveFlt(dir.File("one.flt"), TMoireMap::Image, TValueScaleRule::One, 0.5, 2.0));
    ASSERT_TRUE(moire.SaveFlt(dir.File("keep.flt"), TMoireMap::Image, TValueScaleRule::Keep, 0.5, 2.0));
    ASSERT_TRUE(moire.SaveFlt(dir.File("ref.flt"), TMoireMap::Reference, TValueScaleRule::One, 1.0, 1.0));
    const TFloatImage one(dir.File("one.flt")), keep(dir.File("keep.flt")), ref(dir.File("ref.flt"));
    EXPECT_EQ(std::tuple(one.ScaleX, one.ScaleY, one.ValueScale, one.GetPixel(2, 1)),
              std::tuple(0.5f, 2.0f, 1.0f, 0.25f * 130));
    EXPECT_EQ(keep.ValueScale, 0.5f);
    EXPECT_EQ(std::pair(ref.Width, ref.Height), std::pair(128, 16));

    // The table: range, grid, scale; a mask keeps only the pixels of level 255.
    TResultTableOptions table;
    table.GridX = 2;
    table.GridY = 3;
    table.Range = TMapCorners{125, 58, 200, 63};
    table.ScaleX = 0.5;
    table.ScaleY = 2.0;
    ASSERT_TRUE(moire.SaveTable(dir.File("all.dat"), table));
    auto line = [](double x, double y, double v) {
        char text[80];
        std::snprintf(text, sizeof text, " %15.8f  %15.8f  %15.8f \n", x, y, v);
        return std::string(text);
    };
    const auto value = [](int x, int y) { return 0.25 * (y * 128 + x); };
    EXPECT_EQ(test::ReadFileBytes(dir.File("all.dat")),
              line(62.5, 116, value(125, 58)) + line(63.5, 116, value(127, 58)) +
                  line(62.5, 122, value(125, 61)) + line(63.5, 122, value(127, 61)));

    std::vector<std::uint8_t> mask(128 * 64, 0);
    mask[61 * 128 + 127] = 255;
    mask[58 * 128 + 126] = 255;
    test::SaveGreyBmp(dir.File("mask.bmp"), 128, 64, mask);
    table.MaskFile = dir.File("mask.bmp");
    ASSERT_TRUE(moire.SaveTable(dir.File("masked.dat"), table));
    EXPECT_EQ(test::ReadFileBytes(dir.File("masked.dat")), line(63.5, 122, value(127, 61)));

    // "no this mask file" stands for no mask, even where a file of that name exists.
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    test::SaveGreyBmp(kNoMaskFileName, 128, 64, mask);
    table.MaskFile = kNoMaskFileName;
    const bool saved = moire.SaveTable(dir.File("nomask.dat"), table);
    std::filesystem::current_path(cwd);
    ASSERT_TRUE(saved);
    EXPECT_EQ(test::ReadFileBytes(dir.File("nomask.dat")), test::ReadFileBytes(dir.File("all.dat")));
}

// Previous is refused on Step 1 by the page state itself, not only by the disabled button.
TEST(CarrierMoirePages, NextRunsTheStepLeftAndPreviousOnlyMovesBack) {
    TCarrierMoirePages pages;
    for (int step = 0; step < 4; ++step)
        EXPECT_EQ(pages.Next(), step);
    EXPECT_EQ(std::tuple(pages.Page(), pages.PreviousEnabled(), pages.NextEnabled(), pages.Next()),
              std::tuple(4, true, false, std::optional<int>()));
    pages.Previous();
    EXPECT_EQ(std::tuple(pages.Page(), pages.NextEnabled()), std::tuple(3, true));
    pages.Reset();
    pages.Previous();
    EXPECT_EQ(std::tuple(pages.Page(), pages.PreviousEnabled()), std::tuple(0, false));
}

// Whole carrier-method runs on generated fringe pictures with a known smooth phase: the absolute
// phase must reproduce it.
constexpr double kTwoPi = 6.283185307179586;
// 300 x 200 pictures are transformed at 256 x 128; the carrier lies between bins along x and
// slightly off the axis in y.
constexpr int kWidth = 300, kHeight = 200;
constexpr double kCarrierX = 40.3 / 256.0, kCarrierY = 0.2 / 128.0;

// A bump well below the reference strip (rows 0..31), where it stays under 0.002 rad.
double Bump(int x, int y) {
    const double dx = x - 150.0, dy = y - 85.0;
    return 1.5 * std::exp(-(dx * dx + dy * dy) / (2.0 * 15.0 * 15.0));
}

// RMS difference between the map and the known phase over the interior (a 16-pixel border left
// out), after the whole number of turns that the unwrapping start leaves open is taken off.
double InteriorRms(const TFloatImage& map, double (*known)(int, int)) {
    const int border = 16;
    double sum = 0.0, squares = 0.0;
    int n = 0;
    for (int y = border; y < map.Height - border; ++y)
        for (int x = border; x < map.Width - border; ++x, ++n) {
            const double d = map.GetPixel(x, y) - known(x, y);
            sum += d, squares += d * d;
        }
    const double turns = kTwoPi * std::round(sum / n / kTwoPi);
    return std::sqrt(squares / n - 2 * turns * sum / n + turns * turns);
}

// Stages A to D0 with the defaults of the command-line verb.
const TFloatImage& RunStages(TCarrierMoire& moire, const TCarrierSource& source, TReferenceRemoval removal) {
    moire.RequireFiles(source);
    moire.Build(source);
    EXPECT_TRUE(moire.ComputeCarrier(*moire.DefaultSearch(source.Strip)));
    const TStartPoints starts = *moire.RemoveCarrier(*moire.LargestWindow(source.Strip));
    TUnwrapOptions unwrap;
    unwrap.Start = starts.Image;
    unwrap.RefStart = starts.Reference;
    unwrap.Removal = removal;
    EXPECT_TRUE(moire.Unwrap(unwrap));
    return *moire.Field()->Phase->Phase;
}

TEST(CarrierMoireRegression, OneImageRecoversTheKnownPhaseFromAnUndeformedStrip) {
    test::TempDir dir;
    test::SaveCarrierFringes(dir.File("moire.bmp"), kWidth, kHeight, kCarrierX, 0.0, Bump);
    TCarrierMoire moire(TCarrierMethod::OneImage);
    const TFloatImage& phase =
        RunStages(moire, {dir.File("moire.bmp"), "", TStripDirection::Rows, 40}, TReferenceRemoval::Plane);
    EXPECT_EQ(*moire.Carrier(), (TCarrierOffset{-40, 0}));
    ASSERT_EQ(std::pair(phase.Width, phase.Height), std::pair(256, 128));
    EXPECT_LT(InteriorRms(phase, Bump), 0.1);
    // The strip's residual carrier, 0.3 bin along x, is the plane taken off.
    EXPECT_NEAR(moire.Plane()->A, kTwoPi * 0.3 / 256.0, 1e-3);
    EXPECT_NEAR(moire.Plane()->B, 0.0, 1e-3);
}

double TiltAndBump(int x, int y) {
    return 0.01 * (x - 128) - 0.006 * (y - 64) + Bump(x, y);
}

TEST(CarrierMoireRegression, TwoImagesRecoverTheKnownPhaseAndItsTiltEitherWay) {
    test::TempDir dir;
    test::SaveCarrierFringes(dir.File("deformed.bmp"), kWidth, kHeight, kCarrierX, kCarrierY, TiltAndBump);
    test::SaveCarrierFringes(dir.File("reference.bmp"), kWidth, kHeight, kCarrierX, kCarrierY,
                             [](int, int) { return 0.0; });
    const TCarrierSource source{dir.File("deformed.bmp"), dir.File("reference.bmp"), TStripDirection::Rows,
                                0};
    for (TReferenceRemoval removal : {TReferenceRemoval::PixelByPixel, TReferenceRemoval::Plane}) {
        TCarrierMoire moire(TCarrierMethod::TwoImages);
        EXPECT_LT(InteriorRms(RunStages(moire, source, removal), TiltAndBump), 0.1);
        EXPECT_EQ(moire.Plane().has_value(), removal == TReferenceRemoval::Plane);
    }
}

} // namespace

TEST(GridGenerator, DefaultGridHasWhiteColumnZeroBlackColumnEightAndPeriodSixteen) {
    const auto g = GenerateGrid({});
    ASSERT_EQ(std::pair(g->Width, g->Height), std::pair(256, 256));
    for (int y : {0, 255}) {
        EXPECT_EQ(g->GetPixel(0, y), 255);
        EXPECT_EQ(g->GetPixel(8, y), 0);
        for (int x = 16; x < 256; ++x)
            EXPECT_LE(std::abs(g->GetPixel(x, y) - g->GetPixel(x - 16, y)), 1) << x;
    }
    const auto inverted = GenerateGrid({.InitPhase = 1.0f});
    EXPECT_EQ(inverted->GetPixel(0, 100), 0);
    EXPECT_EQ(inverted->GetPixel(8, 100), 255);
}

TEST(GridGenerator, DirectionsAndLeansFollowTheirPhases) {
    // Not square, fractional carriers and leans in both directions, initial phase pi / 4. Along x the
    // phase is pi x / 8 + 3 pi y / 70 + pi / 4, along y 8 pi y / 70 - pi x / 30 + pi / 4: levels at
    // pi, pi / 2, 5 pi / 2, 7 pi / 4, 17 pi / 4, 13 pi / 4, -pi / 4 and -5 pi / 4.
    GridOptions o{.Width = 120,
                  .Height = 70,
                  .XCarrier = 7.5f,
                  .YCarrier = 4.0f,
                  .LeanY = 1.5f,
                  .LeanX = -2.0f,
                  .InitPhase = 0.25f};
    const auto x = GenerateGrid(o);
    o.Direction = GridDirection::Y;
    const auto y = GenerateGrid(o);
    for (const auto& [grid, px, py, level] :
         {std::tuple(x.get(), 6, 0, 0), std::tuple(x.get(), 2, 0, 127), std::tuple(x.get(), 6, 35, 127),
          std::tuple(x.get(), 0, 35, 217), std::tuple(y.get(), 0, 35, 217), std::tuple(y.get(), 30, 35, 37),
          std::tuple(y.get(), 15, 0, 217), std::tuple(y.get(), 45, 0, 37)})
        EXPECT_NEAR(grid->GetPixel(px, py), level, 1) << (grid == x.get() ? "x " : "y ") << px << "," << py;
    o.Direction = GridDirection::XAndY;
    o.InitPhase = 0.0f;
    o.LeanX = o.LeanY = 0.0f;
    o.YCarrier = 5.0f; // a period of 14 rows
    const auto crossed = GenerateGrid(o);
    EXPECT_EQ(crossed->GetPixel(0, 0), 255);      // both cosines 1
    EXPECT_EQ(crossed->GetPixel(8, 0), 0);        // cos a = -1 (x = 8 is half a period of 16 px)
    EXPECT_EQ(crossed->GetPixel(0, 35), 0);       // cos b = -1 (y = 35 is two and a half periods)
    EXPECT_NEAR(crossed->GetPixel(4, 0), 127, 1); // (cos a + 1) (cos b + 1) 63.75 with cos a = 0
}

TEST(GridGenerator, CylinderShiftsTheMiddleHalfAndUndefinedCombinationsDrawNothing) {
    GridOptions o{.Width = 256, .Height = 200, .Deformation = GridDeformation::Cylinder};
    const auto g = GenerateGrid(o);
    const auto plain = GenerateGrid({.Width = 256, .Height = 200});
    const double s = 0.5 - std::sqrt(0.1875); // about 0.067 of a width in the middle row
    for (int x = 0; x < 256; ++x) {
        EXPECT_EQ(g->GetPixel(x, 49), plain->GetPixel(x, 49));   // outside the middle half
        EXPECT_EQ(g->GetPixel(x, 50), plain->GetPixel(x, 50));   // row H div 4: s = 0
        EXPECT_EQ(g->GetPixel(x, 150), plain->GetPixel(x, 150)); // row 3H div 4: undeformed again
        EXPECT_LE(std::abs(g->GetPixel(x, 100) - Level(2 * kPi * 16 * (double(x) / 256 - s))), 1) << x;
    }
    EXPECT_NE(g->GetPixel(8, 100), plain->GetPixel(8, 100));

    o = {.Width = 100, .Height = 64, .Direction = GridDirection::Y, .Deformation = GridDeformation::Cylinder};
    const auto gy = GenerateGrid(o);
    for (int y = 0; y < 64; ++y) {
        EXPECT_EQ(gy->GetPixel(24, y), Level(2 * kPi * 16 * y / 64)) << y; // column W div 4 - 1
        const double sx = std::sqrt(0.25 - std::pow(50.0 / 100 - 0.5, 2)) - std::sqrt(0.1875);
        EXPECT_LE(std::abs(gy->GetPixel(50, y) - Level(2 * kPi * 16 * (double(y) / 64 - sx))), 1) << y;
    }

    for (const GridOptions& none :
         {GridOptions{.Width = 30, .Height = 20, .Deformation = GridDeformation::InverseR},
          GridOptions{.Width = 30,
          .Height = 20,
          .Direction = GridDirection::XAndY,
          .Deformation = GridDeformation::Cylinder}}) {
        const auto blank = GenerateGrid(none);
        EXPECT_EQ(blank->Width, 30);
        EXPECT_EQ(std::count(blank->Data, blank->Data + blank->Size, 0), 600);
    }
    EXPECT_EQ(ErrorText([] { GenerateGrid({.Width = 0}); }), kGridSizeMessage);
    EXPECT_EQ(ErrorText([] { GenerateGrid({.Height = -3}); }), kGridSizeMessage);
}

TEST(PhaseToFringe, CosineOfTheScaledValueWithRounding) {
    auto map = MakeFloatMap(4, 3, [](int x, int y) { return x == 3 && y == 2 ? 3.1415927f : 0.5f * x - y; });
    map->Data[1] = 0.0f;
    map->Data[2] = std::numeric_limits<float>::quiet_NaN();
    auto fringe = PhaseToFringe(*map);
    EXPECT_EQ(fringe->GetPixel(1, 0), 255); // 255.5 limited
    EXPECT_EQ(fringe->GetPixel(3, 2), 0);   // 0.5 truncated
    EXPECT_EQ(fringe->GetPixel(2, 0), 0);   // no cosine
    EXPECT_EQ(fringe->GetPixel(3, 1), static_cast<int>((std::cos(0.5) + 1) * 127.5 + 0.5));
    map->ValueScale = 2.0f; // the same value now reads as half the phase
    fringe = PhaseToFringe(*map);
    EXPECT_EQ(fringe->GetPixel(3, 2), static_cast<int>((std::cos(3.1415927 / 2) + 1) * 127.5 + 0.5));
    map->ValueScale = 0.0f;
    EXPECT_EQ(ErrorText([&] { PhaseToFringe(*map); }), kZeroValueScaleMessage);
}

TEST(MoireSimulation, PitchAndStepClampingFollowTheLineCount) {
    const auto g = SimulationGeometry(512, 10, 20);
    EXPECT_EQ(std::pair(g.Pitch, g.Step), std::pair(51, 11));
    EXPECT_EQ(SimulationGeometry(512, 10, -3).Step, 1);
    EXPECT_EQ(SimulationGeometry(512, 10, 0).Step, 0);
    EXPECT_EQ(SimulationGeometry(512, 10, 11).Step, 11);
    EXPECT_EQ(SimulationGeometry(515, 10, 0).Pitch, 52); // 51.5 + 0.5: the quotient is not truncated first
    EXPECT_EQ(SimulationGeometry(100, 30, 5).Pitch, 3);  // p div 4 - 1 = -1: any step becomes -1, then 1
    EXPECT_EQ(SimulationGeometry(100, 30, 5).Step, 1);
    EXPECT_EQ(ErrorText([] { SimulationGeometry(512, 0, 2); }), kCarrierCountMessage);
    EXPECT_EQ(ErrorText([] { SimulationGeometry(512, -4, 2); }), kCarrierCountMessage);
}

TEST(MoireSimulation, ShiftedCopiesLeaveTheLeadingColumnsOrRowsZero) {
    const auto r = MakeGreyPicture(12, 9, [](int x, int y) { return 1 + x + 20 * y; });
    const auto alongX = ShiftedGridCopy(*r, 10, 7, 3, MoireShiftDirection::AlongX);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(alongX->GetPixel(x, y), x < 3 ? 0 : r->GetPixel(x - 3, y)) << x << "," << y;
    const auto alongY = ShiftedGridCopy(*r, 10, 7, 4, MoireShiftDirection::AlongY);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(alongY->GetPixel(x, y), y < 4 ? 0 : r->GetPixel(x, y - 4)) << x << "," << y;
    EXPECT_EQ(ShiftedGridCopy(*r, 10, 7, 10, MoireShiftDirection::AlongX)->GetPixel(9, 6), 0);
}

// 12 pixels along the lines. The deformed grid is 64 everywhere, the reference (one pixel larger
// both ways) x * x along the lines, so Step 3's product is 8 (x - 2 step) past its leading zeros. 4
// lines: pitch 3, step 1, averaged over 3 pixels between the ends, which are kept; 1 line: pitch 12,
// step 2, a window longer than the line leaves it.
TEST(MoireSimulation, StepsAreTheShiftedReferenceTimesTheGridAveragedOverAPitch) {
    using Line = std::vector<int>;
    for (const auto& [count, pitch, step, expected] :
         {std::tuple(4, 3, 1, Line{0, 0, 2, 8, 16, 24, 32, 40, 48, 56, 64, 72}),
          std::tuple(1, 12, 2, Line{0, 0, 0, 0, 0, 8, 16, 24, 32, 40, 48, 56})})
        for (const bool alongX : {true, false}) {
            const auto deformed =
                MakeGreyPicture(alongX ? 12 : 5, alongX ? 5 : 12, [](int, int) { return 64; });
            const auto reference = MakeGreyPicture(alongX ? 13 : 6, alongX ? 6 : 13,
                                                   [=](int x, int y) { return alongX ? x * x : y * y; });
            const MoireSimulationResult result = SimulateMoire(
                *deformed, *reference,
                {.StepSize = 2,
                 .CarrierCount = count,
                 .Direction = alongX ? MoireShiftDirection::AlongX : MoireShiftDirection::AlongY});
            ASSERT_EQ(std::pair(result.Geometry.Pitch, result.Geometry.Step), std::pair(pitch, step));
            Line line;
            for (int i = 0; i < 12; ++i)
                line.push_back(alongX ? result.Steps[2]->GetPixel(i, 4) : result.Steps[2]->GetPixel(4, i));
            EXPECT_EQ(line, expected) << count << " " << alongX;
        }
}

TEST(MoireSimulation, RefusesBadCountsAndSmallReferencesBeforeMakingAnything) {
    const auto g = MakeGreyPicture(40, 30, [](int x, int) { return x; });
    const auto small = MakeGreyPicture(40, 29, [](int x, int) { return x; });
    EXPECT_EQ(ErrorText([&] { SimulateMoire(*g, *g, {.StepSize = 1, .CarrierCount = 0}); }),
              kCarrierCountMessage);
    EXPECT_EQ(ErrorText([&] { SimulateMoire(*g, *small, {.StepSize = 1, .CarrierCount = 4}); }),
              "the Reference Grid image (40 x 29) is smaller than the Deformed Grid image (40 x 30)");
}

TEST(GeometricMoire, MultipliesTwoGridsAndReadsALargerSecondOverTheFirstsExtent) {
    const auto a = MakeGreyPicture(7, 5, [](int x, int y) { return x * 36 + y; });
    const auto b = MakeGreyPicture(9, 6, [](int x, int y) { return 255 - x * 20 - y * 3; });
    const auto m = GeometricMoire(*a, *b);
    ASSERT_EQ(std::pair(m->Width, m->Height), std::pair(7, 5));
    // sqrt(36 * 235) = 91.98 and, in the last row and column, sqrt(220 * 123) = 164.49.
    EXPECT_EQ(m->GetPixel(1, 0), 91);
    EXPECT_EQ(m->GetPixel(6, 4), 164);
    EXPECT_EQ(GeometricMoire(*MakeGreyPicture(2, 1, [](int, int) { return 255; }),
                             *MakeGreyPicture(2, 1, [](int x, int) { return 255 - x; }))
                  ->GetPixel(1, 0),
              254); // sqrt(255 * 254) = 254.499...
    EXPECT_EQ(ErrorText([&] { GeometricMoire(*b, *a); }),
              "the second image (7 x 5) is smaller than the first (9 x 6)");
}

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
        ASSERT_EQ(std::pair(result.Phase->Phase->Width, result.Phase->Phase->Height), std::pair(w, h));
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
    EXPECT_EQ(Values(*r.Phase->Phase), (std::vector<float>{3.14159250f, 1.57079625f, -1.57079625f, 0.0f, 0.0f,
                                                           static_cast<float>(std::atan2(-30.0, 10.0))}));
    EXPECT_LT(r.Phase->Phase->Data[0], static_cast<float>(kPi));
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

// The last map is large enough for the growing front to outgrow the queue's first buffer.
TEST(RegionGrowingUnwrap, CleanMapsUnwrapExactlyFromAnyStart) {
    for (const auto& [w, h, sx, sy] : {std::array{97, 61, 0, 0}, std::array{97, 61, 96, 60},
                                       std::array{97, 61, 13, 47}, std::array{331, 203, 330, 0}}) {
        const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
        auto map = MapOf(w, h, truth.Wrapped);
        RegionGrowingUnwrap(*map, *Blank(w, h), sx, sy, 0.5f);
        EXPECT_LT(LargestDeviation(*map, truth), 1e-4) << sx << "," << sy;
        // The start pixel keeps its wrapped value, so k = 0 there.
        EXPECT_EQ(map->Data[sy * w + sx], truth.Wrapped[static_cast<std::size_t>(sy * w + sx)]);
    }
}

TEST(RegionGrowingUnwrap, ADifferenceOfExactlyPiIsNoJumpAndOneOfThreePointOneFiveIs) {
    const float pi = 3.1415927f;
    auto map = MapOf(4, 1, {0.0f, pi, 0.0f, -3.15f});
    const auto valid = Blank(4, 1);
    RegionGrowingUnwrap(*map, *valid, 1, 0, 0.5f);
    EXPECT_EQ(map->Data[0], 0.0f); // pi - 0 = pi: kept
    EXPECT_EQ(map->Data[1], pi);   // the start, judged again against pixel 0: unchanged
    EXPECT_EQ(map->Data[2], 0.0f);
    EXPECT_FLOAT_EQ(map->Data[3], -3.15f + 6.2831855f); // 3.15 below its parent: one 2 pi up

    // With a tiny threshold the neighbour takes k = -1; the start, judged again against it, gets
    // -2 pi from that k and one 2 pi back, and so keeps its value.
    auto tiny = MapOf(2, 1, {0.0f, 1.0f});
    RegionGrowingUnwrap(*tiny, *Blank(2, 1), 0, 0, 0.01f);
    EXPECT_FLOAT_EQ(tiny->Data[1], 1.0f - 6.2831855f);
    EXPECT_EQ(tiny->Data[0], 0.0f);
}

// Neighbours are queued up, left, down, right: pixel (1,1) is first reached from below the start
// (3 -> -3 is a jump) and not from its right (-3 -> -3 is none).
TEST(RegionGrowingUnwrap, ThePixelBelowIsQueuedBeforeTheOneToTheRight) {
    auto map = MapOf(2, 2, {0.0f, -3.0f, 3.0f, -3.0f});
    RegionGrowingUnwrap(*map, *Blank(2, 2), 0, 0, 0.5f);
    EXPECT_EQ(Values(*map), (std::vector<float>{0.0f, -3.0f, 3.0f, -3.0f + 6.2831855f}));
}

TEST(RegionGrowingUnwrap, ARegionClosedOffByInvalidPixelsKeepsItsWrappedValues) {
    const int w = 40, h = 30;
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
    // A ring of invalid pixels around columns 20..33, rows 8..21.
    const auto ring = MakeGreyPicture(w, h, [](int x, int y) {
        const bool inRing = x >= 19 && x <= 34 && y >= 7 && y <= 22;
        const bool inside = x >= 20 && x <= 33 && y >= 8 && y <= 21;
        return inRing && !inside ? 255 : 0;
    });
    auto map = MapOf(w, h, truth.Wrapped);
    RegionGrowingUnwrap(*map, *ring, 2, 2, 0.5f);
    FillInvalidRuns(*map, ring.get());
    for (int y = 8; y <= 21; ++y)
        for (int x = 20; x <= 33; ++x)
            ASSERT_EQ(map->Data[y * w + x], truth.Wrapped[static_cast<std::size_t>(y * w + x)])
                << x << "," << y;
    // Outside the ring the map is unwrapped.
    EXPECT_LT(Deviation(*map, truth, 5 * w + 38), 1e-4);
}

TEST(RegionGrowingUnwrap, AStartOutsideTheMapIsRefusedBeforeAnythingChanges) {
    auto map = MapOf(5, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    const auto valid = Blank(5, 3);
    EXPECT_EQ(ErrorText([&] { RegionGrowingUnwrap(*map, *valid, 5, 0, 0.5f); }),
              "the starting point (5,0) is outside the 5 x 3 phase map");
    EXPECT_EQ(ErrorText([&] { RegionGrowingUnwrap(*map, *valid, 0, -1, 0.5f); }),
              "the starting point (0,-1) is outside the 5 x 3 phase map");
    const auto wrongSize = Blank(3, 5);
    EXPECT_NE(ErrorText([&] { RegionGrowingUnwrap(*map, *wrongSize, 0, 0, 0.5f); }), "no error");
    EXPECT_EQ(map->Data[14], 15.0f);
}

TEST(FillInvalidRuns, TheFourKindsOfRun) {
    const int w = 16;
    // Row 0: invalid 0..9 -> column 10's value. Row 1: invalid 5..15 -> column 4's value.
    // Row 2: invalid everywhere -> kept. Row 3: invalid 3..6 -> straight line from 2 to 7.
    // Row 4: only column 0 invalid -> kept (the scan starts at column 1).
    auto map = MakeFloatMap(w, 5, [](int x, int y) { return 100.0 * y + x * x; });
    const auto invalid = MakeGreyPicture(w, 5, [](int x, int y) {
        const char* rows[] = {"1111111111000000", "0000011111111111", "1111111111111111", "0001111000000000",
                              "1000000000000000"};
        return rows[y][x] == '1' ? 255 : 0;
    });
    FillInvalidRuns(*map, invalid.get());
    auto at = [&](int x, int y) { return map->Data[y * w + x]; };
    for (int x = 0; x <= 9; ++x)
        EXPECT_EQ(at(x, 0), 100.0f);
    EXPECT_EQ(at(15, 0), 225.0f);
    for (int x = 5; x < w; ++x)
        EXPECT_EQ(at(x, 1), 116.0f);
    EXPECT_EQ(at(4, 1), 116.0f);
    for (int x = 0; x < w; ++x)
        EXPECT_EQ(at(x, 2), static_cast<float>(200 + x * x));
    // From 304 at column 2 to 349 at column 7: steps of 9.
    for (int x = 3; x <= 6; ++x)
        EXPECT_NEAR(at(x, 3), 304.0f + 9.0f * static_cast<float>(x - 2), 1e-4);
    EXPECT_EQ(at(7, 3), 349.0f);
    EXPECT_EQ(at(0, 4), 400.0f);

    EXPECT_EQ(ErrorText([&] { FillInvalidRuns(*map, nullptr); }), "no invlaid area to modify");
}

TEST(DarkenAreas, MarkedPixelsTakeTheMinimumOfTheWholeMap) {
    auto map = MakeFloatMap(3, 2, [](int x, int y) { return 10.0 - x - 4 * y; });
    const auto areas = MakeGreyPicture(3, 2, [](int x, int y) { return x == 0 && y == 0 ? 255 : 254; });
    DarkenAreas(*map, *areas);
    EXPECT_EQ(Values(*map), (std::vector<float>{4, 9, 8, 6, 5, 4}));
}

TEST(MaskNoise, ACellWithHorizontalDifferencesOfPointSixAndMinusPointFourIsMarked) {
    // Cell (1, 0)..(2, 1) of a 4 x 3 map: the bottom edge rises by 0.6 (wrapped at the 0.5 rad
    // threshold), the top edge by 0.4 (kept): the sum around the cell is -2 pi.
    auto map = MakeFloatMap(4, 3, [](int x, int y) {
        if (y == 0) return x >= 2 ? 0.4 : 0.0;
        if (y == 1) return x >= 2 ? 0.6 : 0.0;
        return x >= 2 ? 0.6 : 0.0;
    });
    auto invalid = Blank(4, 3);
    MaskNoise(*map, *invalid, 0.5f, 0.001f);
    EXPECT_EQ(Levels(*invalid), (Grey{0, 255, 255, 0, 0, 255, 255, 0, 0, 0, 0, 0}));

    // With a threshold above 0.6 no difference is wrapped: no residue.
    auto clean = Blank(4, 3);
    MaskNoise(*map, *clean, 0.61f, 0.001f);
    EXPECT_EQ(Levels(*clean), Grey(12, 0));
}

TEST(MaskNoise, ResidueThresholdOnBothSidesAndPixelsAreOnlyEverSet) {
    // A 2 x 2 map has one cell; its differences sum to 0 in exact arithmetic, so only wrapping
    // makes a residue: the bottom edge rises by 0.6 (wrapped), the right and top edges fall by 0.3:
    // about -2 pi.
    auto map = MakeFloatMap(2, 2, [](int x, int y) { return x == 1 ? (y == 0 ? 0.3 : 0.6) : 0.0; });
    auto below = Blank(2, 2);
    MaskNoise(*map, *below, 0.5f, 6.3f);
    EXPECT_EQ(Levels(*below), (Grey{0, 0, 0, 0}));
    auto above = Blank(2, 2);
    MaskNoise(*map, *above, 0.5f, 6.2f);
    EXPECT_EQ(Levels(*above), (Grey{255, 255, 255, 255}));

    // A loaded invalid area is extended, never cleared; the last row and column are reached.
    auto clean = MakeFloatMap(5, 4, [](int x, int y) { return x < 4 || y < 2 ? 0.0 : (y == 3 ? 0.6 : 0.3); });
    auto loaded = MakeGreyPicture(5, 4, [](int x, int y) { return x == 0 && y == 0 ? 255 : 7; });
    MaskNoise(*clean, *loaded, 0.5f, 0.001f);
    EXPECT_EQ(Levels(*loaded), (Grey{255, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 255, 255, 7, 7, 7, 255, 255}));
}

TEST(MaskNoise, RefusesAMissingMapAndAnInvalidAreaOfAnotherSize) {
    TFloatImage empty(nullptr, 0, 0);
    empty.Data = nullptr;
    auto invalid = Blank(2, 2);
    EXPECT_EQ(ErrorText([&] { MaskNoise(empty, *invalid, 0.5f, 0.001f); }), "Select an phase image first");
    auto map = MakeFloatMap(3, 2, [](int x, int) { return x * 1.0; });
    EXPECT_EQ(ErrorText([&] { MaskNoise(*map, *invalid, 0.5f, 0.001f); }),
              "the invalid area is 2 x 2, the phase map 3 x 2");
}

TEST(NewUnwrapModel, UnwrapStartsFromTheFileAndFillsAndDarkensTheFilesAreas) {
    TempDir dir;
    const int w = 64, h = 48;
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
    SaveWrapped(truth, dir.File("phase.flt"));
    // Invalid block at columns 30..39 of rows 10..19.
    auto areas =
        MakeGreyPicture(w, h, [](int x, int y) { return x >= 30 && x < 40 && y >= 10 && y < 20 ? 255 : 0; });
    areas->SaveBmp(dir.File("areas.bmp"));

    NewUnwrapModel model;
    model.OpenPhase(dir.File("phase.flt"));
    std::fill(model.Phase->Data, model.Phase->Data + 10, 99.0f); // changes in memory do not count
    NewUnwrapOptions options{.PhaseFile = dir.File("phase.flt"),
                             .UseInvalidAreaFile = true,
                             .InvalidAreaFile = dir.File("areas.bmp"),
                             .StartX = 5,
                             .StartY = 40};
    float grownInBlock = 0.0f;
    model.Unwrap(options, [&](const TFloatImage& grown) { grownInBlock = grown.Data[15 * w + 35]; });

    // The region growing never reaches the block, so it still holds the wrapped value there.
    EXPECT_EQ(grownInBlock, truth.Wrapped[15 * w + 35]);
    const TFloatImage& result = *model.Phase;
    EXPECT_EQ(std::pair(result.ScaleX, result.ValueScale), std::pair(0.25f, 3.0f));
    const float min = *std::min_element(result.Data, result.Data + result.PixelCount());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * w + x);
            if (areas->Data[i] == 255) {
                ASSERT_EQ(result.Data[i], min) << x << "," << y;
            } else {
                ASSERT_LT(Deviation(result, truth, i), 1e-4) << x << "," << y;
            }
        }
    ASSERT_TRUE(model.InvalidArea);
    EXPECT_EQ(model.InvalidArea->Data[15 * w + 35], 255);

    // Without the check box the file is not used: a clean map unwraps everywhere.
    options.UseInvalidAreaFile = false;
    model.OpenPhase(dir.File("phase.flt"));
    model.Unwrap(options);
    EXPECT_LT(Deviation(*model.Phase, truth, 15 * w + 35), 1e-4);
}

TEST(NewUnwrapModel, MaskNoiseMarksResiduesAndTheFollowingUnwrapWorksAroundThem) {
    TempDir dir;
    const int w = 50, h = 40;
    WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
    // A bump of 0.45 rad on one pixel: the edges into it exceed the residue test's 0.5 rad, the
    // edges out of it do not, so some of the cells around it get a residue.
    truth.Wrapped[20 * w + 25] = WrapPhase(truth.Truth[20 * w + 25] + 0.45);
    SaveWrapped(truth, dir.File("phase.flt"));

    NewUnwrapModel model;
    NewUnwrapOptions options;
    options.PhaseFile = dir.File("phase.flt");
    options.StartX = options.StartY = 0;
    model.MaskNoise(options);
    ASSERT_TRUE(model.InvalidArea);
    const TGrayImage& invalid = *model.InvalidArea;
    EXPECT_EQ(invalid.Data[20 * w + 25], 255);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (std::abs(x - 25) > 1 || std::abs(y - 20) > 1) {
                ASSERT_EQ(invalid.Data[y * w + x], 0) << x << "," << y;
            }

    model.Unwrap(options);
    for (std::size_t i = 0; i < truth.Truth.size(); ++i)
        if (invalid.Data[i] != 255) {
            ASSERT_LT(Deviation(*model.Phase, truth, i), 1e-4) << i;
        }
    // The bump is gone: it lies on the straight line through the valid pixels beside it.
    EXPECT_LT(Deviation(*model.Phase, truth, 20 * w + 25), 0.05);

    // Opening a phase file releases the invalid area.
    model.OpenPhase(dir.File("phase.flt"));
    EXPECT_FALSE(model.InvalidArea);
}

TEST(NewUnwrapModel, FailingCommandsLeaveTheHeldMapsAsTheyWere) {
    TempDir dir;
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(30, 20);
    SaveWrapped(truth, dir.File("phase.flt"));
    Blank(20, 30)->SaveBmp(dir.File("other.bmp"));

    NewUnwrapModel model;
    NewUnwrapOptions options;
    EXPECT_EQ(ErrorText([&] { model.MaskNoise(options); }), "Select an phase image first");
    EXPECT_EQ(ErrorText([&] { model.Unwrap(options); }), "Select an phase image first");

    options.PhaseFile = dir.File("phase.flt");
    model.OpenPhase(options.PhaseFile);
    const TFloatImage* held = model.Phase.get();
    // The tool's default start (128, 128) lies outside this 30 x 20 map.
    EXPECT_EQ(ErrorText([&] { model.Unwrap(options); }),
              "the starting point (128,128) is outside the 30 x 20 phase map");
    EXPECT_EQ(model.Phase.get(), held);
    EXPECT_FALSE(model.InvalidArea);

    options.StartX = options.StartY = 0;
    options.UseInvalidAreaFile = true;
    options.InvalidAreaFile = dir.File("other.bmp");
    EXPECT_EQ(ErrorText([&] { model.MaskNoise(options); }),
              dir.File("other.bmp") + ": the invalid area is 20 x 30, the phase map 30 x 20");
    EXPECT_EQ(model.Phase.get(), held);
    model.OpenInvalidArea(dir.File("other.bmp"));
    options.UseInvalidAreaFile = false;
    EXPECT_EQ(ErrorText([&] { model.Unwrap(options); }),
              "the invalid area is 20 x 30, the phase map 30 x 20");
    EXPECT_EQ(model.Phase.get(), held);
}

TEST(ScanLineUnwrap, CleanMapsUnwrapExactlyAndTheCopyKeepsTheHeader) {
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(91, 57);
    auto input = MapOf(91, 57, truth.Wrapped);
    input->ScaleX = 0.5f;
    input->ValueScale = 2.0f;
    input->Reserved[9] = 7;
    const std::vector<float> before = Values(*input);
    for (const auto& [sx, sy] : {std::pair{0, 0}, std::pair{90, 56}, std::pair{40, 3}}) {
        const auto output = ScanLineUnwrap(*input, sx, sy, 0.5f);
        EXPECT_LT(LargestDeviation(*output, truth), 1e-4) << sx << "," << sy;
        EXPECT_EQ(std::tuple(output->ScaleX, output->ValueScale, output->Reserved[9]),
                  std::tuple(0.5f, 2.0f, 7));
    }
    EXPECT_EQ(Values(*input), before);
}

TEST(ScanLineUnwrap, NoJumpsLeaveTheMapAndThreePointOneIsNoJumpButThreePointTwoIs) {
    auto smooth = MakeFloatMap(7, 5, [](int x, int y) { return 0.3 * x - 0.2 * y; });
    EXPECT_EQ(Values(*ScanLineUnwrap(*smooth, 3, 2, 0.5f)), Values(*smooth));

    auto row = MakeFloatMap(3, 1, [](int x, int) { return x == 0 ? 0.0 : (x == 1 ? -3.1 : 0.1); });
    const auto out = ScanLineUnwrap(*row, 0, 0, 0.5f);
    EXPECT_FLOAT_EQ(out->Data[1], -3.1f);             // 3.1 < pi: kept
    EXPECT_FLOAT_EQ(out->Data[2], 0.1f - 6.2831853f); // 3.2 >= pi: one 2 pi down
}

TEST(SimpleUnwrapModel, MediansHaveTheirOwnWindowsAndUnwrapRestartsFromTheInput) {
    TempDir dir;
    const WrappedPhaseMap noisy = MakeWrappedPhaseMap(40, 30, 0.3, 5);
    MapOf(40, 30, noisy.Wrapped)->SaveFlt(dir.File("phase.flt"));

    SimpleUnwrapModel model;
    EXPECT_FALSE(model.MedianInput(3));
    EXPECT_FALSE(model.MedianOutput(3));
    EXPECT_EQ(ErrorText([&] { model.Unwrap(0.5f, 0, 0); }), "open a phase first");

    model.OpenPhase(dir.File("phase.flt"));
    EXPECT_EQ(Values(*model.Output), std::vector<float>(40 * 30, 0.0f));
    ASSERT_TRUE(model.MedianInput(3));
    model.Unwrap(0.5f, 20, 15);
    // The output starts from the filtered input: the same as unwrapping a 3 x 3 median copy.
    auto filtered = MapOf(40, 30, noisy.Wrapped);
    filtered->MedianFilter(3, 3);
    auto expected = ScanLineUnwrap(*filtered, 20, 15, 0.5f);
    EXPECT_EQ(Values(*model.Output), Values(*expected));

    // Median Output with 5 x 5 changes only the output, with its own window.
    const std::vector<float> inputBefore = Values(*model.Input);
    ASSERT_TRUE(model.MedianOutput(5));
    expected->MedianFilter(5, 5);
    EXPECT_EQ(Values(*model.Output), Values(*expected));
    EXPECT_EQ(Values(*model.Input), inputBefore);

    // A start outside the map is refused and the output stays.
    EXPECT_EQ(ErrorText([&] { model.Unwrap(0.5f, 40, 0); }),
              "the starting point (40,0) is outside the 40 x 30 phase map");
    EXPECT_EQ(Values(*model.Output), Values(*expected));
}

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
        auto quality = MapOf(w, h, truth.Wrapped);
        auto grown = CopyFloatImage(*quality);
        const auto areas = MakeGreyPicture(
            w, h, [&](int x, int y) { return hole && x >= 10 && x <= 20 && y >= 5 && y <= 12 ? 255 : 0; });
        QualityGuidedUnwrap(*quality, *areas, sx, sy);
        RegionGrowingUnwrap(*grown, *areas, sx, sy, 0.5f);
        for (std::size_t i = 0; i < grown->PixelCount(); ++i)
            ASSERT_NEAR(quality->Data[i], grown->Data[i], 1e-4) << w << "x" << h << " pixel " << i;
    }
}

// Method 0 subtracts Source 2, read over its top-left part when larger, and keeps Source 1's
// three scales; a Source 2 smaller either way is refused.
TEST(PhaseCalculation, ALargerSourceTwoIsReadOverItsTopLeftPartAndASmallerOneIsRefused) {
    auto s1 = Scaled(MakeFloatMap(5, 3, [](int x, int y) { return 100.0f + x + 10 * y; }));
    auto s2 = MakeFloatMap(8, 6, [](int x, int y) { return float(x * x + y); });
    const PhaseCalculationResult r = CalculatePhase(*s1, *s2, {});
    ASSERT_EQ(std::pair(r.Result->Width, r.Result->Height), std::pair(5, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(r.Result->GetPixel(x, y), 100.0f + x + 10 * y - float(x * x + y));
    EXPECT_EQ(std::tuple(r.Result->ScaleX, r.Result->ScaleY, r.Result->ValueScale, r.Fitted),
              std::tuple(0.25f, 0.5f, 3.0f, false));
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s2, *s1, {}); }), kSource2TooSmallMessage);
    auto narrow = MakeFloatMap(4, 9, [](int, int) { return 0.0f; });
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s1, *narrow, {}); }), kSource2TooSmallMessage);
}

TEST(PhaseCalculation, LinearFitRecoversAnExactPlaneAndSubtractsIt) {
    auto s2 = MakeFloatMap(60, 45, [](int x, int y) { return 0.5f * x - 0.25f * y; });
    auto s1 = Scaled(MakeFloatMap(23, 19, [](int x, int y) { return 0.5f * x - 0.25f * y + 2.0f; }));
    PhaseCalculationOptions options;
    options.Method = PhaseCalculationMethod::LinearFitOfSource2;
    options.Fit = {.Left = 3, .Top = 5, .Right = 51, .Bottom = 40};
    const PhaseCalculationResult r = CalculatePhase(*s1, *s2, options);
    EXPECT_TRUE(r.Fitted);
    EXPECT_NEAR(r.A, 0.5f, 1e-5);
    EXPECT_NEAR(r.B, -0.25f, 1e-5);
    EXPECT_NEAR(r.Result->GetPixel(22, 18), 2.0f, 1e-4);
    EXPECT_NEAR(r.Result->GetPixel(0, 0), 2.0f, 1e-4);
    EXPECT_EQ(r.Result->ScaleY, 0.5f);
    EXPECT_EQ(FitCoefficientLabel("A", r.A).substr(0, 10), "A=    0.49");
    EXPECT_EQ(FitCoefficientLabel("B", -0.25f), "B=   -0.250000000000000");
}

TEST(PhaseCalculation, AnEmptyFitRectangleGivesNoPlaneAndOneOutsideSourceTwoIsRefused) {
    auto s1 = MakeFloatMap(6, 4, [](int x, int y) { return float(x - 2 * y); });
    auto s2 = MakeFloatMap(8, 5, [](int x, int) { return float(x); });
    PhaseCalculationOptions options{.Method = PhaseCalculationMethod::LinearFitOfSource2,
                                    .Fit = {.Left = 3, .Top = 0, .Right = 3, .Bottom = 5}};
    PhaseCalculationResult r = CalculatePhase(*s1, *s2, options);
    EXPECT_EQ(std::pair(r.A, r.B), std::pair(0.0f, 0.0f));
    EXPECT_EQ(r.Result->GetPixel(5, 3), 5.0f - 6.0f);

    // The whole of Source 2 (the rectangle the browse button sets) is inside; one more column is not.
    options.Fit = {.Left = 0, .Top = 0, .Right = 8, .Bottom = 5};
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s1, *s2, options); }), "no error");
    options.Fit.Right = 9;
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s1, *s2, options); }), "(8,0) not in the image");
    options.Fit = {.Left = 0, .Top = 0, .Right = 8, .Bottom = 6};
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s1, *s2, options); }), "(0,5) not in the image");
    options.Fit = {.Left = -1, .Top = 2, .Right = 4, .Bottom = 3};
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s1, *s2, options); }), "(-1,2) not in the image");

    options.Method = PhaseCalculationMethod::None;
    r = CalculatePhase(*s1, *s2, options);
    EXPECT_EQ(r.Result->GetPixel(5, 3), 0.0f);
}

TEST(PhaseCalculation, OnlyMissingSourcesAreLoadedAndOnlyWhenBothFilesExist) {
    TempDir dir;
    MakeFloatMap(3, 2, [](int x, int) { return float(x); })->SaveFlt(dir.File("a.flt"));
    MakeFloatMap(4, 2, [](int x, int) { return float(-x); })->SaveFlt(dir.File("b.flt"));
    std::unique_ptr<TFloatImage> s1, s2 = MakeFloatMap(7, 7, [](int, int) { return 5.0f; });
    EXPECT_EQ(ErrorText([&] {
                  LoadMissingPhaseCalculationSources(s1, s2, dir.File("a.flt"), dir.File("Source2"));
              }),
              kSelectTwoSourcesMessage);
    EXPECT_FALSE(s1);
    LoadMissingPhaseCalculationSources(s1, s2, dir.File("a.flt"), dir.File("b.flt"));
    ASSERT_TRUE(s1);
    EXPECT_EQ(std::pair(s1->Width, s2->Width), std::pair(3, 7)); // the loaded Source 2 stays
    EXPECT_EQ(ErrorText([&] { LoadPhaseCalculationSource(dir.File("Source1")); }), kSelectTwoSourcesMessage);
}

TEST(AbsolutePhase, PitchConversionScalesValuesAndAccumulatesInTheValueScale) {
    auto map = MakeFloatMap(3, 2, [](int x, int y) { return (x - 1 + 3 * y) * 2.0 * M_PI; });
    ConvertToDisplacement(*map, 6.28319f);
    EXPECT_NEAR(map->Data[2], 6.28319f, 2e-6);  // one fringe is one pitch
    EXPECT_NEAR(map->Data[0], -6.28319f, 2e-6); // the sign is kept
    const double factor = 6.28319 / (2.0 * M_PI);
    EXPECT_NEAR(map->ValueScale, factor, 1e-7);
    ConvertToDisplacement(*map, 1.0f); // the tool's default pitch divides by 2 pi
    EXPECT_NEAR(map->Data[5], 4.0 * factor, 1e-5);
    EXPECT_NEAR(map->ValueScale, factor / (2.0 * M_PI), 1e-7);
    // A pitch of 0 would wipe the map; it is refused and nothing changes.
    EXPECT_EQ(ErrorText([&] { ConvertToDisplacement(*map, 0.0f); }),
              "The grid's parameter P and its frequency can not be 0");
    EXPECT_NEAR(map->Data[5], 4.0 * factor, 1e-5);
    EXPECT_NEAR(map->ValueScale, factor / (2.0 * M_PI), 1e-7);
}

TEST(AbsolutePhase, ReciprocalEditsAndTheValueUnderTheMouse) {
    EXPECT_EQ(ReciprocalText(0.5), "     2.00000000");
    EXPECT_EQ(ReciprocalText(3.0), "     0.33333333");
    EXPECT_EQ(ReciprocalText(-8.0), "    -0.12500000");
    EXPECT_EQ(ErrorText([] { ReciprocalText(0.0); }),
              "The grid's parameter P and its frequency can not be 0");

    auto map = MakeFloatMap(3, 2, [](int x, int y) { return x == 2 && y == 1 ? -1.25 : 123.456789; });
    EXPECT_EQ(PixelValueText(*map, 2, 1), std::optional<std::string>(" -1.2500000"));
    EXPECT_EQ(PixelValueText(*map, 0, 0), std::optional<std::string>("123.4567871")); // the float's digits
    EXPECT_EQ(PixelValueText(*map, 3, 1), std::nullopt);
    EXPECT_EQ(PixelValueText(*map, 0, -1), std::nullopt);
}

TEST(AbsolutePhase, TableUsesTheMapsScalesAndTheMaskOnlyWhenChecked) {
    TempDir dir;
    auto map = MakeFloatMap(5, 4, [](int x, int y) { return x + 10.0 * y; });
    map->ScaleX = 0.5f;
    map->ScaleY = 2.0f;
    // A mask file named by the edit but not checked is not used.
    MakeGreyPicture(5, 4, [](int x, int y) {
        return x == 4 && y == 3 ? 255 : 0;
    })->SaveBmp(dir.File("mask.bmp"));
    DisplacementTableOptions options;
    options.MaskFile = dir.File("mask.bmp");
    SaveDisplacementTable(*map, dir.File("all.dat"), options);
    const std::string all = ReadFileBytes(dir.File("all.dat"));
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 20);
    EXPECT_EQ(all.substr(all.size() - 52), "      2.00000000       6.00000000      34.00000000 \n");

    options.UseMask = true;
    SaveDisplacementTable(*map, dir.File("masked.dat"), options);
    EXPECT_EQ(ReadFileBytes(dir.File("masked.dat")), "      2.00000000       6.00000000      34.00000000 \n");
}

TEST(PseudoColor, FringeOrdersBlendAcrossEachFringeAndOutOfRangeOrdersAreTeal) {
    EXPECT_EQ(Rgb(PseudoColorOf(0.0f)), Rgb(255, 255, 255));             // order 0, pure white
    EXPECT_EQ(Rgb(PseudoColorOf(kPif)), Rgb(255, 127, 127));             // half white, half red
    EXPECT_EQ(Rgb(PseudoColorOf(-0.1f)), Rgb(252, 252, 250));            // mostly white, a little olive
    EXPECT_EQ(Rgb(PseudoColorOf(2 * kPif)), Rgb(255, 0, 0));             // exactly order 1
    EXPECT_EQ(Rgb(PseudoColorOf(-2 * kPif)), Rgb(128, 128, 0));          // exactly order -1
    EXPECT_TRUE(Near(Rgb(PseudoColorOf(15 * kPif)), Rgb(96, 160, 160))); // silver and teal, equal parts
    EXPECT_EQ(Rgb(PseudoColorOf(-13 * kPif)), Rgb(64, 64, 64));          // orders -7 (grey) and -6 (black)
    for (float v : {16 * kPif, 17.3f * kPif, -16 * kPif, 1.0e7f, std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(Rgb(PseudoColorOf(v)), Rgb(0, 128, 128)) << v;
}

TEST(PseudoColor, RenderUsesTheValueScaleAndTheMaskAndIgnoresAMaskOfAnotherSize) {
    // A ramp over four fringes, value scale 2 (displayed values halved), last column masked.
    auto map = MakeFloatMap(9, 4, [](int x, int y) { return 2.0f * (x - 4) * kPif / 2 + y * 0.3f; });
    map->ValueScale = 2.0f;
    const auto mask = MakeGreyPicture(9, 4, [](int x, int y) { return x == 8 ? 255 : (y == 3 ? 254 : 0); });
    const RgbPicture picture = RenderPseudoColor(*map, mask.get());
    ASSERT_EQ(std::tuple(picture.Width, picture.Height, picture.Pixels.size()), std::tuple(9, 4, 9u * 4 * 3));
    const auto pixel = [&](int x, int y) {
        const std::size_t i = (static_cast<std::size_t>(y) * 9 + x) * 3;
        return Rgb(picture.Pixels[i], picture.Pixels[i + 1], picture.Pixels[i + 2]);
    };
    EXPECT_EQ(pixel(4, 0), Rgb(255, 255, 255));
    EXPECT_EQ(pixel(6, 0), Rgb(PseudoColorOf(map->GetPixel(6, 0) / 2.0f)));
    EXPECT_EQ(pixel(7, 3), Rgb(PseudoColorOf(map->GetPixel(7, 3) / 2.0f))); // level 254 is not background
    EXPECT_EQ(pixel(8, 3), Rgb(0, 128, 128));
    const auto otherSize = MakeGreyPicture(9, 5, [](int, int) { return 255; });
    EXPECT_EQ(RenderPseudoColor(*map, otherSize.get()).Pixels, RenderPseudoColor(*map, nullptr).Pixels);
}

TEST(PseudoColor, DoublingMakesTwoPiShowOrderTwoAndTheFringeLevelReadsIt) {
    auto map = MakeFloatMap(5, 3, [](int x, int y) { return x == 4 && y == 2 ? 2 * kPif : -kPif; });
    EXPECT_EQ(PseudoColorFringeLevel(*map, nullptr, 4, 2), "1.0");
    DoublePseudoColorFringes(*map);
    EXPECT_EQ(map->ValueScale, 0.5f);
    const RgbPicture picture = RenderPseudoColor(*map, nullptr);
    const std::size_t last = (2 * 5 + 4) * 3;
    EXPECT_TRUE(Near(Rgb(picture.Pixels[last], picture.Pixels[last + 1], picture.Pixels[last + 2]),
                     Rgb(255, 255, 0)));
    EXPECT_EQ(PseudoColorFringeLevel(*map, nullptr, 4, 2), "2.0");
    EXPECT_EQ(PseudoColorFringeLevel(*map, nullptr, 40, 20), "2.0"); // limited to the last column and row
    EXPECT_EQ(PseudoColorFringeLevel(*map, nullptr, 0, 0), "-1.0");
    HalvePseudoColorFringes(*map);
    EXPECT_EQ(PseudoColorFringeLevel(*map, nullptr, 1, 1), "-0.5");
    const auto mask = MakeGreyPicture(5, 3, [](int x, int) { return x == 1 ? 255 : 0; });
    EXPECT_EQ(PseudoColorFringeLevel(*map, mask.get(), 1, 1), "Background");
    EXPECT_EQ(PseudoColorFringeLevel(*map, mask.get(), 2, 1), "-0.5");
}
