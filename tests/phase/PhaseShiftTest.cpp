// The phase from phase-shifted step pictures, and the pictures the phase tools generate: grids,
// fringes from a phase map, the simulated moire steps and the geometric moire.
#include "phase/PhaseShift.h"
#include "phase/GeometricMoire.h"
#include "phase/GridGenerator.h"
#include "phase/MoireSimulation.h"
#include "phase/PhaseToFringe.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <numbers>
#include <tuple>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

constexpr double kPi = std::numbers::pi;

int Level(double t) {
    return static_cast<int>((std::cos(t) + 1.0) * 127.5);
}

/// The known phase of the test scene: a tilted ramp that wraps several times over the picture.
double KnownPhase(int x, int y) {
    return std::remainder(0.23 * x - 0.11 * y + 0.5, 2 * kPi);
}

/// Step pictures 8-bit quantised: I = round(127.5 + 100 cos(phi + shift)).
std::vector<std::unique_ptr<TGrayImage>> Steps(int w, int h, const std::vector<double>& shifts) {
    std::vector<std::unique_ptr<TGrayImage>> steps;
    for (double shift : shifts)
        steps.push_back(MakeGreyPicture(w, h, [&](int x, int y) {
            return std::lround(127.5 + 100.0 * std::cos(KnownPhase(x, y) + shift));
        }));
    return steps;
}

std::vector<const TGrayImage*> Pointers(const std::vector<std::unique_ptr<TGrayImage>>& steps) {
    std::vector<const TGrayImage*> p;
    std::ranges::transform(steps, std::back_inserter(p), [](const auto& s) { return s.get(); });
    return p;
}

/// Root mean square of the wrapped difference between the computed and the known phase.
double PhaseRms(const TFloatImage& phase) {
    double sum = 0.0;
    for (int i = 0; i < phase.Width * phase.Height; ++i)
        sum += std::pow(std::remainder(phase.Data[i] - KnownPhase(i % phase.Width, i / phase.Width), 2 * kPi),
                        2);
    return std::sqrt(sum / static_cast<double>(phase.PixelCount()));
}

/// One step picture per grey level list (a 3 x 2 picture, pixel i = levels[i]).
std::unique_ptr<TGrayImage> Tiny(const std::vector<int>& levels) {
    return MakeGreyPicture(3, 2, [&](int x, int y) { return levels[static_cast<std::size_t>(y * 3 + x)]; });
}

} // namespace

// 256 x 256, 16 periods across: white at columns 0 and 16, black at 8, down to the last row; an
// initial phase of 1 (pi, half a period) turns it over.
TEST(GridGenerator, DefaultGridHasWhiteColumnZeroBlackColumnEightAndPeriodSixteen) {
    const auto g = GenerateGrid({}), inverted = GenerateGrid({.InitPhase = 1.0f});
    EXPECT_EQ(std::tuple(g->Width, g->Height, g->GetPixel(0, 255), g->GetPixel(8, 255), g->GetPixel(16, 255)),
              std::tuple(256, 256, 255, 0, 255));
    EXPECT_EQ(std::tuple(inverted->GetPixel(0, 100), inverted->GetPixel(8, 100)), std::tuple(0, 255));
}

TEST(GridGenerator, DirectionsAndLeansFollowTheirPhases) {
    // Not square, fractional carriers and leans in both directions, initial phase pi / 4. Along x the
    // phase is pi x / 8 + 3 pi y / 70 + pi / 4, along y 8 pi y / 70 - pi x / 30 + pi / 4: levels at
    // pi, pi / 2, 5 pi / 2, 7 pi / 4, 17 pi / 4, 13 pi / 4, -pi / 4 and -5 pi / 4.
    GridOptions o{.Width = 120,
                  .Height = 70,
                  .XCarrier = 7.5f,
                  .YCarrier = 4.0f,
                  .LeanY = 1.5f,
                  .LeanX = -2.0f,
                  .InitPhase = 0.25f};
    const auto x = GenerateGrid(o);
    o.Direction = GridDirection::Y;
    const auto y = GenerateGrid(o);
    for (const auto& [grid, px, py, level] :
         {std::tuple(x.get(), 6, 0, 0), std::tuple(x.get(), 2, 0, 127), std::tuple(x.get(), 6, 35, 127),
          std::tuple(x.get(), 0, 35, 217), std::tuple(y.get(), 0, 35, 217), std::tuple(y.get(), 30, 35, 37),
          std::tuple(y.get(), 15, 0, 217), std::tuple(y.get(), 45, 0, 37)})
        EXPECT_NEAR(grid->GetPixel(px, py), level, 1) << (grid == x.get() ? "x " : "y ") << px << "," << py;
    o.Direction = GridDirection::XAndY;
    o.InitPhase = 0.0f;
    o.LeanX = o.LeanY = 0.0f;
    o.YCarrier = 5.0f; // a period of 14 rows
    const auto crossed = GenerateGrid(o);
    EXPECT_EQ(crossed->GetPixel(0, 0), 255);      // both cosines 1
    EXPECT_EQ(crossed->GetPixel(8, 0), 0);        // cos a = -1 (x = 8 is half a period of 16 px)
    EXPECT_EQ(crossed->GetPixel(0, 35), 0);       // cos b = -1 (y = 35 is two and a half periods)
    EXPECT_NEAR(crossed->GetPixel(4, 0), 127, 1); // (cos a + 1) (cos b + 1) 63.75 with cos a = 0
}

TEST(GridGenerator, CylinderShiftsTheMiddleHalfAndUndefinedCombinationsDrawNothing) {
    GridOptions o{.Width = 256, .Height = 200, .Deformation = GridDeformation::Cylinder};
    const auto g = GenerateGrid(o);
    const auto plain = GenerateGrid({.Width = 256, .Height = 200});
    const double s = 0.5 - std::sqrt(0.1875); // about 0.067 of a width in the middle row
    for (int x = 0; x < 256; ++x) {
        EXPECT_EQ(g->GetPixel(x, 49), plain->GetPixel(x, 49));   // outside the middle half
        EXPECT_EQ(g->GetPixel(x, 50), plain->GetPixel(x, 50));   // row H div 4: s = 0
        EXPECT_EQ(g->GetPixel(x, 150), plain->GetPixel(x, 150)); // row 3H div 4: undeformed again
        EXPECT_LE(std::abs(g->GetPixel(x, 100) - Level(2 * kPi * 16 * (double(x) / 256 - s))), 1) << x;
    }
    EXPECT_NE(g->GetPixel(8, 100), plain->GetPixel(8, 100));

    o = {.Width = 100, .Height = 64, .Direction = GridDirection::Y, .Deformation = GridDeformation::Cylinder};
    const auto gy = GenerateGrid(o);
    for (int y = 0; y < 64; ++y) {
        EXPECT_EQ(gy->GetPixel(24, y), Level(2 * kPi * 16 * y / 64)) << y; // column W div 4 - 1
        const double sx = std::sqrt(0.25 - std::pow(50.0 / 100 - 0.5, 2)) - std::sqrt(0.1875);
        EXPECT_LE(std::abs(gy->GetPixel(50, y) - Level(2 * kPi * 16 * (double(y) / 64 - sx))), 1) << y;
    }

    for (const GridOptions& none :
         {GridOptions{.Width = 30, .Height = 20, .Deformation = GridDeformation::InverseR},
          GridOptions{.Width = 30,
          .Height = 20,
          .Direction = GridDirection::XAndY,
          .Deformation = GridDeformation::Cylinder}}) {
        const auto blank = GenerateGrid(none);
        EXPECT_EQ(blank->Width, 30);
        EXPECT_EQ(std::count(blank->Data, blank->Data + blank->Size, 0), 600);
    }
    EXPECT_EQ(ErrorText([] { GenerateGrid({.Width = 0}); }), kGridSizeMessage);
    EXPECT_EQ(ErrorText([] { GenerateGrid({.Height = -3}); }), kGridSizeMessage);
}

TEST(PhaseToFringe, CosineOfTheScaledValueWithRounding) {
    auto map = MakeFloatMap(4, 3, [](int x, int y) { return x == 3 && y == 2 ? 3.1415927f : 0.5f * x - y; });
    map->Data[1] = 0.0f;
    map->Data[2] = std::numeric_limits<float>::quiet_NaN();
    auto fringe = PhaseToFringe(*map);
    EXPECT_EQ(fringe->GetPixel(1, 0), 255); // 255.5 limited
    EXPECT_EQ(fringe->GetPixel(3, 2), 0);   // 0.5 truncated
    EXPECT_EQ(fringe->GetPixel(2, 0), 0);   // no cosine
    EXPECT_EQ(fringe->GetPixel(3, 1), static_cast<int>((std::cos(0.5) + 1) * 127.5 + 0.5));
    map->ValueScale = 2.0f; // the same value now reads as half the phase
    fringe = PhaseToFringe(*map);
    EXPECT_EQ(fringe->GetPixel(3, 2), static_cast<int>((std::cos(3.1415927 / 2) + 1) * 127.5 + 0.5));
    map->ValueScale = 0.0f;
    EXPECT_EQ(ErrorText([&] { PhaseToFringe(*map); }), kZeroValueScaleMessage);
}

TEST(MoireSimulation, PitchAndStepClampingFollowTheLineCount) {
    // 515 / 10 = 51.5 rounds to 52 (the quotient is not truncated first); with a pitch of 3, p div 4 - 1
    // = -1: any step becomes -1, then 1.
    const int cases[][5] = {{512, 10, 20, 51, 11}, {512, 10, -3, 51, 1}, {512, 10, 0, 51, 0},
                            {512, 10, 11, 51, 11}, {515, 10, 0, 52, 0},  {100, 30, 5, 3, 1}};
    for (const auto& [width, count, step, pitch, clamped] : cases) {
        const auto g = SimulationGeometry(width, count, step);
        EXPECT_EQ(std::pair(g.Pitch, g.Step), std::pair(pitch, clamped))
            << width << " " << count << " " << step;
    }
    EXPECT_EQ(ErrorText([] { SimulationGeometry(512, 0, 2); }), kCarrierCountMessage);
    EXPECT_EQ(ErrorText([] { SimulationGeometry(512, -4, 2); }), kCarrierCountMessage);
}

TEST(MoireSimulation, ShiftedCopiesLeaveTheLeadingColumnsOrRowsZero) {
    const auto r = MakeGreyPicture(12, 9, [](int x, int y) { return 1 + x + 20 * y; });
    const auto alongX = ShiftedGridCopy(*r, 10, 7, 3, MoireShiftDirection::AlongX);
    const auto alongY = ShiftedGridCopy(*r, 10, 7, 4, MoireShiftDirection::AlongY);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(alongX->GetPixel(x, y), x < 3 ? 0 : r->GetPixel(x - 3, y)) << x << "," << y;
            EXPECT_EQ(alongY->GetPixel(x, y), y < 4 ? 0 : r->GetPixel(x, y - 4)) << x << "," << y;
        }
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
    ASSERT_EQ(std::pair(m->Width, m->Height), std::pair(7, 5));
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

TEST(PhaseShift, EachMethodRecoversAKnownPhaseToEightBitQuantisation) {
    const int w = 97, h = 64; // not square, odd width
    struct Case {
        PhaseShiftMethod Method;
        std::vector<double> Shifts;
    };
    const double alpha = 0.4; // equal steps of 2 alpha, an arbitrary size the method does not need
    const Case cases[] = {
        {PhaseShiftMethod::Const3Step, {0, 2 * kPi / 3, 4 * kPi / 3}},
        {PhaseShiftMethod::Const4Step, {0, kPi / 2, kPi, 3 * kPi / 2}},
        {PhaseShiftMethod::Equal4Step, {-3 * alpha, -alpha, alpha, 3 * alpha}},
    };
    // Measured RMS: 0.0024, 0.0029 and 0.0115 rad; quantising the pictures (amplitude 100) to whole
    // levels limits them, and the equal-step root amplifies the noise where the phase is near 0 or pi.
    const double limits[] = {0.004, 0.004, 0.02};
    for (std::size_t c = 0; c < std::size(cases); ++c) {
        const auto steps = Steps(w, h, cases[c].Shifts);
        const PhaseShiftResult result = ComputePhaseShift(cases[c].Method, Pointers(steps));
        ASSERT_EQ(std::pair(result.Phase->Phase->Width, result.Phase->Phase->Height), std::pair(w, h));
        const double rms = PhaseRms(*result.Phase->Phase);
        EXPECT_LT(rms, limits[c]) << "method " << c;
        // The picture uses the wrapped rule: the last pixel's grey follows its phase.
        const float last = result.Phase->Phase->Data[w * h - 1];
        EXPECT_EQ(result.Phase->Gray->Data[w * h - 1],
                  static_cast<int>((double{last} + 3.1415926) * 127.5 * 0.31830989161357204));
    }
}

TEST(PhaseShift, NearZeroTermsGiveTheFixedSinglePrecisionAngles) {
    // Const 4 step: N = I4 - I2, D = I1 - I3. Pixels: N = 0 with D < 0, D = 0 with N > 0 and N < 0,
    // all equal, N = 0 with D > 0, and an ordinary pixel in the last row and column.
    const auto i1 = Tiny({10, 70, 70, 50, 90, 20});
    const auto i2 = Tiny({50, 20, 90, 50, 40, 60});
    const auto i3 = Tiny({90, 70, 70, 50, 30, 10});
    const auto i4 = Tiny({50, 90, 20, 50, 40, 30});
    const PhaseShiftResult r =
        ComputePhaseShift(PhaseShiftMethod::Const4Step, {i1.get(), i2.get(), i3.get(), i4.get()});
    EXPECT_EQ(Values(*r.Phase->Phase), (std::vector<float>{3.14159250f, 1.57079625f, -1.57079625f, 0.0f, 0.0f,
                                                           static_cast<float>(std::atan2(-30.0, 10.0))}));
    EXPECT_LT(r.Phase->Phase->Data[0], static_cast<float>(kPi));
}

TEST(PhaseShift, TermsFollowTheIntegerFormulas) {
    const auto i1 = Tiny({10, 200, 0, 255, 7, 30});
    const auto i2 = Tiny({100, 20, 255, 0, 9, 31});
    const auto i3 = Tiny({20, 180, 0, 255, 9, 29});
    const auto i4 = Tiny({30, 10, 255, 0, 7, 30});
    TFloatImage n(nullptr, 3, 2), d(nullptr, 3, 2);

    ComputePhaseShiftTerms(PhaseShiftMethod::Const3Step, {i1.get(), i2.get(), i3.get()}, n, d);
    EXPECT_EQ(n.Data[0], static_cast<float>(-80 * 1.7320508)); // the seven-decimal constant
    EXPECT_NE(n.Data[0], static_cast<float>(-80 * std::sqrt(3.0)));
    EXPECT_EQ(d.Data[0], 2 * 10 - 100 - 20);
    EXPECT_EQ(d.Data[3], 2 * 255 - 0 - 255);

    ComputePhaseShiftTerms(PhaseShiftMethod::Equal4Step, {i1.get(), i2.get(), i3.get(), i4.get()}, n, d);
    // I1 < I4: the numerator is negative although the root is positive.
    EXPECT_EQ(n.Data[0], -static_cast<float>(std::sqrt(260.0 * 60.0)));
    EXPECT_EQ(d.Data[0], (100 + 20) - (10 + 30));
    // I1 > I4: positive; the product inside the root is negative here, its magnitude is used.
    EXPECT_EQ(n.Data[1], static_cast<float>(std::sqrt(std::fabs((3.0 * -160 - 190) * (190 - 160)))));
    // Extremes of the grey range stay exact in 32-bit arithmetic.
    EXPECT_EQ(n.Data[2], -static_cast<float>(std::sqrt(std::fabs((3.0 * 255 + 255) * (-255 + 255.0)))));
    EXPECT_EQ(d.Data[3], (0 + 255) - (255 + 0));
    // I1 = I4: the sign is +.
    EXPECT_FALSE(std::signbit(n.Data[4]));
}

TEST(PhaseShift, StepImagesSmallerThanStepTwoAreRefusedNamingBothSizes) {
    const auto a = MakeGreyPicture(64, 50, [](int, int) { return 1; });
    const auto b = MakeGreyPicture(64, 48, [](int, int) { return 1; });
    const auto n = MakeGreyPicture(63, 50, [](int, int) { return 1; });
    const auto refusal = [](PhaseShiftMethod method, const std::vector<const TGrayImage*>& steps) {
        return ErrorText([&] { ComputePhaseShift(method, steps); });
    };
    EXPECT_EQ(refusal(PhaseShiftMethod::Const3Step, {a.get(), a.get(), b.get()}),
              "Step 3 image is 64 x 48, Step 2 image is 64 x 50: a step image must not be smaller than "
              "the Step 2 image");
    EXPECT_EQ(refusal(PhaseShiftMethod::Const4Step, {n.get(), a.get(), a.get(), a.get()}),
              "Step 1 image is 63 x 50, Step 2 image is 64 x 50: a step image must not be smaller than "
              "the Step 2 image");
    EXPECT_NE(refusal(PhaseShiftMethod::Equal4Step, {a.get(), a.get(), a.get()}), "no error");
}

// Step pictures larger than Step 2's are read over Step 2's extent, each with its own row width:
// their levels change along rows and between rows, so a row read with another picture's width differs.
TEST(PhaseShift, LargerStepsAreReadOverStepTwosExtentAsTheirTopLeftPart) {
    const std::pair<PhaseShiftMethod, std::vector<std::pair<int, int>>> cases[] = {
        {PhaseShiftMethod::Const3Step, {{11, 5}, {7, 5}, {7, 9}}},
        {PhaseShiftMethod::Const4Step, {{7, 5}, {7, 5}, {10, 8}, {8, 5}}},
        {PhaseShiftMethod::Equal4Step, {{9, 6}, {7, 5}, {7, 5}, {12, 5}}},
    };
    for (const auto& [method, sizes] : cases) {
        std::vector<std::unique_ptr<TGrayImage>> large, cropped;
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            const auto level = [k](int x, int y) { return (37 * x + 11 * y + 53 * int(k)) % 256; };
            large.push_back(MakeGreyPicture(sizes[k].first, sizes[k].second, level));
            cropped.push_back(MakeGreyPicture(7, 5, level));
        }
        const PhaseShiftResult got = ComputePhaseShift(method, Pointers(large)),
                               want = ComputePhaseShift(method, Pointers(cropped));
        ASSERT_EQ(std::pair(got.PhaseMap->Width, got.PhaseMap->Height), std::pair(7, 5));
        EXPECT_EQ(Values(*got.Numerator), Values(*want.Numerator));
        EXPECT_EQ(Values(*got.Denominator), Values(*want.Denominator));
    }
}
