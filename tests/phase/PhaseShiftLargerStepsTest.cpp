// Step pictures larger than Step 2's are read over Step 2's extent, each with its own row width.
#include "image/TFloatImage.h"
#include "phase/PhaseShift.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace corvane {
namespace {

// Levels that change along every row and between rows, so a row read with another picture's
// width gives other values.
int Level(int k, int x, int y) {
    return (37 * x + 11 * y + 53 * k) % 256;
}

TEST(PhaseShiftLargerSteps, ReadOverStepTwosExtentAsItsTopLeftPart) {
    struct Case {
        PhaseShiftMethod Method;
        std::vector<std::pair<int, int>> Sizes; // width, height of each step picture
    };
    const Case cases[] = {
        {PhaseShiftMethod::Const3Step, {{11, 5}, {7, 5}, {7, 9}}},
        {PhaseShiftMethod::Const4Step, {{7, 5}, {7, 5}, {10, 8}, {8, 5}}},
        {PhaseShiftMethod::Equal4Step, {{9, 6}, {7, 5}, {7, 5}, {12, 5}}},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<TGrayImage>> large, cropped;
        std::vector<const TGrayImage*> largePointers, croppedPointers;
        for (std::size_t k = 0; k < c.Sizes.size(); ++k) {
            const int kk = static_cast<int>(k);
            large.push_back(test::MakeGreyPicture(c.Sizes[k].first, c.Sizes[k].second,
                                                  [kk](int x, int y) { return Level(kk, x, y); }));
            cropped.push_back(test::MakeGreyPicture(7, 5, [kk](int x, int y) { return Level(kk, x, y); }));
            largePointers.push_back(large.back().get());
            croppedPointers.push_back(cropped.back().get());
        }
        const PhaseShiftResult got = ComputePhaseShift(c.Method, largePointers);
        const PhaseShiftResult want = ComputePhaseShift(c.Method, croppedPointers);
        ASSERT_EQ(got.PhaseMap->Width, 7);
        ASSERT_EQ(got.PhaseMap->Height, 5);
        for (int i = 0; i < 7 * 5; ++i) {
            EXPECT_EQ(got.Numerator->Data[i], want.Numerator->Data[i]) << i;
            EXPECT_EQ(got.Denominator->Data[i], want.Denominator->Data[i]) << i;
            EXPECT_EQ(got.PhaseMap->Data[i], want.PhaseMap->Data[i]) << i;
        }
    }
}

} // namespace
} // namespace corvane
