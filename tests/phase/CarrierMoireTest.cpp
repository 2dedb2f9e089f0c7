// The carrier-fringe method: its stages one by one (build, carrier search, moving window, carrier
// removal, unwrap, the Step 4 conversions and the saves), the wizard's pages, and whole runs on
// generated fringes with a known phase.
#include "image/TPhaseImage.h"
#include "phase/CarrierMoirePages.h"
#include "phase/CarrierMoireWindow.h"
#include "phase/TCarrierMoire.h"
#include "support/CarrierFringes.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <tuple>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

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

TEST_F(CarrierMoireStages, RefusalsLeaveNoStateAndEveryLaterStageThenDoesNothing) {
    TCarrierMoire two(TCarrierMethod::TwoImages);
    const std::string file = Fringes("m.bmp", 64, 40), none = dir.File("none.bmp");
    const auto rows = [&](int strip) { return TCarrierSource{file, "", TStripDirection::Rows, strip}; };
    EXPECT_EQ(ErrorText([&] { moire.RequireFiles({none, ""}); }), "Select One Moire Image First");
    EXPECT_EQ(ErrorText([&] { two.RequireFiles({file, none}); }), "Select Two Moire Images First");
    EXPECT_EQ(ErrorText([&] { two.RequireFiles({file, file}); }), "no error");

    moire.Build(rows(16));
    EXPECT_TRUE(moire.HasState());
    EXPECT_EQ(ErrorText([&] { moire.Build(rows(15)); }), "Reference size too small");
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
    moire.Build(rows(16));
    EXPECT_EQ(ErrorText([&] { moire.Build(rows(64)); }), "(0,32) not in the image");
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

    const std::vector<float> before = Values(*real);
    for (const auto& [carrier, window, message] :
         {std::tuple(TCarrierOffset{20, 0}, TMovingWindow{30, 4}, "(64,14) not in the image"),
          std::tuple(TCarrierOffset{0, -14}, TMovingWindow{4, 5}, "(30,-1) not in the image"),
          std::tuple(TCarrierOffset{0, 0}, TMovingWindow{65, 2}, "(-1,15) not in the image")})
        EXPECT_EQ(ErrorText([&] { MoveCarrierWindow(*real, *imag, carrier, window); }), message);
    EXPECT_EQ(Values(*real), before);

    // The default window is as large as the move allows: one more even step where the map
    // limits it (the height for a carrier along x, the width for one along y) would leave the map.
    const auto largest = [](TCarrierOffset c) {
        return LargestMovingWindow(c, TCarrierMethod::TwoImages, TStripDirection::Rows, 256, 128, 256, 128);
    };
    for (auto [c, dw, dh] :
         {std::tuple(TCarrierOffset{20, 3}, 0, 2), std::tuple(TCarrierOffset{-7, -20}, 2, 0)}) {
        const TMovingWindow w = largest(c), more{w.Width + dw, w.Height + dh};
        EXPECT_EQ(ErrorText([&] { CheckMovingWindow(256, 128, c, w); }), "no error");
        EXPECT_NE(ErrorText([&] { CheckMovingWindow(256, 128, c, more); }), "no error");
    }
    EXPECT_EQ(largest({20, 3}), (TMovingWindow{37, 122}));
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

    // The table: range, grid (2 across, 3 down), scales 0.5 and 2; a mask keeps only the pixels of
    // level 255.
    TResultTableOptions table{2, 3, TMapCorners{125, 58, 200, 63}, "", 0.5, 2.0};
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
