#include "correlation/CorRelationGrid.h"

#include "correlation/CorRelationResultArrays.h"
#include "correlation/CorRelationResults.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace corvane {

std::array<float, 4> GradientFactors(const TCorRelationPara& p) {
    const bool scaled = std::isfinite(p.ScaleX / p.ScaleY) && std::isfinite(p.ScaleY / p.ScaleX);
    return {1.0f, scaled ? p.ScaleX / p.ScaleY : 1.0f, scaled ? p.ScaleY / p.ScaleX : 1.0f, 1.0f};
}

CorRelationGridValues ResultOnGrid(const TCorRelationResult& r) {
    CheckResultArrays(r);
    const TCorRelationPara& p = r.Para;
    if (p.GridX < 1 || p.GridY < 1) throw CorvaneError(kCheckParameters);
    CorRelationGridValues g;
    for (std::int64_t x = std::max(p.Left, 0); x <= std::min(p.Right, r.W0 - 1); x += p.GridX)
        g.X.push_back(static_cast<std::int32_t>(x));
    for (std::int64_t y = std::max(p.Up, 0); y <= std::min(p.Bottom, r.H0 - 1); y += p.GridY)
        g.Y.push_back(static_cast<std::int32_t>(y));
    const std::unique_ptr<TGrayImage> mask = LoadRunMask(p.MaskFile, r.W0, r.H0);
    const bool refined = r.dudx.size() == r.dx.size() && r.dudy.size() == r.dx.size() &&
                         r.dvdx.size() == r.dx.size() && r.dvdy.size() == r.dx.size();
    const bool withCorrelation = r.zncc.size() == r.dx.size();
    const std::array<float, 4> factors = GradientFactors(p);
    const std::array<const std::vector<float>*, 4> gradients = {&r.dudx, &r.dudy, &r.dvdx, &r.dvdy};
    std::array<std::vector<float>*, 4> out = {&g.DuDx, &g.DuDy, &g.DvDx, &g.DvDy};
    const std::size_t n = g.X.size() * g.Y.size();
    g.U.reserve(n);
    g.V.reserve(n);
    if (refined)
        for (std::vector<float>* o : out)
            o->reserve(n);
    for (const std::int32_t y : g.Y)
        for (const std::int32_t x : g.X) {
            const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(r.W0) + x;
            const bool outside = mask && mask->Data[i] != 255;
            const bool none = outside || r.dx[i] == kNotComputed || r.dy[i] == kNotComputed ||
                              BelowMinimumCorrelation(r, i);
            if (withCorrelation) g.Zncc.push_back(outside ? kNotComputed : r.zncc[i]);
            g.U.push_back(none ? kNotComputed : r.dx[i] * p.ScaleX);
            g.V.push_back(none ? kNotComputed : r.dy[i] * p.ScaleY);
            if (refined)
                for (std::size_t k = 0; k < 4; ++k) {
                    const float v = (*gradients[k])[i];
                    out[k]->push_back(none || v == kNotComputed ? kNotComputed : v * factors[k]);
                }
        }
    return g;
}

} // namespace corvane
