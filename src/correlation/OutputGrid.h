#pragma once
#include <cstdint>
#include <vector>

#include "correlation/TCorRelationPara.h"

namespace corvane {

/// The output grid of a normal run: the points Left + i GridX, Up + j GridY of the search field,
/// i = 0 .. Columns - 1, j = 0 .. Rows - 1 (the points the displacement tables are written at).
struct OutputGrid {
    std::int32_t Left = 0, Up = 0;
    std::int32_t StepX = 1, StepY = 1;
    std::int32_t Columns = 0, Rows = 0;
    std::int32_t X(std::int32_t i) const { return Left + i * StepX; }
    std::int32_t Y(std::int32_t j) const { return Up + j * StepY; }
    std::int64_t Points() const { return static_cast<std::int64_t>(Columns) * Rows; }
};

/// The output grid of para (steps below 1 count as 1).
OutputGrid OutputGridOf(const TCorRelationPara& para);

/// True when a run of para computes only its output grid: a normal run with GridOnly 1 and a grid
/// step above 1. A grid of step 1 both ways is every point of the field, which a dense run computes.
bool ComputesGridOnly(const TCorRelationPara& para);

/// How the dx and dy maps (grey and FLT) of a run are laid out: map point (i, j) is picture pixel
/// (X0 + i StepX, Y0 + j StepY). A dense run writes the whole picture (step 1, origin 0). A
/// grid-only run writes the grid's lattice over the whole picture: X0 = Left mod GridX and
/// Y0 = Up mod GridY, the grid column and row nearest the picture's top left corner, and as many
/// columns and rows as fit in the picture; points outside the search field hold the marker.
struct MapLayout {
    std::int32_t X0 = 0, Y0 = 0;
    std::int32_t StepX = 1, StepY = 1;
    std::int32_t Width = 0, Height = 0;
};

/// The layout of the maps of a run of para on a w0 x h0 initial picture.
MapLayout MapLayoutOf(const TCorRelationPara& para, bool fast, std::int32_t w0, std::int32_t h0);

/// The points of a w0-wide array (row by row) that the layout keeps, in map order.
std::vector<float> OnMapLayout(const std::vector<float>& values, std::int32_t w0, const MapLayout& layout);

} // namespace corvane
