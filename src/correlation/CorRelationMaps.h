#pragma once

#include "correlation/TCorRelationResult.h"

namespace corvane {

/// Grey pictures (BMP or RAW by the name) of dx and dy into GrayXFile and GrayYFile, both scaled
/// min-max over one range of every computed value, points without a value black. Masks the arrays
/// of result first (MaskResultArrays). Throws the grey image's save errors and the mask's errors.
void WriteGrayFiles(TCorRelationResult& result);
/// FLT maps of dx*ScaleX and dy*ScaleY into BinXFile and BinYFile, the marker kept unscaled; the
/// arrays of result are masked first. Throws the float map's save error and the mask's errors.
void WriteBinFiles(TCorRelationResult& result);

} // namespace corvane
