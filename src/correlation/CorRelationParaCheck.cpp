#include "correlation/CorRelationParaCheck.h"

#include <algorithm>
#include <initializer_list>
#include <utility>

namespace corvane {

namespace {

// No picture comes near these sizes; beyond them the seed arithmetic would overflow.
constexpr std::int32_t kHuge = std::int32_t{1} << 24;

TParaFault Fault(const char* field, const std::string& reason) {
    return {field, reason};
}

std::string Text(double value) {
    std::string text = std::to_string(value);
    text.erase(text.find_last_not_of('0') + 1);
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

} // namespace

std::optional<TParaFault> FindParaFault(const TCorRelationPara& p, bool fast,
                                        std::optional<TPictureExtent> initial) {
    const std::int32_t searchWinX = fast ? p.LargeWinX : p.SearchWinX;
    const std::int32_t searchWinY = fast ? p.LargeWinY : p.SearchWinY;
    const auto atLeastOne = [](std::int32_t v) { return v >= 1; };
    const std::pair<const char*, std::int32_t> positive[] = {
        {"LargeWinX", p.LargeWinX}, {"LargeWinY", p.LargeWinY}, {"WinMoveX", p.WinMoveX},
        {"WinMoveY", p.WinMoveY},   {"SearchWinX", searchWinX}, {"SearchWinY", searchWinY},
        {"SeedNumX", p.SeedNumX},   {"SeedNumY", p.SeedNumY},
    };
    for (const auto& [field, value] : positive)
        if (!atLeastOne(value)) return Fault(field, std::to_string(value) + " is below 1");
    if (!(p.SeedPrecision > 0.0f && p.SeedPrecision <= 1.0f))
        return Fault("SeedPrecision", Text(p.SeedPrecision) + " is not in (0, 1]");
    if (p.Left < 0) return Fault("Left", std::to_string(p.Left) + " is below 0");
    if (p.Up < 0) return Fault("Up", std::to_string(p.Up) + " is below 0");
    if (p.Left > p.Right)
        return Fault("Right", std::to_string(p.Right) + " is left of Left, " + std::to_string(p.Left));
    if (p.Up > p.Bottom)
        return Fault("Bottom", std::to_string(p.Bottom) + " is above Top, " + std::to_string(p.Up));
    const std::pair<const char*, std::int32_t> bounded[] = {
        {"WinMoveX", p.WinMoveX},   {"WinMoveY", p.WinMoveY},   {"LargeWinX", p.LargeWinX},
        {"LargeWinY", p.LargeWinY}, {"SearchWinX", searchWinX}, {"SearchWinY", searchWinY},
        {"SeedNumX", p.SeedNumX},   {"SeedNumY", p.SeedNumY},   {"SeedDispX", p.SeedDispX},
        {"SeedDispY", p.SeedDispY},
    };
    for (const auto& [field, value] : bounded)
        if (value > kHuge || value < -kHuge) return Fault(field, std::to_string(value) + " is far too large");
    if ((std::max(p.LargeWinX, p.LargeWinY) + 1.0) / p.SeedPrecision > kHuge)
        return Fault("SeedPrecision", Text(p.SeedPrecision) + " is too fine for the large window");
    if (!fast && (p.FilterType == 1 || p.FilterType == 2)) {
        for (const auto& [field, value] :
             {std::pair{"FilterSizeX", p.FilterSizeX}, std::pair{"FilterSizeY", p.FilterSizeY}})
            if (value < 0 || value > kHuge)
                return Fault(field, std::to_string(value) + " is not a filter size");
    }
    if (!(p.MinCorrelation >= 0.0f && p.MinCorrelation <= 1.0f))
        return Fault("MinCorrelation", Text(p.MinCorrelation) + " is not in [0, 1]");
    // The tables step through the field by the output interval; 0 would never leave it.
    if (!fast) {
        if (p.GridX < 1) return Fault("GridX", std::to_string(p.GridX) + " is below 1");
        if (p.GridY < 1) return Fault("GridY", std::to_string(p.GridY) + " is below 1");
    }
    if (initial) {
        if (p.Right > initial->Width - 1)
            return Fault("Right", std::to_string(p.Right) +
                                      " lies beyond the initial picture's last column, " +
                                      std::to_string(initial->Width - 1));
        if (p.Bottom > initial->Height - 1)
            return Fault("Bottom", std::to_string(p.Bottom) +
                                       " lies beyond the initial picture's last row, " +
                                       std::to_string(initial->Height - 1));
    }
    return std::nullopt;
}

} // namespace corvane
