// corvane-cli correlate-series and Ctrl+C in corvane-correlate, run as a user runs them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "correlation/CorRelationConfig.h"
#include "support/CliRun.h"
#include "support/DisplacementTables.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;

// Every file of the folder by name, the reports' used time blanked.
std::map<std::string, std::string> FilesOf(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string bytes = ReadFileBytes(entry.path().string());
        if (const std::size_t at = bytes.find("Used time : "); at != std::string::npos)
            bytes.replace(at, 20, "");
        files[entry.path().filename().string()] = bytes;
    }
    return files;
}

// A reference picture and five frames moved a little more each time, and the default group with
// a search field that fits the 90 x 70 pictures.
struct Series : ::testing::Test {
    TempDir dir;
    std::vector<std::string> frames;
    void SetUp() override {
        for (int i = 0; i <= 5; ++i) {
            const SpecklePair p =
                MakeSpecklePair({.Width = 90, .Height = 70, .ShiftX = 0.4 * i, .ShiftY = -0.3 * i});
            if (i == 0)
                SaveGreyBmp(dir.File("ref.bmp"), 90, 70, p.Initial);
            else {
                frames.push_back("f" + std::to_string(i) + ".bmp");
                SaveGreyBmp(dir.File(frames.back()), 90, 70, p.Deformed);
            }
        }
        GenerateConfigFile(dir.File("group.cor"));
        std::string text = ReadFileBytes(dir.File("group.cor"));
        text = ReplaceFirst(text, "=20  20  70  70", "=18  18  71  51");
        text = ReplaceFirst(text, "save as bin file=none", "save as bin file=dx.flt");
        text = ReplaceFirst(text, "save as bin file=none", "save as bin file=dy.flt");
        text = ReplaceFirst(text, "dy(0=not, 1=yes) =0\n???x-direction displace save as bin",
                            "dy(0=not, 1=yes) =1\n???x-direction displace save as bin");
        WriteFileBytes(dir.File("group.cor"), text);
    }
    ProgramRun Correlate(const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"correlate-series", "ref.bmp"};
        args.insert(args.end(), frames.begin(), frames.end());
        args.insert(args.end(), {"--config", "group.cor", "-o", "out"});
        args.insert(args.end(), extra.begin(), extra.end());
        return Cli(dir, args);
    }
};

TEST_F(Series, ShardsRunOneAfterAnotherWriteExactlyTheFilesOfOneRun) {
    const ProgramRun whole = Correlate({});
    ASSERT_EQ(whole.Status, 0) << whole.Err;
    EXPECT_EQ(Lines(whole.Out).size(), 5u) << whole.Out;
    const auto expected = FilesOf(dir.Path() / "out");
    // Five frames, with the x, y and theta-r tables, the report, the two float maps and the
    // correlation map each.
    ASSERT_EQ(expected.size(), 30u);
    EXPECT_TRUE(expected.count("f3_xy.dat") && expected.count("f5_info.inf") && expected.count("f1_dx.flt"));
    EXPECT_GT(expected.at("f2_xy.dat").size(), 500u);

    std::filesystem::remove_all(dir.Path() / "out");
    for (int k = 0; k < 3; ++k) {
        const ProgramRun shard = Correlate({"--shard", std::to_string(k) + "/3"});
        ASSERT_EQ(shard.Status, 0) << shard.Err;
        EXPECT_EQ(Lines(shard.Out).size(), k < 2 ? 2u : 1u) << "frames " << k << ", " << k + 3;
    }
    EXPECT_TRUE(FilesOf(dir.Path() / "out") == expected);

    EXPECT_EQ(Correlate({"--shard", "3/3"}).Status, 2);
    frames.push_back("sub/f1.bmp");
    EXPECT_EQ(Correlate({}).Status, 2) << "two frames named f1 would share their files";
}

TEST_F(Series, AFrameThatFailsIsReportedAndTheOthersStillRun) {
    frames.insert(frames.begin() + 1, "missing.bmp");
    const ProgramRun run = Correlate({});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("missing.bmp"), std::string::npos) << run.Err;
    EXPECT_EQ(FilesOf(dir.Path() / "out").size(), 30u);
}

// Ctrl+C while a large group computes: exit status 130, and not one result file (nor a temporary
// one) is left.
TEST(CorvaneCorrelateInterrupt, CtrlCStopsWithStatus130AndLeavesNoFile) {
    TempDir dir;
    const SpecklePair p = MakeSpecklePair({.Width = 1500, .Height = 1200, .ShiftX = 1.0});
    SaveGreyBmp(dir.File("test0.bmp"), 1500, 1200, p.Initial);
    SaveGreyBmp(dir.File("test2.bmp"), 1500, 1200, p.Deformed);
    GenerateConfigFile(dir.File("run.cor"));
    WriteFileBytes(dir.File("run.cor"), ReplaceFirst(ReadFileBytes(dir.File("run.cor")), "=20  20  70  70",
                                                     "=20  20  1479  1179"));
    const auto before = FilesOf(dir.Path()).size();
    const std::string command = "cd '" + dir.Path().string() +
                                "' && ('" CORVANE_CORRELATE_EXE
                                "' run.cor >/dev/null 2>&1 & pid=$!; sleep 1; kill -INT $pid; wait $pid)";
    const auto start = std::chrono::steady_clock::now();
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 130);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << "it must stop early";
    EXPECT_EQ(FilesOf(dir.Path()).size(), before);
}

} // namespace
} // namespace corvane
