#pragma once
#include <cstdint>

namespace corvane {

/// Largest power of two not above n, found by doubling 1 while it is <= n and halving once;
/// 0 for n <= 0.
std::int32_t LargestPowerOfTwoAtMost(std::int32_t n);

/// True for 1, 2, 4, 8, ...
bool IsPowerOfTwo(std::int32_t n);

/// Two-dimensional forward transform in place on a width x height complex field stored as two
/// row-major single-precision maps: centring by (-1)^(x+y) when centre is set, then the forward
/// kernel along every row and then along every column, in double precision, stored as floats.
/// The one-dimensional kernels are radix-2 decimation in frequency followed by the bit-reversal
/// permutation; the forward one divides by n, so F(u) = (1/n) sum f(k) exp(+2 pi i u k / n), and
/// the inverse one, f(k) = sum F(u) exp(-2 pi i u k / n), is not scaled.
/// With centring the zero frequency lands at (width/2, height/2) and holds the mean of the field.
/// Throws CorvaneError when a size is not a power of two.
void ForwardFFT2D(float* re, float* im, std::int32_t width, std::int32_t height, bool centre);

/// Two-dimensional inverse transform: inverse kernel along rows, then columns, then the centring
/// negation when centre is set. Undoes ForwardFFT2D within single-precision rounding.
/// Throws CorvaneError when a size is not a power of two.
void InverseFFT2D(float* re, float* im, std::int32_t width, std::int32_t height, bool centre);

} // namespace corvane
