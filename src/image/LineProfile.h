#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "image/GrayHistogram.h"

namespace corvane {

class TGrayImage;

/// The direction of a profile: along a row through the click, or down a column.
enum class ProfileDirection { Horizontal = 0, Vertical = 1 };

/// The samples of a row (Horizontal, at position y) or a column (Vertical, at position x) of a
/// colour bitmap, each (R + G + B) / 3 as a float, not rounded. A position outside the picture
/// throws "row Y is not in the picture (0..H-1)" or "column X is not in the picture (0..W-1)".
std::vector<float> LineProfile(const RgbBitmapView& bitmap, ProfileDirection direction,
                               std::int32_t position);
/// The same over a grey picture (each sample is the pixel's level).
std::vector<float> LineProfile(const TGrayImage& image, ProfileDirection direction, std::int32_t position);

/// The rows at which the plot's polyline meets each sample in a bitmap height rows high: with
/// h = height - 1, trunc(h - (value - min) * h / range), range = max - min, or 1 when below 1e-15
/// (a flat profile lies on the bottom row). The line starts at (0, h).
std::vector<std::int32_t> ProfilePlotRows(const std::vector<float>& values, std::int32_t height);

/// Writes each sample as " %d   %f\n" (index from 0, value), replacing the file atomically. Throws
/// " no data " when there are no samples and "Can not output data to <fileName>" when the file
/// cannot be written (an old file stays whole).
void SaveProfileData(const std::string& fileName, const std::vector<float>& values);

} // namespace corvane
