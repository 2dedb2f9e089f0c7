// Whole carrier-method runs on generated fringe pictures with a known smooth phase: the absolute
// phase must reproduce it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "phase/TCarrierMoire.h"
#include "support/CarrierFringes.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

constexpr double kTwoPi = 6.283185307179586;
// 300 x 200 pictures are transformed at 256 x 128; the carrier lies between bins along x and
// slightly off the axis in y.
constexpr int kWidth = 300, kHeight = 200;
constexpr double kCarrierX = 40.3 / 256.0, kCarrierY = 0.2 / 128.0;

// A bump well below the reference strip (rows 0..31), where it stays under 0.002 rad.
double Bump(int x, int y) {
    const double dx = x - 150.0, dy = y - 85.0;
    return 1.5 * std::exp(-(dx * dx + dy * dy) / (2.0 * 15.0 * 15.0));
}

// RMS difference between the map and the known phase over the interior (a 16-pixel border left
// out), after the whole number of turns that the unwrapping start leaves open is taken off.
double InteriorRms(const TFloatImage& map, double (*known)(int, int)) {
    const int border = 16;
    double mean = 0.0;
    int n = 0;
    for (int y = border; y < map.Height - border; ++y)
        for (int x = border; x < map.Width - border; ++x, ++n)
            mean += map.GetPixel(x, y) - known(x, y);
    const double turns = kTwoPi * std::round(mean / n / kTwoPi);
    double sum = 0.0;
    for (int y = border; y < map.Height - border; ++y)
        for (int x = border; x < map.Width - border; ++x) {
            const double d = map.GetPixel(x, y) - known(x, y) - turns;
            sum += d * d;
        }
    return std::sqrt(sum / n);
}

// Stages A to D0 with the defaults of the command-line verb.
const TFloatImage& RunStages(TCarrierMoire& moire, const TCarrierSource& source, TReferenceRemoval removal) {
    moire.RequireFiles(source);
    moire.Build(source);
    EXPECT_TRUE(moire.ComputeCarrier(*moire.DefaultSearch(source.Strip)));
    const TStartPoints starts = *moire.RemoveCarrier(*moire.LargestWindow(source.Strip));
    TUnwrapOptions unwrap;
    unwrap.Start = starts.Image;
    unwrap.RefStart = starts.Reference;
    unwrap.Removal = removal;
    EXPECT_TRUE(moire.Unwrap(unwrap));
    return *moire.Field()->Phase->Phase;
}

TEST(CarrierMoireRegression, OneImageRecoversTheKnownPhaseFromAnUndeformedStrip) {
    test::TempDir dir;
    test::SaveCarrierFringes(dir.File("moire.bmp"), kWidth, kHeight, kCarrierX, 0.0, Bump);
    TCarrierMoire moire(TCarrierMethod::OneImage);
    const TFloatImage& phase =
        RunStages(moire, {dir.File("moire.bmp"), "", TStripDirection::Rows, 40}, TReferenceRemoval::Plane);
    EXPECT_EQ(*moire.Carrier(), (TCarrierOffset{-40, 0}));
    ASSERT_EQ(std::pair(phase.Width, phase.Height), std::pair(256, 128));
    const double rms = InteriorRms(phase, Bump);
    std::printf("one image: interior RMS %.4f rad\n", rms);
    EXPECT_LT(rms, 0.1);
    // The strip's residual carrier, 0.3 bin along x, is the plane taken off.
    EXPECT_NEAR(moire.Plane()->A, kTwoPi * 0.3 / 256.0, 1e-3);
    EXPECT_NEAR(moire.Plane()->B, 0.0, 1e-3);
}

double TiltAndBump(int x, int y) {
    return 0.01 * (x - 128) - 0.006 * (y - 64) + Bump(x, y);
}

TEST(CarrierMoireRegression, TwoImagesRecoverTheKnownPhaseAndItsTiltEitherWay) {
    test::TempDir dir;
    test::SaveCarrierFringes(dir.File("deformed.bmp"), kWidth, kHeight, kCarrierX, kCarrierY, TiltAndBump);
    test::SaveCarrierFringes(dir.File("reference.bmp"), kWidth, kHeight, kCarrierX, kCarrierY,
                             [](int, int) { return 0.0; });
    const TCarrierSource source{dir.File("deformed.bmp"), dir.File("reference.bmp"), TStripDirection::Rows,
                                0};
    for (TReferenceRemoval removal : {TReferenceRemoval::PixelByPixel, TReferenceRemoval::Plane}) {
        TCarrierMoire moire(TCarrierMethod::TwoImages);
        const double rms = InteriorRms(RunStages(moire, source, removal), TiltAndBump);
        std::printf("two images (%s): interior RMS %.4f rad\n",
                    removal == TReferenceRemoval::Plane ? "plane" : "pixel by pixel", rms);
        EXPECT_LT(rms, 0.1);
        EXPECT_EQ(moire.Plane().has_value(), removal == TReferenceRemoval::Plane);
    }
}

} // namespace
} // namespace corvane
