#include "shell/BitmapOps.h"

#include "image/BmpFile.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <array>

namespace corvane::ui {

namespace {

QImage As24Bit(const QImage& bitmap) {
    return bitmap.format() == QImage::Format_RGB888 ? bitmap : bitmap.convertToFormat(QImage::Format_RGB888);
}

} // namespace

void CopyBitmapToGray(const QImage& bitmap, TGrayImage& gray) {
    const QImage source = As24Bit(bitmap);
    if (gray.Width != source.width() || gray.Height != source.height() ||
        (gray.Data == nullptr && gray.Size > 0))
        throw CorvaneError("the gray image and the picture differ in size");
    const auto& table = GrayOfSum();
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* in = source.constScanLine(y);
        std::uint8_t* out = gray.Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(gray.Width);
        for (int x = 0; x < source.width(); ++x, in += 3)
            out[x] = table[in[0] + in[1] + in[2]];
    }
}

void PaintGrayIntoBitmap(const TGrayImage& gray, QImage& bitmap) {
    if (bitmap.format() != QImage::Format_RGB888) bitmap = bitmap.convertToFormat(QImage::Format_RGB888);
    const int width = std::min(gray.Width, bitmap.width());
    const int height = std::min(gray.Height, bitmap.height());
    if (width <= 0 || height <= 0 || gray.Data == nullptr) return;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in =
            gray.Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(gray.Width);
        std::uint8_t* out = bitmap.scanLine(y);
        for (int x = 0; x < width; ++x, out += 3)
            out[0] = out[1] = out[2] = in[x];
    }
}

void InvertBitmap(QImage& bitmap) {
    if (bitmap.isNull()) return;
    if (bitmap.format() != QImage::Format_RGB888) bitmap = bitmap.convertToFormat(QImage::Format_RGB888);
    const std::size_t rowBytes = static_cast<std::size_t>(bitmap.width()) * 3;
    for (int y = 0; y < bitmap.height(); ++y) {
        std::uint8_t* p = bitmap.scanLine(y);
        for (std::size_t i = 0; i < rowBytes; ++i)
            p[i] = static_cast<std::uint8_t>(255 - p[i]);
    }
}

QImage Rotate90Bitmap(const QImage& bitmap) {
    const QImage source = As24Bit(bitmap);
    const int width = source.width();
    const int height = source.height();
    QImage rotated(height, width, QImage::Format_RGB888);
    if (rotated.isNull() && width > 0 && height > 0) throw std::bad_alloc();
    // Old (x, y) goes to new column y, row width - 1 - x: each old row fills one new column.
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* in = source.constScanLine(y);
        for (int x = 0; x < width; ++x, in += 3) {
            std::uint8_t* out = rotated.scanLine(width - 1 - x) + static_cast<std::size_t>(y) * 3;
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
    }
    return rotated;
}

void SaveBitmapAsBmp(const QImage& bitmap, const std::string& fileName) {
    const QImage source = As24Bit(bitmap);
    GrayBmpFileSize(source.width(), source.height()); // refuses a picture too large before any file is made
    WriteFileAtomically(
        fileName,
        [&](std::FILE* f) {
            return WriteRgbBmp(f, source.constBits(), static_cast<std::size_t>(source.bytesPerLine()),
                               source.width(), source.height());
        },
        "Cannot create file " + fileName);
}

void BitmapToPhaseMap(const QImage& bitmap, TFloatImage& map) {
    const QImage source = As24Bit(bitmap);
    if (map.Width != source.width() || map.Height != source.height())
        throw CorvaneError("the float image and the picture differ in size");
    // One value per grey level, computed in extended precision and stored as float.
    std::array<float, 256> value{};
    for (int g = 0; g < 256; ++g)
        value[g] =
            static_cast<float>((static_cast<long double>(g) - 127.5L) * 3.1415926535897L * (1.0L / 127.5L));
    const auto& table = GrayOfSum();
    for (int y = 0; y < source.height(); ++y) {
        const std::uint8_t* in = source.constScanLine(y);
        float* out = map.Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(map.Width);
        for (int x = 0; x < source.width(); ++x, in += 3)
            out[x] = value[table[in[0] + in[1] + in[2]]];
    }
}

} // namespace corvane::ui
