// Float maps and phase images: their files, grey display, listings, fills and sums to the last row and
// column, shifts, medians, the phase and its display, plane fits and the unwrap threshold.
#include "support/FloatMaps.h"
#include "image/CorvaneError.h"
#include "image/MedianFilterTool.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "image/TPhaseImage.h"
#include "support/BubbleMedian.h"
#include "support/CommaDecimalLocale.h"
#include "support/ErrorText.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <numbers>
#include <numeric>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace corvane {
namespace {

using namespace test;

using Grey = std::vector<std::uint8_t>;

template <class T> std::string Bytes(T v) {
    std::string s(sizeof v, '\0');
    std::memcpy(s.data(), &v, sizeof v);
    return s;
}

/// An FLT file written byte by byte: header (scales 0.5, 0.25, 2), then the values.
std::string FltBytes(std::int32_t w, std::int32_t h, std::initializer_list<float> values,
                     const std::string& reserved = std::string(10, '\0')) {
    std::string s = Bytes(w) + Bytes(h) + Bytes(0.5f) + Bytes(0.25f) + Bytes(2.0f) + reserved;
    for (float v : values)
        s += Bytes(v);
    return s;
}

TEST(TFloatImageFile, SavedMapReadsBackBitForBitHeaderIncluded) {
    TempDir dir;
    const std::string original =
        FltBytes(3, 2, {1.5f, -2.0f, 3.25f, 0.0f, -0.0f, 1e30f}, "R\1\2\3\4\5\6\7\x08\xff");
    WriteFileBytes(dir.File("in.flt"), original + "trailing bytes are ignored");
    TFloatImage map(dir.File("in.flt"));
    EXPECT_EQ(std::pair(map.Width, map.GetPixel(2, 1)), std::pair(3, 1e30f));
    map.SaveFlt(dir.File("out.flt"));
    EXPECT_EQ(ReadFileBytes(dir.File("out.flt")), original);

    // A map made in memory has unit scales and zero reserved bytes; 2 x 1 is 38 bytes.
    TFloatImage small(nullptr, 2, 1);
    small.SetPixel(1, 0, 7.0f);
    small.SaveFlt(dir.File("small.flt"));
    EXPECT_EQ(ReadFileBytes(dir.File("small.flt")), Bytes(2) + Bytes(1) + Bytes(1.0f) + Bytes(1.0f) +
                                                        Bytes(1.0f) + std::string(10, '\0') + Bytes(0.0f) +
                                                        Bytes(7.0f));
    EXPECT_EQ(ErrorText([&] { small.SaveFlt(dir.File("no/dir.flt")); }),
              "Can not save the float image to " + dir.File("no/dir.flt"));
}

TEST(TFloatImageFile, DamagedFilesAreRefusedAndLeaveTheMapAsItWas) {
    TempDir dir;
    const std::pair<std::string, std::string> cases[] = {
        {std::string(29, '\0'), "shorter than its 30-byte header"},
        {FltBytes(-2, 1, {1.0f, 2.0f}), "invalid float image size -2 x 1"},
        {FltBytes(0x7fffffff, 0x7fffffff, {}), "invalid float image size"},
        {FltBytes(0, 3, {1, 2, 3}), "invalid float image size 0 x 3"},
        {FltBytes(2, 0, {1, 2, 3}), "invalid float image size 2 x 0"},
        {FltBytes(32768, 32769, {1, 2, 3}),
         "invalid float image size 32768 x 32769"}, // past the picture limit
        {FltBytes(3, 2, {1, 2, 3, 4, 5}), "fewer values than a float image of 3 x 2"},
    };
    auto map = MakeFloatMap(2, 2, [](int x, int y) { return x + 10 * y; });
    map->FileName = "kept.flt";
    for (const auto& [bytes, message] : cases) {
        WriteFileBytes(dir.File("bad.flt"), bytes);
        EXPECT_NE(ErrorText([&] { map->LoadFlt(dir.File("bad.flt")); }).find(message), std::string::npos)
            << message;
        EXPECT_EQ(std::tuple(map->Width, map->Height, map->FileName, map->GetPixel(1, 1)),
                  std::tuple(2, 2, std::string("kept.flt"), 11.0f));
    }
    EXPECT_EQ(ErrorText([&] { TFloatImage missing(dir.File("none.flt")); }),
              dir.File("none.flt") + ": can not open the file");
}

TEST(TFloatImageGray, MinMaxScalingAndItsTwoRestrictedForms) {
    std::unique_ptr<TGrayImage> gray;
    MakeFloatMap(3, 2, [](int, int) { return 4.5; })->ToGrayImage(gray);
    EXPECT_EQ(Levels(*gray), Grey(6, 0));
    MakeFloatMap(3, 1, [](int x, int) { return (x - 1) * 3.14159265f; })->ToGrayImage(gray);
    EXPECT_EQ(Levels(*gray), (Grey{0, 127, 255}));

    // -100 is the background: it takes no part and shows black.
    auto map = MakeFloatMap(4, 1, [](int x, int) { return x == 0 ? -100.0 : x * 10.0; });
    map->ToGrayImage(gray, -100.0f);
    EXPECT_EQ(Levels(*gray), (Grey{0, 0, 127, 255}));
    std::uint8_t levels[] = {0, 255, 255, 254};
    map->ToGrayImage(gray, TGrayImage(levels, 4, 1));
    EXPECT_EQ(Levels(*gray), (Grey{0, 0, 255, 0}));
    TGrayImage* before = gray.get();
    EXPECT_THROW(map->ToGrayImage(gray, TGrayImage(nullptr, 3, 1)), CorvaneError);
    EXPECT_EQ(gray.get(), before);
}

TEST(TFloatImageListing, StepsClippingAndMasks) {
    TempDir dir;
    CommaDecimalLocale comma; // every listing keeps its decimal point under a comma locale
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale could be set on this machine";
    auto map = MakeFloatMap(5, 5, [](int x, int y) { return x + 0.5 * y; });
    map->ScaleX = 0.5f, map->ScaleY = 2.0f;
    map->Output3DDat(dir.File("all.dat"), dir.File("nomask.bmp"), 0, 0, 4, 4, 2, 2);
    const std::string all = ReadFileBytes(dir.File("all.dat"));
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 9);
    EXPECT_EQ(all.substr(0, 111), "      0.00000000       0.00000000       0.00000000 \n"
                                  "      1.00000000       0.00000000       2.00000000 \n      2");
    map->Output3DDat(dir.File("clip.dat"), "", 3, 4, 100, 100, 1, 1);
    EXPECT_EQ(ReadFileBytes(dir.File("clip.dat")), "      1.50000000       8.00000000       5.00000000 \n"
                                                   "      2.00000000       8.00000000       6.00000000 \n");
    MakeGreyPicture(5, 5, [](int x, int y) { return x == y ? 255 : 128; })->SaveBmp(dir.File("mask.bmp"));
    map->Output3DDat(dir.File("mask.dat"), dir.File("mask.bmp"), 0, 0, 4, 4, 1, 1);

    MakeGreyPicture(4, 5, [](int x, int) { return x == 1 ? 0 : 255; })->SaveBmp(dir.File("small.bmp"));
    EXPECT_THROW(map->Output3DDat(dir.File("bad.dat"), dir.File("small.bmp"), 0, 0, 4, 4, 1, 1),
                 CorvaneError);
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.dat")));
    EXPECT_THROW(map->ApplyMaskFile(0.0f, dir.File("small.bmp")), CorvaneError);
    EXPECT_EQ(map->MaskFileName, dir.File("mask.bmp"));

    // The black part of a mask, column 1, takes the given value.
    auto masked = MakeFloatMap(4, 5, [](int x, int y) { return x + 4 * y; });
    masked->ApplyMaskFile(-1.0f, dir.File("small.bmp"));
    EXPECT_EQ(masked->SumRect(0, 0, 3, 4), 190.0f - (1 + 5 + 9 + 13 + 17) - 5.0f);
    EXPECT_EQ(std::pair(masked->HasMask, masked->MaskValue), std::pair(true, -1.0f));
    EXPECT_EQ(ErrorText([&] { map->Output3DDat(dir.File("no/dir.dat"), "", 0, 0, 1, 1, 1, 1); }),
              "Can not output 3d dat to " + dir.File("no/dir.dat"));
}

TEST(TFloatImageShift, ValueScaleAndMoveBlock) {
    auto map = MakeFloatMap(2, 1, [](int x, int) { return x + 1.5; });
    map->Multiply(-2.0f), map->Multiply(3.0f);
    EXPECT_EQ(std::pair(map->GetPixel(1, 0), map->ValueScale), std::pair(-15.0f, -6.0f));
    // MoveBlock centres the block; a failing move changes nothing.
    auto block = MakeFloatMap(7, 5, [](int x, int y) { return 1 + x + 10 * y; });
    block->MoveBlock(1, 1, 2, 3, 4, 2); // width 2 becomes 3
    EXPECT_EQ(block->SumRect(0, 0, 6, 4), block->SumRect(3, 1, 5, 3));
    EXPECT_EQ(std::pair(block->GetPixel(3, 1), block->GetPixel(5, 3)), std::pair(1.0f, 23.0f));

    auto kept = MakeFloatMap(7, 5, [](int x, int y) { return 1 + x + 10 * y; });
    EXPECT_EQ(ErrorText([&] { kept->MoveBlock(3, 2, 3, 3, 6, 2); }), "(7,1) not in the image");
    EXPECT_EQ(kept->GetPixel(0, 0), 1.0f);
}

/// A random map; with few levels many values tie, with none they are normally distributed.
std::vector<float> RandomValues(int count, int levels, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> level(0, std::max(levels - 1, 0));
    std::normal_distribution<float> noise(0.0f, 100.0f);
    std::vector<float> values(static_cast<std::size_t>(count));
    for (float& v : values)
        v = levels > 0 ? level(rng) * 0.5f - 1.0f : noise(rng);
    return values;
}

/// The filter's result on a width x height map against the plain procedure's.
void ExpectLikeBubbleMedian(int width, int height, int levels, unsigned seed, int x1, int y1, int x2, int y2,
                            int w, int h) {
    std::vector<float> expected = RandomValues(width * height, levels, seed);
    std::vector<float> values = expected;
    TFloatImage map(values.data(), width, height);
    map.MedianFilter(x1, y1, x2, y2, w, h);
    test::BubbleMedian(expected, width, x1, y1, x2, y2, w, h);
    EXPECT_EQ(values, expected) << w << "x" << h << " levels " << levels << " width " << width << " region "
                                << x1 << "," << y1 << "-" << x2 << "," << y2;
}

TEST(TFloatImageMedian, MatchesTheBubblePassFilterTakesNotANumberAndTheTrackBarsWindow) {
    // Reduced networks up to 7x7, 9x1 and 11x3; 9x9 slides a sorted window; 4x2 is raised to 5x3.
    const std::pair<int, int> windows[] = {{3, 3}, {5, 5}, {7, 7},  {1, 5}, {5, 3},
                                           {9, 1}, {9, 9}, {11, 3}, {4, 2}};
    unsigned seed = 1;
    for (const auto& [w, h] : windows)
        for (int levels : {0, 3, 7})
            for (int width : {5, 40, 150}) // below, around and beyond the 64-column blocks
                ExpectLikeBubbleMedian(width, 23, levels, seed++, 0, 0, width - 1, 22, w, h);
    // The region form leaves everything outside the region; 23 is wider than the region.
    for (int window : {3, 5, 9, 23})
        ExpectLikeBubbleMedian(30, 20, 5, 77, -4, 3, 21, 100, window, window);
    std::vector<float> values = RandomValues(90 * 30, 0, 9);
    for (std::size_t i = 0; i < values.size(); i += 3)
        values[i] = NAN;
    TFloatImage map(values.data(), 90, 30);
    map.MedianFilter(7, 7);
    map.MedianFilter(3, 3);
    EXPECT_FALSE(std::isnan(map.GetPixel(1, 0))) << "the top rows keep their numbers";
    for (const auto& [position, side] : {std::pair{4, 5}, {3, 3}, {1, 1}, {0, 1}})
        EXPECT_EQ(MedianWindowSide(position), side) << position;
    auto block = [](int x, int y) { return x >= 4 && x <= 6 && y >= 3 && y <= 5 ? 200 : 10; };
    // Spikes at (2, 2), which a 5 x 5 window reaches, and at (1, 1), which none does.
    auto spiked =
        MakeFloatMap(11, 9, [&](int x, int y) { return x == y && x < 3 ? 300.0 : block(x, y) * 0.5; });
    ApplyMedianFilterTool(*spiked, 4);
    EXPECT_EQ((std::array{spiked->GetPixel(5, 4), spiked->GetPixel(2, 2), spiked->GetPixel(1, 1)}),
              (std::array{5.0f, 5.0f, 300.0f}));
}

// Fills, sums and fits whose rectangle reaches the last row and column or covers the whole
// picture. Each picture borrows a buffer one element longer than it needs, holding a guard value,
// so a write one past the end shows in the data (and under the sanitizers as well).

constexpr int kW = 7, kH = 4; // wider than tall, so width and height cannot stand in for each other

template <class T> std::vector<T> Guarded(T guard) {
    std::vector<T> v(kW * kH + 1);
    std::iota(v.begin(), v.end() - 1, T(1));
    v.back() = guard;
    return v;
}

template <class T> std::vector<T> Expected(T fill, int x1, int y1, int x2, int y2, bool inside, T guard) {
    std::vector<T> v = Guarded(guard);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if ((x >= x1 && x <= x2 && y >= y1 && y <= y2) == inside) v[y * kW + x] = fill;
    return v;
}

TEST(FullExtentBoundary, GreyFillsAndSumsReachTheLastRowAndColumnAndNoFurther) {
    auto v = Guarded<std::uint8_t>(0xEE);
    TGrayImage image(v.data(), kW, kH);
    EXPECT_EQ(image.SumRect(0, 0, kW - 1, kH - 1), static_cast<std::uint32_t>(kW * kH * (kW * kH + 1) / 2));
    EXPECT_EQ(image.SumRect(kW - 1, kH - 1, kW + 5, kH + 5), static_cast<std::uint32_t>(kW * kH));
    image.FillRect(0, 4, 1, kW - 1, kH - 1); // corner exactly at the last pixel
    EXPECT_EQ(v, Expected<std::uint8_t>(0, 4, 1, kW - 1, kH - 1, true, 0xEE));
    image.FillRect(9, 0, 0, kW + 3, kH + 3); // beyond both: the whole picture
    EXPECT_EQ(v, Expected<std::uint8_t>(9, 0, 0, kW - 1, kH - 1, true, 0xEE));
    image.FillRect(5, -3, -2, 1, 0); // before the first column and row: the corner only
    image.FillRect(99, 3, 0, 1, 2);  // x1 > x2, then y1 > y2: nothing
    image.FillRect(99, 0, 2, 3, 1);
    EXPECT_EQ(std::vector(v.begin(), v.begin() + 3), (std::vector<std::uint8_t>{5, 5, 9}));
    EXPECT_EQ(image.SumRect(0, 0, kW - 1, kH - 1), 9u * (kW * kH - 2) + 10);
    EXPECT_EQ(image.SumRect(0, 2, 3, 1), 0u);
}

TEST(FullExtentBoundary, FloatFillsInsideAndOutsideARectangleAtTheLastRowAndColumn) {
    for (bool inside : {true, false}) {
        auto v = Guarded(-7.0f);
        TFloatImage map(v.data(), kW, kH);
        map.FillRect(0.5f, 2, 1, kW - 1, kH - 1, inside);
        EXPECT_EQ(v, Expected(0.5f, 2, 1, kW - 1, kH - 1, inside, -7.0f)) << "inside " << inside;
        const auto once = v;
        map.FillRect(2.0f, -1, -1, kW + 1, kH + 1, inside); // the whole map: all of it, or nothing
        EXPECT_EQ(v, inside ? Expected(2.0f, 0, 0, kW - 1, kH - 1, true, -7.0f) : once)
            << "inside " << inside;
        const float lastRow = std::accumulate(v.end() - 1 - kW, v.end() - 1, 0.0f);
        EXPECT_EQ(map.SumRect(0, kH - 1, kW + 9, kH + 9), lastRow) << "inside " << inside;
    }
    auto disc = MakeFloatMap(5, 5, [](int, int) { return 0.0; });
    disc->FillCircle(1.0f, 2, 2, 0.0, true);
    EXPECT_EQ(disc->SumRect(0, 0, 4, 4), 1.0f);
    disc->FillCircle(3.0f, 2, 2, 1.0, false); // all but the centre and its four neighbours
    EXPECT_EQ(disc->SumRect(0, 0, 4, 4), 1.0f + 20 * 3.0f);
}

std::unique_ptr<TFloatImage> MapOf(int w, int h, const std::vector<float>& values) {
    return MakeFloatMap(w, h, [&](int x, int y) { return values[static_cast<std::size_t>(y * w + x)]; });
}

/// Every pixel of the phase equals the library's double atan2 rounded to single precision.
void ExpectLibraryAtan2(const TFloatImage& phase, const TFloatImage& real, const TFloatImage& imag,
                        int from) {
    int differences = 0;
    for (std::size_t i = static_cast<std::size_t>(from); i < phase.PixelCount(); ++i) {
        const float expected = static_cast<float>(std::atan2(double{imag.Data[i]}, double{real.Data[i]}));
        const float got = phase.Data[i];
        differences += !(got == expected || (std::isnan(expected) && std::isnan(got)));
    }
    EXPECT_EQ(differences, 0);
}

TEST(TPhaseImagePhase, NearZeroRulesAndTheLibraryAtan2InSinglePrecision) {
    // Random magnitudes over many decades, some non-finite, the near-zero cases first; the
    // width is odd so the last pixels of the map take the one-pixel path.
    const int w = 2047, h = 2048;
    std::mt19937 rng(42);
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-30, 30);
    auto real = MakeFloatMap(w, h, [&](int, int) { return std::ldexp(mantissa(rng), exponent(rng) / 3); });
    auto imag = MakeFloatMap(w, h, [&](int x, int y) {
        return std::ldexp(mantissa(rng), (y * w + x) % 7 == 0 ? exponent(rng) : exponent(rng) / 3);
    });
    // 3.3999999e-20f is the float just below 3.4e-20, 3.4000002e-20f the one above.
    const float d[] = {-1,       0, 0,      1, 1e-21f, -1e-21f, -5, 3.3999999e-20f, 2, 3.4000002e-20f,
                       INFINITY, 1, 1.5e19f};
    const float n[] = {0, 2, 0, 1, -2, 1e-21f, -3.3999999e-20f, -3.5e-20f, -0.0f, 1, 1, NAN, 1e-19f};
    std::copy(std::begin(d), std::end(d), real->Data);
    std::copy(std::begin(n), std::end(n), imag->Data);
    TPhaseImage phase(real.get(), imag.get());
    phase.ComputePhase();
    const float expected[] = {3.1415925f, 1.5707963f,  0, 0.78539819f, -1.5707963f, 3.1415925f,
                              3.1415925f, -1.5707963f, 0};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), phase.Phase->Data));
    ExpectLibraryAtan2(*phase.Phase, *real, *imag, std::size(expected));
    EXPECT_EQ(phase.Gray->GetPixel(0, 0), 254); // 3.1415925 shows just below white
}

TEST(TPhaseImagePhase, AnglesNextToAFloatRoundingBoundaryRoundAsTheLibrary) {
    // Each angle lies within a unit of the last double place of a point halfway between two
    // floats; an approximation of the angle may fall on the other side of that point.
    const std::pair<float, float> hard[] = {
        {-0x1.89f37p+3f, 0x1.3ba44ap-4f},  {0x1.be14e8p-3f, -0x1.63b02ep+2f},
        {-0x1.e6003ep-3f, 0x1.45d7a4p-4f}, {0x1.e840c8p-2f, -0x1.13116ap-4f},
        {0x1.c78dp-4f, -0x1.0a483p+0f},    {-0x1.793c32p-4f, 0x1.44d5acp-3f},
        {0x1.44475ep+4f, -0x1.b90ee8p+1f},
    };
    for (const auto& [n, d] : hard) {
        const double angle = std::atan2(double{n}, double{d});
        ASSERT_NE(static_cast<float>(angle), static_cast<float>(std::nextafter(angle, 0.0)))
            << n << " / " << d;
    }
    // Seven pairs repeated along 59 pixels meet every place of a block and the one-pixel tail.
    auto real = MakeFloatMap(59, 1, [&](int x, int) { return hard[x % 7].second; });
    auto imag = MakeFloatMap(59, 1, [&](int x, int) { return hard[x % 7].first; });
    TPhaseImage phase(real.get(), imag.get());
    phase.ComputePhase();
    ExpectLibraryAtan2(*phase.Phase, *real, *imag, 0);
}

TEST(TPhaseImageDisplay, WrappedMinMaxAndSpectrumRules) {
    const float pi = 3.1415927f;
    auto map = MapOf(4, 1, {-pi, 0.0f, pi, 1.0f});
    TPhaseImage phase(map.get());
    phase.UpdateGray();
    EXPECT_EQ(Levels(*phase.Gray), (Grey{0, 127, 255, 168}));

    // Subtracting a reference switches to the min-max rule: -pi..pi-1 spread over 0..255.
    phase.SubtractReference(*MapOf(4, 1, {0.0f, 0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(std::tuple(Levels(*phase.Gray)[0], Levels(*phase.Gray)[2]), std::tuple(0, 255));

    EXPECT_THROW(phase.SubtractReference(*MakeFloatMap(3, 1, [](int, int) { return 0; })), CorvaneError);
    auto tall = MakeFloatMap(4, 2, [](int, int) { return 1; });
    TPhaseImage mismatched(map.get(), tall.get());
    EXPECT_THROW(mismatched.ComputePhase(), CorvaneError);
    EXPECT_THROW(mismatched.ComputeSpectrum(), CorvaneError);

    auto ramp = MakeFloatMap(5, 3, [](int x, int y) { return 2.0 * x + 3.0 * y; });
    TPhaseImage flat(ramp.get());
    flat.RemoveCarrier(2.0f, 3.0f);
    EXPECT_EQ(ramp->SumRect(0, 0, 4, 2), 0.0f);
    EXPECT_EQ(Levels(*flat.Gray), Grey(15, 0));
    auto zero = MakeFloatMap(3, 3, [](int, int) { return 0; });
    auto re = MapOf(3, 1, {0.0f, 3.0f, 6.0f}), im = MapOf(3, 1, {0.0f, 4.0f, 8.0f});
    for (bool linear : {true, false}) {
        TPhaseImage blank(zero.get(), zero.get()), spectrum(re.get(), im.get());
        blank.LinearSpectrum = spectrum.LinearSpectrum = linear;
        blank.ComputeSpectrum(), spectrum.ComputeSpectrum();
        EXPECT_EQ(Levels(*blank.Gray), Grey(9, 0)) << "linear " << linear;
        // Linear: 25 * 255 / 100; logarithmic: log(1 + 5) * 255 / log(1 + 10).
        const int middle = linear ? 63 : static_cast<int>(std::log(6.0) * 255 / std::log(11.0));
        EXPECT_EQ(Levels(*spectrum.Gray), (Grey{0, static_cast<std::uint8_t>(middle), 255}))
            << "linear " << linear;
        if (linear) {
            EXPECT_EQ(spectrum.Phase->GetPixel(2, 0), 100.0f);
        }
    }
}

TEST(TPhaseImageFit, PeakSearchAndPlaneFit) {
    auto map =
        MakeFloatMap(8, 6, [](int x, int y) { return (x == 6 && y == 1) || (x == 2 && y == 4) ? 5.0 : 1.0; });
    TPhaseImage peak(map.get());
    peak.FindPeak(0, 0, 8, 6);
    EXPECT_EQ(std::pair(peak.CarrierX, peak.CarrierY), std::pair(6 - 4, 1 - 3));
    peak.FindPeak(0, 2, 100, 100); // window clipped to the map
    EXPECT_EQ(peak.CarrierY, 4 - 3);

    // A map that is zero but for its last pixel: a fit that leaves out the last row or column finds
    // no slope at all.
    auto v = Guarded(1e6f);
    std::fill(v.begin(), v.end() - 1, 0.0f);
    v[kW * kH - 1] = 3.0f;
    TFloatImage last(v.data(), kW, kH);
    TPhaseImage phase(&last);
    phase.FitPlane(0);
    // The normal equations: x^2 sums to 364, y^2 to 98, x y to 126; x p to 18 and y p to 9.
    EXPECT_NEAR(phase.SlopeX, 630.0 / 19796.0, 1e-6);
    EXPECT_NEAR(phase.SlopeY, 1008.0 / 19796.0, 1e-6);
    phase.FitPlane(2); // a border of 2 leaves no row of the 4: no slope
    EXPECT_EQ(std::pair(phase.SlopeX, phase.SlopeY), std::pair(0.0f, 0.0f));
}

// The jump threshold of the row-then-column unwrap is 2 t pi. A wrapped ramp rising 2 rad per
// pixel across and falling 2.5 rad per pixel down lies between t pi and 2 t pi for t = 1/2: its
// true steps are no jumps, its wrapped steps (2 - 2 pi, 2 pi - 2.5) are.
TEST(UnwrapThreshold, StepsBetweenTPiAndTwoTPiAreNoJumpsInEitherDirection) {
    constexpr int w = 6, h = 9, x0 = 2, y0 = 3;
    auto ramp = [](int x, int y) { return 2.0 * x - 2.5 * y; };
    auto map =
        MakeFloatMap(w, h, [&](int x, int y) { return std::remainder(ramp(x, y), 2 * std::numbers::pi); });
    const double start = map->GetPixel(x0, y0);
    TPhaseImage phase(map.get());
    phase.Unwrap(x0, y0, 0.5f);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_NEAR(map->GetPixel(x, y), start + ramp(x, y) - ramp(x0, y0), 1e-4) << x << "," << y;
}

} // namespace
} // namespace corvane
