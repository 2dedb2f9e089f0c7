#include "phase/NewUnwrapModel.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace corvane;
using namespace corvane::test;

namespace {

/// Saves the wrapped map as an FLT file with scales of its own.
void SaveWrapped(const WrappedPhaseMap& map, const std::string& file) {
    auto flt = MakeFloatMap(map.Width, map.Height, [&](int x, int y) {
        return map.Wrapped[static_cast<std::size_t>(y * map.Width + x)];
    });
    flt->ScaleX = 0.25f;
    flt->ScaleY = 0.5f;
    flt->ValueScale = 3.0f;
    flt->SaveFlt(file);
}

/// The pixel's distance from truth + 2 pi k, k taken at pixel 0.
double Deviation(const TFloatImage& map, const WrappedPhaseMap& truth, std::size_t i) {
    const double k = std::round((map.Data[0] - truth.Truth[0]) / (2.0 * M_PI));
    return std::fabs(map.Data[i] - truth.Truth[i] - 2.0 * M_PI * k);
}

} // namespace

TEST(NewUnwrapModel, UnwrapStartsFromTheFileAndFillsAndDarkensTheFilesAreas) {
    TempDir dir;
    const int w = 64, h = 48;
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
    SaveWrapped(truth, dir.File("phase.flt"));
    // Invalid block at columns 30..39 of rows 10..19.
    auto areas =
        MakeGreyPicture(w, h, [](int x, int y) { return x >= 30 && x < 40 && y >= 10 && y < 20 ? 255 : 0; });
    areas->SaveBmp(dir.File("areas.bmp"));

    NewUnwrapModel model;
    model.OpenPhase(dir.File("phase.flt"));
    std::fill(model.Phase->Data, model.Phase->Data + 10, 99.0f); // changes in memory do not count
    NewUnwrapOptions options;
    options.PhaseFile = dir.File("phase.flt");
    options.UseInvalidAreaFile = true;
    options.InvalidAreaFile = dir.File("areas.bmp");
    options.StartX = 5;
    options.StartY = 40;
    float grownInBlock = 0.0f;
    model.Unwrap(options, [&](const TFloatImage& grown) { grownInBlock = grown.Data[15 * w + 35]; });

    // The region growing never reaches the block, so it still holds the wrapped value there.
    EXPECT_EQ(grownInBlock, truth.Wrapped[15 * w + 35]);
    const TFloatImage& result = *model.Phase;
    EXPECT_EQ(result.ScaleX, 0.25f);
    EXPECT_EQ(result.ValueScale, 3.0f);
    const float min = *std::min_element(result.Data, result.Data + result.PixelCount());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * w + x);
            if (areas->Data[i] == 255) {
                ASSERT_EQ(result.Data[i], min) << x << "," << y;
            } else {
                ASSERT_LT(Deviation(result, truth, i), 1e-4) << x << "," << y;
            }
        }
    ASSERT_TRUE(model.InvalidArea);
    EXPECT_EQ(model.InvalidArea->Data[15 * w + 35], 255);

    // Without the check box the file is not used: a clean map unwraps everywhere.
    options.UseInvalidAreaFile = false;
    model.OpenPhase(dir.File("phase.flt"));
    model.Unwrap(options);
    EXPECT_LT(Deviation(*model.Phase, truth, 15 * w + 35), 1e-4);
}

TEST(NewUnwrapModel, MaskNoiseMarksResiduesAndTheFollowingUnwrapWorksAroundThem) {
    TempDir dir;
    const int w = 50, h = 40;
    WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
    // A bump of 0.45 rad on one pixel: the edges into it exceed the residue test's 0.5 rad, the
    // edges out of it do not, so some of the cells around it get a residue.
    truth.Wrapped[20 * w + 25] = WrapPhase(truth.Truth[20 * w + 25] + 0.45);
    SaveWrapped(truth, dir.File("phase.flt"));

    NewUnwrapModel model;
    NewUnwrapOptions options;
    options.PhaseFile = dir.File("phase.flt");
    options.StartX = 0;
    options.StartY = 0;
    model.MaskNoise(options);
    ASSERT_TRUE(model.InvalidArea);
    const TGrayImage& invalid = *model.InvalidArea;
    EXPECT_EQ(invalid.Data[20 * w + 25], 255);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (std::abs(x - 25) > 1 || std::abs(y - 20) > 1) {
                ASSERT_EQ(invalid.Data[y * w + x], 0) << x << "," << y;
            }

    model.Unwrap(options);
    for (std::size_t i = 0; i < truth.Truth.size(); ++i)
        if (invalid.Data[i] != 255) {
            ASSERT_LT(Deviation(*model.Phase, truth, i), 1e-4) << i;
        }
    // The bump is gone: it lies on the straight line through the valid pixels beside it.
    EXPECT_LT(Deviation(*model.Phase, truth, 20 * w + 25), 0.05);

    // Opening a phase file releases the invalid area.
    model.OpenPhase(dir.File("phase.flt"));
    EXPECT_FALSE(model.InvalidArea);
}

TEST(NewUnwrapModel, FailingCommandsLeaveTheHeldMapsAsTheyWere) {
    TempDir dir;
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(30, 20);
    SaveWrapped(truth, dir.File("phase.flt"));
    MakeGreyPicture(20, 30, [](int, int) { return 0; })->SaveBmp(dir.File("other.bmp"));

    NewUnwrapModel model;
    NewUnwrapOptions options;
    EXPECT_EQ(ErrorText([&] { model.MaskNoise(options); }), "Select an phase image first");
    EXPECT_EQ(ErrorText([&] { model.Unwrap(options); }), "Select an phase image first");

    options.PhaseFile = dir.File("phase.flt");
    model.OpenPhase(options.PhaseFile);
    const TFloatImage* held = model.Phase.get();
    // The tool's default start (128, 128) lies outside this 30 x 20 map.
    EXPECT_EQ(ErrorText([&] { model.Unwrap(options); }),
              "the starting point (128,128) is outside the 30 x 20 phase map");
    EXPECT_EQ(model.Phase.get(), held);
    EXPECT_FALSE(model.InvalidArea);

    options.StartX = options.StartY = 0;
    options.UseInvalidAreaFile = true;
    options.InvalidAreaFile = dir.File("other.bmp");
    EXPECT_EQ(ErrorText([&] { model.MaskNoise(options); }),
              dir.File("other.bmp") + ": the invalid area is 20 x 30, the phase map 30 x 20");
    EXPECT_EQ(model.Phase.get(), held);
    model.OpenInvalidArea(dir.File("other.bmp"));
    options.UseInvalidAreaFile = false;
    EXPECT_EQ(ErrorText([&] { model.Unwrap(options); }),
              "the invalid area is 20 x 30, the phase map 30 x 20");
    EXPECT_EQ(model.Phase.get(), held);
}
