#include "app/cli/CliVerb.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "phase/AbsolutePhase.h"

#include <cstdio>

namespace corvane::cli {

namespace {

int RunAbsolute(CliArgs& args) {
    const std::string output = args.Output();
    const auto order = args.Values("--order", 3);
    const auto pitch = args.Value("--pitch");
    const auto known = args.Values("--known", 3);
    const auto grid = args.Ints("--grid", 2);
    const auto range = args.Ints("--range", 4);
    const auto mask = args.Value("--mask");
    const std::string input = args.Positionals(1, 1).front();

    const std::string extension = LowerExtension(output);
    if (extension != ".flt" && extension != ".dat")
        throw UsageError("-o: the output must end in .flt or .dat");
    const bool table = extension == ".dat";
    if (!table && (grid || range || mask))
        throw UsageError("--grid, --range and --mask belong to a .dat output");
    float pitchValue = 1.0f;
    if (pitch) {
        pitchValue = static_cast<float>(CliArgs::ParseDouble("--pitch", *pitch));
        if (pitchValue == 0.0f) throw UsageError("--pitch: the grid pitch can not be 0");
    }
    if (grid && ((*grid)[0] < 1 || (*grid)[1] < 1)) throw UsageError("--grid: the steps must be at least 1");

    TFloatImage map(input);
    if (order)
        map.SetFringeOrder(CliArgs::ParseInt("--order", (*order)[0]),
                           CliArgs::ParseInt("--order", (*order)[1]),
                           CliArgs::ParseInt("--order", (*order)[2]));
    if (pitch) ConvertToDisplacement(map, pitchValue);
    if (known)
        map.ShiftToValue(CliArgs::ParseInt("--known", (*known)[0]), CliArgs::ParseInt("--known", (*known)[1]),
                         static_cast<float>(CliArgs::ParseDouble("--known", (*known)[2])));

    if (table) {
        DisplacementTableOptions options;
        if (grid) {
            options.UseOutputGrid = true;
            options.GridX = (*grid)[0];
            options.GridY = (*grid)[1];
        }
        if (range) {
            options.UseOutputRange = true;
            options.Left = (*range)[0];
            options.Top = (*range)[1];
            options.Right = (*range)[2];
            options.Bottom = (*range)[3];
        }
        if (mask) {
            // The tool quietly writes every pixel when the mask is missing; named here it is a mistake.
            if (!FileExists(*mask)) throw CorvaneError(*mask + ": not exists");
            options.UseMask = true;
            options.MaskFile = *mask;
        }
        SaveDisplacementTable(map, output, options);
    } else {
        map.SaveFlt(output);
    }
    std::printf("Converted %s into %s\n", input.c_str(), output.c_str());
    return 0;
}

} // namespace

extern const Verb kAbsoluteVerb = {
    "absolute", "unwrapped phase to absolute displacement (fringe order, pitch, known value)",
    "Usage: corvane-cli absolute IN.flt -o OUT.flt|OUT.dat [--order X Y N] [--pitch P]\n"
    "           [--known X Y VALUE] [--grid GX GY] [--range L T R B] [--mask FILE.bmp]\n"
    "\n"
    "Converts the unwrapped phase map IN.flt as the \"Absolute Displacement\" tool does, applying\n"
    "the conversions given, in this order:\n"
    "  --order X Y N       shift by whole fringes so that pixel (X, Y) lies in fringe order N\n"
    "  --pitch P           phase to displacement with the grid pitch P: u = phase P / (2 pi); the\n"
    "                      map's value scale is multiplied too (the tool's default P is 1)\n"
    "  --known X Y VALUE   shift so that pixel (X, Y) holds VALUE\n"
    "With none of them the map is written as it was read.\n"
    "\n"
    "OUT.flt is the map with its header (scales as read, value scale as converted). OUT.dat is the\n"
    "table \" %15.8f  %15.8f  %15.8f \" of x * x scale, y * y scale and the value, x fastest, with\n"
    "the map's own scales:\n"
    "  --grid GX GY        output steps (default: every pixel)\n"
    "  --range L T R B     output rectangle, corners included (default: the whole map)\n"
    "  --mask FILE.bmp     only pixels whose mask level is 255 are written (default: no mask)\n",
    RunAbsolute};

} // namespace corvane::cli
