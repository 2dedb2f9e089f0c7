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

// An invalid band read from a file cuts the map in two: unlike region growing, the quality-guided
// verb unwraps the far side too; the band ends at the map's minimum as the tool darkens it, and the
// reliability map is 0 there.
TEST(UnwrapQualityCli, UnwrapsBothSidesOfAnInvalidAreaFromAFile) {
    TempDir dir;
    const int w = 60, h = 36;
    const WrappedPhaseMap map = MakeWrappedPhaseMap(w, h);
    MakeFloatMap(w, h, [&](int x, int y) {
        return map.Wrapped[static_cast<std::size_t>(y * w + x)];
    })->SaveFlt(dir.File("in.flt"));
    MakeGreyPicture(w, h, [](int x, int) {
        return x >= 40 && x <= 42 ? 255 : 0;
    })->SaveBmp(dir.File("band.bmp"));
    const ProgramRun run = Cli(dir, {"unwrap", "--method", "quality", "in.flt", "-o", "out.flt", "--start",
                                     "5", "30", "--invalid-area", "band.bmp", "--quality-map", "q.flt"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out, "Unwrapped in.flt from (5,30) into out.flt\n");

    const TFloatImage out(dir.File("out.flt")), quality(dir.File("q.flt"));
    const float lowest = *std::min_element(out.Data, out.Data + out.PixelCount());
    const auto steps = [&](int x, int y) {
        const std::size_t i = static_cast<std::size_t>(y * w + x);
        return (out.Data[i] - map.Truth[i]) / (2.0 * 3.14159265359);
    };
    for (int y = 0; y < h; ++y) {
        EXPECT_EQ(out.GetPixel(41, y), lowest);
        EXPECT_EQ(quality.GetPixel(41, y), 0.0f);
        EXPECT_NEAR(steps(59, y), std::round(steps(59, 0)), 1e-4) << y;
        EXPECT_NEAR(steps(20, y), std::round(steps(5, 30)), 1e-4) << y;
    }
}

TEST(UnwrapQualityCli, WrongCommandLinesWriteNothing) {
    TempDir dir;
    MakeFloatMap(8, 6, [](int x, int) { return 0.5 * x; })->SaveFlt(dir.File("in.flt"));
    for (const std::vector<std::string>& wrong : {
             std::vector<std::string>{"--method", "quality", "--median", "3"},
             {"--method", "quality", "--threshold", "0.4"},
             {"--method", "region", "--quality-map", "q.flt"},
             {"--method", "quality", "--quality-map", "o.flt"},
         }) {
        std::vector<std::string> words{"unwrap", "in.flt", "-o", "o.flt"};
        words.insert(words.end(), wrong.begin(), wrong.end());
        EXPECT_EQ(Cli(dir, words).Status, 2) << wrong[3];
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("o.flt")) || std::filesystem::exists(dir.File("q.flt")));
    const std::string help = Cli(dir, {"unwrap", "--help"}).Out;
    for (const char* says : {"--method quality", "noisy fringes", "smears its 2 pi jumps", "in radians"})
        EXPECT_NE(help.find(says), std::string::npos) << says;
}

} // namespace
} // namespace corvane
