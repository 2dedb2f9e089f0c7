// FLT float maps: decode, encode, and get back exactly the bytes that were read (header, reserved
// bytes and every value bit, NaNs included); decoding those gives the same map.
#include "FuzzCheck.h"
#include "image/FltFile.h"

#include <cstring>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name = "fuzz.flt";
    FltContent first;
    try {
        first = DecodeFlt(data, size, name);
    } catch (const CorvaneError& e) {
        fuzz::CheckRefusal(e, name);
        return 0;
    }
    const FltHeader& h = first.Header;
    fuzz::Check(h.Width > 0 && h.Height > 0);
    const std::vector<std::uint8_t> written = EncodeFlt(h, first.Values.get());
    fuzz::Check(written.size() <= size && std::memcmp(written.data(), data, written.size()) == 0);
    const FltContent second = DecodeFlt(written.data(), written.size(), name);
    fuzz::Check(second.Header.Width == h.Width && second.Header.Height == h.Height &&
                second.Header.Reserved == h.Reserved);
    const std::size_t count = static_cast<std::size_t>(h.Width) * static_cast<std::size_t>(h.Height);
    fuzz::Check(std::memcmp(first.Values.get(), second.Values.get(), count * sizeof(float)) == 0);
    return 0;
}
