// Float maps held in memory: strain from displacement maps, and phase unwrapping.
#include "Arrays.h"
#include "Bindings.h"

#include <pybind11/stl.h>

#include <optional>

#include "correlation/StrainFit.h"
#include "phase/NewUnwrapModel.h"
#include "phase/SimpleUnwrap.h"

namespace corvane::python {

namespace {

StrainComponent ComponentOf(const std::string& name) {
    static const char* const kNames[] = {"ux",  "uy",  "vx", "vy", "shear", "exx",
                                         "eyy", "exy", "e1", "e2", "evm"};
    for (std::size_t k = 0; k < std::size(kNames); ++k)
        if (name == kNames[k]) return static_cast<StrainComponent>(k);
    throw py::value_error(
        "component must be one of ux, uy, vx, vy, shear, exx, eyy, exy, e1, e2, evm, not \"" + name + "\"");
}

/// A displacement map with the scales its derivatives are divided by.
std::unique_ptr<TFloatImage> Field(const py::handle& array, const char* name, std::pair<float, float> scale) {
    if (array.is_none()) return nullptr;
    std::unique_ptr<TFloatImage> map = ToFloat(array, name);
    std::tie(map->ScaleX, map->ScaleY) = scale;
    return map;
}

FloatArray Strain(const py::handle& u, const py::handle& v, const std::string& component,
                  std::optional<int> fitWindow, std::pair<float, float> scale, std::optional<float> invalid) {
    StrainRequest request;
    request.Component = ComponentOf(component);
    request.FitWindow = fitWindow.value_or(0);
    // As the verb: with a window the correlation's not-computed marker (1000) takes no part.
    request.Mask.UseInvalidValue = invalid.has_value() || fitWindow.has_value();
    request.Mask.InvalidValue = invalid.value_or(1000.0f);
    const std::unique_ptr<TFloatImage> uMap = Field(u, "u", scale), vMap = Field(v, "v", scale);
    if (uMap && vMap && (uMap->Width != vMap->Width || uMap->Height != vMap->Height))
        throw py::value_error("u and v must have the same shape");
    const StrainResult r = Guarded(false, [&] {
        py::gil_scoped_release free;
        return ComputeStrain(request, uMap.get(), vMap.get());
    });
    return FromFloat(r.Map->Data, r.Map->Width, r.Map->Height, true);
}

py::object Unwrap(const py::handle& wrapped, const std::string& method,
                  std::optional<std::pair<int, int>> start, const py::handle& invalid, float threshold,
                  bool withQuality) {
    if (method != "region" && method != "quality" && method != "scanline")
        throw py::value_error("method must be \"region\", \"quality\" or \"scanline\", not \"" + method +
                              "\"");
    std::unique_ptr<TFloatImage> phase = ToFloat(wrapped, "phase");
    const std::int32_t x = start ? start->first : phase->Width / 2,
                       y = start ? start->second : phase->Height / 2;
    if (method == "scanline") {
        if (!invalid.is_none())
            throw py::value_error("an invalid area belongs to method \"region\" or \"quality\"");
        if (withQuality) throw py::value_error("the reliability map belongs to method \"quality\"");
        const std::unique_ptr<TFloatImage> out = Guarded(false, [&] {
            py::gil_scoped_release free;
            return ScanLineUnwrap(*phase, x, y, threshold);
        });
        return FromFloat(out->Data, out->Width, out->Height, false);
    }
    if (withQuality && method != "quality")
        throw py::value_error("the reliability map belongs to method \"quality\"");
    // The invalid area is the tool's invalid-area file: 255 marks a pixel that takes no part, and it
    // is darkened to the map's minimum afterwards.
    const std::unique_ptr<TGrayImage> area = invalid.is_none() ? nullptr : ToGrey(invalid, "invalid");
    const TGrayImage none(nullptr, phase->Width, phase->Height);
    NewUnwrapOptions options;
    options.Method = method == "quality" ? UnwrapMethod::QualityGuided : UnwrapMethod::RegionGrowing;
    options.Threshold = threshold;
    options.StartX = x;
    options.StartY = y;
    const std::unique_ptr<TFloatImage> quality = Guarded(false, [&] {
        py::gil_scoped_release free;
        return UnwrapPhaseMap(*phase, area ? *area : none, area.get(), options);
    });
    FloatArray out = FromFloat(phase->Data, phase->Width, phase->Height, false);
    if (!withQuality) return out;
    return py::make_tuple(out, FromFloat(quality->Data, quality->Width, quality->Height, false));
}

} // namespace

void BindMaps(py::module_& m) {
    using namespace py::literals;
    m.def("strain", &Strain, "u"_a, "v"_a = py::none(), py::kw_only(), "component"_a = "exx",
          "fit_window"_a = py::none(), "scale"_a = std::pair<float, float>{1.0f, 1.0f},
          "invalid"_a = py::none(),
          R"(One strain component of displacement maps u and v (2-D float arrays of one shape), as the
Compute Strain window and "corvane-cli strain" compute it:
  ux, uy, vx, vy    a derivative of u (ux, uy) or of v (vx, vy)
  shear             (uy + vx) / 2
  exx, eyy, exy     Green-Lagrange strains; e1, e2 their principal values; evm the equivalent strain
u alone serves ux and uy, v alone vx and vy; the others need both.
fit_window   None: central differences of neighbouring points; an odd N >= 3: a least-squares plane
             through the valid points of the N x N window around each point (a point whose window
             holds fewer than half valid points is not computed)
scale        (x, y) lengths of one step across and down, as the FLT header's scales
invalid      value marking points that take no part (with fit_window, 1000 by default)
Returns a float32 array of the maps' shape, NaN where not computed.)");
    m.def("unwrap", &Unwrap, "phase"_a, py::kw_only(), "method"_a = "region", "start"_a = py::none(),
          "invalid"_a = py::none(), "threshold"_a = 0.5f, "quality"_a = false,
          R"(Unwraps a wrapped phase map (radians, 2-D float array) as "corvane-cli unwrap" does:
  "region"    breadth-first region growing from the start pixel (the fastest; right on clean
              fringes, a wrong step spreads on noisy ones); jump threshold x 2 pi
  "quality"   quality-guided: pixels joined from the most reliable down, so noise and bad areas
              stay local (choose it for noisy fringes and maps with bad areas)
  "scanline"  rows from the start column outwards, then columns; jump threshold x 2 pi
start        (x, y) start pixel, which keeps its value; the map's centre by default
invalid      uint8 array of the map's shape, 255 where a pixel takes no part ("region" and
             "quality"); those pixels are filled from their row and then set to the map's minimum
quality      with "quality", also return the reliability map 1 / (1 + D): (unwrapped, quality)
Returns the unwrapped float32 map.)");
}

} // namespace corvane::python
