#include "image/GrayHistogram.h"

#include "image/CorvaneError.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace corvane {

namespace {

/// "%6.3f" of the value, with a '.' decimal point whatever the locale.
std::string Fixed63(double value) {
    char text[64];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
    std::string s = ec == std::errc() ? std::string(text, end) : std::string("nan");
    if (s.size() < 6) s.insert(0, 6 - s.size(), ' ');
    return s;
}

std::string PercentileText(std::int64_t count, float pixels) {
    return "Percentile: " + Fixed63(static_cast<double>(100.0f * static_cast<float>(count) / pixels));
}

} // namespace

HistogramStatistics StatisticsOf(const std::array<std::int32_t, 256>& counts) {
    HistogramStatistics s;
    s.Counts = counts;
    float pixels = 0.0f, sum = 0.0f;
    std::int32_t maxCount = 1;
    for (int i = 0; i < 256; ++i) {
        pixels += static_cast<float>(counts[i]);
        // The product in single precision: as whole numbers it could pass 2^31 for a large picture.
        sum += static_cast<float>(i) * static_cast<float>(counts[i]);
        maxCount = std::max(maxCount, counts[i]);
    }
    if (pixels == 0.0f) pixels = 1.0f;
    s.Pixels = pixels;
    s.MaxCount = maxCount;
    s.Mean = sum / pixels;
    float squares = 0.0f;
    for (int i = 0; i < 256; ++i) {
        const float d = static_cast<float>(i) - s.Mean;
        squares += d * d * static_cast<float>(counts[i]);
    }
    s.StdDev = std::sqrt(squares / pixels);
    const float half = pixels * 0.5f;
    float running = 0.0f;
    for (int i = 0; i < 256; ++i) {
        running += static_cast<float>(counts[i]);
        if (running >= half) {
            s.Median = i;
            break;
        }
    }
    return s;
}

HistogramStatistics GrayHistogram(const TGrayImage& image) {
    std::array<std::int32_t, 256> counts{};
    if (image.Data)
        for (std::int32_t i = 0; i < image.Size; ++i)
            ++counts[image.Data[i]];
    return StatisticsOf(counts);
}

std::array<HistogramStatistics, 4> ColourHistograms(const RgbBitmapView& b) {
    std::array<std::array<std::int32_t, 256>, 4> counts{};
    if (b.Width > 0 && b.Height > 0) {
        const std::int32_t bpp = b.BytesPerPixel;
        const std::int32_t lastOffset = std::max({b.RedOffset, b.GreenOffset, b.BlueOffset});
        if (!b.Data || bpp < 1 || lastOffset >= bpp ||
            std::min({b.RedOffset, b.GreenOffset, b.BlueOffset}) < 0 ||
            b.Stride < static_cast<std::size_t>(b.Width) * static_cast<std::size_t>(bpp))
            throw CorvaneError("the bitmap has no pixels to count");
        // trunc(sum / 3 + 0.5) of a whole sum is (sum + 1) / 3: sum / 3 never ends in exactly .5.
        std::array<std::uint8_t, 766> grayOf{};
        for (int sum = 0; sum < 766; ++sum)
            grayOf[static_cast<std::size_t>(sum)] = static_cast<std::uint8_t>((sum + 1) / 3);
        for (std::int32_t y = 0; y < b.Height; ++y) {
            const std::uint8_t* p = b.Data + static_cast<std::size_t>(y) * b.Stride;
            for (std::int32_t x = 0; x < b.Width; ++x, p += bpp) {
                const std::uint8_t r = p[b.RedOffset], g = p[b.GreenOffset], bl = p[b.BlueOffset];
                ++counts[0][grayOf[static_cast<std::size_t>(r + g + bl)]];
                ++counts[1][r];
                ++counts[2][g];
                ++counts[3][bl];
            }
        }
    }
    return {StatisticsOf(counts[0]), StatisticsOf(counts[1]), StatisticsOf(counts[2]),
            StatisticsOf(counts[3])};
}

HistogramLabels LabelsOf(const HistogramStatistics& s) {
    return {"Mean: " + Fixed63(static_cast<double>(s.Mean)),
            "StdDev: " + Fixed63(static_cast<double>(s.StdDev)), "Median: " + std::to_string(s.Median),
            "Pixels: " + std::to_string(static_cast<std::int64_t>(s.Pixels))};
}

std::int32_t HistogramLevelAt(std::int32_t mouseX) {
    return std::clamp(mouseX, 1, 256) - 1;
}

HistogramReadout LevelReadout(const HistogramStatistics& s, std::int32_t level) {
    level = std::clamp(level, 0, 255);
    const std::int32_t count = s.Counts[static_cast<std::size_t>(level)];
    return {"Level: " + std::to_string(level), "Count: " + std::to_string(count),
            PercentileText(count, s.Pixels)};
}

HistogramReadout RangeReadout(const HistogramStatistics& s, std::int32_t from, std::int32_t to) {
    const std::int32_t low = std::clamp(std::min(from, to), 0, 255);
    const std::int32_t high = std::clamp(std::max(from, to), 0, 255);
    std::int64_t sum = 0;
    for (std::int32_t i = low; i <= high; ++i)
        sum += s.Counts[static_cast<std::size_t>(i)];
    return {"Level: " + std::to_string(low) + "..." + std::to_string(high), "Count: " + std::to_string(sum),
            PercentileText(sum, s.Pixels)};
}

std::int32_t HistogramBarTop(std::int32_t count, std::int32_t maxCount, std::int32_t height) {
    const double h1 = static_cast<double>(height - 1);
    const double top = h1 - std::log(static_cast<double>(count) + 1.0) * h1 /
                                std::log(static_cast<double>(std::max(maxCount, 1)) + 2.0);
    return static_cast<std::int32_t>(top);
}

} // namespace corvane
