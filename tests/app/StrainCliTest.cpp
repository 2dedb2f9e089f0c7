#include "correlation/CorRelationConfig.h"
#include "image/TFloatImage.h"
#include "support/CliRun.h"
#include "support/FloatMaps.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace corvane {
namespace {

using namespace test;

template <class F> void SaveMap(const TempDir& dir, const std::string& name, int w, int h, F f) {
    MakeFloatMap(w, h, f)->SaveFlt(dir.File(name));
}

TEST(StrainCli, BadCommandLinesAndFilesWriteNothing) {
    TempDir dir;
    SaveMap(dir, "u.flt", 6, 5, [](int x, int) { return x; });
    SaveMap(dir, "v.flt", 5, 6, [](int, int y) { return y; });
    EXPECT_EQ(Cli(dir, {"strain", "u.flt", "-o", "s.flt", "--component", "shear"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"strain", "u.flt", "-o", "s.flt", "--component", "exx"}).Status, 2);
    EXPECT_EQ(Cli(dir, {"strain", "u.flt", "-o", "s.flt"}).Status, 2);
    const ProgramRun missing = Cli(dir, {"strain", "none.flt", "-o", "s.flt", "--component", "ux"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_NE(missing.Err.find("none.flt: not exists"), std::string::npos) << missing.Err;
    const ProgramRun sizes = Cli(dir, {"strain", "u.flt", "v.flt", "-o", "s.flt", "--component", "shear"});
    EXPECT_EQ(sizes.Status, 1);
    EXPECT_NE(sizes.Err.find("must have the same size"), std::string::npos) << sizes.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("s.flt")));
}

// A user's check of the chain: a correlation of a picture stretched by 1 % along x, then Ux of its
// dx map, which should read about 0.01 inside the computed field.
TEST(StrainCli, UxOfACorrelatedOnePercentStretchIsAboutOneHundredth) {
    TempDir dir;
    const int size = 160;
    const SpecklePair pair = MakeSpecklePair({.Width = size, .Height = size, .StretchX = 0.01, .Seed = 7});
    SaveGreyBmp(dir.File("test0.bmp"), size, size, pair.Initial);
    SaveGreyBmp(dir.File("test2.bmp"), size, size, pair.Deformed);
    GenerateConfigFile(dir.File("default.cor"));
    TCorRelationPara para = ReadConfigFile(dir.File("default.cor")).at(0);
    para.InitialFile = "test0.bmp";
    para.DeformedFile = "test2.bmp";
    para.XYFile = "xy.dat";
    para.ThetaRFile = "thetar.dat";
    para.InfoFile = "info.inf";
    para.MaskFile = "none";
    para.GrayXFile = para.GrayYFile = "none";
    para.OutputBin = 1;
    para.BinXFile = "dx.flt";
    para.BinYFile = "dy.flt";
    para.Left = para.Up = 30;
    para.Right = para.Bottom = 129;
    WriteConfigFile(dir.File("run.cor"), para);
    const ProgramRun correlate = Cli(dir, {"correlate", "run.cor"});
    ASSERT_EQ(correlate.Status, 0) << correlate.Err;
    const ProgramRun strain =
        Cli(dir, {"strain", "dx.flt", "-o", "ux.flt", "--component", "ux", "--invalid", "1000"});
    ASSERT_EQ(strain.Status, 0) << strain.Err;

    const TFloatImage ux(dir.File("ux.flt"));
    double sum = 0.0, squares = 0.0;
    int count = 0;
    for (int y = 35; y <= 124; ++y)
        for (int x = 35; x <= 124; ++x) {
            const double value = ux.GetPixel(x, y);
            sum += value;
            squares += value * value;
            ++count;
        }
    const double mean = sum / count;
    const double spread = std::sqrt(std::max(0.0, squares / count - mean * mean));
    std::printf("Ux of a 1 %% stretch over %d interior points: mean %.5f, standard deviation %.5f\n", count,
                mean, spread);
    RecordProperty("UxMean", std::to_string(mean));
    RecordProperty("UxSpread", std::to_string(spread));
    EXPECT_NEAR(mean, 0.01, 0.002);
}

} // namespace
} // namespace corvane
