#include "image/PictureFile.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/PngFile.h"
#include "image/TiffFile.h"

#include <vector>

namespace corvane {

PictureFormat PictureFormatOf(const std::uint8_t* bytes, std::size_t size) {
    if (LooksLikeTiff(bytes, size)) return PictureFormat::Tiff;
    if (LooksLikePng(bytes, size)) return PictureFormat::Png;
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return PictureFormat::Bmp;
    return PictureFormat::Unknown;
}

GrayRaster DecodePictureGray(const std::uint8_t* bytes, std::size_t size, const std::string& fileName,
                             SixteenBitScaling scaling) {
    switch (PictureFormatOf(bytes, size)) {
    case PictureFormat::Tiff:
        return DecodeTiffGray(bytes, size, fileName, scaling);
    case PictureFormat::Png:
        return DecodePngGray(bytes, size, fileName, scaling);
    case PictureFormat::Bmp:
        return DecodeBmpGray(bytes, size, fileName);
    default:
        throw CorvaneError(fileName + ": " + kNotAPicture);
    }
}

GrayRaster ReadPictureGray(const std::string& fileName, SixteenBitScaling scaling) {
    const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName, fileName + ": can not open the file");
    return DecodePictureGray(bytes.data(), bytes.size(), fileName, scaling);
}

PictureFileInfo ProbePictureFile(const std::string& fileName) {
    const std::string openError = fileName + ": can not open the file";
    std::uint8_t signature[8] = {};
    const std::size_t got = ReadFileAt(fileName, 0, signature, sizeof signature, openError);
    PictureFileInfo result;
    result.Format = PictureFormatOf(signature, got);
    if (result.Format != PictureFormat::Tiff && result.Format != PictureFormat::Png) return result;
    // A TIFF file's first directory may lie anywhere in it.
    const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName, openError);
    if (result.Format == PictureFormat::Tiff) result.Info = ProbeTiff(bytes.data(), bytes.size(), fileName);
    if (result.Format == PictureFormat::Png) result.Info = ProbePng(bytes.data(), bytes.size(), fileName);
    return result;
}

} // namespace corvane
