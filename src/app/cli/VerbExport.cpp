#include "app/cli/CliVerb.h"
#include "image/CorvaneError.h"
#include "image/MapExport.h"
#include "image/TFloatImage.h"

namespace corvane::cli {

namespace {

int RunExport(CliArgs& args) {
    const std::string output = args.Output();
    const std::string mapFile = args.Positionals(1, 1).front();
    try {
        MapExportKindOf(output);
    } catch (const CorvaneError& error) {
        throw UsageError(error.what());
    }
    const TFloatImage map(mapFile);
    ExportFloatMap(map, output);
    return 0;
}

} // namespace

extern const Verb kExportVerb = {
    "export", "a float map as a float TIFF, a CSV table or a NumPy array for other programs",
    "Usage: corvane-cli export MAP.flt -o OUT.tif|OUT.csv|OUT.npy\n"
    "\n"
    "Writes the FLT map in the form the output's extension names (File > Export Map... writes the\n"
    "same files):\n"
    "  .tif, .tiff  one-page 32-bit floating-point grey TIFF; XResolution and YResolution hold\n"
    "               1/scale x and 1/scale y points per unit (resolution unit none)\n"
    "  .csv         the header line x,y,value, then one line per point, rows from the top, x and y\n"
    "               in the map's scale units (x * scale x, y * scale y)\n"
    "  .npy         NumPy float32 array of shape (height, width)\n"
    "Points not computed (the marker 1000, values that are not finite) are NaN (nan in the CSV).\n"
    "\n"
    "Example: corvane-cli export exx.flt -o exx.tif\n",
    RunExport};

} // namespace corvane::cli
