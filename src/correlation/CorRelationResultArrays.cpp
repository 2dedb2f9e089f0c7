#include "correlation/CorRelationResultArrays.h"

#include "correlation/CorRelationResults.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"

#include <memory>

namespace corvane {

void CheckResultArrays(const TCorRelationResult& r) {
    const auto n = static_cast<std::size_t>(r.W0 > 0 && r.H0 > 0 ? std::int64_t(r.W0) * r.H0 : 0);
    if (n == 0 || r.dx.size() != n || r.dy.size() != n) throw CorvaneError(kCheckParameters);
}

void MaskResultArrays(TCorRelationResult& r) {
    CheckResultArrays(r);
    const std::unique_ptr<TGrayImage> mask = LoadRunMask(r.Para.MaskFile, r.W0, r.H0);
    const std::uint8_t* m = mask ? mask->Data : nullptr;
    float* dx = r.dx.data();
    float* dy = r.dy.data();
    const std::size_t n = r.dx.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (dx[i] == kNotComputed && dy[i] == kNotComputed) continue; // masked already: only read
        if ((m && m[i] != 255) || dx[i] == kNotComputed || dy[i] == kNotComputed ||
            BelowMinimumCorrelation(r, i)) {
            dx[i] = kNotComputed;
            dy[i] = kNotComputed;
        }
    }
}

} // namespace corvane
