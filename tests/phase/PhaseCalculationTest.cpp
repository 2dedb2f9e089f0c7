#include "phase/PhaseCalculation.h"
#include "image/CorvaneError.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

std::unique_ptr<TFloatImage> Scaled(std::unique_ptr<TFloatImage> map) {
    map->ScaleX = 0.25f;
    map->ScaleY = 0.5f;
    map->ValueScale = 3.0f;
    return map;
}

} // namespace

TEST(PhaseCalculation, DifferenceOfIdenticalMapsIsZeroAndKeepsSourceOnesScales) {
    auto s1 = Scaled(MakeFloatMap(31, 17, [](int x, int y) { return 0.37f * x - 1.3f * y; }));
    auto s2 = MakeFloatMap(31, 17, [](int x, int y) { return 0.37f * x - 1.3f * y; });
    const PhaseCalculationResult r = CalculatePhase(*s1, *s2, {});
    ASSERT_EQ(r.Result->Width, 31);
    ASSERT_EQ(r.Result->Height, 17);
    for (std::size_t i = 0; i < r.Result->PixelCount(); ++i)
        ASSERT_EQ(r.Result->Data[i], 0.0f) << i;
    EXPECT_EQ(r.Result->ScaleX, 0.25f);
    EXPECT_EQ(r.Result->ScaleY, 0.5f);
    EXPECT_EQ(r.Result->ValueScale, 3.0f);
    EXPECT_FALSE(r.Fitted);
}

TEST(PhaseCalculation, ALargerSourceTwoIsReadOverItsTopLeftPartAndASmallerOneIsRefused) {
    auto s1 = MakeFloatMap(5, 3, [](int x, int y) { return 100.0f + x + 10 * y; });
    auto s2 = MakeFloatMap(8, 6, [](int x, int y) { return float(x * x + y); });
    const PhaseCalculationResult r = CalculatePhase(*s1, *s2, {});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(r.Result->GetPixel(x, y), 100.0f + x + 10 * y - float(x * x + y));
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
    EXPECT_EQ(r.A, 0.0f);
    EXPECT_EQ(r.B, 0.0f);
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
    EXPECT_EQ(s1->Width, 3);
    EXPECT_EQ(s2->Width, 7); // the loaded Source 2 stays
    EXPECT_EQ(ErrorText([&] { LoadPhaseCalculationSource(dir.File("Source1")); }), kSelectTwoSourcesMessage);
}
