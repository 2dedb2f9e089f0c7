#include "support/CliRun.h"
#include "support/DotGridPictures.h"
#include "support/DotPictures.h"
#include "support/SpeckleImages.h"

#include <filesystem>

namespace corvane {
namespace {

using namespace test;

TEST(DotGridCli, SegmentEncodeAndMatchRefuseWrongCommandLinesAndFailuresWriteNothing) {
    TempDir dir;
    DotLattice lattice = UnevenDotLattice();
    SaveGreyBmp(dir.File("grid.bmp"), lattice.Width, lattice.Height, lattice.Pixels);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"segment", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "otsu", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "adaptive", "--threshold", "9", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "simple", "--window", "9", "grid.bmp", "-o", "s.bmp"},
             {"segment", "--method", "simple", "grid.bmp"}})
        EXPECT_TRUE(Refuses(dir, args, 2)) << args[2];
    EXPECT_TRUE(Refuses(
        dir,
        {"segment", "--method", "adaptive", "--window", "86", "grid.bmp", "-o", "s.bmp", "--dots", "d.txt"},
        1, "The window size must be between 1 and 85 pixels"));
    // A picture with nothing in it: the dot table fails, and the picture is not written either.
    SaveGreyBmp(dir.File("blank.bmp"), 60, 40, std::vector<std::uint8_t>(60 * 40, 10));
    EXPECT_TRUE(Refuses(dir, {"segment", "--method", "simple", "blank.bmp", "-o", "s.bmp", "--dots", "d.txt"},
                        1, "No dots in this image\nmay be you should give a small noise threshold"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("d.txt")));

    // A single row of dots has no perpendicular neighbour: the automatic origin fails.
    const auto centres = LatticeCentres(20, 30, 20, 20, 5, 1);
    SaveGreyBmp(dir.File("row.bmp"), 120, 60, RenderDots(120, 60, centres, 4.0, 200, 0));
    EXPECT_TRUE(Refuses(dir, {"encode", "row.bmp", "-o", "row.cod"}, 1, "Can not automaticly find origin"));

    WriteFileBytes(dir.File("bad.cod"), "NOT-A-CODE-FILE\n");
    EXPECT_TRUE(
        Refuses(dir, {"match", "bad.cod", "bad.cod", "-o", "r.dat"}, 1, "bad.cod is not a code file!"));

    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {"match", "a.cod", "b.cod", "-o", "r.dat", "--layout", "8"},
             {"match", "a.cod", "b.cod", "-o", "r.dat", "--change-y", "--keep-y"},
             {"encode", "row.bmp", "-o", "x.cod", "--origin", "ratio"},
             {"encode", "row.bmp", "-o", "x.cod", "--threshold", "90"},
         })
        EXPECT_TRUE(Refuses(dir, words, 2)) << words.back();
}

} // namespace
} // namespace corvane
