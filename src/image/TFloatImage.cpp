#include "image/TFloatImage.h"

#include "image/CFormat.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/FloatMedian.h"
#include "image/FltFile.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvane {

namespace {

std::string PixelError(std::int32_t x, std::int32_t y) {
    return "(" + std::to_string(x) + "," + std::to_string(y) + ") not in the image";
}

/// The BMP mask picture of a width x height map; a missing file or a mask of another size throws.
std::unique_ptr<TGrayImage> LoadMask(const std::string& maskFileName, std::int32_t width,
                                     std::int32_t height) {
    auto mask = std::make_unique<TGrayImage>(maskFileName);
    if (mask->Width != width || mask->Height != height)
        throw CorvaneError(maskFileName + ": the mask is not the size of the float image");
    return mask;
}

/// Min-max grey conversion shared by the three forms; take(i) tells whether pixel i takes part.
template <class Take> void MinMaxToGray(const float* data, std::size_t count, std::uint8_t* out, Take take) {
    float max = -1.0e20f;
    float min = 1.0e20f;
    for (std::size_t i = 0; i < count; ++i) {
        if (!take(i)) continue;
        float v = data[i];
        if (v > max) max = v;
        if (v < min) min = v;
    }
    float range = max - min;
    if (static_cast<double>(range) < 1e-20) range = 1.0f; // the threshold is the double 1e-20
    for (std::size_t i = 0; i < count; ++i)
        out[i] = take(i) ? GrayLevelOf((data[i] - min) * 255.0f / range) : std::uint8_t{0};
}

} // namespace

TFloatImage::TFloatImage(const std::string& fltFileName) {
    FileName = fltFileName;
    LoadFlt(fltFileName);
}

TFloatImage::TFloatImage(float* buffer, std::int32_t width, std::int32_t height) {
    Width = std::max(width, 0);
    Height = std::max(height, 0);
    if (buffer) {
        Data = buffer;
        OwnsData = false;
    } else {
        owned_ =
            std::make_unique<float[]>(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height));
        Data = owned_.get();
        OwnsData = true;
    }
}

TFloatImage::~TFloatImage() = default;

std::size_t TFloatImage::PixelCount() const {
    return static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height);
}

float TFloatImage::GetPixel(std::int32_t x, std::int32_t y) const {
    if (x < 0 || x >= Width || y < 0 || y >= Height || !Data) throw CorvaneError(PixelError(x, y));
    return Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)];
}

void TFloatImage::SetPixel(std::int32_t x, std::int32_t y, float value) {
    if (x < 0 || x >= Width || y < 0 || y >= Height || !Data) throw CorvaneError(PixelError(x, y));
    Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)] = value;
}

void TFloatImage::LoadFlt(const std::string& fileName) {
    FltContent content = ReadFltFile(fileName);
    // Everything was read: only now does the map change.
    FileName = fileName;
    Width = content.Header.Width;
    Height = content.Header.Height;
    ScaleX = content.Header.ScaleX;
    ScaleY = content.Header.ScaleY;
    ValueScale = content.Header.ValueScale;
    Reserved = content.Header.Reserved;
    owned_ = std::move(content.Values);
    Data = owned_.get();
    OwnsData = true;
}

void TFloatImage::SaveFlt(const std::string& fileName) const {
    if (!Data && PixelCount() > 0) throw CorvaneError("no data to save: TFloatImage");
    WriteFltFile(fileName, {Width, Height, ScaleX, ScaleY, ValueScale, Reserved}, Data);
}

void TFloatImage::Output3DDat(const std::string& fileName, const std::string& maskFileName, std::int32_t x1,
                              std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t stepX,
                              std::int32_t stepY, const PartRunner& run) {
    if (!Data) throw CorvaneError("no data to output: TFloatImage");
    std::unique_ptr<TGrayImage> mask;
    if (FileExists(maskFileName)) mask = LoadMask(maskFileName, Width, Height);
    HasMask = mask != nullptr;
    if (mask) MaskFileName = maskFileName;

    // A step below 1 would never advance; a start before the map would read outside it.
    stepX = std::max(stepX, 1);
    stepY = std::max(stepY, 1);
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width - 1);
    y2 = std::min(y2, Height - 1);

    // Records " %15.8f  %15.8f  %15.8f \n", formatted by AppendFixed (printf's bytes, faster), in
    // blocks of whole rows of about 16384 records.
    const std::int64_t columns = x1 <= x2 ? (std::int64_t{x2} - x1) / stepX + 1 : 1;
    const std::int64_t rows = y1 <= y2 ? (std::int64_t{y2} - y1) / stepY + 1 : 0;
    const std::int64_t rowsPerBlock = std::max<std::int64_t>(1, 16384 / columns);
    const auto format = [&](std::int64_t block, std::string& text) {
        const std::int64_t last = std::min(rows, (block + 1) * rowsPerBlock);
        for (std::int64_t r = block * rowsPerBlock; r < last; ++r) {
            const std::int64_t y = y1 + r * stepY;
            const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
            for (std::int64_t x = x1; x <= x2; x += stepX) {
                if (mask && mask->Data[row + static_cast<std::size_t>(x)] != 255) continue;
                text += ' ';
                AppendFixed(text, static_cast<double>(static_cast<float>(x) * ScaleX), 15, 8);
                text += "  ";
                AppendFixed(text, static_cast<double>(static_cast<float>(y) * ScaleY), 15, 8);
                text += "  ";
                AppendFixed(text, static_cast<double>(Data[row + static_cast<std::size_t>(x)]), 15, 8);
                text += " \n";
            }
        }
    };
    WriteBlocksAtomically(fileName, (rows + rowsPerBlock - 1) / rowsPerBlock, format,
                          "Can not output 3d dat to " + fileName, run);
}

float TFloatImage::SumRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const {
    // Clipped to the map so that a careless rectangle never reads outside it.
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width - 1);
    y2 = std::min(y2, Height - 1);
    float sum = 0.0f;
    if (!Data) return sum;
    for (std::int32_t y = y1; y <= y2; ++y) {
        const float* row = Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
        for (std::int32_t x = x1; x <= x2; ++x)
            sum += row[x];
    }
    return sum;
}

void TFloatImage::ToGrayImage(std::unique_ptr<TGrayImage>& gray) const {
    auto result = std::make_unique<TGrayImage>(nullptr, Width, Height);
    if (Data) MinMaxToGray(Data, PixelCount(), result->Data, [](std::size_t) { return true; });
    gray = std::move(result);
}

void TFloatImage::ToGrayImage(std::unique_ptr<TGrayImage>& gray, float excluded) const {
    auto result = std::make_unique<TGrayImage>(nullptr, Width, Height);
    if (Data) {
        const float* data = Data;
        MinMaxToGray(Data, PixelCount(), result->Data,
                     [data, excluded](std::size_t i) { return data[i] != excluded; });
    }
    gray = std::move(result);
}

void TFloatImage::ToGrayImage(std::unique_ptr<TGrayImage>& gray, const TGrayImage& mask) const {
    if (mask.Width != Width || mask.Height != Height)
        throw CorvaneError("the mask is not the size of the float image");
    auto result = std::make_unique<TGrayImage>(nullptr, Width, Height);
    if (Data && mask.Data) {
        const std::uint8_t* m = mask.Data;
        MinMaxToGray(Data, PixelCount(), result->Data, [m](std::size_t i) { return m[i] == 255; });
    }
    gray = std::move(result);
}

void TFloatImage::FillRect(float value, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                           bool inside) {
    if (!Data) throw CorvaneError("no data : TFloatImage::FillRect()");
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width - 1);
    y2 = std::min(y2, Height - 1);
    for (std::int32_t y = 0; y < Height; ++y) {
        float* row = Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
        const bool rowIn = y >= y1 && y <= y2;
        if (inside) {
            if (rowIn && x1 <= x2) std::fill(row + x1, row + x2 + 1, value);
        } else if (!rowIn || x1 > x2) {
            std::fill(row, row + Width, value);
        } else {
            std::fill(row, row + x1, value);
            std::fill(row + x2 + 1, row + Width, value);
        }
    }
}

void TFloatImage::FillCircle(float value, std::int32_t cx, std::int32_t cy, double radius, bool inside) {
    if (!Data) throw CorvaneError("no data : TFloatImage::FillRect()");
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    for (std::int32_t y = 0; y < Height; ++y) {
        float* row = Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
        const double dy = static_cast<double>(y) - cy;
        for (std::int32_t x = 0; x < Width; ++x) {
            const double dx = static_cast<double>(x) - cx;
            const bool within = std::sqrt(dx * dx + dy * dy) <= radius;
            if (within == inside) row[x] = value;
        }
    }
}

void TFloatImage::MedianFilter(std::int32_t windowWidth, std::int32_t windowHeight) {
    MedianFilter(0, 0, Width - 1, Height - 1, windowWidth, windowHeight);
}

void TFloatImage::MoveBlock(std::int32_t x1, std::int32_t y1, std::int32_t blockWidth,
                            std::int32_t blockHeight, std::int32_t x2, std::int32_t y2) {
    blockWidth = std::max(blockWidth, 0);
    blockHeight = std::max(blockHeight, 0);
    if (blockWidth % 2 == 0) ++blockWidth;
    if (blockHeight % 2 == 0) ++blockHeight;
    const std::int32_t hw = blockWidth / 2;
    const std::int32_t hh = blockHeight / 2;

    std::vector<float> block(static_cast<std::size_t>(blockWidth) * static_cast<std::size_t>(blockHeight));
    std::size_t k = 0;
    for (std::int32_t j = -hh; j <= hh; ++j)
        for (std::int32_t i = -hw; i <= hw; ++i)
            block[k++] = GetPixel(x1 + i, y1 + j);
    // The destination is checked before the map is cleared, so a failing move changes nothing.
    for (std::int32_t j = -hh; j <= hh; ++j)
        for (std::int32_t i = -hw; i <= hw; ++i) {
            const std::int32_t x = x2 + i;
            const std::int32_t y = y2 + j;
            if (x < 0 || x >= Width || y < 0 || y >= Height) throw CorvaneError(PixelError(x, y));
        }
    std::fill(Data, Data + PixelCount(), 0.0f);
    k = 0;
    for (std::int32_t j = -hh; j <= hh; ++j)
        for (std::int32_t i = -hw; i <= hw; ++i)
            SetPixel(x2 + i, y2 + j, block[k++]);
}

void TFloatImage::ApplyMaskFile(float value, const std::string& maskFileName) {
    const std::unique_ptr<TGrayImage> mask = LoadMask(maskFileName, Width, Height);
    HasMask = true;
    MaskFileName = maskFileName;
    MaskValue = value;
    if (!Data) return;
    const std::size_t count = PixelCount();
    for (std::size_t i = 0; i < count; ++i)
        if (mask->Data[i] == 0) Data[i] = value;
}

void TFloatImage::ShiftToValue(std::int32_t x, std::int32_t y, float value) {
    const float shift = value - GetPixel(x, y);
    const std::size_t count = PixelCount();
    for (std::size_t i = 0; i < count; ++i)
        Data[i] += shift;
}

void TFloatImage::SetFringeOrder(std::int32_t x, std::int32_t y, std::int32_t k) {
    constexpr long double kPi = 3.1415926535899L;
    constexpr long double kInverseTwoPi = 0.15915494309188993L;
    const float p = GetPixel(x, y);
    const float m = static_cast<float>((static_cast<long double>(p) + kPi) * kInverseTwoPi);
    // A value too large for a whole fringe count cannot be shifted meaningfully.
    if (!(std::fabs(m) < 2.0e9f))
        throw CorvaneError("(" + std::to_string(x) + "," + std::to_string(y) + ") has no valid fringe order");
    const std::int32_t n = m >= 0.0f ? static_cast<std::int32_t>(m) : static_cast<std::int32_t>(m - 1.0f);
    const long double shift = static_cast<long double>(static_cast<std::int64_t>(k) - n) * 2.0L * kPi;
    const std::size_t count = PixelCount();
    for (std::size_t i = 0; i < count; ++i)
        Data[i] = static_cast<float>(static_cast<long double>(Data[i]) + shift);
}

void TFloatImage::Multiply(float factor) {
    const std::size_t count = Data ? PixelCount() : 0;
    for (std::size_t i = 0; i < count; ++i)
        Data[i] *= factor;
    ValueScale *= factor;
}

void TFloatImage::MedianFilter(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                               std::int32_t windowWidth, std::int32_t windowHeight) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width - 1);
    y2 = std::min(y2, Height - 1);
    if (!Data) throw CorvaneError("no data to do median filter: TFloatImage");
    std::int32_t w = std::max(windowWidth, 1);
    std::int32_t h = std::max(windowHeight, 1);
    if (w % 2 == 0) ++w;
    if (h % 2 == 0) ++h;
    const std::int32_t rw = x2 - x1 + 1;
    const std::int32_t rh = y2 - y1 + 1;
    if (rw < w || rh < h || (w == 1 && h == 1)) return; // no pixel has a whole window in the region
    FloatMedianFilter(Data + static_cast<std::size_t>(y1) * static_cast<std::size_t>(Width) + x1,
                      static_cast<std::size_t>(Width), rw, rh, w, h);
}

} // namespace corvane
