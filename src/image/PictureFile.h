#pragma once
#include "image/PictureSamples.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane {

/// The picture formats the workbench opens, told apart by their first bytes.
enum class PictureFormat { Unknown, Bmp, Tiff, Png };

/// What a file whose first bytes are of no picture format the workbench reads is told.
inline constexpr const char* kNotAPicture = "not a BMP, TIFF or PNG picture";

/// The format the bytes start with; Unknown when none (RAW files have no signature).
PictureFormat PictureFormatOf(const std::uint8_t* bytes, std::size_t size);

/// Decodes a BMP, TIFF or PNG picture held in memory to grey, by its content whatever the file is
/// called; 16-bit pictures by the rule given. Bytes that start as none of them (a damaged PNG
/// signature, say) are refused with kNotAPicture. Throws CorvaneError("<fileName>: <reason>").
GrayRaster DecodePictureGray(const std::uint8_t* bytes, std::size_t size, const std::string& fileName,
                             SixteenBitScaling scaling);

/// Reads the picture file and decodes it as DecodePictureGray does.
/// Throws "<name>: can not open the file" when it cannot be read.
GrayRaster ReadPictureGray(const std::string& fileName, SixteenBitScaling scaling);

/// The format, size, depth and pages of a picture file, without decoding its pixels (a BMP reports
/// 8 bits and one page, its size unread). Throws the readers' messages for a damaged TIFF or PNG.
struct PictureFileInfo {
    PictureFormat Format = PictureFormat::Unknown;
    PictureInfo Info;
};
PictureFileInfo ProbePictureFile(const std::string& fileName);

} // namespace corvane
