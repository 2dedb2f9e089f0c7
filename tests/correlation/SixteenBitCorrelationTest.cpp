#include "image/PictureSamples.h"
#include "support/DisplacementTables.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"
#include "support/TiffPngPictures.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <filesystem>

namespace corvane {
namespace {

using namespace test;

/// 12-bit samples in a 16-bit container, as many cameras deliver them: the 8-bit speckle grey
/// times 16 plus low bits that vary from pixel to pixel.
SamplePicture TwelveBit(const std::vector<std::uint8_t>& grey, int width, int height) {
    return MakeSamplePicture(width, height, 16, 1, [&](int x, int y, int) {
        return 16 * grey[static_cast<std::size_t>(y * width + x)] + (x * 7 + y * 3) % 16;
    });
}

/// The 8-bit picture the workbench makes of it by the default rule.
std::vector<std::uint8_t> DefaultConversion(const SamplePicture& p) {
    return ToGrayRaster({p.Width, p.Height, 16, p.Samples}, kDefaultSixteenBitScaling).Pixels;
}

TEST(SixteenBitCorrelation,
     ConfigurationFileOfSixteenBitPicturesGivesTheDisplacementsOfTheirEightBitConversion) {
    TempDir dir;
    const int w = 120, h = 90;
    const SpecklePair pair =
        MakeSpecklePair({.Width = w, .Height = h, .ShiftX = 1.5, .ShiftY = -0.75, .StretchX = 0.01});
    const SamplePicture initial = TwelveBit(pair.Initial, w, h);
    const SamplePicture deformed = TwelveBit(pair.Deformed, w, h);
    WriteTiffPicture(dir.File("i16.tif"), initial, {.Compression = COMPRESSION_LZW, .RowsPerStrip = 16});
    WritePngPicture(dir.File("d16.png"), deformed);
    SaveGreyBmp(dir.File("i8.bmp"), w, h, DefaultConversion(initial));
    SaveGreyBmp(dir.File("d8.bmp"), w, h, DefaultConversion(deformed));

    const ProgramRun generated = RunProgram(CORVANE_CORRELATE_EXE, {"--generate", "run.cor"}, dir.Path());
    ASSERT_EQ(generated.Status, 0) << generated.Err;
    const std::string config = ReadFileBytes(dir.File("run.cor"));
    auto run = [&](const std::string& initialFile, const std::string& deformedFile,
                   const std::string& table) {
        std::string text = ReplaceFirst(config, "=test0.bmp", "=" + initialFile);
        text = ReplaceFirst(ReplaceFirst(text, "=test2.bmp", "=" + deformedFile), "=xy.dat", "=" + table);
        WriteFileBytes(dir.File(table + ".cor"), text);
        const ProgramRun result = RunProgram(CORVANE_CORRELATE_EXE, {table + ".cor"}, dir.Path());
        EXPECT_EQ(result.Status, 0) << result.Err;
        return ReadDisplacementTable(dir.File(table));
    };
    const std::vector<TableRecord> sixteen = run("i16.tif", "d16.png", "xy16.dat");
    const std::vector<TableRecord> eight = run("i8.bmp", "d8.bmp", "xy8.dat");
    ASSERT_GT(eight.size(), 50u);
    EXPECT_EQ(sixteen, eight);
    // And the field is the one the pair was made with: dx = 1.5 + 0.01 x.
    for (const TableRecord& r : eight)
        EXPECT_NEAR(r[2], 1.5 + 0.01 * r[0], 0.15) << r[0] << " " << r[1];
}

} // namespace
} // namespace corvane
