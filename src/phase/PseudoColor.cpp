#include "phase/PseudoColor.h"

#include "image/BmpFile.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

namespace corvane {

namespace {

constexpr float kPi = 3.1415926535897f;
constexpr float kTwoPi = 6.2831853071794f;
constexpr float kTwoPiDivisor = 6.2831855f;
/// Beyond this magnitude every order is far outside -7..+7; the guard also keeps the order's
/// integer conversion defined.
constexpr float kLargestOrderedValue = 1.0e6f;

std::uint8_t Channel(float c) {
    if (!(c > 0.0f)) return 0;
    if (c >= 255.0f) return 255;
    return static_cast<std::uint8_t>(static_cast<int>(c));
}

const PseudoColorEntry& EntryOfOrder(std::int32_t order) {
    const auto& table = PseudoColorTable();
    const std::int32_t index = order + 7;
    return table[static_cast<std::size_t>(index >= 0 && index <= 14 ? index : kPseudoColorBackground)];
}

} // namespace

const std::array<PseudoColorEntry, 16>& PseudoColorTable() {
    static const std::array<PseudoColorEntry, 16> table = {{
        {128, 128, 128}, // -7
        {0, 0, 0},       // -6
        {128, 0, 128},   // -5
        {0, 0, 128},     // -4
        {0, 128, 0},     // -3
        {128, 0, 0},     // -2
        {128, 128, 0},   // -1
        {255, 255, 255}, //  0
        {255, 0, 0},     // +1
        {255, 255, 0},   // +2
        {0, 255, 0},     // +3
        {0, 255, 255},   // +4
        {0, 0, 255},     // +5
        {255, 0, 255},   // +6
        {192, 192, 192}, // +7
        {0, 128, 128},   // background, out of range
    }};
    return table;
}

bool PseudoColorMaskFits(const TFloatImage& phase, const TGrayImage* mask) {
    return mask && mask->Data && mask->Width == phase.Width && mask->Height == phase.Height;
}

PseudoColorEntry PseudoColorOf(float v) {
    const float magnitude = std::fabs(v);
    if (!(magnitude < kLargestOrderedValue)) return PseudoColorTable()[kPseudoColorBackground];
    const std::int32_t n = static_cast<std::int32_t>(magnitude / kPi);
    std::int32_t lo, hi;
    if (v >= 0.0f) {
        lo = n / 2;
        hi = lo + 1;
    } else {
        hi = -(n / 2);
        lo = hi - 1;
    }
    const PseudoColorEntry& cHi = EntryOfOrder(hi);
    const PseudoColorEntry& cLo = EntryOfOrder(lo);
    // A colour blended with itself is that colour; the rounded weights need not sum to 1 exactly.
    if (&cHi == &cLo) return cHi;
    const float a = 2.0f * kPi * static_cast<float>(hi);
    const float wHi = (v - (a - kTwoPi)) / kTwoPiDivisor;
    const float wLo = (a - v) / kTwoPiDivisor;
    return {Channel(static_cast<float>(cHi.Red) * wHi + static_cast<float>(cLo.Red) * wLo),
            Channel(static_cast<float>(cHi.Green) * wHi + static_cast<float>(cLo.Green) * wLo),
            Channel(static_cast<float>(cHi.Blue) * wHi + static_cast<float>(cLo.Blue) * wLo)};
}

RgbPicture RenderPseudoColor(const TFloatImage& phase, const TGrayImage* mask) {
    RgbPicture picture;
    picture.Width = phase.Width;
    picture.Height = phase.Height;
    const std::size_t count = phase.Data ? phase.PixelCount() : 0;
    try {
        picture.Pixels.resize(count * 3);
    } catch (const std::bad_alloc&) {
        throw CorvaneError(kNoMemoryForRepaint);
    } catch (const std::length_error&) {
        throw CorvaneError(kNoMemoryForRepaint);
    }
    const float* values = phase.Data;
    const std::uint8_t* maskLevels = PseudoColorMaskFits(phase, mask) ? mask->Data : nullptr;
    const float scale = phase.ValueScale;
    const PseudoColorEntry background = PseudoColorTable()[kPseudoColorBackground];
    std::uint8_t* out = picture.Pixels.data();
    for (std::size_t i = 0; i < count; ++i, out += 3) {
        const PseudoColorEntry c =
            maskLevels && maskLevels[i] == 255 ? background : PseudoColorOf(values[i] / scale);
        out[0] = c.Red;
        out[1] = c.Green;
        out[2] = c.Blue;
    }
    return picture;
}

void DoublePseudoColorFringes(TFloatImage& phase) {
    phase.ValueScale *= 0.5f;
}

void HalvePseudoColorFringes(TFloatImage& phase) {
    phase.ValueScale *= 2.0f;
}

std::string PseudoColorFringeLevel(const TFloatImage& phase, const TGrayImage* mask, std::int32_t x,
                                   std::int32_t y) {
    if (!phase.Data || phase.Width <= 0 || phase.Height <= 0) return "";
    x = std::clamp(x, 0, phase.Width - 1);
    y = std::clamp(y, 0, phase.Height - 1);
    const std::size_t i =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(phase.Width) + static_cast<std::size_t>(x);
    if (PseudoColorMaskFits(phase, mask) && mask->Data[i] > 254) return "Background";
    const float v = phase.Data[i] / phase.ValueScale;
    char text[64];
    std::snprintf(text, sizeof text, "%3.1f", static_cast<double>(std::fabs(v) / (2.0f * kPi)));
    return v < 0.0f ? std::string("-") + text : std::string(text);
}

void SaveRgbPictureBmp(const RgbPicture& picture, const std::string& fileName) {
    GrayBmpFileSize(picture.Width, picture.Height); // refuses a size the format cannot hold
    const std::size_t expected = static_cast<std::size_t>(std::max(picture.Width, 0)) *
                                 static_cast<std::size_t>(std::max(picture.Height, 0)) * 3;
    if (picture.Pixels.size() != expected) throw CorvaneError(fileName + ": can not write the file");
    WriteFileAtomically(
        fileName,
        [&](std::FILE* f) {
            return WriteRgbBmp(f, picture.Pixels.data(), static_cast<std::size_t>(picture.Width) * 3,
                               picture.Width, picture.Height);
        },
        fileName + ": can not write the file");
}

} // namespace corvane
