#include "phase/InvalidRunFill.h"

#include "image/CorvaneError.h"
#include "phase/NoiseMask.h"

#include <cstddef>

namespace corvane {

void FillInvalidRuns(TFloatImage& phase, const TGrayImage* invalidArea) {
    if (!invalidArea) throw CorvaneError("no invlaid area to modify");
    CheckInvalidAreaSize(*invalidArea, phase);
    const std::int32_t width = phase.Width;
    const std::size_t stride = static_cast<std::size_t>(width);
    for (std::int32_t y = 0; y < phase.Height; ++y) {
        float* row = phase.Data + static_cast<std::size_t>(y) * stride;
        const std::uint8_t* invalid = invalidArea->Data + static_cast<std::size_t>(y) * stride;
        std::int32_t x = 1;
        while (x < width) {
            if (invalid[x] != 255) {
                ++x;
                continue;
            }
            std::int32_t end = x;
            while (end < width && invalid[end] == 255)
                ++end;
            const std::int32_t last = end - 1;
            if (x == 1 && invalid[0] == 255) {
                // A run from column 0: the first valid value after it; a wholly invalid row is kept.
                if (last < width - 1)
                    for (std::int32_t i = 0; i <= last; ++i)
                        row[i] = row[end];
            } else if (last < width - 1) {
                // The scan restarts the interpolation at every pixel of the run, each time from the
                // pixel just filled; the value that stays at i is the one of the restart at i.
                const float after = row[end];
                for (std::int32_t i = x; i <= last; ++i) {
                    const float before = row[i - 1];
                    row[i] = before + (before - after) / static_cast<float>((i - 1) - end);
                }
            } else {
                for (std::int32_t i = x; i < width; ++i)
                    row[i] = row[x - 1];
            }
            x = end;
        }
    }
}

void DarkenAreas(TFloatImage& phase, const TGrayImage& areas) {
    CheckInvalidAreaSize(areas, phase);
    const std::size_t count = phase.PixelCount();
    float* p = phase.Data;
    float min = 1.0e15f;
    for (std::size_t i = 0; i < count; ++i)
        if (p[i] < min) min = p[i];
    for (std::size_t i = 0; i < count; ++i)
        if (areas.Data[i] == 255) p[i] = min;
}

} // namespace corvane
