#include "support/CliRun.h"
#include "support/SpeckleImages.h"

#include <gtest/gtest.h>

namespace corvane::test {
namespace {

// --min-correlation reaches the groups of a file (the report counts the points marked over a blank
// patch); a value outside 0 ... 1 is a wrong command line for every runner.
TEST(CorrelateMinimumCli, MinCorrelationReachesTheGroupsAndRefusesValuesOutsideZeroToOne) {
    TempDir dir;
    SpecklePair pair = MakeSpecklePair({.Width = 110, .Height = 90, .ShiftX = 1.5, .ShiftY = 0.5});
    for (int y = 30; y < 50; ++y)
        std::fill_n(pair.Deformed.begin() + y * 110 + 40, 24, 90);
    SaveGreyBmp(dir.File("test0.bmp"), 110, 90, pair.Initial);
    SaveGreyBmp(dir.File("test2.bmp"), 110, 90, pair.Deformed);
    ASSERT_EQ(RunProgram(CORVANE_CORRELATE_EXE, {"--generate", "run.cor"}, dir.Path()).Status, 0);
    ASSERT_EQ(Cli(dir, {"correlate", "run.cor", "--min-correlation", "0.75"}).Status, 0);
    const std::string report = ReadFileBytes(dir.File("info.inf")),
                      line = "Correlation 0.75: marked not computed ";
    ASSERT_NE(report.find(line), std::string::npos);
    EXPECT_GT(std::stoll(report.substr(report.find(line) + line.size())), 50);
    for (const char* bad : {"1.5", "-0.1", "high"}) {
        EXPECT_EQ(RunProgram(CORVANE_CORRELATE_EXE, {"--min-correlation", bad, "run.cor"}, dir.Path()).Status,
                  2);
        EXPECT_EQ(Cli(dir, {"correlate-series", "test0.bmp", "test2.bmp", "--config", "run.cor", "-o", "out",
                            "--min-correlation", bad})
                      .Status,
                  2);
    }
}

} // namespace
} // namespace corvane::test
