#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "dotgrid/ComponentFill.h"
#include "dotgrid/TCoordinateSystem.h"
#include "dotgrid/TDotInfo.h"

namespace corvane {

class TGrayImage;
class TPixelCanvas;

/// How a document window builds its encoder.
struct TDotGridEncoderOptions {
    bool WhiteGrid = true;  ///< "White Grid": white dots on a 0 background, else black dots on 255
    bool DrawFlag = false;  ///< paint erased pixels on the canvas while one is set
    std::int32_t MaxX = 50; ///< half ranges of the coordinate system ("Max X", "Max Y")
    std::int32_t MaxY = 50;
};

/// The dot grid of one segmented picture: extraction of the dots (connected components of
/// non-background pixels, border components and noise removed, grey-weighted centroids) into the
/// dot table `FDotInfo`, and the state the encoding walk fills in (grid indices, neighbours,
/// coordinate system). All extraction happens on a private copy of the picture.
class TDotGridEncoder {
  public:
    // Dot extraction.
    std::unique_ptr<std::uint8_t[]> WorkPixels; ///< the pixels of WorkImage, owned here
    std::unique_ptr<TGrayImage> WorkImage;      ///< private copy of the picture; extraction erases it
    std::unique_ptr<std::uint8_t[]>
        Backup;                     ///< snapshot of WorkImage (its Size bytes) around destructive scans
    std::uint8_t Background = 0;    ///< 0 (white grid) or 255 (black grid)
    bool DrawFlag = false;          ///< paint erased pixels on Canvas (only while one is set)
    TPixelCanvas* Canvas = nullptr; ///< where progress is painted; none on the command line
    std::int32_t Area = 0;          ///< pixel count of the component filled last
    std::int64_t SumWX = 0, SumWY = 0, SumW = 0; ///< its weighted sums
    std::int32_t NoiseThreshold = 0; ///< smallest area that counts as a dot ("The Least Grid Area")
    std::vector<TDotInfo> FDotInfo;  ///< the dot table, FDotSum + 1 records after BuildDotTable
    std::int32_t FDotIndex = 0;      ///< records filled so far
    std::int32_t FDotSum = 0;        ///< dots found
    std::int32_t MaxArea = 0;        ///< largest component of the last count
    std::int32_t TotalArea = 0;      ///< sum of the component sizes of the last count

    // Encoding state, used by the grid walk.
    std::int32_t Selected = -1;                           ///< dot picked with the mouse
    std::int32_t UncodedCount = 0;                        ///< dots left out of the net by the last walk
    std::int32_t PauseMs = 50;                            ///< pause after each encoded dot
    float ScaleX = 1.0f, ScaleY = 1.0f;                   ///< pixel scale written to the code file
    bool Highlight = true;                                ///< paint the picked dot in red
    static constexpr std::int32_t Dnx[4] = {1, 0, -1, 0}; ///< index steps of directions 0..3
    static constexpr std::int32_t Dny[4] = {0, -1, 0, 1};
    std::unique_ptr<TCoordinateSystem> Coordinates; ///< grid index -> dot number
    std::int32_t MaxX = 50, MaxY = 50;              ///< half ranges of the coordinate system
    float TolX = 0.0f, TolY = 0.0f;                 ///< current search box half-widths
    float Ratio = 1.0f;                             ///< lattice pitch along y divided by pitch along x

    /// Copies the picture and makes the backup buffer and the coordinate system. Throws
    /// "the grayimage is NULL" when the copy cannot be made, "Can not allocate backup image
    /// buffer", and the coordinate system's allocation message.
    TDotGridEncoder(const TGrayImage& image, const TDotGridEncoderOptions& options);
    ~TDotGridEncoder();
    TDotGridEncoder(const TDotGridEncoder&) = delete;
    TDotGridEncoder& operator=(const TDotGridEncoder&) = delete;

    /// Snapshot of the work image; throws "Cannot allocate more memory for BackupImage" without
    /// a backup buffer.
    void SaveBackup();
    /// Puts the snapshot back; throws "Have not  allocated memory for BackupImage" without one.
    void RestoreBackup();

    /// Erases for good every component that touches the picture border: the top and bottom
    /// pixel of each column, then the left and right pixel of each row, start fills.
    void ClearBorderDots();
    /// Fills every component in raster order: FDotSum = their number, TotalArea = their summed
    /// area, MaxArea = the largest. Erases the work image (callers wrap it in the backup).
    void CountDots();
    /// "Auto": clears the border dots, counts the rest on the backup and sets NoiseThreshold to
    /// the mean component area (0 when there is none), which it returns.
    std::int32_t AutoEvaluate();
    /// Erases for good every component smaller than NoiseThreshold (a negative threshold
    /// counts as 10) and leaves FDotSum = the components kept; the image is then drawn on the
    /// canvas. Throws "No dots in this image\nmay be you should give a small noise threshold"
    /// when no dot is left.
    void RemoveNoise(TPixelCanvas* canvas);
    /// The dot table: one record per component of at least NoiseThreshold pixels, numbered in
    /// raster order of each component's first pixel, with its grey-weighted centroid and area.
    /// The work image is left as it was. Throws "No more memory for FDotInfo" and
    /// "May be some dots are error, because FDotIndex > FDotSum".
    void BuildDotTable(TPixelCanvas* canvas);

  private:
    TComponentFill fill_;
    /// Fills the component at (x, y) of the work image and records Area, the sums and MaxArea.
    void FillAt(std::int32_t x, std::int32_t y);
    /// Calls visit(x, y) for each non-background pixel in raster order, reading the image as it
    /// is at that moment (visit may erase pixels ahead of the scan).
    template <class Visit> void ScanComponents(Visit visit);
};

} // namespace corvane
