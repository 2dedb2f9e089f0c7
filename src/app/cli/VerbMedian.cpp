#include "app/cli/CliVerb.h"
#include "image/FileUtil.h"
#include "image/MedianFilterTool.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

namespace corvane::cli {

namespace {

int RunMedian(CliArgs& args) {
    const int size = args.Int("--size", 3);
    const std::string output = args.Output();
    const std::string input = args.Positionals(1, 1).front();
    if (LowerExtension(input) == ".flt") {
        if (LowerExtension(output) != ".flt") throw UsageError("a float map is saved as an .flt file");
        TFloatImage map(input);
        ApplyMedianFilterTool(map, size);
        map.SaveFlt(output);
    } else {
        TGrayImage image(input);
        ApplyMedianFilterTool(image, size);
        image.SaveToFile(output);
    }
    return 0;
}

} // namespace

extern const Verb kMedianVerb = {
    "median", "square median filter of a grey picture or a float map",
    "Usage: corvane-cli median IMAGE|MAP.flt [--size N] -o OUT\n"
    "\n"
    "Filters as the \"Filter\" dialog does with its track bar at N: a square median window of\n"
    "N x N, an even N raised by one (4 filters with 5 x 5), N = 1 (or less) leaves the input as\n"
    "it is. Border pixels within half a window keep their values.\n"
    "A BMP picture (colour read as grey) is saved to OUT.bmp or OUT.raw by the extension; a float\n"
    "map (.flt) is saved as an FLT map with its header scales.\n"
    "\n"
    "Options:\n"
    "  --size N   the window side (default 3, the dialog's track bar default)\n"
    "  -o OUT     the filtered picture or map\n"
    "\n"
    "Example: corvane-cli median noisy.bmp --size 5 -o smooth.bmp\n",
    RunMedian};

} // namespace corvane::cli
