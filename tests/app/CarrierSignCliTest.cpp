// The carrier peak right of (or below) the spectrum centre gives the phase with its sign reversed:
// the carrier verb says so on standard error and --reverse-sign turns the phase back.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "image/TFloatImage.h"
#include "support/CarrierFringes.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;

// Correlation of the map with a bump of phase centred at (cx, cy): +1 when the map is the bump
// plus a constant, -1 when it is the bump turned over.
double Correlation(const TFloatImage& map, double cx, double cy) {
    std::vector<double> a, b;
    for (int y = 0; y < map.Height; ++y)
        for (int x = 0; x < map.Width; ++x) {
            a.push_back(map.Data[y * map.Width + x]);
            b.push_back(std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) / 100.0));
        }
    double ma = 0, mb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ma += a[i] / a.size();
        mb += b[i] / b.size();
    }
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / std::sqrt(aa * bb);
}

TEST(CarrierSignCli, ThePlusPeakReversesTheSignAndReverseSignTurnsItBack) {
    struct Case {
        const char* Strip;
        int Width, Height;
        double Fx, Fy, Cx, Cy;         // carrier, bump centre (outside the reference strip)
        std::vector<std::string> Plus; // --search on the far side of the centre
    };
    const Case cases[] = {
        {"rows", 128, 96, 20.3 / 128, 0.0, 80, 48, {"68", "0", "60", "32"}},
        {"columns", 96, 128, 0.0, 20.3 / 128, 48, 80, {"0", "68", "32", "60"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Strip);
        TempDir dir;
        SaveCarrierFringes(dir.File("moire.bmp"), c.Width, c.Height, c.Fx, c.Fy, [&](int x, int y) {
            return 1.5 * std::exp(-((x - c.Cx) * (x - c.Cx) + (y - c.Cy) * (y - c.Cy)) / 100.0);
        });
        const auto run = [&](std::vector<std::string> extra, const char* out) {
            std::vector<std::string> words{"carrier", "moire.bmp", "--strip", c.Strip, "-o", out};
            words.insert(words.end(), extra.begin(), extra.end());
            const ProgramRun result = Cli(dir, words);
            EXPECT_EQ(result.Status, 0) << result.Err;
            return result;
        };
        std::vector<std::string> plus{"--search"};
        plus.insert(plus.end(), c.Plus.begin(), c.Plus.end());
        std::vector<std::string> plusReversed = plus;
        plusReversed.push_back("--reverse-sign");

        EXPECT_EQ(run({}, "minus.flt").Err, "");
        EXPECT_NE(run(plus, "plus.flt").Err.find("the phase has its sign reversed"), std::string::npos);
        EXPECT_EQ(run(plusReversed, "back.flt").Err, "");
        const TFloatImage minus(dir.File("minus.flt")), reversed(dir.File("plus.flt")),
            back(dir.File("back.flt"));
        EXPECT_GT(Correlation(minus, c.Cx, c.Cy), 0.8);
        EXPECT_LT(Correlation(reversed, c.Cx, c.Cy), -0.8);
        ASSERT_EQ(back.PixelCount(), reversed.PixelCount());
        for (std::size_t i = 0; i < back.PixelCount(); ++i)
            ASSERT_EQ(back.Data[i], -reversed.Data[i]) << i;
    }
    const ProgramRun help = Cli(TempDir(), {"carrier", "--help"});
    EXPECT_NE(help.Out.find("--reverse-sign"), std::string::npos);
}

} // namespace
} // namespace corvane
