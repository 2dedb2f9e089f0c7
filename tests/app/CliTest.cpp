#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/SpeckleImages.h"

#include <filesystem>
#include <set>
#include <string>
#include <tuple>

namespace corvane {
namespace {

using namespace test;

TEST(CorvaneCli, WrongCommandLinesExitWithTwoAndSayWhyHelpListsEveryVerbAndEachVerbHasItsOwn) {
    TempDir dir;
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{}, ""},
        {{"no-such-verb"}, "unknown verb 'no-such-verb'"},
        {{"correlate", "--bogus", "run.cor"}, "unknown option --bogus"},
        {{"correlate"}, ""},
        {{"correlate", "a.cor", "b.cor"}, ""},
    };
    for (const auto& [words, message] : wrong)
        EXPECT_TRUE(Refuses(dir, words, 2, message)) << message;

    const ProgramRun list = Cli(dir, {"--help"});
    EXPECT_EQ(list.Status, 0);
    EXPECT_NE(list.Out.find("  correlate "), std::string::npos) << list.Out;
    const ProgramRun verb = Cli(dir, {"correlate", "--help"});
    EXPECT_EQ(verb.Status, 0);
    EXPECT_EQ(
        verb.Out.rfind(
            "Usage: corvane-cli correlate [--refine] [--grid-only] [--min-correlation C] [--timings]\n", 0),
        0u)
        << verb.Out;
}

// The default configuration on a pair shifted by (1, -2) whose deformed picture has a blank patch:
// --min-correlation reaches the group (the report counts the points marked over the patch), and
// the other points find the shift. A value outside 0 ... 1 is a wrong command line for every runner.
TEST(CorvaneCli, CorrelateRunsAConfigurationFileWithAMinimumCorrelation) {
    TempDir dir;
    ASSERT_EQ(RunProgram(CORVANE_CORRELATE_EXE, {"--generate", "run.cor"}, dir.Path()).Status, 0);
    SpecklePair pair = MakeSpecklePair({.Width = 100, .Height = 100, .ShiftX = 1.0, .ShiftY = -2.0});
    for (int y = 30; y < 50; ++y)
        std::fill_n(pair.Deformed.begin() + y * 100 + 40, 24, 90);
    SaveGreyBmp(dir.File("test0.bmp"), 100, 100, pair.Initial);
    SaveGreyBmp(dir.File("test2.bmp"), 100, 100, pair.Deformed);
    const ProgramRun run = Cli(dir, {"correlate", "run.cor", "--min-correlation", "0.75"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out.rfind("Group 1 of 1 done in ", 0), 0u) << run.Out;
    EXPECT_NE(ReadFileBytes(dir.File("xy.dat")).find("   1.000  -2.000"), std::string::npos);
    const std::string report = ReadFileBytes(dir.File("info.inf")),
                      line = "Correlation 0.75: marked not computed ";
    ASSERT_NE(report.find(line), std::string::npos);
    EXPECT_GT(std::stoll(report.substr(report.find(line) + line.size())), 50);

    EXPECT_TRUE(Refuses(dir, {"correlate", "missing.cor"}, 1, "corvane-cli correlate: "));
    for (const char* bad : {"1.5", "-0.1", "high"}) {
        EXPECT_EQ(RunProgram(CORVANE_CORRELATE_EXE, {"--min-correlation", bad, "run.cor"}, dir.Path()).Status,
                  2);
        EXPECT_EQ(Cli(dir, {"correlate-series", "test0.bmp", "test2.bmp", "--config", "run.cor", "-o", "out",
                            "--min-correlation", bad})
                      .Status,
                  2);
    }
    // --refine reaches every group (the report names the refinement); alone it is a wrong command line.
    ASSERT_TRUE(Runs(dir, {"correlate", "--refine", "run.cor"}));
    EXPECT_NE(ReadFileBytes(dir.File("info.inf")).find("Sub-pixel Refinement"), std::string::npos);
    EXPECT_EQ(Cli(dir, {"correlate", "--refine"}).Status, 2);
}

// The correlation runners on a shared machine: as many workers as CPUs the process was given
// (taskset) or as --threads says, and a batch system's SIGTERM treated like Ctrl+C, leaving the
// folder as it was.
std::set<std::string> Names(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.insert(entry.path().filename().string());
    return names;
}

void MakePair(const TempDir& dir, int size) {
    ASSERT_TRUE(Runs(dir, {"generate-speckle", "-o", "a.bmp", "--deformed", "b.bmp", "--config", "run.cor",
                           "--width", std::to_string(size), "--height", std::to_string(size + 16)}));
}

TEST(ClusterRun, WorkersFollowTheCpusGivenAndTheThreadsOption) {
    TempDir dir;
    MakePair(dir, 64);
    struct Case {
        std::vector<std::string> prefix, options;
        std::string workers;
    };
    for (const Case& c :
         {Case{{"taskset", "-c", "0"}, {}, "workers: 1\n"}, Case{{}, {"--threads", "3"}, "workers: 3\n"},
          Case{{"taskset", "-c", "0"}, {"--threads", "2"}, "workers: 2\n"}}) {
        for (const std::string program : {CORVANE_CLI_EXE, CORVANE_CORRELATE_EXE}) {
            std::vector<std::string> run = c.prefix;
            run.push_back(program);
            if (program == CORVANE_CLI_EXE) run.push_back("correlate");
            run.insert(run.end(), c.options.begin(), c.options.end());
            run.insert(run.end(), {"--timings", "run.cor"});
            const ProgramRun r = RunProgram(run.front(), {run.begin() + 1, run.end()}, dir.Path());
            ASSERT_EQ(r.Status, 0) << r.Err;
            EXPECT_EQ(r.Err.substr(0, r.Err.find('\n') + 1), c.workers) << program;
            for (const char* stage : {"load", "seeds", "search", "post filter", "tables", "float maps"})
                EXPECT_NE(r.Err.find(std::string("group 1: ") + stage), std::string::npos) << stage;
        }
    }
    EXPECT_EQ(Cli(dir, {"correlate", "--threads", "0", "run.cor"}).Status, 2);
    EXPECT_EQ(RunProgram(CORVANE_CORRELATE_EXE, {"--threads", "x", "run.cor"}, dir.Path()).Status, 2);
}

TEST(ClusterRun, SigtermStopsTheRunAndLeavesTheFolderAsItWas) {
    TempDir dir;
    MakePair(dir, 1024);
    const std::set<std::string> before = Names(dir);
    const StopAt term{"group 1: seeds", "TERM"}; // what timeout -s TERM sends, in the search
    const ProgramRun r =
        RunProgram(CORVANE_CLI_EXE, {"correlate", "--refine", "--timings", "run.cor"}, dir.Path(), &term);
    EXPECT_EQ(r.Status, 143) << r.Err;
    EXPECT_NE(r.Err.find("terminated; group 1 wrote nothing"), std::string::npos) << r.Err;
    EXPECT_EQ(Names(dir), before);
}

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
    for (const auto& [status, words, message] : refused)
        EXPECT_TRUE(Refuses(dir, words, status, message)) << words[1] << " " << words.back();

    for (const char* name : {"m.tif", "m.csv", "m.npy"})
        EXPECT_EQ(Cli(dir, {"export", "m.flt", "-o", name}).Status, 0) << name;
    EXPECT_EQ(ReadFileBytes(dir.File("m.csv")).rfind("x,y,value\n0,0,0\n1,0,1\n", 0), 0u);
    const ProgramRun strain =
        Cli(dir, {"strain", "m.flt", "m.flt", "-o", "e.flt", "--component", "evm", "--fit-window", "3"});
    EXPECT_EQ(strain.Status, 0) << strain.Err;
}

} // namespace
} // namespace corvane
