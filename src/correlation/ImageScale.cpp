#include "correlation/ImageScale.h"

#include "image/CorvaneError.h"
#include "image/TFloatImage.h"

#include <charconv>
#include <cstdlib>
#include <system_error>

namespace corvane {

std::int32_t MeasuredPixels(std::int32_t from, std::int32_t to) {
    const std::int64_t d = static_cast<std::int64_t>(to) - from;
    return static_cast<std::int32_t>(d < 0 ? -d : d);
}

double ScaleFromLength(float actualLength, float imageLength) {
    if (imageLength == 0.0f) throw CorvaneError("The length in the image must not be 0 pixels");
    const float scale = actualLength / imageLength;
    // The single-precision quotient as the user reads it: the shortest decimal text of the float,
    // so that the stored double and the text shown agree.
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text - 1, scale);
    if (ec != std::errc()) return static_cast<double>(scale);
    *end = '\0';
    double value = 0.0;
    std::from_chars(text, end, value);
    return value;
}

ImageScale ComputeImageScale(const ScaleMeasurement& m) {
    ImageScale scale;
    scale.ScaleX = ScaleFromLength(m.ActualLengthX, m.ImageLengthX);
    scale.ScaleY = ScaleFromLength(m.ActualLengthY, m.ImageLengthY);
    return scale;
}

std::string ScaleText(double scale) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, scale);
    if (ec != std::errc()) return "0";
    return std::string(text, end);
}

void ApplyImageScale(TFloatImage& map, const ImageScale& scale) {
    map.ScaleX = static_cast<float>(scale.ScaleX);
    map.ScaleY = static_cast<float>(scale.ScaleY);
}

} // namespace corvane
