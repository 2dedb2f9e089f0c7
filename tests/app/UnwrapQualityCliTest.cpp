#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace corvane {
namespace {

using namespace test;

// An invalid band read from a file cuts the map in two: unlike region growing, the verb unwraps the
// far side too; the band ends at the map's minimum and has reliability 0. Options of other methods
// and clashing names are refused without writing anything; the help says when to choose what.
TEST(UnwrapQualityCli, UnwrapsBothSidesOfAnInvalidAreaFromAFile) {
    TempDir dir;
    const WrappedPhaseMap map = MakeWrappedPhaseMap(60, 36);
    MakeFloatMap(60, 36, [&](int x, int y) {
        return map.Wrapped[static_cast<std::size_t>(y * 60 + x)];
    })->SaveFlt(dir.File("in.flt"));
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

} // namespace
} // namespace corvane
