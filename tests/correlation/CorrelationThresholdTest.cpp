#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationMaps.h"
#include "correlation/TCorRelation.h"
#include "image/TFloatImage.h"
#include "support/DisplacementTables.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;

constexpr int kWidth = 150, kHeight = 110;

/// The default group over a kWidth x kHeight pair in dir, the search field 20 ... 130 x 20 ... 90,
/// the float maps on.
TCorRelationPara GroupIn(const TempDir& dir, const std::vector<std::uint8_t>& initial,
                         const std::vector<std::uint8_t>& deformed) {
    SaveGreyBmp(dir.File("test0.bmp"), kWidth, kHeight, initial);
    SaveGreyBmp(dir.File("test2.bmp"), kWidth, kHeight, deformed);
    GenerateConfigFile(dir.File("run.cor"));
    TCorRelationPara p = ReadConfigFile(dir.File("run.cor")).at(0);
    p.OutputBin = 1, p.BinXFile = dir.File("dx.flt"), p.BinYFile = dir.File("dy.flt");
    p.Right = 130, p.Bottom = 90;
    return p;
}

// A deformed picture that is the initial one moved by whole pixels (3 right, 2 up) correlates
// exactly: at the search result and at the refined shape, every point's correlation is 1, and the
// map is the same for one lane and for three.
TEST(CorrelationMap, AnExactPairCorrelatesToOneAtEveryPointForEveryLaneCount) {
    const SpecklePair pair = MakeSpecklePair({.Width = kWidth, .Height = kHeight});
    std::vector<std::uint8_t> moved(pair.Initial.size(), 0);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if (x >= 3 && y + 2 < kHeight) moved[y * kWidth + x] = pair.Initial[(y + 2) * kWidth + x - 3];
    for (const int refine : {0, 1}) {
        TempDir dir;
        TCorRelationPara p = GroupIn(dir, pair.Initial, moved);
        p.SubpixelRefinement = refine;
        std::vector<float> maps[2];
        for (const int lanes : {1, 3}) {
            CorRelationOptions options;
            options.Threads = lanes;
            TCorRelation engine(p, TCorRelation::Mode::Normal, options);
            engine.Run(true);
            maps[lanes == 3] = engine.Result().zncc;
        }
        EXPECT_EQ(maps[0], maps[1]) << "refine " << refine;
        // Every point with a displacement has its correlation; points never searched have none.
        const TFloatImage map(dir.File("dx_zncc.flt"));
        const TFloatImage dx(dir.File("dx.flt"));
        int computed = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                computed += dx.GetPixel(x, y) != 1000.0f;
                if (dx.GetPixel(x, y) != 1000.0f || map.GetPixel(x, y) != 1000.0f) {
                    EXPECT_NEAR(map.GetPixel(x, y), 1.0f, 1e-5f) << refine << " " << x << " " << y;
                }
            }
        EXPECT_GT(computed, 90 * 60) << refine;
        EXPECT_EQ(map.GetPixel(19, 50), 1000.0f);
        EXPECT_EQ(map.GetPixel(80, 91), 1000.0f);
    }
}

// A blank disc in the deformed picture, where nothing can be measured: with a minimum correlation
// of 0.9 its points are marked in the dx and dy maps (the correlation map keeps their value) and
// left out of the tables, points elsewhere are kept, and the report counts the marked points.
// Without the minimum the same points are written like any other.
TEST(CorrelationMap, PointsOverABlankPatchFallBelowTheMinimumAndAreMarkedAndLeftOut) {
    const SpecklePair pair =
        MakeSpecklePair({.Width = kWidth, .Height = kHeight, .ShiftX = 1.3, .ShiftY = -0.7, .Seed = 7});
    std::vector<std::uint8_t> holed = pair.Deformed;
    const int cx = 95, cy = 65; // a grid point, away from the seeds
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= 13 * 13) holed[y * kWidth + x] = 140;
    for (const float minimum : {0.0f, 0.9f}) {
        TempDir dir;
        TCorRelationPara p = GroupIn(dir, pair.Initial, holed);
        p.SubpixelRefinement = 1, p.ChangeYaxis = 0, p.MinCorrelation = minimum;
        TCorRelation engine(p, TCorRelation::Mode::Normal);
        engine.Run(false);
        const TFloatImage dx(dir.File("dx.flt")), dy(dir.File("dy.flt")), zncc(dir.File("dx_zncc.flt"));
        const std::vector<TableRecord> xy = ReadDisplacementTable(p.XYFile);
        const auto listed = [&](int x, int y) {
            for (const TableRecord& r : xy)
                if (r[0] == x && r[1] == y) return true;
            return false;
        };
        const bool marking = minimum > 0.0f;
        EXPECT_LT(zncc.GetPixel(cx, cy), 0.5f) << minimum;
        EXPECT_EQ(dx.GetPixel(cx, cy) == 1000.0f, marking) << minimum;
        EXPECT_EQ(dy.GetPixel(cx, cy) == 1000.0f, marking) << minimum;
        EXPECT_EQ(listed(cx, cy), !marking) << minimum;
        // Far from the disc the points are kept with the shift.
        EXPECT_GT(zncc.GetPixel(40, 30), 0.99f);
        EXPECT_NEAR(dx.GetPixel(40, 30), 1.3f, 0.02f);
        EXPECT_TRUE(listed(40, 30));
        EXPECT_TRUE(listed(125, 85)); // the last grid column and the last row the median filter keeps
        const std::string report = ReadFileBytes(p.InfoFile);
        const std::string line = " \n Minimum Correlation 0.9: marked not computed ";
        EXPECT_EQ(report.find(line) != std::string::npos, marking);
        // Every point the maps mark beside the run without a minimum is below it or diverged.
        if (marking) {
            int low = 0;
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    if (dx.GetPixel(x, y) == 1000.0f && zncc.GetPixel(x, y) != 1000.0f)
                        low += zncc.GetPixel(x, y) < 0.9f;
            EXPECT_GT(low, 200);
            const auto at = report.find(line);
            ASSERT_NE(at, std::string::npos);
            EXPECT_GT(std::stoll(report.substr(at + line.size())), 100);
        }
    }
}

// The optional lines after the 28 fixed ones: written only when on, refinement first; read in any
// order, each once per group; a value outside 0 ... 1 or a second line is refused with its words.
TEST(CorrelationMap, TheMinimumCorrelationLineRoundTripsAndOptionalLinesComeInAnyOrder) {
    TempDir dir;
    GenerateConfigFile(dir.File("default.cor"));
    TCorRelationPara p = ReadConfigFile(dir.File("default.cor")).at(0);
    const std::string plain = ConfigFileText(p);
    EXPECT_EQ(plain.find("Minimum Correlation"), std::string::npos);
    p.SubpixelRefinement = 1, p.MinCorrelation = 0.9f;
    const std::string both = ConfigFileText(p);
    const std::string refine = "Subpixel Refinement(0=none, 1=gauss-newton) =1\n";
    const std::string minimum = "Minimum Correlation(0=keep every point) =0.9\n";
    EXPECT_EQ(both, plain + refine + minimum);
    const std::string second = ReplaceFirst(plain, "HowManyGroup =1", "HowManyGroup =2");
    const struct {
        std::string text;
        std::string error; // "" when it reads
    } cases[] = {
        {both, ""},
        {plain + minimum + refine, ""},
        {second + minimum + plain.substr(plain.find('\n') + 1) + refine, ""},
        {plain + minimum + refine + minimum, "line 32: Minimum Correlation is given twice in one group"},
        {plain + "Minimum Correlation(0=keep every point) =1.5\n", "=1.5 is not a correlation from 0 to 1"},
        {plain + "Minimum Correlation(0=keep every point) =high\n", "line 30 does not match"},
    };
    for (const auto& c : cases) {
        WriteFileBytes(dir.File("c.cor"), c.text);
        try {
            const std::vector<TCorRelationPara> read = ReadConfigFile(dir.File("c.cor"));
            EXPECT_EQ(c.error, "") << c.text;
            EXPECT_EQ(read.front().MinCorrelation, 0.9f);
            EXPECT_EQ(read.back().SubpixelRefinement, 1);
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(c.error), std::string::npos) << e.what();
            EXPECT_NE(c.error, "") << e.what();
        }
    }
}

} // namespace
} // namespace corvane
