#include "correlation/CorRelationResults.h"

#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "support/CommaDecimalLocale.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::ReadFileBytes;
using test::TempDir;

constexpr double kPi = 3.14159265358979323846;
using Record = std::array<double, 4>;

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CorvaneError& e) {
        return e.what();
    }
    return "(no error)";
}

/// A finished normal run over a 100 x 90 picture with the default search field and grid, output
/// names in dir, dx = 1.5 and dy = -0.5 everywhere, and a 2 x 2 seed grid.
TCorRelationResult MakeResult(const TempDir& dir) {
    TCorRelationResult r;
    TCorRelationPara& p = r.Para;
    p.InitialFile = dir.File("test0.bmp");
    p.DeformedFile = dir.File("test2.bmp");
    p.XYFile = dir.File("xy.dat");
    p.ThetaRFile = dir.File("thetar.dat");
    p.InfoFile = dir.File("info.inf");
    p.MaskFile = dir.File("mask.bmp");
    p.GrayXFile = dir.File("gx.bmp");
    p.GrayYFile = dir.File("gy.bmp");
    p.BinXFile = dir.File("bx.flt");
    p.BinYFile = dir.File("by.flt");
    p.WinMoveX = p.WinMoveY = 33;
    p.LargeWinX = p.LargeWinY = 15;
    p.SearchWinX = p.SearchWinY = 13;
    p.SeedNumX = p.SeedNumY = 2;
    p.SeedPrecision = 0.1f;
    p.Left = p.Up = 20;
    p.Right = p.Bottom = 70;
    p.Amplitude = 20.0f;
    p.GridX = p.GridY = 5;
    p.ScaleX = p.ScaleY = 1.0f;
    p.FilterType = 2;
    p.FilterSizeX = p.FilterSizeY = 3;
    p.AverageThreshold = 0.5f;
    p.ChangeYaxis = 1;
    r.W0 = r.W1 = 100;
    r.H0 = r.H1 = 90;
    r.dx.assign(100 * 90, 1.5f);
    r.dy.assign(100 * 90, -0.5f);
    r.Seeds = {{32, 32, 32, 32, 20, 20, 44, 44}, {57, 32, 57, 32, 45, 20, 70, 44},
               {32, 57, 32, 57, 20, 45, 44, 70}, {57, 57, 57, 57, 45, 45, 70, 70}};
    r.AllPoints = 51 * 51;
    r.SuccessfulPoints = 2000;
    r.NotSearchedPoints = 601;
    r.StartTime = std::time(nullptr);
    return r;
}

void Set(TCorRelationResult& r, int x, int y, float dx, float dy) {
    r.dx[static_cast<std::size_t>(y) * r.W0 + x] = dx;
    r.dy[static_cast<std::size_t>(y) * r.W0 + x] = dy;
}

/// Records of a displacement file; each must be "\n" followed by four numbers and a blank.
std::vector<Record> Records(const std::string& text) {
    std::vector<Record> records;
    EXPECT_TRUE(text.empty() || text.front() == '\n');
    EXPECT_TRUE(text.empty() || text.back() == ' ');
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t next = text.find('\n', at + 1);
        std::string one = text.substr(at, next == std::string::npos ? std::string::npos : next - at);
        Record rec{};
        EXPECT_EQ(std::sscanf(one.c_str(), "%lf %lf %lf %lf", &rec[0], &rec[1], &rec[2], &rec[3]), 4) << one;
        records.push_back(rec);
        at = next == std::string::npos ? text.size() : next;
    }
    return records;
}

bool HasRecordAt(const std::vector<Record>& records, double X, double Y) {
    for (const Record& r : records)
        if (r[0] == X && r[1] == Y) return true;
    return false;
}

void SaveMask(const std::string& file, int w, int h, int x, int y, std::uint8_t level) {
    TGrayImage mask(nullptr, w, h);
    std::memset(mask.Data, 255, static_cast<std::size_t>(w) * h);
    if (x >= 0) mask.Data[static_cast<std::size_t>(y) * w + x] = level;
    mask.SaveBmp(file);
}

/// Checks that the pieces occur in text in this order.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& pieces) {
    std::size_t at = 0;
    for (const std::string& piece : pieces) {
        std::size_t found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: [" << piece << "]";
        at = found + piece.size();
    }
}

TEST(CorRelationResultsTest, GridPointsOfTheSearchFieldAreWrittenRowByRowInBothFiles) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    WriteResults(r, false);
    const std::string xyText = ReadFileBytes(r.Para.XYFile);
    EXPECT_EQ(xyText.rfind("\n   20.000    20.000   1.500  -0.500 \n   25.000    20.000   1.500  -0.500 ", 0), 0u);
    const std::vector<Record> xy = Records(xyText);
    const std::vector<Record> tr = Records(ReadFileBytes(r.Para.ThetaRFile));
    ASSERT_EQ(xy.size(), 121u);
    ASSERT_EQ(tr.size(), 121u);
    for (std::size_t k = 0; k < xy.size(); ++k) {
        EXPECT_EQ(xy[k][0], 20 + 5 * static_cast<int>(k % 11));
        EXPECT_EQ(xy[k][1], 20 + 5 * static_cast<int>(k / 11));
        EXPECT_EQ(tr[k][0], xy[k][0]);
        EXPECT_EQ(tr[k][1], xy[k][1]);
    }
    EXPECT_NEAR(tr[0][2], std::atan2(-0.5, 1.5), 0.0005);
    EXPECT_NEAR(tr[0][3], std::sqrt(1.5 * 1.5 + 0.25), 0.0005);
}

TEST(CorRelationResultsTest, TurnedYAxisChangesYAndThetaButNotTheDyColumn) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.Para.ScaleX = 2.0f;
    r.Para.ScaleY = 0.5f;
    r.Para.OutLeft = 10;
    r.Para.OutUp = 4;
    WriteResults(r, false);
    const std::vector<Record> downXY = Records(ReadFileBytes(r.Para.XYFile));
    const std::vector<Record> downTR = Records(ReadFileBytes(r.Para.ThetaRFile));
    WriteResults(r, true);
    const std::vector<Record> upXY = Records(ReadFileBytes(r.Para.XYFile));
    const std::vector<Record> upTR = Records(ReadFileBytes(r.Para.ThetaRFile));
    ASSERT_EQ(upXY.size(), 121u);
    ASSERT_EQ(downXY.size(), 121u);
    // First point (20, 20): X = (10 + 20) * 2; Y = (4 + 20) * 0.5 down, (90 - (4 + 20)) * 0.5 up.
    EXPECT_EQ(downXY[0], (Record{60.0, 12.0, 3.0, -0.25}));
    EXPECT_EQ(upXY[0], (Record{60.0, 33.0, 3.0, -0.25}));
    for (std::size_t k = 0; k < upXY.size(); ++k) {
        EXPECT_EQ(upXY[k][3], downXY[k][3]);
        EXPECT_EQ(upTR[k][2], -downTR[k][2]);
        EXPECT_EQ(upTR[k][3], downTR[k][3]);
    }
    EXPECT_NEAR(downTR[0][2], std::atan2(-0.25, 3.0), 0.0005);
}

TEST(CorRelationResultsTest, ThetaOfEveryDirectionStaysWithinMinusPiToPi) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.Para.Right = 50;
    r.Para.Bottom = 20;
    r.Para.ScaleX = 2.0f;
    const std::vector<std::array<float, 2>> d = {{0, 0}, {-1, 0}, {0, 2}, {0, -2}, {1, 1}, {-1, -1}, {1, 0}};
    for (std::size_t k = 0; k < d.size(); ++k) Set(r, 20 + 5 * static_cast<int>(k), 20, d[k][0], d[k][1]);
    const double q = std::atan2(1.0, 2.0);
    const std::vector<double> down = {0, kPi, kPi / 2, -kPi / 2, q, q - kPi, 0};
    const std::vector<double> up = {0, kPi, -kPi / 2, kPi / 2, -q, kPi - q, 0};
    const std::vector<double> radius = {0, 2, 2, 2, std::sqrt(5.0), std::sqrt(5.0), 2};
    for (bool changeY : {false, true}) {
        WriteResults(r, changeY);
        const std::string text = ReadFileBytes(r.Para.ThetaRFile);
        EXPECT_EQ(text.find("-0.000"), std::string::npos) << text;
        const std::vector<Record> tr = Records(text);
        ASSERT_EQ(tr.size(), d.size());
        for (std::size_t k = 0; k < d.size(); ++k) {
            EXPECT_NEAR(tr[k][2], (changeY ? up : down)[k], 0.0006) << k << (changeY ? " up" : " down");
            EXPECT_NEAR(tr[k][3], radius[k], 0.0006) << k;
        }
    }
}

TEST(CorRelationResultsTest, PointsFarFromTheSeedMeanOrWithoutResultAreLeftOut) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.Para.Amplitude = 1.0f;
    std::fill(r.dx.begin(), r.dx.end(), 0.25f);
    std::fill(r.dy.begin(), r.dy.end(), 0.5f);
    Set(r, 57, 57, kNotComputed, 9.0f); // a seed without result takes no part in the mean
    Set(r, 20, 20, 1.25f, 0.5f);   // exactly the amplitude away: left out
    Set(r, 25, 20, 1.0f, -0.25f);  // within: written
    Set(r, 30, 20, 0.25f, -0.5f);  // dy exactly the amplitude away: left out
    Set(r, 35, 20, kNotComputed, 0.5f);
    WriteResults(r, false);
    const std::vector<Record> xy = Records(ReadFileBytes(r.Para.XYFile));
    EXPECT_EQ(xy.size(), 121u - 3u);
    EXPECT_FALSE(HasRecordAt(xy, 20, 20));
    EXPECT_TRUE(HasRecordAt(xy, 25, 20));
    EXPECT_FALSE(HasRecordAt(xy, 30, 20));
    EXPECT_FALSE(HasRecordAt(xy, 35, 20));
    EXPECT_NE(ReadFileBytes(r.Para.InfoFile).find(
                  " \n The average seed displacement is ( 0.250 ,  0.500 ),the Amplitude is   1.000 "),
              std::string::npos);
}

TEST(CorRelationResultsTest, WithoutAnySeedResultNoPointIsWritten) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    std::fill(r.dx.begin(), r.dx.end(), 0.0f);
    for (const TCorRelationSeed& s : r.Seeds) Set(r, s.X, s.Y, kNotComputed, 0.0f);
    WriteResults(r, true);
    EXPECT_EQ(ReadFileBytes(r.Para.XYFile), "");
    EXPECT_EQ(ReadFileBytes(r.Para.ThetaRFile), "");
    EXPECT_NE(ReadFileBytes(r.Para.InfoFile).find("is (1000.000 , 1000.000 )"), std::string::npos);
}

TEST(CorRelationResultsTest, MaskLevelBelow255ExcludesAPointAndAMaskOfAnotherSizeIsRefused) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    WriteResults(r, false);
    EXPECT_TRUE(HasRecordAt(Records(ReadFileBytes(r.Para.XYFile)), 25, 30));

    SaveMask(r.Para.MaskFile, 100, 90, 25, 30, 254);
    WriteResults(r, false);
    const std::vector<Record> masked = Records(ReadFileBytes(r.Para.XYFile));
    EXPECT_EQ(masked.size(), 120u);
    EXPECT_FALSE(HasRecordAt(masked, 25, 30));

    SaveMask(r.Para.MaskFile, 50, 90, -1, -1, 255);
    EXPECT_EQ(MessageOf([&] { WriteResults(r, false); }),
              "The mask picture " + r.Para.MaskFile + " is 50 x 90 pixels, not the initial picture's 100 x 90");
}

TEST(CorRelationResultsTest, ReportHoldsEveryLineInOrder) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.Seeds[3] = TCorRelationSeed{}; // removed by trimming
    WriteResults(r, true);
    const std::string normal = ReadFileBytes(r.Para.InfoFile);
    EXPECT_EQ(normal.rfind(" \n  Correlation Computation Information \n  \n     Used time :  0: 0:", 0), 0u);
    ExpectInOrder(normal, {
        "\n  Y axis has been changed to up direction\n",
        " \n Initial Image File: " + r.Para.InitialFile + "  \n    Width: 100   Height: 90 ",
        " \n Deformed Image File: " + r.Para.DeformedFile + "  \n    Width: 100   Height: 90 \n ",
        " \n Whole Image Searching Field: (20,20)-->>(70,70)",
        " \n\n Fine Image step : 0.125   \n Fine step around seed: 0.100000 ",
        " \n Seed Searching Field:  \n       Width: 33   Height: 33   ",
        " \n    Large Window Size:   \n       Width: 15   Height: 15 ",
        " \n    Small Window Size:   \n       Width: 13   Height: 13 ",
        " \n The Displacement (x, y)    file is :  " + r.Para.XYFile +
            "  \n       Format(xy): x  y displacement_x  displacement_y \n",
        " \n The Displacement (theta, r) file is : " + r.Para.ThetaRFile +
            "  \n       Format(r):  x  y displacement_theta(-PI, PI)  displacement_r \n",
        " \n Output Displacement Grid  : Gridx = 5 , Gridy = 5 ",
        " \n Output Displacement Mask File: " + r.Para.MaskFile + " ",
        " \n\n Actual postion of the Image (LeftUp corner) : ( 0, 0 )pixels",
        " \n Output Scale: x:    1.000  y:   1.000 ",
        " \n All searching:2601 Steps,\n     Successful Searching: 2000 Steps \n     Not Searching: 601 ",
        " \n The average seed displacement is ( 1.500 , -0.500 ),the Amplitude is  20.000 ",
        " \n\n There are(is) 4 Seeds in the image:",
        " \n Seed No.1 Initial(32,32)-->> Deformed (32,32) \n    Whole Searching Field:( 20 ,20 ) -->> (44 , 44 ) ",
        " \n Seed No.4 Initial(0,0)-->> Deformed (0,0) \n    Whole Searching Field:( 0 ,0 ) -->> (0 , 0 ) ",
    });
    EXPECT_EQ(normal.substr(normal.size() - 3), " ) "); // no line break at the end

    r.Fast = true;
    WriteFastResults(r, false);
    const std::string fast = ReadFileBytes(r.Para.InfoFile);
    EXPECT_EQ(fast.rfind(" \n  Correlation Computation Information \n \t Fast Computing\n \n     Used time : ", 0), 0u);
    ExpectInOrder(fast, {" Y axis still have the down direction\n", " \n\n Fine Image step : 0.25  ",
                         " \n All searching:2601 Steps,\n     Successful Searching: 0 Steps \n     Not Searching: 0 ",
                         " \n\n There are(is) 4 points(pixels) in the image have been computed:",
                         " \n Seed No.4 Initial(0,0)"});
    EXPECT_EQ(fast.find("Output Displacement Grid"), std::string::npos);
    EXPECT_EQ(fast.find("Output Displacement Mask File"), std::string::npos);
}

TEST(CorRelationResultsTest, UsedTimeIsHoursMinutesSecondsInTwoCharacters) {
    EXPECT_EQ(UsedTimeText(3725), " 1: 2: 5");
    EXPECT_EQ(UsedTimeText(0), " 0: 0: 0");
    EXPECT_EQ(UsedTimeText(36000 + 59 * 60 + 59), "10:59:59");
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.StartTime = std::time(nullptr) - 3725;
    WriteResults(r, false);
    EXPECT_NE(ReadFileBytes(r.Para.InfoFile).find("Used time :  1: 2:"), std::string::npos);
}

TEST(CorRelationResultsTest, FastRunWritesTheKeptSeedsInSeedOrder) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.Fast = true;
    r.Seeds[1] = TCorRelationSeed{};
    Set(r, 0, 0, 1.5f, -0.5f);
    Set(r, 32, 57, 2.0f, 0.0f);
    WriteFastResults(r, true);
    const std::vector<Record> xy = Records(ReadFileBytes(r.Para.XYFile));
    ASSERT_EQ(xy.size(), 3u);
    EXPECT_EQ(xy[0], (Record{32, 90 - 32, 1.5, -0.5}));
    EXPECT_EQ(xy[1], (Record{32, 90 - 57, 2.0, 0.0}));
    EXPECT_EQ(xy[2], (Record{57, 90 - 57, 1.5, -0.5}));
}

TEST(CorRelationResultsTest, AFileThatCannotBeCreatedStopsTheRunBeforeAnythingIsWritten) {
    for (int which = 0; which < 3; ++which) {
        TempDir dir;
        TCorRelationResult r = MakeResult(dir);
        std::string* names[] = {&r.Para.XYFile, &r.Para.ThetaRFile, &r.Para.InfoFile};
        *names[which] = dir.File("no/such/folder.dat");
        EXPECT_EQ(MessageOf([&] { WriteResults(r, false); }), "Check your computing parameters, then start again");
        for (const std::string* name : names) EXPECT_FALSE(std::filesystem::exists(*name)) << *name;
    }
}

TEST(CorRelationResultsTest, WritersUseADecimalPointUnderACommaLocale) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    test::CommaDecimalLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale on this machine";
    WriteResults(r, true);
    const std::string xy = ReadFileBytes(r.Para.XYFile);
    EXPECT_EQ(xy.find(','), std::string::npos);
    EXPECT_EQ(xy.rfind("\n   20.000    70.000   1.500  -0.500 ", 0), 0u);
    EXPECT_NE(ReadFileBytes(r.Para.InfoFile).find("Fine step around seed: 0.100000"), std::string::npos);
}

TEST(CorRelationResultsTest, GrayPicturesShareOneRangeAndMarkMaskedPointsInBothArrays) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    std::fill(r.dx.begin(), r.dx.end(), 0.0f);
    std::fill(r.dy.begin(), r.dy.end(), 3.0f);
    Set(r, 1, 0, -1.0f, 3.0f);
    Set(r, 2, 0, 1.0f, 3.0f);
    Set(r, 3, 0, kNotComputed, 3.0f); // marked in dx only: black in both pictures
    Set(r, 4, 0, 1.0f, 3.0f);         // outside the mask
    SaveMask(r.Para.MaskFile, 100, 90, 4, 0, 0);
    WriteGrayFiles(r);
    TGrayImage gx(r.Para.GrayXFile), gy(r.Para.GrayYFile);
    ASSERT_EQ(gx.Width, 100);
    ASSERT_EQ(gy.Height, 90);
    // Joint range -1 ... 3: level = (v + 1) * 255 / 4, truncated.
    EXPECT_EQ(gx.GetPixel(0, 0), 63);
    EXPECT_EQ(gx.GetPixel(1, 0), 0);
    EXPECT_EQ(gx.GetPixel(2, 0), 127);
    EXPECT_EQ(gy.GetPixel(0, 0), 255);
    for (int x : {3, 4}) {
        EXPECT_EQ(gx.GetPixel(x, 0), 0);
        EXPECT_EQ(gy.GetPixel(x, 0), 0);
        EXPECT_EQ(r.dx[x], kNotComputed);
        EXPECT_EQ(r.dy[x], kNotComputed);
    }
}

TEST(CorRelationResultsTest, FloatMapsHoldScaledValuesTheUnscaledMarkerAndTheGivenScales) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.Para.ScaleX = 2.0f;
    r.Para.ScaleY = 0.5f;
    Set(r, 5, 6, kNotComputed, kNotComputed);
    Set(r, 7, 6, 1.5f, kNotComputed);
    WriteBinFiles(r);
    for (int which = 0; which < 2; ++which) {
        const std::string bytes = ReadFileBytes(which == 0 ? r.Para.BinXFile : r.Para.BinYFile);
        ASSERT_EQ(bytes.size(), 30u + 4u * 100u * 90u);
        std::int32_t w = 0, h = 0;
        float header[3];
        std::memcpy(&w, bytes.data(), 4);
        std::memcpy(&h, bytes.data() + 4, 4);
        std::memcpy(header, bytes.data() + 8, 12);
        EXPECT_EQ(w, 100);
        EXPECT_EQ(h, 90);
        EXPECT_EQ(header[0], 2.0f);
        EXPECT_EQ(header[1], 0.5f);
        EXPECT_EQ(header[2], which == 0 ? 2.0f : 0.5f);
        auto value = [&](int x, int y) {
            float v;
            std::memcpy(&v, bytes.data() + 30 + 4 * (static_cast<std::size_t>(y) * 100 + x), 4);
            return v;
        };
        EXPECT_EQ(value(0, 0), which == 0 ? 3.0f : -0.25f);
        EXPECT_EQ(value(5, 6), kNotComputed);
        EXPECT_EQ(value(7, 6), kNotComputed);
    }
}

} // namespace
} // namespace corvane
