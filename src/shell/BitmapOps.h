#pragma once
#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {
class TGrayImage;
class TFloatImage;
} // namespace corvane

namespace corvane::ui {

/// Fills gray (which must have the picture's size) from a 24-bit picture with the grey rule
/// floor((R + G + B) * (1/3) + 0.5) of every picture reader.
/// Throws CorvaneError when the sizes differ.
void CopyBitmapToGray(const QImage& bitmap, TGrayImage& gray);

/// Paints gray into the top-left corner of a 24-bit picture (B = G = R = grey); the part of the
/// grey image outside the picture is left out.
void PaintGrayIntoBitmap(const TGrayImage& gray, QImage& bitmap);

/// Every byte of the 24-bit picture becomes 255 - value.
void InvertBitmap(QImage& bitmap);

/// A quarter turn counter-clockwise: new pixel (y, width - 1 - x) takes old pixel (x, y);
/// the result is height x width, colours kept.
QImage Rotate90Bitmap(const QImage& bitmap);

/// Writes the picture as a 24-bit BMP, replacing the file atomically; throws CorvaneError.
void SaveBitmapAsBmp(const QImage& bitmap, const std::string& fileName);

/// The float map of a 24-bit picture with grey g stored as (g - 127.5) * pi / 127.5,
/// so black is -pi and white +pi. map must have the picture's size; throws CorvaneError otherwise.
void BitmapToPhaseMap(const QImage& bitmap, TFloatImage& map);

} // namespace corvane::ui
