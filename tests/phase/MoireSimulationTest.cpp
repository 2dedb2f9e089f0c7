#include "phase/MoireSimulation.h"
#include "image/CorvaneError.h"
#include "phase/GeometricMoire.h"
#include "support/ErrorText.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {} // namespace

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

// 12 pixels along the lines. The deformed grid is 64 everywhere, the reference (one pixel larger
// both ways) x * x along the lines, so Step 3's product is 8 (x - 2 step) past its leading zeros. 4
// lines: pitch 3, step 1, averaged over 3 pixels between the ends, which are kept; 1 line: pitch 12,
// step 2, a window longer than the line leaves it.
TEST(MoireSimulation, StepsAreTheShiftedReferenceTimesTheGridAveragedOverAPitch) {
    using Line = std::vector<int>;
    for (const auto& [count, pitch, step, expected] :
         {std::tuple(4, 3, 1, Line{0, 0, 2, 8, 16, 24, 32, 40, 48, 56, 64, 72}),
          std::tuple(1, 12, 2, Line{0, 0, 0, 0, 0, 8, 16, 24, 32, 40, 48, 56})})
        for (const bool alongX : {true, false}) {
            const auto deformed =
                MakeGreyPicture(alongX ? 12 : 5, alongX ? 5 : 12, [](int, int) { return 64; });
            const auto reference = MakeGreyPicture(alongX ? 13 : 6, alongX ? 6 : 13,
                                                   [=](int x, int y) { return alongX ? x * x : y * y; });
            const MoireSimulationResult result = SimulateMoire(
                *deformed, *reference,
                {.StepSize = 2,
                 .CarrierCount = count,
                 .Direction = alongX ? MoireShiftDirection::AlongX : MoireShiftDirection::AlongY});
            ASSERT_EQ(std::pair(result.Geometry.Pitch, result.Geometry.Step), std::pair(pitch, step));
            Line line;
            for (int i = 0; i < 12; ++i)
                line.push_back(alongX ? result.Steps[2]->GetPixel(i, 4) : result.Steps[2]->GetPixel(4, i));
            EXPECT_EQ(line, expected) << count << " " << alongX;
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
    // sqrt(36 * 235) = 91.98 and, in the last row and column, sqrt(220 * 123) = 164.49.
    EXPECT_EQ(m->GetPixel(1, 0), 91);
    EXPECT_EQ(m->GetPixel(6, 4), 164);
    EXPECT_EQ(GeometricMoire(*MakeGreyPicture(2, 1, [](int, int) { return 255; }),
                             *MakeGreyPicture(2, 1, [](int x, int) { return 255 - x; }))
                  ->GetPixel(1, 0),
              254); // sqrt(255 * 254) = 254.499...
    EXPECT_EQ(ErrorText([&] { GeometricMoire(*b, *a); }),
              "the second image (7 x 5) is smaller than the first (9 x 6)");
}
