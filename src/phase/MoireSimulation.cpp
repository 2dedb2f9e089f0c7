#include "phase/MoireSimulation.h"

#include "image/CorvaneError.h"
#include "phase/GeometricMoire.h"

#include <algorithm>
#include <cstring>

namespace corvane {

MoireSimulationGeometry SimulationGeometry(std::int32_t length, std::int32_t carrierCount,
                                           std::int32_t stepSize) {
    // A count of 0 would divide by zero and a negative one give a negative pitch.
    if (carrierCount <= 0) throw CorvaneError(kCarrierCountMessage);
    MoireSimulationGeometry g;
    g.Pitch = static_cast<std::int32_t>(static_cast<double>(length) / carrierCount + 0.5);
    g.Step = stepSize;
    if (g.Step > g.Pitch / 4 - 1) g.Step = g.Pitch / 4 - 1;
    if (g.Step < 0) g.Step = 1;
    return g;
}

std::unique_ptr<TGrayImage> ShiftedGridCopy(const TGrayImage& reference, std::int32_t width,
                                            std::int32_t height, std::int32_t shift,
                                            MoireShiftDirection direction) {
    if (reference.Width < width || reference.Height < height)
        throw CorvaneError("the reference grid is smaller than the picture to make");
    auto out = std::make_unique<TGrayImage>(nullptr, width, height);
    const std::size_t refStride = static_cast<std::size_t>(reference.Width);
    const std::size_t stride = static_cast<std::size_t>(width);
    shift = std::max(shift, 0);
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* dst = out->Data + static_cast<std::size_t>(y) * stride;
        if (direction == MoireShiftDirection::AlongX) {
            if (shift >= width) continue;
            const std::uint8_t* src = reference.Data + static_cast<std::size_t>(y) * refStride;
            std::memcpy(dst + shift, src, static_cast<std::size_t>(width - shift));
        } else if (y >= shift) {
            const std::uint8_t* src = reference.Data + static_cast<std::size_t>(y - shift) * refStride;
            std::memcpy(dst, src, stride);
        }
    }
    return out;
}

MoireSimulationResult SimulateMoire(const TGrayImage& deformed, const TGrayImage& reference,
                                    const MoireSimulationOptions& options) {
    const bool alongX = options.Direction == MoireShiftDirection::AlongX;
    MoireSimulationResult result;
    result.Geometry =
        SimulationGeometry(alongX ? deformed.Width : deformed.Height, options.CarrierCount, options.StepSize);
    if (reference.Width < deformed.Width || reference.Height < deformed.Height)
        throw CorvaneError("the Reference Grid image (" + std::to_string(reference.Width) + " x " +
                           std::to_string(reference.Height) + ") is smaller than the Deformed Grid image (" +
                           std::to_string(deformed.Width) + " x " + std::to_string(deformed.Height) + ")");
    const std::int32_t s = result.Geometry.Step;
    for (std::int32_t k = 0; k < 4; ++k)
        result.Steps[static_cast<std::size_t>(k)] =
            ShiftedGridCopy(reference, deformed.Width, deformed.Height, k * s, options.Direction);
    // Each shifted grid times the deformed one, then a moving average over one pitch along the
    // shift direction removes the grid lines and leaves the moire fringes.
    for (auto& step : result.Steps) {
        MultiplyMoireInPlace(*step, deformed);
        step->AverageFilter(result.Geometry.Pitch, !alongX);
    }
    return result;
}

} // namespace corvane
