#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "correlation/LineVector.h"

namespace corvane {

/// Sizes of the seed search, derived once from the parameters.
struct SeedSearchSetup {
    std::int32_t WinX = 0, WinY = 0;             ///< correlation window at seeds (the large window)
    std::int32_t Hx = 0, Hy = 0;                 ///< its half sizes
    std::int32_t Rx = 0, Ry = 0;                 ///< integer search reach around the estimate
    std::int32_t Mx = 0, My = 0;                 ///< half the seed search area: minimum distance to a border
    float Precision = 0.0f;                      ///< sub-pixel step
    std::int32_t N = 0;                          ///< sub-pixel candidates per axis
    std::int32_t P = 0;                          ///< samples per pixel
    std::int32_t NX = 0, NY = 0;                 ///< sub-pixel sampling of the deformed picture, per axis
    std::int32_t SampleCols = 0, SampleRows = 0; ///< samples actually taken (at least what is read)
};

/// Derives the seed search sizes: reach = (winMove - reachWin) / 2, half sizes by integer division,
/// N = trunc(2/precision + 0.5 - 1), NX = trunc((winX + 1)/precision + 0.5 - 1), P = trunc(1/precision +
/// 0.5). The sampling grid is widened, when a precision that does not divide 1 would make the refinement read
/// past it, to cover every sample read.
SeedSearchSetup DeriveSeedSearch(std::int32_t winX, std::int32_t winY, std::int32_t winMoveX,
                                 std::int32_t winMoveY, std::int32_t reachWinX, std::int32_t reachWinY,
                                 float precision);

/// What the seed search found at one seed: the nine refinements around it (offsets (0, 0), (+1, 0),
/// (+1, -1), (0, -1), (-1, -1), (-1, 0), (-1, +1), (0, +1), (+1, +1), the marker where one failed)
/// and the seed's own displacement.
struct SeedDisplacement {
    bool Matched = false; ///< the integer search found a match; else nothing else is set
    bool HasMean = false; ///< the seed has a displacement (Dx, Dy below)
    float Around[2][9]{}; ///< dx, dy of the nine refinements
    float Dx = 0, Dy = 0; ///< the seed's displacement when HasMean
};

/// Seed search: an exhaustive integer search over the seed search area, then a sub-pixel refinement
/// over the deformed picture sampled at the precision step, at nine points around the seed. The
/// search is read-only; the sampling buffer and the window live in a Scratch, one per thread.
class SeedSearch {
  public:
    /// The buffers of one worker.
    struct Scratch {
        LineVector<float> Samples;
        LineVector<double> Window;
    };

    /// Binds both pictures.
    SeedSearch(const std::uint8_t* initial, std::int32_t w0, std::int32_t h0, const std::uint8_t* deformed,
               std::int32_t w1, std::int32_t h1, const SeedSearchSetup& setup);

    /// Buffers for one worker. Throws std::bad_alloc.
    Scratch MakeScratch() const;

    /// Integer match (bx, by) of the window at (x, y) among centres within the reach of the estimate
    /// (ex, ey), rows outer. False when the seed cannot be searched or nothing correlates positively.
    bool IntegerMatch(Scratch& scratch, std::int32_t x, std::int32_t y, std::int32_t ex, std::int32_t ey,
                      std::int32_t& bx, std::int32_t& by) const;
    /// Sub-pixel displacement at (x, y) around the integer prediction (px, py). False when the point
    /// cannot be refined (window or samples outside a picture, nothing correlates positively).
    bool Refine(Scratch& scratch, std::int32_t x, std::int32_t y, std::int32_t px, std::int32_t py, float& dx,
                float& dy) const;
    /// The seed's displacement: refinements at the seed and its eight neighbours, then the mean of
    /// the nine without the smallest and largest dx and dy (first met) and without failed
    /// refinements. Reads only the pictures, so seeds may be computed by several threads at once.
    SeedDisplacement Compute(Scratch& scratch, std::int32_t x, std::int32_t y, std::int32_t ex,
                             std::int32_t ey) const;
    /// Stores a seed's result into dx, dy (W0 x H0): each refinement at its own point (the marker
    /// where it failed), then the seed's displacement, or the marker, at the seed.
    void Store(const SeedDisplacement& d, std::int32_t x, std::int32_t y, float* dx, float* dy) const;
    /// Compute, then Store; false when the seed has no displacement.
    bool Displacement(Scratch& scratch, std::int32_t x, std::int32_t y, std::int32_t ex, std::int32_t ey,
                      float* dx, float* dy) const;

  private:
    /// The large window centred at (x, y) lies inside the initial picture.
    bool WindowInside(std::int32_t x, std::int32_t y) const;
    /// (u, v) keeps half the seed search area from every border of the deformed picture.
    bool InSeedArea(std::int32_t u, std::int32_t v) const;

    const std::uint8_t* f_;
    std::int32_t w0_, h0_;
    const std::uint8_t* g_;
    std::int32_t w1_, h1_;
    SeedSearchSetup s_;
};

} // namespace corvane
