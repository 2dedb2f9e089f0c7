#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace corvane {
namespace {

using namespace test;

/// A wrapped map of known phase saved as in.flt (70 x 50).
void SaveWrappedMap(const TempDir& dir) {
    const WrappedPhaseMap map = MakeWrappedPhaseMap(70, 50);
    MakeFloatMap(70, 50, [&](int x, int y) {
        return map.Wrapped[static_cast<std::size_t>(y * 70 + x)];
    })->SaveFlt(dir.File("in.flt"));
}

bool Exists(const TempDir& dir, const std::string& name) {
    return std::filesystem::exists(dir.File(name));
}

} // namespace

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
