#include "app/cli/CliVerb.h"
#include "image/FileUtil.h"
#include "phase/MoireSimulation.h"

namespace corvane::cli {

namespace {

/// NAME.bmp -> NAME<k>.bmp (the digit goes before the extension, or at the end without one).
std::string StepFileName(const std::string& output, int k) {
    const std::string ext = LowerExtension(output);
    const std::string stem = output.substr(0, output.size() - ext.size());
    return stem + std::to_string(k) + (ext.empty() ? ".bmp" : output.substr(output.size() - ext.size()));
}

int RunMoireSimulate(CliArgs& args) {
    MoireSimulationOptions options;
    options.StepSize = args.Int("--step-size", 0);
    options.CarrierCount = args.Int("--carrier-size", 0);
    const std::string direction = args.Value("--direction").value_or("none");
    if (direction == "horizontal")
        options.Direction = MoireShiftDirection::AlongX;
    else if (direction == "vertical" || direction == "none")
        options.Direction = MoireShiftDirection::AlongY;
    else
        throw UsageError("--direction: '" + direction + "' is not horizontal, vertical or none");
    const std::string output = args.Output();
    const std::vector<std::string> files = args.Positionals(2, 2);
    const TGrayImage deformed(files[0]);
    const TGrayImage reference(files[1]);
    const MoireSimulationResult result = SimulateMoire(deformed, reference, options);
    for (int k = 0; k < 4; ++k)
        result.Steps[static_cast<std::size_t>(k)]->SaveBmp(StepFileName(output, k + 1));
    return 0;
}

} // namespace

extern const Verb kMoireSimulateVerb = {
    "moire-simulate",
    "four phase-shifted moire pictures from a deformed and a reference grid (Generate Moire)",
    "Usage: corvane-cli moire-simulate [--step-size S] [--carrier-size N] [--direction D]\n"
    "                                  DEFORMED REFERENCE -o NAME.bmp\n"
    "\n"
    "Simulates the four pictures of the equal-step tool's simulation page: the reference grid\n"
    "shifted by 0, S, 2 S and 3 S pixels, each multiplied with the deformed grid\n"
    "(trunc(sqrt(G * R))) and smoothed over one grid pitch along the shift direction.\n"
    "  --step-size S      Shifting Step Size in pixels (default 0); at most pitch div 4 - 1,\n"
    "                     a negative step becomes 1\n"
    "  --carrier-size N   How many Fringe: grid lines across the picture (default 0, which is\n"
    "                     refused); the pitch is trunc(size / N + 0.5)\n"
    "  --direction D      Fringe Main Direction: horizontal (shift along x), vertical (along y),\n"
    "                     or none (default; as the tool with no direction selected: along y)\n"
    "  -o NAME.bmp        writes NAME1.bmp ... NAME4.bmp (Step 1 ... Step 4)\n",
    RunMoireSimulate};

} // namespace corvane::cli
