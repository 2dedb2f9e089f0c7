#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"
#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include <filesystem>

namespace corvane {
namespace {

using namespace test;

/// A wrapped map of known phase saved as in.flt.
WrappedPhaseMap SaveWrappedMap(const TempDir& dir, int width, int height) {
    WrappedPhaseMap map = MakeWrappedPhaseMap(width, height);
    MakeFloatMap(width, height, [&](int x, int y) {
        return map.Wrapped[static_cast<std::size_t>(y * width + x)];
    })->SaveFlt(dir.File("in.flt"));
    return map;
}

bool Exists(const TempDir& dir, const std::string& name) {
    return std::filesystem::exists(dir.File(name));
}

} // namespace

TEST(UnwrapCli, WrongCommandLinesAndFailuresWriteNothing) {
    TempDir dir;
    SaveWrappedMap(dir, 70, 50);
    const ProgramRun outside =
        Cli(dir, {"unwrap", "--method", "region", "--start", "70", "0", "in.flt", "-o", "o.flt"});
    EXPECT_EQ(outside.Status, 1);
    EXPECT_EQ(outside.Err,
              "corvane-cli unwrap: the starting point (70,0) is outside the 70 x 50 phase map\n");
    using Words = std::vector<std::string>;
    // Status 1: the run fails; status 2: the command line is wrong.
    const std::pair<int, Words> refused[] = {
        {1, {"--method", "scanline", "--start", "0", "50", "in.flt", "-o", "o.flt"}},
        {1, {"--method", "region", "--invalid-area", "none.bmp", "in.flt", "-o", "o.flt"}},
        {1, {"--method", "region", "missing.flt", "-o", "o.flt"}},
        {2, {"in.flt", "-o", "o.flt"}},
        {2, {"--method", "spiral", "in.flt", "-o", "o.flt"}},
        {2, {"--method", "region", "--median", "3", "in.flt", "-o", "o.flt"}},
        {2, {"--method", "scanline", "--mask-noise", "in.flt", "-o", "o.flt"}},
        {2, {"--method", "scanline", "--median", "0", "in.flt", "-o", "o.flt"}},
        {2, {"--method", "region", "in.flt"}},
    };
    for (const auto& [status, words] : refused) {
        Words run = {"unwrap"};
        run.insert(run.end(), words.begin(), words.end());
        EXPECT_EQ(Cli(dir, run).Status, status) << words[1];
    }
    EXPECT_FALSE(Exists(dir, "o.flt"));
}

TEST(AbsoluteCli, WrongCommandLinesAndFailuresWriteNothing) {
    TempDir dir;
    MakeFloatMap(6, 4, [](int x, int) { return x; })->SaveFlt(dir.File("in.flt"));
    const std::pair<int, std::vector<std::string>> refused[] = {
        {1, {"absolute", "in.flt", "--known", "6", "0", "1", "-o", "o.flt"}},
        {1, {"absolute", "in.flt", "--mask", "none.bmp", "-o", "o.dat"}},
        {2, {"absolute", "in.flt", "-o", "o.txt"}},
        {2, {"absolute", "in.flt", "--pitch", "0", "-o", "o.flt"}},
        {2, {"absolute", "in.flt", "--grid", "2", "2", "-o", "o.flt"}},
        {2, {"absolute", "in.flt", "--order", "0", "0", "-o", "o.flt"}},
    };
    for (const auto& [status, words] : refused)
        EXPECT_EQ(Cli(dir, words).Status, status) << words[2];
    EXPECT_FALSE(Exists(dir, "o.flt"));
    EXPECT_FALSE(Exists(dir, "o.dat"));
}

// An invalid band read from a file cuts the map in two: unlike region growing, the verb unwraps the
// far side too; the band ends at the map's minimum and has reliability 0. Options of other methods
// and clashing names are refused without writing anything; the help says when to choose what.
TEST(UnwrapQualityCli, UnwrapsBothSidesOfAnInvalidAreaFromAFile) {
    TempDir dir;
    const WrappedPhaseMap map = SaveWrappedMap(dir, 60, 36);
    MakeGreyPicture(60, 36, [](int x, int) {
        return x >= 40 && x <= 42 ? 255 : 0;
    })->SaveBmp(dir.File("band.bmp"));
    for (const auto& [method, option, value] : {std::tuple{"quality", "--median", "3"},
                                                {"quality", "--threshold", "0.4"},
                                                {"region", "--quality-map", "q.flt"},
                                                {"quality", "--quality-map", "out.flt"}})
        EXPECT_EQ(Cli(dir, {"unwrap", "--method", method, option, value, "in.flt", "-o", "out.flt"}).Status,
                  2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.flt")));
    const std::string help = Cli(dir, {"unwrap", "--help"}).Out;
    EXPECT_EQ(help.rfind("Usage: corvane-cli unwrap --method region|scanline", 0), 0u);
    for (const char* says : {"--method quality", "noisy fringes", "smears its 2 pi jumps", "in radians"})
        EXPECT_NE(help.find(says), std::string::npos) << says;
    const ProgramRun run = Cli(dir, {"unwrap", "--method", "quality", "in.flt", "-o", "out.flt", "--start",
                                     "5", "30", "--invalid-area", "band.bmp", "--quality-map", "q.flt"});
    ASSERT_EQ(run.Status, 0) << run.Err;

    const TFloatImage out(dir.File("out.flt")), quality(dir.File("q.flt"));
    const float lowest = *std::min_element(out.Data, out.Data + out.PixelCount());
    const auto fringes = [&](int x, int y) {
        return (out.GetPixel(x, y) - map.Truth[static_cast<std::size_t>(y * 60 + x)]) / (2.0 * 3.14159265359);
    };
    for (int y = 0; y < 36; ++y) {
        EXPECT_EQ(out.GetPixel(41, y), lowest);
        EXPECT_EQ(quality.GetPixel(41, y), 0.0f);
        EXPECT_NEAR(fringes(59, y), std::round(fringes(59, 0)), 1e-4) << y;
        EXPECT_NEAR(fringes(20, y), std::round(fringes(5, 30)), 1e-4) << y;
    }
}

} // namespace corvane
