// Work on phase maps: the difference of two maps with its plane fit, the absolute displacement
// conversions and table, and the pseudo-colour display.
#include "phase/AbsolutePhase.h"
#include "phase/PhaseCalculation.h"
#include "phase/PhaseTestMaps.h"
#include "phase/PseudoColor.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <tuple>

using namespace corvane;
using namespace corvane::test;

namespace {

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

} // namespace

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
