// BMP files: decode, write the picture as the 24-bit grey BMP, and decode that back unchanged.
#include "FuzzCheck.h"
#include "image/BmpFile.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name = "fuzz.bmp";
    GrayRaster first;
    try {
        first = DecodeBmpGray(data, size, name);
    } catch (const CorvaneError& e) {
        fuzz::CheckRefusal(e, name);
        return 0;
    }
    fuzz::Check(first.Width > 0 && first.Height > 0);
    fuzz::Check(first.Pixels.size() ==
                static_cast<std::size_t>(first.Width) * static_cast<std::size_t>(first.Height));

    fuzz::MemoryFile out;
    fuzz::Check(WriteGrayBmp(out.File(), first.Pixels.data(), first.Width, first.Height));
    const std::vector<std::uint8_t> written = out.Bytes();
    const GrayRaster second = DecodeBmpGray(written.data(), written.size(), name);
    fuzz::Check(second.Width == first.Width && second.Height == first.Height &&
                second.Pixels == first.Pixels);
    return 0;
}
