#pragma once
#include <cstdint>
#include <vector>

#include "correlation/TCorRelationResult.h"

namespace corvane {

/// The seed grid of a run: seeds in seed order (row by row, top row first) and which of them remain.
struct SeedGrid {
    std::vector<TCorRelationSeed> Seeds; ///< removed seeds have every field 0
    std::vector<char> Active;            ///< 1 for a seed that remains
};

/// Lays the SeedNumX x SeedNumY seeds over the search field (Left..Right, Up..Bottom) of an initial
/// picture of w0 x h0 and a deformed one of w1 x h1: one seed at the centre of every other cell, its
/// region the block of cells around it (the last column and row reaching Right and Bottom). Then
/// trims outer columns and rows of seeds whose seed search area (WinMove / 2 around the seed and
/// around its estimate) would leave a picture; a removed seed's outer region bound goes to its inner
/// neighbour. Throws "Check your computing parameters, then start again" when no seed remains.
SeedGrid LayOutSeeds(const TCorRelationPara& para, std::int32_t w0, std::int32_t h0, std::int32_t w1,
                     std::int32_t h1);

} // namespace corvane
