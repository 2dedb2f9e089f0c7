// Float maps exported for other programs: the float TIFF read back by libtiff, the .npy header and
// data, the CSV table in scale units, and what is refused.
#include "image/MapExport.h"
#include "image/FloatMapDisplay.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

namespace corvane {
namespace {

using namespace test;

/// A 5 x 3 map on 0.25 x 4 unit pixels with a not-computed point and a NaN.
std::unique_ptr<TFloatImage> SampleMap() {
    auto map = MakeFloatMap(5, 3, [](int x, int y) { return 0.001 * x - 0.5 * y + 1e-7; });
    map->Data[1 * 5 + 2] = kNotComputedMarker;
    map->Data[2 * 5 + 4] = std::nanf("");
    map->ScaleX = 0.25f;
    map->ScaleY = 4.0f;
    return map;
}

bool SameOrBothMissing(float exported, float original) {
    if (original == kNotComputedMarker || std::isnan(original)) return std::isnan(exported);
    return exported == original;
}

TEST(MapExport, FloatTiffReadsBackWithItsValuesAndScales) {
    TempDir dir;
    const auto map = SampleMap();
    ExportFloatMap(*map, dir.File("m.tif"));
    TIFF* tif = TIFFOpen(dir.File("m.tif").c_str(), "r");
    ASSERT_NE(tif, nullptr);
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 0, format = 0, samples = 0, unit = 0;
    float xres = 0, yres = 0;
    EXPECT_TRUE(TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) &&
                TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height));
    EXPECT_TRUE(TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits) &&
                TIFFGetField(tif, TIFFTAG_SAMPLEFORMAT, &format));
    EXPECT_TRUE(TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &samples));
    EXPECT_TRUE(TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) &&
                TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres));
    EXPECT_TRUE(TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit));
    EXPECT_EQ(width, 5u);
    EXPECT_EQ(height, 3u);
    EXPECT_EQ(bits, 32);
    EXPECT_EQ(format, SAMPLEFORMAT_IEEEFP);
    EXPECT_EQ(samples, 1);
    EXPECT_FLOAT_EQ(xres, 4.0f); // points per unit
    EXPECT_FLOAT_EQ(yres, 0.25f);
    EXPECT_EQ(unit, RESUNIT_NONE);
    std::vector<float> row(5);
    for (std::uint32_t y = 0; y < height; ++y) {
        ASSERT_EQ(TIFFReadScanline(tif, row.data(), y, 0), 1);
        for (int x = 0; x < 5; ++x)
            EXPECT_TRUE(SameOrBothMissing(row[x], map->GetPixel(x, static_cast<int>(y)))) << x << "," << y;
    }
    TIFFClose(tif);
}

TEST(MapExport, NpyHeaderAndLittleEndianRows) {
    TempDir dir;
    const auto map = SampleMap();
    ExportFloatMap(*map, dir.File("m.npy"));
    const std::string bytes = ReadFileBytes(dir.File("m.npy"));
    ASSERT_GE(bytes.size(), 10u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x93NUMPY\x01\x00", 8));
    const std::size_t headerLength =
        static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
    const std::size_t dataStart = 10 + headerLength;
    EXPECT_EQ(dataStart % 64, 0u);
    const std::string header = bytes.substr(10, headerLength);
    EXPECT_EQ(header.rfind("{'descr': '<f4', 'fortran_order': False, 'shape': (3, 5), }", 0), 0u) << header;
    EXPECT_EQ(header.back(), '\n');
    ASSERT_EQ(bytes.size(), dataStart + 15 * 4);
    for (int i = 0; i < 15; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + dataStart + 4 * i);
        const std::uint32_t word = p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
        float value;
        std::memcpy(&value, &word, 4);
        EXPECT_TRUE(SameOrBothMissing(value, map->Data[i])) << i;
    }
}

TEST(MapExport, CsvListsScaleUnitsRowByRow) {
    TempDir dir;
    ExportFloatMap(*SampleMap(), dir.File("m.csv"));
    const std::string text = ReadFileBytes(dir.File("m.csv"));
    EXPECT_EQ(text.rfind("x,y,value\n0,0,1.00000001e-07\n0.25,0,0.00100010005\n", 0), 0u)
        << text.substr(0, 80);
    EXPECT_NE(text.find("\n0.5,4,nan\n"), std::string::npos);
    EXPECT_NE(text.find("\n1,8,nan\n"), std::string::npos); // last row and column
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 16);
}

TEST(MapExport, UnknownKindsAndEmptyMapsWriteNothing) {
    TempDir dir;
    const auto map = SampleMap();
    EXPECT_EQ(ErrorText([&] { ExportFloatMap(*map, dir.File("m.png")); }),
              dir.File("m.png") + ": export a map as .tif, .csv or .npy");
    TFloatImage empty(nullptr, 0, 0);
    EXPECT_EQ(ErrorText([&] { ExportFloatMap(empty, dir.File("e.npy")); }), "the map holds no points");
    EXPECT_FALSE(std::filesystem::exists(dir.File("m.png")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.npy")));
}

} // namespace
} // namespace corvane
