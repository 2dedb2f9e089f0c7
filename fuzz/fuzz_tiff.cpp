// TIFF files (the first page): decode to grey by both 16-bit rules, write as PNG, decode back unchanged.
#include "PictureRoundTrip.h"
#include "image/TiffFile.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::CheckPictureRoundTrip(DecodeTiffGray, data, size, "fuzz.tif");
}
