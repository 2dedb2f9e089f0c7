// Float maps exported for other programs: the float TIFF read back by libtiff, the .npy header and
// data, the CSV table in scale units.
#include "image/MapExport.h"
#include "image/FloatMapDisplay.h"
#include "support/FloatMaps.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace corvane {
namespace {

using namespace test;
using namespace std::string_literals;

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
    std::uint16_t bits = 0, format = 0, unit = 0;
    float xres = 0, yres = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres);
    TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres);
    TIFFGetField(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    EXPECT_EQ(std::vector<double>(
                  {double(width), double(height), double(bits), double(format), xres, yres, double(unit)}),
              std::vector<double>({5, 3, 32, SAMPLEFORMAT_IEEEFP, 4.0, 0.25, RESUNIT_NONE}));
    std::vector<float> row(5);
    for (std::uint32_t y = 0; y < height; ++y) {
        ASSERT_EQ(TIFFReadScanline(tif, row.data(), y, 0), 1);
        for (int x = 0; x < 5; ++x)
            EXPECT_TRUE(SameOrBothMissing(row[x], map->GetPixel(x, int(y)))) << x << "," << y;
    }
    TIFFClose(tif);
}

TEST(MapExport, NpyHeaderAndLittleEndianRowsAndCsvInScaleUnits) {
    TempDir dir;
    const auto map = SampleMap();
    ExportFloatMap(*map, dir.File("m.npy"));
    const std::string bytes = ReadFileBytes(dir.File("m.npy"));
    const std::string header =
        "\x93NUMPY\x01\x00\x76\x00{'descr': '<f4', 'fortran_order': False, 'shape': (3, 5), }"s;
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    ASSERT_EQ(bytes.size(), 128u + 15 * 4); // data from a multiple of 64 bytes
    EXPECT_EQ(bytes[127], '\n');
    for (int i = 0; i < 15; ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + 128 + 4 * i);
        const std::uint32_t word = p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
        EXPECT_TRUE(SameOrBothMissing(std::bit_cast<float>(word), map->Data[i])) << i;
    }

    ExportFloatMap(*map, dir.File("m.csv"));
    const std::string text = ReadFileBytes(dir.File("m.csv"));
    EXPECT_EQ(text.rfind("x,y,value\n0,0,1.00000001e-07\n0.25,0,0.00100010005\n", 0), 0u)
        << text.substr(0, 80);
    EXPECT_NE(text.find("\n0.5,4,nan\n"), std::string::npos);
    EXPECT_NE(text.find("\n1,8,nan\n"), std::string::npos); // last row and column
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 16);
}

} // namespace
} // namespace corvane
