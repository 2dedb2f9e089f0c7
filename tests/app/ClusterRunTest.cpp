// The correlation runners on a shared machine: as many workers as CPUs the process was given
// (taskset) or as --threads says, and a batch system's SIGTERM treated like Ctrl+C, leaving the
// folder as it was.
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

namespace corvane {
namespace {

using namespace test;

std::set<std::string> Names(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.insert(entry.path().filename().string());
    return names;
}

void MakePair(const TempDir& dir, int size) {
    ASSERT_EQ(Cli(dir, {"generate-speckle", "-o", "a.bmp", "--deformed", "b.bmp", "--config", "run.cor",
                        "--width", std::to_string(size), "--height", std::to_string(size + 16)})
                  .Status,
              0);
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
        std::vector<std::string> words = c.prefix;
        for (const std::string program : {CORVANE_CLI_EXE, CORVANE_CORRELATE_EXE}) {
            std::vector<std::string> run = words;
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
    const ProgramRun r = RunProgram(
        "timeout",
        {"--preserve-status", "-s", "TERM", "1", CORVANE_CLI_EXE, "correlate", "--refine", "run.cor"},
        dir.Path());
    EXPECT_EQ(r.Status, 143) << r.Err;
    EXPECT_NE(r.Err.find("terminated; group 1 wrote nothing"), std::string::npos) << r.Err;
    EXPECT_EQ(Names(dir), before);
}

} // namespace
} // namespace corvane
