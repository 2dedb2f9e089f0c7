#include "shell/PngExport.h"

#include "image/PngWriter.h"

#include <vector>

namespace corvane::ui {

void SaveBitmapAsPng(const QImage& bitmap, const std::string& fileName) {
    const QImage rgb =
        bitmap.format() == QImage::Format_RGB888 ? bitmap : bitmap.convertToFormat(QImage::Format_RGB888);
    const int width = rgb.width();
    const int height = rgb.height();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint8_t> pixels(rowBytes * static_cast<std::size_t>(height));
    bool grey = true;
    for (int y = 0; y < height; ++y) {
        const uchar* row = rgb.constScanLine(y); // rows are padded to 4 bytes in the picture
        std::uint8_t* out = pixels.data() + rowBytes * static_cast<std::size_t>(y);
        for (std::size_t i = 0; i < rowBytes; i += 3) {
            out[i] = row[i];
            out[i + 1] = row[i + 1];
            out[i + 2] = row[i + 2];
            grey = grey && row[i] == row[i + 1] && row[i] == row[i + 2];
        }
    }
    if (grey) {
        const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        for (std::size_t i = 0; i < count; ++i)
            pixels[i] = pixels[3 * i];
        pixels.resize(count);
    }
    WritePngFile(fileName, width, height, grey ? PngPixels::Gray : PngPixels::Rgb, pixels.data(),
                 fileName + ": can not write the file");
}

} // namespace corvane::ui
