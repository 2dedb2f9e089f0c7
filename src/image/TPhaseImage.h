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
    bool Unwrapped = false;      ///< false: wrapped display rule; true: min-max rule
    bool LinearSpectrum = false; ///< false: logarithmic spectrum display
    TFloatImage* Phase = nullptr;
    std::unique_ptr<TGrayImage> Gray;
    std::int32_t CarrierX = 0;
    std::int32_t CarrierY = 0;
    float SlopeX = 0.0f;
    float SlopeY = 0.0f;
    bool OwnsPhase = false;
    TFloatImage* Real = nullptr; ///< borrowed: real part, or denominator
    TFloatImage* Imag = nullptr; ///< borrowed: imaginary part, or numerator

    /// Owns a new zero map of real's size; the sources stay the caller's.
    TPhaseImage(TFloatImage* real, TFloatImage* imag);
    /// Borrows an existing map.
    explicit TPhaseImage(TFloatImage* phase);
    ~TPhaseImage();
    TPhaseImage(const TPhaseImage&) = delete;
    TPhaseImage& operator=(const TPhaseImage&) = delete;

    /// Wrapped phase atan2(Imag, Real) with the near-zero rules, then the wrapped display.
    /// Throws when a source is missing or not the size of the map.
    void ComputePhase();
    /// Power spectrum Real^2 + Imag^2 and its picture, logarithmic or linear (LinearSpectrum);
    /// a spectrum without range shows black. Throws like ComputePhase.
    void ComputeSpectrum();
    /// Remakes Gray from Phase: min-max rule when Unwrapped, else the fixed wrapped-phase scale.
    void UpdateGray();
    /// Row-then-column unwrap from (x0, y0), jumps of at least 2 t pi judged on raw neighbours;
    /// then the min-max display. Throws the pixel error for a start outside the map.
    void Unwrap(std::int32_t x0, std::int32_t y0, float t);
    /// Subtracts a reference map of the same size (else throws), then the min-max display.
    void SubtractReference(const TFloatImage& reference);
    /// Subtracts the plane x a + y b, then the min-max display.
    void RemoveCarrier(float a, float b);
    /// First largest value above 0 in the window (clipped to the map), as an offset from the
    /// map centre in CarrierX, CarrierY.
    void FindPeak(std::int32_t x0, std::int32_t y0, std::int32_t w, std::int32_t h);
    /// Least-squares slopes of p = SlopeX x + SlopeY y over the map less a margin, in single
    /// precision; 0 and 0 when the region holds no plane.
    void FitPlane(std::int32_t margin);
};

} // namespace corvane
