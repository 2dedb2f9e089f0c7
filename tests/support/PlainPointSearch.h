#pragma once
#include <cstdint>
#include <vector>

namespace corvane::test {

/// The quarter-pixel picture written out in full, (4W - 3) x (4H - 3), filled literally in the
/// three steps: pixel rows (whole pixels, column midpoints, odd columns), rows 2 mod 4, odd rows.
struct PlainQuarterPicture {
    std::int32_t Cols = 0, Rows = 0;
    std::vector<float> U;
    float At(std::int64_t k, std::int64_t l) const { return U[static_cast<std::size_t>(k * Cols + l)]; }
};
PlainQuarterPicture MakePlainQuarterPicture(const std::uint8_t* grey, std::int32_t w, std::int32_t h);

/// Result of the straightforward point search: 0 not searched, 1 nothing correlates, 2 found.
struct PlainSearchResult {
    int Outcome = 0;
    float Dx = 0.0f, Dy = 0.0f;
};

/// The three-level point search done the obvious way: every candidate summed row by row, left to
/// right, in double, and the eighth-pixel buffer V of (8wx - 3) x (8wy - 3) filled in full.
PlainSearchResult PlainPointSearch(const std::uint8_t* f, std::int32_t w0, std::int32_t h0,
                                   const PlainQuarterPicture& u, std::int32_t w1, std::int32_t h1,
                                   std::int32_t winX, std::int32_t winY, std::int32_t x, std::int32_t y,
                                   std::int32_t px, std::int32_t py);

} // namespace corvane::test
