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
    if (!method) throw UsageError("--method region|scanline|quality is missing");
    if (*method != "region" && *method != "quality" && *method != "scanline")
        throw UsageError("--method: '" + *method + "' is not region, scanline or quality");
    const bool scanLine = *method == "scanline";
    const bool quality = *method == "quality";
    const std::string output = args.Output();
    const auto start = args.Ints("--start", 2);
    const auto thresholdText = args.Value("--threshold");
    const float threshold =
        static_cast<float>(thresholdText ? CliArgs::ParseDouble("--threshold", *thresholdText) : 0.5);
    const bool maskNoise = args.Flag("--mask-noise");
    const auto invalidThreshold = args.Value("--invalid-threshold");
    const auto invalidArea = args.Value("--invalid-area");
    const auto median = args.Value("--median");
    const auto qualityMap = args.Value("--quality-map");
    const std::string input = args.Positionals(1, 1).front();

    if (!scanLine && median) throw UsageError("--median belongs to --method scanline");
    if (scanLine && (maskNoise || invalidThreshold || invalidArea))
        throw UsageError("--mask-noise, --invalid-threshold and --invalid-area belong to --method region or "
                         "quality");
    if (invalidThreshold && !maskNoise) throw UsageError("--invalid-threshold needs --mask-noise");
    // The quality-guided method has no jump threshold: there it only serves Mask Noise.
    if (quality && thresholdText && !maskNoise)
        throw UsageError("--threshold with --method quality needs --mask-noise");
    if (qualityMap && !quality) throw UsageError("--quality-map belongs to --method quality");
    if (qualityMap && *qualityMap == output) throw UsageError("--quality-map and -o name the same file");
    const int medianSize = median ? CliArgs::ParseInt("--median", *median) : 0;
    if (median && medianSize < 1) throw UsageError("--median: the window size must be at least 1");

    std::int32_t x = 0, y = 0;
    if (!scanLine) {
        NewUnwrapModel model;
        model.OpenPhase(input);
        StartPoint(start, *model.Phase, x, y);
        NewUnwrapOptions options;
        options.PhaseFile = input;
        options.Threshold = threshold;
        options.Method = quality ? UnwrapMethod::QualityGuided : UnwrapMethod::RegionGrowing;
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
        if (qualityMap) model.Quality->SaveFlt(*qualityMap);
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
    "unwrap", "unwrap a wrapped phase map (region growing, quality guided or scan lines)",
    "Usage: corvane-cli unwrap --method region|scanline|quality IN.flt -o OUT.flt [--start X Y]\n"
    "           [--threshold 0.5] [--mask-noise] [--invalid-threshold 0.001]\n"
    "           [--invalid-area FILE.bmp] [--quality-map Q.flt] [--median N]\n"
    "\n"
    "Unwraps the wrapped phase map IN.flt (radians) and writes the unwrapped map, with the input's\n"
    "header, as OUT.flt: the map the unwrap tools save.\n"
    "\n"
    "  --method region     the region-growing tool (\"New Unwrap\", method \"Region growing\"):\n"
    "                      breadth-first growing from the start pixel over the valid pixels, then the\n"
    "                      invalid pixels of every row are filled from their valid neighbours.\n"
    "                      The fastest; right on clean fringes, but on noisy ones a single wrong step\n"
    "                      spreads over the rest of the map.\n"
    "  --method quality    the same tool with method \"Quality guided\": the pixels are joined from\n"
    "                      the most reliable (smallest second differences) down, so noise and bad areas\n"
    "                      stay local. Choose it for noisy fringes, speckle and maps with bad areas;\n"
    "                      no Mask Noise is needed. Two to five times slower than region growing\n"
    "                      (about 0.1 s per million pixels of a noisy map).\n"
    "                      Separate valid regions are each unwrapped; the start pixel keeps its value.\n"
    "  --method scanline   the simple tool (\"Simple Unwrap\"): rows from the start column outwards,\n"
    "                      then columns from the start row outwards. For clean maps only.\n"
    "  --start X Y         start pixel (default: the centre of the map, width/2, height/2)\n"
    "  --threshold T       jump threshold in units of 2 pi (default 0.5, a jump of pi); not used by\n"
    "                      --method quality. Mask Noise reads this same value in radians, not times\n"
    "                      2 pi: with 0.5 it marks clean fringes steeper than 0.5 rad per pixel.\n"
    "\n"
    "Region growing and quality guided:\n"
    "  --mask-noise        run Mask Noise first: 2 x 2 cells with a residue become invalid, take no\n"
    "                      part in the unwrap and are filled from their rows afterwards. On a noisy\n"
    "                      map it marks most pixels; prefer --method quality there.\n"
    "  --invalid-threshold R  residue threshold of Mask Noise (default 0.001)\n"
    "  --invalid-area FILE.bmp  invalid-area picture (level 255 = invalid); Mask Noise extends it,\n"
    "                      and its invalid pixels end at the map's minimum in the output\n"
    "\n"
    "Quality guided only:\n"
    "  --quality-map Q.flt  also write the reliability map: 1 / (1 + the sum of the squared second\n"
    "                      differences), 1 where the phase is smooth, toward 0 where it is noisy,\n"
    "                      0 where a pixel takes no part\n"
    "\n"
    "Scan lines only:\n"
    "  --median N          median-filter the input with an N x N window first (default: none).\n"
    "                      The input is the wrapped phase: the median smears its 2 pi jumps, and the\n"
    "                      unwrap then goes wrong in streaks. Use it only on maps whose fringes are\n"
    "                      wide; filter the unwrapped result instead (corvane-cli median).\n",
    RunUnwrap};

} // namespace corvane::cli
