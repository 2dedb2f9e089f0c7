#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

class TGrayImage;

/// A 24- or 32-bit colour bitmap as a window keeps it: rows from the top, Stride bytes apart,
/// BytesPerPixel bytes per pixel with the red, green and blue bytes at the given offsets.
struct RgbBitmapView {
    const std::uint8_t* Data = nullptr;
    std::int32_t Width = 0, Height = 0;
    std::size_t Stride = 0;
    std::int32_t BytesPerPixel = 3;
    std::int32_t RedOffset = 0, GreenOffset = 1, BlueOffset = 2;
};

/// The channels of the histogram window, in the order of its channel list.
enum class HistogramChannel { Gray = 0, Red = 1, Green = 2, Blue = 3 };

/// The level histogram of one channel and its statistics (single-precision sums).
struct HistogramStatistics {
    std::array<std::int32_t, 256> Counts{};
    std::int32_t MaxCount = 1; ///< largest count, at least 1
    float Pixels = 1.0f;       ///< sum of the counts; 1 when the sum is 0
    float Mean = 0.0f;
    float StdDev = 0.0f;
    std::int32_t Median = 0; ///< first level whose running sum reaches half the pixels (0 when none)
};

/// The statistics of counts already gathered.
HistogramStatistics StatisticsOf(const std::array<std::int32_t, 256>& counts);

/// The grey channel of a grey picture: one count per pixel of its level.
HistogramStatistics GrayHistogram(const TGrayImage& image);

/// The four channels of a colour bitmap: red, green and blue bytes each count in their channel,
/// trunc((R + G + B)/3 + 0.5) in the grey channel. Throws "the bitmap has no pixels to count"
/// when Data is null with a non-empty size, or when the stride is too small for a row.
std::array<HistogramStatistics, 4> ColourHistograms(const RgbBitmapView& bitmap);

/// The statistics labels: "Mean: %6.3f", "StdDev: %6.3f", "Median: N", "Pixels: N" (truncated).
struct HistogramLabels {
    std::string Mean, StdDev, Median, Pixels;
};
HistogramLabels LabelsOf(const HistogramStatistics& statistics);

/// The readouts at the mouse: "Level: ...", "Count: ...", "Percentile: %6.3f".
struct HistogramReadout {
    std::string Level, Count, Percentile;
};
/// The level under the mouse x of the plot: clamp(x, 1, 256) - 1.
std::int32_t HistogramLevelAt(std::int32_t mouseX);
/// One level: its count and 100 * count / pixels.
HistogramReadout LevelReadout(const HistogramStatistics& statistics, std::int32_t level);
/// The levels from one end to the other (either order, clamped to 0..255): "Level: low...high" and
/// the summed count.
HistogramReadout RangeReadout(const HistogramStatistics& statistics, std::int32_t from, std::int32_t to);

/// The top row of the plot's bar of a count on the logarithmic scale of a plot height rows high:
/// trunc((h - 1) - ln(count + 1) * (h - 1) / ln(maxCount + 2)); the bar runs down to row h - 1.
/// maxCount is taken as at least 1. The simple segmentation window draws its bars with it too.
std::int32_t HistogramBarTop(std::int32_t count, std::int32_t maxCount, std::int32_t height);

} // namespace corvane
