#pragma once
#include <pybind11/pybind11.h>

namespace corvane::python {

// Each adds its functions to the module.
void BindFiles(pybind11::module_& m);
void BindCorrelation(pybind11::module_& m);
void BindPictures(pybind11::module_& m);
void BindMaps(pybind11::module_& m);
void BindCarrier(pybind11::module_& m);
void BindDotGrid(pybind11::module_& m);

} // namespace corvane::python
