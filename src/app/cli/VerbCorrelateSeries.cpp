#include "app/cli/CliVerb.h"
#include "app/cli/CorrelateConsole.h"
#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationJob.h"
#include "correlation/CorRelationPool.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <set>
#include <unistd.h>

namespace corvane::cli {

namespace {

struct Shard {
    int K = 0, N = 1;
};

Shard ParseShard(const std::string& text) {
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) throw UsageError("--shard: '" + text + "' is not K/N");
    Shard s{CliArgs::ParseInt("--shard", text.substr(0, slash)),
            CliArgs::ParseInt("--shard", text.substr(slash + 1))};
    if (s.N < 1 || s.K < 0 || s.K >= s.N) throw UsageError("--shard: K/N needs 0 <= K < N");
    return s;
}

// The group's output names moved into the output folder, each prefixed with the frame's name.
TCorRelationPara FramePara(const TCorRelationPara& group, const std::string& reference,
                           const std::string& frame, const std::filesystem::path& outDir) {
    namespace fs = std::filesystem;
    TCorRelationPara p = group;
    p.InitialFile = reference;
    p.DeformedFile = frame;
    const std::string stem = fs::path(frame).stem().string();
    for (std::string TCorRelationPara::*name :
         {&TCorRelationPara::XYFile, &TCorRelationPara::ThetaRFile, &TCorRelationPara::InfoFile,
          &TCorRelationPara::GrayXFile, &TCorRelationPara::GrayYFile, &TCorRelationPara::BinXFile,
          &TCorRelationPara::BinYFile})
        p.*name = (outDir / (stem + "_" + fs::path(p.*name).filename().string())).string();
    return p;
}

// How many frames run at once: one per worker of the pool, each on one lane, as long as their
// pictures and work arrays (about 40 bytes per pixel) fit in half the memory; otherwise one frame
// at a time with every lane on its points.
int FramesAtOnce(int frames, std::int64_t pixels) {
    const int workers = CorRelationPool::Shared().Workers();
    int at = std::min(workers, frames);
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0 && pixels > 0) {
        const double budget = 0.5 * static_cast<double>(pages) * static_cast<double>(pageSize);
        at = std::min(at, static_cast<int>(budget / (42.0 * static_cast<double>(pixels))));
    }
    return std::max(at, 1);
}

int RunCorrelateSeries(CliArgs& args) {
    namespace fs = std::filesystem;
    const auto config = args.Value("--config");
    if (!config) throw UsageError("the configuration file is missing (--config GROUP.cor)");
    const auto shardText = args.Value("--shard");
    const Shard shard = shardText ? ParseShard(*shardText) : Shard{};
    const GroupOptions groupOptions = GroupOptions::Take(args, false);
    const fs::path outDir = args.Output();
    const std::vector<std::string> words = args.Positionals(2, 1000000);
    const std::string reference = words.front();
    const std::vector<std::string> frames(words.begin() + 1, words.end());
    std::set<std::string> stems;
    for (const std::string& frame : frames)
        if (!stems.insert(fs::path(frame).stem().string()).second)
            throw UsageError("two frames are named " + fs::path(frame).stem().string() +
                             ": their result files would overwrite each other");

    std::vector<TCorRelationPara> groups = ReadConfigFile(*config);
    groupOptions.Apply(groups);
    if (groups.size() != 1)
        throw CorvaneError(*config + " holds " + std::to_string(groups.size()) +
                           " groups; a series is correlated with one");
    fs::create_directories(outDir);
    std::vector<std::string> mine;
    for (std::size_t i = static_cast<std::size_t>(shard.K); i < frames.size();
         i += static_cast<std::size_t>(shard.N))
        mine.push_back(frames[i]);
    if (mine.empty()) return 0;

    const TGrayImage first(reference);
    const int total = static_cast<int>(mine.size());
    const int atOnce = FramesAtOnce(total, static_cast<std::int64_t>(first.Width) * first.Height);
    InterruptWatch interrupt;
    ProgressBar bar;
    StageTimings stages(bar);
    if (groupOptions.Timings)
        std::fprintf(stderr, "workers: %d, frames at once: %d\n", CorRelationPool::SharedWorkers(), atOnce);
    std::mutex output;
    std::atomic<int> done{0};
    std::vector<std::string> failures(mine.size());
    std::atomic<bool> cancelled{false};

    auto runFrame = [&](int lane, int index) {
        (void)lane;
        const std::string& frame = mine[static_cast<std::size_t>(index)];
        CorRelationOptions options;
        options.Threads = atOnce > 1 ? 1 : 0;
        options.Stop = interrupt.Token();
        if (groupOptions.Timings)
            options.Stage = [&](const char* stage, double seconds) { stages.Print(frame, stage, seconds); };
        if (atOnce == 1)
            options.Progress = [&](std::int64_t points, std::int64_t all) {
                bar.Show("frames", done.load() + (all > 0 ? static_cast<double>(points) / all : 0.0), total);
            };
        try {
            const CorRelationGroupReport r =
                RunGroup(FramePara(groups.front(), reference, frame, outDir), options);
            const int finished = ++done;
            std::lock_guard lock(output);
            bar.Clear();
            std::printf("%s: %lld of %lld points computed in %.1f s\n", frame.c_str(),
                        static_cast<long long>(r.PointsComputed), static_cast<long long>(r.AllPoints),
                        r.Seconds);
            std::fflush(stdout);
            bar.Show("frames", finished, total);
        } catch (const CorRelationCancelled&) {
            cancelled = true;
        } catch (...) {
            failures[static_cast<std::size_t>(index)] = DescribeCurrentError();
            ++done;
        }
    };
    if (atOnce > 1)
        CorRelationPool::Shared().Run(total, atOnce, runFrame);
    else
        for (int i = 0; i < total && !cancelled; ++i)
            runFrame(0, i);
    bar.Clear();

    int failed = 0;
    for (std::size_t i = 0; i < mine.size(); ++i)
        if (!failures[i].empty()) {
            std::fprintf(stderr, "corvane-cli correlate-series: %s: %s\n", mine[i].c_str(),
                         failures[i].c_str());
            ++failed;
        }
    if (cancelled || interrupt.Interrupted()) {
        std::fprintf(stderr,
                     "corvane-cli correlate-series: %s; %d of %d frames finished (each named above), the "
                     "others wrote nothing\n",
                     interrupt.What(), done.load() - failed, total);
        return interrupt.Interrupted() ? interrupt.Status() : kInterruptedStatus;
    }
    return failed > 0 ? 1 : 0;
}

} // namespace

extern const Verb kCorrelateSeriesVerb = {
    "correlate-series", "correlate every frame of a series against one reference picture",
    "Usage: corvane-cli correlate-series REFERENCE FRAME... --config GROUP.cor -o OUTDIR [--shard K/N]\n"
    "                                    [--grid-only] [--min-correlation C] [--timings] [--threads N]\n"
    "\n"
    "Correlates every FRAME against REFERENCE with the parameters of the one group of GROUP.cor\n"
    "(its picture names are not used; its mask file is). Each frame's result files go into OUTDIR,\n"
    "named after the frame: frame7.bmp gives frame7_xy.dat, frame7_thetar.dat, frame7_info.inf and,\n"
    "when the group asks for them, the grey pictures and float maps. Frames run side by side, one\n"
    "per core, when their pictures fit in half the memory; otherwise one after another, each on\n"
    "every core. One line is printed per finished frame; a frame that fails is reported at the end\n"
    "and the others still run.\n"
    "\n"
    "--shard K/N   run only the frames K, K+N, K+2N, ... (counted from 0 in the order given), so N\n"
    "              machines or cluster tasks, one per K, together correlate the whole series.\n"
    "--timings     print the workers and each frame's stage times (load, seeds, search, refinement,\n"
    "              post filter, each writer) on standard error.\n"
    "--threads N   workers to compute with; by default the CPUs the process may run on.\n"
    "--grid-only   compute only the points of the group's output grid, as the line \"Compute Only\n"
    "              Output Grid(0=no, 1=yes) =1\" in GROUP.cor does.\n"
    "--min-correlation C\n"
    "              mark points whose zero-normalised correlation is below C (0 to 1), and points\n"
    "              whose refinement diverged, not computed in the maps and leave them out of the\n"
    "              tables, as the line \"Minimum Correlation(0=keep every point) =C\" does.\n"
    "\n"
    "Exit status: 0 when every frame was correlated, 1 when a frame failed, 2 on wrong usage, 130\n"
    "when stopped by Ctrl+C, 143 when stopped by SIGTERM (frames not finished write nothing; the\n"
    "finished ones are named as they finish).\n",
    RunCorrelateSeries};

} // namespace corvane::cli
