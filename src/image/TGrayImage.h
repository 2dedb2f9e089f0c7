#pragma once
#include <cstdint>
#include <memory>
#include <string>

namespace corvane {

/// The workbench's 8-bit grey raster: one byte per pixel, rows from the top,
/// pixel (x, y) at y * Width + x, no padding. Reads and writes BMP and RAW files.
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

    std::string FileName;        ///< "MemoryPointer" when empty, "MemoryData.raw" when made in memory
    std::int32_t Header = 0;     ///< bytes before the pixels of a RAW file
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::int32_t Size = 0;       ///< always Width * Height
    std::uint8_t* Data = nullptr;
    bool OwnsData = true;

    /// Empty image: "MemoryPointer", no buffer.
    TGrayImage();
    /// In memory: borrows buffer when given, else owns Width*Height zero bytes.
    TGrayImage(std::uint8_t* buffer, std::int32_t width, std::int32_t height);
    /// From a BMP file; throws "<name>: not exists" when the file is missing.
    explicit TGrayImage(const std::string& bmpFileName);
    /// From a RAW file and its description; throws "<name>: not exists" when missing.
    explicit TGrayImage(const RawDescription& raw);
    ~TGrayImage();
    TGrayImage(const TGrayImage&) = delete;
    TGrayImage& operator=(const TGrayImage&) = delete;

    /// Value at (x, y); throws "(x,y) not in the gray image" outside.
    std::uint8_t GetPixel(std::int32_t x, std::int32_t y) const;
    void SetPixel(std::int32_t x, std::int32_t y, std::uint8_t value);

    /// Width = w (0 when negative); the buffer is reallocated, contents undefined.
    void SetWidth(std::int32_t w);
    void SetHeight(std::int32_t h);
    void SetHeader(std::int32_t n) { Header = n; }

    /// Reads any uncompressed BMP (1/4/8/16/24/32 bits, BI_RGB or BI_BITFIELDS, any header,
    /// bottom-up or top-down) as grey floor((R+G+B)/3 + 0.5). Damaged files throw a clear message
    /// and leave the image as it was.
    void LoadBmp(const std::string& fileName);
    /// Seeks to Header and reads Width*Height bytes; pixels past the end of the file are 0.
    void LoadRaw(const std::string& fileName);
    /// ".bmp" -> SaveBmp, ".raw" -> SaveRaw (case-insensitive); else "only support raw and bmp files".
    void SaveToFile(const std::string& fileName) const;
    /// 24-bit grey BMP, bottom-up, rows padded to 4 bytes; the file is replaced atomically.
    void SaveBmp(const std::string& fileName) const;
    /// Header bytes of 'F', then the pixels; the file is replaced atomically.
    void SaveRaw(const std::string& fileName) const;

    /// Sets the rectangle (corners included, clipped to the image) to value.
    void FillRect(std::uint8_t value, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2);
    /// Sum over the rectangle, corners included; x2, y2 clipped; 0 when y1 > y2.
    std::uint32_t SumRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const;
    /// Median of the w x h window (sizes made odd and at least 1); border pixels keep their values.
    void MedianFilter(std::int32_t windowWidth, std::int32_t windowHeight);
    /// Moving average of length n (made odd) along rows, or down columns when alongColumns.
    void AverageFilter(std::int32_t length, bool alongColumns);

private:
    std::unique_ptr<std::uint8_t[]> owned_;
    /// Replaces the buffer with an owned one of width*height bytes (zeroed when zero is true).
    void Allocate(std::int32_t width, std::int32_t height, bool zero);
};

} // namespace corvane
