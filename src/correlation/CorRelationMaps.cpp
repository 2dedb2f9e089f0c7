#include "correlation/CorRelationMaps.h"

#include "correlation/CorRelationResultArrays.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <utility>
#include <vector>

namespace corvane {

void WriteGrayFiles(TCorRelationResult& result) {
    MaskResultArrays(result);
    const std::size_t n = result.dx.size();
    const float* dx = result.dx.data();
    const float* dy = result.dy.data();
    float low = 1000000.0f, high = -100000.0f;
    for (const float* a : {dx, dy})
        for (std::size_t i = 0; i < n; ++i)
            if (a[i] != kNotComputed) {
                if (a[i] < low) low = a[i];
                if (a[i] > high) high = a[i];
            }
    float range = high - low;
    if (range < 1e-20f) range = 1.0f;

    TGrayImage grayX(nullptr, result.W0, result.H0);
    TGrayImage grayY(nullptr, result.W0, result.H0);
    for (auto [a, out] : {std::pair{dx, grayX.Data}, std::pair{dy, grayY.Data}})
        for (std::size_t i = 0; i < n; ++i) {
            if (a[i] == kNotComputed) {
                out[i] = 0;
                continue;
            }
            out[i] = GrayLevelOf((a[i] - low) * 255.0f / range);
        }
    grayX.SaveToFile(result.Para.GrayXFile);
    grayY.SaveToFile(result.Para.GrayYFile);
}

void WriteBinFiles(TCorRelationResult& result) {
    MaskResultArrays(result);
    const TCorRelationPara& p = result.Para;
    // Scaled copies, so that a scaled value never meets the marker in the run's own arrays.
    std::vector<float> sx(result.dx), sy(result.dy);
    for (std::size_t i = 0; i < sx.size(); ++i)
        if (sx[i] != kNotComputed) {
            sx[i] *= p.ScaleX;
            sy[i] *= p.ScaleY;
        }
    TFloatImage mapX(sx.data(), result.W0, result.H0);
    mapX.ScaleX = p.ScaleX;
    mapX.ScaleY = p.ScaleY;
    mapX.ValueScale = p.ScaleX;
    mapX.SaveFlt(p.BinXFile);
    TFloatImage mapY(sy.data(), result.W0, result.H0);
    mapY.ScaleX = p.ScaleX;
    mapY.ScaleY = p.ScaleY;
    mapY.ValueScale = p.ScaleY;
    mapY.SaveFlt(p.BinYFile);
}

} // namespace corvane
