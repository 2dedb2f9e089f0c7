#pragma once
#include <cstdint>
#include <vector>

namespace corvane::test {

/// A regular lattice of round dots, each rendered with its exact area coverage (8 x 8 samples per
/// pixel), optionally moved off the lattice by a random sub-pixel amount and lit unevenly.
struct DotLatticeOptions {
    std::int32_t Width = 200, Height = 150;
    double OriginX = 20.0, OriginY = 20.0; ///< centre of dot (0, 0)
    double PitchX = 20.0, PitchY = 20.0;
    std::int32_t Columns = 9, Rows = 6;
    double Radius = 5.0;
    double DotLevel = 220.0; ///< grey of a dot under even light (below the background: dark dots)
    double BackgroundLevel = 30.0;
    double Jitter = 0.0; ///< each centre moves by up to +-Jitter pixels in x and y
    /// Light falls off across the picture: the grey levels are multiplied by
    /// 1 - LightingFall * (x / Width + y / Height) / 2 (0 = even light).
    double LightingFall = 0.0;
    unsigned Seed = 1;
};

struct DotCentre {
    double X, Y;
};

/// The rendered picture, row by row, and the true centre of each dot, row by row of the lattice.
struct DotLattice {
    std::int32_t Width = 0, Height = 0;
    std::vector<std::uint8_t> Pixels;
    std::vector<DotCentre> Centres;
};

DotLattice MakeDotLattice(const DotLatticeOptions& options);

/// A 240 x 170 lattice of 7 x 5 bright dots (radius 6.5, grey 210 on 80, slightly off the lattice),
/// light falling off to the bottom right; the last column of dots is cut by the right border.
DotLattice UnevenDotLattice();

/// An axis-aligned block of speckle pixels.
struct SpeckleBlock {
    std::int32_t X, Y, W, H;
};

/// Sets the block's pixels of a width-wide picture to value.
void PaintBlock(std::vector<std::uint8_t>& pixels, std::int32_t width, const SpeckleBlock& block,
                std::uint8_t value);

} // namespace corvane::test
