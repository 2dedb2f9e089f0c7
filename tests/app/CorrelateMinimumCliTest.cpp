#include "correlation/CorRelationConfig.h"
#include "support/CliRun.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace corvane {
namespace {

using namespace test;

// --min-correlation sets the minimum for every group of the file, in both runners and for a series:
// the report counts the points it marked. A value outside 0 ... 1 is a wrong command line.
TEST(CorrelateMinimumCli, MinCorrelationReachesEveryRunnerAndRefusesValuesOutsideZeroToOne) {
    TempDir dir;
    const SpecklePair pair = MakeSpecklePair({.Width = 110, .Height = 90, .ShiftX = 1.5, .ShiftY = 0.5});
    std::vector<std::uint8_t> holed = pair.Deformed;
    for (int y = 30; y < 50; ++y)
        for (int x = 40; x < 64; ++x)
            holed[y * 110 + x] = 90;
    SaveGreyBmp(dir.File("test0.bmp"), 110, 90, pair.Initial);
    SaveGreyBmp(dir.File("test2.bmp"), 110, 90, holed);
    GenerateConfigFile(dir.File("run.cor"));
    const std::string line = " \n Minimum Correlation 0.75: marked not computed ";
    const struct {
        std::string program;
        std::vector<std::string> arguments;
        std::string report;
    } runs[] = {
        {CORVANE_CORRELATE_EXE, {"run.cor", "--min-correlation", "0.75"}, "info.inf"},
        {CORVANE_CORRELATE_EXE, {"--min-correlation", "0.75", "--refine", "run.cor"}, "info.inf"},
        {CORVANE_CLI_EXE, {"correlate", "--min-correlation", "0.75", "run.cor"}, "info.inf"},
        {CORVANE_CLI_EXE,
         {"correlate-series", "test0.bmp", "test2.bmp", "--config", "run.cor", "-o", "out",
          "--min-correlation", "0.75"},
         "out/test2_info.inf"},
    };
    for (const auto& r : runs) {
        std::filesystem::remove(dir.File(r.report));
        const ProgramRun run = RunProgram(r.program, r.arguments, dir.Path());
        ASSERT_EQ(run.Status, 0) << run.Err;
        const std::string report = ReadFileBytes(dir.File(r.report));
        const auto at = report.find(line);
        ASSERT_NE(at, std::string::npos) << r.arguments.front();
        EXPECT_NE(report.substr(at + line.size(), 2), "0 ") << "the blank patch is marked";
    }
    // The file itself is not changed; without the option nothing is marked or counted.
    ASSERT_EQ(RunProgram(CORVANE_CORRELATE_EXE, {"run.cor"}, dir.Path()).Status, 0);
    EXPECT_EQ(ReadFileBytes(dir.File("info.inf")).find("Minimum Correlation"), std::string::npos);
    for (const char* bad : {"1.5", "-0.1", "high"}) {
        EXPECT_EQ(RunProgram(CORVANE_CORRELATE_EXE, {"--min-correlation", bad, "run.cor"}, dir.Path()).Status,
                  2);
        EXPECT_EQ(Cli(dir, {"correlate", "--min-correlation", bad, "run.cor"}).Status, 2) << bad;
    }
}

} // namespace
} // namespace corvane
