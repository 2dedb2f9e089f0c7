#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

namespace corvane {

/// One entry of the fringe-order colour table.
struct PseudoColorEntry {
    std::uint8_t Red = 0, Green = 0, Blue = 0;
};

/// A 24-bit colour picture: Width * Height pixels, top row first, three bytes R, G, B per pixel.
struct RgbPicture {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint8_t> Pixels;
};

/// The 16 colours: entries 0..14 for fringe orders -7..+7 (entry = order + 7), entry 15 for the
/// background and every order outside -7..+7.
const std::array<PseudoColorEntry, 16>& PseudoColorTable();

/// Entry of the table used for the background and out-of-range orders.
inline constexpr int kPseudoColorBackground = 15;

inline constexpr const char* kNoMemoryForRepaint = "Now more memory to allocate for repaint";

/// True when the mask can be used with the map: present and of the map's size (a mask of
/// another size is ignored).
bool PseudoColorMaskFits(const TFloatImage& phase, const TGrayImage* mask);

/// Colour of one value v (already divided by the value scale): the fringe interval
/// 2 pi lo <= v <= 2 pi hi, and a linear blend of the colours of orders hi and lo. Values that have
/// no order (not finite) and orders outside -7..+7 take the background colour.
PseudoColorEntry PseudoColorOf(float v);

/// Renders the map, value / value scale, as the colour picture; mask pixels of level 255 take the
/// background colour (a mask of another size is ignored). Throws kNoMemoryForRepaint when the
/// picture cannot be allocated.
RgbPicture RenderPseudoColor(const TFloatImage& phase, const TGrayImage* mask);

/// The double (Multiple2) and halve (Div2) buttons: the value scale times 0.5, or times 2.
void DoublePseudoColorFringes(TFloatImage& phase);
void HalvePseudoColorFringes(TFloatImage& phase);

/// The fringe level under the mouse at (x, y), limited to the map: v / (2 pi) as "%3.1f" of its
/// magnitude with the minus sign restored for negative v, or "Background" when the mask fits and
/// its pixel is above 254. "" for an empty map.
std::string PseudoColorFringeLevel(const TFloatImage& phase, const TGrayImage* mask, std::int32_t x,
                                   std::int32_t y);

/// Writes the picture as a 24-bit BMP, replaced atomically; throws "<name>: can not write the file".
void SaveRgbPictureBmp(const RgbPicture& picture, const std::string& fileName);

} // namespace corvane
