#pragma once
#include <cstdint>

namespace corvane {

class TGrayImage;

/// "Modify" of the multi-area segmentation window: wipes unwanted marks by filling the inclusive
/// rectangle with the background value (0 for white dots, 255 for black dots). The rectangle is
/// clipped to the image; one with right < left or bottom < top fills nothing.
void ModifySegment(TGrayImage& image, std::int32_t left, std::int32_t top, std::int32_t right,
                   std::int32_t bottom, bool whiteDots);

} // namespace corvane
