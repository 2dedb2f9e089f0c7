#include "dotgrid/DotExtraction.h"
#include "dotgrid/DotGridEncode.h"
#include "dotgrid/MatchResultFile.h"
#include "dotgrid/TCodeMatch.h"
#include "dotgrid/TThresholdSegment.h"
#include "image/TGrayImage.h"
#include "support/CliRun.h"
#include "support/DotGridPictures.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

namespace corvane {
namespace {

using namespace test;

/// The text after the first n lines.
std::string After(const std::string& text, int n) {
    std::size_t at = 0;
    for (int i = 0; i < n && at != std::string::npos; ++i)
        at = text.find('\n', at) + 1;
    return text.substr(at);
}

/// What "Encode" then "Save Codes" write for the picture after a simple segmentation at level.
std::string WorkbenchCodes(std::vector<std::uint8_t> pixels, std::int32_t width, std::int32_t height,
                           std::int32_t level, const TempDir& dir) {
    TGrayImage picture(pixels.data(), width, height);
    SegmentSimple(picture, {.Level = level, .WhiteDots = true});
    TEncodeSession session;
    Encode(session, picture, {.LeastArea = EvaluateLeastArea(picture, true)});
    session.Encoder->WriteCodeFile(dir.File("expected.cod"));
    return ReadFileBytes(dir.File("expected.cod"));
}

TEST(DotGridEncodeCli, EncodeAndMatchWriteTheWorkbenchsFilesAndRecoverTheDisplacement) {
    TempDir dir;
    const DotLatticePair pair = MakeDotLatticePair();
    SaveGreyBmp(dir.File("initial.bmp"), pair.Width, pair.Height, pair.Initial);
    SaveGreyBmp(dir.File("deformed.bmp"), pair.Width, pair.Height, pair.Deformed);
    for (const char* name : {"initial", "deformed"}) {
        const ProgramRun run =
            Cli(dir, {"encode", std::string(name) + ".bmp", "-o", std::string(name) + ".cod", "--segment",
                      "simple", "--threshold", "40"});
        ASSERT_EQ(run.Status, 0) << run.Err;
    }
    EXPECT_EQ(ReadFileBytes(dir.File("initial.cod")),
              WorkbenchCodes(pair.Initial, pair.Width, pair.Height, 40, dir));
    EXPECT_EQ(ReadFileBytes(dir.File("deformed.cod")),
              WorkbenchCodes(pair.Deformed, pair.Width, pair.Height, 40, dir));

    const ProgramRun run = Cli(dir, {"match", "initial.cod", "deformed.cod", "-o", "r.dat"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    TCodeMatch match(dir.File("initial.cod"), dir.File("deformed.cod"));
    WriteMatchResult(dir.File("expected.dat"), match, TMatchResultLayout::XYDxDy, true);
    const std::string written = ReadFileBytes(dir.File("r.dat"));
    EXPECT_EQ(After(written, 2), "In this r.dat, 99 dots have been matched\n" +
                                     After(ReadFileBytes(dir.File("expected.dat")), 3));

    // Layout 1 with the Y axis changed: x, height - y, dx, displacement up the picture.
    std::istringstream rows(After(written, 5));
    std::string line;
    int count = 0;
    double worst = 0.0;
    while (std::getline(rows, line)) {
        double x = 0, y = 0, dx = 0, dy = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf %lf", &x, &y, &dx, &dy), 4);
        const auto c = static_cast<std::size_t>(std::lround((x - 32) / 21));
        const auto r = static_cast<std::size_t>(std::lround((pair.Height - y - 28) / 24));
        const std::size_t p = r * 11 + c;
        ASSERT_LT(p, pair.Centres.size());
        EXPECT_NEAR(x, pair.Centres[p].X, 0.05) << line;
        EXPECT_NEAR(pair.Height - y, pair.Centres[p].Y, 0.05) << line;
        EXPECT_NEAR(dx, pair.Displacements[p].X, 0.05) << line;
        EXPECT_NEAR(dy, -pair.Displacements[p].Y, 0.05) << line;
        worst = std::max(
            {worst, std::fabs(dx - pair.Displacements[p].X), std::fabs(dy + pair.Displacements[p].Y)});
        ++count;
    }
    EXPECT_EQ(count, 99); // every dot, none touches the border
    RecordProperty("worst_displacement_error_px", std::to_string(worst));

    // The other origins give the same codes on a regular lattice; options reach the header.
    ASSERT_EQ(Cli(dir, {"segment", "--method", "simple", "--threshold", "40", "initial.bmp", "-o", "seg.bmp"})
                  .Status,
              0);
    ProgramRun other =
        Cli(dir, {"encode", "seg.bmp", "-o", "ratio.cod", "--origin", "ratio", "--ratio", "21", "24"});
    ASSERT_EQ(other.Status, 0) << other.Err;
    EXPECT_EQ(ReadFileBytes(dir.File("ratio.cod")), ReadFileBytes(dir.File("initial.cod")));
    other = Cli(dir, {"encode", "seg.bmp", "-o", "direct.cod", "--origin", "direct", "--origin-dot", "137",
                      "126", "--max", "20", "30", "--scale", "0.5", "0.25"});
    ASSERT_EQ(other.Status, 0) << other.Err;
    const std::string direct = ReadFileBytes(dir.File("direct.cod"));
    EXPECT_EQ(direct.substr(0, direct.find('\n', direct.find('\n', 8) + 1) + 1),
              "TAVM-FS\n99 300 250\n20  30  0.500000  0.250000  0\n");
    EXPECT_EQ(After(direct, 3), After(ReadFileBytes(dir.File("initial.cod")), 3));
}

TEST(DotGridEncodeCli, FailuresWriteNothingAndWrongCommandLinesAreRefused) {
    TempDir dir;
    SaveGreyBmp(dir.File("blank.bmp"), 40, 30, std::vector<std::uint8_t>(40 * 30, 0));
    ProgramRun run = Cli(dir, {"encode", "blank.bmp", "-o", "blank.cod"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("No dots in this image\nmay be you should give a small noise threshold"),
              std::string::npos)
        << run.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("blank.cod")));

    // A single row of dots has no perpendicular neighbour: the automatic origin fails.
    const auto centres = LatticeCentres(20, 30, 20, 20, 5, 1);
    SaveGreyBmp(dir.File("row.bmp"), 120, 60, RenderDots(120, 60, centres, 4.0, 200, 0));
    run = Cli(dir, {"encode", "row.bmp", "-o", "row.cod"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Can not automaticly find origin"), std::string::npos) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("row.cod")));

    WriteFileBytes(dir.File("bad.cod"), "NOT-A-CODE-FILE\n");
    run = Cli(dir, {"match", "bad.cod", "bad.cod", "-o", "r.dat"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("bad.codis not a code file!"), std::string::npos) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("r.dat")));

    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"match", "a.cod", "b.cod", "-o", "r.dat", "--layout", "8"},
             {"match", "a.cod", "b.cod", "-o", "r.dat", "--change-y", "--keep-y"},
             {"encode", "row.bmp", "-o", "x.cod", "--origin", "ratio"},
             {"encode", "row.bmp", "-o", "x.cod", "--threshold", "90"},
         }) {
        run = Cli(dir, words);
        EXPECT_EQ(run.Status, 2) << words.back() << run.Err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.cod")));
}

} // namespace
} // namespace corvane
