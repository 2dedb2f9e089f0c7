#include "app/cli/CliVerb.h"
#include "image/LineProfile.h"
#include "image/TGrayImage.h"

namespace corvane::cli {

namespace {

int RunProfile(CliArgs& args) {
    const auto row = args.Value("--row");
    const auto column = args.Value("--column");
    if (row.has_value() == column.has_value()) throw UsageError("give either --row Y or --column X");
    const ProfileDirection direction = row ? ProfileDirection::Horizontal : ProfileDirection::Vertical;
    const int position = row ? CliArgs::ParseInt("--row", *row) : CliArgs::ParseInt("--column", *column);
    const std::string output = args.Output();
    const std::string picture = args.Positionals(1, 1).front();
    const TGrayImage image(picture);
    SaveProfileData(output, LineProfile(image, direction, position));
    return 0;
}

} // namespace

extern const Verb kProfileVerb = {
    "profile", "the grey-level profile of one row or one column of a picture",
    "Usage: corvane-cli profile IMAGE --row Y -o PROFILE.dat\n"
    "       corvane-cli profile IMAGE --column X -o PROFILE.dat\n"
    "\n"
    "Saves the profile as the \"Section\" window's Save As Data does: one \" %d   %f\\n\" line per\n"
    "pixel of the row (left to right) or of the column (top to bottom), its index from 0 and its\n"
    "grey level. IMAGE is a BMP picture (colour pictures are read as grey); rows and columns count\n"
    "from 0 at the top left.\n"
    "\n"
    "Options:\n"
    "  --row Y         the row Y (a horizontal profile)\n"
    "  --column X      the column X (a vertical profile)\n"
    "  -o PROFILE.dat  the data file\n"
    "\n"
    "Example: corvane-cli profile fringes.bmp --row 100 -o row100.dat\n",
    RunProfile};

} // namespace corvane::cli
