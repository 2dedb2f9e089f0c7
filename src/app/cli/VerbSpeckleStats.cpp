#include "app/cli/CliVerb.h"
#include "dotgrid/SpeckleTableFile.h"
#include "dotgrid/TSpeckleStatistics.h"
#include "image/TGrayImage.h"

#include <string>

namespace corvane::cli {

namespace {

int RunSpeckleStats(CliArgs& args) {
    const std::string output = args.Output();
    const std::optional<std::string> typeText = args.Value("--type");
    if (!typeText) throw UsageError("--type 0|1|2|3 is missing");
    const int type = CliArgs::ParseInt("--type", *typeText);
    if (type < 0 || type > 3) throw UsageError("--type: " + *typeText + " is not one of 0, 1, 2, 3");
    TSpeckleAnalysisOptions options;
    options.WhiteSpeckle = !args.Flag("--black");
    options.MinX = args.Int("--min-x", options.MinX);
    options.MaxX = args.Int("--max-x", options.MaxX);
    options.MinY = args.Int("--min-y", options.MinY);
    options.MaxY = args.Int("--max-y", options.MaxY);
    const std::optional<std::vector<int>> rect = args.Ints("--rect", 4);
    const std::string input = args.Positionals(1, 1).front();

    TGrayImage image(input);
    if (rect) {
        options.Left = (*rect)[0];
        options.Top = (*rect)[1];
        options.Right = (*rect)[2];
        options.Bottom = (*rect)[3];
    } else {
        options.Left = options.Top = 0;
        options.Right = image.Width - 1;
        options.Bottom = image.Height - 1;
    }
    const auto statistics = AnalyseSpeckles(image, options);
    WriteSpeckleTable(output, *statistics, static_cast<TSpeckleOutputType>(type));
    return 0;
}

} // namespace

extern const Verb kSpeckleStatsVerb = {
    "speckle-stats", "count the speckles of a segmented picture by size or area",
    "Usage: corvane-cli speckle-stats IMAGE -o TABLE.dat --type 0|1|2|3 [--rect L T R B] [--black]\n"
    "                                 [--min-x 2] [--max-x 30] [--min-y 2] [--max-y 30]\n"
    "\n"
    "Counts the speckles (8-connected groups of non-background pixels) of the segmented BMP picture\n"
    "IMAGE inside a rectangle, as \"Speckle Analysis\" does, and saves one table. Speckles touching\n"
    "the picture border are never counted.\n"
    "\n"
    "  --type 0         \"x_size    y_size   how_many\": bounding-box width and height in the ranges\n"
    "  --type 1         \" area   how_many\": pixel counts (above max-x * max-y in the last row)\n"
    "  --type 2         \"x_size   how_many\": widths (above max-x in row max-x + 1)\n"
    "  --type 3         \"y_size    how_many\": heights (above max-y in row max-y + 1)\n"
    "  --rect L T R B   inclusive rectangle to analyse, clipped to the picture\n"
    "                   (default: the whole picture, as a double click in it sets)\n"
    "  --black          the speckles are darker than the background (default: white speckles)\n"
    "  --min-x, --max-x width range of the tables in pixels (default 2 and 30)\n"
    "  --min-y, --max-y height range of the tables in pixels (default 2 and 30)\n",
    RunSpeckleStats};

} // namespace corvane::cli
