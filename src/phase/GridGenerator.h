#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "image/TGrayImage.h"

namespace corvane {

/// DirectionRadioGroup of the grid generator: its item index.
enum class GridDirection { X = 0, Y = 1, XAndY = 2 };

/// DeformationRadioGroup of the grid generator: its item index.
enum class GridDeformation { None = 0, Cylinder = 1, InverseR = 2 };

/// The controls of the grid generator, with their defaults.
struct GridOptions {
    std::string Title = "Carrier 16"; ///< FileNameEdit: caption of the result window
    std::int32_t Width = 256;         ///< WidthEdit
    std::int32_t Height = 256;        ///< HeightEdit
    float XCarrier = 16.0f;           ///< XCarrierEdit: periods across the width
    float YCarrier = 16.0f;           ///< YCarrierEdit: periods across the height
    float LeanY = 0.0f;               ///< LeanYEdit: periods added across the height to the x grid
    float LeanX = 0.0f;               ///< LeanXEdit: periods added across the width to the y grid
    float InitPhase = 0.0f;           ///< InitPhaseEdit: initial phase in units of pi
    GridDirection Direction = GridDirection::X;
    GridDeformation Deformation = GridDeformation::None;
};

inline constexpr const char* kGridSizeMessage = "The grid width and height must be at least 1";

/// True for the combinations that draw no pattern and leave the picture all 0: "1/r", and any
/// deformation with X and Y.
bool GridDrawsNothing(const GridOptions& options);

/// What the grid window says after drawing one of those.
inline constexpr const char* kGridDrawsNothingMessage =
    "No pattern is defined for this deformation and direction: the picture is left black. "
    "\"cylinder\" deforms X or Y grids.";

/// Generate!!!: a cosine grid grey(t) = trunc((cos t + 1) 127.5) of the options, in single
/// precision with pi = 3.1415927:
///   X:      t = 2 pi fx x / W + phi0 + 2 pi ly y / H
///   Y:      t = 2 pi fy y / H + phi0 + 2 pi lx x / W
///   X and Y: trunc((cos a + 1)(cos b + 1) 63.75) with a and b the two phases above
/// The cylinder deformation shifts the middle half of the rows (X) or columns (Y) by
/// s = sqrt(0.25 - (u - 0.5)^2) - sqrt(0.25 - 0.0625) of the size, u = y / H (or x / W).
/// "1/r", and any deformation with X and Y, leave the picture all 0.
/// Throws kGridSizeMessage for a width or height of 0 or below, before anything is made.
std::unique_ptr<TGrayImage> GenerateGrid(const GridOptions& options);

} // namespace corvane
