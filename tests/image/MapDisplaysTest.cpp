// Pictures of maps and pictures for the eye and for other programs: colour maps with their bar, the PNG
// writer, exported float maps, grey histograms and line profiles, the synthetic dot target.
#include "image/ColourMap.h"
#include "image/CorvaneError.h"
#include "image/FloatMapDisplay.h"
#include "image/GrayHistogram.h"
#include "image/LineProfile.h"
#include "image/MapExport.h"
#include "image/PngFile.h"
#include "image/PngWriter.h"
#include "image/SyntheticTarget.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <tuple>
#include <vector>
namespace corvane {
namespace {

using namespace test;
using namespace std::string_literals;

std::array<int, 4> PixelAt(const ColourMapPicture& p, int x, int y) {
    const std::uint8_t* at = p.Rgba.data() + (static_cast<std::size_t>(y) * p.Width + x) * 4;
    return {at[0], at[1], at[2], at[3]};
}

std::array<int, 4> Opaque(const std::array<std::uint8_t, 3>& c) {
    return {c[0], c[1], c[2], 255};
}

TEST(ColourMap, TablesHoldThePublishedEndsAndLabelsAreShortAndPlain) {
    const ColourTableEntries& viridis = ColourTableOf(ColourTable::Viridis);
    EXPECT_EQ(viridis[0], (std::array<std::uint8_t, 3>{0x44, 0x01, 0x54}));
    EXPECT_EQ(viridis[255], (std::array<std::uint8_t, 3>{0xFD, 0xE7, 0x24}));
    const ColourTableEntries& diverging = ColourTableOf(ColourTable::Diverging);
    EXPECT_EQ(diverging[0], (std::array<std::uint8_t, 3>{59, 76, 192}));
    EXPECT_EQ(diverging[255], (std::array<std::uint8_t, 3>{180, 4, 38}));
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(diverging[128][static_cast<std::size_t>(c)], 221, 2); // light grey at 0
    for (const auto& [value, label] : {std::pair{0.01f, "0.01"},
                                       {-0.0f, "0"},
                                       {-3.14159f, "-3.142"},
                                       {1.0e-5f, "1e-05"},
                                       {123456.0f, "1.235e+05"}})
        EXPECT_EQ(ColourBarLabel(value), label);
}

// A ramp along x on a map that is wider than high, with the marker, a NaN and an infinity in it.
TEST(ColourMap, ARampPutsTheTableEndsOnTheRangeEndsAndLeavesMissingPointsTransparent) {
    auto map = MakeFloatMap(9, 4, [](int x, int y) { return 0.5 * x + 0.01 * y; }); // 0 .. 4.03
    map->SetPixel(8, 3, kNotComputedMarker);
    map->SetPixel(3, 1, std::numeric_limits<float>::quiet_NaN());
    map->SetPixel(4, 2, std::numeric_limits<float>::infinity());
    const ColourMapPicture p = RenderColourMap(*map, {});
    // (8, 2) is the highest: the marker at (8, 3) takes no part.
    EXPECT_EQ(std::tuple(p.Table, p.Range.Low, p.Range.High), std::tuple(ColourTable::Viridis, 0.0f, 4.02f));
    const ColourTableEntries& t = ColourTableOf(ColourTable::Viridis);
    // 2.52 and 0.53 of 4.02 take the entries 160.48 and 33.75 of 256 down, not 255 of them rounded.
    for (const auto& [x, y, entry] : {std::tuple{0, 0, 0}, {8, 2, 255}, {5, 2, 160}, {1, 3, 33}})
        EXPECT_EQ(PixelAt(p, x, y), Opaque(t[entry])) << x << "," << y;
    for (auto [x, y] : {std::pair{8, 3}, {3, 1}, {4, 2}})
        EXPECT_EQ(PixelAt(p, x, y)[3], 0) << x << "," << y;
    // The bar beside the map: the high end at its top, the low end at its bottom.
    ASSERT_EQ(p.MapWidth, 9);
    ASSERT_TRUE(p.Width > 9 + 20 && p.Height >= 4);
    int topColour = -1, bottomColour = -1;
    const int barX = 9 + 6 + 7; // the middle of the bar at scale 1
    for (int y = 0; y < p.Height; ++y) {
        if (PixelAt(p, barX, y) == Opaque(t[255]) && topColour < 0) topColour = y;
        if (PixelAt(p, barX, y) == Opaque(t[0])) bottomColour = y;
    }
    EXPECT_TRUE(topColour >= 0 && bottomColour > topColour) << topColour << " " << bottomColour;
}

TEST(ColourMap, SignedFieldsGetTheDivergingTableAConstantOneTheMiddleEntry) {
    auto map = MakeFloatMap(5, 6, [](int x, int y) { return x - 1.0 + 0.25 * y; }); // -1 .. 4.25
    const ColourMapPicture p = RenderColourMap(*map, {});
    EXPECT_EQ(std::tuple(p.Table, p.Range.Low, p.Range.High),
              std::tuple(ColourTable::Diverging, -4.25f, 4.25f));
    EXPECT_EQ(PixelAt(p, 1, 0), Opaque(ColourTableOf(ColourTable::Diverging)[128])); // 0 on the middle
    // Asked for viridis, the same field spans its own range; a fixed range is kept and clamps.
    const ColourMapPicture v = RenderColourMap(*map, {.Table = ColourTable::Viridis});
    EXPECT_FLOAT_EQ(v.Range.Low, -1.0f);
    const ColourMapPicture fixed = RenderColourMap(*map, {.Range = ColourRange{0.0f, 1.0f}});
    const ColourTableEntries& viridis = ColourTableOf(ColourTable::Viridis);
    EXPECT_EQ(std::tuple(fixed.Table, PixelAt(fixed, 0, 0), PixelAt(fixed, 4, 5)),
              std::tuple(ColourTable::Viridis, Opaque(viridis[0]), Opaque(viridis[255])));
    // A constant map uses the middle entry; unusable ranges are refused.
    auto constant = MakeFloatMap(3, 2, [](int, int) { return 0.7; });
    EXPECT_EQ(PixelAt(RenderColourMap(*constant, {}), 2, 1), Opaque(viridis[128]));
    auto zeros = MakeFloatMap(3, 2, [](int, int) { return 0.0; });
    EXPECT_EQ(PixelAt(RenderColourMap(*zeros, {.Table = ColourTable::Diverging}), 0, 0),
              Opaque(ColourTableOf(ColourTable::Diverging)[128]));

    auto marked = MakeFloatMap(3, 2, [](int, int) { return kNotComputedMarker; });
    EXPECT_EQ(test::ErrorText([&] { RenderColourMap(*marked, {}); }), "the map has no computed value");
    for (ColourRange bad : {ColourRange{1.0f, 1.0f}, ColourRange{2.0f, 1.0f},
                            ColourRange{0.0f, std::numeric_limits<float>::infinity()}})
        EXPECT_EQ(test::ErrorText([&] { RenderColourMap(*constant, {.Range = bad}); }),
                  "the colour range needs a low end below its high end");
}

TEST(ColourMap, OverAPictureMissingPointsShowThePictureAndTheOthersBlend) {
    auto map = MakeFloatMap(4, 3, [](int x, int) { return x; });
    map->SetPixel(1, 2, kNotComputedMarker);
    TGrayImage picture(nullptr, 4, 3);
    for (int i = 0; i < 12; ++i)
        picture.Data[i] = static_cast<std::uint8_t>(20 * i);
    const ColourMapPicture p = RenderColourMap(*map, {.Over = &picture, .Opacity = 0.25});
    EXPECT_EQ(PixelAt(p, 1, 2), (std::array<int, 4>{180, 180, 180, 255}));
    const auto c = ColourTableOf(ColourTable::Viridis)[255];
    const auto blend = [&](int k) { return static_cast<int>(std::lround(0.25 * c[k] + 0.75 * 20 * 7)); };
    EXPECT_EQ(PixelAt(p, 3, 1), (std::array{blend(0), blend(1), blend(2), 255})); // over 20 * 7
    // Without a picture the opacity is the map's alpha.
    EXPECT_EQ(PixelAt(RenderColourMap(*map, {.Opacity = 0.5}), 0, 0)[3], 128);

    TGrayImage transposed(nullptr, 3, 4);
    EXPECT_EQ(test::ErrorText([&] { RenderColourMap(*map, {.Over = &transposed}); }),
              "the picture is 3 x 4, the map is 4 x 3");
    EXPECT_EQ(test::ErrorText([&] { RenderColourMap(*map, {.Opacity = 1.5}); }),
              "the opacity lies between 0 and 1");
}

// The bar and its labels grow with the map's height: beside a tall map they are larger than beside
// a wide one of the same values.
TEST(ColourMap, TheBarGrowsWithTheMapsHeightNotItsWidth) {
    const auto panel = [](int w, int h) {
        const ColourMapPicture p =
            RenderColourMap(*MakeFloatMap(w, h, [](int x, int y) { return x + y; }), {});
        return p.Width - p.MapWidth;
    };
    EXPECT_GT(panel(40, 450), panel(450, 40) + 32);
}

// The centroid of the bright pixels in a window, weighted by their grey level above the background.
std::pair<double, double> Centroid(const TGrayImage& image, int x0, int y0, int size) {
    double sum = 0, sx = 0, sy = 0;
    for (int y = y0; y < y0 + size; ++y)
        for (int x = x0; x < x0 + size; ++x) {
            const double w = std::max(0, image.GetPixel(x, y) - 20);
            sum += w, sx += w * x, sy += w * y;
        }
    return {sx / sum, sy / sum};
}

TEST(SyntheticTarget, DotsMoveByTheStretchAboutTheCentreAndTheSameSeedRepeats) {
    const SyntheticTargetOptions o{
        .Width = 120, .Height = 80, .StretchX = 0.05, .ShiftY = 1.5, .DotPitch = 10};
    const SyntheticTargetPair pair = MakeSyntheticTargetPair(o);
    // The lattice is centred on (60, 40); the dot at (20, 40) moves by 0.05 * (20 - 60) = -2 along x.
    const auto [ix, iy] = Centroid(*pair.Initial, 15, 35, 11);
    const auto [dx, dy] = Centroid(*pair.Deformed, 13, 36, 11);
    EXPECT_NEAR(ix, 20.0, 0.05);
    EXPECT_NEAR(iy, 40.0, 0.05);
    EXPECT_NEAR(dx - ix, -2.0, 0.05);
    EXPECT_NEAR(dy - iy, 1.5, 0.05);

    const SyntheticTargetPair a = MakeSyntheticTargetPair({.Width = 40, .Height = 30, .StretchX = 0.0});
    const SyntheticTargetPair b = MakeSyntheticTargetPair({.Width = 40, .Height = 30, .StretchX = 0.0});
    EXPECT_TRUE(std::equal(a.Initial->Data, a.Initial->Data + 1200, b.Initial->Data));
    EXPECT_TRUE(std::equal(a.Initial->Data, a.Initial->Data + 1200, a.Deformed->Data)); // nothing moved
    EXPECT_THROW(MakeSyntheticTargetPair({.StretchX = 0.5}), CorvaneError);
    EXPECT_THROW(MakeSyntheticTargetPair({.Width = 8}), CorvaneError);
}

// Decodes with libpng's own simplified reader, independent of the writer's code path.
std::vector<std::uint8_t> Decode(const std::vector<std::uint8_t>& bytes, std::uint32_t format,
                                 png_image& image) {
    image = {};
    image.version = PNG_IMAGE_VERSION;
    EXPECT_NE(png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()), 0);
    image.format = format;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    EXPECT_NE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr), 0);
    return pixels;
}

// Grey pictures decode to the same pixels with their size not transposed (the colour form: the saved
// colour map below); an empty picture is refused.
TEST(PngWriter, GreyPicturesAndTheSavedColourMapDecodeToTheirPixelsAndEmptyOnesAreRefused) {
    const int width = 5, height = 3; // not square, odd stride
    std::vector<std::uint8_t> grey(width * height);
    for (std::size_t i = 0; i < grey.size(); ++i)
        grey[i] = static_cast<std::uint8_t>(i * 17);
    png_image image;
    EXPECT_EQ(Decode(EncodePng(width, height, PngPixels::Gray, grey.data()), PNG_FORMAT_GRAY, image), grey);
    EXPECT_EQ(std::pair(image.width, image.height), std::pair(5u, 3u));
    EXPECT_THROW(EncodePng(0, 4, PngPixels::Gray, grey.data()), CorvaneError);
    EXPECT_THROW(EncodePng(4, -1, PngPixels::Rgb, grey.data()), CorvaneError);
    // More rows than libpng's default limit of a million: written, and read back by our reader.
    std::vector<std::uint8_t> tall(2 * 1000001);
    for (std::size_t i = 0; i < tall.size(); ++i)
        tall[i] = static_cast<std::uint8_t>(i % 251);
    const std::vector<std::uint8_t> tallPng = EncodePng(2, 1000001, PngPixels::Gray, tall.data());
    const GrayRaster back =
        DecodePngGray(tallPng.data(), tallPng.size(), "tall.png", SixteenBitScaling::Range);
    EXPECT_EQ(std::pair(back.Width, back.Height), std::pair(2, 1000001));
    EXPECT_EQ(back.Pixels, tall);
    test::TempDir dir;
    auto map = test::MakeFloatMap(300, 220, [](int x, int y) { return std::sin(0.05 * x) * 0.002 * y; });
    map->SetPixel(10, 10, kNotComputedMarker);
    const ColourMapPicture p = RenderColourMap(*map, {});
    SaveColourMapPng(p, dir.File("map.png"));
    const std::string bytes = test::ReadFileBytes(dir.File("map.png"));
    EXPECT_EQ(Decode({bytes.begin(), bytes.end()}, PNG_FORMAT_RGBA, image), p.Rgba);
    EXPECT_EQ(std::tuple(int(image.width), int(image.height)), std::tuple(p.Width, p.Height));
}

/// A 5 x 3 map on 0.25 x 4 unit pixels with a not-computed point and a NaN.
std::unique_ptr<TFloatImage> SampleMap() {
    auto map = MakeFloatMap(5, 3, [](int x, int y) { return 0.001 * x - 0.5 * y + 1e-7; });
    map->Data[1 * 5 + 2] = kNotComputedMarker;
    map->Data[2 * 5 + 4] = std::nanf("");
    map->ScaleX = 0.25f, map->ScaleY = 4.0f;
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

TEST(GrayHistogram, StatisticsMouseLevelsAndRangesEitherWay) {
    // 7 x 5 levels 3 x + 11 y (mod 256): an uneven spread with repeated levels.
    const auto picture = MakeGreyPicture(7, 5, [](int x, int y) { return (3 * x + 11 * y * y) % 256; });
    const HistogramStatistics s = GrayHistogram(*picture);
    EXPECT_NEAR(s.Mean, 75.0, 1e-4);
    EXPECT_NEAR(s.StdDev, 65.16748, 1e-3);
    EXPECT_EQ(s.Median, 53); // the 18th of 35 reaches half
    EXPECT_EQ(s.Pixels, 35.0f);

    // An even count whose running sum meets half exactly at a level takes that level.
    const auto halves = MakeGreyPicture(2, 2, [](int x, int) { return x == 0 ? 10 : 200; });
    EXPECT_EQ(GrayHistogram(*halves).Median, 10);
    // No pixels: one pixel is assumed, everything else 0.
    const HistogramStatistics empty = StatisticsOf({});
    EXPECT_EQ(std::tuple(empty.Pixels, empty.MaxCount, LabelsOf(empty).Pixels),
              std::tuple(1.0f, 1, "Pixels: 1"));
    for (const auto& [x, level] : {std::pair{0, 0}, {1, 0}, {2, 1}, {256, 255}, {400, 255}})
        EXPECT_EQ(HistogramLevelAt(x), level) << x;
    const HistogramStatistics columns =
        GrayHistogram(*MakeGreyPicture(5, 2, [](int x, int y) { return 10 * x + y; }));
    const HistogramReadout forth = RangeReadout(columns, 10, 30);
    const HistogramReadout back = RangeReadout(columns, 30, 10);
    // The count: 10, 20, 30 of row 0 and 11, 21 of row 1.
    EXPECT_EQ(std::tie(forth.Level, forth.Count, forth.Percentile),
              std::tuple("Level: 10...30", "Count: 5", "Percentile: 50.000"));
    EXPECT_EQ(std::tie(back.Level, back.Count, back.Percentile),
              std::tie(forth.Level, forth.Count, forth.Percentile));
}

TEST(GrayHistogram, ColourBitmapCountsEachChannelAndTheRoundedGrey) {
    // Two rows of 3 pixels as B, G, R, X with 4 bytes of padding per row.
    const std::vector<std::uint8_t> bytes = {0, 0, 1, 9, 255, 255, 255, 9, 10, 20, 30, 9, 7, 7, 7, 7, //
                                             2, 0, 0, 9, 1,   1,   0,   9, 30, 20, 10, 9, 7, 7, 7, 7};
    const RgbBitmapView view{bytes.data(), 3, 2, 16, 4, 2, 1, 0};
    const auto h = ColourHistograms(view);
    // The levels counted in each channel; a grey sum of 1 gives 0 and of 2 gives 1 (mean + 0.5 truncated).
    const auto counted = [&](HistogramChannel channel) {
        std::map<int, int> levels;
        for (int level = 0; level < 256; ++level)
            if (const int n = h[static_cast<int>(channel)].Counts[level]) levels[level] = n;
        return levels;
    };
    using Levels = std::map<int, int>;
    EXPECT_EQ(counted(HistogramChannel::Gray), (Levels{{0, 1}, {1, 2}, {20, 2}, {255, 1}}));
    EXPECT_EQ(counted(HistogramChannel::Red), (Levels{{0, 2}, {1, 1}, {10, 1}, {30, 1}, {255, 1}}));
    EXPECT_EQ(counted(HistogramChannel::Green), (Levels{{0, 2}, {1, 1}, {20, 2}, {255, 1}}));
    EXPECT_EQ(counted(HistogramChannel::Blue), (Levels{{0, 1}, {1, 1}, {2, 1}, {10, 1}, {30, 1}, {255, 1}}));
    EXPECT_EQ(ErrorText([&] {
                  ColourHistograms({bytes.data(), 5, 2, 16, 4, 2, 1, 0});
              }),
              "the bitmap has no pixels to count");
}

TEST(LineProfile, RowsColumnsPlotRowsAndTheDataFile) {
    // 3 x 2 pixels as R, G, B, two bytes of padding per row.
    const std::vector<std::uint8_t> bytes = {1, 0, 0, 10, 20, 30, 255, 255, 254, 0, 0, //
                                             3, 3, 3, 0,  0,  2,  9,   9,   9,   0, 0};
    const RgbBitmapView view{bytes.data(), 3, 2, 11, 3, 0, 1, 2};
    EXPECT_EQ(LineProfile(view, ProfileDirection::Horizontal, 0),
              (std::vector<float>{1.0f / 3.0f, 20.0f, 764.0f / 3.0f}));
    EXPECT_EQ(LineProfile(view, ProfileDirection::Horizontal, 1),
              (std::vector<float>{3.0f, 2.0f / 3.0f, 9.0f}));
    EXPECT_EQ(LineProfile(view, ProfileDirection::Vertical, 2), (std::vector<float>{764.0f / 3.0f, 9.0f}));
    EXPECT_EQ(ErrorText([&] { LineProfile(view, ProfileDirection::Horizontal, 2); }),
              "row 2 is not in the picture (0..1)");
    EXPECT_EQ(ErrorText([&] { LineProfile(view, ProfileDirection::Vertical, -1); }),
              "column -1 is not in the picture (0..2)");

    const auto gray = MakeGreyPicture(4, 3, [](int x, int y) { return 50 * y + x; });
    EXPECT_EQ(LineProfile(*gray, ProfileDirection::Vertical, 3), (std::vector<float>{3.0f, 53.0f, 103.0f}));
    EXPECT_EQ(LineProfile(*gray, ProfileDirection::Horizontal, 2), (std::vector<float>{100, 101, 102, 103}));
    EXPECT_EQ(ProfilePlotRows({40.0f, 40.0f, 40.0f}, 101), (std::vector<std::int32_t>{100, 100, 100}));
    EXPECT_EQ(ProfilePlotRows({10.0f, 20.0f, 15.0f, 12.5f}, 101),
              (std::vector<std::int32_t>{100, 0, 50, 75}));
    TempDir dir;
    const std::vector<float> values = {0.25f, 6.25f}; // the lines themselves: the profile verb's test
    EXPECT_EQ(ErrorText([&] { SaveProfileData(dir.File("none.dat"), {}); }), " no data ");
    const std::string nowhere = dir.File("no-folder/row.dat");
    EXPECT_EQ(ErrorText([&] { SaveProfileData(nowhere, values); }), "Can not output data to " + nowhere);
}

} // namespace
} // namespace corvane
