#include "phase/MoireSimulation.h"
#include "image/CorvaneError.h"
#include "phase/GeometricMoire.h"
#include "support/ErrorText.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

/// A plain reference of steps 8-10 of the simulation for one step picture, written pixel by pixel.
std::vector<int> NaiveStep(const TGrayImage& g, const TGrayImage& r, int d, bool alongX, int pitch) {
    const int w = g.Width, h = g.Height;
    std::vector<int> s(static_cast<std::size_t>(w * h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int ref = 0;
            if (alongX && x >= d) ref = r.GetPixel(x - d, y);
            if (!alongX && y >= d) ref = r.GetPixel(x, y - d);
            s[static_cast<std::size_t>(y * w + x)] =
                static_cast<int>(std::sqrt(double(g.GetPixel(x, y) * ref)));
        }
    const int n = pitch < 1 ? 1 : (pitch % 2 ? pitch : pitch + 1);
    std::vector<int> out = s;
    const int len = alongX ? w : h;
    for (int line = 0; line < (alongX ? h : w); ++line)
        for (int i = n / 2; i + n / 2 < len; ++i) {
            int sum = 0;
            for (int k = -n / 2; k <= n / 2; ++k)
                sum += alongX ? s[static_cast<std::size_t>(line * w + i + k)]
                              : s[static_cast<std::size_t>((i + k) * w + line)];
            out[static_cast<std::size_t>(alongX ? line * w + i : i * w + line)] = sum / n;
        }
    return out;
}

std::unique_ptr<TGrayImage> Grid(int w, int h, double pitch, bool alongX, double bend) {
    return MakeGreyPicture(w, h, [=](int x, int y) {
        const double u = alongX ? x + bend * y * y / h : y + bend * x;
        return static_cast<int>(127.5 + 127.0 * std::cos(2 * std::numbers::pi * u / pitch));
    });
}

} // namespace

TEST(MoireSimulation, PitchAndStepClampingFollowTheLineCount) {
    const auto g = SimulationGeometry(512, 10, 20);
    EXPECT_EQ(g.Pitch, 51);
    EXPECT_EQ(g.Step, 11);
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

TEST(MoireSimulation, FourPicturesMatchAPlainReferenceInBothDirections) {
    for (const bool alongX : {true, false}) {
        const int w = 90, h = 70;
        const auto deformed = Grid(w, h, 7.5, alongX, 0.02);
        const auto reference = Grid(w + 5, h + 3, 7.5, alongX, 0.0); // a larger reference: top-left part
        const MoireSimulationOptions options{.StepSize = 2,
                                             .CarrierCount = 12,
                                             .Direction = alongX ? MoireShiftDirection::AlongX
                                                                 : MoireShiftDirection::AlongY};
        const MoireSimulationResult result = SimulateMoire(*deformed, *reference, options);
        const int pitch = static_cast<int>((alongX ? w : h) / 12.0 + 0.5);
        EXPECT_EQ(result.Geometry.Pitch, pitch);
        EXPECT_EQ(result.Geometry.Step, std::min(2, pitch / 4 - 1));
        for (int k = 0; k < 4; ++k) {
            const TGrayImage& step = *result.Steps[static_cast<std::size_t>(k)];
            ASSERT_EQ(step.Width, w);
            ASSERT_EQ(step.Height, h);
            const std::vector<int> expected =
                NaiveStep(*deformed, *reference, k * result.Geometry.Step, alongX, pitch);
            EXPECT_EQ(std::vector<int>(step.Data, step.Data + step.Size), expected) << "step " << k + 1;
        }
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
    ASSERT_EQ(m->Width, 7);
    ASSERT_EQ(m->Height, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            EXPECT_EQ(m->GetPixel(x, y),
                      static_cast<int>(std::sqrt(double(a->GetPixel(x, y)) * double(b->GetPixel(x, y)))));
    EXPECT_EQ(GeometricMoire(*MakeGreyPicture(2, 1, [](int, int) { return 255; }),
                             *MakeGreyPicture(2, 1, [](int x, int) { return 255 - x; }))
                  ->GetPixel(1, 0),
              254); // sqrt(255 * 254) = 254.499...
    EXPECT_EQ(ErrorText([&] { GeometricMoire(*b, *a); }),
              "the second image (7 x 5) is smaller than the first (9 x 6)");
}
