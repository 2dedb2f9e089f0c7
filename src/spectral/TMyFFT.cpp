#include "spectral/TMyFFT.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "image/CorvaneError.h"
#include "image/TGrayImage.h"
#include "spectral/CentredFft.h"

namespace corvane {

namespace {

std::string SizeText(std::int32_t w, std::int32_t h) {
    return std::to_string(w) + " x " + std::to_string(h);
}

std::string PixelText(std::int32_t x, std::int32_t y) {
    return "(" + std::to_string(x) + "," + std::to_string(y) + ")";
}

// Copies the top-left w x h block of a grey image into a float map of that size.
void CopyGrayBlock(const TGrayImage& gray, TFloatImage& map) {
    const std::int32_t w = map.Width, h = map.Height;
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint8_t* src = gray.Data + static_cast<std::ptrdiff_t>(y) * gray.Width;
        float* dst = map.Data + static_cast<std::ptrdiff_t>(y) * w;
        for (std::int32_t x = 0; x < w; ++x)
            dst[x] = static_cast<float>(src[x]);
    }
}

// Moves the block of (odd) size bw x bh centred on (sx, sy) so that it is centred on (dx, dy),
// clearing everything else. Block parts outside the map read as 0 and are not written.
void MoveBlockClipped(TFloatImage& map, std::int32_t sx, std::int32_t sy, std::int32_t bw, std::int32_t bh,
                      std::int32_t dx, std::int32_t dy) {
    const std::int32_t w = map.Width, h = map.Height;
    std::vector<float> moved(static_cast<std::size_t>(w) * h, 0.0f);
    if (bw > 0 && bh > 0) {
        const std::int64_t hw = bw / 2, hh = bh / 2;
        // Offsets (ox, oy) for which both the source and the destination pixel lie in the map.
        const std::int64_t oxLo = std::max({-hw, std::int64_t{0} - sx, std::int64_t{0} - dx});
        const std::int64_t oxHi = std::min({hw, std::int64_t{w} - 1 - sx, std::int64_t{w} - 1 - dx});
        const std::int64_t oyLo = std::max({-hh, std::int64_t{0} - sy, std::int64_t{0} - dy});
        const std::int64_t oyHi = std::min({hh, std::int64_t{h} - 1 - sy, std::int64_t{h} - 1 - dy});
        for (std::int64_t oy = oyLo; oy <= oyHi; ++oy) {
            if (oxLo > oxHi) break;
            const float* src = map.Data + (sy + oy) * w + sx + oxLo;
            float* dst = moved.data() + (dy + oy) * w + dx + oxLo;
            std::copy(src, src + (oxHi - oxLo + 1), dst);
        }
    }
    std::copy(moved.begin(), moved.end(), map.Data);
}

void CutOrderOf(TFloatImage& real, TFloatImage& imag, std::int32_t cx, std::int32_t cy, std::int32_t w,
                std::int32_t h) {
    // Even block sizes are raised by one, so the block has a centre pixel.
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (w % 2 == 0) ++w;
    if (h % 2 == 0) ++h;
    const std::int32_t centreX = real.Width / 2, centreY = real.Height / 2;
    MoveBlockClipped(real, centreX + cx, centreY + cy, w, h, centreX, centreY);
    MoveBlockClipped(imag, centreX + cx, centreY + cy, w, h, centreX, centreY);
}

} // namespace

TMyFFT::TMyFFT(const std::string& bmpFileName) : TMyFFT(TGrayImage(bmpFileName)) {}

TMyFFT::TMyFFT(const TGrayImage& gray) {
    Width = LargestPowerOfTwoAtMost(gray.Width);
    Height = LargestPowerOfTwoAtMost(gray.Height);
    Real = std::make_unique<TFloatImage>(nullptr, Width, Height);
    Imag = std::make_unique<TFloatImage>(nullptr, Width, Height);
    Phase = std::make_unique<TPhaseImage>(Real.get(), Imag.get());
    CopyGrayBlock(gray, *Real);
}

TMyFFT::TMyFFT(const std::string& realFltFileName, const std::string& imagFltFileName) {
    auto real = std::make_unique<TFloatImage>(realFltFileName);
    auto imag = std::make_unique<TFloatImage>(imagFltFileName);
    if (real->Width != imag->Width || real->Height != imag->Height)
        throw CorvaneError("The real part (" + SizeText(real->Width, real->Height) +
                           ") and the imaginary part (" + SizeText(imag->Width, imag->Height) +
                           ") differ in size");
    if (!IsPowerOfTwo(real->Width) || !IsPowerOfTwo(real->Height))
        throw CorvaneError("The spectrum size " + SizeText(real->Width, real->Height) +
                           " is not a power of two");
    Width = real->Width;
    Height = real->Height;
    Real = std::move(real);
    Imag = std::move(imag);
    Phase = std::make_unique<TPhaseImage>(Real.get(), Imag.get());
}

std::unique_ptr<TMyFFT> TMyFFT::FromStrip(const std::string& bmpFileName, bool verticalStrip,
                                          std::int32_t thickness) {
    return FromStrip(TGrayImage(bmpFileName), verticalStrip, thickness);
}

std::unique_ptr<TMyFFT> TMyFFT::FromStrip(const TGrayImage& image, bool verticalStrip,
                                          std::int32_t thickness) {
    auto fft = std::make_unique<TMyFFT>(image);
    fft->VerticalStrip = verticalStrip;
    const std::int32_t r = LargestPowerOfTwoAtMost(thickness);
    const std::int32_t w = fft->Width, h = fft->Height;
    if (verticalStrip && r > w) throw CorvaneError(PixelText(w, 0) + " not in the image");
    if (!verticalStrip && r > h) throw CorvaneError(PixelText(0, h) + " not in the image");
    const std::int32_t rw = verticalStrip ? r : w;
    const std::int32_t rh = verticalStrip ? h : r;
    auto real = std::make_unique<TFloatImage>(nullptr, rw, rh);
    auto imag = std::make_unique<TFloatImage>(nullptr, rw, rh);
    for (std::int32_t y = 0; y < rh; ++y)
        std::copy_n(fft->Real->Data + static_cast<std::ptrdiff_t>(y) * w, rw,
                    real->Data + static_cast<std::ptrdiff_t>(y) * rw);
    fft->SetReference(std::move(real), std::move(imag));
    return fft;
}

std::unique_ptr<TMyFFT> TMyFFT::FromImagePair(const std::string& deformedBmpFileName,
                                              const std::string& referenceBmpFileName) {
    const TGrayImage deformed(deformedBmpFileName);
    const TGrayImage reference(referenceBmpFileName);
    return FromImagePair(deformed, reference);
}

std::unique_ptr<TMyFFT> TMyFFT::FromImagePair(const TGrayImage& deformed, const TGrayImage& reference) {
    auto fft = std::make_unique<TMyFFT>(deformed);
    const std::int32_t w = fft->Width, h = fft->Height;
    if (reference.Width < w && h > 0)
        throw CorvaneError(PixelText(reference.Width, 0) + " not in the gray image");
    if (reference.Height < h && w > 0)
        throw CorvaneError(PixelText(0, reference.Height) + " not in the gray image");
    auto real = std::make_unique<TFloatImage>(nullptr, w, h);
    auto imag = std::make_unique<TFloatImage>(nullptr, w, h);
    CopyGrayBlock(reference, *real);
    fft->SetReference(std::move(real), std::move(imag));
    return fft;
}

TMyFFT::~TMyFFT() {
    // The phase maps borrow the complex maps: let them go first.
    RefPhase.reset();
    Phase.reset();
}

void TMyFFT::SetReference(std::unique_ptr<TFloatImage> real, std::unique_ptr<TFloatImage> imag) {
    if (!real || !imag || real->Width != imag->Width || real->Height != imag->Height)
        throw CorvaneError("The reference real and imaginary parts differ in size");
    RefPhase.reset();
    RefReal = std::move(real);
    RefImag = std::move(imag);
    RefWidth = RefReal->Width;
    RefHeight = RefReal->Height;
    RefPhase = std::make_unique<TPhaseImage>(RefReal.get(), RefImag.get());
}

TPhaseImage& TMyFFT::RequireReference() {
    if (!RefPhase) throw CorvaneError("no reference field: TMyFFT");
    return *RefPhase;
}

void TMyFFT::ForwardFFT() {
    ForwardFFT2D(Real->Data, Imag->Data, Width, Height, true);
}

void TMyFFT::ForwardFFTRef() {
    RequireReference();
    ForwardFFT2D(RefReal->Data, RefImag->Data, RefWidth, RefHeight, true);
}

void TMyFFT::InverseFFT() {
    InverseFFT2D(Real->Data, Imag->Data, Width, Height, true);
}

void TMyFFT::InverseFFTRef() {
    RequireReference();
    InverseFFT2D(RefReal->Data, RefImag->Data, RefWidth, RefHeight, true);
}

void TMyFFT::ShowSpectrum() {
    Phase->ComputeSpectrum();
}

void TMyFFT::ShowSpectrumRef() {
    RequireReference().ComputeSpectrum();
}

void TMyFFT::ComputePhase() {
    Phase->ComputePhase();
}

void TMyFFT::ComputePhaseRef() {
    RequireReference().ComputePhase();
}

void TMyFFT::Unwrap(std::int32_t x0, std::int32_t y0, float t) {
    Phase->Unwrap(x0, y0, t);
}

void TMyFFT::UnwrapRef(std::int32_t x0, std::int32_t y0, float t) {
    RequireReference().Unwrap(x0, y0, t);
}

void TMyFFT::FindPeak(std::int32_t x0, std::int32_t y0, std::int32_t w, std::int32_t h) {
    TPhaseImage& ref = RequireReference();
    ref.FindPeak(x0, y0, w, h);
    CarrierX = ref.CarrierX;
    CarrierY = ref.CarrierY;
}

void TMyFFT::CutOrder(std::int32_t w, std::int32_t h) {
    CarrierUsedX = CarrierX;
    CarrierUsedY = CarrierY;
    CutOrderOf(*Real, *Imag, CarrierX, CarrierY, w, h);
}

void TMyFFT::CutOrderRef(std::int32_t w, std::int32_t h) {
    RequireReference();
    CarrierUsedX = CarrierX;
    CarrierUsedY = CarrierY;
    CutOrderOf(*RefReal, *RefImag, CarrierX, CarrierY, w, h);
}

void TMyFFT::FitPlane(std::int32_t margin) {
    TPhaseImage& ref = RequireReference();
    ref.FitPlane(margin);
    PlaneA = ref.SlopeX;
    PlaneB = ref.SlopeY;
}

void TMyFFT::SubtractReference(const TFloatImage& map) {
    Phase->SubtractReference(map);
}

void TMyFFT::RemoveCarrier(float a, float b) {
    Phase->RemoveCarrier(a, b);
}

} // namespace corvane
