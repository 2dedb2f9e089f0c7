#pragma once
#include <cstdint>
#include <vector>

namespace corvane {

class TPixelCanvas;

/// What one fill found: the pixel count, the grey-weighted sums and the bounding box.
/// The weight of a pixel of value v is v on a 0 background and 255 - v on a 255 background, so
/// the pixels farthest from the background weigh most. The sums are 64-bit: a component may
/// cover most of a large picture.
struct TComponentStats {
    std::int32_t Area = 0;
    std::int64_t SumWX = 0, SumWY = 0, SumW = 0;
    std::int32_t MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
};

/// One coordinate of a grey-weighted centre: the weighted sum divided by the weight, rounded to
/// single precision once. Rounding both sums to float first would put the centre one float step
/// off once a sum passes 2^24 (a large dot far from the origin); doubles hold both sums exactly.
inline float WeightedCentre(std::int64_t weightedSum, std::int64_t weight) {
    return static_cast<float>(static_cast<double>(weightedSum) / static_cast<double>(weight));
}

/// Erases 8-connected components of non-background pixels from a picture, one at a time.
///
/// A fill starts at a non-background pixel, sets it to the background value (so each pixel is
/// taken once) and spreads into the neighbours that differ from the background, looked at in the
/// order left, up, right, down, up-left, down-left, up-right, down-right. Within the bounds
/// (Left, Top, Right, Bottom, inclusive) a neighbour to the left is entered only while
/// x > Left + 1, one above only while y > Top + 1, one to the right only while x < Right and one
/// below only while y < Bottom: the first column and row of the bounds are reached only as start
/// pixels. The fill keeps its own stack, so a component the size of the picture costs no call
/// depth.
class TComponentFill {
  public:
    /// Over the whole width x height picture at data, background 0 or 255.
    TComponentFill(std::uint8_t* data, std::int32_t width, std::int32_t height, std::uint8_t background);

    /// Confines the fills to the inclusive rectangle; the caller keeps it inside the picture.
    void SetBounds(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    /// Each erased pixel is also painted on the canvas in the background grey (none: not painted).
    void SetCanvas(TPixelCanvas* canvas) { canvas_ = canvas; }

    /// Fills the component of (x, y), which must lie in the bounds; a background start pixel
    /// gives an empty result.
    TComponentStats Fill(std::int32_t x, std::int32_t y);

  private:
    struct Point {
        std::int32_t X, Y;
    };
    std::uint8_t* data_;
    std::int32_t width_, height_;
    std::uint8_t background_;
    std::int32_t left_ = 0, top_ = 0, right_ = 0, bottom_ = 0;
    TPixelCanvas* canvas_ = nullptr;
    std::vector<Point> stack_;
};

} // namespace corvane
