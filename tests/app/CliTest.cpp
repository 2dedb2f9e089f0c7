#include "support/CliRun.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace corvane {
namespace {

using namespace test;

TEST(CorvaneCli, WrongCommandLinesExitWithTwoAndSayWhy) {
    TempDir dir;
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {{}, ""},
        {{"no-such-verb"}, "unknown verb 'no-such-verb'"},
        {{"correlate", "--bogus", "run.cor"}, "unknown option --bogus"},
        {{"correlate"}, ""},
        {{"correlate", "a.cor", "b.cor"}, ""},
    };
    for (const auto& [words, message] : wrong) {
        const ProgramRun run = Cli(dir, words);
        EXPECT_EQ(run.Status, 2) << message;
        EXPECT_NE(run.Err.find(message), std::string::npos) << run.Err;
    }
}

TEST(CorvaneCli, HelpListsEveryVerbAndEachVerbHasItsOwn) {
    TempDir dir;
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

    const ProgramRun missing = Cli(dir, {"correlate", "missing.cor"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err.rfind("corvane-cli correlate: ", 0), 0u) << missing.Err;
    for (const char* bad : {"1.5", "-0.1", "high"}) {
        EXPECT_EQ(RunProgram(CORVANE_CORRELATE_EXE, {"--min-correlation", bad, "run.cor"}, dir.Path()).Status,
                  2);
        EXPECT_EQ(Cli(dir, {"correlate-series", "test0.bmp", "test2.bmp", "--config", "run.cor", "-o", "out",
                            "--min-correlation", bad})
                      .Status,
                  2);
    }
    // --refine reaches every group (the report names the refinement); alone it is a wrong command line.
    ASSERT_EQ(Cli(dir, {"correlate", "--refine", "run.cor"}).Status, 0);
    EXPECT_NE(ReadFileBytes(dir.File("info.inf")).find("Sub-pixel Refinement"), std::string::npos);
    EXPECT_EQ(Cli(dir, {"correlate", "--refine"}).Status, 2);
}

} // namespace
} // namespace corvane
