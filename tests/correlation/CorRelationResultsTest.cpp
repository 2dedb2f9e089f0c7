#include "correlation/CorRelationResults.h"

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/DisplacementTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace corvane {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using Record = test::TableRecord;
using test::ReadDisplacementTable;
constexpr double kPi = 3.14159265358979323846;
const std::string kCannotWrite = "Check your computing parameters, then start again";

/// A finished run over a 100 x 90 picture: default search field, grid and windows, names in dir,
/// dx = 1.5 and dy = -0.5 everywhere, a 2 x 2 seed grid.
TCorRelationResult MakeResult(const TempDir& dir) {
    TCorRelationResult r;
    // clang-format off
    r.Para = TCorRelationPara{dir.File("i.bmp"), dir.File("d.bmp"), dir.File("xy.dat"), dir.File("tr.dat"),
                              dir.File("mask.bmp"), dir.File("gx.bmp"), dir.File("gy.bmp"), dir.File("bx.flt"),
                              dir.File("by.flt"), dir.File("info.inf"),
                              33, 33, 15, 15, 13, 13, 2, 2, 0, 0, 0.1f, 20, 20, 70, 70, 20.0f, 5, 5, 0, 0,
                              1.0f, 1.0f, 2, 3, 3, 0.5f, 0, 1, 0, 0};
    // clang-format on
    r.W0 = r.W1 = 100;
    r.H0 = r.H1 = 90;
    r.dx.assign(100 * 90, 1.5f);
    r.dy.assign(100 * 90, -0.5f);
    r.Seeds = {{32, 32, 32, 32, 20, 20, 44, 44},
               {57, 32, 57, 32, 45, 20, 70, 44},
               {32, 57, 32, 57, 20, 45, 44, 70},
               {57, 57, 57, 57, 45, 45, 70, 70}};
    r.AllPoints = 2601, r.SuccessfulPoints = 2000, r.NotSearchedPoints = 601;
    r.StartTime = std::time(nullptr);
    return r;
}

void Set(TCorRelationResult& r, int x, int y, float dx, float dy) {
    r.dx[static_cast<std::size_t>(y) * r.W0 + x] = dx;
    r.dy[static_cast<std::size_t>(y) * r.W0 + x] = dy;
}

bool Has(const std::vector<Record>& records, double X, double Y) {
    return std::any_of(records.begin(), records.end(),
                       [&](const Record& r) { return r[0] == X && r[1] == Y; });
}

void SaveMask(const std::string& file, int x, int y, std::uint8_t level) {
    TGrayImage mask(nullptr, 100, 90);
    std::memset(mask.Data, 255, 100 * 90);
    mask.Data[static_cast<std::size_t>(y) * 100 + x] = level;
    mask.SaveBmp(file);
}

TEST(CorRelationResultsTest, GridPointsAreWrittenRowByRowScaledAndWithTheTurnedYAxis) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    WriteResults(r, false);
    const std::string text = ReadFileBytes(r.Para.XYFile);
    EXPECT_EQ(text.rfind("\n   20.000    20.000   1.500  -0.500 \n   25.000    20.000 ", 0), 0u);
    EXPECT_EQ(text.back(), ' ');
    const std::vector<Record> downXY = ReadDisplacementTable(r.Para.XYFile);
    ASSERT_EQ(downXY.size(), 121u);
    ASSERT_EQ(ReadDisplacementTable(r.Para.ThetaRFile).size(), 121u);
    for (std::size_t k = 0; k < 121; ++k)
        EXPECT_EQ(downXY[k][0] * 1000 + downXY[k][1], (20 + 5 * (k % 11)) * 1000 + 20 + 5 * (k / 11)) << k;
    r.Para.ScaleX = 2.0f, r.Para.ScaleY = 0.5f, r.Para.OutLeft = 10, r.Para.OutUp = 4;
    WriteResults(r, false);
    EXPECT_EQ(ReadDisplacementTable(r.Para.XYFile)[0],
              (Record{60, 12, 3, -0.25})); // X = (10 + 20) * 2, Y = (4 + 20) * 0.5
    WriteResults(r, true);
    EXPECT_EQ(ReadDisplacementTable(r.Para.XYFile)[0],
              (Record{60, 33, 3, -0.25})); // Y = (90 - (4 + 20)) * 0.5, dy kept
    EXPECT_EQ(ReadDisplacementTable(r.Para.ThetaRFile)[0][1], 33);
}

TEST(CorRelationResultsTest, ThetaOfEveryDirectionAndItsSignWithTheYAxisTurnedUp) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.Para.Right = 50, r.Para.Bottom = 20, r.Para.ScaleX = 2.0f;
    const std::vector<std::array<float, 2>> d = {{0, 0}, {-1, 0}, {0, 2}, {0, -2}, {1, 1}, {-1, -1}, {1, 0}};
    for (std::size_t k = 0; k < d.size(); ++k)
        Set(r, 20 + 5 * static_cast<int>(k), 20, d[k][0], d[k][1]);
    const double q = std::atan2(1.0, 2.0);
    const std::vector<double> down = {0, kPi, kPi / 2, -kPi / 2, q, q - kPi, 0};
    const std::vector<double> radius = {0, 2, 2, 2, std::sqrt(5.0), std::sqrt(5.0), 2};
    for (bool changeY : {false, true}) {
        WriteResults(r, changeY);
        const std::vector<Record> tr = ReadDisplacementTable(r.Para.ThetaRFile);
        ASSERT_EQ(tr.size(), d.size());
        for (std::size_t k = 0; k < d.size(); ++k) {
            EXPECT_NEAR(tr[k][2], changeY ? -down[k] : down[k], 0.0006) << k << " changeY " << changeY;
            EXPECT_NEAR(tr[k][3], radius[k], 0.0006) << k;
        }
        // The turned angle is the negated one as it stands: 0 is written "-0.000", pi "-3.142".
        const std::string text = ReadFileBytes(r.Para.ThetaRFile);
        EXPECT_EQ(text.find("  -3.142   2.000 ") != std::string::npos, changeY) << text;
        std::size_t negativeZeros = 0;
        for (auto at = text.find("-0.000"); at != std::string::npos; at = text.find("-0.000", at + 1))
            ++negativeZeros;
        EXPECT_EQ(negativeZeros, changeY ? 2u : 0u) << text;
    }
}

TEST(CorRelationResultsTest, PointsFarFromTheSeedMeanOutsideTheMaskOrWithoutResultAreLeftOut) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.Para.Amplitude = 1.0f;
    Set(r, 57, 57, kNotComputed, 9.0f); // a seed without result takes no part in the mean
    Set(r, 20, 20, 2.5f, -0.5f);        // exactly the amplitude away: left out
    Set(r, 25, 20, 2.25f, -1.25f);      // within: written
    Set(r, 30, 20, 1.5f, 0.5f);         // dy exactly the amplitude away: left out
    Set(r, 35, 20, kNotComputed, -0.5f);
    SaveMask(r.Para.MaskFile, 40, 20, 254);
    WriteResults(r, false);
    const std::vector<Record> xy = ReadDisplacementTable(r.Para.XYFile);
    EXPECT_EQ(xy.size(), 121u - 4u);
    EXPECT_TRUE(Has(xy, 25, 20));
    for (int x : {20, 30, 35, 40})
        EXPECT_FALSE(Has(xy, x, 20)) << x;
    EXPECT_NE(ReadFileBytes(r.Para.InfoFile).find("is ( 1.500 , -0.500 ),the Amplitude is   1.000 "),
              std::string::npos);
    std::filesystem::remove(r.Para.MaskFile);
    WriteResults(r, false);
    EXPECT_TRUE(Has(ReadDisplacementTable(r.Para.XYFile), 40, 20));

    for (const TCorRelationSeed& s : r.Seeds)
        Set(r, s.X, s.Y, kNotComputed, 0.0f);
    WriteResults(r, true); // no mean without any seed result: no point at all
    EXPECT_EQ(ReadFileBytes(r.Para.XYFile), "");
    EXPECT_EQ(ReadFileBytes(r.Para.ThetaRFile), "");
}

TEST(CorRelationResultsTest, ReportHoldsItsLinesInOrderAndAFastRunWritesItsSeeds) {
    EXPECT_EQ(UsedTimeText(3725), " 1: 2: 5");
    EXPECT_EQ(UsedTimeText(39599), "10:59:59");
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.Seeds[3] = TCorRelationSeed{}; // removed by trimming
    r.StartTime -= 3725;
    const std::string f = dir.Path().string() + "/";
    const std::vector<std::string> normal = {
        " \n  Correlation Computation Information \n  \n     Used time :  1: 2:",
        "\n  Y axis has been changed to up direction\n \n Initial Image File: " + f +
            "i.bmp  \n    Width: 100   Height: 90 ",
        " \n\n Fine Image step : 0.125   \n Fine step around seed: 0.100000 ",
        " \n Output Displacement Grid  : Gridx = 5 , Gridy = 5  \n Output Displacement Mask File: " + f +
            "mask.bmp ",
        " \n All searching:2601 Steps,\n     Successful Searching: 2000 Steps \n     Not Searching: 601 ",
        " \n The average seed displacement is ( 1.500 , -0.500 ),the Amplitude is  20.000 ",
        " \n\n There are(is) 4 Seeds in the image: \n Seed No.1 Initial(32,32)-->> Deformed (32,32) \n    "
        "Whole Searching Field:( 20 ,20 ) -->> (44 , 44 ) ",
        " \n Seed No.4 Initial(0,0)-->> Deformed (0,0) \n    Whole Searching Field:( 0 ,0 ) -->> (0 , 0 ) "};
    const std::vector<std::string> fast = {
        " \n  Correlation Computation Information \n \t Fast Computing\n \n     Used time :  1: 2:",
        " Y axis still have the down direction\n", " \n\n Fine Image step : 0.25   \n Fine step around seed",
        " \n All searching:2601 Steps,\n     Successful Searching: 0 Steps \n     Not Searching: 0 ",
        " \n\n There are(is) 4 points(pixels) in the image have been computed: \n Seed No.1 "};
    WriteResults(r, true);
    const std::string normalText = ReadFileBytes(r.Para.InfoFile);
    WriteFastResults(r, false);
    const std::string fastText = ReadFileBytes(r.Para.InfoFile);
    for (const auto& [text, pieces] : {std::pair{normalText, normal}, std::pair{fastText, fast}}) {
        std::size_t at = 0;
        for (const std::string& piece : pieces) {
            at = text.find(piece, at);
            ASSERT_NE(at, std::string::npos) << "missing or out of order: [" << piece << "]";
        }
        EXPECT_EQ(text.substr(text.size() - 3), " ) ");
    }
    EXPECT_EQ(fastText.find("Output Displacement"), std::string::npos);
    // A fast run writes the kept seeds in seed order, with the y axis down here.
    EXPECT_EQ(ReadDisplacementTable(r.Para.XYFile),
              (std::vector<Record>{{32, 32, 1.5, -0.5}, {57, 32, 1.5, -0.5}, {32, 57, 1.5, -0.5}}));
}

TEST(CorRelationResultsTest, AFileThatCannotBeCreatedStopsTheWritingBeforeAnyFileIsWritten) {
    for (int which = 0; which < 4; ++which) {
        TempDir dir;
        TCorRelationResult r = MakeResult(dir);
        std::string* names[] = {&r.Para.XYFile, &r.Para.ThetaRFile, &r.Para.InfoFile};
        if (which < 3)
            *names[which] = dir.File("no/such/folder.dat");
        else
            r.Para.GridY = 0; // a grid step of 0 would never leave the search field
        EXPECT_EQ(test::ErrorMessageOf([&] { WriteResults(r, false); }), kCannotWrite);
        for (const std::string* name : names)
            EXPECT_FALSE(std::filesystem::exists(*name)) << *name;
    }
}

TEST(CorRelationResultsTest, GreyPicturesShareOneRangeAndFloatMapsKeepTheMarkerUnscaled) {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    r.Para.ScaleX = 2.0f, r.Para.ScaleY = 0.5f;
    std::fill(r.dx.begin(), r.dx.end(), 0.0f);
    std::fill(r.dy.begin(), r.dy.end(), 3.0f);
    Set(r, 1, 0, -1.0f, 3.0f);
    Set(r, 2, 0, 1.0f, 3.0f);
    Set(r, 3, 0, kNotComputed, 3.0f); // marked in dx only: marked in both
    Set(r, 4, 0, 1.0f, 3.0f);         // outside the mask: marked in both
    SaveMask(r.Para.MaskFile, 4, 0, 0);
    WriteGrayFiles(r);
    WriteBinFiles(r);
    TGrayImage gx(r.Para.GrayXFile), gy(r.Para.GrayYFile);
    ASSERT_EQ(gx.Width * gx.Height, 9000);
    // Joint range -1 ... 3: level = (v + 1) * 255 / 4, truncated; marked points black.
    EXPECT_EQ(std::vector<int>({gx.Data[0], gx.Data[1], gx.Data[2], gx.Data[3], gx.Data[4]}),
              std::vector<int>({63, 0, 127, 0, 0}));
    EXPECT_EQ(std::vector<int>({gy.Data[0], gy.Data[3], gy.Data[4]}), std::vector<int>({255, 0, 0}));
    // Float maps: scales ScaleX, ScaleY and the component's own; scaled values, the marker unscaled.
    const TFloatImage bx(r.Para.BinXFile), by(r.Para.BinYFile);
    ASSERT_EQ(bx.Width * 1000 + bx.Height, 100090);
    EXPECT_EQ(std::vector<float>({bx.ScaleX, bx.ScaleY, bx.ValueScale, bx.Data[0], bx.Data[1], bx.Data[2],
                                  bx.Data[3], bx.Data[4], by.ValueScale, by.Data[0], by.Data[3], by.Data[4]}),
              std::vector<float>({2.0f, 0.5f, 2.0f, 0.0f, -2.0f, 2.0f, kNotComputed, kNotComputed, 0.5f, 1.5f,
                                  kNotComputed, kNotComputed}));
}

} // namespace
} // namespace corvane
