#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "correlation/TCorRelationResult.h"

namespace corvane {

class TGrayImage;

/// The mask picture when maskFile names an existing file, else null. The results address the mask
/// like the initial picture (w0 x h0), so a mask of another size throws "The mask picture <name> is
/// W x H pixels, not the initial picture's w0 x h0"; an unreadable one throws the grey image's errors.
std::unique_ptr<TGrayImage> LoadRunMask(const std::string& maskFile, std::int32_t w0, std::int32_t h0);

/// Writes XYFile, ThetaRFile and InfoFile of a normal run (after its post filter).
/// Throws "Check your computing parameters, then start again" when a file cannot be written.
void WriteResults(const TCorRelationResult& result, bool changeY);
/// The same for a fast run (seeds only).
void WriteFastResults(const TCorRelationResult& result, bool changeY);
/// Grey pictures of dx and dy; masks the arrays of result first, as the report describes.
void WriteGrayFiles(TCorRelationResult& result);
/// FLT maps of dx*ScaleX and dy*ScaleY with the marker kept unscaled.
void WriteBinFiles(TCorRelationResult& result);

/// Used time of the report, "%2d:%2d:%2d" of hours, minutes and seconds (3725 -> " 1: 2: 5").
std::string UsedTimeText(std::int64_t seconds);

} // namespace corvane
