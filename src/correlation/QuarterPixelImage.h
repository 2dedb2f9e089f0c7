#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane {

/// The deformed picture interpolated at quarter-pixel steps, U, of (4*W - 3) x (4*H - 3) entries with
/// U[4r][4c] = g(c, r). U is kept as 16 phase planes, Plane(p, q)[r * W + c] = U[4r + p][4c + q], so a
/// window stepping through U at stride 4 (every candidate of the whole-field search does) reads
/// contiguous rows of one plane. Each plane has W x H entries; the last column of planes with q > 0
/// and the last row of planes with p > 0 lie outside U and hold 0.
class QuarterPixelImage {
  public:
    QuarterPixelImage() = default;

    /// Builds U from a W x H grey picture (row by row, no padding). Every entry is the mean
    /// construction of the quarter-pixel grid: whole pixels, then the column midpoints and their
    /// neighbours in each pixel row, then the rows two apart, then the odd rows; the result equals
    /// bilinear interpolation and is exact in float. Throws std::bad_alloc when memory runs out.
    void Build(const std::uint8_t* grey, std::int32_t width, std::int32_t height);
    /// Reserves the planes of a W x H picture (all 0) without filling them, so a run fails for
    /// want of memory before it starts. Throws std::bad_alloc when memory runs out.
    void Allocate(std::int32_t width, std::int32_t height);
    /// Frees the planes.
    void Release();

    std::int32_t Width() const { return width_; }   ///< W of the grey picture, the row stride of a plane
    std::int32_t Height() const { return height_; } ///< H of the grey picture
    /// Plane of row phase p and column phase q (0..3).
    const float* Plane(int p, int q) const {
        return planes_.data() + static_cast<std::size_t>(p * 4 + q) * planeSize_;
    }
    /// Address of U[k][l] in its plane; U[k + 4i][l + 4j] lies i rows and j entries further on
    /// (unchecked).
    const float* Entry(std::int64_t k, std::int64_t l) const {
        return Plane(static_cast<int>(k & 3), static_cast<int>(l & 3)) + (k >> 2) * width_ + (l >> 2);
    }
    /// U[k][l] for 0 <= k <= 4H - 4, 0 <= l <= 4W - 4 (unchecked).
    float At(std::int64_t k, std::int64_t l) const { return *Entry(k, l); }

  private:
    std::int32_t width_ = 0, height_ = 0;
    std::size_t planeSize_ = 0;
    std::vector<float> planes_;
};

} // namespace corvane
