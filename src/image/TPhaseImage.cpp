#include "image/TPhaseImage.h"

#include "image/CorvaneError.h"
#include "image/FastAtan2.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvane {

namespace {

void RequireSameSize(const TFloatImage* map, const TFloatImage& phase, const char* what) {
    if (!map || !map->Data || map->Width != phase.Width || map->Height != phase.Height)
        throw CorvaneError(std::string(what) + " is missing or not the size of the phase map");
}

/// The map every operation works on; a binding made around no map refuses to work.
TFloatImage& MapOf(TFloatImage* phase) {
    if (!phase) throw CorvaneError("no data : TPhaseImage");
    return *phase;
}

} // namespace

TPhaseImage::TPhaseImage(TFloatImage* real, TFloatImage* imag) : Real(real), Imag(imag) {
    const std::int32_t width = real ? real->Width : 0;
    const std::int32_t height = real ? real->Height : 0;
    Phase = new TFloatImage(nullptr, width, height);
    OwnsPhase = true;
}

TPhaseImage::TPhaseImage(TFloatImage* phase) : Phase(phase) {}

TPhaseImage::~TPhaseImage() {
    if (OwnsPhase) delete Phase;
}

void TPhaseImage::ComputePhase() {
    MapOf(Phase);
    RequireSameSize(Real, *Phase, "the real (denominator) map");
    RequireSameSize(Imag, *Phase, "the imaginary (numerator) map");
    const std::size_t count = Phase->PixelCount();
    WrappedPhaseOf(Imag->Data, Real->Data, Phase->Data, count);
    Unwrapped = false;
    UpdateGray();
}

void TPhaseImage::ComputeSpectrum() {
    MapOf(Phase);
    RequireSameSize(Real, *Phase, "the real map");
    RequireSameSize(Imag, *Phase, "the imaginary map");
    const std::size_t count = Phase->PixelCount();
    const float* re = Real->Data;
    const float* im = Imag->Data;
    float* out = Phase->Data;
    float max = 0.0f;
    float min = 0.0f;
    for (std::size_t i = 0; i < count; ++i) {
        const float v = re[i] * re[i] + im[i] * im[i];
        out[i] = v;
        if (v > max) max = v;
        if (v < min) min = v;
    }
    auto gray = std::make_unique<TGrayImage>(nullptr, Phase->Width, Phase->Height);
    std::uint8_t* g = gray->Data;
    if (LinearSpectrum) {
        float range = max - min;
        if (std::fabs(static_cast<double>(range)) < 1e-15) range = 1.0f;
        for (std::size_t i = 0; i < count; ++i)
            g[i] = GrayLevelOf((out[i] - min) * 255.0f / range);
    } else {
        const double lmin = std::log(std::sqrt(static_cast<double>(min)) + 1.0);
        const double lmax = std::log(std::sqrt(static_cast<double>(max)) + 1.0);
        const double span = lmax - lmin;
        // Without a range the scale is undefined; the picture stays black.
        if (span > 0.0)
            for (std::size_t i = 0; i < count; ++i)
                g[i] = GrayLevelOf((std::log(std::sqrt(static_cast<double>(out[i])) + 1.0) - lmin) * 255.0 /
                                   span);
    }
    Gray = std::move(gray);
}

void TPhaseImage::UpdateGray() {
    MapOf(Phase);
    if (Unwrapped) {
        Phase->ToGrayImage(Gray);
        return;
    }
    auto gray = std::make_unique<TGrayImage>(nullptr, Phase->Width, Phase->Height);
    const std::size_t count = Phase->Data ? Phase->PixelCount() : 0;
    const float* v = Phase->Data;
    std::uint8_t* g = gray->Data;
    for (std::size_t i = 0; i < count; ++i)
        g[i] = GrayLevelOf((static_cast<double>(v[i]) + 3.1415926) * 127.5 * 0.31830989161357204);
    Gray = std::move(gray);
}

void TPhaseImage::Unwrap(std::int32_t x0, std::int32_t y0, float t) {
    MapOf(Phase);
    const std::int32_t width = Phase->Width;
    const std::int32_t height = Phase->Height;
    if (x0 < 0 || x0 >= width || y0 < 0 || y0 >= height || !Phase->Data)
        throw CorvaneError("(" + std::to_string(x0) + "," + std::to_string(y0) + ") not in the image");
    const float pi = 3.1415927f;
    const float twoPi = 2.0f * pi;
    const float jump = 2.0f * t * pi;
    const std::size_t stride = static_cast<std::size_t>(width);
    std::vector<float> rows(Phase->PixelCount());
    float* p = Phase->Data;
    float* r = rows.data();

    for (std::int32_t y = 0; y < height; ++y) {
        const float* src = p + static_cast<std::size_t>(y) * stride;
        float* dst = r + static_cast<std::size_t>(y) * stride;
        dst[x0] = src[x0];
        float offset = 0.0f;
        for (std::int32_t x = x0 - 1; x >= 0; --x) {
            const float d = src[x + 1] - src[x];
            if (std::fabs(d) >= jump) offset += d < 0.0f ? twoPi : -twoPi;
            dst[x] = src[x] - offset;
        }
        offset = 0.0f;
        for (std::int32_t x = x0 + 1; x < width; ++x) {
            const float d = src[x] - src[x - 1];
            if (std::fabs(d) >= jump) offset += d < 0.0f ? twoPi : -twoPi;
            dst[x] = src[x] + offset;
        }
    }

    // Columns, from the row result back into the map; one offset per column, advanced row by row.
    std::copy(r + static_cast<std::size_t>(y0) * stride, r + static_cast<std::size_t>(y0 + 1) * stride,
              p + static_cast<std::size_t>(y0) * stride);
    std::vector<float> offsets(stride, 0.0f);
    for (std::int32_t y = y0 - 1; y >= 0; --y) {
        const float* below = r + static_cast<std::size_t>(y + 1) * stride;
        const float* here = r + static_cast<std::size_t>(y) * stride;
        float* out = p + static_cast<std::size_t>(y) * stride;
        for (std::int32_t x = 0; x < width; ++x) {
            const float d = below[x] - here[x];
            if (std::fabs(d) >= jump) offsets[x] += d < 0.0f ? twoPi : -twoPi;
            out[x] = here[x] - offsets[x];
        }
    }
    std::fill(offsets.begin(), offsets.end(), 0.0f);
    for (std::int32_t y = y0 + 1; y < height; ++y) {
        const float* above = r + static_cast<std::size_t>(y - 1) * stride;
        const float* here = r + static_cast<std::size_t>(y) * stride;
        float* out = p + static_cast<std::size_t>(y) * stride;
        for (std::int32_t x = 0; x < width; ++x) {
            const float d = here[x] - above[x];
            if (std::fabs(d) >= jump) offsets[x] += d < 0.0f ? twoPi : -twoPi;
            out[x] = here[x] + offsets[x];
        }
    }
    Unwrapped = true;
    UpdateGray();
}

void TPhaseImage::SubtractReference(const TFloatImage& reference) {
    MapOf(Phase);
    RequireSameSize(&reference, *Phase, "the reference map");
    const std::size_t count = Phase->PixelCount();
    for (std::size_t i = 0; i < count; ++i)
        Phase->Data[i] -= reference.Data[i];
    Unwrapped = true;
    UpdateGray();
}

void TPhaseImage::RemoveCarrier(float a, float b) {
    MapOf(Phase);
    const std::size_t stride = static_cast<std::size_t>(Phase->Width);
    for (std::int32_t y = 0; y < Phase->Height && Phase->Data; ++y) {
        float* row = Phase->Data + static_cast<std::size_t>(y) * stride;
        const float fy = static_cast<float>(y) * b;
        for (std::int32_t x = 0; x < Phase->Width; ++x)
            row[x] -= static_cast<float>(x) * a + fy;
    }
    Unwrapped = true;
    UpdateGray();
}

void TPhaseImage::FindPeak(std::int32_t x0, std::int32_t y0, std::int32_t w, std::int32_t h) {
    MapOf(Phase);
    // The search window is kept inside the map.
    const std::int32_t xa = std::max(x0, 0);
    const std::int32_t ya = std::max(y0, 0);
    const std::int32_t xb = std::min<std::int64_t>(static_cast<std::int64_t>(x0) + w, Phase->Width);
    const std::int32_t yb = std::min<std::int64_t>(static_cast<std::int64_t>(y0) + h, Phase->Height);
    float best = 0.0f;
    std::int32_t bestX = 0;
    std::int32_t bestY = 0;
    for (std::int32_t y = ya; y < yb && Phase->Data; ++y) {
        const float* row = Phase->Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(Phase->Width);
        for (std::int32_t x = xa; x < xb; ++x)
            if (row[x] > best) {
                best = row[x];
                bestX = x;
                bestY = y;
            }
    }
    CarrierX = bestX - Phase->Width / 2;
    CarrierY = bestY - Phase->Height / 2;
}

void TPhaseImage::FitPlane(std::int32_t margin) {
    MapOf(Phase);
    margin = std::max(margin, 0);
    float sxx = 0.0f, syy = 0.0f, sxy = 0.0f, sxp = 0.0f, syp = 0.0f;
    for (std::int32_t y = margin; y < Phase->Height - margin && Phase->Data; ++y) {
        const float* row = Phase->Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(Phase->Width);
        const float fy = static_cast<float>(y);
        for (std::int32_t x = margin; x < Phase->Width - margin; ++x) {
            const float fx = static_cast<float>(x);
            const float p = row[x];
            sxx += fx * fx;
            syy += fy * fy;
            sxy += fx * fy;
            sxp += fx * p;
            syp += fy * p;
        }
    }
    const float determinant = sxx * syy - sxy * sxy;
    // A region without two independent directions has no plane; report no slope.
    if (determinant == 0.0f) {
        SlopeX = 0.0f;
        SlopeY = 0.0f;
        return;
    }
    SlopeX = (sxp * syy - syp * sxy) / determinant;
    SlopeY = (sxp * sxy - syp * sxx) / (sxy * sxy - sxx * syy);
}

} // namespace corvane
