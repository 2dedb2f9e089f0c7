#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace corvane {

class TGrayImage;

/// Single-precision raster: phase, displacement, strain and spectrum maps.
/// Pixel (x, y) at y * Width + x, rows from the top. Reads and writes the FLT file:
/// a 30-byte little-endian header (Width, Height, ScaleX, ScaleY, ValueScale, 10 reserved bytes)
/// followed by the values row by row.
class TFloatImage {
public:
    bool HasMask = false;
    float MaskValue = 0.0f;
    std::string FileName;
    std::string MaskFileName;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    float ScaleX = 1.0f;
    float ScaleY = 1.0f;
    float ValueScale = 1.0f;
    std::array<std::uint8_t, 10> Reserved{};
    float* Data = nullptr;
    bool OwnsData = true;

    /// Reads an FLT file (LoadFlt).
    explicit TFloatImage(const std::string& fltFileName);
    /// In memory: borrows buffer when given, else owns width*height zeros.
    TFloatImage(float* buffer, std::int32_t width, std::int32_t height);
    ~TFloatImage();
    TFloatImage(const TFloatImage&) = delete;
    TFloatImage& operator=(const TFloatImage&) = delete;

    /// Number of values, Width * Height.
    std::size_t PixelCount() const;

    /// Throws "(x,y) not in the image" outside the map.
    float GetPixel(std::int32_t x, std::int32_t y) const;
    void SetPixel(std::int32_t x, std::int32_t y, float value);

    /// Reads header and values; a damaged file is refused before anything is allocated
    /// and leaves the map as it was.
    void LoadFlt(const std::string& fileName);
    /// Writes header and values; the file is replaced atomically.
    void SaveFlt(const std::string& fileName) const;
    /// Text listing " %15.8f  %15.8f  %15.8f \n" of x*ScaleX, y*ScaleY, value over the region.
    void Output3DDat(const std::string& fileName, const std::string& maskFileName, std::int32_t x1,
                     std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t stepX,
                     std::int32_t stepY);
    float SumRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;

    /// Min-max scaling onto 0..255; gray is replaced by a new image of the map's size.
    void ToGrayImage(std::unique_ptr<TGrayImage>& gray) const;
    /// As above, values equal to excluded take no part and become 0.
    void ToGrayImage(std::unique_ptr<TGrayImage>& gray, float excluded) const;
    /// As above, only pixels whose mask level is 255 take part; the mask must have the map's size.
    void ToGrayImage(std::unique_ptr<TGrayImage>& gray, const TGrayImage& mask) const;

    void FillRect(float value, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                  bool inside);
    void FillCircle(float value, std::int32_t cx, std::int32_t cy, double radius, bool inside);
    void MedianFilter(std::int32_t windowWidth, std::int32_t windowHeight);
    void MedianFilter(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                      std::int32_t windowWidth, std::int32_t windowHeight);
    void MoveBlock(std::int32_t x1, std::int32_t y1, std::int32_t blockWidth, std::int32_t blockHeight,
                   std::int32_t x2, std::int32_t y2);
    void ApplyMaskFile(float value, const std::string& maskFileName);
    void ShiftToValue(std::int32_t x, std::int32_t y, float value);
    void SetFringeOrder(std::int32_t x, std::int32_t y, std::int32_t k);
    void Multiply(float factor);

private:
    std::unique_ptr<float[]> owned_;
};

} // namespace corvane
