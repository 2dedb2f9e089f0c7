#include "phase/PseudoColor.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <tuple>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr float kPi = 3.1415927f;

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

TEST(PseudoColor, FringeOrdersBlendAcrossEachFringeAndOutOfRangeOrdersAreTeal) {
    EXPECT_EQ(Rgb(PseudoColorOf(0.0f)), Rgb(255, 255, 255));            // order 0, pure white
    EXPECT_EQ(Rgb(PseudoColorOf(kPi)), Rgb(255, 127, 127));             // half white, half red
    EXPECT_EQ(Rgb(PseudoColorOf(-0.1f)), Rgb(252, 252, 250));           // mostly white, a little olive
    EXPECT_EQ(Rgb(PseudoColorOf(2 * kPi)), Rgb(255, 0, 0));             // exactly order 1
    EXPECT_EQ(Rgb(PseudoColorOf(-2 * kPi)), Rgb(128, 128, 0));          // exactly order -1
    EXPECT_TRUE(Near(Rgb(PseudoColorOf(15 * kPi)), Rgb(96, 160, 160))); // silver and teal, equal parts
    EXPECT_EQ(Rgb(PseudoColorOf(-13 * kPi)), Rgb(64, 64, 64));          // orders -7 (grey) and -6 (black)
    for (float v : {16 * kPi, 17.3f * kPi, -16 * kPi, 1.0e7f, std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(Rgb(PseudoColorOf(v)), Rgb(0, 128, 128)) << v;
}

TEST(PseudoColor, RenderUsesTheValueScaleAndTheMaskAndIgnoresAMaskOfAnotherSize) {
    // A ramp over four fringes, value scale 2 (displayed values halved), last column masked.
    auto map = MakeFloatMap(9, 4, [](int x, int y) { return 2.0f * (x - 4) * kPi / 2 + y * 0.3f; });
    map->ValueScale = 2.0f;
    const auto mask = MakeGreyPicture(9, 4, [](int x, int y) { return x == 8 ? 255 : (y == 3 ? 254 : 0); });
    const RgbPicture picture = RenderPseudoColor(*map, mask.get());
    ASSERT_EQ(picture.Width, 9);
    ASSERT_EQ(picture.Height, 4);
    ASSERT_EQ(picture.Pixels.size(), 9u * 4 * 3);
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
    auto map = MakeFloatMap(5, 3, [](int x, int y) { return x == 4 && y == 2 ? 2 * kPi : -kPi; });
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
