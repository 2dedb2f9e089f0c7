#pragma once
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

namespace corvane {

/// Fills the invalid pixels (level 255 in invalidArea) of each row of the map, in place, from the
/// valid pixels beside each run, in single precision:
/// - a run that starts at column 0 takes the value just after it;
/// - a run inside the row is interpolated linearly between the valid pixels on either side;
/// - a run that reaches the row's end takes the value just before it;
/// - a row invalid from column 0 to its end keeps its values.
/// Valid pixels are never changed. Throws "no invlaid area to modify" when invalidArea is null, and
/// a size message (nothing changed) when it does not match the map.
void FillInvalidRuns(TFloatImage& phase, const TGrayImage* invalidArea);

/// Sets every pixel whose level in areas is 255 to the smallest value of the whole map (searched
/// from 1.0e15 down), so those areas show as the darkest grey. Throws a size message when areas
/// does not match the map.
void DarkenAreas(TFloatImage& phase, const TGrayImage& areas);

} // namespace corvane
