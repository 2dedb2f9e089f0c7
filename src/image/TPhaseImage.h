#pragma once
#include <cstdint>
#include <memory>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

namespace corvane {

/// Binds a float map to the grey picture that shows it: wrapped phase or power spectrum from
/// two source maps, the wrapped and min-max display rules, and the whole-map phase operations.
class TPhaseImage {
public:
    bool Unwrapped = false;       ///< false: wrapped display rule; true: min-max rule
    bool LinearSpectrum = false;  ///< false: logarithmic spectrum display
    TFloatImage* Phase = nullptr;
    std::unique_ptr<TGrayImage> Gray;
    std::int32_t CarrierX = 0;
    std::int32_t CarrierY = 0;
    float SlopeX = 0.0f;
    float SlopeY = 0.0f;
    bool OwnsPhase = false;
    TFloatImage* Real = nullptr;  ///< borrowed: real part, or denominator
    TFloatImage* Imag = nullptr;  ///< borrowed: imaginary part, or numerator

    /// Owns a new zero map of real's size; the sources stay the caller's.
    TPhaseImage(TFloatImage* real, TFloatImage* imag);
    /// Borrows an existing map.
    explicit TPhaseImage(TFloatImage* phase);
    ~TPhaseImage();
    TPhaseImage(const TPhaseImage&) = delete;
    TPhaseImage& operator=(const TPhaseImage&) = delete;

    void ComputePhase();
    void ComputeSpectrum();
    void UpdateGray();
    void Unwrap(std::int32_t x0, std::int32_t y0, float t);
    void SubtractReference(const TFloatImage& reference);
    void RemoveCarrier(float a, float b);
    void FindPeak(std::int32_t x0, std::int32_t y0, std::int32_t w, std::int32_t h);
    void FitPlane(std::int32_t margin);
};

} // namespace corvane
