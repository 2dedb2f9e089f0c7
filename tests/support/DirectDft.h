#pragma once
#include <cstdint>
#include <vector>

namespace corvane::test {

/// A complex field as two row-major maps of doubles.
struct ComplexField {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<double> Re;
    std::vector<double> Im;
};

/// The centred forward spectrum by the direct sum, O((W*H)^2):
/// F(u, v) = 1/(W*H) * sum over (x, y) of (-1)^(x+y) f(x, y) exp(+2 pi i (u x / W + v y / H)),
/// with the angles reduced exactly before the sine and cosine are taken.
ComplexField DirectCentredForward(const ComplexField& field);

} // namespace corvane::test
