// The Python module "corvane": the computing layer for scripts and notebooks, numpy arrays in and
// out. Only bindings live here; every number comes from the same core functions the workbench and
// corvane-cli call.
#include "Bindings.h"

PYBIND11_MODULE(corvane, m) {
    m.doc() = "Corvane's computing layer with numpy arrays: pictures and float maps, digital image "
              "correlation, strain, unwrapping, phase shifting, the carrier-fringe method, dot-grid "
              "encoding and matching, FFT and median filtering. The numbers are those of the workbench "
              "and of corvane-cli.";
    corvane::python::BindFiles(m);
    corvane::python::BindPictures(m);
    corvane::python::BindCorrelation(m);
    corvane::python::BindMaps(m);
    corvane::python::BindCarrier(m);
    corvane::python::BindDotGrid(m);
}
