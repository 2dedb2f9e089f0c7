// The correlation engine on several lanes of the shared pool: every number of lanes gives the very
// files of the one-lane run; progress is reported and a stop request ends a run without files.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <stop_token>
#include <string>
#include <vector>

#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationJob.h"
#include "correlation/CorRelationPool.h"
#include "correlation/TCorRelation.h"
#include "support/SpeckleImages.h"
#include "support/TestSupport.h"

namespace corvane {
namespace {

// A 173 x 131 speckle pair, stretched along x and moved, on disk with the default parameters over
// nearly the whole picture; every output asked for.
struct Pair {
    test::TempDir dir;
    TCorRelationPara para;

    Pair() {
        const test::SpecklePair p = test::MakeSpecklePair(
            {.Width = 173, .Height = 131, .ShiftX = 1.6, .ShiftY = -2.3, .StretchX = 0.006, .Seed = 5});
        test::SaveGreyBmp(dir.File("test0.bmp"), 173, 131, p.Initial);
        test::SaveGreyBmp(dir.File("test2.bmp"), 173, 131, p.Deformed);
        GenerateConfigFile(dir.File("job.cor"));
        para = ReadConfigFile(dir.File("job.cor")).at(0);
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
}

} // namespace
} // namespace corvane
