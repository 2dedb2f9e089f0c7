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
using test::ReplaceFirst;
using test::TempDir;
using Record = test::TableRecord;

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

/// A generated default file in dir/job, with the default pictures test0.bmp and test2.bmp beside
/// it: a 100 x 100 speckle pair whose deformed picture is moved by (2, 1). Returns the group lines.
std::string GenerateJob(const TempDir& dir) {
    std::filesystem::create_directories(dir.Path() / "job");
    EXPECT_EQ(RunProgram(dir, "--generate job/run.cor").status, 0);
    const test::SpecklePair pair =
        test::MakeSpecklePair({.Width = 100, .Height = 100, .ShiftX = 2.0, .ShiftY = 1.0});
    test::SaveGreyBmp(dir.File("job/test0.bmp"), 100, 100, pair.Initial);
    test::SaveGreyBmp(dir.File("job/test2.bmp"), 100, 100, pair.Deformed);
    const std::string text = ReadFileBytes(dir.File("job/run.cor"));
    return text.substr(text.find('\n') + 1);
}

/// Every record holds the shift (2, 1), at a grid point of the field with the y axis turned up
/// (normal run) or at one of the four seeds (fast run).
void ExpectRigidShift(const std::vector<Record>& xy, bool atSeeds) {
    for (const Record& r : xy) {
        const int x = static_cast<int>(r[0]), y = 100 - static_cast<int>(r[1]);
        EXPECT_TRUE(r[2] == 2.0 && r[3] == 1.0) << x << " " << y;
        if (atSeeds)
            EXPECT_TRUE((x == 32 || x == 56) && (y == 32 || y == 56)) << x << " " << y;
        else
            EXPECT_TRUE(x % 5 == 0 && y % 5 == 0 && x >= 25 && x <= 65 && y >= 25 && y <= 65)
                << x << " " << y;
    }
}

TEST(CorvaneCorrelateProgramTest, GroupsOfTheDefaultFileRunInFileOrderAndWriteTablesReportAndMaps) {
    TempDir dir;
    const std::string group = GenerateJob(dir);
    // The user asks for the grey pictures and float maps in the first group and adds a fast group.
    std::string normal = group;
    for (const char* name : {"gx.bmp", "gy.bmp", "dx.flt", "dy.flt"})
        normal = ReplaceFirst(normal, "file=none", std::string("file=") + name);
    for (int k = 0; k < 2; ++k)
        normal = ReplaceFirst(normal, "dy(0=not, 1=yes) =0", "dy(0=not, 1=yes) =1");
    const std::string fast = ReplaceFirst(
        ReplaceFirst(ReplaceFirst(group, "yes) =0\nChange", "yes) =1\nChange"), "=xy.dat", "=fast.dat"),
        "=info.inf", "=fast.inf");
    test::WriteFileBytes(dir.File("job/run.cor"), "HowManyGroup =2\n" + normal + fast);
    const Outcome run = RunProgram(dir, "job/run.cor");
    ASSERT_EQ(run.status, 0) << run.err;
    const auto second = run.out.find("\nGroup 2 of 2 done in ");
    EXPECT_EQ(run.out.rfind("Group 1 of 2 done in ", 0), 0u) << run.out;
    ASSERT_NE(second, std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" (fast): 4 of 4 points computed\n", second), std::string::npos) << run.out;

    // The 3 x 3 median marks the outer rows and columns of the field 20 ... 70: 9 x 9 grid points.
    const std::vector<Record> xy = test::ReadDisplacementTable(dir.File("job/xy.dat"));
    EXPECT_EQ(xy.size(), 81u);
    ExpectRigidShift(xy, false);
    const std::vector<Record> seeds = test::ReadDisplacementTable(dir.File("job/fast.dat"));
    EXPECT_EQ(seeds.size(), 4u);
    ExpectRigidShift(seeds, true);
    const std::string report = ReadFileBytes(dir.File("job/info.inf"));
    EXPECT_NE(report.find(" \n Initial Image File: job/test0.bmp "), std::string::npos);
    EXPECT_NE(report.find("The average seed displacement is ( 2.000 ,  1.000 )"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.File("job/gx.bmp")).substr(0, 2) +
                  ReadFileBytes(dir.File("job/gy.bmp")).substr(0, 2),
              "BMBM");
    for (const auto& [name, shift] : {std::pair{"job/dx.flt", 2.0f}, std::pair{"job/dy.flt", 1.0f}}) {
        const std::string bytes = ReadFileBytes(dir.File(name));
        ASSERT_EQ(bytes.size(), 30u + 4u * 100u * 100u) << name;
        auto value = [&](int x, int y) {
            float v;
            std::memcpy(&v, bytes.data() + 30 + 4 * (y * 100 + x), 4);
            return v;
        };
        EXPECT_EQ(std::vector<float>({value(45, 45), value(68, 45), value(69, 45), value(20, 45)}),
                  std::vector<float>({shift, shift, 1000.0f, 1000.0f}))
            << name << ": filtered up to x < 70 - 1";
    }
}

TEST(CorvaneCorrelateProgramTest, AFailingGroupIsReportedOnStandardErrorAndEndsTheRun) {
    TempDir dir;
    const std::string group = GenerateJob(dir);
    test::WriteFileBytes(dir.File("job/two.cor"), "HowManyGroup =2\n" +
                                                      ReplaceFirst(group, "=test2.bmp", "=absent.bmp") +
                                                      ReplaceFirst(group, "=xy.dat", "=xy2.dat"));
    const Outcome failed = RunProgram(dir, "job/two.cor");
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, "");
    EXPECT_EQ(failed.err.rfind("corvane-correlate: group 1: ", 0), 0u) << failed.err;
    EXPECT_NE(failed.err.find("absent.bmp"), std::string::npos) << failed.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("job/xy2.dat")));

    const Outcome missing = RunProgram(dir, "absent.cor");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Read CorRelation Config file ERROR!!!"), std::string::npos) << missing.err;
    EXPECT_NE(RunProgram(dir, "--help").out.find("--generate FILE.cor"), std::string::npos);
    EXPECT_EQ(RunProgram(dir, "").status, 2);
}

} // namespace
} // namespace corvane
