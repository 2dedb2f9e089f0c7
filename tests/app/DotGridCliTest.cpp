#include "support/CliRun.h"
#include "support/DotPictures.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

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

} // namespace
} // namespace corvane
