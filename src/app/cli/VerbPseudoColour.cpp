#include "app/cli/CliVerb.h"
#include "phase/PseudoColor.h"

#include <memory>

namespace corvane::cli {

namespace {

int RunPseudoColour(CliArgs& args) {
    const auto maskFile = args.Value("--mask");
    const int doubles = args.Int("--multiple2", 0);
    const int halves = args.Int("--div2", 0);
    if (doubles < 0 || halves < 0) throw UsageError("--multiple2 and --div2 take a count of 0 or more");
    const std::string output = args.Output();
    const std::string phaseFile = args.Positionals(1, 1).front();

    TFloatImage phase(phaseFile);
    std::unique_ptr<TGrayImage> mask;
    if (maskFile) mask = std::make_unique<TGrayImage>(*maskFile);
    for (int i = 0; i < doubles; ++i)
        DoublePseudoColorFringes(phase);
    for (int i = 0; i < halves; ++i)
        HalvePseudoColorFringes(phase);
    SaveRgbPictureBmp(RenderPseudoColor(phase, mask.get()), output);
    return 0;
}

} // namespace

extern const Verb kPseudoColourVerb = {
    "pseudo-colour", "colour picture of a phase map, one colour per fringe order (PseudoColor Display)",
    "Usage: corvane-cli pseudo-colour [--mask MASK.bmp] [--multiple2 K] [--div2 K] PHASE.flt -o COLOUR.bmp\n"
    "\n"
    "Renders the float map (each value divided by the map's value scale) as the PseudoColor\n"
    "Display tool does: fringe orders -7..+7 have their own colours, blended linearly across each\n"
    "fringe of 2 pi; other orders and the background are teal. Written as a 24-bit colour BMP.\n"
    "  --mask MASK.bmp   pixels of level 255 are background; a mask of another size is ignored\n"
    "                    (default: no mask)\n"
    "  --multiple2 K     press the double button K times: the value scale times 0.5 each (default 0)\n"
    "  --div2 K          press the halve button K times: the value scale times 2 each (default 0)\n",
    RunPseudoColour};

} // namespace corvane::cli
