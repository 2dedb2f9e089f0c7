#include "app/cli/CliVerb.h"
#include "phase/GeometricMoire.h"

namespace corvane::cli {

namespace {

int RunGeometricMoire(CliArgs& args) {
    const std::string output = args.Output();
    const std::vector<std::string> files = args.Positionals(2, 2);
    const TGrayImage a(files[0]);
    const TGrayImage b(files[1]);
    GeometricMoire(a, b)->SaveBmp(output);
    return 0;
}

} // namespace

extern const Verb kGeometricMoireVerb = {
    "geometric-moire", "moire picture of two grid pictures (Geometric Moire)",
    "Usage: corvane-cli geometric-moire A B -o MOIRE.bmp\n"
    "\n"
    "Multiplies two grid pictures into a moire picture of A's size: trunc(sqrt(A * B)) per pixel.\n"
    "B must be at least as wide and as high as A; a larger B is read over A's extent.\n",
    RunGeometricMoire};

} // namespace corvane::cli
