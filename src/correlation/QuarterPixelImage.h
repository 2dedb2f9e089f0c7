#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane {

/// The deformed picture interpolated at quarter-pixel steps, U, of (4*W - 3) x (4*H - 3) entries with
/// U[4r][4c] = g(c, r). Every entry is a multiple of 1/16 of a grey level (bilinear weights in
/// quarters along each axis), at most 255, so it is kept exactly as a 16-bit count of sixteenths:
/// and the entries on whole pixels are the grey picture itself, which U borrows instead of copying:
/// 30 bytes per picture pixel instead of 64 for floats. U is kept as phase planes,
/// Plane(p, q)[r * W + c] = 16 * U[4r + p][4c + q] for (p, q) other than (0, 0), whose entries are
/// the grey picture's bytes, so a window stepping through U at stride 4 (every candidate of the
/// whole-field search does) reads contiguous rows of one plane. Each plane has W x H entries; the
/// last column of planes with q > 0 and the last row of planes with p > 0 lie outside U and hold 0.
class QuarterPixelImage {
  public:
    /// Entries are counts of this fraction of a grey level.
    static constexpr int kSteps = 16;

    QuarterPixelImage() = default;

    /// Builds U from a W x H grey picture (row by row, no padding), which must outlive U. Every
    /// entry is the mean construction of the quarter-pixel grid: whole pixels, then the column
    /// midpoints and their neighbours in each pixel row, then the rows two apart, then the odd
    /// rows; the result equals bilinear interpolation, exactly. Throws std::bad_alloc when memory
    /// runs out.
    void Build(const std::uint8_t* grey, std::int32_t width, std::int32_t height);
    /// Reserves the planes of a W x H picture (all 0) without filling them, so a run fails for
    /// want of memory before it starts. Throws std::bad_alloc when memory runs out.
    void Allocate(std::int32_t width, std::int32_t height);
    /// Takes the W x H grey picture of the allocated planes (it must outlive U), before BuildRows.
    void Attach(const std::uint8_t* grey) { grey_ = grey; }
    /// Fills the plane rows of pixel rows first ... last - 1 (0 <= first <= last <= H) of the
    /// allocated planes from the attached picture. Row bands are independent, so bands may be
    /// filled by different threads at once. Throws std::bad_alloc for its two-row buffer.
    void BuildRows(std::int32_t first, std::int32_t last);
    /// Frees the planes.
    void Release();

    std::int32_t Width() const { return width_; }   ///< W of the grey picture, the row stride of a plane
    std::int32_t Height() const { return height_; } ///< H of the grey picture
    /// Plane of row phase p and column phase q (0..3, not both 0), in sixteenths.
    const std::uint16_t* Plane(int p, int q) const {
        return planes_.data() + static_cast<std::size_t>(p * 4 + q - 1) * planeSize_;
    }
    /// True when U[k][l] lies on a whole pixel, whose entries are grey bytes (GreyEntry).
    static bool WholePixel(std::int64_t k, std::int64_t l) { return ((k | l) & 3) == 0; }
    /// Address of U[k][l] (in sixteenths, not on a whole pixel) in its plane; U[k + 4i][l + 4j]
    /// lies i rows and j entries further on (unchecked).
    const std::uint16_t* Entry(std::int64_t k, std::int64_t l) const {
        return Plane(static_cast<int>(k & 3), static_cast<int>(l & 3)) + (k >> 2) * width_ + (l >> 2);
    }
    /// Address of U[k][l] on a whole pixel, a grey byte, laid out like Entry (unchecked).
    const std::uint8_t* GreyEntry(std::int64_t k, std::int64_t l) const {
        return grey_ + (k >> 2) * width_ + (l >> 2);
    }
    /// U[k][l] for 0 <= k <= 4H - 4, 0 <= l <= 4W - 4 (unchecked), in grey levels.
    float At(std::int64_t k, std::int64_t l) const {
        return WholePixel(k, l) ? static_cast<float>(*GreyEntry(k, l))
                                : static_cast<float>(*Entry(k, l)) * (1.0f / kSteps);
    }

  private:
    std::int32_t width_ = 0, height_ = 0;
    std::size_t planeSize_ = 0;
    std::vector<std::uint16_t> planes_; // the 15 planes other than (0, 0), one after another
    const std::uint8_t* grey_ = nullptr;
};

} // namespace corvane
