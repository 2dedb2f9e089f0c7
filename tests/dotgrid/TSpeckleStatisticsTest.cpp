#include "dotgrid/TSpeckleStatistics.h"
#include "dotgrid/SpeckleTableFile.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "support/DotPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane {
namespace {

using test::PaintBlock;
using test::SpeckleBlock;

struct Picture {
    std::int32_t Width, Height;
    std::vector<std::uint8_t> Pixels;
    Picture(std::int32_t w, std::int32_t h, std::uint8_t background)
        : Width(w), Height(h), Pixels(static_cast<std::size_t>(w) * h, background) {}
    Picture& Add(SpeckleBlock b, std::uint8_t value) {
        PaintBlock(Pixels, Width, b, value);
        return *this;
    }
};

/// The four saved tables of one analysis of a copy of the picture.
std::vector<std::string> Tables(const Picture& p, const TSpeckleAnalysisOptions& options) {
    auto pixels = p.Pixels;
    TGrayImage image(pixels.data(), p.Width, p.Height);
    const auto statistics = AnalyseSpeckles(image, options);
    test::TempDir dir;
    std::vector<std::string> tables;
    for (int type = 0; type < 4; ++type) {
        static const char* const kNames[] = {"xy.dat", "area.dat", "x.dat", "y.dat"};
        const std::string name = dir.File(kNames[type]);
        WriteSpeckleTable(name, *statistics, static_cast<TSpeckleOutputType>(type));
        tables.push_back(test::ReadFileBytes(name));
    }
    return tables;
}

const std::vector<std::string> kHeaders = {"x_size    y_size   how_many\n", " area   how_many\n",
                                           "x_size   how_many\n", "y_size    how_many\n"};

TEST(SpeckleStatistics, TheDefaultRectangleCountsNothingAndEveryFileHoldsOnlyItsHeader) {
    Picture p(60, 40, 0);
    p.Add({10, 10, 3, 2}, 200).Add({30, 20, 5, 5}, 200);
    EXPECT_EQ(Tables(p, {}), kHeaders);
}

TEST(SpeckleStatistics, AThreeByTwoSpeckleInEachTable) {
    // An L of 5 pixels in a 3 x 2 box, and a 2 x 4 block, black speckles on white.
    Picture p(50, 30, 255);
    p.Add({20, 10, 3, 1}, 40).Add({20, 11, 1, 1}, 90).Add({22, 11, 1, 1}, 90);
    p.Add({8, 20, 2, 4}, 0);
    const auto tables = Tables(p, {.WhiteSpeckle = false, .Left = 0, .Top = 0, .Right = 49, .Bottom = 29});
    EXPECT_EQ(tables[0], kHeaders[0] + "3    2    1 \n2    4    1 \n");
    EXPECT_EQ(tables[1], kHeaders[1] + " 5    1 \n 8    1 \n");
    EXPECT_EQ(tables[2], kHeaders[2] + " 2    1\n 3    1\n");
    EXPECT_EQ(tables[3], kHeaders[3] + " 2    1 \n 4    1 \n");
}

TEST(SpeckleStatistics, SizesBeyondTheRangeGoToTheOverflowBinsOnly) {
    Picture p(80, 30, 0);
    p.Add({10, 10, 40, 2}, 200); // 40 wide: width overflow
    p.Add({60, 3, 1, 1}, 200);   // 1 x 1: below the type 0 range
    p.Add({60, 10, 4, 5}, 200).Add({64, 10, 1, 1}, 200).Add({64, 15, 1, 1}, 200); // area 22, box 5 x 6
    const auto tables = Tables(
        p, {.MinX = 2, .MaxX = 30, .MinY = 2, .MaxY = 5, .Left = 0, .Top = 0, .Right = 79, .Bottom = 29});
    EXPECT_EQ(tables[0], kHeaders[0]); // each is out of range in width or height
    EXPECT_EQ(tables[1], kHeaders[1] + " 1    1 \n 22    1 \n 80    1 \n");
    EXPECT_EQ(tables[2], kHeaders[2] + " 1    1\n 5    1\n 31    1\n");
    EXPECT_EQ(tables[3], kHeaders[3] + " 1    1 \n 2    1 \n 6    1 \n");
}

TEST(SpeckleStatistics, BorderSpecklesAreNeverCountedAndTheFillStaysInTheRectangle) {
    Picture p(40, 30, 0);
    p.Add({0, 5, 3, 3}, 200).Add({37, 20, 3, 3}, 200).Add({10, 0, 2, 2}, 200).Add({20, 28, 4, 2}, 200);
    p.Add({10, 10, 6, 4}, 200); // cut by the rectangle's right edge at x = 12: 3 x 4 inside
    const auto tables = Tables(p, {.Left = -5, .Top = -5, .Right = 12, .Bottom = 100});
    EXPECT_EQ(tables[0], kHeaders[0] + "3    4    1 \n");
    EXPECT_EQ(tables[1], kHeaders[1] + " 12    1 \n");
}

TEST(SpeckleStatistics, AreaOverflowAndRefusedTableSizes) {
    Picture p(30, 30, 0);
    p.Add({5, 5, 4, 4}, 200);
    // 2 x 3 range: area 16 > 6 goes to entry 7, size 4 x 4 to the overflow column 3 and row 4.
    const auto tables = Tables(
        p, {.MinX = 1, .MaxX = 2, .MinY = 1, .MaxY = 3, .Left = 0, .Top = 0, .Right = 29, .Bottom = 29});
    EXPECT_EQ(tables[1], kHeaders[1] + " 7    1 \n");
    // A negative lower size has no columns to list: the table starts at 0.
    const auto fromNegative = Tables(
        p, {.MinX = -3, .MaxX = 4, .MinY = -2, .MaxY = 4, .Left = 0, .Top = 0, .Right = 29, .Bottom = 29});
    EXPECT_EQ(fromNegative[0], kHeaders[0] + "4    4    1 \n");
    EXPECT_EQ(tables[2], kHeaders[2] + " 3    1\n");
    EXPECT_EQ(tables[3], kHeaders[3] + " 4    1 \n");

    for (const auto& [maxX, maxY, message] : std::vector<std::tuple<int, int, std::string>>{
             {0, 30, "The largest speckle size must be at least 1 pixel"},
             {30, -4, "The largest speckle size must be at least 1 pixel"},
             {100000, 100000, "Not enought memory to allocate"}}) {
        TGrayImage image(p.Pixels.data(), p.Width, p.Height);
        try {
            AnalyseSpeckles(image, {.MaxX = maxX, .MaxY = maxY});
            ADD_FAILURE() << maxX << " x " << maxY << " accepted";
        } catch (const CorvaneError& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
}

} // namespace
} // namespace corvane
