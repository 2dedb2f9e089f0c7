#include "phase/PhaseToFringe.h"

#include "image/CorvaneError.h"

#include <cmath>

namespace corvane {

std::unique_ptr<TGrayImage> PhaseToFringe(const TFloatImage& phase) {
    const float s = phase.ValueScale;
    if (s == 0.0f) throw CorvaneError(kZeroValueScaleMessage);
    auto image = std::make_unique<TGrayImage>(nullptr, phase.Width, phase.Height);
    const std::size_t count = phase.Data ? phase.PixelCount() : 0;
    const float* v = phase.Data;
    std::uint8_t* g = image->Data;
    for (std::size_t i = 0; i < count; ++i)
        g[i] = GrayLevelOf((std::cos(v[i] / s) + 1.0f) * 127.5f + 0.5f);
    return image;
}

} // namespace corvane
