#include "app/cli/CliVerb.h"
#include "correlation/CorRelationConfig.h"
#include "correlation/TCorRelationPara.h"
#include "image/SyntheticTarget.h"
#include "image/TGrayImage.h"

#include <filesystem>

namespace corvane::cli {

namespace {

// A name as the configuration file at config must hold it: relative to the file's folder.
std::string RelativeTo(const std::string& config, const std::string& name) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::absolute(fs::path(config)).parent_path();
    return fs::absolute(fs::path(name)).lexically_relative(folder).generic_string();
}

// One group over the pair: seeds 2 x 2, the whole picture but a 20-pixel border searched on a 4-pixel
// grid, no post filter, the y axis kept down, the displacements also written as dx.flt and dy.flt.
TCorRelationPara PairConfiguration(const std::string& config, const std::string& initial,
                                   const std::string& deformed, int width, int height) {
    TCorRelationPara p;
    p.InitialFile = RelativeTo(config, initial);
    p.DeformedFile = RelativeTo(config, deformed);
    p.XYFile = "xy.dat";
    p.ThetaRFile = "thetar.dat";
    p.InfoFile = "info.inf";
    p.MaskFile = "none";
    p.GrayXFile = "none";
    p.GrayYFile = "none";
    p.BinXFile = "dx.flt";
    p.BinYFile = "dy.flt";
    p.WinMoveX = p.WinMoveY = 33;
    p.LargeWinX = p.LargeWinY = 21;
    p.SearchWinX = p.SearchWinY = 17;
    p.SeedNumX = p.SeedNumY = 2;
    p.SeedPrecision = 0.1f;
    p.Left = p.Up = 20;
    p.Right = width - 21;
    p.Bottom = height - 21;
    p.Amplitude = 20.0f;
    p.GridX = p.GridY = 4;
    p.ScaleX = p.ScaleY = 1.0f;
    p.FilterType = 0;
    p.AverageThreshold = 0.5f;
    p.FilterSizeX = p.FilterSizeY = 3;
    p.OutputBin = 1;
    return p;
}

int RunGenerateSpeckle(CliArgs& args) {
    SyntheticTargetOptions o;
    o.Width = args.Int("--width", o.Width);
    o.Height = args.Int("--height", o.Height);
    o.StretchX = args.Double("--stretch", o.StretchX);
    o.StretchY = args.Double("--stretch-y", o.StretchY);
    if (const auto shift = args.Doubles("--shift", 2)) {
        o.ShiftX = (*shift)[0];
        o.ShiftY = (*shift)[1];
    }
    o.SpeckleRadius = args.Double("--radius", o.SpeckleRadius);
    o.SpeckleDensity = args.Double("--density", o.SpeckleDensity);
    o.DotPitch = args.Double("--dots", 0.0);
    const int seed = args.Int("--seed", 1);
    if (seed < 0) throw UsageError("--seed takes a whole number of 0 or more");
    o.Seed = static_cast<std::uint32_t>(seed);
    const auto deformed = args.Value("--deformed");
    if (!deformed) throw UsageError("--deformed DEFORMED.bmp is needed");
    const auto config = args.Value("--config");
    const std::string initial = args.Output();
    args.Positionals(0, 0);

    const SyntheticTargetPair pair = MakeSyntheticTargetPair(o);
    pair.Initial->SaveToFile(initial);
    pair.Deformed->SaveToFile(*deformed);
    if (config) WriteConfigFile(*config, PairConfiguration(*config, initial, *deformed, o.Width, o.Height));
    return 0;
}

} // namespace

extern const Verb kGenerateSpeckleVerb = {
    "generate-speckle", "a speckle (or dot-lattice) pair with a known stretch, and its configuration file",
    "Usage: corvane-cli generate-speckle -o INITIAL.bmp --deformed DEFORMED.bmp [--config GROUP.cor]\n"
    "                  [--width 256] [--height 192] [--stretch 0.01] [--stretch-y 0] [--shift DX DY]\n"
    "                  [--radius 1.6] [--density 0.12] [--dots PITCH] [--seed 1]\n"
    "\n"
    "Draws random Gaussian speckles (or, with --dots, a square lattice of white dots on black) and\n"
    "the same pattern deformed: every speckle or dot centre moves by u = EX (x - W/2) + DX,\n"
    "v = EY (y - H/2) + DY, a homogeneous stretch about the picture's centre, without resampling.\n"
    "With --config it also writes a one-group correlation configuration file for the pair (names\n"
    "relative to its folder; results xy.dat, thetar.dat, info.inf, dx.flt and dy.flt beside it).\n"
    "\n"
    "Options:\n"
    "  --width W --height H  the pictures' size (default 256 x 192)\n"
    "  --stretch EX          the strain along x (default 0.01, a 1 % stretch)\n"
    "  --stretch-y EY        the strain along y (default 0)\n"
    "  --shift DX DY         a rigid shift added, pixels (default 0 0)\n"
    "  --radius R            the speckles' Gaussian radius, pixels (default 1.6)\n"
    "  --density D           speckles per pixel (default 0.12)\n"
    "  --dots PITCH          a dot lattice of this pitch instead of speckles (dot diameter 0.6 PITCH)\n"
    "  --seed N              the speckle field (default 1; the same seed draws the same pictures)\n"
    "\n"
    "Example: corvane-cli generate-speckle -o speckle0.bmp --deformed speckle1.bmp --config GROUP.cor\n",
    RunGenerateSpeckle};

} // namespace corvane::cli
