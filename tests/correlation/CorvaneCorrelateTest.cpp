#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/wait.h>
#include <tiffio.h>
#include <vector>

#include "correlation/CorRelationConfig.h"
#include "image/PictureSamples.h"
#include "support/CliRun.h"
#include "support/DisplacementTables.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"
#include "support/TiffPngPictures.h"

namespace corvane {
namespace {

using namespace test;

/// A generated default file in dir/job, with the default pictures test0.bmp and test2.bmp beside
/// it: a 100 x 100 speckle pair whose deformed picture is moved by (2, 1).
struct CorvaneCorrelateProgramTest : ::testing::Test {
    TempDir dir;
    std::string group, out, err; // the group lines of the generated file; the last run's output

    /// Runs the built corvane-correlate in dir, as a user would from a shell; returns its exit status.
    int Run(const std::vector<std::string>& arguments) {
        const ProgramRun run = RunProgram(CORVANE_CORRELATE_EXE, arguments, dir.Path());
        out = run.Out, err = run.Err;
        return run.Status;
    }
    void SetUp() override {
        std::filesystem::create_directories(dir.Path() / "job");
        ASSERT_EQ(Run({"--generate", "job/run.cor"}), 0);
        const SpecklePair pair = MakeSpecklePair({.Width = 100, .Height = 100, .ShiftX = 2.0, .ShiftY = 1.0});
        SaveGreyBmp(dir.File("job/test0.bmp"), 100, 100, pair.Initial);
        SaveGreyBmp(dir.File("job/test2.bmp"), 100, 100, pair.Deformed);
        group = ReadFileBytes(dir.File("job/run.cor"));
        group.erase(0, group.find('\n') + 1);
    }
};

TEST_F(CorvaneCorrelateProgramTest, GroupsOfTheDefaultFileRunInFileOrderAndWriteTablesAndReport) {
    // The user adds a fast group after the default one.
    const std::string fast = ReplaceFirst(
        ReplaceFirst(ReplaceFirst(group, "yes) =0\nChange", "yes) =1\nChange"), "=xy.dat", "=fast.dat"),
        "=info.inf", "=fast.inf");
    WriteFileBytes(dir.File("job/run.cor"), "HowManyGroup =2\n" + group + fast);
    ASSERT_EQ(Run({"job/run.cor"}), 0) << err;
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
}

TEST_F(CorvaneCorrelateProgramTest, AFailingGroupEndsTheRunAndRefineReachesEveryGroup) {
    WriteFileBytes(dir.File("job/two.cor"), "HowManyGroup =2\n" +
                                                ReplaceFirst(group, "=test2.bmp", "=absent.bmp") +
                                                ReplaceFirst(group, "=xy.dat", "=xy2.dat"));
    EXPECT_EQ(Run({"job/two.cor"}), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err.rfind("corvane-correlate: group 1: ", 0), 0u) << err;
    EXPECT_NE(err.find("absent.bmp"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("job/xy2.dat")));
    EXPECT_EQ(Run({"absent.cor"}), 1);
    EXPECT_NE(err.find("Read CorRelation Config file ERROR!!!"), std::string::npos) << err;
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.find("--generate FILE.cor"), std::string::npos);
    EXPECT_EQ(Run({}), 2);

    // --refine reaches every group without changing the file; alone it is a wrong command line.
    ASSERT_EQ(Run({"job/run.cor", "--refine"}), 0) << err;
    EXPECT_NE(ReadFileBytes(dir.File("job/info.inf"))
                  .find("Sub-pixel Refinement: inverse-compositional Gauss-Newton"),
              std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.File("job/run.cor")).find("Subpixel"), std::string::npos);
    EXPECT_EQ(Run({"--refine"}), 2);
}

// corvane-cli correlate-series and Ctrl+C in corvane-correlate, run as a user runs them.
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

TEST_F(Series, ShardsRunOneAfterAnotherWriteExactlyTheFilesOfOneRunAndAFailingFrameStopsNoOther) {
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

    // A frame that fails is reported and the others still run.
    frames.insert(frames.begin() + 1, "missing.bmp");
    const ProgramRun run = Correlate({});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("missing.bmp"), std::string::npos) << run.Err;
    EXPECT_TRUE(FilesOf(dir.Path() / "out") == expected);
    frames.push_back("sub/f1.bmp");
    EXPECT_EQ(Correlate({}).Status, 2) << "two frames named f1 would share their files";
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
    const StopAt ctrlC{"group 1: seeds", "INT"}; // in the search, however fast the machine
    const ProgramRun run = RunProgram(CORVANE_CORRELATE_EXE, {"--timings", "run.cor"}, dir.Path(), &ctrlC);
    EXPECT_EQ(run.Status, 130) << run.Err;
    EXPECT_EQ(run.Err.find("group 1: search"), std::string::npos) << run.Err;
    EXPECT_EQ(FilesOf(dir.Path()).size(), before);
}

/// 12-bit samples in a 16-bit container, as many cameras deliver them: the 8-bit speckle grey
/// times 16 plus low bits that vary from pixel to pixel.
SamplePicture TwelveBit(const std::vector<std::uint8_t>& grey, int width, int height) {
    return MakeSamplePicture(width, height, 16, 1, [&](int x, int y, int) {
        return 16 * grey[static_cast<std::size_t>(y * width + x)] + (x * 7 + y * 3) % 16;
    });
}

/// The 8-bit picture the workbench makes of it by the default rule.
std::vector<std::uint8_t> DefaultConversion(const SamplePicture& p) {
    return ToGrayRaster({p.Width, p.Height, 16, p.Samples}, kDefaultSixteenBitScaling).Pixels;
}

TEST(SixteenBitCorrelation,
     ConfigurationFileOfSixteenBitPicturesGivesTheDisplacementsOfTheirEightBitConversion) {
    TempDir dir;
    const int w = 120, h = 90;
    const SpecklePair pair =
        MakeSpecklePair({.Width = w, .Height = h, .ShiftX = 1.5, .ShiftY = -0.75, .StretchX = 0.01});
    const SamplePicture initial = TwelveBit(pair.Initial, w, h);
    const SamplePicture deformed = TwelveBit(pair.Deformed, w, h);
    WriteTiffPicture(dir.File("i16.tif"), initial, {.Compression = COMPRESSION_LZW, .RowsPerStrip = 16});
    WritePngPicture(dir.File("d16.png"), deformed);
    SaveGreyBmp(dir.File("i8.bmp"), w, h, DefaultConversion(initial));
    SaveGreyBmp(dir.File("d8.bmp"), w, h, DefaultConversion(deformed));

    const ProgramRun generated = RunProgram(CORVANE_CORRELATE_EXE, {"--generate", "run.cor"}, dir.Path());
    ASSERT_EQ(generated.Status, 0) << generated.Err;
    const std::string config = ReadFileBytes(dir.File("run.cor"));
    auto run = [&](const std::string& initialFile, const std::string& deformedFile,
                   const std::string& table) {
        std::string text = ReplaceFirst(config, "=test0.bmp", "=" + initialFile);
        text = ReplaceFirst(ReplaceFirst(text, "=test2.bmp", "=" + deformedFile), "=xy.dat", "=" + table);
        WriteFileBytes(dir.File(table + ".cor"), text);
        const ProgramRun result = RunProgram(CORVANE_CORRELATE_EXE, {table + ".cor"}, dir.Path());
        EXPECT_EQ(result.Status, 0) << result.Err;
        return ReadDisplacementTable(dir.File(table));
    };
    const std::vector<TableRecord> sixteen = run("i16.tif", "d16.png", "xy16.dat");
    const std::vector<TableRecord> eight = run("i8.bmp", "d8.bmp", "xy8.dat");
    ASSERT_GT(eight.size(), 50u);
    EXPECT_EQ(sixteen, eight);
    // And the field is the one the pair was made with: dx = 1.5 + 0.01 x.
    for (const TableRecord& r : eight)
        EXPECT_NEAR(r[2], 1.5 + 0.01 * r[0], 0.15) << r[0] << " " << r[1];
}

} // namespace
} // namespace corvane
