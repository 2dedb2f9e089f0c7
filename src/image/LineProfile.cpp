#include "image/LineProfile.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/TGrayImage.h"

#include <cstddef>

namespace corvane {

namespace {

float SampleOf(int sum) {
    return static_cast<float>(static_cast<double>(sum) * (1.0 / 3.0));
}

void CheckPosition(ProfileDirection direction, std::int32_t position, std::int32_t width,
                   std::int32_t height) {
    if (direction == ProfileDirection::Horizontal && (position < 0 || position >= height))
        throw CorvaneError("row " + std::to_string(position) + " is not in the picture (0.." +
                           std::to_string(height - 1) + ")");
    if (direction == ProfileDirection::Vertical && (position < 0 || position >= width))
        throw CorvaneError("column " + std::to_string(position) + " is not in the picture (0.." +
                           std::to_string(width - 1) + ")");
}

} // namespace

std::vector<float> LineProfile(const RgbBitmapView& b, ProfileDirection direction, std::int32_t position) {
    CheckPosition(direction, position, b.Width, b.Height);
    if (!b.Data || b.BytesPerPixel < 1 || b.Stride < static_cast<std::size_t>(b.Width) * b.BytesPerPixel)
        throw CorvaneError("the bitmap has no pixels to count");
    const bool horizontal = direction == ProfileDirection::Horizontal;
    const std::int32_t count = horizontal ? b.Width : b.Height;
    std::vector<float> values(static_cast<std::size_t>(count));
    const std::uint8_t* p =
        horizontal ? b.Data + static_cast<std::size_t>(position) * b.Stride
                   : b.Data + static_cast<std::size_t>(position) * static_cast<std::size_t>(b.BytesPerPixel);
    const std::size_t step = horizontal ? static_cast<std::size_t>(b.BytesPerPixel) : b.Stride;
    for (std::int32_t i = 0; i < count; ++i, p += step)
        values[static_cast<std::size_t>(i)] = SampleOf(p[b.RedOffset] + p[b.GreenOffset] + p[b.BlueOffset]);
    return values;
}

std::vector<float> LineProfile(const TGrayImage& image, ProfileDirection direction, std::int32_t position) {
    const RgbBitmapView view{
        image.Data, image.Width, image.Height, static_cast<std::size_t>(image.Width), 1, 0, 0, 0};
    return LineProfile(view, direction, position);
}

std::vector<std::int32_t> ProfilePlotRows(const std::vector<float>& values, std::int32_t height) {
    float maxValue = -1e10f, minValue = 1e10f;
    for (float v : values) {
        if (v > maxValue) maxValue = v;
        if (v < minValue) minValue = v;
    }
    float range = maxValue - minValue;
    if (range < 1e-15f) range = 1.0f;
    const float h = static_cast<float>(height - 1);
    std::vector<std::int32_t> rows(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        rows[i] = static_cast<std::int32_t>(h - (values[i] - minValue) * h / range);
    return rows;
}

void SaveProfileData(const std::string& fileName, const std::vector<float>& values) {
    if (values.empty()) throw CorvaneError(" no data ");
    AtomicTextFile out(fileName);
    for (std::size_t i = 0; i < values.size(); ++i)
        out.Printf(" %d   %f\n", static_cast<int>(i), static_cast<double>(values[i]));
    out.Commit("Can not output data to " + fileName);
}

} // namespace corvane
