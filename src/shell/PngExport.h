#pragma once
#include <QImage>

#include <string>

namespace corvane::ui {

/// Writes a window's 24-bit picture as a PNG file, atomically: as grey when every pixel has
/// R = G = B, in colour otherwise. Throws CorvaneError("<name>: can not write the file").
void SaveBitmapAsPng(const QImage& bitmap, const std::string& fileName);

} // namespace corvane::ui
