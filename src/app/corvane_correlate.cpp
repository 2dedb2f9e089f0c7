// corvane-correlate: runs every group of a correlation configuration file from the command line,
// or writes the default configuration file to start from.
#include "app/cli/CliArgs.h"
#include "app/cli/CorrelateConsole.h"
#include "correlation/CorRelationConfig.h"
#include "correlation/CorRelationJob.h"
#include "correlation/CorRelationPool.h"
#include "image/CorvaneError.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: corvane-correlate [--refine] [--grid-only] [--min-correlation C] [--timings] [--threads N]\n"
    "                         FILE.cor\n"
    "       corvane-correlate --generate FILE.cor\n"
    "       corvane-correlate --help\n"
    "\n"
    "FILE.cor                 run every parameter group of the correlation configuration file in\n"
    "                         file order; one line is printed per finished group (group number,\n"
    "                         time, points computed). File names in the file are relative to the\n"
    "                         file's own folder. When a group fails its error is printed and the\n"
    "                         later groups are not run. On a terminal a progress bar is shown on\n"
    "                         standard error; Ctrl+C or SIGTERM (a batch job's time limit) stops\n"
    "                         the group being run, which then writes nothing (the groups done\n"
    "                         before keep their files).\n"
    "--refine                 refine every point of every normal group to a few thousandths of a\n"
    "                         pixel (Gauss-Newton), as the line \"Subpixel Refinement(0=none,\n"
    "                         1=gauss-newton) =1\" at the end of a group does.\n"
    "--grid-only              compute only the points of each normal group's output grid, as the\n"
    "                         line \"Compute Only Output Grid(0=no, 1=yes) =1\" at the end of a group\n"
    "                         does; the float and grey maps then hold the grid.\n"
    "--timings                print the number of workers and each stage's wall time (load, seeds,\n"
    "                         search, refinement, post filter, each writer) on standard error.\n"
    "--threads N              workers to compute with; by default the CPUs the process may run on\n"
    "                         (its CPU affinity and control-group quota, as a batch system sets).\n"
    "--min-correlation C      mark points whose zero-normalised correlation is below C (0 to 1),\n"
    "                         and points whose refinement diverged, not computed in the maps and\n"
    "                         leave them out of the tables, in every group, as the line \"Minimum\n"
    "                         Correlation(0=keep every point) =C\" does; 0 keeps every point.\n"
    "--generate FILE.cor      write the default configuration file, to be edited by hand.\n"
    "--help                   show this text.\n"
    "\n"
    "Exit status: 0 when every group ran, 1 when a group or the file failed, 2 on wrong usage,\n"
    "130 when stopped by Ctrl+C, 143 when stopped by SIGTERM.\n";

int Run(const std::string& configFile, const corvane::cli::GroupOptions& groupOptions) {
    int running = 0; // the group being run; 0 while the file is read
    int groups = 0;
    corvane::cli::InterruptWatch interrupt;
    corvane::cli::ProgressBar bar;
    corvane::cli::StageTimings stages(bar);
    corvane::CorRelationOptions options;
    if (groupOptions.Timings) {
        std::fprintf(stderr, "workers: %d\n", corvane::CorRelationPool::SharedWorkers());
        options.Stage = [&](const char* stage, double seconds) {
            stages.Print("group " + std::to_string(running), stage, seconds);
        };
    }
    options.Stop = interrupt.Token();
    options.Progress = [&](std::int64_t done, std::int64_t all) {
        bar.Show("group " + std::to_string(running) + " of " + std::to_string(groups),
                 static_cast<double>(done), static_cast<double>(all));
    };
    try {
        std::vector<corvane::TCorRelationPara> paras = corvane::ReadConfigFile(configFile);
        groupOptions.Apply(paras);
        corvane::RunGroups(
            paras,
            [&](const corvane::CorRelationGroupReport& r) {
                bar.Clear();
                std::printf("Group %d of %d done in %.1f s (%s): %lld of %lld points computed\n", r.Group,
                            r.Groups, r.Seconds, r.Fast ? "fast" : (r.GridOnly ? "grid only" : "normal"),
                            static_cast<long long>(r.PointsComputed), static_cast<long long>(r.AllPoints));
                std::fflush(stdout);
            },
            [&](int group, int count) { running = group, groups = count; }, options);
    } catch (const corvane::CorRelationCancelled&) {
        bar.Clear();
        std::fprintf(stderr, "corvane-correlate: %s; group %d wrote nothing\n", interrupt.What(), running);
        return interrupt.Status();
    } catch (...) {
        bar.Clear();
        const std::string what = corvane::DescribeCurrentError();
        if (running == 0)
            std::fprintf(stderr, "corvane-correlate: %s: %s\n", configFile.c_str(), what.c_str());
        else
            std::fprintf(stderr, "corvane-correlate: group %d: %s\n", running, what.c_str());
        return 1;
    }
    // Stopped while the last files were being written: they are complete, but the user asked to stop.
    return interrupt.Interrupted() ? interrupt.Status() : 0;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.size() == 1 && (words[0] == "--help" || words[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (words.size() == 2 && words[0] == "--generate") {
        try {
            corvane::GenerateConfigFile(words[1]);
        } catch (...) {
            std::fprintf(stderr, "corvane-correlate: %s: %s\n", words[1].c_str(),
                         corvane::DescribeCurrentError().c_str());
            return 1;
        }
        std::printf("Default configuration written to %s\n", words[1].c_str());
        return 0;
    }
    try {
        corvane::cli::CliArgs args(std::move(words));
        if (const auto threads = args.Value("--threads")) {
            const int n = corvane::cli::CliArgs::ParseInt("--threads", *threads);
            if (n < 1 || !corvane::CorRelationPool::SetSharedWorkers(n))
                throw corvane::cli::UsageError("--threads must be 1 or more, not " + *threads);
        }
        const corvane::cli::GroupOptions groupOptions = corvane::cli::GroupOptions::Take(args, true);
        const std::string configFile = args.Positionals(1, 1).front();
        args.Finish();
        return Run(configFile, groupOptions);
    } catch (const corvane::cli::UsageError& e) {
        std::fprintf(stderr, "corvane-correlate: %s\n", e.what());
    }
    std::fputs(kUsage, stderr);
    return 2;
}
