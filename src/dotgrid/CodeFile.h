#pragma once
#include <cstddef>
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
    std::string ImageName;              ///< the picture's name: the whole last line
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
/// + " is not a code file!" when the first word does not start with "TAVM-FS", "Read data error
/// from code file: \n" + name when a header number is missing, when the declared row count or the
/// coordinate ranges are impossible for a file of its size, or when fewer rows than declared are
/// read whole; and the coordinate system's range message for indices outside the declared ranges.
TCodeFile ReadCodeFile(const std::string& name);

/// One dot row of a code file as written: the dot's number in the encoder's dot table, its
/// centroid in pixels (unscaled), its grid indices and its area.
struct TCodeRow {
    std::int32_t Number = 0;
    float X = 0.0f, Y = 0.0f;
    std::int32_t Nx = 0, Ny = 0, Area = 0;
};

/// ReadCodeFile over the size bytes of a code file already in memory, with the same checks and
/// messages; name only names the file in them. When rows is given it receives the dot rows as
/// written in the file.
TCodeFile ParseCodeFile(const std::uint8_t* bytes, std::size_t size, const std::string& name,
                        std::vector<TCodeRow>* rows = nullptr);

/// The text of a code file: "TAVM-FS", rows.size() with file's Width and Height, its MaxX, MaxY,
/// ScaleX, ScaleY and Background, the rows, then file.ImageName as it is.
std::string CodeFileText(const TCodeFile& file, const std::vector<TCodeRow>& rows);

} // namespace corvane
