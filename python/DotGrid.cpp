// Dot-grid targets held in memory: encoding the dots of a picture, matching two encodings.
#include "Arrays.h"
#include "Bindings.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <optional>
#include <type_traits>
#include <vector>

#include "dotgrid/CodeFile.h"
#include "dotgrid/DotGridEncode.h"
#include "dotgrid/MatchResultFile.h"
#include "dotgrid/TCodeMatch.h"

namespace corvane::python {

namespace {

template <class T> py::array_t<T> Column(const std::vector<T>& values) {
    py::array_t<T> out(static_cast<py::ssize_t>(values.size()));
    std::copy(values.begin(), values.end(), out.mutable_data());
    return out;
}

py::dict Encode(const py::handle& image, bool black, std::optional<std::string> segment,
                std::optional<std::int32_t> threshold, std::optional<std::int32_t> window,
                const std::string& origin, std::optional<std::pair<float, float>> ratio,
                std::optional<std::pair<float, float>> originDot, std::pair<std::int32_t, std::int32_t> range,
                std::pair<float, float> scale) {
    TPictureEncode request;
    request.WhiteGrid = !black;
    if (segment && *segment != "simple" && *segment != "adaptive")
        throw py::value_error("segment must be \"simple\", \"adaptive\" or None, not \"" + *segment + "\"");
    if (threshold && segment != "simple") throw py::value_error("threshold belongs to segment \"simple\"");
    if (window && segment != "adaptive") throw py::value_error("window belongs to segment \"adaptive\"");
    if (segment) request.Segment = *segment == "simple" ? TEncodeSegment::Simple : TEncodeSegment::Adaptive;
    request.Simple.Level = threshold.value_or(request.Simple.Level);
    request.Adaptive.WindowSize = window.value_or(request.Adaptive.WindowSize);
    if (origin != "auto" && origin != "ratio" && origin != "direct")
        throw py::value_error("origin must be \"auto\", \"ratio\" or \"direct\", not \"" + origin + "\"");
    if ((origin == "ratio") != ratio.has_value())
        throw py::value_error("ratio (K, R) goes with origin \"ratio\", and only with it");
    if ((origin == "direct") != originDot.has_value())
        throw py::value_error("origin_dot (x, y) goes with origin \"direct\", and only with it");
    if (ratio) {
        request.Origin = TEncodeOrigin::Ratio;
        std::tie(request.PitchX, request.PitchY) = *ratio;
    }
    if (originDot) {
        request.Origin = TEncodeOrigin::Direct;
        std::tie(request.OriginX, request.OriginY) = *originDot;
    }
    if (range.first < 0 || range.second < 0)
        throw py::value_error("max: the half ranges must not be negative");
    std::tie(request.MaxX, request.MaxY) = range;
    std::tie(request.ScaleX, request.ScaleY) = scale;

    const std::unique_ptr<TGrayImage> picture = ToGrey(image, "image");
    std::vector<TCodeRow> rows;
    const TCodeFile header = Guarded(false, [&] {
        py::gil_scoped_release free;
        return EncodePicture(*picture, request)->CodeFileHeader(rows);
    });
    std::vector<std::int32_t> number, nx, ny, area;
    std::vector<float> x, y;
    for (const TCodeRow& row : rows) {
        number.push_back(row.Number);
        x.push_back(row.X);
        y.push_back(row.Y);
        nx.push_back(row.Nx);
        ny.push_back(row.Ny);
        area.push_back(row.Area);
    }
    py::dict out;
    out["number"] = Column(number);
    out["x"] = Column(x);
    out["y"] = Column(y);
    out["nx"] = Column(nx);
    out["ny"] = Column(ny);
    out["area"] = Column(area);
    out["width"] = header.Width;
    out["height"] = header.Height;
    out["max_x"] = header.MaxX;
    out["max_y"] = header.MaxY;
    out["scale_x"] = header.ScaleX;
    out["scale_y"] = header.ScaleY;
    out["background"] = header.Background;
    return out;
}

/// A one-dimensional column of a codes dict (n values, or any count when n is negative); whole
/// numbers refused when they are not integers.
template <class T>
std::vector<T> ColumnOf(const py::dict& codes, const char* key, const std::string& name, py::ssize_t n) {
    if (!codes.contains(key)) throw py::value_error(name + " has no \"" + key + "\"");
    const py::array a = py::array::ensure(codes[key]);
    if (!a) throw py::type_error(name + "[\"" + key + "\"] must be an array");
    const bool integral = a.dtype().kind() == 'i' || a.dtype().kind() == 'u';
    if (std::is_integral_v<T> ? !integral : !integral && a.dtype().kind() != 'f')
        throw py::type_error(name + "[\"" + key + "\"] must hold " +
                             (std::is_integral_v<T> ? "integers" : "numbers") + ", not " +
                             std::string(py::str(a.dtype())));
    if (a.ndim() != 1 || (n >= 0 && a.shape(0) != n))
        throw py::value_error(name + "[\"" + key + "\"] must be a one-dimensional array as long as \"x\"");
    const auto c = py::array_t<T, py::array::c_style | py::array::forcecast>::ensure(a);
    if (!c) throw py::error_already_set();
    return std::vector<T>(c.data(), c.data() + c.size());
}

/// A codes dict as encode gives it, taken as its code file would be read back: the same checks,
/// and the centres at the file's three decimals.
TCodeFile CodesOf(const py::dict& codes, const std::string& name) {
    const std::vector<float> x = ColumnOf<float>(codes, "x", name, -1);
    const auto n = static_cast<py::ssize_t>(x.size());
    const std::vector<float> y = ColumnOf<float>(codes, "y", name, n);
    const std::vector<std::int32_t> nx = ColumnOf<std::int32_t>(codes, "nx", name, n),
                                    ny = ColumnOf<std::int32_t>(codes, "ny", name, n);
    const auto number = codes.contains("number") ? ColumnOf<std::int32_t>(codes, "number", name, n)
                                                 : std::vector<std::int32_t>();
    const auto area =
        codes.contains("area") ? ColumnOf<std::int32_t>(codes, "area", name, n) : std::vector<std::int32_t>();
    const auto field = [&](const char* key, auto fallback) {
        if (!codes.contains(key)) return fallback;
        try {
            return codes[key].cast<decltype(fallback)>();
        } catch (const py::cast_error&) {
            throw py::type_error(name + "[\"" + key + "\"] must be a number");
        }
    };
    TCodeFile file;
    file.Width = field("width", std::int32_t{0});
    file.Height = field("height", std::int32_t{0});
    file.MaxX = field("max_x", std::int32_t{50});
    file.MaxY = field("max_y", std::int32_t{50});
    file.ScaleX = field("scale_x", 1.0f);
    file.ScaleY = field("scale_y", 1.0f);
    file.Background = field("background", std::int32_t{0});
    std::vector<TCodeRow> rows(x.size());
    for (std::size_t k = 0; k < rows.size(); ++k)
        rows[k] = {number.empty() ? static_cast<std::int32_t>(k) : number[k],
                   x[k],
                   y[k],
                   nx[k],
                   ny[k],
                   area.empty() ? 0 : area[k]};
    const std::string text = CodeFileText(file, rows);
    return Guarded(false, [&] {
        return ParseCodeFile(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), name);
    });
}

py::dict Match(const py::dict& initial, const py::dict& deformed, bool changeY) {
    TCodeFile a = CodesOf(initial, "codes_a");
    TCodeFile b = CodesOf(deformed, "codes_b");
    const std::vector<TMatchRow> rows = Guarded(false, [&] {
        const TCodeMatch match(std::move(a), std::move(b));
        return MatchRows(match, changeY);
    });
    const auto n = static_cast<py::ssize_t>(rows.size());
    py::array_t<std::int32_t> index(n), nx(n), ny(n);
    py::array_t<float> x(n), y(n), dx(n), dy(n), theta(n), r(n);
    for (py::ssize_t k = 0; k < n; ++k) {
        const TMatchRow& row = rows[static_cast<std::size_t>(k)];
        index.mutable_data()[k] = row.Index;
        nx.mutable_data()[k] = row.Nx;
        ny.mutable_data()[k] = row.Ny;
        // Each value is a float widened to double: narrowing it back is exact.
        x.mutable_data()[k] = static_cast<float>(row.X);
        y.mutable_data()[k] = static_cast<float>(row.Y);
        dx.mutable_data()[k] = static_cast<float>(row.Dx);
        dy.mutable_data()[k] = static_cast<float>(row.Dy);
        theta.mutable_data()[k] = static_cast<float>(row.Theta);
        r.mutable_data()[k] = static_cast<float>(row.R);
    }
    py::dict out;
    out["index"] = index;
    out["nx"] = nx;
    out["ny"] = ny;
    out["x"] = x;
    out["y"] = y;
    out["dx"] = dx;
    out["dy"] = dy;
    out["theta"] = theta;
    out["r"] = r;
    return out;
}

} // namespace

void BindDotGrid(py::module_& m) {
    using namespace py::literals;
    m.def("encode", &Encode, "image"_a, py::kw_only(), "black"_a = false, "segment"_a = py::none(),
          "threshold"_a = py::none(), "window"_a = py::none(), "origin"_a = "auto", "ratio"_a = py::none(),
          "origin_dot"_a = py::none(), "max"_a = std::pair<std::int32_t, std::int32_t>{50, 50},
          "scale"_a = std::pair<float, float>{1.0f, 1.0f},
          R"(Gives every dot of a uint8 dot-grid picture integer grid indices (nx to the right, ny up the
picture) from an origin dot, as "Encoding" and "corvane-cli encode" do. Dots touching the border
and those below two thirds of the mean dot area are left out; dots the walk cannot reach get none.
black        the dots are darker than the background (default: white dots)
segment      None (the picture is segmented already: background 0, or 255 with black), "simple"
             (at threshold, 128) or "adaptive" (per window of window pixels, 150)
origin       "auto": the dot nearest to the mean of all dots, its neighbours found from the nearest
             dot; "ratio": the same origin, its neighbours predicted from ratio (K, R), the pitches
             along x and y or their proportion; "direct": the dot nearest to origin_dot (x, y),
             its neighbours the nearest dots right, below, left and above, indices (0, 0)
max          (x, y) half ranges of the grid indices
scale        (x, y) image scale of the codes
Returns the codes as a code file holds them, a dict: 1-D arrays number (the dot's number), x, y
(centres in pixels, float32), nx, ny, area (int32), one per coded dot, and width, height,
max_x, max_y, scale_x, scale_y, background.)");
    m.def("match", &Match, "codes_a"_a, "codes_b"_a, py::kw_only(), "change_y"_a = true,
          R"(Pairs the dots of two encodings (dicts as encode returns: arrays x, y, nx, ny, and optionally
number, area, width, height, max_x, max_y (50), scale_x, scale_y (1), background) by their grid
indices over the smaller of the two index ranges, as "Save Match" and "corvane-cli match" do; codes_a is the initial grid, codes_b
the deformed one. Each encoding is taken as its code file would be read back, centres at three
decimals and scaled by scale_x and scale_y, so the numbers are those of the code files.
change_y     y = height - y and dy, theta positive up the picture (default); False keeps y and
             gives dy, theta down the picture
Returns a dict of 1-D arrays in match order (ny, then nx, ascending): index (the initial dot's
row), nx, ny (int32), x, y (the initial dot), dx, dy (deformed minus initial), theta, r (float32).)");
}

} // namespace corvane::python
