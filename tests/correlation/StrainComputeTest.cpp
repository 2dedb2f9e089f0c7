#include "correlation/StrainCompute.h"

#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace test;

std::unique_ptr<TFloatImage> Derivative(const TFloatImage& field, StrainDirection direction,
                                        const StrainMaskOptions& options = {}) {
    const auto mask = MakeStrainMask(field, options);
    return ComputeDerivative(field, *mask, direction);
}

StrainMaskOptions InvalidAt1000() {
    StrainMaskOptions options;
    options.UseInvalidValue = true;
    return options;
}

TEST(StrainCompute, LinearFieldGivesItsSlopeInsideAndZeroOnTheBorderAndAcross) {
    const auto u = MakeFloatMap(9, 6, [](int x, int) { return 0.01 * x; });
    u->ScaleY = 3.0f;
    const auto ux = Derivative(*u, StrainDirection::AlongX);
    const auto uy = Derivative(*u, StrainDirection::AlongY);
    EXPECT_EQ(ux->ScaleY, 3.0f);
    EXPECT_EQ(ux->ValueScale, 1.0f);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool interior = x >= 1 && x <= 7 && y >= 1 && y <= 4;
            EXPECT_NEAR(ux->GetPixel(x, y), interior ? 0.01f : 0.0f, 1e-6f) << x << "," << y;
            EXPECT_EQ(uy->GetPixel(x, y), 0.0f);
        }
    // The header scale of the axis divides the difference: x scale 0.5 doubles Ux, y scale Vy.
    u->ScaleX = 0.5f;
    EXPECT_NEAR(Derivative(*u, StrainDirection::AlongX)->GetPixel(7, 4), 0.02f, 1e-6f);
    const auto v = MakeFloatMap(5, 8, [](int, int y) { return 0.03 * y; });
    v->ScaleX = 7.0f;
    v->ScaleY = 0.25f;
    const auto vy = Derivative(*v, StrainDirection::AlongY);
    EXPECT_NEAR(vy->GetPixel(3, 6), 0.12f, 1e-6f);
    EXPECT_EQ(vy->GetPixel(3, 7), 0.0f);
}

TEST(StrainCompute, InvalidNeighboursGiveOneSidedDifferencesOrNothing) {
    // F = x^2 tells a central difference from a one-sided one.
    const auto f = MakeFloatMap(10, 5, [](int x, int y) {
        if ((y == 1 && x == 4) || (y == 2 && (x == 2 || x == 4)) || (y == 3 && (x == 5 || x == 6)))
            return 1000.0;
        return 1.0 * x * x;
    });
    const auto d = Derivative(*f, StrainDirection::AlongX, InvalidAt1000());
    EXPECT_FLOAT_EQ(d->GetPixel(3, 1), 9.0f - 4.0f);           // right neighbour marked: backward
    EXPECT_FLOAT_EQ(d->GetPixel(5, 1), 36.0f - 25.0f);         // left neighbour marked: forward
    EXPECT_FLOAT_EQ(d->GetPixel(4, 1), (25.0f - 9.0f) / 2.0f); // marked, between valid ones: central
    EXPECT_FLOAT_EQ(d->GetPixel(7, 1), 14.0f);
    EXPECT_EQ(d->GetPixel(3, 2), 0.0f); // between two marked points
    EXPECT_EQ(d->GetPixel(5, 3), 0.0f); // marked, with one marked neighbour
    EXPECT_FLOAT_EQ(d->GetPixel(4, 3), 16.0f - 9.0f);
    EXPECT_FLOAT_EQ(d->GetPixel(7, 3), 64.0f - 49.0f);

    // Along y the rows above and below are the neighbours; the y scale 0.5 divides one-sided ones too.
    const auto g = MakeFloatMap(4, 7, [](int x, int y) { return x == 2 && y == 3 ? 1000.0 : 1.0 * y * y; });
    g->ScaleY = 0.5f;
    const auto dy = Derivative(*g, StrainDirection::AlongY, InvalidAt1000());
    EXPECT_FLOAT_EQ(dy->GetPixel(2, 2), 2 * (4.0f - 1.0f));
    EXPECT_FLOAT_EQ(dy->GetPixel(2, 4), 2 * (25.0f - 16.0f));
    EXPECT_FLOAT_EQ(dy->GetPixel(1, 4), 16.0f);
}

TEST(StrainCompute, MaskPictureMarksInvalidPointsAndMustFitTheField) {
    TempDir dir;
    const auto f = MakeFloatMap(6, 4, [](int x, int) { return 1.0 * x * x; });
    MakeGreyPicture(6, 4, [](int x, int y) {
        return x == 3 && y == 1 ? 0 : 17;
    })->SaveBmp(dir.File("mask.bmp"));
    StrainMaskOptions options;
    options.UseMaskFile = true;
    options.MaskFile = dir.File("mask.bmp");
    const auto mask = MakeStrainMask(*f, options);
    EXPECT_EQ(mask->GetPixel(3, 1), 0);
    EXPECT_EQ(mask->GetPixel(5, 3), 17);
    const auto d = ComputeDerivative(*f, *mask, StrainDirection::AlongX);
    EXPECT_FLOAT_EQ(d->GetPixel(2, 1), 4.0f - 1.0f);
    EXPECT_FLOAT_EQ(d->GetPixel(2, 2), 4.0f);
    // The grey view shows masked points black and scales over the valid ones.
    const auto gray = StrainToGray(*d, *mask);
    EXPECT_EQ(gray->GetPixel(3, 1), 0);

    MakeGreyPicture(4, 6, [](int, int) { return 255; })->SaveBmp(dir.File("turned.bmp"));
    options.MaskFile = dir.File("turned.bmp");
    EXPECT_EQ(ErrorText([&] { MakeStrainMask(*f, options); }),
              "The mask picture " + dir.File("turned.bmp") + " is 4 x 6 pixels, not the field's 6 x 4");
    options.MaskFile = dir.File("absent.bmp");
    EXPECT_EQ(ErrorText([&] { MakeStrainMask(*f, options); }), dir.File("absent.bmp") + ": not exists");
    EXPECT_EQ(ErrorText([&] { LoadStrainField(dir.File("U Field")); }), dir.File("U Field") + ": not exists");
}

TEST(StrainCompute, ShearNeedsUyAndVxAndEachSaveNeedsItsResult) {
    TempDir dir;
    TStrainResults results;
    EXPECT_EQ(ErrorText([&] { results.ComputeShear(); }), "compute uy first");
    auto uy = MakeFloatMap(5, 3, [](int x, int y) { return x + 10 * y; });
    results.Set(StrainComponent::Uy, std::move(uy));
    EXPECT_EQ(ErrorText([&] { results.ComputeShear(); }), "compute vx first");
    const char* messages[] = {"compute Ux first", "compute Uy first", "compute Vx first", "compute Vy first",
                              "compute shear strain first"};
    for (int i : {0, 2, 3, 4})
        EXPECT_EQ(ErrorText([&] { results.Save(static_cast<StrainComponent>(i), dir.File("s.flt")); }),
                  messages[i]);

    auto vx = MakeFloatMap(5, 3, [](int x, int) { return 3.0 * x; });
    vx->ScaleX = 0.5f;
    vx->ScaleY = 0.25f;
    results.Set(StrainComponent::Vx, std::move(vx));
    const TFloatImage& shear = results.ComputeShear();
    EXPECT_FLOAT_EQ(shear.GetPixel(4, 2), (24.0f + 12.0f) / 2.0f);
    EXPECT_EQ(shear.ScaleX, 0.5f);
    EXPECT_EQ(shear.ScaleY, 0.25f);
    results.Save(StrainComponent::Shear, dir.File("shear.flt"));
    EXPECT_FLOAT_EQ(TFloatImage(dir.File("shear.flt")).GetPixel(1, 1), (11.0f + 3.0f) / 2.0f);

    // U and V of different sizes are refused instead of reading past the smaller map.
    results.Set(StrainComponent::Vx, MakeFloatMap(3, 5, [](int, int) { return 0.0; }));
    EXPECT_EQ(ErrorText([&] { results.ComputeShear(); }),
              "Uy is 5 x 3 points and Vx 3 x 5: the U and V fields must have the same size");
}

} // namespace
} // namespace corvane
