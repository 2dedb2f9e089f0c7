#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationJob.h"

#include "image/CorvaneError.h"
#include "support/SpecklePicture.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
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

using Record = std::array<double, 4>;

std::vector<Record> Records(const std::string& text) {
    std::vector<Record> records;
    const char* at = text.c_str();
    Record r{};
    int used = 0;
    while (std::sscanf(at, "%lf %lf %lf %lf%n", &r[0], &r[1], &r[2], &r[3], &used) == 4) {
        records.push_back(r);
        at += used;
    }
    return records;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

/// The body (28 lines) of the default group with its own output names.
std::string DefaultGroupBody(const TempDir& dir, int tag, bool fast) {
    GenerateConfigFile(dir.File("modal.cor"));
    std::string text = ReadFileBytes(dir.File("modal.cor"));
    text = text.substr(text.find('\n') + 1);
    const std::string t = std::to_string(tag);
    text = Replace(text, "=xy.dat", "=xy" + t + ".dat");
    text = Replace(text, "=thetar.dat", "=thetar" + t + ".dat");
    text = Replace(text, "=info.inf", "=info" + t + ".inf");
    if (fast) text = Replace(text, "FastCompute(0=no, 1=yes) =0", "FastCompute(0=no, 1=yes) =1");
    return text;
}

/// A speckle pair of 100 x 100 pixels, the deformed one moved by (2, 1), under the default names.
void WritePictures(const TempDir& dir) {
    test::WriteSpeckleBmp(dir.File("test0.bmp"), 100, 100, 0.0, 0.0);
    test::WriteSpeckleBmp(dir.File("test2.bmp"), 100, 100, 2.0, 1.0);
}

/// Every record holds the shift (2, 1); on the output grid when onGrid, at the seeds otherwise.
void ExpectRigidShift(const std::vector<Record>& xy, double height, bool onGrid = true) {
    for (const Record& r : xy) {
        EXPECT_NEAR(r[2], 2.0, 1e-9) << r[0] << " " << r[1];
        EXPECT_NEAR(r[3], 1.0, 1e-9) << r[0] << " " << r[1];
        const int y = static_cast<int>(height - r[1]); // the y axis points up
        if (!onGrid) {
            EXPECT_TRUE((r[0] == 32 || r[0] == 56) && (y == 32 || y == 56)) << r[0] << " " << y;
            continue;
        }
        EXPECT_EQ(static_cast<int>(r[0]) % 5, 0);
        EXPECT_EQ(y % 5, 0);
        EXPECT_TRUE(r[0] >= 20 && r[0] <= 70 && y >= 20 && y <= 70);
    }
}

TEST(CorvaneCorrelateJobTest, EveryGroupOfAFileRunsInFileOrder) {
    TempDir dir;
    WritePictures(dir);
    WriteFileBytes(dir.File("three.cor"), "HowManyGroup =3\n" + DefaultGroupBody(dir, 1, false) +
                                              DefaultGroupBody(dir, 2, true) + DefaultGroupBody(dir, 3, false));
    std::vector<CorRelationGroupReport> reports;
    EXPECT_EQ(RunConfigFile(dir.File("three.cor"), [&](const CorRelationGroupReport& r) { reports.push_back(r); }),
              3);
    ASSERT_EQ(reports.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(reports[k].Group, k + 1);
        EXPECT_EQ(reports[k].Groups, 3);
        EXPECT_EQ(reports[k].Fast, k == 1);
    }
    EXPECT_EQ(reports[1].AllPoints, 4);
    EXPECT_EQ(reports[1].PointsComputed, 4);
    EXPECT_GT(reports[0].PointsComputed, 2000);

    // The fast group writes its four seeds; the normal ones the grid points kept by the filter.
    const std::vector<Record> fast = Records(ReadFileBytes(dir.File("xy2.dat")));
    ASSERT_EQ(fast.size(), 4u);
    ExpectRigidShift(fast, 100, false);
    for (int k : {1, 3}) {
        const std::vector<Record> xy = Records(ReadFileBytes(dir.File("xy" + std::to_string(k) + ".dat")));
        EXPECT_EQ(xy.size(), 81u); // the 3 x 3 median marks the outer rows and columns of the field
        ExpectRigidShift(xy, 100);
    }
    EXPECT_NE(ReadFileBytes(dir.File("info2.inf")).find("Fast Computing"), std::string::npos);
}

TEST(CorvaneCorrelateJobTest, AFailingGroupEndsTheRunBeforeTheLaterGroups) {
    TempDir dir;
    WritePictures(dir);
    WriteFileBytes(dir.File("three.cor"),
                   "HowManyGroup =3\n" + DefaultGroupBody(dir, 1, true) +
                       Replace(DefaultGroupBody(dir, 2, true), "=test2.bmp", "=absent.bmp") +
                       DefaultGroupBody(dir, 3, true));
    std::vector<int> done;
    try {
        RunConfigFile(dir.File("three.cor"), [&](const CorRelationGroupReport& r) { done.push_back(r.Group); });
        ADD_FAILURE() << "the missing picture was not reported";
    } catch (const CorvaneError& e) {
        EXPECT_NE(std::string(e.what()).find("absent.bmp"), std::string::npos) << e.what();
    }
    EXPECT_EQ(done, std::vector<int>{1});
    EXPECT_TRUE(std::filesystem::exists(dir.File("xy1.dat")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("xy2.dat")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("xy3.dat")));
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

/// Runs the built corvane-correlate with the arguments, in folder.
Outcome RunProgram(const TempDir& dir, const std::string& arguments) {
    const std::string command = "cd '" + dir.Path().string() + "' && '" CORVANE_CORRELATE_EXE "' " + arguments +
                                " >'" + dir.File("stdout.txt") + "' 2>'" + dir.File("stderr.txt") + "'";
    const int raw = std::system(command.c_str());
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    o.out = ReadFileBytes(dir.File("stdout.txt"));
    o.err = ReadFileBytes(dir.File("stderr.txt"));
    return o;
}

TEST(CorvaneCorrelateProgramTest, DefaultFileRunsOnTwoPicturesAndWritesTablesReportAndMaps) {
    TempDir dir;
    std::filesystem::create_directories(dir.Path() / "job");
    Outcome made = RunProgram(dir, "--generate job/run.cor");
    ASSERT_EQ(made.status, 0) << made.err;
    test::WriteSpeckleBmp(dir.File("job/test0.bmp"), 100, 100, 0.0, 0.0);
    test::WriteSpeckleBmp(dir.File("job/test2.bmp"), 100, 100, 2.0, 1.0);
    // The user edits the default file to ask for the float maps too.
    std::string text = ReadFileBytes(dir.File("job/run.cor"));
    text = Replace(text, "(0=not, 1=yes) =0\n???x-direction displace save as bin file=none\n"
                         "???y-direction displace save as bin file=none",
                   "(0=not, 1=yes) =1\n???x-direction displace save as bin file=dx.flt\n"
                   "???y-direction displace save as bin file=dy.flt");
    WriteFileBytes(dir.File("job/run.cor"), text);

    Outcome run = RunProgram(dir, "job/run.cor");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("Group 1 of 1 done in ", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("(normal): "), std::string::npos) << run.out;

    const std::vector<Record> xy = Records(ReadFileBytes(dir.File("job/xy.dat")));
    EXPECT_EQ(xy.size(), 81u);
    ExpectRigidShift(xy, 100);
    EXPECT_EQ(Records(ReadFileBytes(dir.File("job/thetar.dat"))).size(), 81u);
    const std::string report = ReadFileBytes(dir.File("job/info.inf"));
    EXPECT_NE(report.find(" Y axis has been changed to up direction\n"), std::string::npos);
    EXPECT_NE(report.find(" \n Initial Image File: job/test0.bmp "), std::string::npos);
    EXPECT_NE(report.find("The average seed displacement is ( 2.000 ,  1.000 )"), std::string::npos);

    for (const char* name : {"job/dx.flt", "job/dy.flt"}) {
        const std::string bytes = ReadFileBytes(dir.File(name));
        ASSERT_EQ(bytes.size(), 30u + 4u * 100u * 100u) << name;
        float scales[3];
        std::memcpy(scales, bytes.data() + 8, sizeof scales);
        EXPECT_EQ(scales[0], 1.0f);
        EXPECT_EQ(scales[2], 1.0f);
        auto value = [&](int x, int y) {
            float v;
            std::memcpy(&v, bytes.data() + 30 + 4 * (static_cast<std::size_t>(y) * 100 + x), 4);
            return v;
        };
        const float expected = std::string(name) == "job/dx.flt" ? 2.0f : 1.0f;
        EXPECT_EQ(value(45, 45), expected);
        EXPECT_EQ(value(0, 0), 1000.0f);   // outside the search field: the marker
        EXPECT_EQ(value(20, 45), 1000.0f); // field border left out by the median
    }
}

TEST(CorvaneCorrelateProgramTest, ErrorsGoToStandardErrorWithAFailingStatus) {
    TempDir dir;
    Outcome missing = RunProgram(dir, "absent.cor");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("Read CorRelation Config file ERROR!!!"), std::string::npos) << missing.err;

    ASSERT_EQ(RunProgram(dir, "--generate run.cor").status, 0);
    Outcome noPictures = RunProgram(dir, "run.cor");
    EXPECT_EQ(noPictures.status, 1);
    EXPECT_NE(noPictures.err.find("group 1: "), std::string::npos) << noPictures.err;
    EXPECT_NE(noPictures.err.find("test0.bmp"), std::string::npos) << noPictures.err;

    Outcome help = RunProgram(dir, "--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--generate FILE.cor"), std::string::npos);
    EXPECT_EQ(RunProgram(dir, "").status, 2);
    EXPECT_EQ(RunProgram(dir, "--generate").status, 2);
}

} // namespace
} // namespace corvane
