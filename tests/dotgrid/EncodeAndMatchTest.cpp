#include "dotgrid/DotExtraction.h"
#include "dotgrid/DotGridEncode.h"
#include "dotgrid/MatchResultFile.h"
#include "dotgrid/TCodeMatch.h"
#include "dotgrid/TThresholdSegment.h"
#include "image/TGrayImage.h"
#include "support/DotGridPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace corvane {
namespace {

/// Segments, encodes and saves the codes of a picture as the workbench does with its defaults.
void EncodeToFile(std::vector<std::uint8_t> pixels, std::int32_t width, std::int32_t height,
                  const std::string& name) {
    TGrayImage picture(pixels.data(), width, height);
    SegmentSimple(picture, {.Level = 40, .WhiteDots = true});
    TEncodeSession session;
    Encode(session, picture, {.LeastArea = EvaluateLeastArea(picture, true)});
    session.Encoder->WriteCodeFile(name);
}

TEST(EncodeAndMatch, KnownSmoothDisplacementIsRecoveredForEveryDot) {
    test::TempDir dir;
    const test::DotLatticePair pair = test::MakeDotLatticePair();
    EncodeToFile(pair.Initial, pair.Width, pair.Height, dir.File("initial.cod"));
    EncodeToFile(pair.Deformed, pair.Width, pair.Height, dir.File("deformed.cod"));
    TCodeMatch match(dir.File("initial.cod"), dir.File("deformed.cod"));
    WriteMatchResult(dir.File("match.dat"), match, TMatchResultLayout::NxNyXYDxDy, false);

    std::istringstream in(test::ReadFileBytes(dir.File("match.dat")));
    std::string line;
    for (int n = 0; n < 5; ++n)
        std::getline(in, line);
    // The origin is the dot nearest to the mean of all dots: lattice position (5, 4) in both.
    std::int32_t rows = 0, previous = -1000000;
    double worst = 0.0;
    while (std::getline(in, line)) {
        int nx = 0, ny = 0;
        double x = 0, y = 0, dx = 0, dy = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%d %d %lf %lf %lf %lf", &nx, &ny, &x, &y, &dx, &dy), 6) << line;
        const std::int32_t c = nx + 5, r = 4 - ny;
        ASSERT_TRUE(c >= 0 && c < pair.Columns && r >= 0 && r < pair.Rows) << line;
        const std::int32_t p = r * pair.Columns + c;
        EXPECT_GT(ny * 1000 + nx, previous) << "rows ordered by ny, then nx: " << line;
        previous = ny * 1000 + nx;
        EXPECT_NEAR(x, pair.Centres[p].X, 0.05) << line;
        EXPECT_NEAR(y, pair.Centres[p].Y, 0.05) << line;
        // Without "Change Y axis" dy is positive down the picture, as the field is given.
        EXPECT_NEAR(dx, pair.Displacements[p].X, 0.05) << line;
        EXPECT_NEAR(dy, pair.Displacements[p].Y, 0.05) << line;
        worst = std::max(
            {worst, std::fabs(dx - pair.Displacements[p].X), std::fabs(dy - pair.Displacements[p].Y)});
        ++rows;
    }
    // All 99 dots matched.
    EXPECT_EQ(rows, pair.Columns * pair.Rows);
    EXPECT_EQ(match.MatchCount, rows);
    RecordProperty("worst_displacement_error_px", std::to_string(worst));
}

} // namespace
} // namespace corvane
