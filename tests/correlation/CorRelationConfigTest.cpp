#include "correlation/CorRelationConfig.h"

#include "support/DisplacementTables.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

namespace corvane {
namespace {

using namespace test;

/// A group with distinct values and bare names, and the names as the reader gives them back.
TCorRelationPara Distinct(int tag, const std::string& folder = "") {
    const std::string t = std::to_string(tag), f = folder;
    // clang-format off
    return {f + "i" + t + ".bmp", f + "d" + t + ".bmp", f + "xy" + t, f + "tr" + t, f + "m" + t, f + "gx" + t,
            f + "gy" + t, f + "bx" + t, f + "by" + t, f + "info" + t,
            41 + tag, 43, 17, 19, 11, 9, 3, 4, -2, 5, 0.125f, 21, 22, 80, 90, 7.5f, 4, 6, -10, 12, 0.25f, 2.5f,
            1, 5, 7, 0.75f, tag % 2, 1 - tag % 2, 1, 0};
    // clang-format on
}

/// A folder holding the default file a.cor, whose text is kept in good.
struct CorRelationConfigTest : ::testing::Test {
    TempDir dir;
    const std::string f = dir.Path().string() + "/", name = dir.File("a.cor");
    const std::string good = (GenerateConfigFile(name), ReadFileBytes(name));
};

TEST_F(CorRelationConfigTest, DefaultFileReadsBackWithItsValuesAndNamesAfterTheFilesFolder) {
    EXPECT_EQ(std::count(good.begin(), good.end(), '\n'), 29);
    // clang-format off
    TCorRelationPara expected{f + "test0.bmp", f + "test2.bmp", f + "xy.dat", f + "thetar.dat", f + "mask.bmp",
                              f + "none", f + "none", f + "none", f + "none", f + "info.inf",
                              33, 33, 15, 15, 13, 13, 2, 2, 0, 0, 0.1f, 20, 20, 70, 70, 20.0f, 5, 5, 0, 0,
                              1.0f, 1.0f, 2, 3, 3, 0.5f, 0, 1, 0, 0};
    // clang-format on
    EXPECT_EQ(ReadConfigFile(name), std::vector<TCorRelationPara>{expected});
    // A file named without a folder keeps its names relative to the working folder (not the root).
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    const std::string bare = ReadConfigFile("a.cor").at(0).XYFile;
    std::filesystem::current_path(before);
    EXPECT_EQ(bare, "xy.dat");
}

TEST_F(CorRelationConfigTest, WrittenGroupsReadBackInFileOrderWithTheFolderBeforeEveryName) {
    std::vector<TCorRelationPara> groups = {Distinct(1), Distinct(2), Distinct(3)};
    groups[1].XYFile = std::string(300, 'x') + ".dat"; // longer than the old 255-character buffer
    groups[2].InitialFile = "/data/initial.bmp";
    std::string text = "HowManyGroup =3\n";
    for (const TCorRelationPara& p : groups) {
        WriteConfigFile(dir.File("one.cor"), p);
        const std::string one = ReadFileBytes(dir.File("one.cor"));
        EXPECT_EQ(one.rfind("HowManyGroup =1\nFastCompute(0=no, 1=yes) =", 0), 0u);
        EXPECT_NE(one.find("\nDisplacement Amplitude(Limited) =7.500000 \n"), std::string::npos);
        EXPECT_NE(one.find("\nSeed searching precision =0.125000\n"), std::string::npos);
        text += one.substr(one.find('\n') + 1);
    }
    WriteFileBytes(dir.File("three.cor"), text);
    std::vector<TCorRelationPara> expected = {Distinct(1, f), Distinct(2, f), Distinct(3, f)};
    expected[1].XYFile = f + groups[1].XYFile;
    expected[2].InitialFile = f + "/data/initial.bmp"; // absolute names too
    EXPECT_EQ(ReadConfigFile(dir.File("three.cor")), expected);
}

TEST_F(CorRelationConfigTest, WhiteSpaceOfTheFileIsFreeWhereThePatternHasWhiteSpace) {
    const std::vector<TCorRelationPara> expected = ReadConfigFile(name);
    std::string crlf;
    for (char c : good)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string loose =
        ReplaceFirst(good, "Large Window Size x, y =15   15\n", "Large Window Size x, y=\n\n 15\t15\n\n");
    loose = ReplaceFirst(loose, "Initial File =test0.bmp", "Initial File=   test0.bmp   ");
    loose = ReplaceFirst(loose, "precision =0.1", "precision = +0.1");
    for (const std::string& text : {crlf, loose}) {
        WriteFileBytes(name, text);
        EXPECT_EQ(ReadConfigFile(name), expected);
    }
}

TEST_F(CorRelationConfigTest, FilesThatCannotBeReadOrWrittenAreRefusedWithTheirMessages) {
    const std::string read = "Read CorRelation Config file ERROR!!!";
    const std::vector<std::array<std::string, 3>> cases = {
        {"Large Window", "Large Windows", read + " line 17 does not match: Large Window Size x, y ="},
        {"precision =0.1", "precision =fine", read + " line 21 does not match: Seed searching precision ="},
        {"=2   2\n", "=2 99999999999\n",
         read + " line 19 does not match: Seed Number in x and y direction ="},
        {"???Filter size x ,y =3   3\n", "", read + " line 29 does not match: ???Filter size x ,y ="},
        {"Group =1", "Group =-1", read + " HowManyGroup =-1 is not a number of groups"},
        {"Group =1", "Group =2000000000",
         read + " HowManyGroup =2000000000 is more groups than the file holds"},
    };
    for (const auto& [from, to, message] : cases) {
        WriteFileBytes(name, ReplaceFirst(good, from, to));
        EXPECT_EQ(ErrorText([&] { ReadConfigFile(name); }), message);
    }
    const std::string nowhere = dir.File("no/folder/a.cor");
    EXPECT_EQ(ErrorText([&] { ReadConfigFile(dir.File("absent.cor")); }), read);
    EXPECT_EQ(ErrorText([&] { WriteConfigFile(nowhere, Distinct(1)); }),
              "write CorRelation Config file ERROR!!!");
    EXPECT_EQ(ErrorText([&] { GenerateConfigFile(nowhere); }), "Generate CorRelation Config file ERROR!!!");
}

// The refinement is an optional last line of each group: a group without it reads as no refinement.
TEST_F(CorRelationConfigTest, TheRefinementLineIsReadPerGroup) {
    const std::string group = good.substr(good.find('\n') + 1);
    WriteFileBytes(name, "HowManyGroup =3\n" + group + "Subpixel Refinement(0=none, 1=gauss-newton) =1\n" +
                             group + group + "Subpixel Refinement(0=none,1=gauss-newton)=0");
    std::vector<int> read;
    for (const TCorRelationPara& g : ReadConfigFile(name))
        read.push_back(g.SubpixelRefinement);
    EXPECT_EQ(read, (std::vector<int>{1, 0, 0}));
}

TEST_F(CorRelationConfigTest, NamesWithControlCharactersAreRefusedOnTheirLine) {
    // A NUL first was kept by the reader and cut by the writer, so the file did not read back the same.
    const std::string read = "Read CorRelation Config file ERROR!!!";
    for (const std::string& bad :
         {std::string("\0xy.dat", 7), std::string("xy\x01.dat"), std::string("xy.da\x7F")}) {
        WriteFileBytes(name, ReplaceFirst(good, "=xy.dat", "=" + bad));
        EXPECT_EQ(ErrorText([&] { ReadConfigFile(name); }),
                  read + " line 6 does not match: x and y Displacement File =");
    }
    WriteFileBytes(name, ReplaceFirst(good, "=xy.dat", "=\xC3\xA9t\xC3\xA9.dat")); // other bytes are names
    EXPECT_EQ(ReadConfigFile(name).at(0).XYFile, f + "\xC3\xA9t\xC3\xA9.dat");
}

} // namespace
} // namespace corvane
