#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "correlation/BSplineInterpolation.h"
#include "correlation/CorRelationConfig.h"
#include "correlation/SubpixelRefinement.h"
#include "correlation/TCorRelation.h"
#include "image/TFloatImage.h"
#include "support/DeformedSpeckle.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;

constexpr std::int32_t kW = 160, kH = 128, kWin = 13;

/// A pair deformed by u, refined over the field less a 12-pixel frame from the true displacement
/// rounded to 1/8 pixel: the counts, and the RMS length of the error against the truth.
std::pair<SubpixelCounts, double> RefineField(const DisplacementFunction& u) {
    const SpecklePair pair = MakeDeformedSpecklePair({.Width = kW, .Height = kH}, u);
    const SubpixelRefinement refinement(pair.Initial.data(), kW, kH, pair.Deformed.data(), kW, kH, kWin,
                                        kWin);
    std::vector<float> dx(static_cast<std::size_t>(kW) * kH, kNotComputed), dy = dx;
    SubpixelField field{dx.data(), dy.data(), nullptr, nullptr, nullptr, nullptr, 12, 12, kW - 13, kH - 13};
    for (std::int32_t y = field.Up; y <= field.Bottom; ++y)
        for (std::int32_t x = field.Left; x <= field.Right; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * kW + x;
            // The search result a point would start from: the true displacement on the 1/8-pixel lattice.
            dx[i] = std::round(u(x, y)[0] * 8.0f) / 8.0f, dy[i] = std::round(u(x, y)[1] * 8.0f) / 8.0f;
        }
    SubpixelScratch scratch;
    const SubpixelCounts counts = refinement.Refine(field, 0, field.PointCount(), scratch);
    double sum = 0.0;
    for (std::int32_t y = field.Up; y <= field.Bottom; ++y)
        for (std::int32_t x = field.Left; x <= field.Right; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * kW + x;
            sum += std::pow(dx[i] - u(x, y)[0], 2) + std::pow(dy[i] - u(x, y)[1], 2);
        }
    return {counts, std::sqrt(sum / static_cast<double>(field.PointCount()))};
}

// The search's 1/8-pixel lattice alone leaves about 0.036 pixel RMS per component; the refinement
// must bring a shift and a turn (both components varying across and down) far below that, at every
// point of the field. The stretch and its gradient are measured by the refined run below.
TEST(SubpixelRefinement, KnownFieldsAreMeasuredToAFewThousandthsOfAPixel) {
    const std::int64_t all = static_cast<std::int64_t>(kW - 24) * (kH - 24);
    const double a = 0.5 * std::numbers::pi / 180.0, c = std::cos(a) - 1.0, s = std::sin(a);
    const auto shift = RefineField([](double, double) { return std::array{0.37, -0.61}; });
    const auto turn = RefineField([&](double x, double y) {
        return std::array{c * (x - kW / 2.0) - s * (y - kH / 2.0), s * (x - kW / 2.0) + c * (y - kH / 2.0)};
    });
    EXPECT_EQ(std::pair(shift.first.Refined, turn.first.Refined), std::pair(all, all));
    EXPECT_LE(shift.second, 0.005);
    EXPECT_LE(turn.second, 0.01);
}

TEST(SubpixelRefinement, AnySplitOfThePointsGivesTheSameArraysAndCounts) {
    const SpecklePair pair = MakeDeformedSpecklePair({.Width = 90, .Height = 70}, [](double x, double y) {
        return std::array{0.3 + 0.004 * x, -0.2 + 0.003 * y};
    });
    const SubpixelRefinement refinement(pair.Initial.data(), 90, 70, pair.Deformed.data(), 90, 70, 11, 9);
    auto run = [&](const std::vector<std::int64_t>& cuts) {
        std::vector<float> dx(90 * 70, 0.25f), dy(90 * 70, -0.125f), g(90 * 70, 0.0f);
        dx[20 * 90 + 30] = kNotComputed; // a point without a search result stays so, uncounted
        SubpixelField field{dx.data(), dy.data(), g.data(), g.data(), nullptr, nullptr, 2, 3, 85, 66};
        SubpixelCounts total;
        for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
            SubpixelScratch own; // one per worker
            total += refinement.Refine(field, cuts[k], cuts[k + 1], own);
        }
        return std::tuple{dx, dy, total};
    };
    const auto whole = run({0, 84 * 64});
    EXPECT_EQ(whole, run({0, 1, 1000, 1001, 3333, 84 * 64}));
    const SubpixelCounts& c = std::get<2>(whole);
    EXPECT_EQ(c.Refined + c.Diverged + c.LeftPicture + c.PoorCorrelation, 84 * 64 - 1);
    EXPECT_GT(c.LeftPicture, 0) << "windows at the field's edge reach outside the pictures";
    EXPECT_EQ(std::get<0>(whole)[20 * 90 + 30], kNotComputed);
}

TEST(SubpixelRefinement, PointsThatCannotBeRefinedKeepTheirSearchResultAndAreCounted) {
    const DisplacementFunction shift = [](double, double) { return std::array{1.4, 0.6}; };
    SpecklePair pair = MakeDeformedSpecklePair({.Width = 100, .Height = 60}, shift);
    // Left half of the initial picture flat: no texture to refine on.
    for (std::int32_t y = 0; y < 60; ++y)
        for (std::int32_t x = 0; x < 30; ++x)
            pair.Initial[static_cast<std::size_t>(y) * 100 + x] = 90;
    const SpecklePair other = MakeDeformedSpecklePair({.Width = 100, .Height = 60, .Seed = 7}, shift);
    const SubpixelRefinement refinement(pair.Initial.data(), 100, 60, pair.Deformed.data(), 100, 60, 13, 13);
    const SubpixelRefinement unrelated(pair.Initial.data(), 100, 60, other.Deformed.data(), 100, 60, 13, 13);
    SubpixelScratch scratch;

    auto one = [&](const SubpixelRefinement& r, std::int32_t x, std::int32_t y, float u, float v) {
        std::vector<float> dx(6000, kNotComputed), dy(6000, kNotComputed);
        dx[static_cast<std::size_t>(y) * 100 + x] = u;
        dy[static_cast<std::size_t>(y) * 100 + x] = v;
        const SubpixelCounts c =
            r.Refine({dx.data(), dy.data(), nullptr, nullptr, nullptr, nullptr, x, y, x, y}, 0, 1, scratch);
        return std::tuple{c, dx[static_cast<std::size_t>(y) * 100 + x],
                          dy[static_cast<std::size_t>(y) * 100 + x]};
    };
    const auto [refined, u0, v0] = one(refinement, 60, 30, 1.375f, 0.625f);
    EXPECT_EQ(refined, (SubpixelCounts{1, 0, 0, 0}));
    EXPECT_NEAR(u0, 1.4f, 0.01f);
    EXPECT_NEAR(v0, 0.6f, 0.01f);
    // The window of (92, 30) moved by 1.4 reaches column 99.4 > 99, one at the bottom row 59.6; the
    // flat half has nothing to correlate.
    for (const auto& [x, y, counts] : {std::tuple{92, 30, SubpixelCounts{0, 0, 1, 0}},
                                       {60, 53, SubpixelCounts{0, 0, 1, 0}},
                                       {15, 30, SubpixelCounts{0, 0, 0, 1}}})
        EXPECT_EQ(one(refinement, x, y, 1.375f, 0.625f), std::tuple(counts, 1.375f, 0.625f)) << x << "," << y;
    // Another speckle field altogether: no refinement converges on a good match.
    const auto [c, u, v] = one(unrelated, 60, 30, 1.375f, 0.625f);
    EXPECT_EQ(c.Refined, 0);
    EXPECT_EQ(c.Diverged + c.PoorCorrelation, 1);
    EXPECT_EQ(std::pair(u, v), std::pair(1.375f, 0.625f));
}

std::vector<std::uint8_t> Picture(int w, int h, double (*f)(double, double)) {
    std::vector<std::uint8_t> p(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(std::lround(f(x, y)));
    return p;
}

double Wave(double x, double y) {
    return 128.0 + 90.0 * std::sin(0.31 * x + 0.17 * y) * std::cos(0.23 * y);
}

// The spline passes through every pixel, the border ones included, of pictures of any shape (a
// single row, a single pixel); between pixels it follows a smooth picture to its rounding.
TEST(BSplineInterpolation, PassesThroughEveryPixelAndFollowsASmoothPictureBetween) {
    for (const auto& [w, h] : {std::pair{37, 23}, {1, 9}, {9, 1}, {1, 1}, {2, 3}}) {
        const std::vector<std::uint8_t> p = Picture(w, h, Wave);
        const BSplineCoefficients c(p.data(), w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_NEAR(c.Value(x, y), p[static_cast<std::size_t>(y) * w + x], 1e-3) << w << "x" << h;
        EXPECT_NEAR(c.Value(w - 1, h - 1), p.back(), 1e-3);
    }
    const std::vector<std::uint8_t> p = Picture(37, 23, Wave);
    const BSplineCoefficients c(p.data(), 37, 23);
    double worst = 0.0;
    for (double y = 3.0; y < 19.0; y += 0.37)
        for (double x = 3.0; x < 33.0; x += 0.29)
            worst = std::max(worst, std::fabs(c.Value(x, y) - Wave(x, y)));
    EXPECT_LT(worst, 1.0);
}

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
