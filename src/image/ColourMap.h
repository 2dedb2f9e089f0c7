#pragma once
#include "image/ColourMapTables.h"
#include "image/FloatMapDisplay.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

class TFloatImage;
class TGrayImage;

/// True for a point the colour map leaves out: the not-computed marker or a value that is not finite.
bool IsMissingMapValue(float value);

/// The values shown from the low to the high end of the table.
struct ColourRange {
    float Low = 0.0f;
    float High = 0.0f;
};

/// How a float map is turned into a colour picture.
struct ColourMapOptions {
    std::optional<ColourTable> Table{}; ///< none: viridis for a map of one sign, diverging for a signed one
    std::optional<ColourRange> Range{}; ///< none: the map's own range (symmetric around 0 when diverging)
    const TGrayImage* Over = nullptr;   ///< the picture the map is drawn over, of the map's size; or none
    double Opacity = 1.0;               ///< 0..1: the map's weight over the picture (without one, its alpha)
    const TGrayImage* Mask = nullptr;   ///< points whose mask level is not 255 are left out; or none
};

/// A rendered colour map: the map at the top left, its colour bar with the range labels to the right,
/// in red, green, blue, alpha (rows from the top). Left-out points are transparent (alpha 0), or show
/// the picture under the map.
struct ColourMapPicture {
    int Width = 0;
    int Height = 0;
    int MapWidth = 0;
    int MapHeight = 0;
    ColourTable Table = ColourTable::Viridis; ///< the table used
    ColourRange Range{};                      ///< the range used
    std::vector<std::uint8_t> Rgba;           ///< Width * Height * 4 bytes
};

/// Smallest and largest value of the map's points that are not left out (the mask, when given, of the
/// map's size). Nothing when every point is left out.
std::optional<ColourRange> MapValueRange(const TFloatImage& map, const TGrayImage* mask = nullptr);

/// The table and range the options give for this map: the ones asked for, or chosen from the map's
/// values. Throws "the map has no computed value" when every point is left out and no range is given,
/// and "the colour range needs a low end below its high end" for a fixed range that is empty, reversed
/// or not finite.
void ResolveColourMap(const TFloatImage& map, const ColourMapOptions& options, ColourTable& table,
                      ColourRange& range);

/// The table entry of a value: equal shares of the range per entry, the low end on entry 0 and the high
/// end on entry 255, values outside the range on the nearer end. A range of zero width gives the middle
/// entry, 128.
int ColourIndex(float value, const ColourRange& range);

/// Renders the map and its colour bar. Throws what ResolveColourMap throws, "the picture is W x H, the
/// map is W x H" (or the same for the mask) when the sizes differ, and "the opacity lies between 0 and
/// 1" otherwise.
ColourMapPicture RenderColourMap(const TFloatImage& map, const ColourMapOptions& options);

/// Writes the picture as an RGBA PNG file, atomically; throws "Can not save the colour map to <name>".
void SaveColourMapPng(const ColourMapPicture& picture, const std::string& fileName);

/// The text a colour-bar label shows for a value: four significant digits, "e" before an exponent.
std::string ColourBarLabel(float value);

} // namespace corvane
