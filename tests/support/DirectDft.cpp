#include "support/DirectDft.h"

#include <cmath>

namespace corvane::test {

ComplexField DirectCentredForward(const ComplexField& f) {
    const std::int32_t w = f.Width, h = f.Height;
    ComplexField out{w, h, std::vector<double>(f.Re.size()), std::vector<double>(f.Im.size())};
    const long double twoPi = 6.283185307179586476925286766559L;
    for (std::int32_t v = 0; v < h; ++v)
        for (std::int32_t u = 0; u < w; ++u) {
            long double sr = 0, si = 0;
            for (std::int32_t y = 0; y < h; ++y)
                for (std::int32_t x = 0; x < w; ++x) {
                    const long double sign = ((x + y) % 2) ? -1.0L : 1.0L;
                    // (u x / W + v y / H) reduced to a fraction of a turn with integer arithmetic
                    const std::int64_t turnsNum =
                        (static_cast<std::int64_t>(u) * x % w) * h + (static_cast<std::int64_t>(v) * y % h) * w;
                    const long double angle = twoPi * static_cast<long double>(turnsNum % (std::int64_t(w) * h)) /
                                              (static_cast<long double>(w) * h);
                    const long double c = std::cos(angle), s = std::sin(angle);
                    const long double a = sign * f.Re[y * w + x], b = sign * f.Im[y * w + x];
                    sr += a * c - b * s;
                    si += a * s + b * c;
                }
            out.Re[v * w + u] = static_cast<double>(sr / (static_cast<long double>(w) * h));
            out.Im[v * w + u] = static_cast<double>(si / (static_cast<long double>(w) * h));
        }
    return out;
}

} // namespace corvane::test
