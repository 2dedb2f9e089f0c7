#pragma once
#include <cstdint>

namespace corvane::test {

/// The centred two-dimensional FFT written literally from its definition: 1-based kernel arrays,
/// one cosine and one sine per butterfly group, a = a + e accumulation, bit reversal by exchanges,
/// rows then columns through scratch arrays of max(width, height) doubles. Slow and obviously
/// right; the fast transform must give exactly the same floats.
void PlainForwardFFT2D(float* re, float* im, std::int32_t width, std::int32_t height, bool centre);
void PlainInverseFFT2D(float* re, float* im, std::int32_t width, std::int32_t height, bool centre);

} // namespace corvane::test
