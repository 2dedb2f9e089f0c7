#include "phase/PhaseCalculation.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"

#include <cstdio>

namespace corvane {

namespace {

std::string PixelError(std::int32_t x, std::int32_t y) {
    char text[64];
    std::snprintf(text, sizeof text, "(%d,%d) not in the image", static_cast<int>(x), static_cast<int>(y));
    return text;
}

/// The first pixel, in row order, that a non-empty rectangle reaches outside the map.
void CheckInside(const TFloatImage& map, const PhaseFitRectangle& r) {
    const auto outside = [&](std::int32_t x, std::int32_t y) {
        return x < 0 || x >= map.Width || y < 0 || y >= map.Height;
    };
    if (outside(r.Left, r.Top)) throw CorvaneError(PixelError(r.Left, r.Top));
    if (r.Right > map.Width) throw CorvaneError(PixelError(map.Width, r.Top));
    if (r.Bottom > map.Height) throw CorvaneError(PixelError(r.Left, map.Height));
}

std::unique_ptr<TFloatImage> EmptyResultLike(const TFloatImage& source1) {
    auto result = std::make_unique<TFloatImage>(nullptr, source1.Width, source1.Height);
    result->ScaleX = source1.ScaleX;
    result->ScaleY = source1.ScaleY;
    result->ValueScale = source1.ValueScale;
    return result;
}

} // namespace

std::unique_ptr<TFloatImage> LoadPhaseCalculationSource(const std::string& fileName) {
    if (!FileExists(fileName)) throw CorvaneError(kSelectTwoSourcesMessage);
    return std::make_unique<TFloatImage>(fileName);
}

void LoadMissingPhaseCalculationSources(std::unique_ptr<TFloatImage>& source1,
                                        std::unique_ptr<TFloatImage>& source2, const std::string& fileName1,
                                        const std::string& fileName2) {
    if (source1 && source2) return;
    if (!FileExists(fileName1) || !FileExists(fileName2)) throw CorvaneError(kSelectTwoSourcesMessage);
    // Both are read before either is kept, so a damaged second file leaves the tool as it was.
    auto first = source1 ? nullptr : std::make_unique<TFloatImage>(fileName1);
    auto second = source2 ? nullptr : std::make_unique<TFloatImage>(fileName2);
    if (first) source1 = std::move(first);
    if (second) source2 = std::move(second);
}

void FitSource2Plane(const TFloatImage& source2, const PhaseFitRectangle& fit, float& a, float& b) {
    float sxx = 0.0f, syy = 0.0f, sxy = 0.0f, sxp = 0.0f, syp = 0.0f;
    if (fit.Left < fit.Right && fit.Top < fit.Bottom) {
        CheckInside(source2, fit);
        const std::size_t stride = static_cast<std::size_t>(source2.Width);
        for (std::int32_t y = fit.Top; y < fit.Bottom; ++y) {
            const float* row = source2.Data + static_cast<std::size_t>(y) * stride;
            const float fy = static_cast<float>(y);
            for (std::int32_t x = fit.Left; x < fit.Right; ++x) {
                const float fx = static_cast<float>(x);
                const float p = row[x];
                sxx += fx * fx;
                syy += fy * fy;
                sxy += fx * fy;
                sxp += fx * p;
                syp += fy * p;
            }
        }
    }
    float d = sxx * syy - sxy * sxy;
    if (d == 0.0f) d = 1.0f;
    a = (sxp * syy - syp * sxy) / d;
    b = (sxp * sxy - syp * sxx) / -d;
}

PhaseCalculationResult CalculatePhase(const TFloatImage& source1, const TFloatImage& source2,
                                      const PhaseCalculationOptions& options) {
    PhaseCalculationResult out;
    const std::size_t width = static_cast<std::size_t>(source1.Width);
    switch (options.Method) {
    case PhaseCalculationMethod::Difference: {
        if (source2.Width < source1.Width || source2.Height < source1.Height)
            throw CorvaneError(kSource2TooSmallMessage);
        out.Result = EmptyResultLike(source1);
        const std::size_t stride2 = static_cast<std::size_t>(source2.Width);
        for (std::int32_t y = 0; y < source1.Height; ++y) {
            const float* p1 = source1.Data + static_cast<std::size_t>(y) * width;
            const float* p2 = source2.Data + static_cast<std::size_t>(y) * stride2;
            float* r = out.Result->Data + static_cast<std::size_t>(y) * width;
            for (std::size_t x = 0; x < width; ++x)
                r[x] = p1[x] - p2[x];
        }
        break;
    }
    case PhaseCalculationMethod::LinearFitOfSource2: {
        FitSource2Plane(source2, options.Fit, out.A, out.B);
        out.Fitted = true;
        out.Result = EmptyResultLike(source1);
        for (std::int32_t y = 0; y < source1.Height; ++y) {
            const float* p1 = source1.Data + static_cast<std::size_t>(y) * width;
            float* r = out.Result->Data + static_cast<std::size_t>(y) * width;
            const float by = static_cast<float>(y) * out.B;
            for (std::size_t x = 0; x < width; ++x)
                r[x] = p1[x] - (by + static_cast<float>(x) * out.A);
        }
        break;
    }
    case PhaseCalculationMethod::None:
        out.Result = EmptyResultLike(source1);
        break;
    }
    return out;
}

std::string FitCoefficientLabel(const char* name, float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%s= %20.15f", name, static_cast<double>(value));
    return text;
}

} // namespace corvane
