#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "correlation/TCorRelationResult.h"
// The result files, one format each: the tables and the report are written by WriteResults, the
// grey pictures and FLT maps by the functions of CorRelationMaps.h.
#include "correlation/CorRelationMaps.h"
#include "correlation/CorRelationReport.h"

namespace corvane {

class TGrayImage;

/// The mask picture when maskFile names an existing file, else null. The results address the mask
/// like the initial picture (w0 x h0), so a mask of another size throws "The mask picture <name> is
/// W x H pixels, not the initial picture's w0 x h0"; an unreadable one throws the grey image's errors.
std::unique_ptr<TGrayImage> LoadRunMask(const std::string& maskFile, std::int32_t w0, std::int32_t h0);

/// Writes XYFile, ThetaRFile (CorRelationTables.h) and InfoFile (CorRelationReport.h) of a normal
/// run (after its post filter); the tables are formatted on up to lanes lanes of the shared pool (0 for
/// all of them) and streamed to their files.
/// Throws "Check your computing parameters, then start again" when a file cannot be written.
void WriteResults(const TCorRelationResult& result, bool changeY, int lanes = 0);
/// The same for a fast run (seeds only).
void WriteFastResults(const TCorRelationResult& result, bool changeY, int lanes = 0);

} // namespace corvane
