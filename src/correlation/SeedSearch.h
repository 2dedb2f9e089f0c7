#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

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

/// Seed search: an exhaustive integer search over the seed search area, then a sub-pixel refinement
/// over the deformed picture sampled at the precision step, at nine points around the seed.
class SeedSearch {
  public:
    /// Binds both pictures and reserves the sampling buffer. Throws std::bad_alloc.
    SeedSearch(const std::uint8_t* initial, std::int32_t w0, std::int32_t h0, const std::uint8_t* deformed,
               std::int32_t w1, std::int32_t h1, const SeedSearchSetup& setup);

    /// Integer match (bx, by) of the window at (x, y) among centres within the reach of the estimate
    /// (ex, ey), rows outer. False when the seed cannot be searched or nothing correlates positively.
    bool IntegerMatch(std::int32_t x, std::int32_t y, std::int32_t ex, std::int32_t ey, std::int32_t& bx,
                      std::int32_t& by) const;
    /// Sub-pixel displacement at (x, y) around the integer prediction (px, py). False when the point
    /// cannot be refined (window or samples outside a picture, nothing correlates positively).
    bool Refine(std::int32_t x, std::int32_t y, std::int32_t px, std::int32_t py, float& dx, float& dy);
    /// The seed's displacement: refinements at the seed and its eight neighbours (each stored at its
    /// own point of dx, dy, W0 x H0, the marker when it fails), then the mean of the nine without the
    /// smallest and largest dx and dy (first met) and without failed refinements, stored at the
    /// seed. False (marker at the seed) when the integer search fails or no refinement is left.
    bool Displacement(std::int32_t x, std::int32_t y, std::int32_t ex, std::int32_t ey, float* dx, float* dy);
    /// Frees the sampling buffer.
    void Release();

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
    std::vector<float> samples_;
    mutable std::vector<double> window_;
};

} // namespace corvane
