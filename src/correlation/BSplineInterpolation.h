#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvane {

/// Weights of the cubic B-spline at the four nodes i - 1, i, i + 1, i + 2 around a position i + t,
/// 0 <= t < 1; they sum to 1.
inline void CubicBSplineWeights(float t, float& w0, float& w1, float& w2, float& w3) {
    const float t2 = t * t, t3 = t2 * t, s = 1.0f - t;
    constexpr float k6 = 1.0f / 6.0f;
    w0 = s * s * s * k6;
    w1 = (4.0f - 6.0f * t2 + 3.0f * t3) * k6;
    w2 = (1.0f + 3.0f * (t + t2 - t3)) * k6;
    w3 = t3 * k6;
}

/// Interpolating cubic B-spline of a grey picture: coefficients c with
/// g(x, y) = sum c(i, j) B(x - i) B(y - j) equal to the grey value at every pixel (Unser, "Splines:
/// a perfect fit for signal and image processing", IEEE Signal Processing Magazine 1999). The
/// picture is continued by mirror symmetry about its first and last pixels; the coefficients are
/// kept with a frame of kPad on every side, so a position anywhere in [0, W-1] x [0, H-1] reads its
/// 4 x 4 nodes without a test. The prefilter runs in double; coefficients are stored as float.
class BSplineCoefficients {
  public:
    static constexpr std::int32_t kPad = 2;

    BSplineCoefficients() = default;
    /// Coefficients of a W x H grey picture (row by row, W, H >= 1). Throws std::bad_alloc.
    BSplineCoefficients(const std::uint8_t* grey, std::int32_t width, std::int32_t height);

    std::int32_t Width() const { return width_; }
    std::int32_t Height() const { return height_; }
    std::size_t Stride() const { return stride_; }
    /// Coefficient c(x, y) for -kPad <= x < W + kPad, -kPad <= y < H + kPad (unchecked).
    const float* At(std::int32_t x, std::int32_t y) const {
        return coefficients_.data() +
               static_cast<std::ptrdiff_t>(y + kPad) * static_cast<std::ptrdiff_t>(stride_) + (x + kPad);
    }
    /// The interpolated value at (x, y), 0 <= x <= W-1, 0 <= y <= H-1 (unchecked).
    float Value(double x, double y) const;
    /// The x and y derivatives of the interpolant at pixel (x, y) of the picture (unchecked).
    void GradientAtPixel(std::int32_t x, std::int32_t y, float& gx, float& gy) const;

  private:
    std::int32_t width_ = 0, height_ = 0;
    std::size_t stride_ = 0;
    std::vector<float> coefficients_;
};

} // namespace corvane
