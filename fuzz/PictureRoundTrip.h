#pragma once
// What the TIFF and PNG targets share: decode a picture to grey by both 16-bit rules, write it as an
// 8-bit grey PNG, and decode that back unchanged.
#include "FuzzCheck.h"
#include "image/BmpFile.h"
#include "image/PngFile.h"
#include "image/PngWriter.h"

namespace corvane::fuzz {

inline constexpr std::size_t kRoundTripPixels = 1 << 22;

template <class Decode>
int CheckPictureRoundTrip(Decode decode, const std::uint8_t* data, std::size_t size,
                          const std::string& name) {
    for (const SixteenBitScaling scaling : {SixteenBitScaling::Range, SixteenBitScaling::Full}) {
        GrayRaster first;
        try {
            first = decode(data, size, name, scaling);
        } catch (const CorvaneError& e) {
            CheckRefusal(e, name);
            return 0;
        }
        Check(first.Width > 0 && first.Height > 0);
        Check(first.Pixels.size() ==
              static_cast<std::size_t>(first.Width) * static_cast<std::size_t>(first.Height));
        // A few bytes may describe a picture of many millions of pixels; under the fuzzer's
        // instrumentation, compressing it again takes seconds and tells nothing the small ones do not.
        if (first.Pixels.size() > kRoundTripPixels) continue;
        const std::vector<std::uint8_t> written =
            EncodePng(first.Width, first.Height, PngPixels::Gray, first.Pixels.data());
        const GrayRaster second = DecodePngGray(written.data(), written.size(), name, scaling);
        Check(second.Width == first.Width && second.Height == first.Height && second.Pixels == first.Pixels);
    }
    return 0;
}

} // namespace corvane::fuzz
