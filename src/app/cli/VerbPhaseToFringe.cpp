#include "app/cli/CliVerb.h"
#include "phase/PhaseToFringe.h"

namespace corvane::cli {

namespace {

int RunPhaseToFringe(CliArgs& args) {
    const std::string output = args.Output();
    const TFloatImage phase(args.Positionals(1, 1).front());
    PhaseToFringe(phase)->SaveBmp(output);
    return 0;
}

} // namespace

extern const Verb kPhaseToFringeVerb = {
    "phase-to-fringe", "cosine fringe picture of a phase map (Phase To Fringe)",
    "Usage: corvane-cli phase-to-fringe PHASE.flt -o FRINGE.bmp\n"
    "\n"
    "Turns a float phase map back into fringes: grey = trunc((cos(value / s) + 1) * 127.5 + 0.5),\n"
    "limited to 0..255, with s the map's value scale (a value scale of 0 is refused).\n",
    RunPhaseToFringe};

} // namespace corvane::cli
