#include "dotgrid/ModifySegment.h"

#include "image/TGrayImage.h"

namespace corvane {

void ModifySegment(TGrayImage& image, std::int32_t left, std::int32_t top, std::int32_t right,
                   std::int32_t bottom, bool whiteDots) {
    image.FillRect(whiteDots ? 0 : 255, left, top, right, bottom);
}

} // namespace corvane
