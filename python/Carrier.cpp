// The carrier-fringe (Fourier transform) method on pictures held in memory.
#include "Arrays.h"
#include "Bindings.h"

#include <pybind11/stl.h>

#include <array>
#include <optional>

#include "phase/TCarrierMoire.h"

namespace corvane::python {

namespace {

using Pair = std::pair<std::int32_t, std::int32_t>;

py::dict Carrier(const py::handle& image, const py::handle& reference, const std::string& strip,
                 std::optional<std::int32_t> stripSize, std::optional<std::array<std::int32_t, 4>> search,
                 std::optional<Pair> window, float coef, std::optional<Pair> start,
                 std::optional<Pair> refStart, std::int32_t boundary, bool bilinear, bool reverseSign,
                 std::optional<float> pitch) {
    const bool twoImages = !reference.is_none();
    TCarrierSource source;
    if (strip == "columns")
        source.Strip = TStripDirection::Columns;
    else if (strip != "rows")
        throw py::value_error("strip must be \"rows\" or \"columns\", not \"" + strip + "\"");
    if (stripSize && twoImages) throw py::value_error("strip_size applies to one image without a reference");
    if (bilinear && !twoImages) throw py::value_error("bilinear applies to two images (a reference)");
    source.StripSize = stripSize.value_or(source.StripSize);
    TCarrierRun run;
    if (search) run.Search = TMapRect{(*search)[0], (*search)[1], (*search)[2], (*search)[3]};
    if (window) run.Window = TMovingWindow{window->first, window->second};
    if (start) run.Start = TMapPixel{start->first, start->second};
    if (refStart) run.RefStart = TMapPixel{refStart->first, refStart->second};
    run.Sign = reverseSign ? TPhaseSign::Reversed : TPhaseSign::AsPicked;
    run.Coef = coef;
    run.Boundary = boundary;
    run.Bilinear = bilinear;
    run.Pitch = pitch;

    const std::unique_ptr<TGrayImage> picture = ToGrey(image, "image");
    const std::unique_ptr<TGrayImage> referencePicture = twoImages ? ToGrey(reference, "reference") : nullptr;
    source.Image = picture.get();
    source.Reference = referencePicture.get();
    TCarrierMoire moire(twoImages ? TCarrierMethod::TwoImages : TCarrierMethod::OneImage);
    const TCarrierRunResult found = Guarded(false, [&] {
        py::gil_scoped_release free;
        return RunCarrierMethod(moire, source, run);
    });

    const TMyFFT& field = *moire.Field();
    const TFloatImage& map = *field.Phase->Phase;
    py::dict out;
    out["phase"] = FromFloat(map.Data, map.Width, map.Height, false);
    out["value_scale"] = map.ValueScale;
    out["reference_shape"] = py::make_tuple(field.RefHeight, field.RefWidth);
    out["carrier"] = py::make_tuple(found.Carrier.X, found.Carrier.Y);
    out["carrier_reverses_sign"] = CarrierReversesSign(found.Carrier);
    out["window"] = py::make_tuple(found.Window.Width, found.Window.Height);
    if (const auto plane = moire.Plane())
        out["plane"] = py::make_tuple(plane->A, plane->B);
    else
        out["plane"] = py::none();
    return out;
}

} // namespace

void BindCarrier(py::module_& m) {
    using namespace py::literals;
    m.def("carrier", &Carrier, "image"_a, "reference"_a = py::none(), py::kw_only(), "strip"_a = "rows",
          "strip_size"_a = py::none(), "search"_a = py::none(), "window"_a = py::none(), "coef"_a = 0.7f,
          "start"_a = py::none(), "ref_start"_a = py::none(), "boundary"_a = 4, "bilinear"_a = false,
          "reverse_sign"_a = false, "pitch"_a = py::none(),
          R"(Phase of a carrier-fringe uint8 picture by the Fourier transform method, as the carrier-method
wizards and "corvane-cli carrier" compute it. The picture is cropped to its top-left W x H block,
W and H the largest powers of two within its sides.
Without reference, the reference is an undeformed strip of the image: its first strip_size rows
(strip "rows", the carrier runs along x) or columns (strip "columns"); strip_size 32 by default,
at least 16, cut down to a power of two; its fitted plane A x + B y is removed outside a border
of boundary pixels. With reference (uint8, at least W x H) its unwrapped phase is removed pixel
by pixel, or with bilinear its fitted plane; strip then only tells the carrier's axis.
search        (x, y, width, height) of the reference spectrum searched for the carrier peak; by
              default the half before the centre along the carrier, without the 3 columns (rows)
              nearest the centre
window        (width, height) of the spectral window moved to the centre (odd sizes grow by one);
              by default the largest the carrier allows
coef          unwrap jump threshold 2 coef pi
start, ref_start  (x, y) unwrap starts of the image and the reference (their centres by default;
              a coordinate outside the map means its centre)
reverse_sign  turns the wrapped phases over, as picking the opposite carrier peak would
pitch         converts phase to displacement, phase pitch / 2 pi (value_scale then carries it)
Returns a dict: phase (the absolute phase, float32 (H, W)), value_scale, reference_shape,
carrier (x, y offset of the peak from the spectrum centre), carrier_reverses_sign (the peak
found gives the phase with its sign reversed), window (width, height) and plane ((A, B), or None
when the reference was removed pixel by pixel).)");
}

} // namespace corvane::python
