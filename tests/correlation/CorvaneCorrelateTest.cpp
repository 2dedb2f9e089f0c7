#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationJob.h"

#include "support/DisplacementTables.h"
#include "support/SpeckleImages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace corvane {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;
using test::ReplaceFirst;
using Record = test::TableRecord;
const auto Records = test::ReadDisplacementTable;

/// The default pictures test0.bmp and test2.bmp in folder: a speckle pair of 100 x 100 pixels
/// whose deformed picture is moved by (2, 1).
void WriteSpecklePair(const std::filesystem::path& folder) {
    test::SpeckleOptions o;
    o.Width = o.Height = 100;
    o.ShiftX = 2.0, o.ShiftY = 1.0;
    const test::SpecklePair pair = test::MakeSpecklePair(o);
    test::SaveGreyBmp((folder / "test0.bmp").string(), 100, 100, pair.Initial);
    test::SaveGreyBmp((folder / "test2.bmp").string(), 100, 100, pair.Deformed);
}

/// The 28 lines of the default group with output names of its own, its pictures written beside it.
std::string DefaultGroup(const TempDir& dir, const std::string& tag, bool fast) {
    WriteSpecklePair(dir.Path());
    GenerateConfigFile(dir.File("modal.cor"));
    std::string text = ReadFileBytes(dir.File("modal.cor"));
    text = ReplaceFirst(ReplaceFirst(text.substr(text.find('\n') + 1), "=xy.dat", "=xy" + tag + ".dat"), "=info.inf",
                   "=info" + tag + ".inf");
    return fast ? ReplaceFirst(text, "yes) =0\nChange", "yes) =1\nChange") : text;
}

/// Every record holds the shift (2, 1), at a grid point of the field with the y axis turned up
/// (normal run) or at one of the four seeds (fast run).
void ExpectRigidShift(const std::vector<Record>& xy, bool atSeeds = false) {
    for (const Record& r : xy) {
        const int x = static_cast<int>(r[0]), y = 100 - static_cast<int>(r[1]);
        EXPECT_EQ(r[2], 2.0);
        EXPECT_EQ(r[3], 1.0);
        if (atSeeds)
            EXPECT_TRUE((x == 32 || x == 56) && (y == 32 || y == 56)) << x << " " << y;
        else
            EXPECT_TRUE(x % 5 == 0 && y % 5 == 0 && x >= 20 && x <= 70 && y >= 20 && y <= 70)
                << x << " " << y;
    }
}

TEST(CorvaneCorrelateJobTest, EveryGroupOfAFileRunsInFileOrder) {
    TempDir dir;
    WriteFileBytes(dir.File("three.cor"), "HowManyGroup =3\n" + DefaultGroup(dir, "1", false) +
                                              DefaultGroup(dir, "2", true) + DefaultGroup(dir, "3", false));
    std::vector<CorRelationGroupReport> reports;
    std::vector<int> started;
    auto done = [&](const CorRelationGroupReport& r) { reports.push_back(r); };
    EXPECT_EQ(RunConfigFile(dir.File("three.cor"), done, [&](int group, int) { started.push_back(group); }),
              3);
    EXPECT_EQ(started, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(reports.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(reports[k].Group, k + 1);
        EXPECT_EQ(reports[k].Groups, 3);
        EXPECT_EQ(reports[k].Fast, k == 1);
    }
    EXPECT_EQ(reports[1].PointsComputed, 4);
    EXPECT_GT(reports[2].PointsComputed, 2500);
    const std::vector<Record> fast = Records(dir.File("xy2.dat"));
    EXPECT_EQ(fast.size(), 4u);
    ExpectRigidShift(fast, true);
    for (const char* name : {"xy1.dat", "xy3.dat"}) {
        const std::vector<Record> xy = Records(dir.File(name));
        EXPECT_EQ(xy.size(), 81u); // the 3 x 3 median marks the outer rows and columns of the field
        ExpectRigidShift(xy);
    }
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

/// Runs the built corvane-correlate in folder, as a user would from a shell.
Outcome RunProgram(const TempDir& dir, const std::string& arguments) {
    const std::string command = "cd '" + dir.Path().string() + "' && '" CORVANE_CORRELATE_EXE "' " +
                                arguments + " >'" + dir.File("out.txt") + "' 2>'" + dir.File("err.txt") + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(dir.File("out.txt")),
            ReadFileBytes(dir.File("err.txt"))};
}

TEST(CorvaneCorrelateProgramTest, DefaultFileRunsOnTwoPicturesAndWritesTablesReportAndMaps) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "job");
    ASSERT_EQ(RunProgram(dir, "--generate job/run.cor").status, 0);
    WriteSpecklePair(dir.Path() / "job");
    // The user edits the default file to ask for the float maps too.
    WriteFileBytes(dir.File("job/run.cor"),
                   ReplaceFirst(ReadFileBytes(dir.File("job/run.cor")),
                           "dy(0=not, 1=yes) =0\n???x-direction displace save as bin file=none\n"
                           "???y-direction displace save as bin file=none",
                           "dy(0=not, 1=yes) =1\n???x-direction displace save as bin file=dx.flt\n"
                           "???y-direction displace save as bin file=dy.flt"));
    const Outcome run = RunProgram(dir, "job/run.cor");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Group 1 of 1 done in ", 0), 0u) << run.out;
    const std::vector<Record> xy = Records(dir.File("job/xy.dat"));
    EXPECT_EQ(xy.size(), 81u);
    ExpectRigidShift(xy);
    EXPECT_EQ(Records(dir.File("job/thetar.dat")).size(), 81u);
    const std::string report = ReadFileBytes(dir.File("job/info.inf"));
    EXPECT_NE(report.find(" \n Initial Image File: job/test0.bmp "), std::string::npos);
    EXPECT_NE(report.find("The average seed displacement is ( 2.000 ,  1.000 )"), std::string::npos);
    for (const auto& [name, shift] : {std::pair{"job/dx.flt", 2.0f}, std::pair{"job/dy.flt", 1.0f}}) {
        const std::string bytes = ReadFileBytes(dir.File(name));
        ASSERT_EQ(bytes.size(), 30u + 4u * 100u * 100u) << name;
        auto value = [&](std::size_t offset) {
            float v;
            std::memcpy(&v, bytes.data() + offset, 4);
            return v;
        };
        EXPECT_EQ(value(8) * value(12) * value(16), 1.0f); // scales of the default file
        EXPECT_EQ(value(30 + 4 * (45 * 100 + 45)), shift);
        EXPECT_EQ(value(30 + 4 * (45 * 100 + 20)), 1000.0f); // field border left out by the median
    }
}

TEST(CorvaneCorrelateProgramTest, AFailingGroupIsReportedOnStandardErrorAndEndsTheRun) {
    TempDir dir;
    WriteFileBytes(dir.File("two.cor"),
                   "HowManyGroup =2\n" + ReplaceFirst(DefaultGroup(dir, "1", true), "=test2.bmp", "=absent.bmp") +
                       DefaultGroup(dir, "2", true));
    const Outcome failed = RunProgram(dir, "two.cor");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err.rfind("corvane-correlate: group 1: ", 0), 0u) << failed.err;
    EXPECT_NE(failed.err.find("absent.bmp"), std::string::npos) << failed.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("xy2.dat")));

    const Outcome missing = RunProgram(dir, "absent.cor");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Read CorRelation Config file ERROR!!!"), std::string::npos) << missing.err;
    EXPECT_NE(RunProgram(dir, "--help").out.find("--generate FILE.cor"), std::string::npos);
    EXPECT_EQ(RunProgram(dir, "").status, 2);
}

} // namespace
} // namespace corvane
