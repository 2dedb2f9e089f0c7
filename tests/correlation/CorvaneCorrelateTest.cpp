#include "image/TFloatImage.h"
#include "support/DisplacementTables.h"
#include "support/SpeckleImages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <tuple>
#include <vector>

namespace corvane {
namespace {

using namespace test;

/// A generated default file in dir/job, with the default pictures test0.bmp and test2.bmp beside
/// it: a 100 x 100 speckle pair whose deformed picture is moved by (2, 1).
struct CorvaneCorrelateProgramTest : ::testing::Test {
    TempDir dir;
    std::string group, out, err; // the group lines of the generated file; the last run's output

    /// Runs the built corvane-correlate in dir, as a user would from a shell; returns its exit status.
    int Run(const std::string& arguments) {
        const std::string command = "cd '" + dir.Path().string() + "' && '" CORVANE_CORRELATE_EXE "' " +
                                    arguments + " >'" + dir.File("out.txt") + "' 2>'" + dir.File("err.txt") +
                                    "'";
        const int raw = std::system(command.c_str());
        out = ReadFileBytes(dir.File("out.txt")), err = ReadFileBytes(dir.File("err.txt"));
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    void SetUp() override {
        std::filesystem::create_directories(dir.Path() / "job");
        ASSERT_EQ(Run("--generate job/run.cor"), 0);
        const SpecklePair pair = MakeSpecklePair({.Width = 100, .Height = 100, .ShiftX = 2.0, .ShiftY = 1.0});
        SaveGreyBmp(dir.File("job/test0.bmp"), 100, 100, pair.Initial);
        SaveGreyBmp(dir.File("job/test2.bmp"), 100, 100, pair.Deformed);
        group = ReadFileBytes(dir.File("job/run.cor"));
        group.erase(0, group.find('\n') + 1);
    }
};

TEST_F(CorvaneCorrelateProgramTest, GroupsOfTheDefaultFileRunInFileOrderAndWriteTablesReportAndMaps) {
    // The user asks for the grey pictures and float maps in the first group and adds a fast group.
    std::string normal = group;
    for (const char* name : {"gx.bmp", "gy.bmp", "dx.flt", "dy.flt"})
        normal = ReplaceFirst(normal, "file=none", std::string("file=") + name);
    for (int k = 0; k < 2; ++k)
        normal = ReplaceFirst(normal, "dy(0=not, 1=yes) =0", "dy(0=not, 1=yes) =1");
    const std::string fast = ReplaceFirst(
        ReplaceFirst(ReplaceFirst(group, "yes) =0\nChange", "yes) =1\nChange"), "=xy.dat", "=fast.dat"),
        "=info.inf", "=fast.inf");
    WriteFileBytes(dir.File("job/run.cor"), "HowManyGroup =2\n" + normal + fast);
    ASSERT_EQ(Run("job/run.cor"), 0) << err;
    const auto second = out.find("\nGroup 2 of 2 done in ");
    EXPECT_EQ(out.rfind("Group 1 of 2 done in ", 0), 0u) << out;
    ASSERT_NE(second, std::string::npos) << out;
    EXPECT_NE(out.find(" (fast): 4 of 4 points computed\n", second), std::string::npos) << out;

    // The normal run at the grid points the 3 x 3 median leaves of the field 20 ... 70 (9 x 9) with
    // the shift (2, 1) and the y axis turned up, the fast run at its four seeds.
    const std::vector<TableRecord> xy = ReadDisplacementTable(dir.File("job/xy.dat"));
    ASSERT_EQ(xy.size(), 81u);
    EXPECT_EQ(xy.front(), (TableRecord{25, 100 - 25, 2, 1}));
    EXPECT_EQ(ReadDisplacementTable(dir.File("job/fast.dat")).size(), 4u);
    const std::string report = ReadFileBytes(dir.File("job/info.inf"));
    EXPECT_NE(report.find(" \n Initial Image File: job/test0.bmp "), std::string::npos);
    EXPECT_NE(report.find("The average seed displacement is ( 2.000 ,  1.000 )"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.File("job/gx.bmp")).substr(0, 2) +
                  ReadFileBytes(dir.File("job/gy.bmp")).substr(0, 2),
              "BMBM");
    for (const auto& [name, shift] : {std::pair{"job/dx.flt", 2.0f}, {"job/dy.flt", 1.0f}}) {
        ASSERT_EQ(ReadFileBytes(dir.File(name)).size(), 30u + 4u * 100u * 100u) << name;
        const TFloatImage map(dir.File(name));
        EXPECT_EQ(std::vector<float>({map.GetPixel(45, 45), map.GetPixel(68, 45), map.GetPixel(69, 45),
                                      map.GetPixel(20, 45)}),
                  std::vector<float>({shift, shift, 1000.0f, 1000.0f}))
            << name << ": filtered up to x < 70 - 1";
    }
}

TEST_F(CorvaneCorrelateProgramTest, AFailingGroupIsReportedOnStandardErrorAndEndsTheRun) {
    WriteFileBytes(dir.File("job/two.cor"), "HowManyGroup =2\n" +
                                                ReplaceFirst(group, "=test2.bmp", "=absent.bmp") +
                                                ReplaceFirst(group, "=xy.dat", "=xy2.dat"));
    EXPECT_EQ(Run("job/two.cor"), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err.rfind("corvane-correlate: group 1: ", 0), 0u) << err;
    EXPECT_NE(err.find("absent.bmp"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("job/xy2.dat")));
    EXPECT_EQ(Run("absent.cor"), 1);
    EXPECT_NE(err.find("Read CorRelation Config file ERROR!!!"), std::string::npos) << err;
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(out.find("--generate FILE.cor"), std::string::npos);
    EXPECT_EQ(Run(""), 2);
}

TEST_F(CorvaneCorrelateProgramTest, RefineTurnsTheRefinementOnForEveryGroupBeforeOrAfterTheFileName) {
    for (const char* arguments : {"--refine job/run.cor", "job/run.cor --refine"}) {
        std::filesystem::remove(dir.File("job/info.inf"));
        ASSERT_EQ(Run(arguments), 0) << err;
        const std::string report = ReadFileBytes(dir.File("job/info.inf"));
        EXPECT_NE(report.find("Sub-pixel Refinement: inverse-compositional Gauss-Newton"), std::string::npos)
            << arguments;
    }
    // The file itself is not changed; without the option the run is not refined.
    EXPECT_EQ(ReadFileBytes(dir.File("job/run.cor")).find("Subpixel"), std::string::npos);
    ASSERT_EQ(Run("job/run.cor"), 0) << err;
    EXPECT_EQ(ReadFileBytes(dir.File("job/info.inf")).find("Sub-pixel"), std::string::npos);
    EXPECT_EQ(Run("--refine"), 2);
    EXPECT_EQ(Run("--refine --generate x.cor"), 2);
}

} // namespace
} // namespace corvane
