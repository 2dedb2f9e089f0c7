// Step pictures larger than Step 2's are read over Step 2's extent, each with its own row width.
#include "image/TFloatImage.h"
#include "phase/PhaseShift.h"
#include "support/GreyPictures.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace corvane {
namespace {

// Levels that change along rows and between rows: a row read with another picture's width differs.
std::unique_ptr<TGrayImage> Step(int k, int w, int h) {
    return test::MakeGreyPicture(w, h, [k](int x, int y) { return (37 * x + 11 * y + 53 * k) % 256; });
}

TEST(PhaseShiftLargerSteps, ReadOverStepTwosExtentAsItsTopLeftPart) {
    const std::pair<PhaseShiftMethod, std::vector<std::pair<int, int>>> cases[] = {
        {PhaseShiftMethod::Const3Step, {{11, 5}, {7, 5}, {7, 9}}},
        {PhaseShiftMethod::Const4Step, {{7, 5}, {7, 5}, {10, 8}, {8, 5}}},
        {PhaseShiftMethod::Equal4Step, {{9, 6}, {7, 5}, {7, 5}, {12, 5}}},
    };
    for (const auto& [method, sizes] : cases) {
        std::vector<std::unique_ptr<TGrayImage>> keep;
        std::vector<const TGrayImage*> large, cropped;
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            large.push_back(keep.emplace_back(Step(int(k), sizes[k].first, sizes[k].second)).get());
            cropped.push_back(keep.emplace_back(Step(int(k), 7, 5)).get());
        }
        const PhaseShiftResult got = ComputePhaseShift(method, large),
                               want = ComputePhaseShift(method, cropped);
        ASSERT_EQ(std::pair(got.PhaseMap->Width, got.PhaseMap->Height), std::pair(7, 5));
        for (int i = 0; i < 7 * 5; ++i) {
            EXPECT_EQ(got.Numerator->Data[i], want.Numerator->Data[i]) << i;
            EXPECT_EQ(got.Denominator->Data[i], want.Denominator->Data[i]) << i;
        }
    }
}

} // namespace
} // namespace corvane
