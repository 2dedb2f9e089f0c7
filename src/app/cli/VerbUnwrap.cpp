#include "app/cli/CliVerb.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "phase/NewUnwrapModel.h"
#include "phase/SimpleUnwrap.h"

#include <cstdio>
#include <optional>

namespace corvane::cli {

namespace {

/// The start pixel: --start X Y, or the centre of the map.
void StartPoint(const std::optional<std::vector<int>>& start, const TFloatImage& map, std::int32_t& x,
                std::int32_t& y) {
    x = start ? (*start)[0] : map.Width / 2;
    y = start ? (*start)[1] : map.Height / 2;
}

int RunUnwrap(CliArgs& args) {
    const std::optional<std::string> method = args.Value("--method");
    if (!method) throw UsageError("--method region|scanline is missing");
    if (*method != "region" && *method != "scanline")
        throw UsageError("--method: '" + *method + "' is neither region nor scanline");
    const bool region = *method == "region";
    const std::string output = args.Output();
    const auto start = args.Ints("--start", 2);
    const float threshold = static_cast<float>(args.Double("--threshold", 0.5));
    const bool maskNoise = args.Flag("--mask-noise");
    const auto invalidThreshold = args.Value("--invalid-threshold");
    const auto invalidArea = args.Value("--invalid-area");
    const auto median = args.Value("--median");
    const std::string input = args.Positionals(1, 1).front();

    if (region && median) throw UsageError("--median belongs to --method scanline");
    if (!region && (maskNoise || invalidThreshold || invalidArea))
        throw UsageError("--mask-noise, --invalid-threshold and --invalid-area belong to --method region");
    if (invalidThreshold && !maskNoise) throw UsageError("--invalid-threshold needs --mask-noise");
    const int medianSize = median ? CliArgs::ParseInt("--median", *median) : 0;
    if (median && medianSize < 1) throw UsageError("--median: the window size must be at least 1");

    std::int32_t x = 0, y = 0;
    if (region) {
        NewUnwrapModel model;
        model.OpenPhase(input);
        StartPoint(start, *model.Phase, x, y);
        NewUnwrapOptions options;
        options.PhaseFile = input;
        options.Threshold = threshold;
        if (invalidThreshold)
            options.InvalidThreshold =
                static_cast<float>(CliArgs::ParseDouble("--invalid-threshold", *invalidThreshold));
        if (invalidArea) {
            // The tool quietly ignores a missing file; named on a command line it is a mistake.
            if (!FileExists(*invalidArea)) throw CorvaneError(*invalidArea + ": not exists");
            options.UseInvalidAreaFile = true;
            options.InvalidAreaFile = *invalidArea;
        }
        options.StartX = x;
        options.StartY = y;
        if (maskNoise) model.MaskNoise(options);
        model.Unwrap(options);
        model.Phase->SaveFlt(output);
    } else {
        SimpleUnwrapModel model;
        model.OpenPhase(input);
        StartPoint(start, *model.Input, x, y);
        if (median) model.MedianInput(medianSize);
        model.Unwrap(threshold, x, y);
        model.Output->SaveFlt(output);
    }
    std::printf("Unwrapped %s from (%d,%d) into %s\n", input.c_str(), x, y, output.c_str());
    return 0;
}

} // namespace

extern const Verb kUnwrapVerb = {
    "unwrap", "unwrap a wrapped phase map (region growing or scan lines)",
    "Usage: corvane-cli unwrap --method region|scanline IN.flt -o OUT.flt [--start X Y]\n"
    "           [--threshold 0.5] [--mask-noise] [--invalid-threshold 0.001]\n"
    "           [--invalid-area FILE.bmp] [--median N]\n"
    "\n"
    "Unwraps the wrapped phase map IN.flt (radians) and writes the unwrapped map, with the input's\n"
    "header, as OUT.flt: the map the unwrap tools save.\n"
    "\n"
    "  --method region     the region-growing tool (\"New Unwrap\"): breadth-first growing from the\n"
    "                      start pixel over the valid pixels, then the invalid pixels of every row are\n"
    "                      filled from their valid neighbours.\n"
    "  --method scanline   the simple tool (\"Simple Unwrap\"): rows from the start column outwards,\n"
    "                      then columns from the start row outwards.\n"
    "  --start X Y         start pixel (default: the centre of the map, width/2, height/2)\n"
    "  --threshold T       jump threshold in units of 2 pi (default 0.5, a jump of pi); with\n"
    "                      --mask-noise it is also the residue test's wrap threshold in radians\n"
    "\n"
    "Region growing only:\n"
    "  --mask-noise        run Mask Noise first: 2 x 2 cells with a residue become invalid\n"
    "  --invalid-threshold R  residue threshold of Mask Noise (default 0.001)\n"
    "  --invalid-area FILE.bmp  invalid-area picture (level 255 = invalid); Mask Noise extends it,\n"
    "                      and its invalid pixels end at the map's minimum in the output\n"
    "\n"
    "Scan lines only:\n"
    "  --median N          median-filter the input with an N x N window first (default: none)\n",
    RunUnwrap};

} // namespace corvane::cli
