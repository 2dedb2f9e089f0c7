#include "app/cli/CliVerb.h"
#include "app/cli/CorrelateConsole.h"
#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationJob.h"
#include "correlation/CorRelationPool.h"

#include <cstdio>

namespace corvane::cli {

namespace {

int RunCorrelate(CliArgs& args) {
    const GroupOptions groupOptions = GroupOptions::Take(args, true);
    const std::string configFile = args.Positionals(1, 1).front();
    InterruptWatch interrupt;
    ProgressBar bar;
    StageTimings stages(bar);
    int running = 0;
    CorRelationOptions options;
    if (groupOptions.Timings) {
        std::fprintf(stderr, "workers: %d\n", CorRelationPool::SharedWorkers());
        options.Stage = [&](const char* stage, double seconds) {
            stages.Print("group " + std::to_string(running), stage, seconds);
        };
    }
    options.Stop = interrupt.Token();
    options.Progress = [&](std::int64_t done, std::int64_t all) {
        bar.Show("group " + std::to_string(running), static_cast<double>(done), static_cast<double>(all));
    };
    try {
        std::vector<TCorRelationPara> groups = ReadConfigFile(configFile);
        groupOptions.Apply(groups);
        RunGroups(
            groups,
            [&](const CorRelationGroupReport& r) {
                bar.Clear();
                std::printf("Group %d of %d done in %.1f s (%s): %lld of %lld points computed\n", r.Group,
                            r.Groups, r.Seconds, r.Fast ? "fast" : (r.GridOnly ? "grid only" : "normal"),
                            static_cast<long long>(r.PointsComputed), static_cast<long long>(r.AllPoints));
                std::fflush(stdout);
            },
            [&](int group, int) { running = group; }, options);
    } catch (const CorRelationCancelled&) {
        bar.Clear();
        std::fprintf(stderr, "corvane-cli correlate: %s; group %d wrote nothing\n", interrupt.What(),
                     running);
        return interrupt.Status();
    }
    return interrupt.Interrupted() ? interrupt.Status() : 0;
}

} // namespace

extern const Verb kCorrelateVerb = {
    "correlate", "run every group of a correlation configuration file (as corvane-correlate does)",
    "Usage: corvane-cli correlate [--refine] [--grid-only] [--min-correlation C] [--timings]\n"
    "                             [--threads N] FILE.cor\n"
    "\n"
    "Runs every parameter group of the configuration file in file order, exactly as a\n"
    "configuration-file job of the workbench does; file names in the file are relative to its\n"
    "folder. One line is printed per finished group. When a group fails, the later groups are\n"
    "not run. Ctrl+C stops the group being run, which writes nothing (exit status 130); so does\n"
    "SIGTERM, a batch job's time limit (exit status 143).\n"
    "\n"
    "--refine   refine every point of every normal group to a few thousandths of a pixel\n"
    "           (Gauss-Newton), as the line \"Subpixel Refinement(0=none, 1=gauss-newton) =1\"\n"
    "           at the end of a group does.\n"
    "--timings  print the number of workers and each stage's wall time (load, seeds, search,\n"
    "           refinement, post filter, each writer) on standard error.\n"
    "--threads N  workers to compute with; by default the CPUs the process may run on.\n"
    "--grid-only  compute only the points of each normal group's output grid, as the line\n"
    "           \"Compute Only Output Grid(0=no, 1=yes) =1\" at the end of a group does; the\n"
    "           float and grey maps then hold the grid.\n"
    "--min-correlation C\n"
    "           mark points whose zero-normalised correlation is below C (0 to 1), and points\n"
    "           whose refinement diverged, not computed in the maps and leave them out of the\n"
    "           tables, for every group, as the line \"Minimum Correlation(0=keep every point) =C\"\n"
    "           does; 0 keeps every point.\n",
    RunCorrelate};

} // namespace corvane::cli
