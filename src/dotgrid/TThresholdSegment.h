#pragma once
#include <cstdint>
#include <memory>
#include <vector>

namespace corvane {

class TGrayImage;
class TPixelCanvas;

/// The simple segmentation window's settings.
struct TSimpleSegmentOptions {
    std::int32_t Level = 128; ///< "SimpleSegmentThresholdEdit"
    bool WhiteDots = true;    ///< "White Speckle"
};

/// The multi-area segmentation window's settings.
struct TAdaptiveSegmentOptions {
    std::int32_t WindowSize = 150; ///< "Win.  Size", both width and height of a window
    std::int32_t Adjust = 0;       ///< added to every window mean
    bool WhiteDots = true;         ///< "White Speckle"
};

/// Segments a grey picture of dots in place, never binarising completely: pixels on the
/// background side of the threshold get the background value (0 for white dots, 255 for black
/// dots), pixels on the dot side keep their grey value, which the centroid weighting relies on.
/// With white dots a value below the threshold becomes 0; with black dots a value above it
/// becomes 255.
class TThresholdSegment {
  public:
    std::int32_t WinWidth = 0;  ///< adaptive window size; default image width / 4
    std::int32_t WinHeight = 0; ///< default image width / 4 as well
    bool WhiteDots = true;
    bool DrawEach = false;                   ///< paint each processed pixel on the canvas given to a run
    std::int32_t Left = 0, Top = 0;          ///< processing region origin
    std::int32_t Width = 0, Height = 0;      ///< region size; default the image size
    std::vector<std::int32_t> ThresholdGrid; ///< one threshold per window, row-major, Nx per row
    std::int32_t Nx = 0, Ny = 0;             ///< whole windows across and down
    std::int32_t Adjust = 0;                 ///< added to every window mean
    std::int32_t FirstCentreX = 0, LastCentreX = 0; ///< window centres, relative to the region
    std::int32_t FirstCentreY = 0, LastCentreY = 0;

    /// Works on the caller's image, which it borrows.
    TThresholdSegment(TGrayImage& image, bool drawEach);
    /// Works on an image it owns and frees.
    TThresholdSegment(std::unique_ptr<TGrayImage> image, bool drawEach);
    ~TThresholdSegment();
    TThresholdSegment(const TThresholdSegment&) = delete;
    TThresholdSegment& operator=(const TThresholdSegment&) = delete;

    TGrayImage& Image() { return image_; }

    /// Thresholds every pixel of the image against level.
    void SimpleThreshold(TPixelCanvas* canvas, std::int32_t level);
    /// Thresholds the inclusive rectangle (clipped to the image) against level.
    void SimpleThreshold(TPixelCanvas* canvas, std::int32_t level, std::int32_t left, std::int32_t top,
                         std::int32_t right, std::int32_t bottom);

    /// Locally adaptive threshold over the region: one threshold per window of the lattice
    /// (window mean + Adjust, kept in 0..255), interpolated bilinearly between window centres and
    /// extrapolated beyond the outermost ones. Throws the window-size message when fewer than two
    /// windows fit across or down (or the size is not positive), "Not Allocate memory for
    /// threshold" when the grid cannot be made.
    void AdaptiveThreshold(TPixelCanvas* canvas);

    /// Restricts the adaptive threshold to the inclusive rectangle, clipped to the image.
    void SetRegion(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);

    /// Largest window size for which two windows fit across and down a width x height region.
    static std::int32_t MaxWindowSize(std::int32_t width, std::int32_t height);

  private:
    std::unique_ptr<TGrayImage> owned_;
    TGrayImage& image_;
};

/// "Segment" of the simple segmentation window: one global threshold over the whole image.
void SegmentSimple(TGrayImage& image, const TSimpleSegmentOptions& options);

/// "Segment" of the multi-area segmentation window: the adaptive threshold over the whole image.
/// Throws as TThresholdSegment::AdaptiveThreshold.
void SegmentAdaptive(TGrayImage& image, const TAdaptiveSegmentOptions& options);

} // namespace corvane
