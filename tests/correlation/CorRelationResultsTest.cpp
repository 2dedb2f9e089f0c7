#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "correlation/AvailableCpus.h"
#include "correlation/CorRelationResults.h"
#include "correlation/CorRelationTables.h"
#include "image/CFormat.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/CommaDecimalLocale.h"
#include "support/DisplacementTables.h"
#include "support/ErrorText.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;
using Record = TableRecord;
using Table = std::vector<Record>;
constexpr double kPi = 3.14159265358979323846;

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
    r.Seeds = {{32, 32, 32, 32, 20, 20, 44, 44}, {57, 32, 57, 32, 45, 20, 70, 44},
               {32, 57, 32, 57, 20, 45, 44, 70}, {57, 57, 57, 57, 45, 45, 70, 70}};
    // clang-format on
    r.W0 = r.W1 = 100, r.H0 = r.H1 = 90, r.StartTime = std::time(nullptr);
    r.dx.assign(100 * 90, 1.5f), r.dy.assign(100 * 90, -0.5f);
    r.AllPoints = 2601, r.SuccessfulPoints = 2000, r.NotSearchedPoints = 601;
    return r;
}

struct CorRelationResultsTest : ::testing::Test {
    TempDir dir;
    TCorRelationResult r = MakeResult(dir);
    void Set(int x, int y, float dx, float dy) {
        r.dx[static_cast<std::size_t>(y) * r.W0 + x] = dx, r.dy[static_cast<std::size_t>(y) * r.W0 + x] = dy;
    }
    Table Written(bool changeY, const std::string& file) {
        return WriteResults(r, changeY), ReadDisplacementTable(file);
    }
    bool Has(const Table& t, double X, double Y) {
        return std::any_of(t.begin(), t.end(), [&](const Record& k) { return k[0] == X && k[1] == Y; });
    }
    void SaveMask(int x, int y, int level) {
        MakeGreyPicture(100, 90, [&](int i, int j) {
            return i == x && j == y ? level : 255;
        })->SaveBmp(r.Para.MaskFile);
    }
};

TEST_F(CorRelationResultsTest, ThetaOfEveryDirectionAndItsSignWithTheYAxisTurnedUp) {
    r.Para.Right = 50, r.Para.Bottom = 20, r.Para.ScaleX = 2.0f;
    const double q = std::atan2(1.0, 2.0), s5 = std::sqrt(5.0);
    // dx, dy; theta and r with the y axis down.
    const std::vector<std::array<double, 4>> d = {
        {0, 0, 0, 0},  {-1, 0, kPi, 2},       {0, 2, kPi / 2, 2}, {0, -2, -kPi / 2, 2},
        {1, 1, q, s5}, {-1, -1, q - kPi, s5}, {1, 0, 0, 2}};
    for (std::size_t k = 0; k < d.size(); ++k)
        Set(20 + 5 * static_cast<int>(k), 20, static_cast<float>(d[k][0]), static_cast<float>(d[k][1]));
    for (bool changeY : {false, true}) {
        const Table tr = Written(changeY, r.Para.ThetaRFile);
        ASSERT_EQ(tr.size(), d.size());
        for (std::size_t k = 0; k < d.size(); ++k) {
            EXPECT_NEAR(tr[k][2], changeY ? -d[k][2] : d[k][2], 0.0006) << k << " changeY " << changeY;
            EXPECT_NEAR(tr[k][3], d[k][3], 0.0006) << k;
            // The turned angle is the negated one as it stands: 0 is written "-0.000", pi "-3.142".
            EXPECT_EQ(std::signbit(tr[k][2]), changeY ? d[k][2] >= 0 : d[k][2] < 0)
                << k << " changeY " << changeY;
        }
        const std::string text = ReadFileBytes(r.Para.ThetaRFile);
        EXPECT_EQ(text.find("  -3.142   2.000 ") != std::string::npos, changeY) << text;
    }
}

TEST_F(CorRelationResultsTest, PointsFarFromTheSeedMeanOutsideTheMaskOrWithoutResultAreLeftOut) {
    r.Para.Amplitude = 1.0f;
    Set(57, 57, kNotComputed, 9.0f); // a seed without result takes no part in the mean
    Set(20, 20, 2.5f, -0.5f);        // exactly the amplitude away: left out
    Set(25, 20, 2.25f, -1.25f);      // within: written
    Set(30, 20, 1.5f, 0.5f);         // dy exactly the amplitude away: left out
    Set(35, 20, kNotComputed, -0.5f);
    SaveMask(40, 20, 254);
    const Table xy = Written(false, r.Para.XYFile);
    EXPECT_EQ(xy.size(), 121u - 4u);
    EXPECT_TRUE(Has(xy, 25, 20));
    for (int x : {20, 30, 35, 40})
        EXPECT_FALSE(Has(xy, x, 20)) << x;
    EXPECT_NE(ReadFileBytes(r.Para.InfoFile).find("is ( 1.500 , -0.500 ),the Amplitude is   1.000 "),
              std::string::npos);
    std::filesystem::remove(r.Para.MaskFile);
    EXPECT_TRUE(Has(Written(false, r.Para.XYFile), 40, 20));
    for (const TCorRelationSeed& s : r.Seeds)
        Set(s.X, s.Y, kNotComputed, 0.0f);
    WriteResults(r, true); // no mean without any seed result: no point at all
    EXPECT_EQ(ReadFileBytes(r.Para.XYFile) + ReadFileBytes(r.Para.ThetaRFile), "");
}

TEST_F(CorRelationResultsTest, ReportHoldsItsLinesInOrderAndAFastRunWritesItsSeeds) {
    EXPECT_EQ(UsedTimeText(3725), " 1: 2: 5");
    EXPECT_EQ(UsedTimeText(39599), "10:59:59");
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
    const std::string normalText = (WriteResults(r, true), ReadFileBytes(r.Para.InfoFile));
    const std::string fastText = (WriteFastResults(r, false), ReadFileBytes(r.Para.InfoFile));
    for (const auto& [text, pieces] : {std::pair{normalText, normal}, std::pair{fastText, fast}}) {
        std::size_t at = 0;
        for (const std::string& piece : pieces)
            ASSERT_NE(at = text.find(piece, at), std::string::npos)
                << "missing or out of order: [" << piece << "]";
        EXPECT_EQ(text.substr(text.size() - 3), " ) ");
    }
    EXPECT_EQ(fastText.find("Output Displacement"), std::string::npos);
    // A fast run writes the kept seeds in seed order, with the y axis down here.
    EXPECT_EQ(ReadDisplacementTable(r.Para.XYFile),
              (Table{{32, 32, 1.5, -0.5}, {57, 32, 1.5, -0.5}, {32, 57, 1.5, -0.5}}));
}

TEST(CorRelationResultsFiles, AFileThatCannotBeCreatedStopsTheWritingBeforeAnyFileIsWritten) {
    for (int which = 0; which < 4; ++which) {
        TempDir dir;
        TCorRelationResult r = MakeResult(dir);
        std::string* names[] = {&r.Para.XYFile, &r.Para.ThetaRFile, &r.Para.InfoFile};
        if (which < 3)
            *names[which] = dir.File("no/such/folder.dat");
        else
            r.Para.GridY = 0; // a grid step of 0 would never leave the search field
        EXPECT_EQ(ErrorText([&] { WriteResults(r, false); }),
                  "Check your computing parameters, then start again");
        for (const std::string* name : names)
            EXPECT_FALSE(std::filesystem::exists(*name)) << *name;
    }
}

TEST_F(CorRelationResultsTest, GreyPicturesShareOneRangeAndFloatMapsKeepTheMarkerUnscaled) {
    r.Para.ScaleX = 2.0f, r.Para.ScaleY = 0.5f;
    r.dx.assign(100 * 90, 0.0f), r.dy.assign(100 * 90, 3.0f);
    Set(1, 0, -1.0f, 3.0f), Set(2, 0, 1.0f, 3.0f);
    Set(3, 0, kNotComputed, 3.0f); // marked in dx only: marked in both
    Set(4, 0, 1.0f, 3.0f);         // outside the mask: marked in both
    SaveMask(4, 0, 0);
    WriteGrayFiles(r), WriteBinFiles(r);
    TGrayImage gx(r.Para.GrayXFile), gy(r.Para.GrayYFile);
    ASSERT_EQ(std::pair(gx.Width, gx.Height), std::pair(100, 90));
    // Joint range -1 ... 3: level = (v + 1) * 255 / 4, truncated; marked points black.
    EXPECT_EQ(std::vector<int>({gx.Data[0], gx.Data[1], gx.Data[2], gx.Data[3], gx.Data[4], gy.Data[0],
                                gy.Data[3], gy.Data[4]}),
              std::vector<int>({63, 0, 127, 0, 0, 255, 0, 0}));
    // Float maps: scales ScaleX, ScaleY and the component's own; scaled values, the marker unscaled.
    const TFloatImage bx(r.Para.BinXFile), by(r.Para.BinYFile);
    ASSERT_EQ(std::pair(bx.Width, bx.Height), std::pair(100, 90));
    EXPECT_EQ(std::vector<float>({bx.ScaleX, bx.ScaleY, bx.ValueScale, bx.Data[0], bx.Data[1], bx.Data[2],
                                  bx.Data[3], bx.Data[4], by.ValueScale, by.Data[0], by.Data[3], by.Data[4]}),
              std::vector<float>({2.0f, 0.5f, 2.0f, 0.0f, -2.0f, 2.0f, kNotComputed, kNotComputed, 0.5f, 1.5f,
                                  kNotComputed, kNotComputed}));
}

// The displacement tables formatted in blocks on several lanes and streamed to their files: the
// bytes do not depend on the lane count and equal those of the one-thread printf formatter the
// tables were written with before (hashes taken from it), also under a comma-decimal locale; the
// fast fixed-point formatter agrees with printf on ties, negative zero and wide values at the
// widths and decimals the tables and sampled lists use.
std::uint64_t Fnv(const std::string& text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

// A 61 x 37 field on grid 2 across and 3 down, scaled differently in x and y, with exact ties of
// the third decimal (k / 16), negative zeros, values just below zero and markers left out.
TCorRelationResult Field(const test::TempDir& dir) {
    TCorRelationResult r;
    TCorRelationPara& p = r.Para;
    p.XYFile = dir.File("xy.dat"), p.ThetaRFile = dir.File("thetar.dat"), p.InfoFile = dir.File("info.inf");
    p.MaskFile = dir.File("none");
    p.Left = 1, p.Up = 2, p.Right = 60, p.Bottom = 36, p.GridX = 2, p.GridY = 3;
    p.OutLeft = 5, p.OutUp = -7;
    p.Amplitude = 20.0f, p.ScaleX = 0.5f, p.ScaleY = 2.0f;
    r.W0 = r.W1 = 61, r.H0 = r.H1 = 37;
    r.dx.resize(61 * 37);
    r.dy.resize(r.dx.size());
    std::mt19937 random(7);
    std::uniform_real_distribution<float> any(-9.0f, 9.0f);
    for (std::size_t i = 0; i < r.dx.size(); ++i) {
        if (i % 5 == 0)
            r.dx[i] = static_cast<float>(static_cast<int>(i % 41) - 20) / 16.0f, r.dy[i] = -0.0f;
        else if (i % 5 == 1)
            r.dx[i] = -0.0004f, r.dy[i] = 0.0625f;
        else if (i % 5 == 2)
            r.dx[i] = kNotComputed, r.dy[i] = 1.0f;
        else
            r.dx[i] = any(random), r.dy[i] = any(random);
    }
    r.Seeds = {{30, 18, 30, 18, 0, 0, 60, 36}};
    return r;
}

TEST(TableStreaming, EveryLaneCountWritesTheBytesOfThePrintfTables) {
    test::TempDir dir;
    const TCorRelationResult r = Field(dir);
    struct Case {
        bool changeY;
        std::uint64_t xy, thetaR;
    };
    // Hashes of the tables as the one-thread printf formatter wrote them.
    for (const Case c : {Case{false, 0x5f04d8c303d5beaeull, 0x6bb6efe3bfa96cfbull},
                         Case{true, 0x860b31f771045b60ull, 0xd7b3eefbfc34114bull}}) {
        const DisplacementTables one = FormatDisplacementTables(r, c.changeY, false, 0.0f, 0.0f, nullptr);
        EXPECT_EQ(Fnv(one.XY), c.xy);
        EXPECT_EQ(Fnv(one.ThetaR), c.thetaR);
        for (int lanes : {1, 2, 3, 8}) {
            WriteResults(r, c.changeY, lanes);
            EXPECT_EQ(test::ReadFileBytes(r.Para.XYFile), one.XY) << lanes;
            EXPECT_EQ(test::ReadFileBytes(r.Para.ThetaRFile), one.ThetaR) << lanes;
        }
    }
    test::CommaDecimalLocale comma;
    if (comma.Active()) {
        WriteResults(r, false, 3);
        EXPECT_EQ(Fnv(test::ReadFileBytes(r.Para.XYFile)), 0x5f04d8c303d5beaeull);
    }
}

TEST(TableStreaming, FixedFormatterAgreesWithPrintf) {
    std::mt19937_64 random(11);
    std::vector<double> values = {0.0,        -0.0,       0.0005,   -0.0005,      0.0015,    2.5e-4,
                                  -2.5e-4,    1e9,        1e30,     -123456.7895, 0.0625,    -0.0625,
                                  1.0 / 1024, 99999.9995, 0.000005, 0.999995,     -0.000004, 99999.999996,
                                  INFINITY,   -INFINITY,  NAN};
    for (int i = 0; i < 20000; ++i) {
        values.push_back(static_cast<float>(static_cast<std::int64_t>(random() % 4000000) - 2000000) /
                         static_cast<double>(1u << (random() % 14)));
        values.push_back(std::uniform_real_distribution<double>(-5000.0, 5000.0)(random));
    }
    for (const double v : values)
        for (const auto& [width, decimals] : {std::pair{6, 3}, {8, 3}, {10, 5}}) {
            std::string fast, reference;
            AppendFixed(fast, v, width, decimals);
            AppendFormatC(reference, "%*.*f", width, decimals, v);
            ASSERT_EQ(fast, reference) << v << " " << decimals;
        }
}

TEST(AvailableCpus, ReadsTheKernelsListsAndQuotas) {
    for (const auto& [list, count] : {std::pair{"0-3,8,10-11\n", 7}, {"5", 1}, {"", 0}, {"3-1", 0}})
        EXPECT_EQ(CountCpuList(list), count) << list;
    for (const auto& [quota, count] :
         {std::pair{"max 100000", 0}, {"250000 100000", 3}, {"50000 100000", 1}, {"-1 100000", 0}})
        EXPECT_EQ(QuotaCpus(quota), count) << quota;
    EXPECT_GE(AvailableCpus(), 1);
}

} // namespace
} // namespace corvane
