#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "correlation/TCorRelation.h"
#include "image/CorvaneError.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

const char* const kParameterError = "Check your computing parameters, then start again";

// A speckle pair on disk and the parameters of a run over it (the defaults of a new
// configuration, the whole picture as search field, no post filter).
struct Job {
    test::TempDir dir;
    test::SpecklePair pair;
    TCorRelationPara para;

    explicit Job(double shiftX = 0.0, double shiftY = 0.0, std::int32_t size = 128, unsigned seed = 1) {
        test::SpeckleOptions o;
        o.Width = o.Height = size;
        o.ShiftX = shiftX;
        o.ShiftY = shiftY;
        o.Seed = seed;
        pair = test::MakeSpecklePair(o);
        Save();
        para.InitialFile = dir.File("initial.bmp");
        para.DeformedFile = dir.File("deformed.bmp");
        para.XYFile = dir.File("xy.dat");
        para.ThetaRFile = dir.File("thetar.dat");
        para.InfoFile = dir.File("info.inf");
        para.MaskFile = dir.File("none");
        para.GrayXFile = dir.File("gx.bmp");
        para.GrayYFile = dir.File("gy.bmp");
        para.BinXFile = dir.File("bx.flt");
        para.BinYFile = dir.File("by.flt");
        para.WinMoveX = para.WinMoveY = 33;
        para.LargeWinX = para.LargeWinY = 15;
        para.SearchWinX = para.SearchWinY = 13;
        para.SeedNumX = para.SeedNumY = 2;
        para.SeedPrecision = 0.1f;
        para.Left = para.Up = 0;
        para.Right = para.Bottom = size - 1;
        para.Amplitude = 20.0f;
        para.GridX = para.GridY = 5;
        para.ScaleX = para.ScaleY = 1.0f;
        para.FilterType = 0;
        para.FilterSizeX = para.FilterSizeY = 3;
        para.AverageThreshold = 0.5f;
        para.ChangeYaxis = 1;
    }
    void Save() {
        test::SaveGreyBmp(dir.File("initial.bmp"), pair.Width, pair.Height, pair.Initial);
        test::SaveGreyBmp(dir.File("deformed.bmp"), pair.Width, pair.Height, pair.Deformed);
    }
    TCorRelationResult Run() const {
        TCorRelation engine(para, TCorRelation::Mode::Normal);
        engine.Run(para.ChangeYaxis == 1);
        return engine.Result();
    }
};

float At(const std::vector<float>& v, const TCorRelationResult& r, int x, int y) {
    return v[static_cast<std::size_t>(y) * r.W0 + x];
}

std::int64_t Computed(const TCorRelationResult& r) {
    std::int64_t n = 0;
    for (std::size_t i = 0; i < r.dx.size(); ++i) n += r.dx[i] != kNotComputed;
    return n;
}

std::int64_t ActiveSeeds(const TCorRelationResult& r) {
    std::int64_t n = 0;
    for (const auto& s : r.Seeds) n += !s.Removed();
    return n;
}

TEST(TCorRelationRun, IdenticalPicturesGiveZeroAndTheBorderLosesHalfAWindowPlusOne) {
    Job job;
    job.pair.Deformed = job.pair.Initial;
    job.Save();
    for (int seeds : {2, 1}) {
        job.para.SeedNumX = job.para.SeedNumY = seeds;
        const TCorRelationResult r = job.Run();
        // hx = hy = 6: columns and rows 0..6 and 121..127 are not searched.
        int wrong = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) {
                const bool inside = x >= 7 && x <= 120 && y >= 7 && y <= 120;
                const float dx = At(r.dx, r, x, y), dy = At(r.dy, r, x, y);
                if (inside ? (dx != 0.0f || dy != 0.0f) : (dx != kNotComputed || dy != kNotComputed)) ++wrong;
            }
        EXPECT_EQ(wrong, 0) << seeds << " x " << seeds << " seeds";
        EXPECT_EQ(r.AllPoints, 128 * 128);
        // Seed points keep their seed result and are not counted; every other computed point is.
        EXPECT_EQ(r.SuccessfulPoints, Computed(r) - ActiveSeeds(r));
        EXPECT_GT(r.NotSearchedPoints, 4 * 100);
        EXPECT_GT(r.StartTime, 0);
    }
}

TEST(TCorRelationRun, WholePixelShiftsAreFoundExactly) {
    struct Case {
        double sx, sy;
        int dispX, dispY;
    };
    for (const Case c : {Case{3, -2, 0, 0}, Case{-14, 9, -12, 8}}) {
        Job job(c.sx, c.sy);
        job.para.SeedDispX = c.dispX;
        job.para.SeedDispY = c.dispY;
        const TCorRelationResult r = job.Run();
        int wrong = 0;
        for (std::size_t i = 0; i < r.dx.size(); ++i)
            if (r.dx[i] != kNotComputed && (r.dx[i] != c.sx || r.dy[i] != c.sy)) ++wrong;
        EXPECT_EQ(wrong, 0) << c.sx << "," << c.sy;
        // Every point whose window and match stay clear of the borders is found.
        const int cols = 114 - static_cast<int>(std::fabs(c.sx)), rows = 114 - static_cast<int>(std::fabs(c.sy));
        EXPECT_GE(Computed(r), cols * rows) << c.sx << "," << c.sy;
        EXPECT_FALSE(test::ReadFileBytes(job.para.XYFile).empty());
        EXPECT_FALSE(test::ReadFileBytes(job.para.InfoFile).empty());
    }
}

TEST(TCorRelationRun, SubPixelShiftIsFoundToAnEighthAndRunsRepeatExactly) {
    Job job(0.3, -0.7);
    const TCorRelationResult r = job.Run();
    std::int64_t n = 0, close = 0;
    double sumX = 0, sumY = 0;
    for (std::size_t i = 0; i < r.dx.size(); ++i) {
        if (r.dx[i] == kNotComputed) continue;
        ++n;
        sumX += r.dx[i];
        sumY += r.dy[i];
        close += std::fabs(r.dx[i] - 0.3) <= 0.1875 && std::fabs(r.dy[i] + 0.7) <= 0.1875;
    }
    ASSERT_GT(n, 110 * 110);
    EXPECT_GE(close, n * 99 / 100);
    EXPECT_NEAR(sumX / n, 0.3, 0.07);
    EXPECT_NEAR(sumY / n, -0.7, 0.07);

    const TCorRelationResult again = job.Run();
    EXPECT_EQ(std::memcmp(r.dx.data(), again.dx.data(), r.dx.size() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(r.dy.data(), again.dy.data(), r.dy.size() * sizeof(float)), 0);
    EXPECT_EQ(r.SuccessfulPoints, again.SuccessfulPoints);
}

TEST(TCorRelationRun, PostFilterAndOutputsFollowTheParameters) {
    Job job(2, 1);
    job.para.Left = job.para.Up = 20;
    job.para.Right = job.para.Bottom = 100;
    const TCorRelationResult plain = job.Run();
    EXPECT_EQ(At(plain.dx, plain, 20, 50), 2.0f);

    job.para.FilterType = 2;
    job.para.OutputGray = 1;
    job.para.OutputBin = 1;
    const TCorRelationResult median = job.Run();
    // The median keeps the uniform field and marks the field's edge, where its window would leave it.
    EXPECT_EQ(At(median.dx, median, 21, 50), 2.0f);
    EXPECT_EQ(At(median.dx, median, 20, 50), kNotComputed);
    EXPECT_EQ(At(median.dy, median, 50, 100), kNotComputed);
    for (const std::string& f : {job.para.GrayXFile, job.para.GrayYFile, job.para.BinXFile, job.para.BinYFile})
        EXPECT_FALSE(test::ReadFileBytes(f).empty()) << f;
}

TEST(TCorRelationRun, BlackInitialPictureKeepsTheMarkerEverywhere) {
    Job job(1, 1);
    std::fill(job.pair.Initial.begin(), job.pair.Initial.end(), 0);
    job.Save();
    const TCorRelationResult r = job.Run();
    EXPECT_EQ(Computed(r), 0);
    EXPECT_EQ(r.SuccessfulPoints, 0);
}

TEST(TCorRelationFast, ComputesTheSeedGridOnly) {
    Job job(2.3, -0.7);
    job.para.SeedNumX = job.para.SeedNumY = 3;
    job.para.SearchWinX = job.para.SearchWinY = 0; // not used in fast mode
    TCorRelation engine(job.para, TCorRelation::Mode::Fast);
    engine.RunFast(true);
    const TCorRelationResult& r = engine.Result();
    EXPECT_TRUE(r.Fast);
    EXPECT_EQ(r.Para.SearchWinX, 15);
    EXPECT_EQ(r.SuccessfulPoints, 0);
    EXPECT_EQ(r.NotSearchedPoints, 0);
    ASSERT_EQ(r.Seeds.size(), 9u);
    int solved = 0;
    for (const auto& s : r.Seeds) {
        if (s.Removed()) continue;
        ++solved;
        EXPECT_NEAR(At(r.dx, r, s.X, s.Y), 2.3, 0.1) << s.X << "," << s.Y;
        EXPECT_NEAR(At(r.dy, r, s.X, s.Y), -0.7, 0.1) << s.X << "," << s.Y;
    }
    EXPECT_GE(solved, 4);
    // Nothing away from the seeds is computed.
    EXPECT_LE(Computed(r), 9 * solved);
    EXPECT_FALSE(test::ReadFileBytes(job.para.XYFile).empty());
}

TEST(TCorRelationConstruct, RefusesParametersThatCannotRun) {
    Job job;
    auto refused = [&](const TCorRelationPara& p, TCorRelation::Mode mode = TCorRelation::Mode::Normal) {
        try {
            TCorRelation engine(p, mode);
        } catch (const CorvaneError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    const TCorRelationPara good = job.para;
    EXPECT_EQ(refused(good), "accepted");
    auto with = [&](auto change) {
        TCorRelationPara p = good;
        change(p);
        return refused(p);
    };
    EXPECT_EQ(with([](auto& p) { p.SearchWinX = 0; }), kParameterError);
    EXPECT_EQ(with([](auto& p) { p.LargeWinY = -3; }), kParameterError);
    EXPECT_EQ(with([](auto& p) { p.SeedNumX = 0; }), kParameterError);
    EXPECT_EQ(with([](auto& p) { p.SeedPrecision = 0.0f; }), kParameterError);
    EXPECT_EQ(with([](auto& p) { p.SeedPrecision = 1.5f; }), kParameterError);
    EXPECT_EQ(with([](auto& p) { p.SeedPrecision = std::nanf(""); }), kParameterError);
    EXPECT_EQ(with([](auto& p) { p.FilterType = 2, p.FilterSizeX = -1; }), kParameterError);
    // A search field reaching outside the initial picture.
    EXPECT_EQ(with([](auto& p) { p.Right = 128; }), kParameterError);
    EXPECT_EQ(with([](auto& p) { p.Up = -1; }), kParameterError);
    EXPECT_EQ(with([](auto& p) { p.Left = 90, p.Right = 80; }), kParameterError);
    // A seed search area larger than the pictures leaves no seed.
    EXPECT_EQ(with([](auto& p) { p.WinMoveX = 200; }), kParameterError);
    // Pictures that cannot be read.
    EXPECT_EQ(with([&](auto& p) { p.DeformedFile = job.dir.File("missing.bmp"); }),
              job.dir.File("missing.bmp") + ": not exists");
    // A mask of another size than the initial picture.
    test::SaveGreyBmp(job.dir.File("mask.bmp"), 64, 64, std::vector<std::uint8_t>(64 * 64, 255));
    const std::string mask = with([&](auto& p) { p.MaskFile = job.dir.File("mask.bmp"); });
    EXPECT_NE(mask.find("mask"), std::string::npos) << mask;
    EXPECT_NE(mask, "accepted");
    test::SaveGreyBmp(job.dir.File("mask.bmp"), 128, 128, std::vector<std::uint8_t>(128 * 128, 255));
    EXPECT_EQ(with([&](auto& p) { p.MaskFile = job.dir.File("mask.bmp"); }), "accepted");
    // Fast mode does not use the searching window or the post filter.
    EXPECT_EQ(refused([&] {
                  TCorRelationPara p = good;
                  p.SearchWinX = 0, p.FilterType = 2, p.FilterSizeX = -1;
                  return p;
              }(), TCorRelation::Mode::Fast),
              "accepted");
}

} // namespace
} // namespace corvane
