#include <gtest/gtest.h>

#include <filesystem>

#include "correlation/CorRelationConfig.h"
#include "correlation/TCorRelation.h"
#include "image/TFloatImage.h"
#include "support/DisplacementTables.h"
#include "support/SpeckleImages.h"

namespace corvane {
namespace {

using namespace test;

/// Runs the default group (field 20 ... 130 x 20 ... 90, float maps on) over a 150 x 110 pair.
TCorRelationPara Correlate(const TempDir& dir, const SpecklePair& pair, int refine, float minimum) {
    SaveGreyBmp(dir.File("test0.bmp"), 150, 110, pair.Initial);
    SaveGreyBmp(dir.File("test2.bmp"), 150, 110, pair.Deformed);
    GenerateConfigFile(dir.File("run.cor"));
    TCorRelationPara p = ReadConfigFile(dir.File("run.cor")).at(0);
    p.OutputBin = 1, p.BinXFile = dir.File("dx.flt"), p.BinYFile = dir.File("dy.flt");
    p.Right = 130, p.Bottom = 90, p.ChangeYaxis = 0, p.SubpixelRefinement = refine,
    p.MinCorrelation = minimum;
    TCorRelation(p, TCorRelation::Mode::Normal).Run(false);
    return p;
}

// A pair moved by whole pixels correlates to 1 at every point with a displacement, searched or
// refined; outside the field the map holds the marker.
TEST(CorrelationMap, AnExactPairCorrelatesToOneAtEveryPoint) {
    SpecklePair pair = MakeSpecklePair({.Width = 150, .Height = 110});
    pair.Deformed.assign(pair.Initial.size(), 0);
    for (int y = 0; y + 3 < 110; ++y) // moved 2 right and 3 up
        for (int x = 2; x < 150; ++x)
            pair.Deformed[y * 150 + x] = pair.Initial[(y + 3) * 150 + x - 2];
    for (const int refine : {0, 1}) {
        TempDir dir;
        Correlate(dir, pair, refine, 0.0f);
        const TFloatImage map(dir.File("dx_zncc.flt")), dx(dir.File("dx.flt"));
        for (int y = 0; y < 110; ++y)
            for (int x = 0; x < 150; ++x)
                if (dx.GetPixel(x, y) != 1000.0f || map.GetPixel(x, y) != 1000.0f) {
                    ASSERT_NEAR(map.GetPixel(x, y), 1.0f, 1e-5f) << refine << " " << x << " " << y;
                }
        EXPECT_EQ(map.GetPixel(19, 50), 1000.0f) << "outside the field";
    }
}

// A blank disc in the deformed picture: with a minimum of 0.9 its points are marked in the dx and
// dy maps (the correlation map keeps their value) and left out of the table while the points
// around it stay, and the report counts them; without the minimum they are written as any other.
TEST(CorrelationMap, PointsOverABlankPatchFallBelowTheMinimumAndAreMarkedAndLeftOut) {
    SpecklePair pair =
        MakeSpecklePair({.Width = 150, .Height = 110, .ShiftX = 1.3, .ShiftY = -0.7, .Seed = 7});
    for (int y = 0; y < 110; ++y)
        for (int x = 0; x < 150; ++x)
            if ((x - 96) * (x - 96) + (y - 64) * (y - 64) <= 13 * 13) pair.Deformed[y * 150 + x] = 140;
    for (const float minimum : {0.0f, 0.9f}) {
        TempDir dir;
        const TCorRelationPara p = Correlate(dir, pair, 1, minimum);
        const TFloatImage dx(dir.File("dx.flt")), dy(dir.File("dy.flt")), zncc(dir.File("dx_zncc.flt"));
        std::string listed = " ";
        for (const TableRecord& r : ReadDisplacementTable(p.XYFile))
            listed += std::to_string(int(r[0])) + "," + std::to_string(int(r[1])) + " ";
        const bool marking = minimum > 0.0f;
        EXPECT_LT(zncc.GetPixel(95, 65), 0.5f);
        EXPECT_EQ(std::pair(dx.GetPixel(95, 65), dy.GetPixel(95, 65)) == std::pair(1000.0f, 1000.0f),
                  marking);
        EXPECT_EQ(listed.find(" 95,65 ") == std::string::npos, marking);
        EXPECT_NE(listed.find(" 40,30 "), std::string::npos);
        EXPECT_NE(listed.find(" 125,85 "), std::string::npos) << "the last column and filtered row";
        EXPECT_NEAR(dx.GetPixel(40, 30), 1.3f, 0.02f);
        const std::string report = ReadFileBytes(p.InfoFile),
                          line = "Minimum Correlation 0.9: marked not computed ";
        EXPECT_EQ(report.find(line) != std::string::npos, marking);
        if (marking) {
            EXPECT_GT(std::stoll(report.substr(report.find(line) + line.size())), 100);
        }
    }
}

// Optional lines after the fixed ones: written when on, refinement first; read in any order, each
// once per group; a value outside 0 ... 1 or a second line is refused with its words.
TEST(CorrelationMap, TheMinimumCorrelationLineRoundTripsAndOptionalLinesComeInAnyOrder) {
    TempDir dir;
    GenerateConfigFile(dir.File("default.cor"));
    TCorRelationPara p = ReadConfigFile(dir.File("default.cor")).at(0), bare = p;
    for (const auto name : TCorRelationPara::FileNameFields())
        bare.*name = std::filesystem::path(p.*name).filename().string();
    const std::string plain = ConfigFileText(bare), line = "Minimum Correlation(0=keep every point) =";
    p.SubpixelRefinement = bare.SubpixelRefinement = 1, p.MinCorrelation = bare.MinCorrelation = 0.9f;
    EXPECT_EQ(ConfigFileText(bare),
              plain + "Subpixel Refinement(0=none, 1=gauss-newton) =1\n" + line + "0.9\n");
    const std::string swapped = plain + line + "0.9\nSubpixel Refinement(0=none, 1=gauss-newton) =1\n";
    for (const auto& [text, error] :
         {std::pair{swapped, ""},
          {swapped + line + "0.9\n", "line 32: Minimum Correlation is given twice"},
          {plain + line + "1.5\n", "=1.5 is not a correlation from 0 to 1"},
          {plain + line + "high\n", "line 30 does not match"}}) {
        WriteFileBytes(dir.File("c.cor"), text);
        try {
            EXPECT_EQ(ReadConfigFile(dir.File("c.cor")).at(0), p);
            EXPECT_STREQ(error, "");
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(error), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace corvane
