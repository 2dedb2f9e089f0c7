#include "support/CliRun.h"
#include "support/TestSupport.h"
#include "support/TiffPngPictures.h"

#include <gtest/gtest.h>
#include <tiffio.h>

namespace corvane {
namespace {

using namespace test;

TEST(PictureCli, VerbsReadSixteenBitTiffAndPngByTheirOwnRangeAndRefuseDamagedOnes) {
    TempDir dir;
    // Two columns of 12-bit samples, 100 and 4000: the picture's range makes them 0 and 255.
    const SamplePicture picture =
        MakeSamplePicture(6, 4, 16, 1, [](int x, int, int) { return x < 3 ? 100 : 4000; });
    WriteTiffPicture(dir.File("twelve.tif"), picture, {.Compression = COMPRESSION_PACKBITS});
    WritePngPicture(dir.File("twelve.png"), picture);
    for (const char* name : {"twelve.tif", "twelve.png"}) {
        const ProgramRun run = Cli(dir, {"histogram", name, "-o", std::string(name) + ".dat"});
        ASSERT_EQ(run.Status, 0) << run.Err;
        const std::vector<std::string> counts = Lines(ReadFileBytes(dir.File(std::string(name) + ".dat")));
        ASSERT_EQ(counts.size(), 256u);
        EXPECT_EQ(counts[0], "0 12") << name;
        EXPECT_EQ(counts[255], "255 12") << name;
    }
    // A picture written by a verb from a TIFF input.
    ASSERT_EQ(Cli(dir, {"median", "twelve.tif", "-o", "median.bmp"}).Status, 0);

    const std::string bytes = ReadFileBytes(dir.File("twelve.tif"));
    WriteFileBytes(dir.File("cut.tif"), bytes.substr(0, bytes.size() - 40));
    const ProgramRun cut = Cli(dir, {"histogram", "cut.tif", "-o", "cut.dat"});
    EXPECT_EQ(cut.Status, 1);
    EXPECT_EQ(Lines(cut.Err).size(), 1u) << cut.Err;
    EXPECT_NE(cut.Err.find("cut.tif: damaged TIFF file"), std::string::npos) << cut.Err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("cut.dat")));
}

} // namespace
} // namespace corvane
