#pragma once
#include <cstdint>
#include <string>

namespace corvane {

class TSpeckleStatistics;

/// The four tables the speckle analysis saves ("OutputTypeComboBox" order).
enum class TSpeckleOutputType : std::int32_t {
    SizeXY = 0, ///< "x_size  y_size  how_many": width and height inside the range
    Area = 1,   ///< "area       how_many": every area, overflow bin included
    SizeX = 2,  ///< "x_size    how_many": widths summed over all heights, overflow bin included
    SizeY = 3,  ///< "y_size    how_many": heights summed over all widths, overflow bin included
};

/// Writes the table of the type, one line per non-zero count after its header, replacing the
/// file atomically. Throws the type's message ("file open error:Can create out put file(XYHow) ",
/// "...(AreaHow) ", "...(XHow) ", "...(YHow) ") when it cannot be written.
void WriteSpeckleTable(const std::string& fileName, const TSpeckleStatistics& statistics,
                       TSpeckleOutputType type);

} // namespace corvane
