// PNG files: decode to grey by both 16-bit rules, write as PNG, decode back unchanged.
#include "PictureRoundTrip.h"
#include "image/PngFile.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::CheckPictureRoundTrip(DecodePngGray, data, size, "fuzz.png");
}
