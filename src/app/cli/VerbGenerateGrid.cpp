#include "app/cli/CliVerb.h"
#include "phase/GridGenerator.h"

namespace corvane::cli {

namespace {

int RunGenerateGrid(CliArgs& args) {
    GridOptions o;
    o.Width = args.Int("--width", o.Width);
    o.Height = args.Int("--height", o.Height);
    o.XCarrier = static_cast<float>(args.Double("--x-carrier", o.XCarrier));
    o.YCarrier = static_cast<float>(args.Double("--y-carrier", o.YCarrier));
    o.LeanY = static_cast<float>(args.Double("--lean-y", o.LeanY));
    o.LeanX = static_cast<float>(args.Double("--lean-x", o.LeanX));
    o.InitPhase = static_cast<float>(args.Double("--init-phase", o.InitPhase));
    const std::string direction = args.Value("--direction").value_or("x");
    if (direction == "x")
        o.Direction = GridDirection::X;
    else if (direction == "y")
        o.Direction = GridDirection::Y;
    else if (direction == "xy")
        o.Direction = GridDirection::XAndY;
    else
        throw UsageError("--direction: '" + direction + "' is not x, y or xy");
    const std::string deformation = args.Value("--deformation").value_or("none");
    if (deformation == "none")
        o.Deformation = GridDeformation::None;
    else if (deformation == "cylinder")
        o.Deformation = GridDeformation::Cylinder;
    else if (deformation == "1/r")
        o.Deformation = GridDeformation::InverseR;
    else
        throw UsageError("--deformation: '" + deformation + "' is not none, cylinder or 1/r");
    const std::string output = args.Output();
    args.Positionals(0, 0);
    GenerateGrid(o)->SaveBmp(output);
    return 0;
}

} // namespace

extern const Verb kGenerateGridVerb = {
    "generate-grid", "cosine grid picture of a given carrier, tilt and phase (Generate Grid)",
    "Usage: corvane-cli generate-grid [OPTIONS] -o GRID.bmp\n"
    "\n"
    "Draws the Generate Grid tool's cosine grid, grey = trunc((cos t + 1) * 127.5).\n"
    "  --width W, --height H   size in pixels (default 256, 256)\n"
    "  --x-carrier FX          periods across the width (default 16)\n"
    "  --y-carrier FY          periods across the height (default 16)\n"
    "  --lean-y LY             periods added across the height to the x grid (default 0)\n"
    "  --lean-x LX             periods added across the width to the y grid (default 0)\n"
    "  --init-phase P          initial phase in units of pi (default 0)\n"
    "  --direction x|y|xy      \"X \", \"Y \" or the crossed \"X and Y \" grid (default x)\n"
    "  --deformation none|cylinder|1/r   the cylinder shifts the middle half of the rows (x) or\n"
    "                          columns (y); 1/r, and any deformation with xy, draw nothing (an all\n"
    "                          black picture) (default none)\n",
    RunGenerateGrid};

} // namespace corvane::cli
