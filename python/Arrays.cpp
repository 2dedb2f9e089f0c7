#include "Arrays.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "image/FloatMapDisplay.h"

namespace corvane::python {

namespace {

/// Width and height of a two-dimensional array, refused when empty or beyond 32-bit sides.
std::pair<std::int32_t, std::int32_t> Sides(const py::array& a, const char* name) {
    if (a.ndim() != 2)
        throw py::value_error(std::string(name) +
                              " must be a two-dimensional array (height, width), not one of " +
                              std::to_string(a.ndim()) + " dimensions");
    const py::ssize_t h = a.shape(0), w = a.shape(1);
    if (h < 1 || w < 1) throw py::value_error(std::string(name) + " is empty");
    if (h > std::numeric_limits<std::int32_t>::max() || w > std::numeric_limits<std::int32_t>::max() ||
        h * w > std::numeric_limits<std::int32_t>::max())
        throw py::value_error(std::string(name) + " is too large");
    return {static_cast<std::int32_t>(w), static_cast<std::int32_t>(h)};
}

py::array AsArray(const py::handle& object, const char* name) {
    if (!py::isinstance<py::array>(object))
        throw py::type_error(std::string(name) + " must be a numpy array, not " +
                             std::string(py::str(py::type::of(object).attr("__name__"))));
    return py::reinterpret_borrow<py::array>(object);
}

} // namespace

std::unique_ptr<TGrayImage> ToGrey(const py::handle& object, const char* name) {
    const py::array a = AsArray(object, name);
    if (!a.dtype().is(py::dtype::of<std::uint8_t>()))
        throw py::value_error(std::string(name) + " must be a uint8 array (grey levels 0..255), not " +
                              std::string(py::str(a.dtype())));
    const auto [w, h] = Sides(a, name);
    const GreyArray c = GreyArray::ensure(a); // a C-ordered copy when the array is strided
    if (!c) throw py::error_already_set();
    auto image = std::make_unique<TGrayImage>(nullptr, w, h);
    std::memcpy(image->Data, c.data(), static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    return image;
}

std::unique_ptr<TFloatImage> ToFloat(const py::handle& object, const char* name) {
    const py::array a = AsArray(object, name);
    if (a.dtype().kind() != 'f')
        throw py::value_error(std::string(name) + " must be a floating-point array, not " +
                              std::string(py::str(a.dtype())));
    const auto [w, h] = Sides(a, name);
    // float32, C-ordered: converted from float64 or copied from a strided view as needed.
    const auto c = py::array_t<float, py::array::c_style | py::array::forcecast>::ensure(a);
    if (!c) throw py::error_already_set();
    auto map = std::make_unique<TFloatImage>(nullptr, w, h);
    std::memcpy(map->Data, c.data(),
                static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * sizeof(float));
    return map;
}

GreyArray FromGrey(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
    GreyArray out({static_cast<py::ssize_t>(height), static_cast<py::ssize_t>(width)});
    std::memcpy(out.mutable_data(), pixels,
                static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    return out;
}

FloatArray FromFloat(const float* values, std::int32_t width, std::int32_t height, bool markers) {
    FloatArray out({static_cast<py::ssize_t>(height), static_cast<py::ssize_t>(width)});
    float* o = out.mutable_data();
    const std::size_t n = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < n; ++i)
        o[i] =
            markers && values[i] == kNotComputedMarker ? std::numeric_limits<float>::quiet_NaN() : values[i];
    return out;
}

void RaiseOurError(bool fileCall, const std::string& message) {
    PyErr_SetString(fileCall ? PyExc_OSError : PyExc_ValueError, message.c_str());
    throw py::error_already_set();
}

} // namespace corvane::python
