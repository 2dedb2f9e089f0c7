#include "app/cli/CliVerb.h"
#include "image/FileUtil.h"
#include "image/GrayHistogram.h"
#include "image/TGrayImage.h"

#include <cstdio>

namespace corvane::cli {

namespace {

int RunHistogram(CliArgs& args) {
    const auto output = args.Value("-o");
    const std::string picture = args.Positionals(1, 1).front();
    const TGrayImage image(picture);
    const HistogramStatistics statistics = GrayHistogram(image);
    if (output) {
        AtomicTextFile file(*output);
        for (int level = 0; level < 256; ++level)
            file.Printf("%d %d\n", level,
                        static_cast<int>(statistics.Counts[static_cast<std::size_t>(level)]));
        file.Commit("Can not output data to " + *output);
    }
    const HistogramLabels labels = LabelsOf(statistics);
    std::printf("%s\n%s\n%s\n%s\n", labels.Mean.c_str(), labels.StdDev.c_str(), labels.Median.c_str(),
                labels.Pixels.c_str());
    return 0;
}

} // namespace

extern const Verb kHistogramVerb = {
    "histogram", "grey-level statistics of a picture, and its 256 counts",
    "Usage: corvane-cli histogram IMAGE [-o HIST.dat]\n"
    "\n"
    "Prints the statistics of the picture's grey channel as the histogram window labels them:\n"
    "\"Mean: \", \"StdDev: \" (both \"%6.3f\"), \"Median: \" (the first level at which the running\n"
    "count reaches half the pixels) and \"Pixels: \", one per line. IMAGE is a BMP picture (colour\n"
    "pictures are read as grey).\n"
    "\n"
    "Options:\n"
    "  -o HIST.dat   also writes the 256 counts, one \"level count\" line each, levels 0..255\n"
    "\n"
    "Example: corvane-cli histogram specimen.bmp -o hist.dat\n",
    RunHistogram};

} // namespace corvane::cli
