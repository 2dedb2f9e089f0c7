#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationJob.h"
#include "correlation/CorRelationPool.h"
#include "correlation/TCorRelation.h"
#include "support/ErrorText.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

const std::string kParameterError = "Check your computing parameters, then start again";

// A speckle pair (128 x 128 unless told) on disk as test0.bmp and test2.bmp and the parameters of a
// run over it: the default configuration file, with the whole picture as search field and no post
// filter.
struct Job {
    test::TempDir dir;
    TCorRelationPara para;

    explicit Job(const test::SpeckleOptions& options = {}) {
        const test::SpecklePair pair = test::MakeSpecklePair(options);
        test::SaveGreyBmp(dir.File("test0.bmp"), pair.Width, pair.Height, pair.Initial);
        test::SaveGreyBmp(dir.File("test2.bmp"), pair.Width, pair.Height, pair.Deformed);
        GenerateConfigFile(dir.File("job.cor"));
        para = ReadConfigFile(dir.File("job.cor")).at(0);
        para.Left = para.Up = 0, para.Right = pair.Width - 1, para.Bottom = pair.Height - 1,
        para.FilterType = 0;
    }
    TCorRelationResult Run(TCorRelation::Mode mode = TCorRelation::Mode::Normal) const {
        TCorRelation engine(para, mode);
        mode == TCorRelation::Mode::Fast ? engine.RunFast(para.ChangeYaxis == 1)
                                         : engine.Run(para.ChangeYaxis == 1);
        return engine.Result();
    }
};

float At(const std::vector<float>& v, int x, int y) {
    return v[static_cast<std::size_t>(y) * 128 + x];
}

std::int64_t Computed(const TCorRelationResult& r) {
    return std::count_if(r.dx.begin(), r.dx.end(), [](float v) { return v != kNotComputed; });
}

// Identical pictures give 0 everywhere searched; the border loses hx + 1 = 7 columns and rows on
// each side. Whole-pixel shifts within the seed reach are found exactly.
TEST(TCorRelationRun, WholePixelShiftsAreFoundExactlyAndTheBorderLosesHalfAWindowPlusOne) {
    for (auto [sx, sy, estX, estY, seeds] :
         {std::array{0, 0, 0, 0, 1}, {0, 0, 0, 0, 2}, {3, -2, 0, 0, 2}, {-14, 9, -12, 8, 2}}) {
        Job job({.ShiftX = double(sx), .ShiftY = double(sy)});
        job.para.SeedDispX = estX, job.para.SeedDispY = estY, job.para.SeedNumX = job.para.SeedNumY = seeds;
        const TCorRelationResult r = job.Run();
        int wrong = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) {
                const float dx = At(r.dx, x, y), dy = At(r.dy, x, y);
                if (sx == 0 && (x < 7 || x > 120 || y < 7 || y > 120))
                    wrong += dx != kNotComputed || dy != kNotComputed;
                else if (sx == 0 || dx != kNotComputed)
                    wrong += dx != sx || dy != sy;
            }
        EXPECT_EQ(wrong, 0) << sx << "," << sy << " with " << seeds << " x " << seeds << " seeds";
        // Every point whose window and match stay clear of the borders is found.
        EXPECT_GE(Computed(r), (114 - std::abs(sx)) * (114 - std::abs(sy))) << sx << "," << sy;
        EXPECT_EQ(r.AllPoints, 128 * 128);
        // Seed points keep their seed result and are not counted; every other computed point is.
        EXPECT_EQ(r.SuccessfulPoints, Computed(r) - seeds * seeds);
        EXPECT_GT(r.NotSearchedPoints, 4 * 100);
    }
}

// A point without a result gives its neighbour no prediction. Taken as a displacement, its marker
// would send the neighbour's search 1000 pixels away, inside a picture this large, and bring back a
// displacement of about 1000 as if it were measured. Points of the black band, whose window
// correlates with nothing, count as not searched: every successful point has a result.
TEST(TCorRelationRun, AFailedPointPassesItsFailureOnEvenInLargePictures) {
    Job job;
    test::SpecklePair pair =
        test::MakeSpecklePair({.Width = 1100, .Height = 1100, .ShiftX = 1.0, .DotsPerPixel = 0.05});
    for (int y = 0; y < 100; ++y)
        std::fill_n(pair.Initial.begin() + y * 1100 + 60, 21, 0); // black band
    test::SaveGreyBmp(job.para.InitialFile = job.dir.File("i.bmp"), 1100, 1100, pair.Initial);
    test::SaveGreyBmp(job.para.DeformedFile = job.dir.File("d.bmp"), 1100, 1100, pair.Deformed);
    // One seed, at (100, 40).
    job.para.SeedNumX = job.para.SeedNumY = 1, job.para.Right = 200, job.para.Bottom = 80;
    const TCorRelationResult r = job.Run();
    int far = 0, leftOfBand = 0;
    for (int y = 0; y <= 80; ++y)
        for (int x = 0; x <= 200; ++x) {
            const float dx = r.dx[y * 1100 + x];
            far += dx != kNotComputed && std::fabs(dx) > 100.0f;
            leftOfBand += x < 66 && dx != kNotComputed;
        }
    EXPECT_EQ(far, 0);
    EXPECT_EQ(leftOfBand, 0) << "the seed row fails inside the band and passes it on leftward";
    EXPECT_GT(Computed(r), 120 * 60);
    EXPECT_EQ(r.SuccessfulPoints, Computed(r) - 1); // the seed is not counted
}

TEST(TCorRelationFast, ComputesTheSeedGridOnly) {
    Job job({.ShiftX = 2.3, .ShiftY = -0.7});
    job.para.SeedNumX = job.para.SeedNumY = 3, job.para.SearchWinX = 0; // no searching window in fast mode
    const TCorRelationResult r = job.Run(TCorRelation::Mode::Fast);
    EXPECT_EQ(r.Para.SearchWinX, 15);
    EXPECT_EQ(r.SuccessfulPoints + r.NotSearchedPoints, 0);
    int solved = 0;
    for (const auto& s : r.Seeds) {
        if (s.Removed()) continue;
        ++solved;
        EXPECT_NEAR(At(r.dx, s.X, s.Y), 2.3, 0.1) << s.X << "," << s.Y;
        EXPECT_NEAR(At(r.dy, s.X, s.Y), -0.7, 0.1) << s.X << "," << s.Y;
    }
    EXPECT_GE(solved, 4);
    EXPECT_LE(Computed(r), 9 * solved); // each seed and its eight refinement points, nothing more
    EXPECT_FALSE(test::ReadFileBytes(job.para.XYFile).empty());
}

TEST(TCorRelationConstruct, RefusesParametersThatCannotRun) {
    Job job;
    const TCorRelationPara good = job.para;
    auto refusal = [&](auto change, TCorRelation::Mode mode = TCorRelation::Mode::Normal) {
        TCorRelationPara p = good;
        change(p);
        return test::ErrorText([&] { TCorRelation engine(p, mode); });
    };
    using P = TCorRelationPara&;
    EXPECT_EQ(refusal([](P) {}), "no error");
    for (auto change : std::vector<void (*)(P)>{
             [](P p) { p.SearchWinX = 0; }, [](P p) { p.LargeWinY = -3; }, [](P p) { p.SeedNumX = 0; },
             [](P p) { p.SeedPrecision = 0.0f; }, [](P p) { p.SeedPrecision = 1.5f; },
             [](P p) { p.SeedPrecision = std::nanf(""); }, [](P p) { p.FilterType = 2, p.FilterSizeX = -1; },
             // search fields reaching outside the initial picture, or upside down
             [](P p) { p.Right = 128; }, [](P p) { p.Up = -1; }, [](P p) { p.Left = 90, p.Right = 80; },
             // a seed search area larger than the pictures leaves no seed
             [](P p) { p.WinMoveX = 200; }})
        EXPECT_EQ(refusal(change), kParameterError);
    // Fast mode uses neither the searching window nor the post filter.
    EXPECT_EQ(refusal([](P p) { p.SearchWinX = 0, p.FilterType = 2, p.FilterSizeX = -1; },
                      TCorRelation::Mode::Fast),
              "no error");
    const std::string missing = job.dir.File("missing.bmp");
    EXPECT_EQ(refusal([&](P p) { p.DeformedFile = missing; }), missing + ": not exists");
    // A mask of another size than the initial picture is refused; one of the same size is taken.
    for (int size : {64, 128}) {
        test::SaveGreyBmp(job.dir.File("mask.bmp"), size, size, std::vector<std::uint8_t>(size * size, 255));
        const std::string m = refusal([&](P p) { p.MaskFile = job.dir.File("mask.bmp"); });
        EXPECT_TRUE(size == 128 ? m == "no error" : m.find("mask") != std::string::npos) << m;
    }
}

// The correlation engine on several lanes of the shared pool: every number of lanes gives the very
// files of the one-lane run; progress is reported and a stop request ends a run without files.
// A 173 x 131 speckle pair, stretched along x and moved, on disk with the default parameters over
// nearly the whole picture; every output asked for.
struct Pair : Job {
    Pair() : Job({.Width = 173, .Height = 131, .ShiftX = 1.6, .ShiftY = -2.3, .StretchX = 0.006, .Seed = 5}) {
        para.Left = 10, para.Up = 12, para.Right = 165, para.Bottom = 125;
        para.SeedDispX = 2, para.SeedDispY = -2, para.GridX = 1, para.GridY = 2;
        para.OutputGray = para.OutputBin = 1;
    }

    // Runs with the given lanes into the folder "out" and returns its files by name; the
    // report's used time is blanked, as two runs need not take the same seconds.
    std::map<std::string, std::string> Files(int lanes, int seedsX, int seedsY, int filter) {
        const std::string out = dir.File("out"); // the report names the files
        std::filesystem::create_directories(out);
        TCorRelationPara p = para;
        p.SeedNumX = seedsX, p.SeedNumY = seedsY, p.FilterType = filter;
        p.XYFile = out + "/xy.dat", p.ThetaRFile = out + "/thetar.dat", p.InfoFile = out + "/info.inf";
        p.GrayXFile = out + "/gx.bmp", p.GrayYFile = out + "/gy.bmp";
        p.BinXFile = out + "/dx.flt", p.BinYFile = out + "/dy.flt";
        RunGroup(p, {.Threads = lanes, .Progress = {}, .Stop = {}});
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(out))
            files[entry.path().filename().string()] = test::ReadFileBytes(entry.path().string());
        std::string& info = files["info.inf"];
        const std::size_t at = info.find("Used time : ");
        if (at != std::string::npos) info.replace(at, 20, "");
        std::filesystem::remove_all(out);
        return files;
    }
};

TEST(CorRelationLanes, EveryNumberOfLanesWritesTheFilesOfTheOneLaneRun) {
    Pair pair;
    // One seed (rows split across lanes), a 3 x 2 grid (regions side by side) with the average
    // filter, which works in place, and a fast run.
    for (auto [sx, sy, filter] : {std::tuple{1, 1, 2}, {3, 2, 1}, {2, 3, 0}}) {
        const auto one = pair.Files(1, sx, sy, filter);
        ASSERT_EQ(one.size(), 8u); // with the correlation map
        ASSERT_GT(one.at("xy.dat").size(), 100000u) << "the run must find most points";
        for (int lanes : {2, 3, 8})
            EXPECT_TRUE(pair.Files(lanes, sx, sy, filter) == one)
                << sx << "x" << sy << " seeds, " << lanes << " lanes";
    }
    // The sub-pixel refinement, one row of points per part, and its four gradient maps.
    pair.para.SubpixelRefinement = 1;
    const auto refinedOne = pair.Files(1, 1, 1, 0);
    EXPECT_EQ(refinedOne.size(), 12u);
    EXPECT_TRUE(pair.Files(3, 1, 1, 0) == refinedOne) << "refined, 3 lanes";
    pair.para.SubpixelRefinement = 0;

    pair.para.FastCompute = 1;
    pair.para.OutputGray = pair.para.OutputBin = 0;
    const auto fastOne = pair.Files(1, 6, 5, 0);
    EXPECT_TRUE(pair.Files(3, 6, 5, 0) == fastOne);
}

TEST(CorRelationLanes, ProgressGrowsToAllPointsAndAStopWritesNothing) {
    Pair pair;
    TCorRelationPara p = pair.para;
    p.SeedNumX = p.SeedNumY = 1;
    std::vector<std::int64_t> seen;
    std::int64_t all = 0;
    {
        TCorRelation engine(p, TCorRelation::Mode::Normal,
                            {.Threads = 2,
                             .Progress =
                                 [&](std::int64_t done, std::int64_t of) {
                                     seen.push_back(done);
                                     all = of;
                                 },
                             .Stop = {}});
        engine.Compute();
        EXPECT_EQ(all, engine.Result().AllPoints);
    }
    ASSERT_GT(seen.size(), 40u) << "one report per row at least";
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), all);

    // Stopped a third of the way: the run ends at once, with no file.
    std::stop_source stop;
    int reportsAfterStop = 0;
    CorRelationOptions options{.Threads = 3,
                               .Progress =
                                   [&](std::int64_t done, std::int64_t of) {
                                       if (stop.stop_requested()) ++reportsAfterStop;
                                       if (done * 3 > of) stop.request_stop();
                                   },
                               .Stop = stop.get_token()};
    EXPECT_THROW(RunGroup(p, options), CorRelationCancelled);
    EXPECT_LE(reportsAfterStop, 1);
    for (const std::string* name : {&p.XYFile, &p.ThetaRFile, &p.InfoFile, &p.GrayXFile, &p.BinXFile})
        EXPECT_FALSE(std::filesystem::exists(*name)) << *name;
}

TEST(CorRelationPool, RunsEveryPartOnceOnEveryWidthAndPassesAnErrorOn) {
    CorRelationPool pool(3);
    for (int width : {1, 2, 5}) {
        std::vector<std::atomic<int>> runs(97);
        pool.Run(97, width, [&](int lane, int part) {
            ASSERT_LT(lane, width);
            ++runs[static_cast<std::size_t>(part)];
        });
        for (const auto& r : runs)
            EXPECT_EQ(r.load(), 1) << width;
    }
    EXPECT_THROW(pool.Run(50, 3,
                          [&](int, int part) {
                              if (part == 4) throw std::runtime_error("part 4");
                          }),
                 std::runtime_error);

    // A batch asked for while every worker is busy with another caller's batch ends before that
    // one: its caller computes it (the busy parts give up after five seconds).
    CorRelationPool one(1);
    std::atomic<bool> secondDone{false}, gaveUp{false};
    std::thread busy([&] {
        one.Run(2, 2, [&](int, int) {
            for (int i = 0; i < 500 && !secondDone.load(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!secondDone.load()) gaveUp = true;
        });
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::atomic<int> parts{0};
    one.Run(5, 2, [&](int, int) { ++parts; });
    secondDone = true;
    busy.join();
    EXPECT_EQ(parts.load(), 5);
    EXPECT_FALSE(gaveUp.load());
}

} // namespace
} // namespace corvane
