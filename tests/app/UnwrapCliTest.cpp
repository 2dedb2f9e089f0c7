#include "phase/AbsolutePhase.h"
#include "phase/NewUnwrapModel.h"
#include "phase/SimpleUnwrap.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace corvane {
namespace {

using namespace test;

/// A wrapped map of known phase saved as in.flt (70 x 50, scales 0.5 and 0.25), with a noisy
/// pixel so that Mask Noise finds residues.
WrappedPhaseMap SaveWrappedMap(const TempDir& dir) {
    WrappedPhaseMap map = MakeWrappedPhaseMap(70, 50);
    map.Wrapped[30 * 70 + 41] = WrapPhase(map.Truth[30 * 70 + 41] + 0.45);
    auto flt =
        MakeFloatMap(70, 50, [&](int x, int y) { return map.Wrapped[static_cast<std::size_t>(y * 70 + x)]; });
    flt->ScaleX = 0.5f;
    flt->ScaleY = 0.25f;
    flt->SaveFlt(dir.File("in.flt"));
    return map;
}

bool Exists(const TempDir& dir, const std::string& name) {
    return std::filesystem::exists(dir.File(name));
}

} // namespace

TEST(UnwrapCli, RegionGrowingWritesTheMapTheToolSaves) {
    TempDir dir;
    const WrappedPhaseMap truth = SaveWrappedMap(dir);
    MakeGreyPicture(70, 50, [](int x, int y) {
        return x >= 60 && y < 8 ? 255 : 0;
    })->SaveBmp(dir.File("areas.bmp"));

    // Defaults: start at the centre (35, 25), threshold 0.5, no mask.
    const ProgramRun plain = Cli(dir, {"unwrap", "--method", "region", "in.flt", "-o", "out.flt"});
    ASSERT_EQ(plain.Status, 0) << plain.Err;
    EXPECT_EQ(plain.Out, "Unwrapped in.flt from (35,25) into out.flt\n");
    NewUnwrapModel model;
    NewUnwrapOptions options;
    options.PhaseFile = dir.File("in.flt");
    options.StartX = 35;
    options.StartY = 25;
    model.Unwrap(options);
    model.Phase->SaveFlt(dir.File("expected.flt"));
    EXPECT_EQ(ReadFileBytes(dir.File("out.flt")), ReadFileBytes(dir.File("expected.flt")));
    const TFloatImage out(dir.File("out.flt"));
    EXPECT_EQ(out.ScaleX, 0.5f);
    EXPECT_LT(FractionWithin(out.Data, truth.Truth, 1e-4), 1.0); // the noisy pixel stays
    EXPECT_GT(FractionWithin(out.Data, truth.Truth, 1e-4), 0.999);

    // Mask Noise first, with an invalid-area file, another start and thresholds.
    const ProgramRun masked = Cli(dir, {"unwrap", "--method", "region", "--mask-noise", "--invalid-area",
                                        "areas.bmp", "--start", "3", "4", "--threshold", "0.45",
                                        "--invalid-threshold", "0.01", "in.flt", "-o", "masked.flt"});
    ASSERT_EQ(masked.Status, 0) << masked.Err;
    NewUnwrapModel tool;
    options.UseInvalidAreaFile = true;
    options.InvalidAreaFile = dir.File("areas.bmp");
    options.StartX = 3;
    options.StartY = 4;
    options.Threshold = 0.45f;
    options.InvalidThreshold = 0.01f;
    tool.MaskNoise(options);
    tool.Unwrap(options);
    tool.Phase->SaveFlt(dir.File("expected.flt"));
    EXPECT_EQ(ReadFileBytes(dir.File("masked.flt")), ReadFileBytes(dir.File("expected.flt")));
    // The noisy pixel was masked and filled from its neighbours; the file's areas are the darkest.
    const TFloatImage filled(dir.File("masked.flt"));
    const std::size_t noisy = 30 * 70 + 41;
    const double k = std::round((filled.Data[noisy - 1] - truth.Truth[noisy - 1]) / (2.0 * M_PI));
    EXPECT_NEAR(filled.Data[noisy], truth.Truth[noisy] + 2.0 * M_PI * k, 0.05);
    EXPECT_EQ(filled.Data[69], *std::min_element(filled.Data, filled.Data + filled.PixelCount()));
}

TEST(UnwrapCli, ScanLinesWithAMedianFirst) {
    TempDir dir;
    SaveWrappedMap(dir);
    const ProgramRun run = Cli(dir, {"unwrap", "--method", "scanline", "--median", "3", "--start", "69", "0",
                                     "in.flt", "-o", "out.flt"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    SimpleUnwrapModel model;
    model.OpenPhase(dir.File("in.flt"));
    model.MedianInput(3);
    model.Unwrap(0.5f, 69, 0);
    model.Output->SaveFlt(dir.File("expected.flt"));
    EXPECT_EQ(ReadFileBytes(dir.File("out.flt")), ReadFileBytes(dir.File("expected.flt")));
}

TEST(UnwrapCli, WrongCommandLinesAndFailuresWriteNothing) {
    TempDir dir;
    SaveWrappedMap(dir);
    const ProgramRun outside =
        Cli(dir, {"unwrap", "--method", "region", "--start", "70", "0", "in.flt", "-o", "o.flt"});
    EXPECT_EQ(outside.Status, 1);
    EXPECT_EQ(outside.Err,
              "corvane-cli unwrap: the starting point (70,0) is outside the 70 x 50 phase map\n");
    EXPECT_EQ(
        Cli(dir, {"unwrap", "--method", "scanline", "--start", "0", "50", "in.flt", "-o", "o.flt"}).Status,
        1);
    EXPECT_EQ(
        Cli(dir, {"unwrap", "--method", "region", "--invalid-area", "none.bmp", "in.flt", "-o", "o.flt"})
            .Status,
        1);
    EXPECT_EQ(Cli(dir, {"unwrap", "--method", "region", "missing.flt", "-o", "o.flt"}).Status, 1);
    EXPECT_FALSE(Exists(dir, "o.flt"));

    EXPECT_EQ(Cli(dir, {"unwrap", "in.flt", "-o", "o.flt"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"unwrap", "--method", "spiral", "in.flt", "-o", "o.flt"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"unwrap", "--method", "region", "--median", "3", "in.flt", "-o", "o.flt"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"unwrap", "--method", "scanline", "--mask-noise", "in.flt", "-o", "o.flt"}).Status,
              2);
    EXPECT_EQ(Cli(dir, {"unwrap", "--method", "scanline", "--median", "0", "in.flt", "-o", "o.flt"}).Status,
              2);
    EXPECT_EQ(Cli(dir, {"unwrap", "--method", "region", "in.flt"}).Status, 2);
    EXPECT_FALSE(Exists(dir, "o.flt"));
    EXPECT_EQ(
        Cli(dir, {"unwrap", "--help"}).Out.rfind("Usage: corvane-cli unwrap --method region|scanline", 0),
        0u);
}

TEST(AbsoluteCli, ConversionsInOrderThenFloatOrTable) {
    TempDir dir;
    auto phase = MakeFloatMap(6, 4, [](int x, int y) { return 0.5 * x - 0.25 * y + 0.375; });
    phase->ScaleX = 2.0f;
    phase->ScaleY = 3.0f;
    phase->SaveFlt(dir.File("unwrapped.flt"));

    const ProgramRun run = Cli(dir, {"absolute", "unwrapped.flt", "--order", "0", "0", "2", "--pitch",
                                     "6.28319", "--known", "5", "3", "-1.5", "-o", "u.flt"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    TFloatImage expected(dir.File("unwrapped.flt"));
    expected.SetFringeOrder(0, 0, 2);
    ConvertToDisplacement(expected, 6.28319f);
    expected.ShiftToValue(5, 3, -1.5f);
    expected.SaveFlt(dir.File("expected.flt"));
    EXPECT_EQ(ReadFileBytes(dir.File("u.flt")), ReadFileBytes(dir.File("expected.flt")));
    const TFloatImage u(dir.File("u.flt"));
    EXPECT_EQ(u.Data[23], -1.5f);
    EXPECT_NEAR(u.ValueScale, 6.28319 / (2.0 * M_PI), 1e-7);

    // The table with the map's own scales, every other column of rows 1..2, inside a mask.
    MakeGreyPicture(6, 4, [](int x, int) { return x == 4 ? 0 : 255; })->SaveBmp(dir.File("mask.bmp"));
    const ProgramRun table = Cli(dir, {"absolute", "unwrapped.flt", "--grid", "2", "1", "--range", "0", "1",
                                       "5", "2", "--mask", "mask.bmp", "-o", "u.dat"});
    ASSERT_EQ(table.Status, 0) << table.Err;
    EXPECT_EQ(ReadFileBytes(dir.File("u.dat")), "      0.00000000       3.00000000       0.12500000 \n"
                                                "      4.00000000       3.00000000       1.12500000 \n"
                                                "      0.00000000       6.00000000      -0.12500000 \n"
                                                "      4.00000000       6.00000000       0.87500000 \n");
}

TEST(AbsoluteCli, WrongCommandLinesAndFailuresWriteNothing) {
    TempDir dir;
    MakeFloatMap(6, 4, [](int x, int) { return x; })->SaveFlt(dir.File("in.flt"));
    EXPECT_EQ(Cli(dir, {"absolute", "in.flt", "--known", "6", "0", "1", "-o", "o.flt"}).Status, 1);
    EXPECT_EQ(Cli(dir, {"absolute", "in.flt", "--mask", "none.bmp", "-o", "o.dat"}).Status, 1);
    EXPECT_EQ(Cli(dir, {"absolute", "in.flt", "-o", "o.txt"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"absolute", "in.flt", "--pitch", "0", "-o", "o.flt"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"absolute", "in.flt", "--grid", "2", "2", "-o", "o.flt"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"absolute", "in.flt", "--order", "0", "0", "-o", "o.flt"}).Status, 2);
    EXPECT_FALSE(Exists(dir, "o.flt"));
    EXPECT_FALSE(Exists(dir, "o.dat"));
}

} // namespace corvane
