#pragma once
// Conversions between numpy arrays and the computing layer's pictures and maps, and the one way
// our errors reach Python. Inputs are checked (dtype, two dimensions, size) and copied into buffers
// the core owns, so a strided or non-contiguous array is read correctly and never out of bounds;
// outputs are new arrays that own their memory.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>
#include <string>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

namespace corvane::python {

namespace py = pybind11;

using FloatArray = py::array_t<float, py::array::c_style>;
using GreyArray = py::array_t<std::uint8_t, py::array::c_style>;

/// A uint8 array of two dimensions as a grey picture (copied). ValueError for another dtype or
/// shape, or an empty array.
std::unique_ptr<TGrayImage> ToGrey(const py::handle& array, const char* name);
/// A floating-point array of two dimensions as a float map (float32 values, copied). ValueError
/// for another dtype or shape.
std::unique_ptr<TFloatImage> ToFloat(const py::handle& array, const char* name);

GreyArray FromGrey(const std::uint8_t* pixels, std::int32_t width, std::int32_t height);
/// A float32 array of the map; with markers, values equal to the not-computed marker become NaN.
FloatArray FromFloat(const float* values, std::int32_t width, std::int32_t height, bool markers);

/// Runs f, turning our errors into Python's: OSError for what reads or writes files (fileCall),
/// ValueError for everything else; MemoryError when memory runs out.
template <class F> auto Guarded(bool fileCall, F&& f) -> decltype(f());

[[noreturn]] void RaiseOurError(bool fileCall, const std::string& message);

template <class F> auto Guarded(bool fileCall, F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const py::error_already_set&) {
        throw;
    } catch (const py::builtin_exception&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        RaiseOurError(fileCall, e.what());
    }
}

} // namespace corvane::python
