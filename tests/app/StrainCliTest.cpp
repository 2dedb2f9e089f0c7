#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

namespace corvane {
namespace {

using namespace test;

// Wrong command lines (status 2) and failing runs (status 1) of strain and export write nothing.
TEST(StrainCli, WrongCommandLinesWindowsAndFilesWriteNothing) {
    TempDir dir;
    MakeFloatMap(6, 5, [](int x, int) { return x; })->SaveFlt(dir.File("u.flt"));
    MakeFloatMap(5, 6, [](int, int y) { return y; })->SaveFlt(dir.File("v.flt"));
    MakeFloatMap(4, 3, [](int x, int y) { return x + 10 * y; })->SaveFlt(dir.File("m.flt"));
    const std::tuple<int, std::vector<std::string>, std::string> refused[] = {
        {2, {"strain", "u.flt", "-o", "bad.flt", "--component", "shear"}, ""},
        {2, {"strain", "u.flt", "-o", "bad.flt", "--component", "exx"}, ""},
        {2, {"strain", "u.flt", "-o", "bad.flt"}, ""},
        {2, {"strain", "m.flt", "m.flt", "-o", "bad.flt", "--component", "exx", "--fit-window", "4"}, ""},
        {2, {"strain", "m.flt", "-o", "bad.flt", "--component", "e1", "--fit-window", "5"}, ""},
        {2, {"export", "m.flt", "-o", "bad.png"}, ""},
        {1, {"strain", "none.flt", "-o", "bad.flt", "--component", "ux"}, "none.flt: not exists"},
        {1, {"strain", "u.flt", "v.flt", "-o", "bad.flt", "--component", "shear"}, "must have the same size"},
        {1, {"export", "none.flt", "-o", "bad.npy"}, ""},
    };
    for (const auto& [status, words, message] : refused) {
        const ProgramRun run = Cli(dir, words);
        EXPECT_EQ(run.Status, status) << words[1] << " " << words.back();
        EXPECT_NE(run.Err.find(message), std::string::npos) << run.Err;
    }
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
