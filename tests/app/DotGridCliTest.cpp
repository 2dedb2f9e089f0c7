#include "support/CliRun.h"
#include "support/DotGridPictures.h"
#include "support/DotPictures.h"
#include "support/SpeckleImages.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace corvane {
namespace {

using namespace test;

TEST(DotGridCli, SegmentRefusesWrongCommandLinesAndAnUnusableWindowWritesNothing) {
    TempDir dir;
    DotLattice lattice = UnevenDotLattice();
    SaveGreyBmp(dir.File("grid.bmp"), lattice.Width, lattice.Height, lattice.Pixels);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"segment", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "otsu", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "adaptive", "--threshold", "9", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "simple", "--window", "9", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "simple", "grid.bmp"}}) {
        EXPECT_EQ(Cli(dir, args).Status, 2) << args[2];
    }
    const ProgramRun big = Cli(dir, {"segment", "--method", "adaptive", "--window", "86", "grid.bmp", "-o",
                                     "s.bmp", "--dots", "d.txt"});
    EXPECT_EQ(big.Status, 1);
    EXPECT_NE(big.Err.find("The window size must be between 1 and 85 pixels"), std::string::npos) << big.Err;
    // A picture with nothing in it: the dot table fails, and the picture is not written either.
    std::vector<std::uint8_t> blank(static_cast<std::size_t>(60) * 40, 10);
    SaveGreyBmp(dir.File("blank.bmp"), 60, 40, blank);
    const ProgramRun none =
        Cli(dir, {"segment", "--method", "simple", "blank.bmp", "-o", "s.bmp", "--dots", "d.txt"});
    EXPECT_EQ(none.Status, 1);
    EXPECT_NE(none.Err.find("No dots in this image\nmay be you should give a small noise threshold"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("s.bmp")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("d.txt")));
}

TEST(DotGridEncodeCli, FailuresWriteNothingAndWrongCommandLinesAreRefused) {
    TempDir dir;
    // A single row of dots has no perpendicular neighbour: the automatic origin fails.
    const auto centres = LatticeCentres(20, 30, 20, 20, 5, 1);
    SaveGreyBmp(dir.File("row.bmp"), 120, 60, RenderDots(120, 60, centres, 4.0, 200, 0));
    ProgramRun run = Cli(dir, {"encode", "row.bmp", "-o", "row.cod"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("Can not automaticly find origin"), std::string::npos) << run.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("row.cod")));

    WriteFileBytes(dir.File("bad.cod"), "NOT-A-CODE-FILE\n");
    run = Cli(dir, {"match", "bad.cod", "bad.cod", "-o", "r.dat"});
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Err.find("bad.cod is not a code file!"), std::string::npos) << run.Err;
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
