#include "phase/GridGenerator.h"

#include "image/CorvaneError.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace corvane {

namespace {

constexpr float kPi = 3.1415927f;

inline std::uint8_t Grey(float t) {
    const float g = (std::cos(t) + 1.0f) * 127.5f;
    return g >= 255.0f ? 255 : (g > 0.0f ? static_cast<std::uint8_t>(static_cast<int>(g)) : 0);
}

inline std::uint8_t CrossedGrey(float a, float b) {
    const float g = (std::cos(a) + 1.0f) * (std::cos(b) + 1.0f) * 63.75f;
    return g >= 255.0f ? 255 : (g > 0.0f ? static_cast<std::uint8_t>(static_cast<int>(g)) : 0);
}

/// Cylinder displacement of the line at u (y / H or x / W), in units of the image size.
inline float CylinderShift(float u) {
    const float r = 0.5f;
    return std::sqrt(r * r - (u - 0.5f) * (u - 0.5f)) - std::sqrt(r * r - 0.0625f);
}

/// One line of the X grid: grey(2 pi fx x / W + phi0 + 2 pi ly y / H) for every x, with the terms
/// added in that order. When the lean is 0 the last term is 0 for every row, so a row repeats.
void XGridRow(std::uint8_t* row, std::int32_t width, float fx, float phi0, float lean) {
    const float w = static_cast<float>(width);
    for (std::int32_t x = 0; x < width; ++x)
        row[x] = Grey(2.0f * kPi * fx * static_cast<float>(x) / w + phi0 + lean);
}

} // namespace

bool GridDrawsNothing(const GridOptions& options) {
    const bool cylinder = options.Deformation == GridDeformation::Cylinder;
    return options.Deformation != GridDeformation::None &&
           !(cylinder && options.Direction != GridDirection::XAndY);
}

std::unique_ptr<TGrayImage> GenerateGrid(const GridOptions& o) {
    if (o.Width <= 0 || o.Height <= 0) throw CorvaneError(kGridSizeMessage);
    auto image = std::make_unique<TGrayImage>(nullptr, o.Width, o.Height);
    const std::int32_t width = o.Width;
    const std::int32_t height = o.Height;
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    const float phi0 = o.InitPhase * kPi;
    const std::size_t stride = static_cast<std::size_t>(width);
    const auto rowOf = [&](std::int32_t y) { return image->Data + static_cast<std::size_t>(y) * stride; };
    if (GridDrawsNothing(o)) return image; // no pattern is defined for these combinations
    const bool cylinder = o.Deformation == GridDeformation::Cylinder;

    switch (o.Direction) {
    case GridDirection::X:
        for (std::int32_t y = 0; y < height; ++y) {
            const float fy = static_cast<float>(y);
            std::uint8_t* row = rowOf(y);
            if (cylinder && y >= height / 4 && y < (3 * height) / 4) {
                const float shift = 2.0f * kPi * o.XCarrier * CylinderShift(fy / h);
                const float lean = 2.0f * kPi * o.LeanY * fy / h;
                for (std::int32_t x = 0; x < width; ++x)
                    row[x] = Grey(2.0f * kPi * o.XCarrier * static_cast<float>(x) / w - shift + lean + phi0);
            } else if (y > 0 && o.LeanY == 0.0f) {
                std::memcpy(row, rowOf(0), stride); // the lean term is 0 on every row
            } else {
                XGridRow(row, width, o.XCarrier, phi0, 2.0f * kPi * o.LeanY * fy / h);
            }
        }
        break;
    case GridDirection::Y: {
        // Column terms once: the lean of the y grid and, for the cylinder, the shift of each column.
        std::vector<float> lean(stride), shift(stride, 0.0f);
        std::vector<char> deformed(stride, 0);
        for (std::int32_t x = 0; x < width; ++x) {
            const float fx = static_cast<float>(x);
            lean[static_cast<std::size_t>(x)] = 2.0f * kPi * o.LeanX * fx / w;
            if (cylinder && x >= width / 4 && x < (3 * width) / 4) {
                deformed[static_cast<std::size_t>(x)] = 1;
                shift[static_cast<std::size_t>(x)] = 2.0f * kPi * o.YCarrier * CylinderShift(fx / w);
            }
        }
        for (std::int32_t y = 0; y < height; ++y) {
            std::uint8_t* row = rowOf(y);
            const float base = 2.0f * kPi * o.YCarrier * static_cast<float>(y) / h;
            for (std::int32_t x = 0; x < width; ++x) {
                const std::size_t i = static_cast<std::size_t>(x);
                row[x] = deformed[i] ? Grey(base - shift[i] + lean[i] + phi0) : Grey(base + phi0 + lean[i]);
            }
        }
        break;
    }
    case GridDirection::XAndY: {
        std::vector<float> columnX(stride), leanX(stride);
        for (std::int32_t x = 0; x < width; ++x) {
            const float fx = static_cast<float>(x);
            columnX[static_cast<std::size_t>(x)] = 2.0f * kPi * o.XCarrier * fx / w;
            leanX[static_cast<std::size_t>(x)] = 2.0f * kPi * o.LeanX * fx / w;
        }
        for (std::int32_t y = 0; y < height; ++y) {
            const float fy = static_cast<float>(y);
            const float leanY = 2.0f * kPi * o.LeanY * fy / h;
            const float rowY = 2.0f * kPi * o.YCarrier * fy / h;
            std::uint8_t* row = rowOf(y);
            for (std::int32_t x = 0; x < width; ++x) {
                const std::size_t i = static_cast<std::size_t>(x);
                row[x] = CrossedGrey(columnX[i] + phi0 + leanY, rowY + phi0 + leanX[i]);
            }
        }
        break;
    }
    }
    return image;
}

} // namespace corvane
