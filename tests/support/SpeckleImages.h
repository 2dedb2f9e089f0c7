#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace corvane::test {

/// What a synthetic speckle pair looks like.
struct SpeckleOptions {
    std::int32_t Width = 128, Height = 128;
    double ShiftX = 0.0, ShiftY = 0.0; ///< displacement of the deformed picture, in pixels
    double StretchX = 0.0;             ///< and a stretch along x about x = 0 (0.01: u = 0.01 x)
    double DotRadius = 1.6;            ///< Gaussian radius of one speckle
    double DotsPerPixel = 0.12;        ///< speckle density
    unsigned Seed = 1;
};

/// An initial and a deformed 8-bit picture, row by row.
struct SpecklePair {
    std::int32_t Width = 0, Height = 0;
    std::vector<std::uint8_t> Initial, Deformed;
};

/// Renders random Gaussian speckles; the deformed picture is the same speckle field moved by
/// (ShiftX, ShiftY), evaluated analytically at every pixel (no resampling of the initial picture),
/// so g(x, y) = f-pattern(x - ShiftX, y - ShiftY) holds to the rounding of grey values. With a
/// stretch each speckle centre x moves on by StretchX * x (the speckles keep their shape).
SpecklePair MakeSpecklePair(const SpeckleOptions& options);

/// Saves a grey picture as a BMP file.
void SaveGreyBmp(const std::string& fileName, std::int32_t width, std::int32_t height,
                 const std::vector<std::uint8_t>& pixels);

} // namespace corvane::test
