#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace corvane {
namespace {

using namespace test;

template <class F> void SaveMap(const TempDir& dir, const std::string& name, int w, int h, F f) {
    MakeFloatMap(w, h, f)->SaveFlt(dir.File(name));
}

TEST(StrainCli, BadCommandLinesAndFilesWriteNothing) {
    TempDir dir;
    SaveMap(dir, "u.flt", 6, 5, [](int x, int) { return x; });
    SaveMap(dir, "v.flt", 5, 6, [](int, int y) { return y; });
    for (const char* component : {"shear", "exx"})
        EXPECT_EQ(Cli(dir, {"strain", "u.flt", "-o", "s.flt", "--component", component}).Status, 2)
            << component;
    EXPECT_EQ(Cli(dir, {"strain", "u.flt", "-o", "s.flt"}).Status, 2);
    const ProgramRun missing = Cli(dir, {"strain", "none.flt", "-o", "s.flt", "--component", "ux"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("none.flt: not exists"), std::string::npos) << missing.Err;
    const ProgramRun sizes = Cli(dir, {"strain", "u.flt", "v.flt", "-o", "s.flt", "--component", "shear"});
    EXPECT_EQ(sizes.Status, 1);
    EXPECT_NE(sizes.Err.find("must have the same size"), std::string::npos) << sizes.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("s.flt")));
}

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
