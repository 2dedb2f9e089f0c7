// The encoding walk and its origins, picking and editing codes, code files and the match of two of them.
#include "dotgrid/CodeFile.h"
#include "dotgrid/DotGridEncode.h"
#include "dotgrid/MatchResultFile.h"
#include "dotgrid/NearestDotIndex.h"
#include "dotgrid/TCodeMatch.h"
#include "dotgrid/TCoordinateSystem.h"
#include "dotgrid/TDotGridEncoder.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "support/CommaDecimalLocale.h"
#include "support/DotGridPictures.h"
#include "support/ErrorText.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <regex>
#include <sstream>
#include <tuple>
#include <vector>

namespace corvane {
namespace {

using namespace test;

/// An encoder over a blank picture whose dot table is the given centres, numbered in their order
/// (every dot of area 50, the one at bigDot of area 60).
std::unique_ptr<TDotGridEncoder> EncoderOver(const std::vector<DotCentre>& centres, std::int32_t width,
                                             std::int32_t height, std::int32_t maxX = 50,
                                             std::int32_t maxY = 50, std::int32_t bigDot = -1) {
    TGrayImage blank(nullptr, width, height);
    auto encoder =
        std::make_unique<TDotGridEncoder>(blank, TDotGridEncoderOptions{.MaxX = maxX, .MaxY = maxY});
    encoder->PauseMs = 0;
    for (std::size_t k = 0; k < centres.size(); ++k)
        encoder->FDotInfo.push_back({.X = static_cast<float>(centres[k].X),
                                     .Y = static_cast<float>(centres[k].Y),
                                     .Area = static_cast<std::int32_t>(k) == bigDot ? 60 : 50});
    encoder->FDotSum = encoder->FDotIndex = static_cast<std::int32_t>(centres.size());
    encoder->FDotInfo.push_back({});
    return encoder;
}

/// Small deterministic offsets, so no two distances of the lattice are exactly equal.
DotCentre Jitter(double x, double y) {
    return {0.6 * std::sin(0.37 * x + 0.11 * y), 0.6 * std::cos(0.23 * x - 0.19 * y)};
}

/// Checks that dot (column c, row r) of a columns-wide lattice got its offset from the origin
/// dot (c0, r0), ny counted upwards.
void ExpectLatticeCodes(const TDotGridEncoder& encoder, std::int32_t columns, std::int32_t rows,
                        std::int32_t c0, std::int32_t r0) {
    for (std::int32_t k = 0; k < columns * rows; ++k) {
        const TDotInfo& dot = encoder.FDotInfo[static_cast<std::size_t>(k)];
        const std::int32_t nx = k % columns - c0, ny = r0 - k / columns;
        EXPECT_EQ(std::tuple(dot.Coded, dot.Neted, dot.Nx, dot.Ny, encoder.Coordinates->Get(nx, ny)),
                  std::tuple(true, true, nx, ny, k))
            << "dot " << k;
    }
}

// From the "Center Grid Dot" (the middle one) every dot gets its offset, ny counted upwards, and
// neighbours point both ways ("down" is the next row of the picture):
// - 9 x 7 jittered dots of pitch 21;
// - pitch 12 across, 24 down: the nearest dot is horizontal; f = 5/3 of 12 = 20 misses the row below
//   (24) by 4 < 0.45 * 12 = 5.4, f = 4/3 misses by 8;
// - 101 x 101 dots fill the default coordinate range, walked without deep calls; the corners get +-50.
TEST(DotGridEncoding, LatticesGetTheirOffsetsWithNyUpwardsFromTheCentreDot) {
    struct Lattice {
        double Pitch[2];
        std::int32_t Columns, Rows, Width, Height;
        bool Jittered;
        float Ratio;
    };
    for (const Lattice& l :
         {Lattice{{21, 21}, 9, 7, 240, 190, true, 1.0f}, Lattice{{12, 24}, 11, 7, 160, 190, false, 2.0f},
          Lattice{{9, 9}, 101, 101, 930, 930, false, 1.0f}}) {
        const auto centres = test::LatticeCentres(20, 20, l.Pitch[0], l.Pitch[1], l.Columns, l.Rows,
                                                  l.Jittered ? Jitter : nullptr);
        auto encoder = EncoderOver(centres, l.Width, l.Height);
        const std::int32_t c0 = l.Columns / 2, r0 = l.Rows / 2, origin = r0 * l.Columns + c0;
        ASSERT_EQ(encoder->FindOriginAuto(TOriginMethod::CenterGridDot), origin) << l.Columns;
        EXPECT_NEAR(encoder->Ratio, l.Ratio, l.Jittered ? 0.1f : 0.0f);
        const TDotInfo& o = encoder->FDotInfo[static_cast<std::size_t>(origin)];
        EXPECT_EQ((std::array{o.Neighbour[0], o.Neighbour[1], o.Neighbour[2], o.Neighbour[3]}),
                  (std::array{origin + 1, origin + l.Columns, origin - 1, origin - l.Columns}));
        encoder->EncodeAll(origin);
        ExpectLatticeCodes(*encoder, l.Columns, l.Rows, c0, r0);
        EXPECT_EQ(encoder->UncodedCount, 0);
        EXPECT_FALSE(encoder->MarkUncoded(nullptr));
    }
}

TEST(DotGridEncoding, OriginMethods) {
    // 7 dots: "Center Index Dot" is number 3, "Max Area" the larger dot 5, "Center Image Dot" the
    // one nearest to (width / 2, height / 2) = (50, 40) with integer halves of 101 x 81.
    const std::vector<DotCentre> centres = {{10, 10},       {30, 10}, {70, 10}, {90, 70},
                                            {49.6f, 40.2f}, {20, 60}, {80, 40}};
    auto encoder = EncoderOver(centres, 101, 81, 50, 50, 5);
    // "Center Grid Dot": the mean of the centroids (49.94, 32.89) is nearest to dot 4 again.
    const auto origins = [&] {
        return std::array{encoder->OriginByMethod(TOriginMethod::CenterIndexDot),
                          encoder->OriginByMethod(TOriginMethod::MaxArea),
                          encoder->OriginByMethod(TOriginMethod::CenterImageDot),
                          encoder->OriginByMethod(TOriginMethod::CenterGridDot)};
    };
    EXPECT_EQ(origins(), (std::array{3, 5, 4, 4}));
    for (TDotInfo& dot : encoder->FDotInfo)
        dot.Area = 0;
    EXPECT_EQ(encoder->OriginByMethod(TOriginMethod::MaxArea), -1);
}

TEST(DotGridEncoding, TiesGoToTheLowerNumberAndTheIndexAgreesWithTheLinearScan) {
    // Dots 1 and 2 at the same distance from (50, 50); dot 0 farther.
    auto encoder = EncoderOver({{40, 40}, {53, 54}, {47, 46}, {54, 53}}, 100, 100);
    EXPECT_EQ(encoder->NearestToPoint(50, 50), 1);
    encoder->IndexDots();
    encoder->TolX = encoder->TolY = 5.0f;
    EXPECT_EQ(encoder->NearestInBox(50, 50), 1); // 1, 2 and 3 all lie 5 away
    EXPECT_EQ(encoder->NearestOther(3), 1);
    // Box edges are inclusive: dot 0 lies exactly 10 from (50, 40) in x.
    encoder->TolX = 10.0f, encoder->TolY = 0.0f;
    EXPECT_EQ(encoder->NearestInBox(50, 40), 0);
    encoder->TolX = 9.99f;
    EXPECT_EQ(encoder->NearestInBox(50, 40), -1);

    // Random dots on a coarse raster (many equal distances) against the plain scan.
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> coordinate(0, 60);
    std::vector<TDotInfo> dots(800);
    for (TDotInfo& d : dots)
        d.X = float(coordinate(rng)) * 0.5f, d.Y = float(coordinate(rng)) * 0.75f;
    TNearestDotIndex index;
    index.Build(dots.data(), static_cast<std::int32_t>(dots.size()));
    std::uniform_real_distribution<float> point(-5.0f, 50.0f), tolerance(0.0f, 4.0f);
    for (int q = 0; q < 4000; ++q) {
        const float x = std::round(point(rng) * 4.0f) / 4.0f, y = std::round(point(rng) * 4.0f) / 4.0f;
        const float tx = std::round(tolerance(rng) * 4.0f) / 4.0f, ty = q % 7 == 0 ? 60.0f : tolerance(rng);
        ASSERT_EQ(index.NearestInBox(x, y, tx, ty),
                  TNearestDotIndex::NearestInBoxLinear(dots.data(), static_cast<std::int32_t>(dots.size()), x,
                                                       y, tx, ty))
            << x << " " << y << " " << tx << " " << ty;
    }
    EXPECT_EQ(index.NearestInBox(10, 10, std::nanf(""), 1.0f), -1);
}

TEST(DotGridEncoding, MissingDotIsWalkedAroundAndADisplacedDotIsLeftOutWithItsCentroid) {
    // 10 x 8 lattice, pitch 18 x 22. Position (7, 2) is missing; the dot at (2, 6) sits half a pitch
    // off in both directions, outside every search box.
    std::vector<DotCentre> centres;
    std::int32_t displaced = -1;
    for (std::int32_t r = 0; r < 8; ++r)
        for (std::int32_t c = 0; c < 10; ++c) {
            if (c == 7 && r == 2) continue;
            if (c == 2 && r == 6) displaced = static_cast<std::int32_t>(centres.size());
            const double shift = c == 2 && r == 6 ? 0.5 : 0.0;
            centres.push_back({15 + (c + shift) * 18, 12 + (r + shift) * 22});
        }
    auto encoder = EncoderOver(centres, 200, 200);
    const std::int32_t origin = encoder->FindOriginAuto(TOriginMethod::CenterIndexDot); // (0, 4)
    ASSERT_EQ(origin, 39);
    encoder->EncodeAll(origin);
    const std::int32_t c0 = 0, r0 = 4;
    for (std::int32_t k = 0; k < encoder->FDotSum; ++k) {
        const TDotInfo& dot = encoder->FDotInfo[static_cast<std::size_t>(k)];
        const auto c = static_cast<std::int32_t>(std::lround((dot.X - 15) / 18));
        const auto r = static_cast<std::int32_t>(std::lround((dot.Y - 12) / 22));
        const bool placed = k != displaced; // the displaced dot is neither coded nor netted
        EXPECT_EQ(std::tuple(dot.Coded, dot.Neted, dot.Nx, dot.Ny),
                  std::tuple(placed, placed, placed ? c - c0 : dot.Nx, placed ? r0 - r : dot.Ny))
            << k;
    }
    EXPECT_EQ(encoder->Coordinates->Get(7 - c0, r0 - 2), -1);
    TCodeView view;
    EXPECT_TRUE(encoder->MarkUncoded(&view));
    EXPECT_EQ(encoder->UncodedCount, 1);
    ASSERT_EQ(view.Labels.size(), 1u);
    EXPECT_EQ(view.Labels[0].Text, std::to_string(displaced) + "(60.00,155.00)");
    EXPECT_EQ(std::pair(view.Labels[0].X, view.Labels[0].Y), std::pair(60, 155));
    // Every dot labelled by "Show Codes": coded ones with their indices.
    const TCodeView codes = encoder->ShowCodes();
    ASSERT_EQ(codes.Labels.size(), static_cast<std::size_t>(encoder->FDotSum));
    EXPECT_EQ(codes.Labels[39].Text, "39(0,0)");
    EXPECT_EQ(codes.Labels[0].Text, "0(" + std::to_string(-c0) + "," + std::to_string(r0) + ")");
}

TEST(DotGridEncoding, ContradictionsAndRangesEndTheWalkWithTheirMessages) {
    const auto centres = test::LatticeCentres(20, 20, 15, 15, 9, 5, Jitter);
    {
        // A cell of the coordinate system that holds a dot with other indices.
        auto encoder = EncoderOver(centres, 160, 100);
        const std::int32_t origin = encoder->FindOriginAuto(TOriginMethod::CenterGridDot);
        encoder->Coordinates->Set(2, 0, 0);
        EXPECT_EQ(ErrorText([&] { encoder->EncodeAll(origin); }), "Error when Encoding, direct correct it");
        // What was given so far stays: the origin's net, its right neighbour coded but not netted.
        const auto* dot = &encoder->FDotInfo[static_cast<std::size_t>(origin)];
        EXPECT_EQ((std::array{dot[0].Neted, dot[1].Coded, dot[1].Neted}), (std::array{true, true, false}));
    }
    {
        // A neted neighbour with other indices.
        auto encoder = EncoderOver(centres, 160, 100);
        const std::int32_t origin = encoder->FindOriginAuto(TOriginMethod::CenterGridDot);
        encoder->EncodeAll(origin);
        encoder->Selected = origin + 1;
        encoder->ModifyCoordinate(5, 5, true);
        EXPECT_EQ(ErrorText([&] { encoder->EncodeAll(origin); }), "Error when encoding, Direct correct it");
    }
    {
        // A range of 3 across for 9 columns: the lookup beyond it is refused.
        auto encoder = EncoderOver(centres, 160, 100, 3, 5);
        const std::int32_t origin = encoder->FindOriginAuto(TOriginMethod::CenterGridDot);
        const std::string message = ErrorText([&] { encoder->EncodeAll(origin); });
        EXPECT_TRUE(std::regex_match(message, std::regex(R"(\(-?4 ,-?[0-2]\) not in the range)"))) << message;
    }
}

TEST(DotGridEncoding, OriginModesMoveOnAfterFailuresAndBackAfterSuccess) {
    // Pitch 10 across, 40 down: too tall for the automatic search (f reaches 3 at most).
    const auto centres = test::LatticeCentres(20, 20, 10, 40, 9, 5);
    auto pixels = test::RenderDots(120, 210, centres, 3.0, 200, 0);
    TGrayImage picture(pixels.data(), 120, 210);
    TEncodeSession session;
    TEncodeOptions options{.LeastArea = 10};
    EXPECT_EQ(ErrorText([&] { Encode(session, picture, options); }),
              "Can not automaticly find origin\nYou can give dx & dy or direct set the origin\nthen push "
              "\"Start Encode Again\" Button ");
    ASSERT_EQ(std::tuple(session.Mode, bool(session.Encoder), session.Encoded),
              std::tuple(TOriginMode::FromPitch, true, true));

    options.PitchX = 10, options.PitchY = 20; // wrong
    EXPECT_EQ(ErrorText([&] { Encode(session, picture, options); }),
              "Can not automaticly find origin\nYou Should Point it, \"use Direct Set Origin\"");
    EXPECT_EQ(session.Mode, TOriginMode::Direct);

    // Direct origin without a vertical neighbour is refused; with one it walks from (3, -2).
    const TDotGridEncoder& encoder = *session.Encoder;
    session.Slots = DirectOriginSlotsAt(encoder, 60, 100);
    ASSERT_EQ((std::array{session.Slots[0], session.Slots[1], session.Slots[2]}),
              (std::array{2 * 9 + 4, 2 * 9 + 5, 3 * 9 + 4}));
    auto noVertical = session.Slots;
    noVertical[2] = noVertical[4] = -1;
    const std::int32_t outside[4] = {session.Slots[1], 45, -1, -1}; // dot 45 does not exist
    EXPECT_EQ(session.Encoder->SetOriginDirect(session.Slots[0], outside, 0, 0), -1);
    std::swap(session.Slots, noVertical);
    EXPECT_EQ(ErrorText([&] { Encode(session, picture, options); }),
              "You give the wrong ORIGIN(starting grid)");
    EXPECT_EQ(session.Mode, TOriginMode::Direct);
    std::swap(session.Slots, noVertical);
    options.OriginNx = 3, options.OriginNy = -2;
    const TCodeView view = Encode(session, picture, options);
    EXPECT_EQ(std::pair(session.Mode, view.Labels.size()), std::pair(TOriginMode::Automatic, std::size_t{0}));
    ExpectLatticeCodes(*session.Encoder, 9, 5, 4 - 3, 2 - 2);

    // The same lattice from its pitches, after a walk that left other indices in the table.
    session.Mode = TOriginMode::FromPitch;
    options.PitchY = 40;
    Encode(session, picture, options);
    ExpectLatticeCodes(*session.Encoder, 9, 5, 4, 2);
    EXPECT_FLOAT_EQ(session.Encoder->Ratio, 4.0f);
}

TEST(DotGridEncoding, PickSelectMoveOriginAndModifyCoordinate) {
    // Rendered bright dots: the picked dot's pixels come back in red with its label.
    const auto centres = test::LatticeCentres(25, 20, 24, 20, 6, 5);
    auto pixels = test::RenderDots(170, 120, centres, 5.0, 230, 0);
    TGrayImage picture(pixels.data(), 170, 120);
    TEncodeSession session;
    Encode(session, picture, {.LeastArea = 20, .Method = TOriginMethod::CenterIndexDot});
    TDotGridEncoder& encoder = *session.Encoder;
    ASSERT_EQ(encoder.FDotSum, 30);
    const std::int32_t origin = 15; // (3, 2)

    TCodeView view;
    EXPECT_FALSE(encoder.Pick(170, 3, &view));
    EXPECT_TRUE(encoder.Pick(25 + 4 * 24 + 2, 20 + 1 * 20 - 3, &view)); // dot 10 = (4, 1)
    ASSERT_EQ(std::pair(encoder.Selected, view.Labels.size()), std::pair(10, std::size_t{1}));
    EXPECT_EQ(view.Labels[0].Text, "10(1,1)");
    std::int32_t red = 0;
    for (std::int32_t i = 0; i < view.Red->Size; ++i)
        if (view.Red->Data[i] == 255) {
            ++red;
            EXPECT_NE(view.Picture->Data[i], 0);
            EXPECT_LT(std::abs(i % 170 - 121), 7);
        }
    EXPECT_EQ(red, encoder.FDotInfo[10].Area);
    EXPECT_FALSE(encoder.Pick(121, 40, &view)); // the same dot again
    EXPECT_TRUE(encoder.Pick(5, 5, &view));     // background
    EXPECT_EQ(encoder.Selected, -1);
    EXPECT_TRUE(encoder.SelectDot(29, &view));
    EXPECT_EQ(view.Labels[0].Text, "29(2,-2)");
    EXPECT_FALSE(encoder.SelectDot(29, &view));
    EXPECT_FALSE(encoder.SelectDot(30, &view));

    // "Modify Coord." on the selected dot, then "Modify  Origin" to dot 0 = (-3, 2).
    encoder.ModifyCoordinate(7, -7, false);
    EXPECT_EQ(std::pair(encoder.FDotInfo[29].Nx, encoder.FDotInfo[29].Neted), std::pair(7, false));
    EXPECT_EQ(encoder.Coordinates->Get(2, -2), 29); // the coordinate system is left alone
    const TCodeView moved = encoder.MoveOrigin(0);
    const auto& dots = encoder.FDotInfo;
    EXPECT_EQ((std::array{dots[0].Nx, dots[origin].Nx, dots[origin].Ny, dots[29].Nx}),
              (std::array{0, 3, -2, 10}));
    EXPECT_EQ(moved.Labels[origin].Text, "15(3,-2)");
    EXPECT_EQ(encoder.UncodedCount, 1); // dot 29 is no longer neted: red in the view
    EXPECT_EQ(moved.Red->Data[static_cast<std::size_t>(100) * 170 + 145], 255);
    encoder.FDotInfo[4].Coded = false;
    for (const std::int32_t k : {4, -1})
        EXPECT_EQ(ErrorText([&] { encoder.MoveOrigin(k); }),
                  "this grid are not encoded, Encode this grid first !");
}

/// A code file's text: the header and one row per (nx, ny, x, y).
struct CodeRow {
    std::int32_t Nx, Ny;
    float X, Y;
};
std::string CodeText(const std::vector<CodeRow>& rows, std::int32_t maxX, std::int32_t maxY,
                     float scale = 1.0f, const std::string& image = "grid.bmp", std::int32_t height = 300) {
    char line[160];
    std::string text = "TAVM-FS\n";
    std::snprintf(line, sizeof line, "%zu 400 %d\n%d  %d  %f  %f  0\n", rows.size(), height, maxX, maxY,
                  scale, scale);
    text += line;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        std::snprintf(line, sizeof line, "%3zu   %8.3f  %8.3f   %3d  %3d  %3d\n", k, rows[k].X, rows[k].Y,
                      rows[k].Nx, rows[k].Ny, 40);
        text += line;
    }
    return text + image + "\n";
}

/// The data rows of a result file (after the five header lines), each split into numbers.
std::vector<std::vector<double>> ResultRows(const std::string& text,
                                            std::vector<std::string>* header = nullptr) {
    std::istringstream in(text);
    std::string line;
    std::vector<std::vector<double>> rows;
    for (int n = 0; std::getline(in, line); ++n) {
        if (n < 5) {
            if (header) header->push_back(line);
            continue;
        }
        std::istringstream numbers(line);
        std::vector<double> row;
        for (double v; numbers >> v;)
            row.push_back(v);
        rows.push_back(row);
    }
    return rows;
}

TEST(CodeFile, RoundTripKeepsEveryFieldAndTheWriterFormatsAreExact) {
    TempDir dir;
    TGrayImage blank(nullptr, 123, 45);
    TDotGridEncoder encoder(blank, {.WhiteGrid = false, .MaxX = 7, .MaxY = 4});
    encoder.FDotInfo = {
        {.X = 10.25f, .Y = 20.5f, .Nx = -3, .Ny = 2, .Coded = true, .Area = 41},
        {.X = 99.125f, .Y = 1.75f, .Nx = 0, .Ny = 0, .Coded = false, .Area = 7}, // not written
        {.X = 110.0f, .Y = 40.0625f, .Nx = 7, .Ny = -4, .Neted = true, .Coded = true, .Area = 1234},
        {},
    };
    encoder.FDotSum = 3;
    encoder.ScaleX = 0.5f, encoder.ScaleY = 2.0f;
    test::CommaDecimalLocale comma; // the file keeps its '.' whatever the user's locale
    if (!comma.Active()) GTEST_SKIP() << "no comma-decimal locale could be set on this machine";
    encoder.WriteCodeFile(dir.File("a.cod"));
    EXPECT_EQ(ReadFileBytes(dir.File("a.cod")), "TAVM-FS\n2 123 45\n"
                                                "7  4  0.500000  2.000000  255\n"
                                                "  0     10.250    20.500    -3    2   41\n"
                                                "  2    110.000    40.062     7   -4  1234\n"
                                                "MemoryData.raw\n");
    const TCodeFile file = ReadCodeFile(dir.File("a.cod"));
    EXPECT_EQ(std::tuple(file.Count, file.Width, file.Height, file.MaxX, file.MaxY, file.Background,
                         file.ScaleX, file.ScaleY, file.ImageName),
              std::tuple(2, 123, 45, 7, 4, 255, 0.5f, 2.0f, std::string("MemoryData.raw")));
    ASSERT_EQ(file.Dots.size(), 2u);
    // Scaled, renumbered in row order.
    EXPECT_EQ(std::pair(file.Dots[0].X, file.Dots[0].Y), std::pair(5.125f, 41.0f));
    const TDotInfo& last = file.Dots[1];
    EXPECT_FLOAT_EQ(last.Y, 40.062f * 2.0f);
    EXPECT_EQ(std::tuple(last.Nx, last.Ny, last.Area, last.Coded, last.Neted),
              std::tuple(7, -4, 1234, true, true));
    EXPECT_EQ(
        (std::array{file.Coordinates->Get(7, -4), file.Coordinates->Get(-3, 2), file.Coordinates->Get(0, 0)}),
        (std::array{1, 0, -1}));

    // No coded dot: the header, no rows, the name.
    for (TDotInfo& dot : encoder.FDotInfo)
        dot.Coded = false;
    encoder.WriteCodeFile(dir.File("empty.cod"));
    EXPECT_EQ(ReadFileBytes(dir.File("empty.cod")),
              "TAVM-FS\n0 123 45\n7  4  0.500000  2.000000  255\nMemoryData.raw\n");
    EXPECT_EQ(ReadCodeFile(dir.File("empty.cod")).Count, 0);

    const std::string missingFolder = dir.File("no/such.cod");
    EXPECT_EQ(ErrorText([&] { encoder.WriteCodeFile(missingFolder); }),
              "file open error:Can create file " + missingFolder);
}

TEST(CodeFile, ReaderRefusesDamagedFilesWithItsMessages) {
    TempDir dir;
    const std::string name = dir.File("c.cod");
    const std::string readError = "Read data error from code file: \n" + name;
    auto read = [&](const std::string& text) {
        WriteFileBytes(name, text);
        return ErrorText([&] { ReadCodeFile(name); });
    };
    const std::string good = CodeText({{0, 0, 10, 10}, {1, 0, 30, 10.5f}}, 5, 5);
    EXPECT_EQ(read(good), "no error");
    EXPECT_EQ(read("TAVM-FSX" + good.substr(7)), "no error"); // only the first seven letters count
    EXPECT_EQ(read("TAVM-F" + good.substr(7)), name + " is not a code file!");
    EXPECT_EQ(read(""), name + " is not a code file!");
    // Fewer rows than declared; a word in a number field; a cut header. Counts and ranges a file of its
    // size cannot hold are refused before anything is allocated.
    for (const char* text :
         {"TAVM-FS\n3 400 300\n5 5 1.0 1.0 0\n0 1 2 0 0 9\n1 3 4 1 0 9\nname\n",
          "TAVM-FS\n2 400 300\n5 5 1.0 1.0 0\n0 1 2 0 0 9\n1 3 x 1 0 9\nname\n",
          "TAVM-FS\n2 400 300\n5 5 1.0\n", "TAVM-FS\n2000000000 400 300\n5 5 1.0 1.0 0\n0 1 2 0 0 9\nname\n",
          "TAVM-FS\n-1 400 300\n5 5 1.0 1.0 0\nname\n",
          "TAVM-FS\n0 400 300\n1000000 1000000 1.0 1.0 0\nname\n",
          "TAVM-FS\n0 400 300\n5 -1 1.0 1.0 0\nname\n"})
        EXPECT_EQ(read(text), readError) << text;
    EXPECT_EQ(read("TAVM-FS\n1 400 300\n5 5 1.0 1.0 0\n0 1 2 6 0 9\nname\n"), "(6 , 0) not in the range");
    EXPECT_EQ(ErrorText([&] { ReadCodeFile(dir.File("none.cod")); }),
              "Can not open the  code file: \n" + dir.File("none.cod"));

    // A name with blanks is read whole, to the end of its line; free white space between the items.
    WriteFileBytes(name, "TAVM-FS 1\n400\t300 5 5 1 1 0 7 1.5 2.5 -1 1 9 my grid picture.bmp\n");
    const TCodeFile file = ReadCodeFile(name);
    EXPECT_EQ(file.ImageName, "my grid picture.bmp");
    EXPECT_FLOAT_EQ(file.Dots[0].X, 1.5f);
    EXPECT_EQ(file.Coordinates->Get(-1, 1), 0);
}

TEST(CodeMatch, CommonRangeOrderScaleAndDotsOfOneFileOnly) {
    TempDir dir;
    // Initial: range 5 x 3 with a dot at nx = 5; deformed: range 3 x 4 with a dot at (2, 4) that only
    // it has. Rows are written in an order unlike the match's.
    WriteFileBytes(dir.File("a.cod"), CodeText({{5, 0, 200, 100},
                                                {1, -1, 120, 120},
                                                {0, 1, 100, 80},
                                                {-2, 1, 60, 80},
                                                {3, 0, 160, 100},
                                                {1, 3, 120, 40}},
                                               5, 3, 0.5f, "initial.bmp", 300));
    WriteFileBytes(dir.File("b.cod"), CodeText({{0, 1, 102, 79},
                                                {1, -1, 121, 122},
                                                {-2, 1, 61, 78},
                                                {3, 0, 163, 100},
                                                {2, 4, 140, 20},
                                                {1, 3, 119, 41}},
                                               3, 4, 0.5f, "deformed.bmp", 310));
    TCodeMatch match(dir.File("a.cod"), dir.File("b.cod"));
    // The height is the deformed file's, read last.
    ASSERT_EQ(std::tuple(match.CommonMaxX, match.CommonMaxY, match.Height, match.MatchCount),
              std::tuple(3, 3, 310, 5));
    // By ny then nx: (1,-1), (3,0), (-2,1), (0,1), (1,3).
    EXPECT_EQ(match.Pairs, (std::vector<std::int32_t>{1, 4, 3, 2, 5}));
    // (121 - 120) * 0.5 across, down 2 pixels; (163 - 160) * 0.5.
    EXPECT_EQ((std::array{match.Results[0].Dx, match.Results[0].Dy, match.Results[1].Dx}),
              (std::array{0.5f, -1.0f, 1.5f}));
    EXPECT_EQ((std::array{match.Files[0].Dots[1].Matched, match.Files[0].Dots[0].Matched,
                          match.Files[1].Dots[4].Matched}),
              (std::array{true, false, false}));

    WriteMatchResult(dir.File("r.dat"), match, TMatchResultLayout::NxNyXYDxDy, true);
    std::vector<std::string> header;
    const auto rows = ResultRows(ReadFileBytes(dir.File("r.dat")), &header);
    EXPECT_EQ(std::vector(header.begin(), header.begin() + 4),
              (std::vector<std::string>{"initial.bmp", "deformed.bmp",
                                        "In this " + dir.File("r.dat") + ", 5 dots have been matched",
                                        " Y axis is set to  Y2= Height-Y"}));
    ASSERT_EQ(rows.size(), 5u);
    // x halved; Y = 310 pixels - y halved.
    EXPECT_EQ(rows[0], (std::vector<double>{1, -1, 60, 250, 0.5, -1}));
    EXPECT_EQ(rows[4], (std::vector<double>{1, 3, 60, 290, -0.5, -0.5}));
}

TEST(CodeMatch, SignsOfDyAndThetaForTheFourMotionsWithAndWithoutChangeY) {
    TempDir dir;
    WriteFileBytes(dir.File("a.cod"),
                   CodeText({{0, 0, 100, 100}, {1, 0, 120, 100}, {2, 0, 140, 100}, {3, 0, 160, 100}}, 5, 5));
    // Right by 2, left by 2, up the picture by 2 (y falls), down by 2.
    WriteFileBytes(dir.File("b.cod"),
                   CodeText({{0, 0, 102, 100}, {1, 0, 118, 100}, {2, 0, 140, 98}, {3, 0, 160, 102}}, 5, 5));
    TCodeMatch match(dir.File("a.cod"), dir.File("b.cod"));
    const double pi = std::numbers::pi_v<float>, half = pi / 2;
    struct Expected {
        double Dx, DyChanged, ThetaChanged;
    };
    const Expected motions[4] = {{2, 0, 0}, {-2, 0, pi}, {0, 2, half}, {0, -2, -half}};
    for (const bool changeY : {true, false}) {
        WriteMatchResult(dir.File("dxdy.dat"), match, TMatchResultLayout::XYDxDy, changeY);
        WriteMatchResult(dir.File("polar.dat"), match, TMatchResultLayout::XYThetaR, changeY);
        EXPECT_EQ(match.ChangeY, changeY);
        const auto dxdy = ResultRows(ReadFileBytes(dir.File("dxdy.dat")));
        const auto polar = ResultRows(ReadFileBytes(dir.File("polar.dat")));
        ASSERT_EQ(dxdy.size(), 4u);
        for (int k = 0; k < 4; ++k) {
            const double sign = changeY ? 1.0 : -1.0;
            EXPECT_EQ(std::vector(dxdy[k].begin() + 1, dxdy[k].end()),
                      (std::vector{changeY ? 200.0 : 100.0, motions[k].Dx, sign * motions[k].DyChanged}))
                << k;
            EXPECT_NEAR(polar[k][2], sign * motions[k].ThetaChanged, 5e-4) << k;
            EXPECT_EQ(polar[k][3], 2.0);
        }
    }
    float theta = 0, r = 0;
    ThetaR(-1.0f, 1.0f, theta, r);
    EXPECT_FLOAT_EQ(theta, 3.0f * std::numbers::pi_v<float> / 4.0f);
    EXPECT_FLOAT_EQ(r, std::sqrt(2.0f));
}

TEST(CodeMatch, EightLayoutsHeadersAndRowsAndAnEmptyMatch) {
    TempDir dir;
    WriteFileBytes(dir.File("a.cod"), CodeText({{9, 9, 1, 1}, {-1, 2, 50.25f, 80.5f}}, 10, 10));
    WriteFileBytes(dir.File("b.cod"), CodeText({{-1, 2, 53.25f, 76.5f}}, 10, 10));
    TCodeMatch match(dir.File("a.cod"), dir.File("b.cod"));
    // dx = 3, dy = 4 up the picture, r = 5, theta = atan2(4, 3); Y = 300 - 80.5.
    const char* const expected[8][2] = {
        {"       x           y           theta        r", "    50.250     219.500       0.927       5.000"},
        {"     x           y           dx          dy", "     50.250     219.500       3.000       4.000"},
        {"     x           y           dx ", "     50.250     219.500       3.000"},
        {"     x           y          dy", "     50.250     219.500       4.000"},
        {" index      x           y           dx          dy",
         "    1      50.250     219.500       3.000       4.000"},
        {" index       x           y           theta        r",
         "    1      50.250     219.500       0.927       5.000"},
        {" Nx    Ny       x           y           dx          dy",
         "   -1      2       50.250     219.500       3.000       4.000"},
        {" Nx    Ny      x           y           theta        r",
         "   -1      2       50.250     219.500       0.927       5.000"},
    };
    for (int layout = 0; layout < 8; ++layout) {
        const std::string name = dir.File(std::to_string(layout) + ".dat");
        WriteMatchResult(name, match, static_cast<TMatchResultLayout>(layout), true);
        EXPECT_EQ(ReadFileBytes(name), "grid.bmp\ngrid.bmp\nIn this " + name +
                                           ", 1 dots have been matched\n" +
                                           " Y axis is set to  Y2= Height-Y\n" + expected[layout][0] + "\n" +
                                           expected[layout][1] + "\n")
            << layout;
    }
    const std::string polarFail = dir.File("no/r.dat");
    EXPECT_EQ(ErrorText([&] { WriteMatchResult(polarFail, match, TMatchResultLayout::IndexXYThetaR, true); }),
              "write theta & r result  error \n" + polarFail);
    EXPECT_EQ(ErrorText([&] { WriteMatchResult(polarFail, match, TMatchResultLayout::XYDy, false); }),
              "write result file error \n" + polarFail);

    WriteFileBytes(dir.File("none.cod"), CodeText({}, 10, 10));
    TCodeMatch empty(dir.File("a.cod"), dir.File("none.cod"));
    WriteMatchResult(dir.File("e.dat"), empty, TMatchResultLayout::XYDxDy, false);
    EXPECT_EQ(ReadFileBytes(dir.File("e.dat")), "grid.bmp\ngrid.bmp\nIn this " + dir.File("e.dat") +
                                                    ", 0 dots have been matched\n Y axis is not changed\n"
                                                    "     x           y           dx          dy\n");
}

TEST(TCoordinateSystem, CellsStartEmptyAndOutOfRangeIndicesAreRefusedWithTheirOwnWording) {
    TCoordinateSystem cs(3, 2);
    EXPECT_EQ(cs.Get(-3, 2), -1);
    cs.Set(3, -2, 17);
    cs.Set(-3, 2, 4);
    EXPECT_EQ((std::array{cs.Get(3, -2), cs.Get(-3, 2), cs.Get(2, -2)}), (std::array{17, 4, -1}));
    EXPECT_EQ(ErrorText([&] { cs.Get(4, 0); }), "(4 ,0) not in the range");
    EXPECT_EQ(ErrorText([&] { cs.Set(0, -3, 1); }), "(0 , -3) not in the range");
    EXPECT_EQ(ErrorText([] { TCoordinateSystem bad(-1, 5); }),
              "No enough memory to allocate Coordinate System");
}

// A dot's centre is its weighted sum divided by its weight, rounded to float once.
// A 7 x 6 dot whose top-left pixel weighs 4, far down the right of a 1790 x 1760 picture: both
} // namespace
} // namespace corvane
