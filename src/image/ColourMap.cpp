#include "image/ColourMap.h"

#include "image/CorvaneError.h"
#include "image/ImageSize.h"
#include "image/PngWriter.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace corvane {

namespace {

// A 5 x 7 bitmap font for the colour-bar labels: digits, point, signs and the exponent's "e". Each
// glyph is seven rows of five bits, the leftmost pixel in bit 4.
struct Glyph {
    char Character;
    std::array<std::uint8_t, 7> Rows;
};
// clang-format off
constexpr Glyph kFont[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}},
    {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}},
    {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}},
    {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}},
    {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}},
    {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
    {'+', {0x00, 0x04, 0x04, 0x1F, 0x04, 0x04, 0x00}},
    {'e', {0x00, 0x00, 0x0E, 0x11, 0x1F, 0x10, 0x0E}},
};
// clang-format on

const Glyph* GlyphOf(char c) {
    for (const Glyph& glyph : kFont)
        if (glyph.Character == c) return &glyph;
    return nullptr;
}

// The colour bar's geometry, all in multiples of the font's scale.
struct BarLayout {
    int Scale = 1;
    int BarLeft = 0;
    int BarWidth = 0;
    int BarTop = 0;
    int BarBottom = 0; // inclusive
    int LabelLeft = 0;
};

class Canvas {
  public:
    Canvas(ColourMapPicture& picture) : p_(picture) {}
    void Set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
        std::uint8_t* at =
            p_.Rgba.data() +
            (static_cast<std::size_t>(y) * static_cast<std::size_t>(p_.Width) + static_cast<std::size_t>(x)) *
                4;
        at[0] = r;
        at[1] = g;
        at[2] = b;
        at[3] = a;
    }
    void Fill(int x0, int y0, int x1, int y1, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
        for (int y = std::max(y0, 0); y < std::min(y1, p_.Height); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, p_.Width); ++x)
                Set(x, y, r, g, b, 255);
    }
    // Black text with its top left corner at (x, y), each font pixel scale x scale.
    void Text(const std::string& text, int x, int y, int scale) {
        for (char c : text) {
            if (const Glyph* glyph = GlyphOf(c)) {
                for (int row = 0; row < 7; ++row)
                    for (int col = 0; col < 5; ++col)
                        if (glyph->Rows[static_cast<std::size_t>(row)] & (0x10 >> col))
                            Fill(x + col * scale, y + row * scale, x + (col + 1) * scale,
                                 y + (row + 1) * scale, 0, 0, 0);
            }
            x += 6 * scale;
        }
    }

  private:
    ColourMapPicture& p_;
};

void CheckSameSize(const TGrayImage& picture, const TFloatImage& map, const char* what) {
    if (picture.Width != map.Width || picture.Height != map.Height) {
        throw CorvaneError(std::string("the ") + what + " is " + SizeText(picture.Width, picture.Height) +
                           ", the map is " + SizeText(map.Width, map.Height));
    }
}

bool LeftOut(const TFloatImage& map, const TGrayImage* mask, std::size_t i) {
    return IsMissingMapValue(map.Data[i]) || (mask != nullptr && mask->Data[i] != 255);
}

std::uint8_t Blend(double opacity, std::uint8_t colour, std::uint8_t under) {
    return static_cast<std::uint8_t>(std::lround(opacity * colour + (1.0 - opacity) * under));
}

} // namespace

bool IsMissingMapValue(float value) {
    return !std::isfinite(value) || value == kNotComputedMarker;
}

std::optional<ColourRange> MapValueRange(const TFloatImage& map, const TGrayImage* mask) {
    if (mask) CheckSameSize(*mask, map, "mask");
    std::optional<ColourRange> range;
    const std::size_t count = map.PixelCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (LeftOut(map, mask, i)) continue;
        const float v = map.Data[i];
        if (!range) {
            range = ColourRange{v, v};
        } else {
            range->Low = std::min(range->Low, v);
            range->High = std::max(range->High, v);
        }
    }
    return range;
}

void ResolveColourMap(const TFloatImage& map, const ColourMapOptions& options, ColourTable& table,
                      ColourRange& range) {
    if (options.Range) {
        const ColourRange fixed = *options.Range;
        if (!std::isfinite(fixed.Low) || !std::isfinite(fixed.High) || !(fixed.Low < fixed.High))
            throw CorvaneError("the colour range needs a low end below its high end");
        range = fixed;
        table = options.Table.value_or(fixed.Low < 0.0f && fixed.High > 0.0f ? ColourTable::Diverging
                                                                             : ColourTable::Viridis);
        return;
    }
    const std::optional<ColourRange> values = MapValueRange(map, options.Mask);
    if (!values) throw CorvaneError("the map has no computed value");
    const bool signedField = values->Low < 0.0f && values->High > 0.0f;
    table = options.Table.value_or(signedField ? ColourTable::Diverging : ColourTable::Viridis);
    if (table == ColourTable::Diverging) {
        // Zero stays on the table's neutral middle.
        const float reach = std::max(std::fabs(values->Low), std::fabs(values->High));
        range = {-reach, reach};
    } else {
        range = *values;
    }
}

int ColourIndex(float value, const ColourRange& range) {
    if (!(range.High > range.Low)) return 128;
    const double t = (static_cast<double>(value) - range.Low) / (static_cast<double>(range.High) - range.Low);
    if (!(t > 0.0)) return 0; // also a value that is not a number
    if (t >= 1.0) return 255;
    return std::min(255, static_cast<int>(t * 256.0));
}

std::string ColourBarLabel(float value) {
    if (value == 0.0f) value = 0.0f; // no "-0"
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 4);
    return std::string(text, result.ptr);
}

ColourMapPicture RenderColourMap(const TFloatImage& map, const ColourMapOptions& options) {
    if (!(options.Opacity >= 0.0 && options.Opacity <= 1.0))
        throw CorvaneError("the opacity lies between 0 and 1");
    if (map.Data == nullptr || map.Width <= 0 || map.Height <= 0)
        throw CorvaneError("the map has no computed value");
    if (options.Over) CheckSameSize(*options.Over, map, "picture");
    if (options.Mask) CheckSameSize(*options.Mask, map, "mask");

    ColourMapPicture picture;
    ResolveColourMap(map, options, picture.Table, picture.Range);
    const ColourTableEntries& colours = ColourTableOf(picture.Table);

    // The bar and its labels grow with the map so that they stay readable beside a large one.
    BarLayout bar;
    bar.Scale = std::clamp(map.Height / 200, 1, 3);
    const int s = bar.Scale;
    // The labels are drawn one step larger than the bar, so that they read at a glance; the bar's
    // ends keep half a label's height from the panel's edges.
    const int labelScale = s + 1;
    const int halfGlyph = 7 * labelScale / 2;
    const int margin = std::max(4 * s, halfGlyph + 1);
    const std::string high = ColourBarLabel(picture.Range.High);
    const std::string low = ColourBarLabel(picture.Range.Low);
    const std::string middle =
        ColourBarLabel(picture.Range.Low + (picture.Range.High - picture.Range.Low) / 2);
    const std::size_t chars = std::max({high.size(), low.size(), middle.size()});
    bar.BarLeft = map.Width + 6 * s;
    bar.BarWidth = 14 * s;
    bar.LabelLeft = bar.BarLeft + bar.BarWidth + 4 * s;
    picture.MapWidth = map.Width;
    picture.MapHeight = map.Height;
    picture.Width = bar.LabelLeft + static_cast<int>(chars) * 6 * labelScale + 4 * s;
    picture.Height = std::max({map.Height, 24 * s, 2 * margin + 14 * labelScale});
    bar.BarTop = margin;
    bar.BarBottom = picture.Height - 1 - margin;
    if (CheckedPixelCount(picture.Width, picture.Height) < 0)
        throw CorvaneError("cannot show a " + SizeText(map.Width, map.Height) + " map");
    picture.Rgba.assign(
        static_cast<std::size_t>(picture.Width) * static_cast<std::size_t>(picture.Height) * 4, 0);

    Canvas canvas(picture);
    const double opacity = options.Opacity;
    const auto alpha = static_cast<std::uint8_t>(std::lround(opacity * 255.0));
    for (int y = 0; y < map.Height; ++y) {
        for (int x = 0; x < map.Width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(map.Width) +
                                  static_cast<std::size_t>(x);
            const std::uint8_t under = options.Over ? options.Over->Data[i] : 0;
            if (LeftOut(map, options.Mask, i)) {
                if (options.Over) canvas.Set(x, y, under, under, under, 255);
                continue;
            }
            const auto& c = colours[static_cast<std::size_t>(ColourIndex(map.Data[i], picture.Range))];
            if (options.Over)
                canvas.Set(x, y, Blend(opacity, c[0], under), Blend(opacity, c[1], under),
                           Blend(opacity, c[2], under), 255);
            else
                canvas.Set(x, y, c[0], c[1], c[2], alpha);
        }
    }

    // The panel: white behind the bar, the high end at the top, black frame, labels at both ends and
    // at the middle when the bar is tall enough.
    canvas.Fill(map.Width, 0, picture.Width, picture.Height, 255, 255, 255);
    const int barRows = bar.BarBottom - bar.BarTop;
    for (int y = bar.BarTop; y <= bar.BarBottom; ++y) {
        const double t = static_cast<double>(bar.BarBottom - y) / barRows;
        const auto& c = colours[static_cast<std::size_t>(std::lround(t * 255.0))];
        canvas.Fill(bar.BarLeft, y, bar.BarLeft + bar.BarWidth, y + 1, c[0], c[1], c[2]);
    }
    const int right = bar.BarLeft + bar.BarWidth;
    canvas.Fill(bar.BarLeft - 1, bar.BarTop - 1, right + 1, bar.BarTop, 0, 0, 0);
    canvas.Fill(bar.BarLeft - 1, bar.BarBottom + 1, right + 1, bar.BarBottom + 2, 0, 0, 0);
    canvas.Fill(bar.BarLeft - 1, bar.BarTop, bar.BarLeft, bar.BarBottom + 1, 0, 0, 0);
    canvas.Fill(right, bar.BarTop, right + 1, bar.BarBottom + 1, 0, 0, 0);
    canvas.Text(high, bar.LabelLeft, bar.BarTop - halfGlyph, labelScale);
    canvas.Text(low, bar.LabelLeft, bar.BarBottom - halfGlyph, labelScale);
    if (barRows >= 4 * 7 * labelScale)
        canvas.Text(middle, bar.LabelLeft, (bar.BarTop + bar.BarBottom) / 2 - halfGlyph, labelScale);
    return picture;
}

void SaveColourMapPng(const ColourMapPicture& picture, const std::string& fileName) {
    WritePngFile(fileName, picture.Width, picture.Height, PngPixels::Rgba, picture.Rgba.data(),
                 "Can not save the colour map to " + fileName);
}

} // namespace corvane
