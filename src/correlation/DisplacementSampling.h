#pragma once
#include <cstdint>
#include <string>

#include "image/TFloatImage.h"

namespace corvane {

/// What the sampling tool writes, in the order of its result list.
enum class SampleResultType {
    XYDxDy = 0,   ///< "x   y     dx     dy"
    XYThetaR = 1, ///< "x   y    theta    r"
    XYDx = 2,     ///< "x   y     dx"
    XYDy = 3,     ///< "x   y     dy"
    MatrixU = 4,  ///< "Matrix ( U )"
    MatrixV = 5,  ///< "Matrix ( V )"
};

/// A rectangle of field points, corners included.
struct SampleRange {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

/// The options of one save of the sampling tool.
struct SampleOptions {
    SampleResultType Type = SampleResultType::XYDxDy;
    std::int32_t GridX = 1, GridY = 1; ///< "Output Grids" steps (1, 1 when unchecked; below 1 taken as 1)
    bool UseRange = false;             ///< "OutputRange"; otherwise the whole field
    SampleRange Range;                 ///< clipped to the field
    bool ChangeYaxis = false;          ///< "Change Y axis": y axis up
    bool UseInvalidValue = false;      ///< "Invalid value"
    float InvalidValue = 1000.0f;
    double ScaleX = 1.0, ScaleY = 1.0; ///< coordinate scales sx, sy
    bool ScaleDisplacement = false;    ///< "Use Scale to Displacement"
    std::string MaskFile;              ///< used when it names an existing BMP; points with 255 are kept
};

/// Throws "You should give two Binary Float File at the Input Page" unless both fields are given,
/// and a message when U and V differ in size (V would be read outside its values).
void CheckSampleFields(const TFloatImage* u, const TFloatImage* v);

/// The text of the sampled table: point lists with their header line, or a matrix of U or V, over
/// the grid points of the range, row by row. Throws the messages of CheckSampleFields, and one when
/// the mask picture is not the field's size.
std::string SampleDisplacements(const TFloatImage* u, const TFloatImage* v, const SampleOptions& options);

/// Writes the table to the file, replacing it atomically. Throws the messages above, or
/// "Can not output data to <fileName>" when the file cannot be written (an old file stays whole).
void SaveDisplacementSamples(const std::string& fileName, const TFloatImage* u, const TFloatImage* v,
                             const SampleOptions& options);

/// Sets the three header scale values of a loaded field and writes it back to its own file
/// (the FLT writer's message when that fails).
void RewriteHeaderScales(TFloatImage& field, float scaleX, float scaleY, float valueScale);

} // namespace corvane
