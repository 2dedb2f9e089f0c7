#include "image/ColourMap.h"
#include "image/SyntheticTarget.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace corvane {
namespace {

using test::MakeFloatMap;

std::array<int, 4> PixelAt(const ColourMapPicture& p, int x, int y) {
    const std::uint8_t* at = p.Rgba.data() + (static_cast<std::size_t>(y) * p.Width + x) * 4;
    return {at[0], at[1], at[2], at[3]};
}

std::array<int, 4> Opaque(const std::array<std::uint8_t, 3>& c) {
    return {c[0], c[1], c[2], 255};
}

TEST(ColourMap, TablesHoldThePublishedEndsAndANeutralMiddle) {
    const ColourTableEntries& viridis = ColourTableOf(ColourTable::Viridis);
    EXPECT_EQ(viridis[0], (std::array<std::uint8_t, 3>{0x44, 0x01, 0x54}));
    EXPECT_EQ(viridis[255], (std::array<std::uint8_t, 3>{0xFD, 0xE7, 0x24}));
    const ColourTableEntries& diverging = ColourTableOf(ColourTable::Diverging);
    EXPECT_EQ(diverging[0], (std::array<std::uint8_t, 3>{59, 76, 192}));
    EXPECT_EQ(diverging[255], (std::array<std::uint8_t, 3>{180, 4, 38}));
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(diverging[128][static_cast<std::size_t>(c)], 221, 2); // light grey at 0
}

// A ramp along x on a map that is wider than high, with the marker, a NaN and an infinity in it.
TEST(ColourMap, ARampPutsTheTableEndsOnTheRangeEndsAndLeavesMissingPointsTransparent) {
    auto map = MakeFloatMap(9, 4, [](int x, int y) { return 0.5 * x + 0.01 * y; }); // 0 .. 4.03
    map->SetPixel(8, 3, kNotComputedMarker);
    map->SetPixel(3, 1, std::numeric_limits<float>::quiet_NaN());
    map->SetPixel(4, 2, std::numeric_limits<float>::infinity());
    const ColourMapPicture p = RenderColourMap(*map, {});
    EXPECT_EQ(p.Table, ColourTable::Viridis);
    EXPECT_FLOAT_EQ(p.Range.Low, 0.0f);
    EXPECT_FLOAT_EQ(p.Range.High, 4.02f); // (8, 2): the marker at (8, 3) takes no part
    const ColourTableEntries& t = ColourTableOf(ColourTable::Viridis);
    EXPECT_EQ(PixelAt(p, 0, 0), Opaque(t[0]));
    EXPECT_EQ(PixelAt(p, 8, 2), Opaque(t[255]));
    EXPECT_EQ(PixelAt(p, 4, 0), Opaque(t[static_cast<std::size_t>(ColourIndex(2.0f, p.Range))]));
    for (auto [x, y] : {std::pair{8, 3}, {3, 1}, {4, 2}})
        EXPECT_EQ(PixelAt(p, x, y)[3], 0) << x << "," << y;
    // The bar beside the map: the high end at its top, the low end at its bottom.
    EXPECT_EQ(p.MapWidth, 9);
    ASSERT_GT(p.Width, 9 + 20);
    ASSERT_GE(p.Height, 4);
    int topColour = -1, bottomColour = -1;
    const int barX = 9 + 6 + 7; // the middle of the bar at scale 1
    for (int y = 0; y < p.Height; ++y) {
        if (PixelAt(p, barX, y) == Opaque(t[255]) && topColour < 0) topColour = y;
        if (PixelAt(p, barX, y) == Opaque(t[0])) bottomColour = y;
    }
    EXPECT_GE(topColour, 0);
    EXPECT_GT(bottomColour, topColour);
}

TEST(ColourMap, SignedFieldsGetTheDivergingTableSymmetricAroundZero) {
    auto map = MakeFloatMap(5, 6, [](int x, int y) { return x - 1.0 + 0.25 * y; }); // -1 .. 4.25
    const ColourMapPicture p = RenderColourMap(*map, {});
    EXPECT_EQ(p.Table, ColourTable::Diverging);
    EXPECT_EQ(std::pair(p.Range.Low, p.Range.High), std::pair(-4.25f, 4.25f));
    EXPECT_EQ(PixelAt(p, 1, 0), Opaque(ColourTableOf(ColourTable::Diverging)[128])); // 0 on the middle
    // Asked for viridis, the same field spans its own range; a fixed range is kept and clamps.
    const ColourMapPicture v = RenderColourMap(*map, {.Table = ColourTable::Viridis});
    EXPECT_FLOAT_EQ(v.Range.Low, -1.0f);
    const ColourMapPicture fixed = RenderColourMap(*map, {.Range = ColourRange{0.0f, 1.0f}});
    EXPECT_EQ(fixed.Table, ColourTable::Viridis);
    EXPECT_EQ(PixelAt(fixed, 0, 0), Opaque(ColourTableOf(ColourTable::Viridis)[0]));
    EXPECT_EQ(PixelAt(fixed, 4, 5), Opaque(ColourTableOf(ColourTable::Viridis)[255]));
}

TEST(ColourMap, AConstantMapUsesTheMiddleEntryAndUnusableRangesAreRefused) {
    auto constant = MakeFloatMap(3, 2, [](int, int) { return 0.7; });
    const ColourMapPicture p = RenderColourMap(*constant, {});
    EXPECT_EQ(PixelAt(p, 2, 1), Opaque(ColourTableOf(ColourTable::Viridis)[128]));
    auto zeros = MakeFloatMap(3, 2, [](int, int) { return 0.0; });
    EXPECT_EQ(PixelAt(RenderColourMap(*zeros, {.Table = ColourTable::Diverging}), 0, 0),
              Opaque(ColourTableOf(ColourTable::Diverging)[128]));

    auto marked = MakeFloatMap(3, 2, [](int, int) { return kNotComputedMarker; });
    EXPECT_EQ(test::ErrorText([&] { RenderColourMap(*marked, {}); }), "the map has no computed value");
    for (ColourRange bad : {ColourRange{1.0f, 1.0f}, ColourRange{2.0f, 1.0f},
                            ColourRange{0.0f, std::numeric_limits<float>::infinity()}})
        EXPECT_EQ(test::ErrorText([&] { RenderColourMap(*constant, {.Range = bad}); }),
                  "the colour range needs a low end below its high end");
}

TEST(ColourMap, OverAPictureMissingPointsShowThePictureAndTheOthersBlend) {
    auto map = MakeFloatMap(4, 3, [](int x, int) { return x; });
    map->SetPixel(1, 2, kNotComputedMarker);
    TGrayImage picture(nullptr, 4, 3);
    for (int i = 0; i < 12; ++i)
        picture.Data[i] = static_cast<std::uint8_t>(20 * i);
    const ColourMapPicture p = RenderColourMap(*map, {.Over = &picture, .Opacity = 0.25});
    EXPECT_EQ(PixelAt(p, 1, 2), (std::array<int, 4>{180, 180, 180, 255}));
    const auto c = ColourTableOf(ColourTable::Viridis)[255];
    const int under = 20 * 7; // (3, 1)
    EXPECT_EQ(PixelAt(p, 3, 1),
              (std::array<int, 4>{static_cast<int>(std::lround(0.25 * c[0] + 0.75 * under)),
                                  static_cast<int>(std::lround(0.25 * c[1] + 0.75 * under)),
                                  static_cast<int>(std::lround(0.25 * c[2] + 0.75 * under)), 255}));
    // Without a picture the opacity is the map's alpha.
    EXPECT_EQ(PixelAt(RenderColourMap(*map, {.Opacity = 0.5}), 0, 0)[3], 128);

    TGrayImage transposed(nullptr, 3, 4);
    EXPECT_EQ(test::ErrorText([&] { RenderColourMap(*map, {.Over = &transposed}); }),
              "the picture is 3 x 4, the map is 4 x 3");
    EXPECT_EQ(test::ErrorText([&] { RenderColourMap(*map, {.Opacity = 1.5}); }),
              "the opacity lies between 0 and 1");
}

// The bar and its labels grow with the map's height: beside a tall map they are larger than beside
// a wide one of the same values.
TEST(ColourMap, TheBarGrowsWithTheMapsHeightNotItsWidth) {
    const auto panel = [](int w, int h) {
        const ColourMapPicture p =
            RenderColourMap(*MakeFloatMap(w, h, [](int x, int y) { return x + y; }), {});
        return p.Width - p.MapWidth;
    };
    EXPECT_GT(panel(40, 450), panel(450, 40) + 32);
}

TEST(ColourMap, LabelsAreShortAndPlain) {
    for (const auto& [value, label] : {std::pair{0.01f, "0.01"},
                                       {-0.0f, "0"},
                                       {-3.14159f, "-3.142"},
                                       {1.0e-5f, "1e-05"},
                                       {123456.0f, "1.235e+05"}})
        EXPECT_EQ(ColourBarLabel(value), label);
}

// The centroid of the bright pixels in a window, weighted by their grey level above the background.
std::pair<double, double> Centroid(const TGrayImage& image, int x0, int y0, int size) {
    double sum = 0, sx = 0, sy = 0;
    for (int y = y0; y < y0 + size; ++y)
        for (int x = x0; x < x0 + size; ++x) {
            const double w = std::max(0, image.GetPixel(x, y) - 20);
            sum += w, sx += w * x, sy += w * y;
        }
    return {sx / sum, sy / sum};
}

TEST(SyntheticTarget, DotsMoveByTheStretchAboutTheCentreAndTheSameSeedRepeats) {
    const SyntheticTargetOptions o{
        .Width = 120, .Height = 80, .StretchX = 0.05, .ShiftY = 1.5, .DotPitch = 10};
    const SyntheticTargetPair pair = MakeSyntheticTargetPair(o);
    // The lattice is centred on (60, 40); the dot at (20, 40) moves by 0.05 * (20 - 60) = -2 along x.
    const auto [ix, iy] = Centroid(*pair.Initial, 15, 35, 11);
    const auto [dx, dy] = Centroid(*pair.Deformed, 13, 36, 11);
    EXPECT_NEAR(ix, 20.0, 0.05);
    EXPECT_NEAR(iy, 40.0, 0.05);
    EXPECT_NEAR(dx - ix, -2.0, 0.05);
    EXPECT_NEAR(dy - iy, 1.5, 0.05);

    const SyntheticTargetPair a = MakeSyntheticTargetPair({.Width = 40, .Height = 30, .StretchX = 0.0});
    const SyntheticTargetPair b = MakeSyntheticTargetPair({.Width = 40, .Height = 30, .StretchX = 0.0});
    EXPECT_TRUE(std::equal(a.Initial->Data, a.Initial->Data + 1200, b.Initial->Data));
    EXPECT_TRUE(std::equal(a.Initial->Data, a.Initial->Data + 1200, a.Deformed->Data)); // nothing moved
    EXPECT_THROW(MakeSyntheticTargetPair({.StretchX = 0.5}), CorvaneError);
    EXPECT_THROW(MakeSyntheticTargetPair({.Width = 8}), CorvaneError);
}

} // namespace
} // namespace corvane
