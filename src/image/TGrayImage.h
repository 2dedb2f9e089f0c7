#pragma once
#include "image/PictureSamples.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace corvane {

struct GrayRaster;

/// Grey level of a scaled value: truncated toward zero and kept inside 0..255; NaN and values at
/// or below 0 give 0, so no value (infinities included) reaches an undefined conversion.
template <class T> inline std::uint8_t GrayLevelOf(T g) {
    if (!(g > T(0))) return 0;
    if (g >= T(255)) return 255;
    return static_cast<std::uint8_t>(static_cast<int>(g));
}

/// The workbench's 8-bit grey raster: one byte per pixel, rows from the top,
/// pixel (x, y) at y * Width + x, no padding. Reads BMP, TIFF, PNG and RAW files; writes BMP and RAW.
/// Errors are thrown as CorvaneError carrying the user-visible message.
class TGrayImage {
  public:
    /// What the user tells about a RAW file when it is opened.
    struct RawDescription {
        std::string FileName;
        std::int32_t Header = 0;
        std::int32_t Width = 0;
        std::int32_t Height = 0;
    };

    std::string FileName;    ///< "MemoryPointer" when empty, "MemoryData.raw" when made in memory
    std::int32_t Header = 0; ///< bytes before the pixels of a RAW file
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t Size = 0; ///< always Width * Height
    std::uint8_t* Data = nullptr;
    bool OwnsData = true;

    /// Empty image: "MemoryPointer", no buffer.
    TGrayImage();
    /// In memory: borrows buffer when given, else owns Width*Height zero bytes.
    /// Throws "bad gray image size W x H" for a negative side or a size beyond 32 bits.
    TGrayImage(std::uint8_t* buffer, std::int32_t width, std::int32_t height);
    /// From a BMP, TIFF or PNG file (LoadPicture); throws "<name>: not exists" when it is missing.
    explicit TGrayImage(const std::string& fileName, SixteenBitScaling scaling = kDefaultSixteenBitScaling);
    /// From a RAW file and its description; throws "<name>: not exists" when missing.
    explicit TGrayImage(const RawDescription& raw);
    ~TGrayImage();
    TGrayImage(const TGrayImage&) = delete;
    TGrayImage& operator=(const TGrayImage&) = delete;

    /// Value at (x, y); throws "(x,y) not in the gray image" outside.
    std::uint8_t GetPixel(std::int32_t x, std::int32_t y) const;
    /// Stores the value at (x, y); throws "(x,y) not in the gray image" outside.
    void SetPixel(std::int32_t x, std::int32_t y, std::uint8_t value);

    /// Width = w (0 when negative); the buffer is reallocated, its contents zero.
    /// Throws "bad gray image size W x H" when the size does not fit 32 bits.
    void SetWidth(std::int32_t w);
    /// Height = h (0 when negative); as SetWidth.
    void SetHeight(std::int32_t h);
    /// Header = n, the RAW header size used by LoadRaw and SaveRaw.
    void SetHeader(std::int32_t n) { Header = n; }

    /// Reads any uncompressed BMP (1/2/4/8/16/24/32 bits, BI_RGB or BI_BITFIELDS, any header,
    /// bottom-up or top-down) and run-length coded 4 and 8-bit ones as grey floor((R+G+B)/3 + 0.5).
    /// A damaged, hostile or JPEG/PNG-carrying file throws "<name>: <reason>" and leaves the image
    /// as it was; an unreadable one throws "<name>: can not open the file"; a picture without pixels
    /// or of more than kMaxPicturePixels pixels is refused, and running out of memory throws
    /// "<name>: not enough memory".
    void LoadBmp(const std::string& fileName);
    /// Reads a BMP, TIFF (first page) or PNG picture, told apart by its first bytes whatever its
    /// extension; colour becomes grey by the BMP rule, 16-bit samples 8-bit by the scaling rule.
    /// Anything else is read as a BMP and refused with the BMP reader's message. A damaged file
    /// throws "<name>: <reason>" and leaves the image as it was.
    void LoadPicture(const std::string& fileName, SixteenBitScaling scaling = kDefaultSixteenBitScaling);
    /// Seeks to Header and reads Width*Height bytes; pixels past the end of the file are 0.
    /// Throws ReadRawFile's messages (a bad header or size, a file far too short for the size,
    /// "<name>: can not open the file", "<name>: not enough memory").
    void LoadRaw(const std::string& fileName);
    /// ".bmp" -> SaveBmp, ".raw" -> SaveRaw (case-insensitive); else "only support raw and bmp files".
    void SaveToFile(const std::string& fileName) const;
    /// 24-bit grey BMP, bottom-up, rows padded to 4 bytes; the file is replaced atomically.
    /// Throws "<name>: can not write the file" and leaves any old file whole.
    void SaveBmp(const std::string& fileName) const;
    /// Header bytes of 'F', then the pixels; the file is replaced atomically.
    /// Throws "<name>: can not write the file" and leaves any old file whole.
    void SaveRaw(const std::string& fileName) const;

    /// Sets the rectangle (corners included, clipped to the image) to value.
    void FillRect(std::uint8_t value, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    /// Sum over the rectangle, corners included; x2, y2 clipped; 0 when y1 > y2.
    std::uint32_t SumRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
    /// Median of the w x h window (sizes made odd and at least 1); border pixels keep their values.
    /// Throws "No memory to do median filter" when the working copy cannot be made.
    void MedianFilter(std::int32_t windowWidth, std::int32_t windowHeight);
    /// Moving average of length n (made odd) along rows, or down columns when alongColumns;
    /// quotients truncated, border pixels kept. Throws "No memory to do median filter" as above.
    void AverageFilter(std::int32_t length, bool alongColumns);

  private:
    std::unique_ptr<std::uint8_t[]> owned_;
    std::vector<std::uint8_t> decoded_; ///< the pixels of a loaded BMP, kept in the decoder's buffer
    /// Takes a decoded picture's pixels over as the image's, read from fileName.
    void Adopt(GrayRaster&& raster, const std::string& fileName);
    /// Replaces the buffer with an owned one of width*height bytes (zeroed when zero is true).
    void Allocate(std::int32_t width, std::int32_t height, bool zero);
};

} // namespace corvane
