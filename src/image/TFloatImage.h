#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "image/FileUtil.h"

namespace corvane {

class TGrayImage;

/// Single-precision raster: phase, displacement, strain and spectrum maps.
/// Pixel (x, y) at y * Width + x, rows from the top. Reads and writes the FLT file (FltFile.h).
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

    /// Value at (x, y); throws "(x,y) not in the image" outside the map.
    float GetPixel(std::int32_t x, std::int32_t y) const;
    /// Stores the value at (x, y); throws "(x,y) not in the image" outside the map.
    void SetPixel(std::int32_t x, std::int32_t y, float value);

    /// Reads header and values; extra bytes after the values are ignored. Throws
    /// "<name>: can not open the file", or a message naming the damage (short header, negative
    /// or oversized size, fewer values than the size needs), before anything is allocated;
    /// the map is then left as it was.
    void LoadFlt(const std::string& fileName);
    /// Writes header (Reserved carried through) and values; the file is replaced atomically.
    /// Throws "Can not save the float image to <name>" when it cannot be written.
    void SaveFlt(const std::string& fileName) const;
    /// Text listing " %15.8f  %15.8f  %15.8f \n" of x*ScaleX, y*ScaleY, value over the region,
    /// by steps (below 1 taken as 1), x fastest, clipped to the map; with an existing mask file only
    /// pixels of level 255 are listed. Throws "no data to output: TFloatImage", a mask-size
    /// message (nothing written) or "Can not output 3d dat to <name>". Written in the C locale, in
    /// blocks of rows formatted through run (WriteBlocksAtomically).
    void Output3DDat(const std::string& fileName, const std::string& maskFileName, std::int32_t x1,
                     std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t stepX,
                     std::int32_t stepY, const PartRunner& run = {});
    /// Single-precision sum over the rectangle, corners included, clipped to the map; 0 if y1 > y2.
    float SumRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;

    /// Min-max scaling onto 0..255; gray is replaced by a new image of the map's size.
    void ToGrayImage(std::unique_ptr<TGrayImage>& gray) const;
    /// As above, values equal to excluded take no part and become 0.
    void ToGrayImage(std::unique_ptr<TGrayImage>& gray, float excluded) const;
    /// As above, only pixels whose mask level is 255 take part, the others become 0. A mask of
    /// another size throws and leaves gray as it was.
    void ToGrayImage(std::unique_ptr<TGrayImage>& gray, const TGrayImage& mask) const;

    /// Sets the clipped rectangle (inside) or everything outside it to value.
    /// Throws "no data : TFloatImage::FillRect()" without data.
    void FillRect(float value, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                  bool inside);
    /// Sets pixels within radius of the centre (inside) or beyond it to value; a negative centre
    /// coordinate is raised to 0. Throws "no data : TFloatImage::FillRect()" without data.
    void FillCircle(float value, std::int32_t cx, std::int32_t cy, double radius, bool inside);
    /// Median filter over the whole map (see the region form).
    void MedianFilter(std::int32_t windowWidth, std::int32_t windowHeight);
    /// Median of each w x h window (sizes made odd, at least 1) inside the clipped region; pixels
    /// nearer the region's edge than half a window and all outside keep their values. Throws
    /// "no data to do median filter: TFloatImage" or "No memory to do median filter".
    void MedianFilter(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                      std::int32_t windowWidth, std::int32_t windowHeight);
    /// Copies the block centred on (x1, y1) (sizes made odd), clears the map and writes the block
    /// centred on (x2, y2). A block reaching outside the map throws the pixel error and changes nothing.
    void MoveBlock(std::int32_t x1, std::int32_t y1, std::int32_t blockWidth, std::int32_t blockHeight,
                   std::int32_t x2, std::int32_t y2);
    /// Sets every pixel whose level in the BMP mask is 0 to value and records the mask. A missing
    /// file or a mask of another size throws and changes nothing.
    void ApplyMaskFile(float value, const std::string& maskFileName);
    /// Adds one constant to every value so that (x, y) becomes value; throws the pixel error.
    void ShiftToValue(std::int32_t x, std::int32_t y, float value);
    /// Shifts every value by a whole number of 2 pi so that the fringe order at (x, y) becomes k.
    /// Throws the pixel error, or "(x,y) has no valid fringe order" for a non-finite or huge value.
    void SetFringeOrder(std::int32_t x, std::int32_t y, std::int32_t k);
    /// Multiplies every value and ValueScale by factor.
    void Multiply(float factor);

  private:
    std::unique_ptr<float[]> owned_;
};

} // namespace corvane
