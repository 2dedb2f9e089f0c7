#include "correlation/CorRelationConfig.h"

#include "image/CorvaneError.h"
#include "support/CommaDecimalLocale.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>

namespace corvane {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CorvaneError& e) {
        return e.what();
    }
    return "(no error)";
}

/// A group with a distinct value in every field and bare file names.
TCorRelationPara DistinctGroup(int tag) {
    TCorRelationPara p;
    const std::string t = std::to_string(tag);
    p.InitialFile = "init" + t + ".bmp";
    p.DeformedFile = "def" + t + ".bmp";
    p.XYFile = "xy" + t + ".dat";
    p.ThetaRFile = "tr" + t + ".dat";
    p.MaskFile = "mask" + t + ".bmp";
    p.GrayXFile = "gx" + t + ".bmp";
    p.GrayYFile = "gy" + t + ".bmp";
    p.BinXFile = "bx" + t + ".flt";
    p.BinYFile = "by" + t + ".flt";
    p.InfoFile = "info" + t + ".inf";
    p.WinMoveX = 41 + tag, p.WinMoveY = 43;
    p.LargeWinX = 17, p.LargeWinY = 19;
    p.SearchWinX = 11, p.SearchWinY = 9;
    p.SeedNumX = 3, p.SeedNumY = 4;
    p.SeedDispX = -2, p.SeedDispY = 5;
    p.SeedPrecision = 0.125f;
    p.Left = 21, p.Up = 22, p.Right = 80, p.Bottom = 90;
    p.Amplitude = 7.5f;
    p.GridX = 4, p.GridY = 6;
    p.OutLeft = -10, p.OutUp = 12;
    p.ScaleX = 0.25f, p.ScaleY = 2.5f;
    p.FilterType = 1;
    p.FilterSizeX = 5, p.FilterSizeY = 7;
    p.AverageThreshold = 0.75f;
    p.FastCompute = tag % 2;
    p.ChangeYaxis = 1 - tag % 2;
    p.OutputGray = 1;
    p.OutputBin = 0;
    return p;
}

/// The same group with every name prefixed as the reader does.
TCorRelationPara Prefixed(TCorRelationPara p, const std::string& folder) {
    for (std::string* name : {&p.InitialFile, &p.DeformedFile, &p.XYFile, &p.ThetaRFile, &p.InfoFile,
                              &p.MaskFile, &p.GrayXFile, &p.GrayYFile, &p.BinXFile, &p.BinYFile})
        *name = folder + *name;
    return p;
}

/// Text of a file holding the given groups (each written by WriteConfigFile, count line replaced).
std::string ManyGroups(const TempDir& dir, const std::vector<TCorRelationPara>& groups) {
    std::string text = "HowManyGroup =" + std::to_string(groups.size()) + "\n";
    for (const TCorRelationPara& p : groups) {
        WriteConfigFile(dir.File("one.cor"), p);
        std::string one = ReadFileBytes(dir.File("one.cor"));
        text += one.substr(one.find('\n') + 1);
    }
    return text;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(CorRelationConfigTest, DefaultFileReadsBackWithItsValuesAndFolderPrefixedNames) {
    TempDir dir;
    const std::string file = dir.File("modal.cor");
    GenerateConfigFile(file);
    const std::string text = ReadFileBytes(file);
    EXPECT_EQ(text.rfind("HowManyGroup =1\nFastCompute(0=no, 1=yes) =0\n", 0), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 29);

    std::vector<TCorRelationPara> groups = ReadConfigFile(file);
    ASSERT_EQ(groups.size(), 1u);
    const TCorRelationPara& p = groups[0];
    const std::string folder = dir.Path().string() + "/";
    EXPECT_EQ(p.InitialFile, folder + "test0.bmp");
    EXPECT_EQ(p.DeformedFile, folder + "test2.bmp");
    EXPECT_EQ(p.XYFile, folder + "xy.dat");
    EXPECT_EQ(p.ThetaRFile, folder + "thetar.dat");
    EXPECT_EQ(p.InfoFile, folder + "info.inf");
    EXPECT_EQ(p.MaskFile, folder + "mask.bmp");
    EXPECT_EQ(p.GrayXFile, folder + "none");
    EXPECT_EQ(p.BinYFile, folder + "none");
    EXPECT_EQ(p.FastCompute, 0);
    EXPECT_EQ(p.ChangeYaxis, 1);
    EXPECT_EQ(p.OutputGray, 0);
    EXPECT_EQ(p.OutputBin, 0);
    EXPECT_EQ(p.WinMoveX, 33);
    EXPECT_EQ(p.WinMoveY, 33);
    EXPECT_EQ(p.LargeWinX, 15);
    EXPECT_EQ(p.LargeWinY, 15);
    EXPECT_EQ(p.SearchWinX, 13);
    EXPECT_EQ(p.SearchWinY, 13);
    EXPECT_EQ(p.SeedNumX, 2);
    EXPECT_EQ(p.SeedNumY, 2);
    EXPECT_EQ(p.SeedDispX, 0);
    EXPECT_EQ(p.SeedDispY, 0);
    EXPECT_FLOAT_EQ(p.SeedPrecision, 0.1f);
    EXPECT_EQ(p.Left, 20);
    EXPECT_EQ(p.Up, 20);
    EXPECT_EQ(p.Right, 70);
    EXPECT_EQ(p.Bottom, 70);
    EXPECT_FLOAT_EQ(p.Amplitude, 20.0f);
    EXPECT_EQ(p.GridX, 5);
    EXPECT_EQ(p.GridY, 5);
    EXPECT_EQ(p.OutLeft, 0);
    EXPECT_EQ(p.OutUp, 0);
    EXPECT_FLOAT_EQ(p.ScaleX, 1.0f);
    EXPECT_FLOAT_EQ(p.ScaleY, 1.0f);
    EXPECT_EQ(p.FilterType, 2);
    EXPECT_FLOAT_EQ(p.AverageThreshold, 0.5f);
    EXPECT_EQ(p.FilterSizeX, 3);
    EXPECT_EQ(p.FilterSizeY, 3);
}

TEST(CorRelationConfigTest, WrittenGroupReadsBackFieldForFieldWithPrintfNumbers) {
    TempDir dir;
    const TCorRelationPara p = DistinctGroup(2);
    WriteConfigFile(dir.File("g.cor"), p);
    const std::string text = ReadFileBytes(dir.File("g.cor"));
    EXPECT_NE(text.find("\nSeed searching precision =0.125000\n"), std::string::npos);
    EXPECT_NE(text.find("\nDisplacement Amplitude(Limited) =7.500000 \n"), std::string::npos);
    EXPECT_NE(text.find("\nSearching Range Left, Up, Right, Bottom =21 22  80  90\n"), std::string::npos);
    EXPECT_NE(text.find("\n???x-direction displace save as gray file=gx2.bmp\n"), std::string::npos);

    std::vector<TCorRelationPara> back = ReadConfigFile(dir.File("g.cor"));
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0], Prefixed(p, dir.Path().string() + "/"));
}

TEST(CorRelationConfigTest, GroupsComeBackInFileOrder) {
    TempDir dir;
    std::vector<TCorRelationPara> groups = {DistinctGroup(1), DistinctGroup(2), DistinctGroup(3)};
    WriteFileBytes(dir.File("three.cor"), ManyGroups(dir, groups));
    std::vector<TCorRelationPara> back = ReadConfigFile(dir.File("three.cor"));
    ASSERT_EQ(back.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(back[i], Prefixed(groups[i], dir.Path().string() + "/")) << i;
}

TEST(CorRelationConfigTest, WhiteSpaceOfTheFileIsFreeWhereThePatternHasWhiteSpace) {
    TempDir dir;
    GenerateConfigFile(dir.File("plain.cor"));
    const std::string plain = ReadFileBytes(dir.File("plain.cor"));
    const TCorRelationPara expected = ReadConfigFile(dir.File("plain.cor"))[0];

    std::string crlf;
    for (char c : plain) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::string loose = Replace(plain, "Large Window Size x, y =15   15\n", "Large Window Size x, y=\n\n  15\t15\n\n");
    loose = Replace(loose, "Initial File =test0.bmp", "Initial File=   test0.bmp   ");
    loose = Replace(loose, "Seed searching precision =0.1", "Seed searching precision = +0.1");
    for (const std::string& text : {crlf, loose}) {
        WriteFileBytes(dir.File("plain.cor"), text);
        std::vector<TCorRelationPara> back = ReadConfigFile(dir.File("plain.cor"));
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0], expected);
    }
}

TEST(CorRelationConfigTest, TextThatDoesNotMatchIsRefusedNamingItsLine) {
    TempDir dir;
    GenerateConfigFile(dir.File("a.cor"));
    const std::string good = ReadFileBytes(dir.File("a.cor"));
    struct Case {
        std::string from, to, message;
    };
    const std::vector<Case> cases = {
        {"Large Window Size", "Large Windows Size",
         "Read CorRelation Config file ERROR!!! line 17 does not match: Large Window Size x, y ="},
        {"precision =0.1", "precision =fine",
         "Read CorRelation Config file ERROR!!! line 21 does not match: Seed searching precision ="},
        {"=33   33", "=33.5 33", "Read CorRelation Config file ERROR!!! line 16 does not match: WinMoving Range x, y ="},
        {"=2   2\n", "=2   99999999999\n",
         "Read CorRelation Config file ERROR!!! line 19 does not match: Seed Number in x and y direction ="},
        {"HowManyGroup", "howManyGroup", "Read CorRelation Config file ERROR!!! line 1 does not match: HowManyGroup ="},
        {"???Filter size x ,y =3   3\n", "", "Read CorRelation Config file ERROR!!! line 29 does not match: ???Filter size x ,y ="},
    };
    for (const Case& c : cases) {
        WriteFileBytes(dir.File("a.cor"), Replace(good, c.from, c.to));
        EXPECT_EQ(MessageOf([&] { ReadConfigFile(dir.File("a.cor")); }), c.message) << c.to;
    }
}

TEST(CorRelationConfigTest, GroupCountMustFitTheFile) {
    TempDir dir;
    GenerateConfigFile(dir.File("a.cor"));
    const std::string good = ReadFileBytes(dir.File("a.cor"));
    for (const char* count : {"-1", "2", "2000000000"}) {
        WriteFileBytes(dir.File("a.cor"), Replace(good, "HowManyGroup =1", std::string("HowManyGroup =") + count));
        EXPECT_EQ(MessageOf([&] { ReadConfigFile(dir.File("a.cor")); }),
                  std::string("Read CorRelation Config file ERROR!!! HowManyGroup =") + count +
                      " is more groups than the file holds");
    }
    WriteFileBytes(dir.File("a.cor"), "HowManyGroup =0\n");
    EXPECT_TRUE(ReadConfigFile(dir.File("a.cor")).empty());
}

TEST(CorRelationConfigTest, NamesLongerThan255CharactersAndAbsoluteNamesAreKeptWhole) {
    TempDir dir;
    TCorRelationPara p = DistinctGroup(1);
    p.XYFile = std::string(300, 'x') + ".dat";
    p.InitialFile = "/data/speckle/initial.bmp";
    WriteConfigFile(dir.File("long.cor"), p);
    const TCorRelationPara back = ReadConfigFile(dir.File("long.cor"))[0];
    EXPECT_EQ(back.XYFile, dir.Path().string() + "/" + p.XYFile);
    EXPECT_EQ(back.InitialFile, "/data/speckle/initial.bmp");
    EXPECT_EQ(back.ThetaRFile, dir.Path().string() + "/tr1.dat");
}

TEST(CorRelationConfigTest, FileWithoutFolderKeepsNamesRelativeToTheWorkingFolder) {
    TempDir dir;
    GenerateConfigFile(dir.File("here.cor"));
    const std::string before = std::filesystem::current_path().string();
    ASSERT_EQ(::chdir(dir.Path().c_str()), 0);
    std::vector<TCorRelationPara> groups;
    EXPECT_NO_THROW(groups = ReadConfigFile("here.cor"));
    ASSERT_EQ(::chdir(before.c_str()), 0);
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].XYFile, "xy.dat");
}

TEST(CorRelationConfigTest, FilesThatCannotBeOpenedGiveTheirMessages) {
    TempDir dir;
    const std::string nowhere = dir.File("missing/folder/a.cor");
    EXPECT_EQ(MessageOf([&] { ReadConfigFile(dir.File("absent.cor")); }), "Read CorRelation Config file ERROR!!!");
    EXPECT_EQ(MessageOf([&] { WriteConfigFile(nowhere, DistinctGroup(1)); }), "write CorRelation Config file ERROR!!!");
    EXPECT_EQ(MessageOf([&] { GenerateConfigFile(nowhere); }), "Generate CorRelation Config file ERROR!!!");
}

TEST(CorRelationConfigTest, NumbersAreWrittenAndReadWithAPointUnderACommaLocale) {
    TempDir dir;
    const TCorRelationPara p = DistinctGroup(3);
    {
        test::CommaDecimalLocale comma;
        if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
        WriteConfigFile(dir.File("c.cor"), p);
        const std::string text = ReadFileBytes(dir.File("c.cor"));
        EXPECT_NE(text.find("Scale x, y =0.250000  2.500000\n"), std::string::npos);
        const TCorRelationPara back = ReadConfigFile(dir.File("c.cor"))[0];
        EXPECT_FLOAT_EQ(back.ScaleY, 2.5f);
        EXPECT_FLOAT_EQ(back.AverageThreshold, 0.75f);
    }
}

} // namespace
} // namespace corvane
