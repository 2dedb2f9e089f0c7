#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "correlation/CorRelationConfig.h"
#include "correlation/TCorRelation.h"
#include "image/TFloatImage.h"
#include "support/DeformedSpeckle.h"
#include "support/DisplacementTables.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;

std::uint64_t Fnv1a(const std::string& bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (const unsigned char c : bytes)
        h = (h ^ c) * 1099511628211ull;
    return h;
}

/// The default configuration over a 120 x 96 speckle pair (by default moved by (1.3, -0.7) and
/// stretched by 0.4 % along x), with every output (tables, report, grey pictures, float maps)
/// asked for.
struct RunFiles {
    TempDir dir;
    TCorRelationPara para;
    explicit RunFiles(const SpecklePair& pair = MakeSpecklePair(
                          {.Width = 120, .Height = 96, .ShiftX = 1.3, .ShiftY = -0.7, .StretchX = 0.004})) {
        SaveGreyBmp(dir.File("test0.bmp"), 120, 96, pair.Initial);
        SaveGreyBmp(dir.File("test2.bmp"), 120, 96, pair.Deformed);
        GenerateConfigFile(dir.File("run.cor"));
        para = ReadConfigFile(dir.File("run.cor")).at(0);
        para.OutputGray = para.OutputBin = 1;
        para.GrayXFile = dir.File("gx.bmp"), para.GrayYFile = dir.File("gy.bmp");
        para.BinXFile = dir.File("dx.flt"), para.BinYFile = dir.File("dy.flt");
        para.Right = 100, para.Bottom = 80;
    }
    void Run() const {
        TCorRelation engine(para, TCorRelation::Mode::Normal);
        engine.Run(true);
    }
    /// The report without what changes from run to run: the folder and the used time.
    std::string Report() const {
        std::string text = ReadFileBytes(dir.File("info.inf"));
        for (std::size_t at; (at = text.find(dir.Path().string())) != std::string::npos;)
            text.erase(at, dir.Path().string().size());
        const auto time = text.find("Used time : ");
        return time == std::string::npos ? text : text.erase(time, 20);
    }
};

// Results of the engine before the refinement existed, for the pair above; with the refinement
// off every file must stay the same to the byte.
TEST(SubpixelRefinementRun, WithTheRefinementOffEveryResultFileIsTheSameAsBefore) {
    const RunFiles job;
    job.Run();
    const std::vector<std::pair<std::string, std::uint64_t>> before = {
        {"xy.dat", 0x220602f27fec28a6}, {"thetar.dat", 0x176fc22ec66359e5}, {"gx.bmp", 0x2b5d8be08e023ab5},
        {"gy.bmp", 0x86b3b9a6ec413067}, {"dx.flt", 0xeb7807a0a2944552},     {"dy.flt", 0xb29267ee72970312},
        {"report", 0xd432dc64a50d2223}};
    for (const auto& [name, hash] : before)
        EXPECT_EQ(Fnv1a(name == "report" ? job.Report() : ReadFileBytes(job.dir.File(name))), hash) << name;
    EXPECT_FALSE(std::filesystem::exists(job.dir.File("dx_dudx.flt")));
}

// The default configuration over an exactly stretched and sheared pair (u = 1 % of x - 60 plus
// 0.4 % of y - 48, v = 0.3) with output scales 2 and 0.5: the refinement brings dx from the
// search's eighths to a few thousandths, writes the four gradient maps beside the dx and dy maps,
// in the output scales (du/dy of 0.004 reads 0.004 * 2 / 0.5), and says in the report what it did.
TEST(SubpixelRefinementRun, ARefinedRunMeasuresTheStretchAndWritesTheGradientMaps) {
    const DisplacementFunction stretch = [](double x, double y) {
        return std::array{0.01 * (x - 60.0) + 0.004 * (y - 48.0), 0.3};
    };
    RunFiles job(MakeDeformedSpecklePair({.Width = 120, .Height = 96}, stretch));
    job.para.ScaleX = 2.0f, job.para.ScaleY = 0.5f;
    auto rms = [&] {
        const TFloatImage dx(job.dir.File("dx.flt"));
        double sum = 0.0;
        int n = 0;
        for (int y = 25; y <= 75; ++y)
            for (int x = 25; x <= 95; ++x, ++n)
                sum += std::pow(dx.GetPixel(x, y) / 2.0 - stretch(x, y)[0], 2);
        return std::sqrt(sum / n);
    };
    job.Run();
    const double searched = rms();
    job.para.SubpixelRefinement = 1;
    job.Run();
    EXPECT_GT(searched, 0.02);
    EXPECT_LT(rms(), 0.005);

    const std::array<float, 4> expected = {0.01f, 0.016f, 0.0f, 0.0f};
    const char* const names[] = {"dx_dudx.flt", "dx_dudy.flt", "dy_dvdx.flt", "dy_dvdy.flt"};
    for (int k = 0; k < 4; ++k) {
        const TFloatImage map(job.dir.File(names[k]));
        double sum = 0.0;
        int n = 0;
        for (int y = 25; y <= 75; ++y)
            for (int x = 25; x <= 95; ++x, ++n)
                sum += map.GetPixel(x, y);
        EXPECT_NEAR(sum / n, expected[k], 2e-4) << names[k];
        EXPECT_EQ(map.GetPixel(10, 50), 1000.0f) << names[k] << ": outside the filtered field";
    }
    const std::string report = job.Report();
    EXPECT_NE(report.find("Sub-pixel Refinement: inverse-compositional Gauss-Newton"), std::string::npos);
    EXPECT_NE(report.find("Refined: "), std::string::npos) << report;
}

} // namespace
} // namespace corvane
