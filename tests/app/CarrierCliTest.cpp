// corvane-cli carrier run as a user runs it, on generated fringe pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "support/CarrierFringes.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;

double Bump(int x, int y) {
    return 1.2 * std::exp(-((x - 90.0) * (x - 90.0) + (y - 40.0) * (y - 40.0)) / 200.0);
}

class CarrierCli : public ::testing::Test {
  protected:
    void SetUp() override {
        SaveCarrierFringes(dir.File("moire.bmp"), 150, 70, 20.3 / 128.0, 0.0, Bump);
        SaveCarrierFringes(dir.File("ref.bmp"), 150, 70, 20.3 / 128.0, 0.0, [](int, int) { return 0.0; });
    }
    TempDir dir;
};

TEST_F(CarrierCli, FailuresWriteNothing) {
    const auto fails = [&](const std::vector<std::string>& words, int status, const std::string& message) {
        const ProgramRun run = Cli(dir, words);
        SCOPED_TRACE(message);
        EXPECT_EQ(run.Status, status) << run.Err;
        EXPECT_NE(run.Err.find(message), std::string::npos) << run.Err;
        EXPECT_FALSE(std::filesystem::exists(dir.File("out.flt")));
    };
    fails({"carrier", "none.bmp", "-o", "out.flt"}, 1, "carrier: Select One Moire Image First\n");
    fails({"carrier", "moire.bmp", "--reference", "none.bmp", "-o", "out.flt"}, 1,
          "Select Two Moire Images First");
    fails({"carrier", "moire.bmp", "--strip-size", "15", "-o", "out.flt"}, 1, "Reference size too small");
    fails({"carrier", "moire.bmp", "--window", "30", "40", "-o", "out.flt"}, 1, "(29,-4) not in the image");
    fails({"carrier", "moire.bmp", "--boundary", "16", "-o", "out.flt"}, 1,
          "The reference plane can not be fitted inside a boundary of 16");
    fails({"carrier", "moire.bmp", "--strip", "diagonal", "-o", "out.flt"}, 2, "neither rows nor columns");
    fails({"carrier", "moire.bmp", "--bilinear", "-o", "out.flt"}, 2, "--bilinear applies to two images");
    fails({"carrier", "moire.bmp", "--reference", "ref.bmp", "--strip-size", "16", "-o", "out.flt"}, 2,
          "--strip-size applies to one image");
    fails({"carrier", "moire.bmp", "--search", "0", "0", "9", "-o", "out.flt"}, 2, "--search needs 4 values");
    fails({"carrier", "moire.bmp"}, 2, "the output file is missing");

    const ProgramRun help = Cli(dir, {"carrier", "--help"});
    EXPECT_EQ(help.Out.rfind("Usage: corvane-cli carrier IMAGE [--reference REF]", 0), 0u) << help.Out;
}

} // namespace
} // namespace corvane
