#include "app/cli/CliVerb.h"
#include "correlation/DisplacementSampling.h"
#include "image/FileUtil.h"

#include <cstdio>

namespace corvane::cli {

namespace {

int RunSample(CliArgs& args) {
    SampleOptions options;
    const int type = args.Int("--type", 0);
    if (type < 0 || type > 5) throw UsageError("--type: " + std::to_string(type) + " is not one of 0..5");
    options.Type = static_cast<SampleResultType>(type);
    if (const auto grid = args.Ints("--grid", 2)) {
        options.GridX = (*grid)[0];
        options.GridY = (*grid)[1];
        if (options.GridX < 1 || options.GridY < 1) throw UsageError("--grid: the steps must be at least 1");
    }
    if (const auto range = args.Ints("--range", 4)) {
        options.UseRange = true;
        options.Range = {(*range)[0], (*range)[1], (*range)[2], (*range)[3]};
    }
    options.ChangeYaxis = args.Flag("--change-y");
    if (const auto invalid = args.Value("--invalid")) {
        options.UseInvalidValue = true;
        options.InvalidValue = static_cast<float>(CliArgs::ParseDouble("--invalid", *invalid));
    }
    const auto scale = args.Doubles("--scale", 2);
    options.ScaleDisplacement = args.Flag("--scale-displacement");
    if (const auto mask = args.Value("--mask")) options.MaskFile = *mask;
    const std::string output = args.Output();
    const std::vector<std::string> maps = args.Positionals(2, 2);

    const TFloatImage u(maps[0]);
    const TFloatImage v(maps[1]);
    // The tool's output scales follow the header of the file loaded last, V.
    options.ScaleX = scale ? (*scale)[0] : static_cast<double>(v.ScaleX);
    options.ScaleY = scale ? (*scale)[1] : static_cast<double>(v.ScaleY);
    if (!options.MaskFile.empty() && !FileExists(options.MaskFile))
        std::fprintf(stderr, "corvane-cli sample: the mask %s does not exist; every point is used\n",
                     options.MaskFile.c_str());
    SaveDisplacementSamples(output, &u, &v, options);
    return 0;
}

} // namespace

extern const Verb kSampleVerb = {
    "sample", "sample U and V displacement maps into a point table or a matrix",
    "Usage: corvane-cli sample U.flt V.flt -o TABLE.dat [--type 0..5] [--grid GX GY]\n"
    "                          [--range L T R B] [--change-y] [--mask FILE] [--invalid VALUE]\n"
    "                          [--scale SX SY] [--scale-displacement]\n"
    "\n"
    "Writes the table the \"Sample X/Y displacement\" tool saves. Points run row by row over the\n"
    "range, y = T, T + GY, ... <= B and x = L, L + GX, ... <= R; u and v are the maps' values.\n"
    "  --type 0   \"  x     y    dx      dy  \" list: X, Y, u, v (the default)\n"
    "  --type 1   \"  x     y    theta    r\" list: X, Y, angle of (u, v), its length\n"
    "  --type 2   \"  x     y    dx\" list     --type 3   \"  x     y    dy\" list\n"
    "  --type 4   matrix of U                --type 5   matrix of V (one line per row, no header)\n"
    "with X = x * SX and Y = y * SY.\n"
    "\n"
    "Options:\n"
    "  --grid GX GY          grid steps (default 1 1)\n"
    "  --range L T R B       left, top, right, bottom, corners included, clipped to the field\n"
    "                        (default the whole field)\n"
    "  --change-y            y axis up: Y = (H - y) * SY, v (and the angle) change sign; in the\n"
    "                        matrices both components change sign\n"
    "  --mask FILE           BMP of the field's size; only points of level 255 are used (a file that\n"
    "                        does not exist turns the mask off, as in the tool)\n"
    "  --invalid VALUE       points whose u or v equals VALUE are left out of the lists and written\n"
    "                        as 0 in the matrices (off by default; 1000 is the not-computed marker)\n"
    "  --scale SX SY         coordinate scales (default the x and y scale of V.flt's header)\n"
    "  --scale-displacement  write u * SX and v * SY (in the matrices only where neither is 0)\n"
    "  -o TABLE.dat          the table\n"
    "\n"
    "Example: corvane-cli sample dx.flt dy.flt -o xy.dat --grid 5 5 --invalid 1000\n",
    RunSample};

} // namespace corvane::cli
