#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dotgrid/TCoordinateSystem.h"
#include "dotgrid/TDotInfo.h"

namespace corvane {

/// One code file as read back: the coded dots of an encoded dot-grid picture and their indices.
///
/// The file is plain text: "TAVM-FS", then "rows width height", then "maxX  maxY  scaleX  scaleY
/// background", one row "number x y nx ny area" per coded dot (centroid in pixels, unscaled) and
/// the picture's name. TDotGridEncoder::WriteCodeFile writes it.
struct TCodeFile {
    std::string FileName;
    std::string ImageName;              ///< one word: a name with blanks is read to its first blank
    std::int32_t Count = 0;             ///< dot rows declared (and read)
    std::int32_t Width = 0, Height = 0; ///< picture size in pixels
    std::int32_t MaxX = 0, MaxY = 0;    ///< half ranges of the coordinate system
    float ScaleX = 1.0f, ScaleY = 1.0f;
    std::int32_t Background = 0; ///< 0 for a white grid, 255 for a black grid
    /// Dots in row order, renumbered from 0 (the numbers written in the file are not kept);
    /// centroids multiplied by the scales; coded and neted.
    std::vector<TDotInfo> Dots;
    std::unique_ptr<TCoordinateSystem> Coordinates; ///< grid index -> row number
};

/// Reads a code file. Throws "Can not open the  code file: \n" + name when it cannot be read, name
/// + "is not a code file!" when the first word does not start with "TAVM-FS", "Read data error
/// from code file: \n" + name when a header number is missing, when the declared row count or the
/// coordinate ranges are impossible for a file of its size, or when fewer rows than declared are
/// read whole; and the coordinate system's range message for indices outside the declared ranges.
TCodeFile ReadCodeFile(const std::string& name);

} // namespace corvane
