#include "phase/CarrierMoirePlane.h"

#include <string>

#include "image/CorvaneError.h"

namespace corvane {

namespace {

struct PlaneSums {
    float Sxx = 0.0f, Syy = 0.0f, Sxy = 0.0f, Sxp = 0.0f, Syp = 0.0f;
};

// One loop for both uses, so the coordinate sums of the check and of the fit are the same floats.
template <bool WithPhase>
PlaneSums SumsOver(const float* data, std::int32_t width, std::int32_t height, std::int32_t b) {
    PlaneSums s;
    for (std::int32_t y = b; y < height - b; ++y) {
        const float fy = static_cast<float>(y);
        const float* row =
            WithPhase ? data + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) : nullptr;
        for (std::int32_t x = b; x < width - b; ++x) {
            const float fx = static_cast<float>(x);
            s.Sxx += fx * fx;
            s.Syy += fy * fy;
            s.Sxy += fx * fy;
            if constexpr (WithPhase) {
                s.Sxp += fx * row[x];
                s.Syp += fy * row[x];
            }
        }
    }
    return s;
}

} // namespace

void CheckReferencePlaneRegion(std::int32_t width, std::int32_t height, std::int32_t boundary) {
    if (boundary < 0)
        throw CorvaneError("(" + std::to_string(boundary) + "," + std::to_string(boundary) +
                           ") not in the image");
    const PlaneSums s = SumsOver<false>(nullptr, width, height, boundary);
    if (s.Sxx * s.Syy - s.Sxy * s.Sxy == 0.0f)
        throw CorvaneError("The reference plane can not be fitted inside a boundary of " +
                           std::to_string(boundary));
}

TReferencePlane FitReferencePlane(const TFloatImage& phase, std::int32_t boundary) {
    CheckReferencePlaneRegion(phase.Width, phase.Height, boundary);
    if (!phase.Data) throw CorvaneError("no data : TPhaseImage");
    const PlaneSums s = SumsOver<true>(phase.Data, phase.Width, phase.Height, boundary);
    return {(s.Sxp * s.Syy - s.Syp * s.Sxy) / (s.Sxx * s.Syy - s.Sxy * s.Sxy),
            (s.Sxp * s.Sxy - s.Syp * s.Sxx) / (s.Sxy * s.Sxy - s.Sxx * s.Syy)};
}

} // namespace corvane
