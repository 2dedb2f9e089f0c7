#include "app/cli/CliVerb.h"
#include "image/ColourMap.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <memory>

namespace corvane::cli {

namespace {

int RunColourMap(CliArgs& args) {
    ColourMapOptions options;
    if (const auto range = args.Doubles("--range", 2)) {
        const double low = (*range)[0];
        const double high = (*range)[1];
        if (!(low < high)) throw UsageError("--range takes LO HI with LO below HI");
        options.Range = ColourRange{static_cast<float>(low), static_cast<float>(high)};
    }
    if (const auto table = args.Value("--table")) {
        if (*table == "viridis")
            options.Table = ColourTable::Viridis;
        else if (*table == "diverging")
            options.Table = ColourTable::Diverging;
        else
            throw UsageError("--table takes viridis or diverging");
    }
    options.Opacity = args.Double("--opacity", 1.0);
    if (!(options.Opacity >= 0.0 && options.Opacity <= 1.0))
        throw UsageError("--opacity takes a value from 0 to 1");
    const auto overFile = args.Value("--over");
    const auto maskFile = args.Value("--mask");
    const std::string output = args.Output();
    const std::string mapFile = args.Positionals(1, 1).front();

    const TFloatImage map(mapFile);
    std::unique_ptr<TGrayImage> over;
    std::unique_ptr<TGrayImage> mask;
    if (overFile) over = std::make_unique<TGrayImage>(*overFile);
    if (maskFile) mask = std::make_unique<TGrayImage>(*maskFile);
    options.Over = over.get();
    options.Mask = mask.get();
    SaveColourMapPng(RenderColourMap(map, options), output);
    return 0;
}

} // namespace

extern const Verb kColourMapVerb = {
    "colour-map", "a float map as a colour map with its colour bar, saved as PNG (Colour Map)",
    "Usage: corvane-cli colour-map MAP.flt -o OUT.png [--range LO HI] [--over PICTURE] [--opacity A]\n"
    "                  [--table viridis|diverging] [--mask MASK.bmp]\n"
    "\n"
    "Writes the picture the Colour Map window saves: the map in colour at the top left and, to its\n"
    "right, the colour bar with the values of its ends (and middle) in the map's units. Points that\n"
    "hold the not-computed marker 1000, a value that is not finite, or lie outside the mask are\n"
    "transparent (alpha 0), or show the picture under the map.\n"
    "\n"
    "Options:\n"
    "  --range LO HI   the values at the ends of the table (default: the map's smallest and largest\n"
    "                  computed value; for the diverging table symmetric around 0)\n"
    "  --table T       viridis or diverging (default: viridis for a map of one sign, diverging for a\n"
    "                  map with values on both sides of 0)\n"
    "  --over PICTURE  draw the map over this picture of the map's size (default: none)\n"
    "  --opacity A     the map's weight over the picture, 0 to 1; without a picture its alpha\n"
    "                  (default 1)\n"
    "  --mask MASK.bmp points whose mask level is not 255 are left out (default: none)\n"
    "  -o OUT.png      the picture, RGBA PNG\n"
    "\n"
    "Example: corvane-cli colour-map dx.flt --over speckle0.bmp --opacity 0.6 -o dx.png\n",
    RunColourMap};

} // namespace corvane::cli
