#include "phase/NoiseMask.h"

#include "image/CorvaneError.h"

#include <cmath>
#include <cstddef>
#include <string>

namespace corvane {

namespace {

/// A difference beyond the threshold is taken as a wrapped one and brought back by one 2 pi.
inline float WrapOnce(float d, float threshold) {
    if (!(std::fabs(d) > threshold)) return d;
    constexpr double kTwoPi = 6.28318530718;
    return static_cast<float>(d < 0.0f ? d + kTwoPi : d - kTwoPi);
}

} // namespace

void CheckInvalidAreaSize(const TGrayImage& invalidArea, const TFloatImage& phase,
                          const std::string& fileName) {
    if (invalidArea.Width == phase.Width && invalidArea.Height == phase.Height && invalidArea.Data) return;
    throw CorvaneError((fileName.empty() ? std::string() : fileName + ": ") + "the invalid area is " +
                       std::to_string(invalidArea.Width) + " x " + std::to_string(invalidArea.Height) +
                       ", the phase map " + std::to_string(phase.Width) + " x " +
                       std::to_string(phase.Height));
}

void MaskNoise(const TFloatImage& phase, TGrayImage& invalidArea, float threshold, float residueThreshold) {
    if (!phase.Data) throw CorvaneError("Select an phase image first");
    CheckInvalidAreaSize(invalidArea, phase);
    const std::int32_t width = phase.Width;
    const std::size_t stride = static_cast<std::size_t>(width);
    for (std::int32_t y = 0; y + 1 < phase.Height; ++y) {
        const float* top = phase.Data + static_cast<std::size_t>(y) * stride;
        const float* bottom = top + stride;
        std::uint8_t* markTop = invalidArea.Data + static_cast<std::size_t>(y) * stride;
        std::uint8_t* markBottom = markTop + stride;
        for (std::int32_t x = 0; x + 1 < width; ++x) {
            float s = WrapOnce(bottom[x] - top[x], threshold);
            s += WrapOnce(bottom[x + 1] - bottom[x], threshold);
            s += WrapOnce(top[x + 1] - bottom[x + 1], threshold);
            s += WrapOnce(top[x] - top[x + 1], threshold);
            if (std::fabs(s) > residueThreshold) {
                markTop[x] = markTop[x + 1] = 255;
                markBottom[x] = markBottom[x + 1] = 255;
            }
        }
    }
}

} // namespace corvane
