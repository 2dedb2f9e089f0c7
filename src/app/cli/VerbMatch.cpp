#include "app/cli/CliVerb.h"
#include "dotgrid/MatchResultFile.h"
#include "dotgrid/TCodeMatch.h"

#include <string>

namespace corvane::cli {

namespace {

int RunMatch(CliArgs& args) {
    const std::string output = args.Output();
    const int layout = args.Int("--layout", 1);
    if (layout < 0 || layout > 7)
        throw UsageError("--layout: " + std::to_string(layout) + " is not one of 0..7");
    const bool change = args.Flag("--change-y");
    const bool keep = args.Flag("--keep-y");
    if (change && keep) throw UsageError("--change-y and --keep-y exclude each other");
    const std::vector<std::string> files = args.Positionals(2, 2);

    TCodeMatch match(files[0], files[1]);
    WriteMatchResult(output, match, static_cast<TMatchResultLayout>(layout), !keep);
    return 0;
}

} // namespace

extern const Verb kMatchVerb = {
    "match", "match the codes of an initial and a deformed dot grid into displacements",
    "Usage: corvane-cli match INITIAL.cod DEFORMED.cod -o RESULT.dat [--layout 0..7]\n"
    "                         [--change-y | --keep-y]\n"
    "\n"
    "Reads two code files, pairs their dots by grid indices over the smaller of the two index\n"
    "ranges, and writes the displacement of each matched dot (deformed minus initial, in the\n"
    "files' scaled units) as \"Save Match\" does, rows ordered by ny then nx.\n"
    "\n"
    "  --layout N     the columns (default 1):\n"
    "                 0 x y theta r       1 x y dx dy         2 x y dx        3 x y dy\n"
    "                 4 index x y dx dy   5 index x y theta r\n"
    "                 6 nx ny x y dx dy   7 nx ny x y theta r\n"
    "  --change-y     Y = image height - y and dy positive up the picture (default)\n"
    "  --keep-y       Y = y and dy positive down the picture\n",
    RunMatch};

} // namespace corvane::cli
