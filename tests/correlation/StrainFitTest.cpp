// The strain fitting window and the strain tensor: the running-sum plane fit against a direct
// least-squares fit, the valid-point rules, and the tensor of a known homogeneous deformation.
#include "correlation/StrainFit.h"
#include "image/FloatMapDisplay.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace corvane {
namespace {

using namespace test;

std::unique_ptr<TGrayImage> AllValid(const TFloatImage& field) {
    StrainMaskOptions options;
    options.UseInvalidValue = true;
    return MakeStrainMask(field, options);
}

/// The slopes of a least-squares plane through the valid points of the window around (x0, y0),
/// solved directly; false when fewer than half the window is valid or the centre is invalid.
bool DirectFit(const TFloatImage& f, const TGrayImage& m, int x0, int y0, int window, double& bx,
               double& by) {
    const int h = window / 2;
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0, sf = 0, sxf = 0, syf = 0;
    for (int j = -h; j <= h; ++j)
        for (int i = -h; i <= h; ++i) {
            const int x = x0 + i, y = y0 + j;
            if (x < 0 || y < 0 || x >= f.Width || y >= f.Height || m.Data[y * f.Width + x] == 0) continue;
            const double v = f.GetPixel(x, y);
            n += 1, sx += i, sy += j, sxx += i * i, syy += j * j, sxy += i * j;
            sf += v, sxf += i * v, syf += j * v;
        }
    if (2 * n < window * window || m.Data[y0 * f.Width + x0] == 0) return false;
    // Normal equations of v = a + bx i + by j, solved by Cramer's rule.
    const double A[3][3] = {{n, sx, sy}, {sx, sxx, sxy}, {sy, sxy, syy}};
    const double r[3] = {sf, sxf, syf};
    const auto det3 = [](const double M[3][3]) {
        return M[0][0] * (M[1][1] * M[2][2] - M[1][2] * M[2][1]) -
               M[0][1] * (M[1][0] * M[2][2] - M[1][2] * M[2][0]) +
               M[0][2] * (M[1][0] * M[2][1] - M[1][1] * M[2][0]);
    };
    const double d = det3(A);
    double B[3][3], C[3][3];
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            B[a][b] = b == 1 ? r[a] : A[a][b];
            C[a][b] = b == 2 ? r[a] : A[a][b];
        }
    bx = det3(B) / d / f.ScaleX;
    by = det3(C) / d / f.ScaleY;
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
        int computed = 0;
        for (int y = 0; y < field->Height; ++y)
            for (int x = 0; x < field->Width; ++x) {
                double bx = 0, by = 0;
                if (!DirectFit(*field, *mask, x, y, window, bx, by)) {
                    EXPECT_EQ(fit.AlongX->GetPixel(x, y), kNotComputedMarker)
                        << window << " " << x << "," << y;
                    EXPECT_EQ(fit.AlongY->GetPixel(x, y), kNotComputedMarker);
                    continue;
                }
                ++computed;
                EXPECT_NEAR(fit.AlongX->GetPixel(x, y), bx, 1e-5 * (1 + std::abs(bx)))
                    << window << " " << x << "," << y;
                EXPECT_NEAR(fit.AlongY->GetPixel(x, y), by, 1e-5 * (1 + std::abs(by)))
                    << window << " " << x << "," << y;
            }
        EXPECT_GT(computed, 0) << window;
    }
}

// The half rule at its threshold: a 3 x 3 window needs 5 valid points. The corner of a map has 4
// in its window (not computed), an edge point 6; a point with 4 invalid neighbours keeps 5.
TEST(StrainFit, HalfOfTheWindowValidDecidesAndAnInvalidCentreIsNotComputed) {
    auto field = MakeFloatMap(6, 5, [](int x, int y) { return 0.25 * x + 0.5 * y; });
    field->Data[2 * 6 + 3] = kNotComputedMarker; // (3, 2): itself invalid
    const auto mask = AllValid(*field);
    const FieldDerivatives fit = FitDerivatives(*field, *mask, 3);
    EXPECT_EQ(fit.AlongX->GetPixel(0, 0), kNotComputedMarker);
    EXPECT_EQ(fit.AlongX->GetPixel(5, 4), kNotComputedMarker);
    EXPECT_FLOAT_EQ(fit.AlongX->GetPixel(5, 2), 0.25f);
    EXPECT_FLOAT_EQ(fit.AlongY->GetPixel(0, 2), 0.5f);
    EXPECT_EQ(fit.AlongX->GetPixel(3, 2), kNotComputedMarker);
    EXPECT_FLOAT_EQ(fit.AlongX->GetPixel(2, 2), 0.25f); // its invalid neighbour takes no part

    auto cross = MakeFloatMap(5, 5, [](int x, int y) { return 3.0 * x - y; });
    for (const int i : {1 * 5 + 1, 1 * 5 + 3, 3 * 5 + 1})
        cross->Data[i] = kNotComputedMarker;
    const auto crossMask = AllValid(*cross);
    EXPECT_FLOAT_EQ(FitDerivatives(*cross, *crossMask, 3).AlongX->GetPixel(2, 2), 3.0f); // 6 of 9
    cross->Data[3 * 5 + 3] = kNotComputedMarker;
    const auto fewer = AllValid(*cross);
    EXPECT_FLOAT_EQ(FitDerivatives(*cross, *fewer, 3).AlongX->GetPixel(2, 2), 3.0f); // 5 of 9
    cross->Data[2 * 5 + 1] = kNotComputedMarker;
    const auto tooFew = AllValid(*cross);
    EXPECT_EQ(FitDerivatives(*cross, *tooFew, 3).AlongX->GetPixel(2, 2), kNotComputedMarker); // 4 of 9
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

TEST(StrainFit, WindowMustBeOddAndAtLeastThree) {
    const auto field = MakeFloatMap(8, 8, [](int x, int) { return x; });
    const auto mask = AllValid(*field);
    for (const int window : {-1, 0, 1, 2, 4, 16})
        EXPECT_EQ(ErrorText([&] { FitDerivatives(*field, *mask, window); }),
                  "the strain window must be an odd number of at least 3 points, not " +
                      std::to_string(window));
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
