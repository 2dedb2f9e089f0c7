// `corvane-cli strain --fit-window` and `corvane-cli export`, run as a user runs them (the values
// they write are compared with the windows' in the strain window's tests).
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace corvane {
namespace {

using namespace test;

TEST(StrainFitCli, WrongWindowsAndKindsAreRefusedAndWriteNothing) {
    TempDir dir;
    MakeFloatMap(4, 3, [](int x, int y) { return x + 10 * y; })->SaveFlt(dir.File("m.flt"));
    const std::vector<std::vector<std::string>> wrong = {
        {"strain", "m.flt", "m.flt", "-o", "bad.flt", "--component", "exx", "--fit-window", "4"},
        {"strain", "m.flt", "-o", "bad.flt", "--component", "e1", "--fit-window", "5"},
        {"export", "m.flt", "-o", "bad.png"}};
    for (const auto& words : wrong)
        EXPECT_EQ(Cli(dir, words).Status, 2) << words.back();
    EXPECT_EQ(Cli(dir, {"export", "none.flt", "-o", "bad.npy"}).Status, 1);
    for (const char* name : {"bad.flt", "bad.png", "bad.npy"})
        EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;

    for (const char* name : {"m.tif", "m.csv", "m.npy"})
        EXPECT_EQ(Cli(dir, {"export", "m.flt", "-o", name}).Status, 0) << name;
    EXPECT_EQ(ReadFileBytes(dir.File("m.csv")).rfind("x,y,value\n0,0,0\n1,0,1\n", 0), 0u);
    const ProgramRun strain =
        Cli(dir, {"strain", "m.flt", "m.flt", "-o", "e.flt", "--component", "evm", "--fit-window", "3"});
    EXPECT_EQ(strain.Status, 0) << strain.Err;
}

} // namespace
} // namespace corvane
