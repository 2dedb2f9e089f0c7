#include "support/PlainPointSearch.h"

#include <cmath>

namespace corvane::test {

PlainQuarterPicture MakePlainQuarterPicture(const std::uint8_t* g, std::int32_t w, std::int32_t h) {
    PlainQuarterPicture q;
    q.Cols = 4 * w - 3;
    q.Rows = 4 * h - 3;
    q.U.assign(static_cast<std::size_t>(q.Cols) * q.Rows, 0.0f);
    auto U = [&](std::int64_t k, std::int64_t l) -> float& { return q.U[static_cast<std::size_t>(k * q.Cols + l)]; };
    for (std::int32_t r = 0; r < h; ++r) {
        const std::int64_t k = 4 * r;
        for (std::int32_t c = 0; c < w; ++c) U(k, 4 * c) = g[r * w + c];
        for (std::int32_t c = 0; c + 1 < w; ++c) U(k, 4 * c + 2) = (float(g[r * w + c]) + float(g[r * w + c + 1])) / 2;
        for (std::int64_t l = 1; l < q.Cols; l += 2) U(k, l) = (U(k, l - 1) + U(k, l + 1)) / 2;
    }
    for (std::int64_t k = 2; k < q.Rows; k += 4)
        for (std::int64_t l = 0; l < q.Cols; ++l) U(k, l) = (U(k - 2, l) + U(k + 2, l)) / 2;
    for (std::int64_t k = 1; k < q.Rows; k += 2)
        for (std::int64_t l = 0; l < q.Cols; ++l) U(k, l) = (U(k - 1, l) + U(k + 1, l)) / 2;
    return q;
}

PlainSearchResult PlainPointSearch(const std::uint8_t* f, std::int32_t w0, std::int32_t h0,
                                   const PlainQuarterPicture& u, std::int32_t w1, std::int32_t h1,
                                   std::int32_t wx, std::int32_t wy, std::int32_t x, std::int32_t y,
                                   std::int32_t px, std::int32_t py) {
    PlainSearchResult res;
    const std::int32_t hx = wx / 2, hy = wy / 2;
    if (!(hx < x && x < w0 - hx - 1 && hy < y && y < h0 - hy - 1 && hx < px && px < w1 - hx - 1 && hy < py &&
          py < h1 - hy - 1))
        return res;
    auto F = [&](std::int32_t jj, std::int32_t ii) { return double(f[(y - hy + ii) * w0 + (x - hx + jj)]); };
    double sff = 0;
    for (std::int32_t ii = 0; ii < wy; ++ii)
        for (std::int32_t jj = 0; jj < wx; ++jj) sff += F(jj, ii) * F(jj, ii);

    auto level = [&](auto valueAt, int from, int& ba, int& bb) {
        double best = 0;
        ba = bb = -1;
        for (int a = from; a < from + 3; ++a)
            for (int b = from; b < from + 3; ++b) {
                double sfg = 0, sgg = 0;
                for (std::int32_t ii = 0; ii < wy; ++ii)
                    for (std::int32_t jj = 0; jj < wx; ++jj) {
                        const double g = valueAt(a, b, ii, jj);
                        sfg += F(jj, ii) * g;
                        sgg += g * g;
                    }
                const double c = sfg / std::sqrt(sff * sgg);
                if (c > best) best = c, ba = a, bb = b;
            }
    };
    int a1, b1, a2, b2, a3, b3;
    level([&](int a, int b, int ii, int jj) { return u.At(4 * (py - hy + ii) + 2 * a - 2, 4 * (px - hx + jj) + 2 * b - 2); },
          0, a1, b1);
    res.Outcome = 1;
    if (a1 < 0) return res;
    level([&](int a, int b, int ii, int jj) {
        return u.At(4 * (py - hy + ii) + 2 * a1 + a - 3, 4 * (px - hx + jj) + 2 * b1 + b - 3);
    }, 0, a2, b2);
    if (a2 < 0) return res;
    const std::int64_t R0 = 4 * (py - hy) + 2 * a1 + a2 - 4, C0 = 4 * (px - hx) + 2 * b1 + b2 - 4;
    const std::int32_t vc = 8 * wx - 3, vr = 8 * wy - 3;
    std::vector<float> V(static_cast<std::size_t>(vc) * vr);
    auto Vat = [&](std::int32_t r, std::int32_t c) -> float& { return V[static_cast<std::size_t>(r) * vc + c]; };
    for (std::int32_t r = 0; 2 * r < vr; ++r) {
        for (std::int32_t c = 0; 2 * c < vc; ++c) {
            Vat(2 * r, 2 * c) = u.At(R0 + r, C0 + c);
            if (2 * c + 1 < vc) Vat(2 * r, 2 * c + 1) = (u.At(R0 + r, C0 + c) + u.At(R0 + r, C0 + c + 1)) / 2;
        }
    }
    for (std::int32_t r = 1; r < vr; r += 2)
        for (std::int32_t c = 0; c < vc; ++c) Vat(r, c) = (Vat(r - 1, c) + Vat(r + 1, c)) / 2;
    level([&](int a, int b, int ii, int jj) { return Vat(8 * ii + a, 8 * jj + b); }, 1, a3, b3);
    if (a3 < 0) return res;
    res.Outcome = 2;
    res.Dx = static_cast<float>((px - x) + 0.5 * (b1 - 1) + 0.25 * (b2 - 1) + 0.125 * (b3 - 2));
    res.Dy = static_cast<float>((py - y) + 0.5 * (a1 - 1) + 0.25 * (a2 - 1) + 0.125 * (a3 - 2));
    return res;
}

} // namespace corvane::test
