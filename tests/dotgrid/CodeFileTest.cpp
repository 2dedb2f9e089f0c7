#include "dotgrid/CodeFile.h"
#include "dotgrid/MatchResultFile.h"
#include "dotgrid/TCodeMatch.h"
#include "dotgrid/TDotGridEncoder.h"
#include "image/TGrayImage.h"
#include "support/CommaDecimalLocale.h"
#include "support/ErrorText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <sstream>
#include <tuple>

namespace corvane {
namespace {

using test::ErrorText;
using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

/// A code file's text: the header and one row per (nx, ny, x, y).
struct CodeRow {
    std::int32_t Nx, Ny;
    float X, Y;
};
std::string CodeText(const std::vector<CodeRow>& rows, std::int32_t maxX, std::int32_t maxY,
                     float scale = 1.0f, const std::string& image = "grid.bmp", std::int32_t height = 300) {
    char line[160];
    std::string text = "TAVM-FS\n";
    std::snprintf(line, sizeof line, "%zu 400 %d\n%d  %d  %f  %f  0\n", rows.size(), height, maxX, maxY,
                  scale, scale);
    text += line;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        std::snprintf(line, sizeof line, "%3zu   %8.3f  %8.3f   %3d  %3d  %3d\n", k, rows[k].X, rows[k].Y,
                      rows[k].Nx, rows[k].Ny, 40);
        text += line;
    }
    return text + image + "\n";
}

/// The data rows of a result file (after the five header lines), each split into numbers.
std::vector<std::vector<double>> ResultRows(const std::string& text,
                                            std::vector<std::string>* header = nullptr) {
    std::istringstream in(text);
    std::string line;
    std::vector<std::vector<double>> rows;
    for (int n = 0; std::getline(in, line); ++n) {
        if (n < 5) {
            if (header) header->push_back(line);
            continue;
        }
        std::istringstream numbers(line);
        std::vector<double> row;
        for (double v; numbers >> v;)
            row.push_back(v);
        rows.push_back(row);
    }
    return rows;
}

TEST(CodeFile, RoundTripKeepsEveryFieldAndTheWriterFormatsAreExact) {
    TempDir dir;
    TGrayImage blank(nullptr, 123, 45);
    TDotGridEncoder encoder(blank, {.WhiteGrid = false, .MaxX = 7, .MaxY = 4});
    const std::vector<TDotInfo> dots = {
        {.X = 10.25f, .Y = 20.5f, .Nx = -3, .Ny = 2, .Coded = true, .Area = 41},
        {.X = 99.125f, .Y = 1.75f, .Nx = 0, .Ny = 0, .Coded = false, .Area = 7}, // not written
        {.X = 110.0f, .Y = 40.0625f, .Nx = 7, .Ny = -4, .Neted = true, .Coded = true, .Area = 1234},
    };
    encoder.FDotInfo = dots;
    encoder.FDotInfo.push_back({});
    encoder.FDotSum = 3;
    encoder.ScaleX = 0.5f;
    encoder.ScaleY = 2.0f;
    test::CommaDecimalLocale comma; // the file keeps its '.' whatever the user's locale
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale could be set on this machine";
    encoder.WriteCodeFile(dir.File("a.cod"));
    EXPECT_EQ(ReadFileBytes(dir.File("a.cod")), "TAVM-FS\n2 123 45\n"
                                                "7  4  0.500000  2.000000  255\n"
                                                "  0     10.250    20.500    -3    2   41\n"
                                                "  2    110.000    40.062     7   -4  1234\n"
                                                "MemoryData.raw\n");
    const TCodeFile file = ReadCodeFile(dir.File("a.cod"));
    EXPECT_EQ(std::tuple(file.Count, file.Width, file.Height, file.MaxX, file.MaxY, file.Background,
                         file.ScaleX, file.ScaleY, file.ImageName),
              std::tuple(2, 123, 45, 7, 4, 255, 0.5f, 2.0f, std::string("MemoryData.raw")));
    ASSERT_EQ(file.Dots.size(), 2u);
    EXPECT_FLOAT_EQ(file.Dots[0].X, 10.25f * 0.5f); // scaled, renumbered in row order
    EXPECT_FLOAT_EQ(file.Dots[0].Y, 20.5f * 2.0f);
    EXPECT_FLOAT_EQ(file.Dots[1].Y, 40.062f * 2.0f);
    const TDotInfo& last = file.Dots[1];
    EXPECT_EQ(std::tuple(last.Nx, last.Ny, last.Area, last.Coded, last.Neted),
              std::tuple(7, -4, 1234, true, true));
    EXPECT_EQ(
        (std::array{file.Coordinates->Get(7, -4), file.Coordinates->Get(-3, 2), file.Coordinates->Get(0, 0)}),
        (std::array{1, 0, -1}));

    // No coded dot: the header, no rows, the name.
    for (TDotInfo& dot : encoder.FDotInfo)
        dot.Coded = false;
    encoder.WriteCodeFile(dir.File("empty.cod"));
    EXPECT_EQ(ReadFileBytes(dir.File("empty.cod")),
              "TAVM-FS\n0 123 45\n7  4  0.500000  2.000000  255\nMemoryData.raw\n");
    EXPECT_EQ(ReadCodeFile(dir.File("empty.cod")).Count, 0);

    const std::string missingFolder = dir.File("no/such.cod");
    EXPECT_EQ(ErrorText([&] { encoder.WriteCodeFile(missingFolder); }),
              "file open error:Can create file " + missingFolder);
}

TEST(CodeFile, ReaderRefusesDamagedFilesWithItsMessages) {
    TempDir dir;
    const std::string name = dir.File("c.cod");
    const std::string readError = "Read data error from code file: \n" + name;
    auto read = [&](const std::string& text) {
        WriteFileBytes(name, text);
        return ErrorText([&] { ReadCodeFile(name); });
    };
    const std::string good = CodeText({{0, 0, 10, 10}, {1, 0, 30, 10.5f}}, 5, 5);
    EXPECT_EQ(read(good), "no error");
    EXPECT_EQ(read("TAVM-FSX" + good.substr(7)), "no error"); // only the first seven letters count
    EXPECT_EQ(read("TAVM-F" + good.substr(7)), name + " is not a code file!");
    EXPECT_EQ(read(""), name + " is not a code file!");
    // Fewer rows than declared; a row with a word in a number field.
    EXPECT_EQ(read("TAVM-FS\n3 400 300\n5 5 1.0 1.0 0\n0 1 2 0 0 9\n1 3 4 1 0 9\nname\n"), readError);
    EXPECT_EQ(read("TAVM-FS\n2 400 300\n5 5 1.0 1.0 0\n0 1 2 0 0 9\n1 3 x 1 0 9\nname\n"), readError);
    EXPECT_EQ(read("TAVM-FS\n2 400 300\n5 5 1.0\n"), readError);
    // Counts and ranges a file of its size cannot hold are refused before anything is allocated.
    EXPECT_EQ(read("TAVM-FS\n2000000000 400 300\n5 5 1.0 1.0 0\n0 1 2 0 0 9\nname\n"), readError);
    EXPECT_EQ(read("TAVM-FS\n-1 400 300\n5 5 1.0 1.0 0\nname\n"), readError);
    EXPECT_EQ(read("TAVM-FS\n0 400 300\n1000000 1000000 1.0 1.0 0\nname\n"), readError);
    EXPECT_EQ(read("TAVM-FS\n0 400 300\n5 -1 1.0 1.0 0\nname\n"), readError);
    // Indices outside the declared range.
    EXPECT_EQ(read("TAVM-FS\n1 400 300\n5 5 1.0 1.0 0\n0 1 2 6 0 9\nname\n"), "(6 , 0) not in the range");
    EXPECT_EQ(ErrorText([&] { ReadCodeFile(dir.File("none.cod")); }),
              "Can not open the  code file: \n" + dir.File("none.cod"));

    // A name with blanks is read whole, to the end of its line; free white space between the items.
    WriteFileBytes(name, "TAVM-FS 1\n400\t300 5 5 1 1 0 7 1.5 2.5 -1 1 9 my grid picture.bmp\n");
    const TCodeFile file = ReadCodeFile(name);
    EXPECT_EQ(file.ImageName, "my grid picture.bmp");
    EXPECT_FLOAT_EQ(file.Dots[0].X, 1.5f);
    EXPECT_EQ(file.Coordinates->Get(-1, 1), 0);
}

TEST(CodeMatch, CommonRangeOrderScaleAndDotsOfOneFileOnly) {
    TempDir dir;
    // Initial: range 5 x 3 with a dot at nx = 5; deformed: range 3 x 4 with a dot at (2, 4) that only
    // it has. Rows are written in an order unlike the match's.
    WriteFileBytes(dir.File("a.cod"), CodeText({{5, 0, 200, 100},
                                                {1, -1, 120, 120},
                                                {0, 1, 100, 80},
                                                {-2, 1, 60, 80},
                                                {3, 0, 160, 100},
                                                {1, 3, 120, 40}},
                                               5, 3, 0.5f, "initial.bmp", 300));
    WriteFileBytes(dir.File("b.cod"), CodeText({{0, 1, 102, 79},
                                                {1, -1, 121, 122},
                                                {-2, 1, 61, 78},
                                                {3, 0, 163, 100},
                                                {2, 4, 140, 20},
                                                {1, 3, 119, 41}},
                                               3, 4, 0.5f, "deformed.bmp", 310));
    TCodeMatch match(dir.File("a.cod"), dir.File("b.cod"));
    EXPECT_EQ(match.CommonMaxX, 3);
    EXPECT_EQ(match.CommonMaxY, 3);
    EXPECT_EQ(match.Height, 310); // the deformed file's, read last
    ASSERT_EQ(match.MatchCount, 5);
    // By ny then nx: (1,-1), (3,0), (-2,1), (0,1), (1,3).
    EXPECT_EQ(match.Pairs, (std::vector<std::int32_t>{1, 4, 3, 2, 5}));
    EXPECT_FLOAT_EQ(match.Results[0].Dx, 0.5f);  // (121 - 120) * 0.5
    EXPECT_FLOAT_EQ(match.Results[0].Dy, -1.0f); // moved down 2 pixels
    EXPECT_FLOAT_EQ(match.Results[1].Dx, 1.5f);
    EXPECT_TRUE(match.Files[0].Dots[1].Matched);
    EXPECT_FALSE(match.Files[0].Dots[0].Matched);
    EXPECT_FALSE(match.Files[1].Dots[4].Matched);

    WriteMatchResult(dir.File("r.dat"), match, TMatchResultLayout::NxNyXYDxDy, true);
    std::vector<std::string> header;
    const auto rows = ResultRows(ReadFileBytes(dir.File("r.dat")), &header);
    EXPECT_EQ(header[0], "initial.bmp");
    EXPECT_EQ(header[1], "deformed.bmp");
    EXPECT_EQ(header[2], "In this " + dir.File("r.dat") + ", 5 dots have been matched");
    EXPECT_EQ(header[3], " Y axis is set to  Y2= Height-Y");
    ASSERT_EQ(rows.size(), 5u);
    // x halved; Y = 310 pixels - y halved.
    EXPECT_EQ(rows[0], (std::vector<double>{1, -1, 60, 250, 0.5, -1}));
    EXPECT_EQ(rows[4], (std::vector<double>{1, 3, 60, 290, -0.5, -0.5}));
}

TEST(CodeMatch, SignsOfDyAndThetaForTheFourMotionsWithAndWithoutChangeY) {
    TempDir dir;
    WriteFileBytes(dir.File("a.cod"),
                   CodeText({{0, 0, 100, 100}, {1, 0, 120, 100}, {2, 0, 140, 100}, {3, 0, 160, 100}}, 5, 5));
    // Right by 2, left by 2, up the picture by 2 (y falls), down by 2.
    WriteFileBytes(dir.File("b.cod"),
                   CodeText({{0, 0, 102, 100}, {1, 0, 118, 100}, {2, 0, 140, 98}, {3, 0, 160, 102}}, 5, 5));
    TCodeMatch match(dir.File("a.cod"), dir.File("b.cod"));
    const double pi = std::numbers::pi_v<float>;
    const double half = std::numbers::pi_v<float> / 2;
    struct Expected {
        double Dx, DyChanged, ThetaChanged;
    };
    const Expected motions[4] = {{2, 0, 0}, {-2, 0, pi}, {0, 2, half}, {0, -2, -half}};
    for (const bool changeY : {true, false}) {
        WriteMatchResult(dir.File("dxdy.dat"), match, TMatchResultLayout::XYDxDy, changeY);
        WriteMatchResult(dir.File("polar.dat"), match, TMatchResultLayout::XYThetaR, changeY);
        EXPECT_EQ(match.ChangeY, changeY);
        const auto dxdy = ResultRows(ReadFileBytes(dir.File("dxdy.dat")));
        const auto polar = ResultRows(ReadFileBytes(dir.File("polar.dat")));
        ASSERT_EQ(dxdy.size(), 4u);
        for (int k = 0; k < 4; ++k) {
            const double sign = changeY ? 1.0 : -1.0;
            EXPECT_DOUBLE_EQ(dxdy[k][1], changeY ? 200.0 : 100.0);
            EXPECT_DOUBLE_EQ(dxdy[k][2], motions[k].Dx);
            EXPECT_DOUBLE_EQ(dxdy[k][3], sign * motions[k].DyChanged + 0.0) << k;
            EXPECT_NEAR(polar[k][2], sign * motions[k].ThetaChanged, 5e-4) << k;
            EXPECT_DOUBLE_EQ(polar[k][3], 2.0);
        }
    }
    float theta = 0, r = 0;
    ThetaR(-1.0f, 1.0f, theta, r);
    EXPECT_FLOAT_EQ(theta, 3.0f * std::numbers::pi_v<float> / 4.0f);
    EXPECT_FLOAT_EQ(r, std::sqrt(2.0f));
}

TEST(CodeMatch, EightLayoutsHeadersAndRowsAndAnEmptyMatch) {
    TempDir dir;
    WriteFileBytes(dir.File("a.cod"), CodeText({{9, 9, 1, 1}, {-1, 2, 50.25f, 80.5f}}, 10, 10));
    WriteFileBytes(dir.File("b.cod"), CodeText({{-1, 2, 53.25f, 76.5f}}, 10, 10));
    TCodeMatch match(dir.File("a.cod"), dir.File("b.cod"));
    // dx = 3, dy = 4 up the picture, r = 5, theta = atan2(4, 3); Y = 300 - 80.5.
    const char* const expected[8][2] = {
        {"       x           y           theta        r", "    50.250     219.500       0.927       5.000"},
        {"     x           y           dx          dy", "     50.250     219.500       3.000       4.000"},
        {"     x           y           dx ", "     50.250     219.500       3.000"},
        {"     x           y          dy", "     50.250     219.500       4.000"},
        {" index      x           y           dx          dy",
         "    1      50.250     219.500       3.000       4.000"},
        {" index       x           y           theta        r",
         "    1      50.250     219.500       0.927       5.000"},
        {" Nx    Ny       x           y           dx          dy",
         "   -1      2       50.250     219.500       3.000       4.000"},
        {" Nx    Ny      x           y           theta        r",
         "   -1      2       50.250     219.500       0.927       5.000"},
    };
    for (int layout = 0; layout < 8; ++layout) {
        std::string file = "r";
        file += std::to_string(layout);
        const std::string name = dir.File(file + ".dat");
        WriteMatchResult(name, match, static_cast<TMatchResultLayout>(layout), true);
        EXPECT_EQ(ReadFileBytes(name), "grid.bmp\ngrid.bmp\nIn this " + name +
                                           ", 1 dots have been matched\n" +
                                           " Y axis is set to  Y2= Height-Y\n" + expected[layout][0] + "\n" +
                                           expected[layout][1] + "\n")
            << layout;
    }
    const std::string polarFail = dir.File("no/r.dat");
    EXPECT_EQ(ErrorText([&] { WriteMatchResult(polarFail, match, TMatchResultLayout::IndexXYThetaR, true); }),
              "write theta & r result  error \n" + polarFail);
    EXPECT_EQ(ErrorText([&] { WriteMatchResult(polarFail, match, TMatchResultLayout::XYDy, false); }),
              "write result file error \n" + polarFail);

    WriteFileBytes(dir.File("none.cod"), CodeText({}, 10, 10));
    TCodeMatch empty(dir.File("a.cod"), dir.File("none.cod"));
    WriteMatchResult(dir.File("e.dat"), empty, TMatchResultLayout::XYDxDy, false);
    EXPECT_EQ(ReadFileBytes(dir.File("e.dat")), "grid.bmp\ngrid.bmp\nIn this " + dir.File("e.dat") +
                                                    ", 0 dots have been matched\n Y axis is not changed\n"
                                                    "     x           y           dx          dy\n");
}

} // namespace
} // namespace corvane
