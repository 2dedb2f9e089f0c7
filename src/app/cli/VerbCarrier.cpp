#include "app/cli/CliVerb.h"
#include "phase/TCarrierMoire.h"

#include <cstdio>

namespace corvane::cli {

namespace {

TStripDirection StripOf(const std::optional<std::string>& word) {
    if (!word || *word == "rows") return TStripDirection::Rows;
    if (*word == "columns") return TStripDirection::Columns;
    throw UsageError("--strip: '" + *word + "' is neither rows nor columns");
}

int RunCarrier(CliArgs& args) {
    const std::optional<std::string> reference = args.Value("--reference");
    const bool twoImages = reference.has_value();
    TCarrierSource source;
    source.Strip = StripOf(args.Value("--strip"));
    const std::optional<std::string> stripSize = args.Value("--strip-size");
    if (stripSize && twoImages) throw UsageError("--strip-size applies to one image without --reference");
    if (stripSize) source.StripSize = CliArgs::ParseInt("--strip-size", *stripSize);
    TCarrierRun run;
    if (const auto search = args.Ints("--search", 4))
        run.Search = TMapRect{(*search)[0], (*search)[1], (*search)[2], (*search)[3]};
    if (const auto window = args.Ints("--window", 2)) run.Window = TMovingWindow{(*window)[0], (*window)[1]};
    run.Sign = args.Flag("--reverse-sign") ? TPhaseSign::Reversed : TPhaseSign::AsPicked;
    run.Coef = static_cast<float>(args.Double("--coef", 0.7));
    if (const auto start = args.Ints("--start", 2)) run.Start = TMapPixel{(*start)[0], (*start)[1]};
    if (const auto refStart = args.Ints("--ref-start", 2))
        run.RefStart = TMapPixel{(*refStart)[0], (*refStart)[1]};
    run.Boundary = args.Int("--boundary", 4);
    run.Bilinear = args.Flag("--bilinear");
    if (run.Bilinear && !twoImages) throw UsageError("--bilinear applies to two images (--reference)");
    if (const auto text = args.Value("--pitch"))
        run.Pitch = static_cast<float>(CliArgs::ParseDouble("--pitch", *text));
    const auto scale = args.Doubles("--scale", 2).value_or(std::vector<double>{1.0, 1.0});
    const std::string output = args.Output();
    source.ImageFile = args.Positionals(1, 1).front();
    if (twoImages) source.ReferenceFile = *reference;

    TCarrierMoire moire(twoImages ? TCarrierMethod::TwoImages : TCarrierMethod::OneImage);
    const TCarrierRunResult found = RunCarrierMethod(moire, source, run, [&](TCarrierOffset carrier) {
        if (CarrierReversesSign(carrier) && run.Sign == TPhaseSign::AsPicked)
            std::fprintf(stderr,
                         "note: the carrier (%d, %d) lies right of (or below) the spectrum centre: the phase "
                         "has its sign reversed (--reverse-sign turns it back)\n",
                         carrier.X, carrier.Y);
    });
    moire.SaveFlt(output, TMoireMap::Image, TValueScaleRule::Keep, scale[0], scale[1]);

    const TMyFFT& field = *moire.Field();
    std::printf("%d x %d, reference %d x %d, carrier (%d, %d), window %d x %d", field.Width, field.Height,
                field.RefWidth, field.RefHeight, found.Carrier.X, found.Carrier.Y, found.Window.Width,
                found.Window.Height);
    if (const auto plane = moire.Plane())
        std::printf(", plane A=%.9g B=%.9g", static_cast<double>(plane->A), static_cast<double>(plane->B));
    std::printf("\n");
    return 0;
}

} // namespace

extern const Verb kCarrierVerb = {
    "carrier", "phase of a carrier-fringe picture by the Fourier transform method (one or two images)",
    "Usage: corvane-cli carrier IMAGE [--reference REF] [--strip rows|columns] [--strip-size N]\n"
    "                           [--search X Y W H] [--window W H] [--coef 0.7] [--start X Y]\n"
    "                           [--ref-start X Y] [--boundary 4] [--bilinear] [--reverse-sign]\n"
    "                           [--pitch P] [--scale SX SY] -o ABSOLUTE.flt\n"
    "\n"
    "Runs the carrier-method wizard of the moire tools on the BMP picture IMAGE, with these values\n"
    "in place of its edits, and saves the \"absolute phase\" map (the image phase with the reference\n"
    "removed) as an FLT file with value scale 1.0.\n"
    "Without --reference the one-image method runs: the reference is an undeformed strip of IMAGE,\n"
    "its first N rows (--strip rows, the default) or columns (--strip columns), N = --strip-size\n"
    "(default 32, at least 16; cut down to a power of two); its fitted plane A x + B y is removed\n"
    "outside a border of --boundary pixels (default 4).\n"
    "With --reference the two-image method runs: REF is the undeformed picture (at least as large as\n"
    "the transform size of IMAGE); its unwrapped phase is subtracted pixel by pixel, or, with\n"
    "--bilinear, its fitted plane (with --boundary).\n"
    "\n"
    "  --search X Y W H  rectangle of the reference spectrum searched for the carrier peak. Default:\n"
    "                    the half of the spectrum before its centre along the carrier, without the\n"
    "                    3 columns (strip of rows) or rows (strip of columns) nearest the centre, so\n"
    "                    the carrier is found rather than the zero order. With --reference, --strip\n"
    "                    only says along which axis the carrier runs (rows: x, columns: y).\n"
    "                    Of the two carrier peaks, the one right of the centre (below it, for a\n"
    "                    carrier mainly along y) gives the phase with its sign reversed; the\n"
    "                    default search finds the other one. A note on standard error says when the\n"
    "                    carrier found is the reversing one.\n"
    "  --reverse-sign    turns the wrapped phases over (image and reference), as picking the\n"
    "                    opposite peak would; off by default.\n"
    "  --window W H      spectral window moved to the centre (even sizes; odd ones grow by one).\n"
    "                    Default: the largest that Adjust allows for the found carrier, made smaller\n"
    "                    where it would reach outside a spectrum.\n"
    "  --coef C          unwrap coefficient, jump threshold 2 C pi (default 0.7).\n"
    "  --start X Y       unwrap start of the image (default its centre); --ref-start X Y likewise\n"
    "                    for the reference. A coordinate outside the map means its centre.\n"
    "  --pitch P         converts phase to displacement (u = phase P / 2 pi) before saving; the value\n"
    "                    scale of the file then carries P / 2 pi.\n"
    "  --scale SX SY     x and y scale written into the file (default 1 1, the workbench's default).\n"
    "\n"
    "One line is printed: the transform sizes, the carrier, the window and the fitted plane.\n",
    RunCarrier};

} // namespace corvane::cli
