#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "image/TGrayImage.h"

namespace corvane {

/// Direction in which the simulated pictures are shifted and smoothed.
enum class MoireShiftDirection {
    AlongX, ///< "Horizental" (index 0): shifts along x, pitch from the width
    AlongY  ///< "Vertical", and no selection: shifts along y, pitch from the height
};

/// The controls of the simulation page.
struct MoireSimulationOptions {
    std::int32_t StepSize = 0;     ///< StepSizeEdit: shift between successive pictures, in pixels
    std::int32_t CarrierCount = 0; ///< CarrierSizeEdit: grid lines across the picture
    MoireShiftDirection Direction = MoireShiftDirection::AlongY;
};

/// Grid pitch and the step actually used.
struct MoireSimulationGeometry {
    std::int32_t Pitch = 0; ///< trunc(length / lines + 0.5)
    std::int32_t Step = 0;  ///< the requested step, at most pitch div 4 - 1; a negative one becomes 1
};

/// Four simulated phase-shifted moire pictures (Steps[0] is Step 1) and the geometry used.
struct MoireSimulationResult {
    std::array<std::unique_ptr<TGrayImage>, 4> Steps;
    MoireSimulationGeometry Geometry;
};

/// Pitch of carrierCount lines over length pixels and the clamped step.
/// Throws CorvaneError when carrierCount is 0 or below (see kCarrierCountMessage).
MoireSimulationGeometry SimulationGeometry(std::int32_t length, std::int32_t carrierCount,
                                           std::int32_t stepSize);

/// Shown when CarrierSizeEdit does not hold a whole number on leaving it (with the leading blank).
inline constexpr const char* kNeedIntegerNumberMessage = " need integer number";

/// The message refusing a line count of 0 or below.
inline constexpr const char* kCarrierCountMessage = "How many Fringe must be a whole number above 0";

/// Copy of reference over width x height, moved by shift pixels along the direction; the first
/// shift columns (rows) are 0. The reference must be at least width x height.
std::unique_ptr<TGrayImage> ShiftedGridCopy(const TGrayImage& reference, std::int32_t width,
                                            std::int32_t height, std::int32_t shift,
                                            MoireShiftDirection direction);

/// Generate Moire: the reference grid R shifted by 0, s, 2 s and 3 s, each multiplied with the
/// deformed grid G (trunc(sqrt(G * R))) and smoothed by a moving average of the pitch made odd
/// along the shift direction. The pictures have G's size. Throws CorvaneError for a line count of
/// 0 or below, or a reference grid smaller than the deformed one, before anything is made.
MoireSimulationResult SimulateMoire(const TGrayImage& deformed, const TGrayImage& reference,
                                    const MoireSimulationOptions& options);

} // namespace corvane
