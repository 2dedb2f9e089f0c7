#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace corvane {

class TGrayImage;
class TPixelCanvas;

/// The speckle analysis window's settings.
struct TSpeckleAnalysisOptions {
    std::int32_t MinX = 2, MaxX = 30; ///< width range of the tables, "Min (Pixel)", "Max (Pixel)"
    std::int32_t MinY = 2, MaxY = 30; ///< height range
    bool WhiteSpeckle = true;         ///< "White Speckle": background 0, else 255
    std::int32_t Left = 1, Top = 1, Right = 0, Bottom = 0; ///< "Image Range to Analysis", inclusive
};

/// Size distribution of the speckles (8-connected components of non-background pixels) in a
/// segmented picture: a table of counts per bounding-box width and height, and one per pixel
/// area. Sizes above the range are counted in one overflow bin past its end.
class TSpeckleStatistics {
  public:
    std::uint8_t Background = 0;
    bool DrawFlag = false; ///< paint erased pixels on Canvas
    TPixelCanvas* Canvas = nullptr;
    std::int32_t Left = 0, Top = 0, Right = -1, Bottom = -1; ///< analysis rectangle, inclusive
    std::int32_t MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;     ///< size range of the tables
    /// Components per bounding-box width w (column) and height h (row): (MaxX + 2) columns and
    /// (MaxY + 2) rows, row-major; column MaxX + 1 and row MaxY + 1 are the overflow bins.
    std::vector<std::int32_t> SizeTable;
    /// Components per area, MaxX * MaxY + 2 entries; the last is the overflow bin.
    std::vector<std::int32_t> AreaTable;
    std::int32_t BboxMinX = 0, BboxMaxX = 0, BboxMinY = 0, BboxMaxY = 0, Area = 0; ///< last component

    /// Analyses the caller's picture in place (it is erased); background 0 with white speckles.
    TSpeckleStatistics(TGrayImage& image, bool whiteSpeckle);

    /// Makes the zeroed tables. Throws "The largest speckle size must be at least 1 pixel" for a
    /// maximum below 1 and "Not enought memory to allocate" when the tables cannot be made.
    void AllocateTables(std::int32_t minX, std::int32_t minY, std::int32_t maxX, std::int32_t maxY);
    /// The analysis rectangle, clipped to the picture (an empty one counts nothing).
    void SetRectangle(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    /// Erases every component touching the picture border, so it is never counted.
    void ClearBorderSpeckles();
    /// Counts every component inside the rectangle (the fill does not leave it) into the tables.
    void CountSpeckles();

    /// Count of components w wide and h high (0 outside the tables).
    std::int32_t SizeCount(std::int32_t w, std::int32_t h) const;
    /// Count of components of a pixels (0 outside the table).
    std::int32_t AreaCount(std::int32_t a) const;

  private:
    TGrayImage& image_;
};

/// "Analysis" of the speckle analysis window on its grey copy of the picture (erased in place):
/// tables allocated, rectangle set, border speckles cleared, speckles in the rectangle counted.
/// Throws as AllocateTables.
std::unique_ptr<TSpeckleStatistics> AnalyseSpeckles(TGrayImage& image,
                                                    const TSpeckleAnalysisOptions& options);

} // namespace corvane
