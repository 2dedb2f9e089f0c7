#pragma once
#include "image/TFloatImage.h"

#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

/// Factor from phase to displacement for a grid of pitch P: P 0.5 / pi (u = phi P / (2 pi)).
float DisplacementFactor(float pitch);

/// Phase to displacement in place: every value and the map's value scale are multiplied by
/// DisplacementFactor(pitch), so repeated conversions accumulate in the value scale. Throws "The
/// grid's parameter P and its frequency can not be 0" for a pitch of 0; the map is then unchanged.
void ConvertToDisplacement(TFloatImage& map, float pitch);

/// The text that the other edit of the pitch / grid frequency pair receives when one of them is
/// left with value: 1 / value formatted "%15.8f" ("     2.00000000" for 0.5). Throws "The grid's
/// parameter P and its frequency can not be 0" for 0, so that both edits stay as they were.
std::string ReciprocalText(double value);

/// The map value at (x, y) formatted "%11.7f", or nothing when the pixel lies outside the map.
std::optional<std::string> PixelValueText(const TFloatImage& map, std::int32_t x, std::int32_t y);

/// The output settings of the ASCII save, one field per control, with their defaults.
struct DisplacementTableOptions {
    bool UseOutputGrid = false;  ///< UseOutputGridCheckBox; otherwise every pixel
    std::int32_t GridX = 5;      ///< GridxEdit
    std::int32_t GridY = 5;      ///< GridyEdit
    bool UseOutputRange = false; ///< OutputRangeCheckBox; otherwise the whole map
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    bool UseMask = false;              ///< UseMaskCheckBox; otherwise no mask, whatever MaskFile says
    std::string MaskFile = "MaskFile"; ///< BMP, only pixels of level 255 are written
};

/// Writes the map as the three-column table " %15.8f  %15.8f  %15.8f \n" of x ScaleX, y ScaleY and
/// the value, with the map's own scales (TFloatImage::Output3DDat), over the options' steps, range
/// and mask. Throws "no data to output: TFloatImage", the mask's size message or "Can not output
/// 3d dat to <name>"; the file is then left as it was.
void SaveDisplacementTable(TFloatImage& map, const std::string& fileName,
                           const DisplacementTableOptions& options);

} // namespace corvane
