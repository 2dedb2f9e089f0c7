#pragma once
#include <array>
#include <string>

#include "correlation/TCorRelationResult.h"

namespace corvane {

/// Grey pictures (BMP or RAW by the name) of dx and dy into GrayXFile and GrayYFile, both scaled
/// min-max over one range of every computed value, points without a value black. Masks the arrays
/// of result first (MaskResultArrays). Throws the grey image's save errors and the mask's errors.
void WriteGrayFiles(TCorRelationResult& result);
/// FLT maps of dx*ScaleX and dy*ScaleY into BinXFile and BinYFile, the marker kept unscaled; the
/// arrays of result are masked first. Throws the float map's save error and the mask's errors.
void WriteBinFiles(TCorRelationResult& result);

/// Names of the FLT maps of du/dx, du/dy (after BinXFile) and dv/dx, dv/dy (after BinYFile): the
/// name with "_dudx", "_dudy", "_dvdx" or "_dvdy" before its extension ("dx_bin.flt" gives
/// "dx_bin_dudx.flt"), or at its end when it has none.
std::array<std::string, 4> GradientFileNames(const TCorRelationPara& para);
/// FLT maps of the four displacement gradients of a refined run into GradientFileNames, each
/// converted to the output scales (du/dy by ScaleX / ScaleY, dv/dx by ScaleY / ScaleX), marked
/// wherever dx or dy is; value scale 1. Meant after WriteBinFiles, whose masking it relies on.
/// Throws kCheckParameters when the run has no gradients, and the float map's save error.
void WriteGradientFiles(const TCorRelationResult& result);

/// Name of the correlation map: BinXFile with "_zncc" before its extension ("dx.flt" gives
/// "dx_zncc.flt"), or at its end when it has none.
std::string CorrelationFileName(const TCorRelationPara& para);
/// FLT map of each point's zero-normalised correlation (result.zncc) into CorrelationFileName,
/// marked outside the mask and where the point has none; value scale 1. Points below the minimum
/// correlation keep their value here, so the map shows why they were left out. Throws
/// kCheckParameters when the run has no correlation map, and the mask's and the map's save errors.
void WriteCorrelationFile(const TCorRelationResult& result);

} // namespace corvane
