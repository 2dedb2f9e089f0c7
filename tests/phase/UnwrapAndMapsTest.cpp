// Unwrapping and the work on unwrapped maps: region growing with its invalid-run fill and residue
// mask, the region-growing tool's model, the scan-line unwrap with its model and the quality-guided
// method; the difference of two maps with its plane fit, the absolute displacement conversions and
// table, and the pseudo-colour display.
#include "phase/AbsolutePhase.h"
#include "phase/InvalidRunFill.h"
#include "phase/NewUnwrapModel.h"
#include "phase/NoiseMask.h"
#include "phase/PhaseCalculation.h"
#include "phase/PseudoColor.h"
#include "phase/QualityGuidedUnwrap.h"
#include "phase/RegionGrowingUnwrap.h"
#include "phase/SimpleUnwrap.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"
#include "support/WrappedPhaseMaps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

using Grey = std::vector<std::uint8_t>;

/// A picture of level 0: no pixel invalid.
std::unique_ptr<TGrayImage> Blank(int w, int h) {
    return MakeGreyPicture(w, h, [](int, int) { return 0; });
}
std::unique_ptr<TFloatImage> MapOf(int w, int h, const std::vector<float>& values) {
    return MakeFloatMap(w, h, [&](int x, int y) { return values[static_cast<std::size_t>(y * w + x)]; });
}

/// The pixel's distance from truth + 2 pi k, k taken at pixel 0.
double Deviation(const TFloatImage& map, const WrappedPhaseMap& truth, std::size_t i) {
    const double k = std::round((map.Data[0] - truth.Truth[0]) / (2.0 * M_PI));
    return std::fabs(map.Data[i] - truth.Truth[i] - 2.0 * M_PI * k);
}

/// The marks Mask Noise leaves on a blank invalid area of the map's size.
Grey Marks(const TFloatImage& map, float threshold, float residue) {
    auto invalid = Blank(map.Width, map.Height);
    MaskNoise(map, *invalid, threshold, residue);
    return Levels(*invalid);
}

/// The map with scales of its own (0.25 across, 0.5 down, value scale 3), so that a result can be
/// seen to keep them.
std::unique_ptr<TFloatImage> Scaled(std::unique_ptr<TFloatImage> map) {
    map->ScaleX = 0.25f;
    map->ScaleY = 0.5f;
    map->ValueScale = 3.0f;
    return map;
}

/// Saves the wrapped map as an FLT file with scales of its own.
void SaveWrapped(const WrappedPhaseMap& map, const std::string& file) {
    Scaled(MapOf(map.Width, map.Height, map.Wrapped))->SaveFlt(file);
}

using Phase = std::function<double(int x, int y)>;
using Where = std::function<bool(int x, int y)>;

std::unique_ptr<TFloatImage> Wrapped(int w, int h, const Phase& phase) {
    return MakeFloatMap(w, h, [&](int x, int y) { return WrapPhase(phase(x, y)); });
}

/// Pixels where counted that differ from the truth by more than 0.5 rad after the reference pixel's
/// offset, which is 2 pi k exactly when that pixel kept its wrapped value.
int Wrong(const TFloatImage& map, const Phase& truth, int rx, int ry, const Where& counted) {
    const double offset = map.GetPixel(rx, ry) - truth(rx, ry);
    int wrong = 0;
    for (int y = 0; y < map.Height; ++y)
        for (int x = 0; x < map.Width; ++x)
            wrong += counted(x, y) && std::fabs(map.GetPixel(x, y) - truth(x, y) - offset) > 0.5;
    return wrong;
}

const Where kEverywhere = [](int, int) { return true; };

constexpr float kPif = 3.1415927f;

std::tuple<int, int, int> Rgb(const PseudoColorEntry& c) {
    return {c.Red, c.Green, c.Blue};
}
/// The colour of pixel (x, y) of the picture.
std::tuple<int, int, int> Rgb(const RgbPicture& picture, int x, int y) {
    const std::size_t i = (static_cast<std::size_t>(y) * picture.Width + x) * 3;
    return {picture.Pixels[i], picture.Pixels[i + 1], picture.Pixels[i + 2]};
}

/// True when every channel is within one level: the single-precision weights of a blend need not
/// sum to exactly 1, so an exact colour may come out one level below after truncation.
bool Near(const std::tuple<int, int, int>& a, const std::tuple<int, int, int>& b) {
    return std::abs(std::get<0>(a) - std::get<0>(b)) <= 1 && std::abs(std::get<1>(a) - std::get<1>(b)) <= 1 &&
           std::abs(std::get<2>(a) - std::get<2>(b)) <= 1;
}

} // namespace

// The last map is large enough for the growing front to outgrow the queue's first buffer.
TEST(RegionGrowingUnwrap, CleanMapsUnwrapExactlyFromAnyStart) {
    for (const auto& [w, h, sx, sy] : {std::array{97, 61, 0, 0}, std::array{97, 61, 96, 60},
                                       std::array{97, 61, 13, 47}, std::array{331, 203, 330, 0}}) {
        const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
        auto map = MapOf(w, h, truth.Wrapped);
        RegionGrowingUnwrap(*map, *Blank(w, h), sx, sy, 0.5f);
        for (std::size_t i = 0; i < truth.Truth.size(); ++i)
            ASSERT_LT(Deviation(*map, truth, i), 1e-4) << sx << "," << sy << " pixel " << i;
        // The start pixel keeps its wrapped value, so k = 0 there.
        EXPECT_EQ(map->Data[sy * w + sx], truth.Wrapped[static_cast<std::size_t>(sy * w + sx)]);
    }
}

TEST(RegionGrowingUnwrap, ADifferenceOfExactlyPiIsNoJumpAndOneOfThreePointOneFiveIs) {
    const float pi = 3.1415927f;
    auto map = MapOf(4, 1, {0.0f, pi, 0.0f, -3.15f});
    const auto valid = Blank(4, 1);
    RegionGrowingUnwrap(*map, *valid, 1, 0, 0.5f);
    EXPECT_EQ(map->Data[0], 0.0f); // pi - 0 = pi: kept
    EXPECT_EQ(map->Data[1], pi);   // the start, judged again against pixel 0: unchanged
    EXPECT_EQ(map->Data[2], 0.0f);
    EXPECT_FLOAT_EQ(map->Data[3], -3.15f + 6.2831855f); // 3.15 below its parent: one 2 pi up

    // With a tiny threshold the neighbour takes k = -1; the start, judged again against it, gets
    // -2 pi from that k and one 2 pi back, and so keeps its value.
    auto tiny = MapOf(2, 1, {0.0f, 1.0f});
    RegionGrowingUnwrap(*tiny, *Blank(2, 1), 0, 0, 0.01f);
    EXPECT_FLOAT_EQ(tiny->Data[1], 1.0f - 6.2831855f);
    EXPECT_EQ(tiny->Data[0], 0.0f);
}

// Neighbours are queued up, left, down, right: pixel (1,1) is first reached from below the start
// (3 -> -3 is a jump) and not from its right (-3 -> -3 is none).
TEST(RegionGrowingUnwrap, ThePixelBelowIsQueuedBeforeTheOneToTheRight) {
    auto map = MapOf(2, 2, {0.0f, -3.0f, 3.0f, -3.0f});
    RegionGrowingUnwrap(*map, *Blank(2, 2), 0, 0, 0.5f);
    EXPECT_EQ(Values(*map), (std::vector<float>{0.0f, -3.0f, 3.0f, -3.0f + 6.2831855f}));
}

TEST(RegionGrowingUnwrap, ARegionClosedOffByInvalidPixelsKeepsItsWrappedValues) {
    const int w = 40, h = 30;
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
    // A ring of invalid pixels around columns 20..33, rows 8..21.
    const auto ring = MakeGreyPicture(w, h, [](int x, int y) {
        return x >= 19 && x <= 34 && y >= 7 && y <= 22 && (x == 19 || x == 34 || y == 7 || y == 22) ? 255 : 0;
    });
    auto map = MapOf(w, h, truth.Wrapped);
    RegionGrowingUnwrap(*map, *ring, 2, 2, 0.5f);
    FillInvalidRuns(*map, ring.get());
    for (int y = 8; y <= 21; ++y)
        for (int x = 20; x <= 33; ++x)
            ASSERT_EQ(map->Data[y * w + x], truth.Wrapped[static_cast<std::size_t>(y * w + x)])
                << x << "," << y;
    // Outside the ring the map is unwrapped.
    EXPECT_LT(Deviation(*map, truth, 5 * w + 38), 1e-4);
}

TEST(RegionGrowingUnwrap, AStartOutsideTheMapIsRefusedBeforeAnythingChanges) {
    auto map = MapOf(5, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15});
    const auto valid = Blank(5, 3);
    EXPECT_EQ(ErrorText([&] { RegionGrowingUnwrap(*map, *valid, 5, 0, 0.5f); }),
              "the starting point (5,0) is outside the 5 x 3 phase map");
    EXPECT_EQ(ErrorText([&] { RegionGrowingUnwrap(*map, *valid, 0, -1, 0.5f); }),
              "the starting point (0,-1) is outside the 5 x 3 phase map");
    const auto wrongSize = Blank(3, 5);
    EXPECT_NE(ErrorText([&] { RegionGrowingUnwrap(*map, *wrongSize, 0, 0, 0.5f); }), "no error");
    EXPECT_EQ(map->Data[14], 15.0f);
}

TEST(FillInvalidRuns, TheFourKindsOfRun) {
    const int w = 16;
    // Row 0: invalid 0..9 -> column 10's value. Row 1: invalid 5..15 -> column 4's value.
    // Row 2: invalid everywhere -> kept. Row 3: invalid 3..6 -> straight line from 2 to 7.
    // Row 4: only column 0 invalid -> kept (the scan starts at column 1).
    auto map = MakeFloatMap(w, 5, [](int x, int y) { return 100.0 * y + x * x; });
    const auto invalid = MakeGreyPicture(w, 5, [](int x, int y) {
        const char* rows[] = {"1111111111000000", "0000011111111111", "1111111111111111", "0001111000000000",
                              "1000000000000000"};
        return rows[y][x] == '1' ? 255 : 0;
    });
    FillInvalidRuns(*map, invalid.get());
    // Row 3 runs from 304 at column 2 to 349 at column 7 in steps of 9.
    const auto expected = [](int x, int y) {
        if (y == 0) return x <= 9 ? 100.0 : x * x;
        if (y == 1) return x >= 4 ? 116.0 : 100 + x * x;
        if (y == 3 && x >= 3 && x <= 6) return 304.0 + 9 * (x - 2);
        return 100.0 * y + x * x;
    };
    for (int i = 0; i < w * 5; ++i)
        EXPECT_NEAR(map->Data[i], expected(i % w, i / w), 1e-4) << i % w << "," << i / w;

    EXPECT_EQ(ErrorText([&] { FillInvalidRuns(*map, nullptr); }), "no invlaid area to modify");
}

TEST(DarkenAreas, MarkedPixelsTakeTheMinimumOfTheWholeMap) {
    auto map = MakeFloatMap(3, 2, [](int x, int y) { return 10.0 - x - 4 * y; });
    const auto areas = MakeGreyPicture(3, 2, [](int x, int y) { return x == 0 && y == 0 ? 255 : 254; });
    DarkenAreas(*map, *areas);
    EXPECT_EQ(Values(*map), (std::vector<float>{4, 9, 8, 6, 5, 4}));
}

TEST(MaskNoise, ACellWithHorizontalDifferencesOfPointSixAndMinusPointFourIsMarked) {
    // Cell (1, 0)..(2, 1) of a 4 x 3 map: the bottom edge rises by 0.6 (wrapped at the 0.5 rad
    // threshold), the top edge by 0.4 (kept): the sum around the cell is -2 pi.
    auto map = MakeFloatMap(4, 3, [](int x, int y) { return x >= 2 ? (y == 0 ? 0.4 : 0.6) : 0.0; });
    EXPECT_EQ(Marks(*map, 0.5f, 0.001f), (Grey{0, 255, 255, 0, 0, 255, 255, 0, 0, 0, 0, 0}));
    // With a threshold above 0.6 no difference is wrapped: no residue.
    EXPECT_EQ(Marks(*map, 0.61f, 0.001f), Grey(12, 0));
}

TEST(MaskNoise, ResidueThresholdOnBothSidesAndPixelsAreOnlyEverSet) {
    // A 2 x 2 map has one cell; its differences sum to 0 in exact arithmetic, so only wrapping
    // makes a residue: the bottom edge rises by 0.6 (wrapped), the right and top edges fall by 0.3:
    // about -2 pi.
    auto map = MakeFloatMap(2, 2, [](int x, int y) { return x == 1 ? (y == 0 ? 0.3 : 0.6) : 0.0; });
    EXPECT_EQ(Marks(*map, 0.5f, 6.3f), (Grey{0, 0, 0, 0}));
    EXPECT_EQ(Marks(*map, 0.5f, 6.2f), (Grey{255, 255, 255, 255}));

    // A loaded invalid area is extended, never cleared; the last row and column are reached.
    auto clean = MakeFloatMap(5, 4, [](int x, int y) { return x < 4 || y < 2 ? 0.0 : (y == 3 ? 0.6 : 0.3); });
    auto loaded = MakeGreyPicture(5, 4, [](int x, int y) { return x == 0 && y == 0 ? 255 : 7; });
    MaskNoise(*clean, *loaded, 0.5f, 0.001f);
    EXPECT_EQ(Levels(*loaded), (Grey{255, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 255, 255, 7, 7, 7, 255, 255}));
}

TEST(MaskNoise, RefusesAMissingMapAndAnInvalidAreaOfAnotherSize) {
    TFloatImage empty(nullptr, 0, 0);
    empty.Data = nullptr;
    auto invalid = Blank(2, 2);
    EXPECT_EQ(ErrorText([&] { MaskNoise(empty, *invalid, 0.5f, 0.001f); }), "Select an phase image first");
    auto map = MakeFloatMap(3, 2, [](int x, int) { return x * 1.0; });
    EXPECT_EQ(ErrorText([&] { MaskNoise(*map, *invalid, 0.5f, 0.001f); }),
              "the invalid area is 2 x 2, the phase map 3 x 2");
}

TEST(NewUnwrapModel, UnwrapStartsFromTheFileAndFillsAndDarkensTheFilesAreas) {
    TempDir dir;
    const int w = 64, h = 48;
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
    SaveWrapped(truth, dir.File("phase.flt"));
    // Invalid block at columns 30..39 of rows 10..19.
    auto areas =
        MakeGreyPicture(w, h, [](int x, int y) { return x >= 30 && x < 40 && y >= 10 && y < 20 ? 255 : 0; });
    areas->SaveBmp(dir.File("areas.bmp"));

    NewUnwrapModel model;
    model.OpenPhase(dir.File("phase.flt"));
    std::fill(model.Phase->Data, model.Phase->Data + 10, 99.0f); // changes in memory do not count
    NewUnwrapOptions options{.PhaseFile = dir.File("phase.flt"),
                             .UseInvalidAreaFile = true,
                             .InvalidAreaFile = dir.File("areas.bmp"),
                             .StartX = 5,
                             .StartY = 40};
    float grownInBlock = 0.0f;
    model.Unwrap(options, [&](const TFloatImage& grown) { grownInBlock = grown.Data[15 * w + 35]; });

    // The region growing never reaches the block, so it still holds the wrapped value there.
    EXPECT_EQ(grownInBlock, truth.Wrapped[15 * w + 35]);
    const TFloatImage& result = *model.Phase;
    EXPECT_EQ(std::pair(result.ScaleX, result.ValueScale), std::pair(0.25f, 3.0f));
    const float min = *std::min_element(result.Data, result.Data + result.PixelCount());
    for (std::size_t i = 0; i < result.PixelCount(); ++i)
        ASSERT_TRUE(areas->Data[i] == 255 ? result.Data[i] == min : Deviation(result, truth, i) < 1e-4) << i;
    ASSERT_TRUE(model.InvalidArea);
    EXPECT_EQ(model.InvalidArea->Data[15 * w + 35], 255);

    // Without the check box the file is not used: a clean map unwraps everywhere.
    options.UseInvalidAreaFile = false;
    model.OpenPhase(dir.File("phase.flt"));
    model.Unwrap(options);
    EXPECT_LT(Deviation(*model.Phase, truth, 15 * w + 35), 1e-4);
}

TEST(NewUnwrapModel, MaskNoiseMarksResiduesAndTheFollowingUnwrapWorksAroundThem) {
    TempDir dir;
    const int w = 50, h = 40;
    WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
    // A bump of 0.45 rad on one pixel: the edges into it exceed the residue test's 0.5 rad, the
    // edges out of it do not, so some of the cells around it get a residue.
    truth.Wrapped[20 * w + 25] = WrapPhase(truth.Truth[20 * w + 25] + 0.45);
    SaveWrapped(truth, dir.File("phase.flt"));

    NewUnwrapModel model;
    NewUnwrapOptions options;
    options.PhaseFile = dir.File("phase.flt");
    options.StartX = options.StartY = 0;
    model.MaskNoise(options);
    ASSERT_TRUE(model.InvalidArea);
    const TGrayImage& invalid = *model.InvalidArea;
    EXPECT_EQ(invalid.Data[20 * w + 25], 255);
    for (int i = 0; i < w * h; ++i)
        ASSERT_TRUE(invalid.Data[i] == 0 || (std::abs(i % w - 25) <= 1 && std::abs(i / w - 20) <= 1)) << i;

    model.Unwrap(options);
    for (std::size_t i = 0; i < truth.Truth.size(); ++i)
        ASSERT_TRUE(invalid.Data[i] == 255 || Deviation(*model.Phase, truth, i) < 1e-4) << i;
    // The bump is gone: it lies on the straight line through the valid pixels beside it.
    EXPECT_LT(Deviation(*model.Phase, truth, 20 * w + 25), 0.05);

    // Opening a phase file releases the invalid area.
    model.OpenPhase(dir.File("phase.flt"));
    EXPECT_FALSE(model.InvalidArea);
}

TEST(NewUnwrapModel, FailingCommandsLeaveTheHeldMapsAsTheyWere) {
    TempDir dir;
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(30, 20);
    SaveWrapped(truth, dir.File("phase.flt"));
    Blank(20, 30)->SaveBmp(dir.File("other.bmp"));

    NewUnwrapModel model;
    NewUnwrapOptions options;
    EXPECT_EQ(ErrorText([&] { model.MaskNoise(options); }), "Select an phase image first");
    EXPECT_EQ(ErrorText([&] { model.Unwrap(options); }), "Select an phase image first");

    options.PhaseFile = dir.File("phase.flt");
    model.OpenPhase(options.PhaseFile);
    const TFloatImage* held = model.Phase.get();
    // The tool's default start (128, 128) lies outside this 30 x 20 map.
    EXPECT_EQ(ErrorText([&] { model.Unwrap(options); }),
              "the starting point (128,128) is outside the 30 x 20 phase map");
    EXPECT_EQ(model.Phase.get(), held);
    EXPECT_FALSE(model.InvalidArea);

    options.StartX = options.StartY = 0;
    options.UseInvalidAreaFile = true;
    options.InvalidAreaFile = dir.File("other.bmp");
    EXPECT_EQ(ErrorText([&] { model.MaskNoise(options); }),
              dir.File("other.bmp") + ": the invalid area is 20 x 30, the phase map 30 x 20");
    EXPECT_EQ(model.Phase.get(), held);
    model.OpenInvalidArea(dir.File("other.bmp"));
    options.UseInvalidAreaFile = false;
    EXPECT_EQ(ErrorText([&] { model.Unwrap(options); }),
              "the invalid area is 20 x 30, the phase map 30 x 20");
    EXPECT_EQ(model.Phase.get(), held);
}

TEST(ScanLineUnwrap, CleanMapsUnwrapExactlyAndTheCopyKeepsTheHeader) {
    const WrappedPhaseMap truth = MakeWrappedPhaseMap(91, 57);
    auto input = MapOf(91, 57, truth.Wrapped);
    input->ScaleX = 0.5f;
    input->ValueScale = 2.0f;
    input->Reserved[9] = 7;
    const std::vector<float> before = Values(*input);
    for (const auto& [sx, sy] : {std::pair{0, 0}, std::pair{90, 56}, std::pair{40, 3}}) {
        const auto output = ScanLineUnwrap(*input, sx, sy, 0.5f);
        for (std::size_t i = 0; i < truth.Truth.size(); ++i)
            ASSERT_LT(Deviation(*output, truth, i), 1e-4) << sx << "," << sy << " pixel " << i;
        EXPECT_EQ(std::tuple(output->ScaleX, output->ValueScale, output->Reserved[9]),
                  std::tuple(0.5f, 2.0f, 7));
    }
    EXPECT_EQ(Values(*input), before);
}

TEST(ScanLineUnwrap, NoJumpsLeaveTheMapAndThreePointOneIsNoJumpButThreePointTwoIs) {
    auto smooth = MakeFloatMap(7, 5, [](int x, int y) { return 0.3 * x - 0.2 * y; });
    EXPECT_EQ(Values(*ScanLineUnwrap(*smooth, 3, 2, 0.5f)), Values(*smooth));

    auto row = MakeFloatMap(3, 1, [](int x, int) { return x == 0 ? 0.0 : (x == 1 ? -3.1 : 0.1); });
    const auto out = ScanLineUnwrap(*row, 0, 0, 0.5f);
    EXPECT_FLOAT_EQ(out->Data[1], -3.1f);             // 3.1 < pi: kept
    EXPECT_FLOAT_EQ(out->Data[2], 0.1f - 6.2831853f); // 3.2 >= pi: one 2 pi down
}

TEST(SimpleUnwrapModel, MediansHaveTheirOwnWindowsAndUnwrapRestartsFromTheInput) {
    TempDir dir;
    const WrappedPhaseMap noisy = MakeWrappedPhaseMap(40, 30, 0.3, 5);
    MapOf(40, 30, noisy.Wrapped)->SaveFlt(dir.File("phase.flt"));

    SimpleUnwrapModel model;
    EXPECT_FALSE(model.MedianInput(3));
    EXPECT_FALSE(model.MedianOutput(3));
    EXPECT_EQ(ErrorText([&] { model.Unwrap(0.5f, 0, 0); }), "open a phase first");

    model.OpenPhase(dir.File("phase.flt"));
    EXPECT_EQ(Values(*model.Output), std::vector<float>(40 * 30, 0.0f));
    ASSERT_TRUE(model.MedianInput(3));
    model.Unwrap(0.5f, 20, 15);
    // The output starts from the filtered input: the same as unwrapping a 3 x 3 median copy.
    auto filtered = MapOf(40, 30, noisy.Wrapped);
    filtered->MedianFilter(3, 3);
    auto expected = ScanLineUnwrap(*filtered, 20, 15, 0.5f);
    EXPECT_EQ(Values(*model.Output), Values(*expected));

    // Median Output with 5 x 5 changes only the output, with its own window.
    const std::vector<float> inputBefore = Values(*model.Input);
    ASSERT_TRUE(model.MedianOutput(5));
    expected->MedianFilter(5, 5);
    EXPECT_EQ(Values(*model.Output), Values(*expected));
    EXPECT_EQ(Values(*model.Input), inputBefore);

    // A start outside the map is refused and the output stays.
    EXPECT_EQ(ErrorText([&] { model.Unwrap(0.5f, 40, 0); }),
              "the starting point (40,0) is outside the 40 x 30 phase map");
    EXPECT_EQ(Values(*model.Output), Values(*expected));
}

// A steep non-square ramp with strong noise, on which region growing fails, keeps its start value
// to the bit; around a residue pair only the pixels between the residues and a cut joining them
// may be off.
TEST(QualityGuidedUnwrap, NoisyRampAndResiduePair) {
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0.0, 0.6);
    std::vector<double> n(96 * 64);
    for (double& v : n)
        v = noise(rng);
    const Phase ramp = [&](int x, int y) {
        return 0.9 * x - 0.55 * y + n[static_cast<std::size_t>(y * 96 + x)];
    };
    auto map = Wrapped(96, 64, ramp), grown = Wrapped(96, 64, ramp);
    const float start = map->GetPixel(70, 20);
    QualityGuidedUnwrap(*map, TGrayImage(nullptr, 96, 64), 70, 20);
    RegionGrowingUnwrap(*grown, TGrayImage(nullptr, 96, 64), 70, 20, 0.5f);
    EXPECT_EQ(map->GetPixel(70, 20), start);
    EXPECT_LT(Wrong(*map, ramp, 70, 20, kEverywhere), 30);
    EXPECT_GT(Wrong(*grown, ramp, 70, 20, kEverywhere), 300);

    const Phase pair = [](int x, int y) {
        return std::atan2(y - 24.5, x - 20.5) - std::atan2(y - 24.5, x - 47.5) + 0.35 * x - 0.2 * y;
    };
    auto residues = Wrapped(72, 50, pair);
    QualityGuidedUnwrap(*residues, TGrayImage(nullptr, 72, 50), 5, 5);
    EXPECT_EQ(Wrong(*residues, pair, 5, 5, [](int x, int y) { return x < 18 || x > 50 || y < 14 || y > 35; }),
              0);
}

// A band of invalid columns cuts the map in two, each unwrapped on its own: the start's side keeps
// the start's value, the far side its first pixel's. Invalid pixels and a not-a-number pixel keep
// their values and have reliability 0; values at the ends of the float range (whose differences
// overflow) are borne too. Neither disturbs the other rows.
TEST(QualityGuidedUnwrap, SeparateRegionsAreEachUnwrappedAndInvalidPixelsKeepTheirValues) {
    const Phase phase = [](int x, int y) { return 0.45 * x + 0.3 * y - 0.004 * x * y; };
    auto map = Wrapped(70, 40, phase), wrapped = Wrapped(70, 40, phase);
    map->SetPixel(50, 20, std::numeric_limits<float>::quiet_NaN());
    map->SetPixel(60, 5, 3e38f);
    map->SetPixel(61, 5, -3e38f);
    const auto band = MakeGreyPicture(70, 40, [](int x, int) { return x >= 30 && x <= 33 ? 255 : 0; });
    std::unique_ptr<TFloatImage> quality;
    QualityGuidedUnwrap(*map, *band, 10, 35, &quality);
    EXPECT_EQ(Wrong(*map, phase, 10, 35, [](int x, int) { return x < 30; }), 0);
    EXPECT_EQ(map->GetPixel(34, 0), wrapped->GetPixel(34, 0));
    EXPECT_EQ(Wrong(*map, phase, 34, 0, [](int x, int y) { return x > 33 && y != 20 && y != 5; }), 0);
    EXPECT_TRUE(std::isnan(map->GetPixel(50, 20)));
    EXPECT_EQ(quality->GetPixel(50, 20), 0.0f);
    for (int y = 0; y < 40; ++y) {
        EXPECT_EQ(map->GetPixel(31, y), wrapped->GetPixel(31, y));
        EXPECT_EQ(quality->GetPixel(31, y), 0.0f);
        EXPECT_GT(quality->GetPixel(29, y), 0.0f);
    }
}

// On clean maps the method gives region growing's map: a non-square bowl from an off-centre start,
// with and without a hole of invalid pixels, and a single row ending at the start.
TEST(QualityGuidedUnwrap, AgreesWithRegionGrowingOnCleanMaps) {
    for (const auto& [w, h, sx, sy, hole] :
         {std::tuple{64, 48, 20, 30, false}, {64, 48, 50, 3, true}, {90, 1, 89, 0, false}}) {
        const WrappedPhaseMap truth = MakeWrappedPhaseMap(w, h);
        auto quality = MapOf(w, h, truth.Wrapped);
        auto grown = CopyFloatImage(*quality);
        const auto areas = MakeGreyPicture(
            w, h, [&](int x, int y) { return hole && x >= 10 && x <= 20 && y >= 5 && y <= 12 ? 255 : 0; });
        QualityGuidedUnwrap(*quality, *areas, sx, sy);
        RegionGrowingUnwrap(*grown, *areas, sx, sy, 0.5f);
        for (std::size_t i = 0; i < grown->PixelCount(); ++i)
            ASSERT_NEAR(quality->Data[i], grown->Data[i], 1e-4) << w << "x" << h << " pixel " << i;
    }
}

// Method 0 subtracts Source 2, read over its top-left part when larger, and keeps Source 1's
// three scales; a Source 2 smaller either way is refused.
TEST(PhaseCalculation, ALargerSourceTwoIsReadOverItsTopLeftPartAndASmallerOneIsRefused) {
    auto s1 = Scaled(MakeFloatMap(5, 3, [](int x, int y) { return 100.0f + x + 10 * y; }));
    auto s2 = MakeFloatMap(8, 6, [](int x, int y) { return float(x * x + y); });
    const PhaseCalculationResult r = CalculatePhase(*s1, *s2, {});
    ASSERT_EQ(std::pair(r.Result->Width, r.Result->Height), std::pair(5, 3));
    EXPECT_EQ(std::pair(r.Result->GetPixel(4, 2), r.Result->GetPixel(1, 1)), std::pair(106.0f, 109.0f));
    EXPECT_EQ(std::tuple(r.Result->ScaleX, r.Result->ScaleY, r.Result->ValueScale, r.Fitted),
              std::tuple(0.25f, 0.5f, 3.0f, false));
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s2, *s1, {}); }), kSource2TooSmallMessage);
    auto narrow = MakeFloatMap(4, 9, [](int, int) { return 0.0f; });
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s1, *narrow, {}); }), kSource2TooSmallMessage);
}

TEST(PhaseCalculation, LinearFitRecoversAnExactPlaneAndSubtractsIt) {
    auto s2 = MakeFloatMap(60, 45, [](int x, int y) { return 0.5f * x - 0.25f * y; });
    auto s1 = Scaled(MakeFloatMap(23, 19, [](int x, int y) { return 0.5f * x - 0.25f * y + 2.0f; }));
    const PhaseCalculationOptions fit{.Method = PhaseCalculationMethod::LinearFitOfSource2,
                                      .Fit = {.Left = 3, .Top = 5, .Right = 51, .Bottom = 40}};
    const PhaseCalculationResult r = CalculatePhase(*s1, *s2, fit);
    EXPECT_TRUE(r.Fitted);
    EXPECT_NEAR(r.A, 0.5f, 1e-5);
    EXPECT_NEAR(r.B, -0.25f, 1e-5);
    EXPECT_NEAR(r.Result->GetPixel(22, 18), 2.0f, 1e-4);
    EXPECT_NEAR(r.Result->GetPixel(0, 0), 2.0f, 1e-4);
    EXPECT_EQ(r.Result->ScaleY, 0.5f);
    EXPECT_EQ(FitCoefficientLabel("A", r.A).substr(0, 10), "A=    0.49");
    EXPECT_EQ(FitCoefficientLabel("B", -0.25f), "B=   -0.250000000000000");
}

TEST(PhaseCalculation, AnEmptyFitRectangleGivesNoPlaneAndOneOutsideSourceTwoIsRefused) {
    auto s1 = MakeFloatMap(6, 4, [](int x, int y) { return float(x - 2 * y); });
    auto s2 = MakeFloatMap(8, 5, [](int x, int) { return float(x); });
    PhaseCalculationOptions options{.Method = PhaseCalculationMethod::LinearFitOfSource2,
                                    .Fit = {.Left = 3, .Top = 0, .Right = 3, .Bottom = 5}};
    PhaseCalculationResult r = CalculatePhase(*s1, *s2, options);
    EXPECT_EQ(std::pair(r.A, r.B), std::pair(0.0f, 0.0f));
    EXPECT_EQ(r.Result->GetPixel(5, 3), 5.0f - 6.0f);

    // The whole of Source 2 (the rectangle the browse button sets) is inside; one more column is not.
    options.Fit = {.Left = 0, .Top = 0, .Right = 8, .Bottom = 5};
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s1, *s2, options); }), "no error");
    options.Fit.Right = 9;
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s1, *s2, options); }), "(8,0) not in the image");
    options.Fit = {.Left = 0, .Top = 0, .Right = 8, .Bottom = 6};
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s1, *s2, options); }), "(0,5) not in the image");
    options.Fit = {.Left = -1, .Top = 2, .Right = 4, .Bottom = 3};
    EXPECT_EQ(ErrorText([&] { CalculatePhase(*s1, *s2, options); }), "(-1,2) not in the image");

    options.Method = PhaseCalculationMethod::None;
    r = CalculatePhase(*s1, *s2, options);
    EXPECT_EQ(r.Result->GetPixel(5, 3), 0.0f);
}

TEST(PhaseCalculation, OnlyMissingSourcesAreLoadedAndOnlyWhenBothFilesExist) {
    TempDir dir;
    MakeFloatMap(3, 2, [](int x, int) { return float(x); })->SaveFlt(dir.File("a.flt"));
    MakeFloatMap(4, 2, [](int x, int) { return float(-x); })->SaveFlt(dir.File("b.flt"));
    std::unique_ptr<TFloatImage> s1, s2 = MakeFloatMap(7, 7, [](int, int) { return 5.0f; });
    const std::string a = dir.File("a.flt");
    EXPECT_EQ(ErrorText([&] { LoadMissingPhaseCalculationSources(s1, s2, a, dir.File("Source2")); }),
              kSelectTwoSourcesMessage);
    EXPECT_FALSE(s1);
    LoadMissingPhaseCalculationSources(s1, s2, a, dir.File("b.flt"));
    ASSERT_TRUE(s1);
    EXPECT_EQ(std::pair(s1->Width, s2->Width), std::pair(3, 7)); // the loaded Source 2 stays
    EXPECT_EQ(ErrorText([&] { LoadPhaseCalculationSource(dir.File("Source1")); }), kSelectTwoSourcesMessage);
}

TEST(AbsolutePhase, PitchConversionScalesValuesAndAccumulatesInTheValueScale) {
    auto map = MakeFloatMap(3, 2, [](int x, int y) { return (x - 1 + 3 * y) * 2.0 * M_PI; });
    ConvertToDisplacement(*map, 6.28319f);
    EXPECT_NEAR(map->Data[2], 6.28319f, 2e-6);  // one fringe is one pitch
    EXPECT_NEAR(map->Data[0], -6.28319f, 2e-6); // the sign is kept
    const double factor = 6.28319 / (2.0 * M_PI);
    EXPECT_NEAR(map->ValueScale, factor, 1e-7);
    ConvertToDisplacement(*map, 1.0f); // the tool's default pitch divides by 2 pi
    EXPECT_NEAR(map->Data[5], 4.0 * factor, 1e-5);
    EXPECT_NEAR(map->ValueScale, factor / (2.0 * M_PI), 1e-7);
    // A pitch of 0 would wipe the map; it is refused and nothing changes.
    EXPECT_EQ(ErrorText([&] { ConvertToDisplacement(*map, 0.0f); }),
              "The grid's parameter P and its frequency can not be 0");
    EXPECT_NEAR(map->Data[5], 4.0 * factor, 1e-5);
    EXPECT_NEAR(map->ValueScale, factor / (2.0 * M_PI), 1e-7);
}

TEST(AbsolutePhase, ReciprocalEditsAndTheValueUnderTheMouse) {
    EXPECT_EQ(ReciprocalText(0.5), "     2.00000000");
    EXPECT_EQ(ReciprocalText(3.0), "     0.33333333");
    EXPECT_EQ(ReciprocalText(-8.0), "    -0.12500000");
    EXPECT_EQ(ErrorText([] { ReciprocalText(0.0); }),
              "The grid's parameter P and its frequency can not be 0");

    auto map = MakeFloatMap(3, 2, [](int x, int y) { return x == 2 && y == 1 ? -1.25 : 123.456789; });
    EXPECT_EQ(PixelValueText(*map, 2, 1), std::optional<std::string>(" -1.2500000"));
    EXPECT_EQ(PixelValueText(*map, 0, 0), std::optional<std::string>("123.4567871")); // the float's digits
    EXPECT_EQ(PixelValueText(*map, 3, 1), std::nullopt);
    EXPECT_EQ(PixelValueText(*map, 0, -1), std::nullopt);
}

TEST(AbsolutePhase, TableUsesTheMapsScalesAndTheMaskOnlyWhenChecked) {
    TempDir dir;
    auto map = MakeFloatMap(5, 4, [](int x, int y) { return x + 10.0 * y; });
    map->ScaleX = 0.5f;
    map->ScaleY = 2.0f;
    // A mask file named by the edit but not checked is not used.
    MakeGreyPicture(5, 4, [](int x, int y) {
        return x == 4 && y == 3 ? 255 : 0;
    })->SaveBmp(dir.File("mask.bmp"));
    DisplacementTableOptions options;
    options.MaskFile = dir.File("mask.bmp");
    SaveDisplacementTable(*map, dir.File("all.dat"), options);
    const std::string all = ReadFileBytes(dir.File("all.dat"));
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 20);
    EXPECT_EQ(all.substr(all.size() - 52), "      2.00000000       6.00000000      34.00000000 \n");

    options.UseMask = true;
    SaveDisplacementTable(*map, dir.File("masked.dat"), options);
    EXPECT_EQ(ReadFileBytes(dir.File("masked.dat")), "      2.00000000       6.00000000      34.00000000 \n");
}

TEST(PseudoColor, FringeOrdersBlendAcrossEachFringeAndOutOfRangeOrdersAreTeal) {
    EXPECT_EQ(Rgb(PseudoColorOf(0.0f)), std::tuple(255, 255, 255));    // order 0, pure white
    EXPECT_EQ(Rgb(PseudoColorOf(kPif)), std::tuple(255, 127, 127));    // half white, half red
    EXPECT_EQ(Rgb(PseudoColorOf(-0.1f)), std::tuple(252, 252, 250));   // mostly white, a little olive
    EXPECT_EQ(Rgb(PseudoColorOf(2 * kPif)), std::tuple(255, 0, 0));    // exactly order 1
    EXPECT_EQ(Rgb(PseudoColorOf(-2 * kPif)), std::tuple(128, 128, 0)); // exactly order -1
    EXPECT_TRUE(
        Near(Rgb(PseudoColorOf(15 * kPif)), std::tuple(96, 160, 160))); // silver and teal, equal parts
    EXPECT_EQ(Rgb(PseudoColorOf(-13 * kPif)), std::tuple(64, 64, 64));  // orders -7 (grey) and -6 (black)
    for (float v : {16 * kPif, 17.3f * kPif, -16 * kPif, 1.0e7f, std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(Rgb(PseudoColorOf(v)), std::tuple(0, 128, 128)) << v;
}

TEST(PseudoColor, RenderUsesTheValueScaleAndTheMaskAndIgnoresAMaskOfAnotherSize) {
    // A ramp over four fringes, value scale 2 (displayed values halved), last column masked.
    auto map = MakeFloatMap(9, 4, [](int x, int y) { return 2.0f * (x - 4) * kPif / 2 + y * 0.3f; });
    map->ValueScale = 2.0f;
    const auto mask = MakeGreyPicture(9, 4, [](int x, int y) { return x == 8 ? 255 : (y == 3 ? 254 : 0); });
    const RgbPicture picture = RenderPseudoColor(*map, mask.get());
    ASSERT_EQ(std::tuple(picture.Width, picture.Height, picture.Pixels.size()), std::tuple(9, 4, 9u * 4 * 3));
    EXPECT_EQ(Rgb(picture, 4, 0), std::tuple(255, 255, 255));
    EXPECT_EQ(Rgb(picture, 6, 0), Rgb(PseudoColorOf(map->GetPixel(6, 0) / 2.0f)));
    EXPECT_EQ(Rgb(picture, 7, 3),
              Rgb(PseudoColorOf(map->GetPixel(7, 3) / 2.0f))); // level 254 is not background
    EXPECT_EQ(Rgb(picture, 8, 3), std::tuple(0, 128, 128));
    const auto otherSize = MakeGreyPicture(9, 5, [](int, int) { return 255; });
    EXPECT_EQ(RenderPseudoColor(*map, otherSize.get()).Pixels, RenderPseudoColor(*map, nullptr).Pixels);
}

TEST(PseudoColor, DoublingMakesTwoPiShowOrderTwoAndTheFringeLevelReadsIt) {
    auto map = MakeFloatMap(5, 3, [](int x, int y) { return x == 4 && y == 2 ? 2 * kPif : -kPif; });
    EXPECT_EQ(PseudoColorFringeLevel(*map, nullptr, 4, 2), "1.0");
    DoublePseudoColorFringes(*map);
    EXPECT_EQ(map->ValueScale, 0.5f);
    EXPECT_TRUE(Near(Rgb(RenderPseudoColor(*map, nullptr), 4, 2), std::tuple(255, 255, 0)));
    EXPECT_EQ(PseudoColorFringeLevel(*map, nullptr, 4, 2), "2.0");
    EXPECT_EQ(PseudoColorFringeLevel(*map, nullptr, 40, 20), "2.0"); // limited to the last column and row
    EXPECT_EQ(PseudoColorFringeLevel(*map, nullptr, 0, 0), "-1.0");
    HalvePseudoColorFringes(*map);
    EXPECT_EQ(PseudoColorFringeLevel(*map, nullptr, 1, 1), "-0.5");
    const auto mask = MakeGreyPicture(5, 3, [](int x, int) { return x == 1 ? 255 : 0; });
    EXPECT_EQ(PseudoColorFringeLevel(*map, mask.get(), 1, 1), "Background");
    EXPECT_EQ(PseudoColorFringeLevel(*map, mask.get(), 2, 1), "-0.5");
}
