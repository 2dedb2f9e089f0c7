#include "image/TGrayImage.h"

#include "image/BmpFile.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/GrayMedian.h"
#include "image/ImageSize.h"
#include "image/PictureFile.h"
#include "image/RawFile.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace corvane {

namespace {

const char* const kNoMemoryForFilter = "No memory to do median filter";

/// A copy of the pixels the filters read from, so results never feed later windows.
std::vector<std::uint8_t> FilterCopy(const std::uint8_t* data, std::int32_t size) {
    try {
        return std::vector<std::uint8_t>(data, data + size);
    } catch (const std::bad_alloc&) {
        throw CorvaneError(kNoMemoryForFilter);
    }
}

} // namespace

TGrayImage::TGrayImage() : FileName("MemoryPointer") {}

TGrayImage::TGrayImage(std::uint8_t* buffer, std::int32_t width, std::int32_t height)
    : FileName("MemoryData.raw") {
    if (CheckedPixelCount(width, height) < 0)
        throw CorvaneError("bad gray image size " + SizeText(width, height));
    if (buffer) {
        Width = width;
        Height = height;
        Size = width * height;
        Data = buffer;
        OwnsData = false;
    } else {
        Allocate(width, height, true);
    }
}

TGrayImage::TGrayImage(const std::string& fileName, SixteenBitScaling scaling) : FileName("MemoryPointer") {
    if (!FileExists(fileName)) throw CorvaneError(fileName + ": not exists");
    LoadPicture(fileName, scaling);
}

TGrayImage::TGrayImage(const RawDescription& raw) : FileName("MemoryPointer") {
    Header = raw.Header;
    Width = raw.Width;
    Height = raw.Height;
    std::int64_t size = CheckedPixelCount(Width, Height);
    Size = size < 0 ? 0 : static_cast<std::int32_t>(size);
    if (!FileExists(raw.FileName)) throw CorvaneError(raw.FileName + ": not exists");
    LoadRaw(raw.FileName);
}

TGrayImage::~TGrayImage() = default; // owned_ frees an owned buffer; a borrowed one stays the caller's

std::uint8_t TGrayImage::GetPixel(std::int32_t x, std::int32_t y) const {
    if (x < 0 || x >= Width || y < 0 || y >= Height)
        throw CorvaneError("(" + std::to_string(x) + "," + std::to_string(y) + ") not in the gray image");
    return Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)];
}

void TGrayImage::SetPixel(std::int32_t x, std::int32_t y, std::uint8_t value) {
    if (x < 0 || x >= Width || y < 0 || y >= Height)
        throw CorvaneError("(" + std::to_string(x) + "," + std::to_string(y) + ") not in the gray image");
    Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)] = value;
}

void TGrayImage::Allocate(std::int32_t width, std::int32_t height, bool zero) {
    std::int64_t size = CheckedPixelCount(width, height);
    if (size < 0) throw CorvaneError("bad gray image size " + SizeText(width, height));
    std::unique_ptr<std::uint8_t[]> buffer;
    if (size > 0)
        buffer = zero ? std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(size))
                      : std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
    owned_ = std::move(buffer);
    decoded_ = {};
    Data = owned_.get();
    OwnsData = true;
    Width = width;
    Height = height;
    Size = static_cast<std::int32_t>(size);
}

void TGrayImage::SetWidth(std::int32_t w) {
    // Zeroed although the contents are undefined: a fresh picture is black, never stale memory.
    Allocate(std::max(w, 0), Height, true);
}

void TGrayImage::SetHeight(std::int32_t h) {
    Allocate(Width, std::max(h, 0), true);
}

void TGrayImage::LoadBmp(const std::string& fileName) {
    Adopt(AllocateForReader(fileName,
                            [&] {
                                std::vector<std::uint8_t> bytes =
                                    ReadWholeFile(fileName, fileName + ": can not open the file");
                                return DecodeBmpGray(bytes.data(), bytes.size(), fileName);
                            }),
          fileName);
}

void TGrayImage::LoadPicture(const std::string& fileName, SixteenBitScaling scaling) {
    Adopt(AllocateForReader(fileName,
                            [&] {
                                std::vector<std::uint8_t> bytes =
                                    ReadWholeFile(fileName, fileName + ": can not open the file");
                                return DecodePictureGray(bytes.data(), bytes.size(), fileName, scaling);
                            }),
          fileName);
}

void TGrayImage::Adopt(GrayRaster&& raster, const std::string& fileName) {
    // Everything is decoded before the image changes, so a bad file leaves it as it was. The
    // decoded pixels are taken over, not copied: a large picture is held once, not twice.
    decoded_ = std::move(raster.Pixels);
    owned_.reset();
    Data = decoded_.data();
    OwnsData = true;
    FileName = fileName;
    Header = 0;
    Width = raster.Width;
    Height = raster.Height;
    Size = static_cast<std::int32_t>(decoded_.size());
}

void TGrayImage::LoadRaw(const std::string& fileName) {
    std::unique_ptr<std::uint8_t[]> buffer = ReadRawFile(fileName, Header, Width, Height);
    owned_ = std::move(buffer);
    decoded_ = {};
    Data = owned_.get();
    OwnsData = true;
    FileName = fileName;
    Size = Width * Height; // ReadRawFile checked that it fits
}

void TGrayImage::SaveToFile(const std::string& fileName) const {
    std::string ext = LowerExtension(fileName);
    if (ext == ".bmp")
        SaveBmp(fileName);
    else if (ext == ".raw")
        SaveRaw(fileName);
    else
        throw CorvaneError("only support raw and bmp files");
}

void TGrayImage::SaveBmp(const std::string& fileName) const {
    GrayBmpFileSize(Width, Height); // refuses a picture too large for the format before any file is made
    WriteFileAtomically(
        fileName, [&](std::FILE* f) { return WriteGrayBmp(f, Data, Width, Height); },
        fileName + ": can not write the file");
}

void TGrayImage::SaveRaw(const std::string& fileName) const {
    WriteRawFile(fileName, Header, Data, static_cast<std::size_t>(Size));
}

void TGrayImage::FillRect(std::uint8_t value, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                          std::int32_t y2) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width - 1);
    y2 = std::min(y2, Height - 1);
    if (x1 > x2 || y1 > y2) return;
    const std::size_t length = static_cast<std::size_t>(x2 - x1 + 1);
    for (std::int32_t y = y1; y <= y2; ++y)
        std::memset(Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + x1, value, length);
}

std::uint32_t TGrayImage::SumRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const {
    // Negative corners are clipped too: reading before the buffer is never right.
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width - 1);
    y2 = std::min(y2, Height - 1);
    std::uint32_t sum = 0;
    if (x1 > x2 || y1 > y2) return sum;
    for (std::int32_t y = y1; y <= y2; ++y) {
        const std::uint8_t* row = Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
        for (std::int32_t x = x1; x <= x2; ++x)
            sum += row[x];
    }
    return sum;
}

void TGrayImage::MedianFilter(std::int32_t windowWidth, std::int32_t windowHeight) {
    std::int32_t w = std::max(windowWidth, 1);
    std::int32_t h = std::max(windowHeight, 1);
    if (w % 2 == 0) ++w; // INT32_MAX is odd, so this never overflows
    if (h % 2 == 0) ++h;
    if (w > Width || h > Height) return; // no pixel has a whole window
    const std::vector<std::uint8_t> copy = FilterCopy(Data, Size);
    GrayMedianFilter(copy.data(), Data, Width, Height, w, h);
}

void TGrayImage::AverageFilter(std::int32_t length, bool alongColumns) {
    std::int32_t n = std::max(length, 1);
    if (n % 2 == 0) ++n;
    const std::int32_t r = n / 2;
    if (n > (alongColumns ? Height : Width) || Size == 0) return;
    const std::vector<std::uint8_t> copy = FilterCopy(Data, Size);
    const std::size_t width = static_cast<std::size_t>(Width);
    if (!alongColumns) {
        for (std::int32_t y = 0; y < Height; ++y) {
            const std::uint8_t* src = copy.data() + static_cast<std::size_t>(y) * width;
            std::uint8_t* dst = Data + static_cast<std::size_t>(y) * width;
            std::int64_t sum = 0;
            for (std::int32_t i = 0; i < n; ++i)
                sum += src[i];
            for (std::int32_t x = r;; ++x) {
                dst[x] = static_cast<std::uint8_t>(sum / n);
                if (x + r + 1 >= Width) break;
                sum += src[x + r + 1] - src[x - r];
            }
        }
        return;
    }
    // Down the columns, one running sum per column, so every pass reads whole rows in order.
    std::vector<std::int64_t> sums;
    try {
        sums.assign(width, 0);
    } catch (const std::bad_alloc&) {
        throw CorvaneError(kNoMemoryForFilter);
    }
    for (std::int32_t j = 0; j < n; ++j) {
        const std::uint8_t* row = copy.data() + static_cast<std::size_t>(j) * width;
        for (std::size_t x = 0; x < width; ++x)
            sums[x] += row[x];
    }
    for (std::int32_t y = r;; ++y) {
        std::uint8_t* dst = Data + static_cast<std::size_t>(y) * width;
        for (std::size_t x = 0; x < width; ++x)
            dst[x] = static_cast<std::uint8_t>(sums[x] / n);
        if (y + r + 1 >= Height) break;
        const std::uint8_t* enter = copy.data() + static_cast<std::size_t>(y + r + 1) * width;
        const std::uint8_t* leave = copy.data() + static_cast<std::size_t>(y - r) * width;
        for (std::size_t x = 0; x < width; ++x)
            sums[x] += enter[x] - leave[x];
    }
}

} // namespace corvane
