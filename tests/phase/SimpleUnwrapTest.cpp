#include "phase/SimpleUnwrap.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;
using namespace corvane::test;

namespace {} // namespace

TEST(ScanLineUnwrap, CleanMapsUnwrapExactlyAndTheCopyKeepsTheHeader) {
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(91, 57);
    auto input = MakeFloatMap(
        91, 57, [&](int x, int y) { return truth.Wrapped[static_cast<std::size_t>(y * 91 + x)]; });
    input->ScaleX = 0.5f;
    input->ValueScale = 2.0f;
    input->Reserved[9] = 7;
    const std::vector<float> before = Values(*input);
    for (const auto& [sx, sy] : {std::pair{0, 0}, std::pair{90, 56}, std::pair{40, 3}}) {
        const auto output = ScanLineUnwrap(*input, sx, sy, 0.5f);
        const double k = std::round((output->Data[0] - truth.Truth[0]) / (2.0 * M_PI));
        double worst = 0.0;
        for (std::size_t i = 0; i < truth.Truth.size(); ++i)
            worst = std::max(worst, std::fabs(output->Data[i] - truth.Truth[i] - 2.0 * M_PI * k));
        EXPECT_LT(worst, 1e-4) << sx << "," << sy;
        EXPECT_EQ(output->ScaleX, 0.5f);
        EXPECT_EQ(output->ValueScale, 2.0f);
        EXPECT_EQ(output->Reserved[9], 7);
    }
    EXPECT_EQ(Values(*input), before);
}

TEST(ScanLineUnwrap, NoJumpsLeaveTheMapAndThreePointOneIsNoJumpButThreePointTwoIs) {
    auto smooth = MakeFloatMap(7, 5, [](int x, int y) { return 0.3 * x - 0.2 * y; });
    EXPECT_EQ(Values(*ScanLineUnwrap(*smooth, 3, 2, 0.5f)), Values(*smooth));

    auto row = MakeFloatMap(3, 1, [](int x, int) { return x == 0 ? 0.0 : (x == 1 ? -3.1 : 0.1); });
    const auto out = ScanLineUnwrap(*row, 0, 0, 0.5f);
    EXPECT_FLOAT_EQ(out->Data[1], -3.1f);             // 3.1 < pi: kept
    EXPECT_FLOAT_EQ(out->Data[2], 0.1f - 6.2831853f); // 3.2 >= pi: one 2 pi down
}

TEST(SimpleUnwrapModel, MediansHaveTheirOwnWindowsAndUnwrapRestartsFromTheInput) {
    TempDir dir;
    const WrappedPhaseMap noisy = MakeWrappedPhaseMap(40, 30, 0.3, 5);
    auto file = MakeFloatMap(
        40, 30, [&](int x, int y) { return noisy.Wrapped[static_cast<std::size_t>(y * 40 + x)]; });
    file->SaveFlt(dir.File("phase.flt"));

    SimpleUnwrapModel model;
    EXPECT_FALSE(model.MedianInput(3));
    EXPECT_FALSE(model.MedianOutput(3));
    EXPECT_EQ(ErrorText([&] { model.Unwrap(0.5f, 0, 0); }), "open a phase first");

    model.OpenPhase(dir.File("phase.flt"));
    EXPECT_EQ(Values(*model.Output), std::vector<float>(40 * 30, 0.0f));
    ASSERT_TRUE(model.MedianInput(3));
    model.Unwrap(0.5f, 20, 15);
    // The output starts from the filtered input: the same as unwrapping a 3 x 3 median copy.
    auto filtered = MakeFloatMap(
        40, 30, [&](int x, int y) { return noisy.Wrapped[static_cast<std::size_t>(y * 40 + x)]; });
    filtered->MedianFilter(3, 3);
    auto expected = ScanLineUnwrap(*filtered, 20, 15, 0.5f);
    EXPECT_EQ(Values(*model.Output), Values(*expected));

    // Median Output with 5 x 5 changes only the output, with its own window.
    const std::vector<float> inputBefore = Values(*model.Input);
    ASSERT_TRUE(model.MedianOutput(5));
    expected->MedianFilter(5, 5);
    EXPECT_EQ(Values(*model.Output), Values(*expected));
    EXPECT_EQ(Values(*model.Input), inputBefore);

    // A start outside the map is refused and the output stays.
    EXPECT_EQ(ErrorText([&] { model.Unwrap(0.5f, 40, 0); }),
              "the starting point (40,0) is outside the 40 x 30 phase map");
    EXPECT_EQ(Values(*model.Output), Values(*expected));
}
