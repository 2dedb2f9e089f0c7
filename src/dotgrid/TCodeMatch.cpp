#include "dotgrid/TCodeMatch.h"

#include "image/CorvaneError.h"

#include <algorithm>
#include <new>

namespace corvane {

TCodeMatch::TCodeMatch(const std::string& initialName, const std::string& deformedName) {
    Files[0] = ReadCodeFile(initialName);
    Width = Files[0].Width;
    Height = Files[0].Height;
    Files[1] = ReadCodeFile(deformedName);
    Width = Files[1].Width;
    Height = Files[1].Height;
    Match();
}

TCodeMatch::TCodeMatch(TCodeFile initial, TCodeFile deformed) {
    Files[0] = std::move(initial);
    Files[1] = std::move(deformed);
    Width = Files[1].Width;
    Height = Files[1].Height;
    Match();
}

void TCodeMatch::Match() {
    CommonMaxX = std::min(Files[0].MaxX, Files[1].MaxX);
    CommonMaxY = std::min(Files[0].MaxY, Files[1].MaxY);
    try {
        const auto capacity = static_cast<std::size_t>(std::min(Files[0].Count, Files[1].Count));
        Pairs.assign(capacity, 0);
        Results.assign(capacity, {});
    } catch (const std::bad_alloc&) {
        throw CorvaneError(" No enough memory to allocate to save the match result");
    }
    std::vector<TDotInfo>& initial = Files[0].Dots;
    std::vector<TDotInfo>& deformed = Files[1].Dots;
    std::size_t k = 0;
    for (std::int32_t ny = -CommonMaxY; ny <= CommonMaxY; ++ny)
        for (std::int32_t nx = -CommonMaxX; nx <= CommonMaxX; ++nx) {
            const std::int32_t i = Files[0].Coordinates->Get(nx, ny);
            const std::int32_t j = Files[1].Coordinates->Get(nx, ny);
            if (i < 0 || j < 0) continue;
            TDotInfo& a = initial[static_cast<std::size_t>(i)];
            TDotInfo& b = deformed[static_cast<std::size_t>(j)];
            a.Matched = b.Matched = true;
            // One cell holds one row, so a file of n rows gives at most n matches.
            Results[k] = {b.X - a.X, a.Y - b.Y};
            Pairs[k] = i;
            ++k;
        }
    MatchCount = static_cast<std::int32_t>(k);
    Pairs.resize(k);
    Results.resize(k);
}

} // namespace corvane
