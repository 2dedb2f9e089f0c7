#include "app/cli/CliVerb.h"
#include "dotgrid/DotExtraction.h"
#include "dotgrid/DotTableFile.h"
#include "dotgrid/TThresholdSegment.h"
#include "image/TGrayImage.h"

#include <optional>
#include <string>

namespace corvane::cli {

namespace {

int RunSegment(CliArgs& args) {
    const std::optional<std::string> method = args.Value("--method");
    if (!method) throw UsageError("--method simple|adaptive is missing");
    if (*method != "simple" && *method != "adaptive")
        throw UsageError("--method: '" + *method + "' is neither simple nor adaptive");
    const bool simple = *method == "simple";
    const std::string output = args.Output();
    const bool whiteDots = !args.Flag("--black");
    const std::optional<std::string> threshold = args.Value("--threshold");
    const std::optional<std::string> window = args.Value("--window");
    const std::optional<std::string> adjust = args.Value("--adjust");
    const std::optional<std::string> dotsFile = args.Value("--dots");
    if (simple && (window || adjust)) throw UsageError("--window and --adjust belong to --method adaptive");
    if (!simple && threshold) throw UsageError("--threshold belongs to --method simple");
    const std::string input = args.Positionals(1, 1).front();

    TGrayImage image(input);
    if (simple) {
        TSimpleSegmentOptions options;
        options.WhiteDots = whiteDots;
        if (threshold) options.Level = CliArgs::ParseInt("--threshold", *threshold);
        SegmentSimple(image, options);
    } else {
        TAdaptiveSegmentOptions options;
        options.WhiteDots = whiteDots;
        if (window) options.WindowSize = CliArgs::ParseInt("--window", *window);
        if (adjust) options.Adjust = CliArgs::ParseInt("--adjust", *adjust);
        SegmentAdaptive(image, options);
    }
    // Everything that can fail in the computation happens before the first file is written.
    std::vector<TDotInfo> dots;
    if (dotsFile) {
        TDotExtractionOptions extraction;
        extraction.WhiteDots = whiteDots;
        dots = ExtractDots(image, extraction);
    }
    image.SaveToFile(output);
    if (dotsFile) WriteDotTable(*dotsFile, dots);
    return 0;
}

} // namespace

extern const Verb kSegmentVerb = {
    "segment", "segment a dot-grid or speckle picture; optionally list its dots",
    "Usage: corvane-cli segment --method simple|adaptive IMAGE -o SEGMENTED.bmp [--black]\n"
    "                           [--threshold T] [--window N] [--adjust A] [--dots DOTS.txt]\n"
    "\n"
    "Separates the dots of the BMP picture IMAGE from their background, as \"Simple Segment\"\n"
    "(--method simple) or \"Multi  Segment\" (--method adaptive) do, and saves the segmented\n"
    "picture (.bmp or .raw). Pixels on the background side of the threshold become the background\n"
    "(0 for white dots, 255 for black dots); dot pixels keep their grey value.\n"
    "\n"
    "  --black          the dots are darker than the background (default: white dots)\n"
    "  --threshold T    simple: the one threshold level (default 128)\n"
    "  --window N       adaptive: window size in pixels, across and down (default 150); at most\n"
    "                   half the smaller side of the picture\n"
    "  --adjust A       adaptive: added to every window mean (default 0)\n"
    "  --dots DOTS.txt  also write the dot table of the segmented picture: components touching the\n"
    "                   border and those smaller than two thirds of the mean component area are\n"
    "                   dropped; one line per dot \"number x y area\", the grey-weighted centroid in\n"
    "                   pixels (x from the left, y from the top), dots numbered in raster order\n",
    RunSegment};

} // namespace corvane::cli
