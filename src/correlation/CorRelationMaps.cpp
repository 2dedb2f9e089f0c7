#include "correlation/CorRelationMaps.h"

#include "correlation/CorRelationGrid.h"
#include "correlation/CorRelationResultArrays.h"
#include "correlation/CorRelationResults.h"
#include "correlation/OutputGrid.h"
#include "image/CorvaneError.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <cmath>
#include <filesystem>
#include <utility>
#include <vector>

namespace corvane {

namespace {

// An FLT map of values (w0 wide) on the layout; its header's x and y scales are the output scales
// times the layout's steps, so one map point is one grid step of output length.
void SaveLaidOutMap(const std::vector<float>& values, std::int32_t w0, const MapLayout& layout,
                    const TCorRelationPara& p, float valueScale, const std::string& fileName) {
    std::vector<float> map = OnMapLayout(values, w0, layout);
    TFloatImage image(map.data(), layout.Width, layout.Height);
    image.ScaleX = p.ScaleX * static_cast<float>(layout.StepX);
    image.ScaleY = p.ScaleY * static_cast<float>(layout.StepY);
    image.ValueScale = valueScale;
    image.SaveFlt(fileName);
}

} // namespace

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

    // A grid-only run's pictures hold its grid (MapLayoutOf); a dense run's the whole picture.
    const MapLayout layout = MapLayoutOf(result.Para, result.Fast, result.W0, result.H0);
    TGrayImage grayX(nullptr, layout.Width, layout.Height);
    TGrayImage grayY(nullptr, layout.Width, layout.Height);
    for (auto [a, out] : {std::pair{&result.dx, grayX.Data}, std::pair{&result.dy, grayY.Data}}) {
        const std::vector<float> map = OnMapLayout(*a, result.W0, layout);
        for (std::size_t i = 0; i < map.size(); ++i) {
            if (map[i] == kNotComputed) {
                out[i] = 0;
                continue;
            }
            out[i] = GrayLevelOf((map[i] - low) * 255.0f / range);
        }
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
    const MapLayout layout = MapLayoutOf(p, result.Fast, result.W0, result.H0);
    SaveLaidOutMap(sx, result.W0, layout, p, p.ScaleX, p.BinXFile);
    SaveLaidOutMap(sy, result.W0, layout, p, p.ScaleY, p.BinYFile);
}

namespace {

std::string WithSuffix(const std::string& name, const std::string& suffix) {
    const std::filesystem::path path(name);
    if (!path.has_extension() || path.stem().empty() || path.filename() == "..") return name + suffix;
    const std::size_t dot = name.size() - path.extension().string().size();
    return name.substr(0, dot) + suffix + name.substr(dot);
}

} // namespace

std::array<std::string, 4> GradientFileNames(const TCorRelationPara& p) {
    return {WithSuffix(p.BinXFile, "_dudx"), WithSuffix(p.BinXFile, "_dudy"), WithSuffix(p.BinYFile, "_dvdx"),
            WithSuffix(p.BinYFile, "_dvdy")};
}

void WriteGradientFiles(const TCorRelationResult& result) {
    CheckResultArrays(result);
    const std::size_t n = result.dx.size();
    const TCorRelationPara& p = result.Para;
    const std::array<const std::vector<float>*, 4> gradients = {&result.dudx, &result.dudy, &result.dvdx,
                                                                &result.dvdy};
    // A gradient of lengths over lengths, each length in its own output scale; without two usable
    // scales the gradients stay in pixels per pixel rather than becoming infinite.
    const std::array<float, 4> factors = GradientFactors(p);
    for (const auto* g : gradients)
        if (g->size() != n) throw CorvaneError(kCheckParameters);
    const std::array<std::string, 4> names = GradientFileNames(p);
    std::vector<float> map(n);
    const MapLayout layout = MapLayoutOf(p, result.Fast, result.W0, result.H0);
    for (std::size_t k = 0; k < 4; ++k) {
        const std::vector<float>& g = *gradients[k];
        for (std::size_t i = 0; i < n; ++i)
            map[i] = result.dx[i] == kNotComputed || result.dy[i] == kNotComputed || g[i] == kNotComputed
                         ? kNotComputed
                         : g[i] * factors[k];
        SaveLaidOutMap(map, result.W0, layout, p, 1.0f, names[k]);
    }
}

std::string CorrelationFileName(const TCorRelationPara& p) {
    return WithSuffix(p.BinXFile, "_zncc");
}

void WriteCorrelationFile(const TCorRelationResult& result) {
    CheckResultArrays(result);
    if (result.zncc.size() != result.dx.size()) throw CorvaneError(kCheckParameters);
    const TCorRelationPara& p = result.Para;
    const std::unique_ptr<TGrayImage> mask = LoadRunMask(p.MaskFile, result.W0, result.H0);
    std::vector<float> map(result.zncc);
    if (mask)
        for (std::size_t i = 0; i < map.size(); ++i)
            if (mask->Data[i] != 255) map[i] = kNotComputed;
    // Laid out as the dx and dy maps are: a grid-only run's map holds its grid.
    SaveLaidOutMap(map, result.W0, MapLayoutOf(p, result.Fast, result.W0, result.H0), p, 1.0f,
                   CorrelationFileName(p));
}

} // namespace corvane
