#pragma once
#include <cstdint>
#include <string>

namespace corvane {

class TFloatImage;

/// The picture scale: the length of one pixel along x and along y in the user's unit of length.
/// The main window holds it, persists it and writes it into every FLT map and code file it saves.
struct ImageScale {
    double ScaleX = 1.0;
    double ScaleY = 1.0;
};

/// A known length measured on a picture, as the scale tool's measurement edits hold it.
struct ScaleMeasurement {
    float ImageLengthX = 1.0f, ImageLengthY = 1.0f;   ///< "In  The Image" (pixels)
    float ActualLengthX = 1.0f, ActualLengthY = 1.0f; ///< "Actual Length" (actual unit)
};

/// The whole pixels between the two ends of a dragged line along one axis: abs(to - from).
std::int32_t MeasuredPixels(std::int32_t from, std::int32_t to);

/// The scale of one axis, actual / pixels in single precision, taken as the value of its shortest
/// decimal text, so that 5.0 over 250 pixels is stored and shown as 0.02. A length of 0 pixels
/// throws "The length in the image must not be 0 pixels".
double ScaleFromLength(float actualLength, float imageLength);

/// Both axes of a measurement (the messages of ScaleFromLength; nothing is computed then).
ImageScale ComputeImageScale(const ScaleMeasurement& measurement);

/// The decimal text a scale is shown with: the shortest text that reads back as the same value.
std::string ScaleText(double scale);

/// Writes the scale into the header of a map about to be saved (x and y scale; the value scale is
/// left as it is).
void ApplyImageScale(TFloatImage& map, const ImageScale& scale);

/// The material constants of the "Material Parameters" window.
struct MaterialParameters {
    double ElasticityConstant = 1.0e6; ///< "Elasticity Constant"
};

} // namespace corvane
