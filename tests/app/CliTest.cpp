#include "support/CliRun.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

using namespace test;

TEST(CorvaneCli, WrongCommandLinesExitWithTwoAndSayWhy) {
    TempDir dir;
    EXPECT_EQ(Cli(dir, {}).Status, 2);
    const ProgramRun unknown = Cli(dir, {"no-such-verb"});
    EXPECT_EQ(unknown.Status, 2);
    EXPECT_NE(unknown.Err.find("unknown verb 'no-such-verb'"), std::string::npos) << unknown.Err;
    const ProgramRun option = Cli(dir, {"correlate", "--bogus", "run.cor"});
    EXPECT_EQ(option.Status, 2);
    EXPECT_NE(option.Err.find("unknown option --bogus"), std::string::npos) << option.Err;
    EXPECT_EQ(Cli(dir, {"correlate"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"correlate", "a.cor", "b.cor"}).Status, 2);
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

TEST(CorvaneCli, CorrelateRunsAConfigurationFileAndAMissingOneFailsWithStatusOne) {
    TempDir dir;
    ASSERT_EQ(RunProgram(CORVANE_CORRELATE_EXE, {"--generate", "run.cor"}, dir.Path()).Status, 0);
    const SpecklePair pair = MakeSpecklePair({.Width = 100, .Height = 100, .ShiftX = 1.0, .ShiftY = -2.0});
    SaveGreyBmp(dir.File("test0.bmp"), 100, 100, pair.Initial);
    SaveGreyBmp(dir.File("test2.bmp"), 100, 100, pair.Deformed);
    const ProgramRun run = Cli(dir, {"correlate", "run.cor"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out.rfind("Group 1 of 1 done in ", 0), 0u) << run.Out;
    EXPECT_NE(ReadFileBytes(dir.File("xy.dat")).find("   1.000  -2.000"), std::string::npos);

    const ProgramRun missing = Cli(dir, {"correlate", "missing.cor"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Err.rfind("corvane-cli correlate: ", 0), 0u) << missing.Err;
}

} // namespace
} // namespace corvane
