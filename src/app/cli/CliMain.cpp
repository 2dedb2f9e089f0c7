// corvane-cli: every computation of the workbench's tools as a command, for scripts and machines
// without a display. "corvane-cli VERB [OPTIONS] INPUT... -o OUTPUT".
#include "app/cli/CliVerb.h"
#include "correlation/CorRelationPool.h"
#include "image/CorvaneError.h"

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using corvane::cli::Verbs;

void PrintVerbList(std::FILE* out) {
    std::fputs("Usage: corvane-cli VERB [OPTIONS] INPUT... -o OUTPUT\n"
               "       corvane-cli VERB --help      the verb's options and defaults\n"
               "\n"
               "Verbs:\n",
               out);
    for (const auto& verb : Verbs())
        std::fprintf(out, "  %-16s %s\n", verb.Name, verb.Summary);
    std::fputs("\nEvery verb takes --threads N: the workers of the verbs that compute on every core\n"
               "(correlate, correlate-series and the long computations); by default the CPUs the\n"
               "process may run on (its CPU affinity and control-group quota, as a batch system sets).\n",
               out);
    std::fputs("\nExit status: 0 on success, 1 when the computation or a file fails (nothing is written),\n"
               "2 for a wrong command line.\n",
               out);
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "C");
    if (argc < 2) {
        PrintVerbList(stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        PrintVerbList(stdout);
        return 0;
    }
    for (const auto& verb : Verbs()) {
        if (name != verb.Name) continue;
        std::vector<std::string> words(argv + 2, argv + argc);
        if (words.size() == 1 && (words[0] == "--help" || words[0] == "-h")) {
            std::fputs(verb.Help, stdout);
            return 0;
        }
        try {
            corvane::cli::CliArgs args(std::move(words));
            // Every verb takes --threads: the size of the process's one pool of workers.
            if (const auto threads = args.Value("--threads")) {
                const int n = corvane::cli::CliArgs::ParseInt("--threads", *threads);
                if (n < 1) throw corvane::cli::UsageError("--threads must be 1 or more, not " + *threads);
                corvane::CorRelationPool::SetSharedWorkers(n);
            }
            return verb.Run(args);
        } catch (const corvane::cli::UsageError& e) {
            std::fprintf(stderr, "corvane-cli %s: %s\n(see 'corvane-cli %s --help')\n", verb.Name, e.what(),
                         verb.Name);
            return 2;
        } catch (...) {
            std::fprintf(stderr, "corvane-cli %s: %s\n", verb.Name, corvane::DescribeCurrentError().c_str());
            return 1;
        }
    }
    std::fprintf(stderr, "corvane-cli: unknown verb '%s'\n\n", name.c_str());
    PrintVerbList(stderr);
    return 2;
}
