// Pictures and float maps from and to files.
#include "Arrays.h"
#include "Bindings.h"

#include <pybind11/stl.h>

#include "image/FileUtil.h"
#include "image/FltFile.h"
#include "image/PictureFile.h"
#include "image/PngWriter.h"
#include "image/TGrayImage.h"

namespace corvane::python {

namespace {

SixteenBitScaling ScalingOf(const std::string& rule) {
    if (rule == "range") return SixteenBitScaling::Range;
    if (rule == "full") return SixteenBitScaling::Full;
    throw py::value_error("sixteen_bit must be \"range\" or \"full\", not \"" + rule + "\"");
}

void RefuseMissing(const std::string& path) {
    if (!FileExists(path)) {
        PyErr_SetString(PyExc_FileNotFoundError, (path + ": not exists").c_str());
        throw py::error_already_set();
    }
}

GreyArray ReadPicture(const std::string& path, const std::string& sixteenBit) {
    const SixteenBitScaling scaling = ScalingOf(sixteenBit);
    RefuseMissing(path);
    GrayRaster raster = Guarded(true, [&] {
        py::gil_scoped_release free;
        return ReadPictureGray(path, scaling);
    });
    return FromGrey(raster.Pixels.data(), raster.Width, raster.Height);
}

py::tuple ReadFlt(const std::string& path) {
    RefuseMissing(path);
    FltContent flt = Guarded(true, [&] {
        py::gil_scoped_release free;
        return ReadFltFile(path);
    });
    py::dict header;
    header["scale_x"] = flt.Header.ScaleX;
    header["scale_y"] = flt.Header.ScaleY;
    header["value_scale"] = flt.Header.ValueScale;
    return py::make_tuple(FromFloat(flt.Values.get(), flt.Header.Width, flt.Header.Height, false), header);
}

void WriteFlt(const std::string& path, const py::handle& array, float scaleX, float scaleY,
              float valueScale) {
    const std::unique_ptr<TFloatImage> map = ToFloat(array, "array");
    FltHeader header;
    header.Width = map->Width;
    header.Height = map->Height;
    header.ScaleX = scaleX;
    header.ScaleY = scaleY;
    header.ValueScale = valueScale;
    Guarded(true, [&] {
        py::gil_scoped_release free;
        WriteFltFile(path, header, map->Data);
    });
}

void WritePicture(const std::string& path, const py::handle& array) {
    const std::unique_ptr<TGrayImage> image = ToGrey(array, "array");
    const std::string extension = LowerExtension(path);
    if (extension != ".bmp" && extension != ".png")
        throw py::value_error(path + ": a picture is written as .bmp or .png");
    Guarded(true, [&] {
        py::gil_scoped_release free;
        if (extension == ".png")
            WritePngFile(path, image->Width, image->Height, PngPixels::Gray, image->Data,
                         path + ": can not write the file");
        else
            image->SaveBmp(path);
    });
}

} // namespace

void BindFiles(py::module_& m) {
    using namespace py::literals;
    m.def("read_picture", &ReadPicture, "path"_a, "sixteen_bit"_a = "range",
          "Reads a BMP, TIFF or PNG picture as File Open does and returns its grey levels as a uint8\n"
          "array (height, width). Colour becomes grey as (R + G + B) / 3 rounded; 16-bit pictures\n"
          "become 8-bit by sixteen_bit: \"range\" stretches the picture's own range of levels,\n"
          "\"full\" divides the whole 0..65535 scale by 257.\n"
          "Raises FileNotFoundError for a missing file, OSError for one that cannot be read.");
    m.def("read_flt", &ReadFlt, "path"_a,
          "Reads an FLT float map. Returns (values, header): a float32 array (height, width) and a\n"
          "dict with scale_x, scale_y and value_scale. Not-computed points keep their marker value\n"
          "(1000). Raises FileNotFoundError or OSError.");
    m.def("write_flt", &WriteFlt, "path"_a, "array"_a, "scale_x"_a = 1.0f, "scale_y"_a = 1.0f,
          "value_scale"_a = 1.0f,
          "Writes a two-dimensional floating-point array as an FLT float map with the header's\n"
          "scales; the file is replaced atomically. Raises ValueError for a wrong array, OSError\n"
          "when the file cannot be written.");
    m.def("write_picture", &WritePicture, "path"_a, "array"_a,
          "Writes a uint8 array (height, width) as a grey picture: a 24-bit BMP or an 8-bit PNG by\n"
          "the name's extension; the file is replaced atomically.");
}

} // namespace corvane::python
