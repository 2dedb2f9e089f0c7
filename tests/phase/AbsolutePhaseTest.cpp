#include "phase/AbsolutePhase.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace corvane;
using namespace corvane::test;

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

TEST(AbsolutePhase, FringeOrderAndKnownValueShiftTheWholeMap) {
    // N = 2 at a pixel holding 0.3 rad adds 4 pi everywhere.
    auto map = MakeFloatMap(4, 3, [](int x, int y) { return x == 3 && y == 2 ? 0.3 : 0.1 * x - y; });
    map->SetFringeOrder(3, 2, 2);
    EXPECT_NEAR(map->Data[11], 0.3 + 4.0 * M_PI, 1e-5);
    EXPECT_NEAR(map->Data[4], -1.0 + 4.0 * M_PI, 1e-5);
    // A known displacement of 0 at (1, 2) makes it exactly 0 and keeps every difference.
    const float difference = map->Data[0] - map->Data[9];
    map->ShiftToValue(1, 2, 0.0f);
    EXPECT_EQ(map->Data[9], 0.0f);
    EXPECT_NEAR(map->Data[0] - map->Data[9], difference, 1e-5);
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
