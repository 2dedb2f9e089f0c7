#include "dotgrid/TSpeckleStatistics.h"

#include "dotgrid/ComponentFill.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <new>

namespace corvane {

namespace {

// Tables beyond this many entries are refused as not allocatable rather than tried.
constexpr std::int64_t kLargestTable = std::int64_t{1} << 28;

} // namespace

TSpeckleStatistics::TSpeckleStatistics(TGrayImage& image, bool whiteSpeckle)
    : Background(whiteSpeckle ? 0 : 255), image_(image) {}

void TSpeckleStatistics::AllocateTables(std::int32_t minX, std::int32_t minY, std::int32_t maxX,
                                        std::int32_t maxY) {
    if (maxX < 1 || maxY < 1) throw CorvaneError("The largest speckle size must be at least 1 pixel");
    const std::int64_t sizeEntries = (std::int64_t{maxX} + 2) * (std::int64_t{maxY} + 2);
    const std::int64_t areaEntries = std::int64_t{maxX} * maxY + 2;
    if (sizeEntries > kLargestTable || areaEntries > kLargestTable)
        throw CorvaneError("Not enought memory to allocate");
    try {
        SizeTable.assign(static_cast<std::size_t>(sizeEntries), 0);
        AreaTable.assign(static_cast<std::size_t>(areaEntries), 0);
    } catch (const std::bad_alloc&) {
        throw CorvaneError("Not enought memory to allocate");
    }
    MinX = minX;
    MinY = minY;
    MaxX = maxX;
    MaxY = maxY;
}

void TSpeckleStatistics::SetRectangle(std::int32_t left, std::int32_t top, std::int32_t right,
                                      std::int32_t bottom) {
    // Clipped so that no fill confined to the rectangle can step outside the picture.
    Left = std::max(left, 0);
    Top = std::max(top, 0);
    Right = std::min(right, image_.Width - 1);
    Bottom = std::min(bottom, image_.Height - 1);
}

void TSpeckleStatistics::ClearBorderSpeckles() {
    const std::int32_t width = image_.Width, height = image_.Height;
    if (width == 0 || height == 0) return;
    TComponentFill fill(image_.Data, width, height, Background);
    fill.SetCanvas(DrawFlag ? Canvas : nullptr);
    // Fill returns at once on a background pixel.
    for (std::int32_t x = 0; x < width; ++x) {
        fill.Fill(x, 0);
        fill.Fill(x, height - 1);
    }
    for (std::int32_t y = 0; y < height; ++y) {
        fill.Fill(0, y);
        fill.Fill(width - 1, y);
    }
}

void TSpeckleStatistics::CountSpeckles() {
    if (Left > Right || Top > Bottom || SizeTable.empty()) return;
    TComponentFill fill(image_.Data, image_.Width, image_.Height, Background);
    fill.SetCanvas(DrawFlag ? Canvas : nullptr);
    fill.SetBounds(Left, Top, Right, Bottom);
    const std::size_t columns = static_cast<std::size_t>(MaxX) + 2;
    const std::int32_t areaOverflow = MaxX * MaxY + 1;
    for (std::int32_t y = Top; y <= Bottom; ++y) {
        const std::uint8_t* row =
            image_.Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(image_.Width);
        for (std::int32_t x = Left; x <= Right; ++x) {
            if (row[x] == Background) continue;
            const TComponentStats s = fill.Fill(x, y);
            BboxMinX = s.MinX;
            BboxMaxX = s.MaxX;
            BboxMinY = s.MinY;
            BboxMaxY = s.MaxY;
            Area = s.Area;
            const std::int32_t w = std::clamp(BboxMaxX - BboxMinX + 1, 0, MaxX + 1);
            const std::int32_t h = std::clamp(BboxMaxY - BboxMinY + 1, 0, MaxY + 1);
            ++SizeTable[static_cast<std::size_t>(h) * columns + static_cast<std::size_t>(w)];
            ++AreaTable[static_cast<std::size_t>(std::clamp(Area, 0, areaOverflow))];
        }
    }
}

std::int32_t TSpeckleStatistics::SizeCount(std::int32_t w, std::int32_t h) const {
    if (SizeTable.empty() || w < 0 || h < 0 || w > MaxX + 1 || h > MaxY + 1) return 0;
    return SizeTable[static_cast<std::size_t>(h) * (static_cast<std::size_t>(MaxX) + 2) +
                     static_cast<std::size_t>(w)];
}

std::int32_t TSpeckleStatistics::AreaCount(std::int32_t a) const {
    if (a < 0 || static_cast<std::size_t>(a) >= AreaTable.size()) return 0;
    return AreaTable[static_cast<std::size_t>(a)];
}

std::unique_ptr<TSpeckleStatistics> AnalyseSpeckles(TGrayImage& image,
                                                    const TSpeckleAnalysisOptions& options) {
    auto statistics = std::make_unique<TSpeckleStatistics>(image, options.WhiteSpeckle);
    statistics->AllocateTables(options.MinX, options.MinY, options.MaxX, options.MaxY);
    statistics->SetRectangle(options.Left, options.Top, options.Right, options.Bottom);
    statistics->ClearBorderSpeckles();
    statistics->CountSpeckles();
    return statistics;
}

} // namespace corvane
