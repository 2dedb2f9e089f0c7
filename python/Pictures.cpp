// Computations on pictures and maps held in memory: median filter, FFT, phase shifting.
#include "Arrays.h"
#include "Bindings.h"

#include <pybind11/complex.h>
#include <pybind11/stl.h>

#include <complex>
#include <optional>
#include <vector>

#include "dotgrid/DotExtraction.h"
#include "dotgrid/TThresholdSegment.h"
#include "image/MedianFilterTool.h"
#include "phase/PhaseShift.h"
#include "spectral/CentredFft.h"

namespace corvane::python {

namespace {

py::array Median(const py::handle& array, int size) {
    const py::array a =
        py::isinstance<py::array>(array) ? py::reinterpret_borrow<py::array>(array) : py::array();
    if (a && a.dtype().is(py::dtype::of<std::uint8_t>())) {
        const std::unique_ptr<TGrayImage> image = ToGrey(array, "array");
        Guarded(false, [&] {
            py::gil_scoped_release free;
            ApplyMedianFilterTool(*image, size);
        });
        return FromGrey(image->Data, image->Width, image->Height);
    }
    const std::unique_ptr<TFloatImage> map = ToFloat(array, "array");
    Guarded(false, [&] {
        py::gil_scoped_release free;
        ApplyMedianFilterTool(*map, size);
    });
    return FromFloat(map->Data, map->Width, map->Height, false);
}

using ComplexArray = py::array_t<std::complex<float>, py::array::c_style>;

/// The real and imaginary maps of a real or complex two-dimensional array.
std::pair<std::unique_ptr<TFloatImage>, std::unique_ptr<TFloatImage>> Parts(const py::handle& object) {
    if (!py::isinstance<py::array>(object)) throw py::type_error("the input must be a numpy array");
    const py::array a = py::reinterpret_borrow<py::array>(object);
    if (a.dtype().kind() == 'c') {
        const auto c = py::array_t<std::complex<float>, py::array::c_style | py::array::forcecast>::ensure(a);
        if (!c) throw py::error_already_set();
        if (c.ndim() != 2 || c.shape(0) < 1 || c.shape(1) < 1)
            throw py::value_error("the input must be a non-empty two-dimensional array");
        const auto h = static_cast<std::int32_t>(c.shape(0)), w = static_cast<std::int32_t>(c.shape(1));
        auto re = std::make_unique<TFloatImage>(nullptr, w, h),
             im = std::make_unique<TFloatImage>(nullptr, w, h);
        const std::complex<float>* v = c.data();
        for (std::size_t i = 0; i < static_cast<std::size_t>(w) * static_cast<std::size_t>(h); ++i)
            re->Data[i] = v[i].real(), im->Data[i] = v[i].imag();
        return {std::move(re), std::move(im)};
    }
    std::unique_ptr<TFloatImage> re =
        a.dtype().is(py::dtype::of<std::uint8_t>()) ? nullptr : ToFloat(a, "input");
    if (!re) {
        const std::unique_ptr<TGrayImage> grey = ToGrey(a, "input");
        re = std::make_unique<TFloatImage>(nullptr, grey->Width, grey->Height);
        for (std::size_t i = 0; i < static_cast<std::size_t>(grey->Size); ++i)
            re->Data[i] = grey->Data[i];
    }
    auto im = std::make_unique<TFloatImage>(nullptr, re->Width, re->Height);
    return {std::move(re), std::move(im)};
}

ComplexArray Transform(const py::handle& input, bool centre, bool forward) {
    auto [re, im] = Parts(input);
    Guarded(false, [&] {
        py::gil_scoped_release free;
        if (forward)
            ForwardFFT2D(re->Data, im->Data, re->Width, re->Height, centre);
        else
            InverseFFT2D(re->Data, im->Data, re->Width, re->Height, centre);
    });
    ComplexArray out({static_cast<py::ssize_t>(re->Height), static_cast<py::ssize_t>(re->Width)});
    std::complex<float>* o = out.mutable_data();
    for (std::size_t i = 0; i < re->PixelCount(); ++i)
        o[i] = {re->Data[i], im->Data[i]};
    return out;
}

FloatArray PhaseShift(const std::vector<py::handle>& images, const std::string& method) {
    PhaseShiftMethod m;
    if (method == "const3")
        m = PhaseShiftMethod::Const3Step;
    else if (method == "const4")
        m = PhaseShiftMethod::Const4Step;
    else if (method == "equal4")
        m = PhaseShiftMethod::Equal4Step;
    else
        throw py::value_error("method must be \"const3\", \"const4\" or \"equal4\", not \"" + method + "\"");
    if (images.size() != static_cast<std::size_t>(PhaseShiftStepCount(m)))
        throw py::value_error("method " + method + " needs " + std::to_string(PhaseShiftStepCount(m)) +
                              " step pictures, not " + std::to_string(images.size()));
    std::vector<std::unique_ptr<TGrayImage>> steps;
    std::vector<const TGrayImage*> pointers;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::string name = "step " + std::to_string(i + 1);
        steps.push_back(ToGrey(images[i], name.c_str()));
        pointers.push_back(steps.back().get());
    }
    const PhaseShiftResult r = Guarded(false, [&] {
        py::gil_scoped_release free;
        return ComputePhaseShift(m, pointers);
    });
    return FromFloat(r.PhaseMap->Data, r.PhaseMap->Width, r.PhaseMap->Height, false);
}

py::tuple Segment(const py::handle& image, const std::string& method, bool whiteDots,
                  std::optional<int> threshold, std::optional<int> window, std::optional<int> adjust) {
    const bool simple = method == "simple";
    if (!simple && method != "adaptive")
        throw py::value_error("method must be \"simple\" or \"adaptive\", not \"" + method + "\"");
    if (simple && (window || adjust))
        throw py::value_error("window and adjust belong to method \"adaptive\"");
    if (!simple && threshold) throw py::value_error("threshold belongs to method \"simple\"");
    const std::unique_ptr<TGrayImage> picture = ToGrey(image, "image");
    const std::vector<TDotInfo> dots = Guarded(false, [&] {
        py::gil_scoped_release free;
        if (simple) {
            TSimpleSegmentOptions options;
            options.WhiteDots = whiteDots;
            options.Level = threshold.value_or(options.Level);
            SegmentSimple(*picture, options);
        } else {
            TAdaptiveSegmentOptions options;
            options.WhiteDots = whiteDots;
            options.WindowSize = window.value_or(options.WindowSize);
            options.Adjust = adjust.value_or(options.Adjust);
            SegmentAdaptive(*picture, options);
        }
        TDotExtractionOptions extraction;
        extraction.WhiteDots = whiteDots;
        return ExtractDots(*picture, extraction);
    });
    py::array_t<float> x(static_cast<py::ssize_t>(dots.size())), y(static_cast<py::ssize_t>(dots.size()));
    py::array_t<std::int32_t> area(static_cast<py::ssize_t>(dots.size()));
    for (std::size_t i = 0; i < dots.size(); ++i) {
        x.mutable_data()[i] = dots[i].X;
        y.mutable_data()[i] = dots[i].Y;
        area.mutable_data()[i] = dots[i].Area;
    }
    py::dict table;
    table["x"] = x;
    table["y"] = y;
    table["area"] = area;
    return py::make_tuple(FromGrey(picture->Data, picture->Width, picture->Height), table);
}

} // namespace

void BindPictures(py::module_& m) {
    using namespace py::literals;
    m.def("median", &Median, "array"_a, "size"_a = 3,
          "Median filter of the Filter dialog: a square size x size window (an even size is raised by\n"
          "one, 1 or less leaves the array as it is); border pixels within half a window keep their\n"
          "values. A uint8 array stays uint8; a floating-point one comes back as float32.");
    m.def(
        "fft", [](const py::handle& a, bool centre) { return Transform(a, centre, true); }, "array"_a,
        "centre"_a = true,
        "Forward two-dimensional transform of a real or complex array whose sides are powers of two,\n"
        "in single precision as the FFT tool computes it: F(u) = (1/n) sum f(k) exp(+2 pi i u k / n)\n"
        "along rows, then columns; with centre the zero frequency lies at (height/2, width/2).\n"
        "Returns complex64. ValueError when a side is not a power of two.");
    m.def(
        "ifft", [](const py::handle& a, bool centre) { return Transform(a, centre, false); }, "spectrum"_a,
        "centre"_a = true, "Inverse of fft (same centring), returns complex64.");
    m.def("segment", &Segment, "image"_a, py::kw_only(), "method"_a = "simple", "white_dots"_a = true,
          "threshold"_a = py::none(), "window"_a = py::none(), "adjust"_a = py::none(),
          "Segments a uint8 picture of dots as the segmentation tools and \"corvane-cli segment\" do:\n"
          "\"simple\" at one grey level (threshold, 128), \"adaptive\" at each window's mean plus adjust\n"
          "(window 150); white_dots False for dark dots. Returns (segmented, dots): the segmented uint8\n"
          "picture and a dict of arrays x, y (grey-weighted centres) and area (pixels) of the dots.");
    m.def("phase_shift", &PhaseShift, "images"_a, "method"_a = "const4",
          "Wrapped phase atan2(N, D) of three or four phase-shifted uint8 pictures, as the phase-\n"
          "shifting tools compute it: \"const3\" (three steps of 120 degrees), \"const4\" (four of 90\n"
          "degrees) or \"equal4\" (four equal steps of unknown size). The result has Step 2's size.");
}

} // namespace corvane::python
