#pragma once
#include <array>
#include <cstdint>

namespace corvane {

/// The colour tables of the colour-map view.
enum class ColourTable {
    Viridis,  ///< perceptually uniform, dark blue to yellow: fields of one sign
    Diverging ///< cool-warm, blue through light grey to red: signed fields around 0
};

/// 256 colours, red, green and blue; entry 0 shows the low end of the range, entry 255 the high end.
using ColourTableEntries = std::array<std::array<std::uint8_t, 3>, 256>;

/// The 256 entries of a table.
const ColourTableEntries& ColourTableOf(ColourTable table);

} // namespace corvane
