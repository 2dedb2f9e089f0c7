// corvane-cli carrier run as a user runs it, on generated fringe pictures.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "image/TFloatImage.h"
#include "phase/TCarrierMoire.h"
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

// The verb gives the FLT that the wizard's stages save with the same values, byte for byte.
TEST_F(CarrierCli, OneImageSavesTheAbsolutePhaseTheWizardSaves) {
    const ProgramRun run =
        Cli(dir, {"carrier", "moire.bmp", "--strip",    "rows",   "--strip-size", "20", "--search",
                  "0",       "0",         "60",         "16",     "--window",     "30", "11",
                  "--coef",  "0.6",       "--boundary", "3",      "--pitch",      "2",  "--scale",
                  "0.5",     "0.25",      "-o",         "abs.flt"});
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_EQ(run.Out.rfind("128 x 64, reference 128 x 16, carrier (-20, 0), window 30 x 11, plane A=", 0),
              0u)
        << run.Out;

    TCarrierMoire moire(TCarrierMethod::OneImage);
    moire.Build({dir.File("moire.bmp"), "", TStripDirection::Rows, 20});
    moire.ComputeCarrier({0, 0, 60, 16});
    const TStartPoints starts = *moire.RemoveCarrier({30, 11});
    moire.Unwrap({0.6f, starts.Image, starts.Reference, 3, TReferenceRemoval::Plane});
    moire.ConvertPitch(2.0f);
    moire.SaveFlt(dir.File("wizard.flt"), TMoireMap::Image, TValueScaleRule::Keep, 0.5, 0.25);
    EXPECT_EQ(ReadFileBytes(dir.File("abs.flt")), ReadFileBytes(dir.File("wizard.flt")));
    const TFloatImage saved(dir.File("abs.flt"));
    EXPECT_EQ(std::tuple(saved.ScaleX, saved.ScaleY), std::tuple(0.5f, 0.25f));
    EXPECT_FLOAT_EQ(saved.ValueScale, static_cast<float>(2.0 * 0.5 / 3.141592653589793));
}

TEST_F(CarrierCli, DefaultsFindTheCarrierAndTwoImagesSubtractTheReference) {
    const ProgramRun one = Cli(dir, {"carrier", "moire.bmp", "-o", "one.flt"});
    ASSERT_EQ(one.Status, 0) << one.Err;
    EXPECT_NE(one.Out.find("carrier (-20, 0), window 37 x 27"), std::string::npos) << one.Out;
    EXPECT_EQ(TFloatImage(dir.File("one.flt")).ValueScale, 1.0f);

    const ProgramRun two = Cli(dir, {"carrier", "moire.bmp", "--reference", "ref.bmp", "-o", "two.flt"});
    ASSERT_EQ(two.Status, 0) << two.Err;
    EXPECT_EQ(two.Out.find("plane"), std::string::npos) << two.Out;
    const TFloatImage map(dir.File("two.flt"));
    // Away from the borders the map is the bump, up to a whole number of turns.
    const double offset = map.GetPixel(20, 10) - Bump(20, 10);
    EXPECT_NEAR(map.GetPixel(90, 40) - offset, Bump(90, 40), 0.1);

    const ProgramRun same = Cli(dir, {"carrier", "ref.bmp", "--reference", "ref.bmp", "-o", "zero.flt"});
    ASSERT_EQ(same.Status, 0) << same.Err;
    const TFloatImage zero(dir.File("zero.flt"));
    EXPECT_EQ(std::count(zero.Data, zero.Data + zero.PixelCount(), 0.0f), 128 * 64);
    EXPECT_EQ(
        Cli(dir, {"carrier", "moire.bmp", "--reference", "ref.bmp", "--bilinear", "-o", "b.flt"}).Status, 0);
}

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
