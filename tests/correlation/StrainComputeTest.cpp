#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "correlation/StrainCompute.h"
#include "correlation/StrainFit.h"
#include "image/FloatMapDisplay.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

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
    // Right neighbour marked: backward; left one: forward; marked between valid ones: central; between
    // two marked points, or marked with one marked neighbour: nothing.
    EXPECT_EQ(
        (std::vector<float>{d->GetPixel(3, 1), d->GetPixel(5, 1), d->GetPixel(4, 1), d->GetPixel(7, 1),
                            d->GetPixel(3, 2), d->GetPixel(5, 3), d->GetPixel(4, 3), d->GetPixel(7, 3)}),
        (std::vector<float>{9 - 4, 36 - 25, (25 - 9) / 2, 14, 0, 0, 16 - 9, 64 - 49}));

    // Along y the rows above and below are the neighbours; the y scale 0.5 divides one-sided ones too.
    const auto g = MakeFloatMap(4, 7, [](int x, int y) { return x == 2 && y == 3 ? 1000.0 : 1.0 * y * y; });
    g->ScaleY = 0.5f;
    const auto dy = Derivative(*g, StrainDirection::AlongY, InvalidAt1000());
    EXPECT_EQ((std::vector<float>{dy->GetPixel(2, 2), dy->GetPixel(2, 4), dy->GetPixel(1, 4)}),
              (std::vector<float>{2 * (4 - 1), 2 * (25 - 16), 16}));
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

// The strain fitting window and the strain tensor: the running-sum plane fit against a direct
// least-squares fit, the valid-point rules, and the tensor of a known homogeneous deformation.
std::unique_ptr<TGrayImage> AllValid(const TFloatImage& field) {
    return MakeStrainMask(field, InvalidAt1000());
}

/// The slopes of a least-squares plane through the valid points of the window around (x0, y0),
/// summed point by point; false when fewer than half the window is valid or the centre is invalid.
bool DirectFit(const TFloatImage& f, const TGrayImage& m, int x0, int y0, int window, double& bx,
               double& by) {
    const int h = window / 2;
    std::vector<std::array<double, 3>> points; // i, j, value
    for (int j = -h; j <= h; ++j)
        for (int i = -h; i <= h; ++i)
            if (x0 + i >= 0 && y0 + j >= 0 && x0 + i < f.Width && y0 + j < f.Height &&
                m.Data[(y0 + j) * f.Width + x0 + i] != 0)
                points.push_back({double(i), double(j), f.GetPixel(x0 + i, y0 + j)});
    if (2 * points.size() < std::size_t(window * window) || m.Data[y0 * f.Width + x0] == 0) return false;
    std::array<double, 3> mean{};
    for (const auto& p : points)
        for (int k = 0; k < 3; ++k)
            mean[k] += p[k] / points.size();
    double ii = 0, jj = 0, ij = 0, iv = 0, jv = 0;
    for (const auto& p : points) {
        const double i = p[0] - mean[0], j = p[1] - mean[1], v = p[2] - mean[2];
        ii += i * i, jj += j * j, ij += i * j, iv += i * v, jv += j * v;
    }
    bx = (jj * iv - ij * jv) / (ii * jj - ij * ij) / f.ScaleX;
    by = (ii * jv - ij * iv) / (ii * jj - ij * ij) / f.ScaleY;
    return true;
}

// A rough field with scattered not-computed points on a non-square map with different scales:
// every point agrees with the direct fit, including the last row and column and the points whose
// window holds just half or just under half of its points.
TEST(StrainFit, AgreesWithADirectLeastSquaresFitAtEveryPoint) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> noise(-0.3, 0.3);
    std::bernoulli_distribution marked(0.2);
    auto field = MakeFloatMap(23, 17, [&](int x, int y) {
        return marked(rng) ? kNotComputedMarker : 0.02 * x - 0.05 * y + 0.001 * x * y + noise(rng);
    });
    field->ScaleX = 0.5f;
    field->ScaleY = 2.0f;
    const auto mask = AllValid(*field);
    for (const int window : {3, 5, 9, 15}) {
        const FieldDerivatives fit = FitDerivatives(*field, *mask, window);
        EXPECT_EQ(fit.AlongX->ScaleX, 0.5f);
        EXPECT_EQ(fit.AlongY->ScaleY, 2.0f);
        for (int y = 0; y < field->Height; ++y)
            for (int x = 0; x < field->Width; ++x) {
                double bx = kNotComputedMarker, by = kNotComputedMarker;
                DirectFit(*field, *mask, x, y, window, bx, by);
                EXPECT_NEAR(fit.AlongX->GetPixel(x, y), bx, 1e-5 * (1 + std::abs(bx)))
                    << window << " " << x << "," << y;
                EXPECT_NEAR(fit.AlongY->GetPixel(x, y), by, 1e-5 * (1 + std::abs(by)))
                    << window << " " << x << "," << y;
            }
    }
}

// The half rule at its threshold: a 3 x 3 window with 5 valid points is fitted, with 4 it is not.
TEST(StrainFit, HalfOfTheWindowValidDecides) {
    auto cross = MakeFloatMap(5, 5, [](int x, int y) { return 3.0 * x - y; });
    for (const int i : {1 * 5 + 1, 1 * 5 + 3, 3 * 5 + 1, 3 * 5 + 3})
        cross->Data[i] = kNotComputedMarker;
    EXPECT_FLOAT_EQ(FitDerivatives(*cross, *AllValid(*cross), 3).AlongX->GetPixel(2, 2), 3.0f);
    cross->Data[2 * 5 + 1] = kNotComputedMarker;
    EXPECT_EQ(FitDerivatives(*cross, *AllValid(*cross), 3).AlongX->GetPixel(2, 2), kNotComputedMarker);
}

// A centred window does not see the curvature of a quadratic field; a window cut by the map's
// edge does, the more the larger the window: at the last column the slope is off by c·N/2.
TEST(StrainFit, QuadraticFieldErrorGrowsWithTheWindowWhereTheWindowIsCut) {
    const double c = 0.001;
    const auto field = MakeFloatMap(60, 21, [&](int x, int) { return c * x * x; });
    const auto mask = AllValid(*field);
    for (const int window : {3, 7, 11, 15}) {
        const FieldDerivatives fit = FitDerivatives(*field, *mask, window);
        EXPECT_NEAR(fit.AlongX->GetPixel(30, 10), 2 * c * 30, 1e-6) << window;
        EXPECT_NEAR(fit.AlongX->GetPixel(59, 10) - 2 * c * 59, -c * (window / 2), 1e-6) << window;
    }
}

// u = ux X + uy Y, v = vx X + vy Y with a stretch along x and a shear, on pixels of 0.5 x 2 units:
// the fitted derivatives are the gradient's entries and the tensor values those of E = (FᵀF - I)/2.
TEST(StrainFit, TensorOfAHomogeneousStretchAndShear) {
    const double ux = 0.02, uy = 0.1, vx = 0.0, vy = -0.01;
    auto u = MakeFloatMap(31, 19, [&](int x, int y) { return ux * 0.5 * x + uy * 2.0 * y + 3.0; });
    auto v = MakeFloatMap(31, 19, [&](int x, int y) { return vx * 0.5 * x + vy * 2.0 * y - 1.0; });
    for (TFloatImage* map : {u.get(), v.get()}) {
        map->ScaleX = 0.5f;
        map->ScaleY = 2.0f;
    }
    const FieldDerivatives du = FitDerivatives(*u, *AllValid(*u), 5);
    const FieldDerivatives dv = FitDerivatives(*v, *AllValid(*v), 5);
    const struct {
        StrainComponent Component;
        double Expected;
    } cases[] = {{StrainComponent::Shear, 0.05},
                 {StrainComponent::Exx, 0.0202},
                 {StrainComponent::Eyy, -0.00495},
                 {StrainComponent::Exy, 0.051},
                 {StrainComponent::E1, 0.06015242735942814},
                 {StrainComponent::E2, -0.044902427359428156},
                 {StrainComponent::Evm, 0.06254121307852394}};
    for (const auto& c : cases) {
        const auto result = CombineStrain(c.Component, *du.AlongX, *du.AlongY, *dv.AlongX, *dv.AlongY);
        EXPECT_NEAR(result->GetPixel(15, 9), c.Expected, 2e-6) << static_cast<int>(c.Component);
        EXPECT_NEAR(result->GetPixel(30, 18 - 2), c.Expected, 2e-6) << static_cast<int>(c.Component);
        EXPECT_EQ(result->GetPixel(0, 0), kNotComputedMarker); // the corner's window is a quarter valid
        EXPECT_EQ(result->ScaleX, 0.5f);
    }
}

} // namespace
} // namespace corvane
