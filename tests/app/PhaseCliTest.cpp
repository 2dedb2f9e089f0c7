#include "phase/GridGenerator.h"
#include "phase/MoireSimulation.h"
#include "phase/PhaseShift.h"
#include "phase/PseudoColor.h"
#include "support/CarrierFringes.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/WrappedPhaseMaps.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <tuple>

namespace corvane {
namespace {

using namespace test;

/// Red, green and blue of pixel (x, y) of a 24-bit BMP as the file stores it (bottom-up, BGR).
std::array<int, 3> BmpColour(const std::string& bytes, int width, int height, int x, int y) {
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    const std::size_t at =
        54 + static_cast<std::size_t>(height - 1 - y) * stride + static_cast<std::size_t>(x) * 3;
    const auto byte = [&](std::size_t i) { return static_cast<int>(static_cast<unsigned char>(bytes[i])); };
    return {byte(at + 2), byte(at + 1), byte(at)};
}

TEST(PhaseCli, PhaseShiftSavesTheSameBytesAsTheToolAndRefusesMismatchedSteps) {
    TempDir dir;
    // Four pictures shifted by pi/2 of a tilted phase, 70 x 45.
    std::vector<std::unique_ptr<TGrayImage>> steps;
    const char* names[] = {"s1.bmp", "s2.bmp", "s3.bmp", "s4.bmp"};
    for (int k = 0; k < 4; ++k) {
        steps.push_back(MakeGreyPicture(70, 45, [k](int x, int y) {
            return std::lround(128 + 90 * std::cos(0.3 * x - 0.2 * y + k * std::numbers::pi / 2));
        }));
        steps.back()->SaveBmp(dir.File(names[k]));
    }
    ASSERT_TRUE(Runs(dir, {"phase-shift", "--method", "const4", "s1.bmp", "s2.bmp", "s3.bmp", "s4.bmp", "-o",
                           "phase.flt"}));
    // What the tool's Compute Phase and Save To Float write with the default image scale.
    PhaseShiftResult tool = ComputePhaseShift(
        PhaseShiftMethod::Const4Step, {steps[0].get(), steps[1].get(), steps[2].get(), steps[3].get()});
    SavePhaseShiftFlt(*tool.Phase->Phase, 1.0f, 1.0f, dir.File("tool.flt"));
    EXPECT_EQ(ReadFileBytes(dir.File("phase.flt")), ReadFileBytes(dir.File("tool.flt")));
    EXPECT_NEAR(TFloatImage(dir.File("phase.flt")).GetPixel(69, 44),
                std::remainder(0.3 * 69 - 0.2 * 44, 2 * std::numbers::pi), 0.02);

    ASSERT_TRUE(Runs(dir, {"phase-shift", "--method", "const3", "--scale", "0.5", "2", "s1.bmp", "s2.bmp",
                           "s3.bmp", "-o", "c3.flt"}));
    EXPECT_EQ(TFloatImage(dir.File("c3.flt")).ScaleY, 2.0f);

    MakeGreyPicture(70, 44, [](int, int) { return 9; })->SaveBmp(dir.File("short.bmp"));
    EXPECT_TRUE(Refuses(
        dir, {"phase-shift", "--method", "equal4", "s1.bmp", "s2.bmp", "short.bmp", "s4.bmp", "-o", "e4.flt"},
        1, "Step 3 image is 70 x 44, Step 2 image is 70 x 45"));
    EXPECT_EQ(Cli(dir, {"phase-shift", "s1.bmp", "s2.bmp", "s3.bmp", "-o", "x.flt"}).Status, 2);
    for (const char* method : {"const3", "five"}) // four pictures for three; an unknown method
        EXPECT_EQ(Cli(dir, {"phase-shift", "--method", method, "s1.bmp", "s2.bmp", "s3.bmp", "s4.bmp", "-o",
                            "x.flt"})
                      .Status,
                  2)
            << method;
}

TEST(PhaseCli, MoireSimulateWritesFourStepsAndRefusesAZeroLineCount) {
    TempDir dir;
    const auto grid = [](double pitch) {
        return MakeGreyPicture(64, 40, [pitch](int x, int y) {
            return static_cast<int>(127 + 120 * std::cos(2 * std::numbers::pi * (x + 0.01 * y * y) / pitch));
        });
    };
    const auto deformed = grid(8.0);
    const auto reference = grid(8.5);
    deformed->SaveBmp(dir.File("g.bmp"));
    reference->SaveBmp(dir.File("r.bmp"));
    ASSERT_TRUE(Runs(dir, {"moire-simulate", "--step-size", "1", "--carrier-size", "8", "--direction",
                           "horizontal", "g.bmp", "r.bmp", "-o", "moire.bmp"}));
    const MoireSimulationResult expected = SimulateMoire(
        *deformed, *reference, {.StepSize = 1, .CarrierCount = 8, .Direction = MoireShiftDirection::AlongX});
    for (std::size_t k = 0; k < 4; ++k)
        EXPECT_EQ(Levels(TGrayImage(dir.File("moire" + std::to_string(k + 1) + ".bmp"))),
                  Levels(*expected.Steps[k]))
            << k;
    EXPECT_TRUE(
        Refuses(dir, {"moire-simulate", "g.bmp", "r.bmp", "-o", "none.bmp"}, 1, kCarrierCountMessage));
    EXPECT_FALSE(std::filesystem::exists(dir.File("none1.bmp")));

    ASSERT_TRUE(Runs(dir, {"geometric-moire", "g.bmp", "r.bmp", "-o", "geo.bmp"}));
    EXPECT_EQ(TGrayImage(dir.File("geo.bmp")).GetPixel(63, 39),
              static_cast<int>(std::sqrt(double(deformed->GetPixel(63, 39)) * reference->GetPixel(63, 39))));
}

TEST(PhaseCli, PhaseCalcSubtractsAFittedPlaneAndReportsItsCoefficients) {
    TempDir dir;
    auto s1 = MakeFloatMap(30, 20, [](int x, int y) { return 0.5 * x - 0.25 * y + 1.0; });
    s1->ScaleX = 0.125f;
    s1->ScaleY = 0.75f;
    s1->SaveFlt(dir.File("s1.flt"));
    MakeFloatMap(40, 25, [](int x, int y) { return 0.5 * x - 0.25 * y; })->SaveFlt(dir.File("s2.flt"));
    const ProgramRun fit = Cli(dir, {"phase-calc", "--method", "1", "s1.flt", "s2.flt", "-o", "r.flt"});
    ASSERT_EQ(fit.Status, 0) << fit.Err;
    ASSERT_EQ(fit.Out.rfind("A= ", 0), 0u) << fit.Out;
    EXPECT_NEAR(std::stod(fit.Out.substr(3, 20)), 0.5, 1e-6) << fit.Out;
    const std::size_t b = fit.Out.find("\nB= ");
    ASSERT_NE(b, std::string::npos) << fit.Out;
    EXPECT_NEAR(std::stod(fit.Out.substr(b + 4, 20)), -0.25, 1e-6) << fit.Out;
    const TFloatImage result(dir.File("r.flt"));
    EXPECT_EQ(std::tuple(result.Width, result.ScaleX, result.ScaleY), std::tuple(30, 0.125f, 0.75f));
    EXPECT_NEAR(result.GetPixel(29, 19), 1.0f, 1e-3);

    EXPECT_TRUE(
        Refuses(dir, {"phase-calc", "s2.flt", "s1.flt", "-o", "bad.flt"}, 1, "the source2 is too small"));
    EXPECT_TRUE(Refuses(dir, {"phase-calc", "s1.flt", "Source2", "-o", "bad.flt"}, 1,
                        "Make sure select two sources first!"));
}

TEST(PhaseCli, PseudoColourAndTheGeneratorsWritePicturesAndRefuseWrongInput) {
    TempDir dir;
    // Orders 0 .. 1 (2 pi at x = 2).
    MakeFloatMap(5, 3, [](int x, int) { return x * 3.1415927f; })->SaveFlt(dir.File("p.flt"));
    MakeGreyPicture(5, 3, [](int x, int y) {
        return x == 4 && y == 2 ? 255 : 0;
    })->SaveBmp(dir.File("m.bmp"));
    ASSERT_TRUE(Runs(dir, {"pseudo-colour", "--mask", "m.bmp", "p.flt", "-o", "c.bmp"}));
    const std::string bmp = ReadFileBytes(dir.File("c.bmp"));
    ASSERT_GE(bmp.size(), 54u + 3 * 16);
    EXPECT_EQ((BmpColour(bmp, 5, 3, 0, 0)), (std::array<int, 3>{255, 255, 255}));
    EXPECT_EQ((BmpColour(bmp, 5, 3, 2, 2)), (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ((BmpColour(bmp, 5, 3, 4, 2)), (std::array<int, 3>{0, 128, 128})); // masked
    ASSERT_TRUE(Runs(dir, {"pseudo-colour", "--multiple2", "1", "p.flt", "-o", "d.bmp"}));
    const auto yellow = BmpColour(ReadFileBytes(dir.File("d.bmp")), 5, 3, 2, 0); // 2 pi shows order 2
    EXPECT_GE(yellow[0], 254);
    EXPECT_EQ(std::pair(yellow[1], yellow[2]), std::pair(255, 0));

    // The generators write grids and fringes and refuse zero sizes.
    ASSERT_TRUE(Runs(dir, {"generate-grid", "-o", "grid.bmp"}));
    const TGrayImage grid(dir.File("grid.bmp"));
    EXPECT_EQ((std::array<int, 3>{grid.Width, grid.GetPixel(0, 255), grid.GetPixel(8, 255)}),
              (std::array{256, 255, 0}));
    ASSERT_TRUE(Runs(dir, {"generate-grid", "--width", "50", "--height", "30", "--direction", "xy",
                           "--init-phase", "1", "-o", "crossed.bmp"}));
    const TGrayImage crossed(dir.File("crossed.bmp"));
    EXPECT_EQ((std::array<int, 2>{crossed.Width, crossed.GetPixel(0, 0)}), (std::array{50, 0}));
    EXPECT_TRUE(Refuses(dir, {"generate-grid", "--width", "0", "-o", "zero.bmp"}, 1, kGridSizeMessage));
    EXPECT_EQ(Cli(dir, {"generate-grid", "--deformation", "2", "-o", "x.bmp"}).Status, 2);

    auto phase = MakeFloatMap(6, 4, [](int x, int) { return x == 5 ? 3.1415927 : 0.0; });
    phase->SaveFlt(dir.File("phase.flt"));
    ASSERT_TRUE(Runs(dir, {"phase-to-fringe", "phase.flt", "-o", "fringe.bmp"}));
    const TGrayImage fringe(dir.File("fringe.bmp"));
    EXPECT_EQ((std::array<int, 2>{fringe.GetPixel(0, 3), fringe.GetPixel(5, 3)}), (std::array{255, 0}));
    phase->ValueScale = 0.0f;
    phase->SaveFlt(dir.File("flat.flt"));
    EXPECT_EQ(Cli(dir, {"phase-to-fringe", "flat.flt", "-o", "flat.bmp"}).Status, 1);
}

TEST(CarrierCli, FailuresWriteNothing) {
    TempDir dir;
    for (const char* name : {"moire.bmp", "ref.bmp"})
        SaveCarrierFringes(dir.File(name), 150, 70, 20.3 / 128.0, 0.0, [](int, int) { return 0.0; });
    const auto fails = [&](const std::vector<std::string>& words, int status, const std::string& message) {
        EXPECT_TRUE(Refuses(dir, words, status, message)) << message;
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
}

/// A wrapped map of known phase saved as in.flt.
WrappedPhaseMap SaveWrappedMap(const TempDir& dir, int width, int height) {
    WrappedPhaseMap map = MakeWrappedPhaseMap(width, height);
    MakeFloatMap(width, height, [&](int x, int y) {
        return map.Wrapped[static_cast<std::size_t>(y * width + x)];
    })->SaveFlt(dir.File("in.flt"));
    return map;
}

TEST(UnwrapAndAbsoluteCli, WrongCommandLinesAndFailuresWriteNothing) {
    TempDir dir;
    SaveWrappedMap(dir, 70, 50);
    EXPECT_TRUE(Refuses(dir, {"unwrap", "--method", "region", "--start", "70", "0", "in.flt", "-o", "o.flt"},
                        1,
                        "corvane-cli unwrap: the starting point (70,0) is outside the 70 x 50 phase map\n"));
    // Status 1: the run fails; status 2: the command line is wrong.
    const std::pair<int, std::vector<std::string>> refused[] = {
        {1, {"unwrap", "--method", "scanline", "--start", "0", "50", "in.flt", "-o", "o.flt"}},
        {1, {"unwrap", "--method", "region", "--invalid-area", "none.bmp", "in.flt", "-o", "o.flt"}},
        {1, {"unwrap", "--method", "region", "missing.flt", "-o", "o.flt"}},
        {2, {"unwrap", "in.flt", "-o", "o.flt"}},
        {2, {"unwrap", "--method", "spiral", "in.flt", "-o", "o.flt"}},
        {2, {"unwrap", "--method", "region", "--median", "3", "in.flt", "-o", "o.flt"}},
        {2, {"unwrap", "--method", "scanline", "--mask-noise", "in.flt", "-o", "o.flt"}},
        {2, {"unwrap", "--method", "scanline", "--median", "0", "in.flt", "-o", "o.flt"}},
        {2, {"unwrap", "--method", "region", "in.flt"}},
        {1, {"absolute", "in.flt", "--known", "70", "0", "1", "-o", "o.flt"}},
        {1, {"absolute", "in.flt", "--mask", "none.bmp", "-o", "o.dat"}},
        {2, {"absolute", "in.flt", "-o", "o.txt"}},
        {2, {"absolute", "in.flt", "--pitch", "0", "-o", "o.flt"}},
        {2, {"absolute", "in.flt", "--grid", "2", "2", "-o", "o.flt"}},
        {2, {"absolute", "in.flt", "--order", "0", "0", "-o", "o.flt"}},
    };
    for (const auto& [status, words] : refused)
        EXPECT_TRUE(Refuses(dir, words, status)) << words[0] << " " << words[2];
}

// An invalid band read from a file cuts the map in two: unlike region growing, the verb unwraps the
// far side too; the band ends at the map's minimum and has reliability 0. Options of other methods
// and clashing names are refused without writing anything; the help says when to choose what.
TEST(UnwrapQualityCli, UnwrapsBothSidesOfAnInvalidAreaFromAFile) {
    TempDir dir;
    const WrappedPhaseMap map = SaveWrappedMap(dir, 60, 36);
    MakeGreyPicture(60, 36, [](int x, int) {
        return x >= 40 && x <= 42 ? 255 : 0;
    })->SaveBmp(dir.File("band.bmp"));
    for (const auto& [method, option, value] : {std::tuple{"quality", "--median", "3"},
                                                {"quality", "--threshold", "0.4"},
                                                {"region", "--quality-map", "q.flt"},
                                                {"quality", "--quality-map", "out.flt"}})
        EXPECT_TRUE(Refuses(dir, {"unwrap", "--method", method, option, value, "in.flt", "-o", "out.flt"}, 2))
            << option;
    const std::string help = Cli(dir, {"unwrap", "--help"}).Out;
    EXPECT_EQ(help.rfind("Usage: corvane-cli unwrap --method region|scanline", 0), 0u);
    for (const char* says : {"--method quality", "noisy fringes", "smears its 2 pi jumps", "in radians"})
        EXPECT_NE(help.find(says), std::string::npos) << says;
    ASSERT_TRUE(Runs(dir, {"unwrap", "--method", "quality", "in.flt", "-o", "out.flt", "--start", "5", "30",
                           "--invalid-area", "band.bmp", "--quality-map", "q.flt"}));

    const TFloatImage out(dir.File("out.flt")), quality(dir.File("q.flt"));
    const float lowest = *std::min_element(out.Data, out.Data + out.PixelCount());
    const auto fringes = [&](int x, int y) {
        return (out.GetPixel(x, y) - map.Truth[static_cast<std::size_t>(y * 60 + x)]) / (2.0 * 3.14159265359);
    };
    for (int y = 0; y < 36; ++y) {
        EXPECT_EQ(out.GetPixel(41, y), lowest);
        EXPECT_EQ(quality.GetPixel(41, y), 0.0f);
        EXPECT_NEAR(fringes(59, y), std::round(fringes(59, 0)), 1e-4) << y;
        EXPECT_NEAR(fringes(20, y), std::round(fringes(5, 30)), 1e-4) << y;
    }
}

} // namespace
} // namespace corvane
