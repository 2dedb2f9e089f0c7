#include "app/cli/CliVerb.h"
#include "dotgrid/DotGridEncode.h"
#include "image/TGrayImage.h"

#include <optional>
#include <string>

namespace corvane::cli {

namespace {

int RunEncode(CliArgs& args) {
    const std::string output = args.Output();
    const bool whiteGrid = !args.Flag("--black");
    const std::optional<std::string> segment = args.Value("--segment");
    if (segment && *segment != "simple" && *segment != "adaptive")
        throw UsageError("--segment: '" + *segment + "' is neither simple nor adaptive");
    const std::optional<std::string> threshold = args.Value("--threshold");
    const std::optional<std::string> window = args.Value("--window");
    if (threshold && (!segment || *segment != "simple"))
        throw UsageError("--threshold belongs to --segment simple");
    if (window && (!segment || *segment != "adaptive"))
        throw UsageError("--window belongs to --segment adaptive");
    const std::string origin = args.Value("--origin").value_or("auto");
    if (origin != "auto" && origin != "ratio" && origin != "direct")
        throw UsageError("--origin: '" + origin + "' is not auto, ratio or direct");
    const std::optional<std::vector<double>> ratio = args.Doubles("--ratio", 2);
    const std::optional<std::vector<double>> originDot = args.Doubles("--origin-dot", 2);
    if (origin == "ratio" && !ratio) throw UsageError("--origin ratio needs --ratio K R");
    if (origin != "ratio" && ratio) throw UsageError("--ratio belongs to --origin ratio");
    if (origin == "direct" && !originDot) throw UsageError("--origin direct needs --origin-dot X Y");
    if (origin != "direct" && originDot) throw UsageError("--origin-dot belongs to --origin direct");
    const std::optional<std::vector<int>> range = args.Ints("--max", 2);
    const std::optional<std::vector<double>> scale = args.Doubles("--scale", 2);
    const std::string input = args.Positionals(1, 1).front();

    TPictureEncode request;
    request.WhiteGrid = whiteGrid;
    if (range) {
        request.MaxX = (*range)[0];
        request.MaxY = (*range)[1];
        if (request.MaxX < 0 || request.MaxY < 0)
            throw UsageError("--max: the half ranges must not be negative");
    }
    if (segment) request.Segment = *segment == "simple" ? TEncodeSegment::Simple : TEncodeSegment::Adaptive;
    if (threshold) request.Simple.Level = CliArgs::ParseInt("--threshold", *threshold);
    if (window) request.Adaptive.WindowSize = CliArgs::ParseInt("--window", *window);
    if (origin == "ratio") {
        request.Origin = TEncodeOrigin::Ratio;
        request.PitchX = static_cast<float>((*ratio)[0]);
        request.PitchY = static_cast<float>((*ratio)[1]);
    } else if (origin == "direct") {
        request.Origin = TEncodeOrigin::Direct;
        request.OriginX = static_cast<float>((*originDot)[0]);
        request.OriginY = static_cast<float>((*originDot)[1]);
    }
    if (scale) {
        request.ScaleX = static_cast<float>((*scale)[0]);
        request.ScaleY = static_cast<float>((*scale)[1]);
    }

    TGrayImage image(input);
    EncodePicture(image, request)->WriteCodeFile(output);
    return 0;
}

} // namespace

extern const Verb kEncodeVerb = {
    "encode", "encode the dots of a dot-grid picture into grid indices and write a code file",
    "Usage: corvane-cli encode IMAGE -o CODES.cod [--black] [--segment simple|adaptive]\n"
    "                          [--threshold T] [--window N] [--origin auto|ratio|direct]\n"
    "                          [--ratio K R] [--origin-dot X Y] [--max X Y] [--scale SX SY]\n"
    "\n"
    "Gives every dot of the BMP picture IMAGE integer grid indices (nx to the right, ny up the\n"
    "picture) from an origin dot, as \"Encoding\" does, and saves them as a code file (\"Save Codes\").\n"
    "Dots touching the border and those smaller than two thirds of the mean dot area (the \"Auto\"\n"
    "value) are left out; dots the walk over the lattice cannot reach are not written.\n"
    "\n"
    "  --black              the dots are darker than the background (default: white dots)\n"
    "  --segment METHOD     segment the picture first, as \"Simple Segment\" (simple) or \"Multi\n"
    "                       Segment\" (adaptive) do (default: the picture is already segmented,\n"
    "                       e.g. by 'corvane-cli segment': background 0, or 255 with --black)\n"
    "  --threshold T        simple: the threshold level (default 128)\n"
    "  --window N           adaptive: window size in pixels (default 150)\n"
    "  --origin auto        the origin is the dot nearest to the mean of all dots (\"Center Grid\n"
    "                       Dot\") and its neighbours are found from the nearest dot (default)\n"
    "  --origin ratio       the same origin, its neighbours predicted from the pitches --ratio K R\n"
    "                       (K along x, R along y, or any two numbers in that proportion: 1 2 for\n"
    "                       a lattice twice as tall as wide)\n"
    "  --origin direct      the origin is the dot nearest to --origin-dot X Y (pixels); its\n"
    "                       neighbours are the nearest dots to its right, below, left and above;\n"
    "                       it gets the indices (0, 0)\n"
    "  --max X Y            half ranges of the grid indices (default 50 50)\n"
    "  --scale SX SY        image scale written into the code file (default 1 1)\n",
    RunEncode};

} // namespace corvane::cli
