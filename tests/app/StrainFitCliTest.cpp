// `corvane-cli strain --fit-window` and `corvane-cli export`, run as a user runs them.
#include "image/FloatMapDisplay.h"
#include "image/TFloatImage.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace corvane {
namespace {

using namespace test;

// U = 0.02 X + 0.1 Y, V = -0.01 Y on 0.5 x 2 unit pixels, with the correlation's marker at one
// point of U: exx with a 15-point window is the stretch's Green-Lagrange strain, the marked point
// and the corner are not computed, and the marker is left out without --invalid.
TEST(StrainFitCli, GreenLagrangeStrainWithAFittingWindow) {
    TempDir dir;
    auto u =
        MakeFloatMap(40, 30, [](int x, int y) { return x == 20 && y == 12 ? 1000.0 : 0.01 * x + 0.2 * y; });
    auto v = MakeFloatMap(40, 30, [](int, int y) { return -0.02 * y; });
    for (TFloatImage* map : {u.get(), v.get()}) {
        map->ScaleX = 0.5f;
        map->ScaleY = 2.0f;
        map->SaveFlt(dir.File(map == u.get() ? "u.flt" : "v.flt"));
    }
    const ProgramRun run =
        Cli(dir, {"strain", "u.flt", "v.flt", "-o", "exx.flt", "--component", "exx", "--fit-window", "15"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    const TFloatImage exx(dir.File("exx.flt"));
    EXPECT_NEAR(exx.GetPixel(21, 12), 0.0202f, 2e-6f);
    EXPECT_NEAR(exx.GetPixel(39, 15), 0.0202f, 2e-6f); // last column
    EXPECT_EQ(exx.GetPixel(20, 12), kNotComputedMarker);
    EXPECT_EQ(exx.GetPixel(0, 29), kNotComputedMarker);
    EXPECT_EQ(exx.ScaleX, 0.5f);

    EXPECT_EQ(
        Cli(dir, {"strain", "u.flt", "v.flt", "-o", "bad.flt", "--component", "exx", "--fit-window", "4"})
            .Status,
        2);
    EXPECT_EQ(Cli(dir, {"strain", "u.flt", "-o", "bad.flt", "--component", "e1", "--fit-window", "5"}).Status,
              2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.flt")));
}

TEST(StrainFitCli, ExportWritesTheKindItsNameSays) {
    TempDir dir;
    MakeFloatMap(4, 3, [](int x, int y) { return x + 10 * y; })->SaveFlt(dir.File("m.flt"));
    for (const char* name : {"m.tif", "m.csv", "m.npy"}) {
        const ProgramRun run = Cli(dir, {"export", "m.flt", "-o", name});
        ASSERT_EQ(run.Status, 0) << name << run.Err;
    }
    EXPECT_EQ(ReadFileBytes(dir.File("m.csv")).rfind("x,y,value\n0,0,0\n1,0,1\n", 0), 0u);
    EXPECT_EQ(Cli(dir, {"export", "m.flt", "-o", "m.png"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"export", "none.flt", "-o", "n.npy"}).Status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("m.png")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("n.npy")));
}

} // namespace
} // namespace corvane
