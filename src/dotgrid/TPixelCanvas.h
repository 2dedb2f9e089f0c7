#pragma once
#include <cstdint>

namespace corvane {

class TGrayImage;

/// Where the segmentation and dot-extraction steps show their progress: a document window's
/// picture in the workbench, nothing on the command line. The computing layer never depends on
/// one being present.
class TPixelCanvas {
  public:
    virtual ~TPixelCanvas() = default;
    /// Paints pixel (x, y) in the grey level (RGB = value, value, value).
    virtual void PaintGrey(std::int32_t x, std::int32_t y, std::uint8_t value) = 0;
    /// Shows the whole picture.
    virtual void DrawImage(const TGrayImage& image) = 0;
};

} // namespace corvane
