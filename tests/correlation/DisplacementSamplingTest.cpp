#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "correlation/DisplacementSampling.h"
#include "correlation/ImageScale.h"
#include "image/TFloatImage.h"
#include "support/ErrorText.h"
#include "support/FloatMaps.h"
#include "support/GreyPictures.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

using namespace test;

std::string Record(double a, double b, double c, double d) {
    char text[128];
    std::snprintf(text, sizeof text, " %10.5f   %10.5f  %10.5f  %10.5f", a, b, c, d);
    return text;
}

struct Fields {
    std::unique_ptr<TFloatImage> u, v;
};

/// U = x + 0.5 y and V = 2 x - y on 100 x 80, with the not-computed marker in U at (3, 0) and in
/// V at (0, 5).
Fields MakeFields() {
    return {MakeFloatMap(100, 80, [](int x, int y) { return x == 3 && y == 0 ? 1000.0 : x + 0.5 * y; }),
            MakeFloatMap(100, 80, [](int x, int y) { return x == 0 && y == 5 ? 1000.0 : 2.0 * x - y; })};
}

TEST(DisplacementSampling, DefaultPointListHoldsEveryPointInRowOrder) {
    const Fields f = MakeFields();
    const std::vector<std::string> lines = Lines(SampleDisplacements(f.u.get(), f.v.get(), {}));
    ASSERT_EQ(lines.size(), 8001u);
    EXPECT_EQ(lines[0], "  x     y    dx      dy  ");
    EXPECT_EQ(lines[1 + 1], Record(1, 0, 1, 2));
    EXPECT_EQ(lines[1 + 3], Record(3, 0, 1000, 6)); // the marker is a value without the test
    EXPECT_EQ(lines[1 + 100 * 79 + 99], Record(99, 79, 138.5, 119));
    EXPECT_EQ(lines[1 + 100 * 1], Record(0, 1, 0.5, -1));
}

TEST(DisplacementSampling, InvalidValueIsLeftOutOfListsAndZeroInMatrices) {
    const Fields f = MakeFields();
    SampleOptions o;
    o.UseInvalidValue = true;
    o.UseRange = true;
    o.Range = {0, 0, 3, 5};
    for (const auto type : {SampleResultType::XYDxDy, SampleResultType::XYThetaR, SampleResultType::XYDx,
                            SampleResultType::XYDy}) {
        o.Type = type;
        EXPECT_EQ(Lines(SampleDisplacements(f.u.get(), f.v.get(), o)).size(), 1u + 24 - 2);
    }
    o.Type = SampleResultType::MatrixU;
    o.Range = {2, 0, 4, 1};
    EXPECT_EQ(SampleDisplacements(f.u.get(), f.v.get(), o),
              "\n   2.00000     0.00000     4.00000  \n   2.50000     3.50000     4.50000  ");
    o.Type = SampleResultType::MatrixV;
    o.Range = {0, 4, 1, 5};
    EXPECT_EQ(SampleDisplacements(f.u.get(), f.v.get(), o),
              "\n  -4.00000    -2.00000  \n   0.00000    -3.00000  ");
}

TEST(DisplacementSampling, GridRangeScalesAndTheYAxisUp) {
    const Fields f = MakeFields();
    SampleOptions o;
    o.GridX = o.GridY = 5;
    o.UseRange = true;
    o.Range = {0, 0, 20, 20};
    std::vector<std::string> lines = Lines(SampleDisplacements(f.u.get(), f.v.get(), o));
    ASSERT_EQ(lines.size(), 1u + 25);
    EXPECT_EQ(lines[1 + 5 * 1 + 4], Record(20, 5, 22.5, 35)); // rows y = 0, 5, ..., x = 0, 5, ..., 20
    EXPECT_EQ(lines[25], Record(20, 20, 30, 20));

    // Range edits beyond the field are clipped to it; the y axis up turns Y and v.
    o.GridX = 33;
    o.GridY = 40;
    o.Range = {-7, -3, 500, 900};
    o.ChangeYaxis = true;
    o.ScaleX = 0.5;
    o.ScaleY = 2.0;
    lines = Lines(SampleDisplacements(f.u.get(), f.v.get(), o));
    ASSERT_EQ(lines.size(), 1u + 2 * 4);
    EXPECT_EQ(lines[1], Record(0, 160, 0, -0.0));
    EXPECT_EQ(lines[8], Record(49.5, 80, 119, -158)); // x = 99, y = 40
    o.ScaleDisplacement = true;
    o.Type = SampleResultType::XYDy;
    EXPECT_EQ(Lines(SampleDisplacements(f.u.get(), f.v.get(), o))[8],
              "   49.50000     80.00000  -316.00000 ");
    o.Type = SampleResultType::XYDx;
    EXPECT_EQ(Lines(SampleDisplacements(f.u.get(), f.v.get(), o))[8],
              "   49.50000     80.00000    59.50000 ");
    // A matrix walks the same grid: rows y = 0 and 40, columns x = 0, 33, 66 and 99 of U.
    o = SampleOptions{};
    o.Type = SampleResultType::MatrixU;
    o.GridX = 33;
    o.GridY = 40;
    EXPECT_EQ(SampleDisplacements(f.u.get(), f.v.get(), o),
              "\n   0.00000    33.00000    66.00000    99.00000  \n  20.00000    53.00000    86.00000   "
              "119.00000  ");
}

TEST(DisplacementSampling, ThetaAndRFollowTheCorrelationsAngleRule) {
    const auto u = MakeFloatMap(5, 1, [](int x, int) { return std::vector<double>{-1, 0, 0, 3, 2}[x]; });
    const auto v = MakeFloatMap(5, 1, [](int x, int) { return std::vector<double>{0, 2, -2, 4, 0}[x]; });
    SampleOptions o;
    o.Type = SampleResultType::XYThetaR;
    const double pi = 3.14159265358979323846;
    std::vector<std::string> lines = Lines(SampleDisplacements(u.get(), v.get(), o));
    EXPECT_EQ(lines, (std::vector<std::string>{"  x     y    theta    r", Record(0, 0, pi, 1),
                                               Record(1, 0, pi / 2, 2), Record(2, 0, -pi / 2, 2),
                                               Record(3, 0, std::atan2(4.0, 3.0), 5), Record(4, 0, 0, 2)}));
    o.ChangeYaxis = true;
    lines = Lines(SampleDisplacements(u.get(), v.get(), o));
    EXPECT_EQ(lines[1], Record(0, 1, -pi, 1));
    EXPECT_EQ(lines[4], Record(3, 1, -std::atan2(4.0, 3.0), 5));
}

TEST(DisplacementSampling, MatrixScalesOnlyWhereNeitherIsZeroAndTurnsBothWithTheYAxis) {
    const auto u = MakeFloatMap(3, 2, [](int x, int y) { return x + y; });
    const auto v = MakeFloatMap(3, 2, [](int x, int) { return x == 1 ? 0.0 : 1.0 + x; });
    SampleOptions o;
    o.Type = SampleResultType::MatrixU;
    o.ScaleDisplacement = true;
    o.ScaleX = 10.0;
    o.ScaleY = 3.0;
    EXPECT_EQ(SampleDisplacements(u.get(), v.get(), o),
              "\n   0.00000     1.00000    20.00000  \n  10.00000     2.00000    30.00000  ");
    o.Type = SampleResultType::MatrixV;
    o.ChangeYaxis = true;
    EXPECT_EQ(SampleDisplacements(u.get(), v.get(), o),
              "\n  -1.00000    -0.00000    -9.00000  \n  -3.00000    -0.00000    -9.00000  ");
}

TEST(DisplacementSampling, MaskKeepsOnlyLevel255AndMustFitTheField) {
    TempDir dir;
    const auto u = MakeFloatMap(4, 3, [](int x, int) { return x; });
    const auto v = MakeFloatMap(4, 3, [](int, int y) { return y; });
    MakeGreyPicture(4, 3, [](int x, int y) {
        return x == 3 && y == 2 ? 255 : (x == 1 ? 255 : 254);
    })->SaveBmp(dir.File("mask.bmp"));
    SampleOptions o;
    o.MaskFile = dir.File("mask.bmp");
    const std::vector<std::string> lines = Lines(SampleDisplacements(u.get(), v.get(), o));
    ASSERT_EQ(lines.size(), 1u + 4);
    EXPECT_EQ(lines[4], Record(3, 2, 3, 2));
    o.Type = SampleResultType::MatrixU;
    EXPECT_EQ(SampleDisplacements(u.get(), v.get(), o), "\n   0.00000     1.00000     0.00000     0.00000  "
                                                        "\n   0.00000     1.00000     0.00000     0.00000  "
                                                        "\n   0.00000     1.00000     0.00000     3.00000  ");
    // A mask file that does not exist turns the mask off.
    o.Type = SampleResultType::XYDx;
    o.MaskFile = dir.File("absent.bmp");
    EXPECT_EQ(Lines(SampleDisplacements(u.get(), v.get(), o)).size(), 1u + 12);

    MakeGreyPicture(3, 4, [](int, int) { return 255; })->SaveBmp(dir.File("turned.bmp"));
    o.MaskFile = dir.File("turned.bmp");
    EXPECT_EQ(ErrorText([&] { SampleDisplacements(u.get(), v.get(), o); }),
              "The mask picture " + dir.File("turned.bmp") + " is 3 x 4 pixels, not the field's 4 x 3");
}

TEST(DisplacementSampling, MissingOrMismatchedFieldsWriteNothing) {
    TempDir dir;
    const auto u = MakeFloatMap(4, 3, [](int x, int) { return x; });
    const auto v = MakeFloatMap(4, 2, [](int, int y) { return y; });
    const std::string name = dir.File("table.dat");
    WriteFileBytes(name, "old");
    EXPECT_EQ(ErrorText([&] { SaveDisplacementSamples(name, u.get(), nullptr, {}); }),
              "You should give two Binary Float File at the Input Page");
    EXPECT_EQ(ErrorText([&] { SaveDisplacementSamples(name, u.get(), v.get(), {}); }),
              "The U field is 4 x 3 points and the V field 4 x 2: both must have the same size");
    EXPECT_EQ(ReadFileBytes(name), "old");
    SaveDisplacementSamples(name, u.get(), u.get(), {});
    EXPECT_EQ(Lines(ReadFileBytes(name)).size(), 13u);
}

TEST(DisplacementSampling, ModifyRewritesTheHeaderScalesOfTheFile) {
    TempDir dir;
    MakeFloatMap(3, 2, [](int x, int y) { return x - y; })->SaveFlt(dir.File("u.flt"));
    TFloatImage u(dir.File("u.flt"));
    RewriteHeaderScales(u, 0.5f, 0.25f, 2.0f);
    const TFloatImage back(dir.File("u.flt"));
    EXPECT_EQ(back.ScaleX, 0.5f);
    EXPECT_EQ(back.ScaleY, 0.25f);
    EXPECT_EQ(back.ValueScale, 2.0f);
    EXPECT_EQ(back.GetPixel(2, 1), 1.0f);
}

TEST(ImageScale, MeasuredLengthGivesTheScaleAsShownAndZeroPixelsAreRefused) {
    EXPECT_EQ(MeasuredPixels(310, 60), 250);
    EXPECT_EQ(MeasuredPixels(60, 310), 250);
    const ImageScale scale = ComputeImageScale(
        {.ImageLengthX = 250.0f, .ImageLengthY = 3.0f, .ActualLengthX = 5.0f, .ActualLengthY = 1.0f});
    EXPECT_EQ(scale.ScaleX, 0.02);
    EXPECT_EQ(ScaleText(scale.ScaleX), "0.02");
    // 1/3 in single precision, as the user reads it.
    EXPECT_EQ(ScaleText(scale.ScaleY), "0.33333334");
    EXPECT_EQ(ScaleText(0.5), "0.5");
    EXPECT_EQ(ErrorText([] { ComputeImageScale({.ImageLengthX = 250.0f, .ImageLengthY = 0.0f}); }),
              "The length in the image must not be 0 pixels");
}

} // namespace
} // namespace corvane
