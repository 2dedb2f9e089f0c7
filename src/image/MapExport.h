#pragma once
#include <string>

namespace corvane {

class TFloatImage;

/// The file kinds a float map is exported to for other programs.
enum class MapExportKind { FloatTiff, Csv, Npy };

/// The kind named by the file's extension (.tif, .tiff, .csv, .npy, any case). Throws
/// "<name>: export a map as .tif, .csv or .npy" for another one.
MapExportKind MapExportKindOf(const std::string& fileName);

/// Writes the map as a one-page 32-bit floating-point grey TIFF (uncompressed strips) through
/// libtiff: one sample per map point, rows from the top, points not computed (the marker or not
/// finite) as NaN; XResolution and YResolution hold 1/ScaleX and 1/ScaleY points per unit
/// (ResolutionUnit none) when the scales are positive. Replaced atomically; throws
/// "Can not export the map to <name>" when it cannot be written.
void SaveMapFloatTiff(const TFloatImage& map, const std::string& fileName);

/// Writes a text table with the header line "x,y,value" and one line per point, rows from the top
/// and x fastest: x·ScaleX, y·ScaleY and the value ("nan" where not computed), "%.9g" with a '.'
/// decimal point. Replaced atomically; throws as SaveMapFloatTiff.
void SaveMapCsv(const TFloatImage& map, const std::string& fileName);

/// Writes a NumPy .npy file (format 1.0): little-endian float32 of shape (Height, Width) in row
/// order, NaN where not computed. Replaced atomically; throws as SaveMapFloatTiff.
void SaveMapNpy(const TFloatImage& map, const std::string& fileName);

/// The writer of the name's kind. Throws what MapExportKindOf and the writers throw; a map without
/// points throws "the map holds no points" and nothing is written.
void ExportFloatMap(const TFloatImage& map, const std::string& fileName);

} // namespace corvane
