// The strain fitting window and the strain tensor: the running-sum plane fit against a direct
// least-squares fit, the valid-point rules, and the tensor of a known homogeneous deformation.
#include "correlation/StrainFit.h"
#include "image/FloatMapDisplay.h"
#include "support/FloatMaps.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

namespace corvane {
namespace {

using namespace test;

std::unique_ptr<TGrayImage> AllValid(const TFloatImage& field) {
    StrainMaskOptions options;
    options.UseInvalidValue = true;
    return MakeStrainMask(field, options);
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
