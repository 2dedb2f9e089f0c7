#include "app/cli/CliVerb.h"
#include "app/cli/CorrelateConsole.h"
#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationJob.h"

#include <cstdio>

namespace corvane::cli {

namespace {

int RunCorrelate(CliArgs& args) {
    const GroupOptions groupOptions = GroupOptions::Take(args, true);
    const std::string configFile = args.Positionals(1, 1).front();
    InterruptWatch interrupt;
    ProgressBar bar;
    int running = 0;
    CorRelationOptions options;
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
                            r.Groups, r.Seconds, r.Fast ? "fast" : "normal",
                            static_cast<long long>(r.PointsComputed), static_cast<long long>(r.AllPoints));
                std::fflush(stdout);
            },
            [&](int group, int) { running = group; }, options);
    } catch (const CorRelationCancelled&) {
        bar.Clear();
        std::fprintf(stderr, "corvane-cli correlate: interrupted; group %d wrote nothing\n", running);
        return kInterruptedStatus;
    }
    return interrupt.Interrupted() ? kInterruptedStatus : 0;
}

} // namespace

extern const Verb kCorrelateVerb = {
    "correlate", "run every group of a correlation configuration file (as corvane-correlate does)",
    "Usage: corvane-cli correlate [--refine] [--min-correlation C] FILE.cor\n"
    "\n"
    "Runs every parameter group of the configuration file in file order, exactly as a\n"
    "configuration-file job of the workbench does; file names in the file are relative to its\n"
    "folder. One line is printed per finished group. When a group fails, the later groups are\n"
    "not run. Ctrl+C stops the group being run, which writes nothing (exit status 130).\n"
    "\n"
    "--refine   refine every point of every normal group to a few thousandths of a pixel\n"
    "           (Gauss-Newton), as the line \"Subpixel Refinement(0=none, 1=gauss-newton) =1\"\n"
    "           at the end of a group does.\n"
    "--min-correlation C\n"
    "           mark points whose zero-normalised correlation is below C (0 to 1), and points\n"
    "           whose refinement diverged, not computed in the maps and leave them out of the\n"
    "           tables, for every group, as the line \"Minimum Correlation(0=keep every point) =C\"\n"
    "           does; 0 keeps every point.\n",
    RunCorrelate};

} // namespace corvane::cli
