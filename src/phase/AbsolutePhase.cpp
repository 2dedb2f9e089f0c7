#include "phase/AbsolutePhase.h"

#include "correlation/CorRelationPool.h"
#include "image/CorvaneError.h"

#include <charconv>

namespace corvane {

namespace {

const char* const kZeroPitch = "The grid's parameter P and its frequency can not be 0";

/// printf's "%<width>.<precision>f" in every locale: to_chars with a fixed precision writes the
/// same digits, right-aligned here in the field.
std::string FixedText(double value, int width, int precision) {
    char digits[400];
    const auto result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, precision);
    std::string text(digits, result.ptr);
    if (text.size() < static_cast<std::size_t>(width))
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

} // namespace

float DisplacementFactor(float pitch) {
    constexpr double kPi = 3.14159265358979323846;
    return static_cast<float>(static_cast<double>(pitch) * 0.5 / kPi);
}

void ConvertToDisplacement(TFloatImage& map, float pitch) {
    // A pitch of 0 would turn every value, and the value scale, into 0 for good.
    if (pitch == 0.0f) throw CorvaneError(kZeroPitch);
    map.Multiply(DisplacementFactor(pitch));
}

std::string ReciprocalText(double value) {
    if (value == 0.0) throw CorvaneError(kZeroPitch);
    return FixedText(1.0 / value, 15, 8);
}

std::optional<std::string> PixelValueText(const TFloatImage& map, std::int32_t x, std::int32_t y) {
    if (!map.Data || x < 0 || y < 0 || x >= map.Width || y >= map.Height) return std::nullopt;
    const float value = map.Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(map.Width) +
                                 static_cast<std::size_t>(x)];
    return FixedText(static_cast<double>(value), 11, 7);
}

void SaveDisplacementTable(TFloatImage& map, const std::string& fileName,
                           const DisplacementTableOptions& options) {
    const std::int32_t stepX = options.UseOutputGrid ? options.GridX : 1;
    const std::int32_t stepY = options.UseOutputGrid ? options.GridY : 1;
    std::int32_t left = 0, top = 0, right = map.Width - 1, bottom = map.Height - 1;
    if (options.UseOutputRange) {
        left = options.Left;
        top = options.Top;
        right = options.Right;
        bottom = options.Bottom;
    }
    // Without the mask check box no file is looked up at all (an empty name never exists).
    const std::string mask = options.UseMask ? options.MaskFile : std::string();
    map.Output3DDat(fileName, mask, left, top, right, bottom, stepX, stepY, CorRelationPool::SharedRunner());
}

} // namespace corvane
