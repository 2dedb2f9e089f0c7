#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "image/TFloatImage.h"
#include "image/TPhaseImage.h"

namespace corvane {

class TGrayImage;

/// The complex field of an image (and, for the carrier method, of a reference) with the centred
/// two-dimensional FFT and the carrier-method operations. The zero frequency of a W x H spectrum
/// lies at (W/2, H/2); W and H are powers of two.
class TMyFFT {
  public:
    std::int32_t CarrierUsedX = 0; ///< carrier offset applied by the last CutOrder
    std::int32_t CarrierUsedY = 0;
    std::int32_t CarrierX = 0; ///< carrier found by FindPeak or set by a tool, from the spectrum centre
    std::int32_t CarrierY = 0;
    float PlaneA = 0.0f; ///< gradients of the last FitPlane
    float PlaneB = 0.0f;
    bool VerticalStrip = false; ///< reference strip is a band of columns (true) or of rows (false)
    std::unique_ptr<TFloatImage> Real;
    std::unique_ptr<TFloatImage> Imag;
    std::unique_ptr<TPhaseImage> Phase; ///< built on Real and Imag
    std::int32_t Width = 0;             ///< W
    std::int32_t Height = 0;            ///< H
    std::int32_t RefWidth = 0;
    std::int32_t RefHeight = 0;
    std::unique_ptr<TPhaseImage> RefPhase; ///< built on RefReal and RefImag; null without a reference
    std::unique_ptr<TFloatImage> RefReal;
    std::unique_ptr<TFloatImage> RefImag;

    /// From a BMP grey image: the top-left W x H block, W and H the largest powers of two not
    /// above the image's sizes, goes into the real map; the imaginary map is 0.
    /// Throws the grey image's errors ("<name>: not exists", unreadable BMP).
    explicit TMyFFT(const std::string& bmpFileName);
    /// The same from a grey picture held in memory.
    explicit TMyFFT(const TGrayImage& gray);

    /// From two FLT files holding the real and the imaginary part of a field. Throws the float
    /// map's read errors, and refuses a pair whose sizes differ or are not powers of two.
    TMyFFT(const std::string& realFltFileName, const std::string& imagFltFileName);

    /// From a moire image with an undeformed strip of it as reference: the image as in the BMP
    /// construction; the strip is the first R columns (vertical) or rows of the real map, R the
    /// largest power of two not above thickness. Throws the grey image's errors, and
    /// "(x,y) not in the image" when the strip is thicker than the cropped image.
    static std::unique_ptr<TMyFFT> FromStrip(const std::string& bmpFileName, bool verticalStrip,
                                             std::int32_t thickness);
    static std::unique_ptr<TMyFFT> FromStrip(const TGrayImage& image, bool verticalStrip,
                                             std::int32_t thickness);

    /// From a deformed image and a separate reference image: W and H from the deformed image; the
    /// reference real map is the reference image's top-left W x H block. Throws the grey image's
    /// errors, and "(x,y) not in the gray image" when the reference image is smaller than W x H.
    static std::unique_ptr<TMyFFT> FromImagePair(const std::string& deformedBmpFileName,
                                                 const std::string& referenceBmpFileName);
    static std::unique_ptr<TMyFFT> FromImagePair(const TGrayImage& deformed, const TGrayImage& reference);

    ~TMyFFT();
    TMyFFT(const TMyFFT&) = delete;
    TMyFFT& operator=(const TMyFFT&) = delete;

    /// Installs a reference field (real and imaginary maps of one size) and its phase map,
    /// replacing any previous one. Throws when the two maps differ in size.
    void SetReference(std::unique_ptr<TFloatImage> real, std::unique_ptr<TFloatImage> imag);
    bool HasReference() const { return RefPhase != nullptr; }

    /// Centred forward / inverse transform in place of the image field, or of the reference
    /// field (the Ref forms throw "no reference field: TMyFFT" when there is none).
    void ForwardFFT();
    void ForwardFFTRef();
    void InverseFFT();
    void InverseFFTRef();

    /// Power spectrum Re^2 + Im^2 into the phase map and its grey picture (logarithmic unless
    /// the phase map's LinearSpectrum is set).
    void ShowSpectrum();
    void ShowSpectrumRef();

    /// Wrapped phase atan2(Im, Re) into the phase map.
    void ComputePhase();
    void ComputePhaseRef();

    /// Simple row-then-column unwrap of the phase map from (x0, y0), jump threshold 2 t pi.
    void Unwrap(std::int32_t x0, std::int32_t y0, float t);
    void UnwrapRef(std::int32_t x0, std::int32_t y0, float t);

    /// Largest value of the reference phase map in the window; its offset from the reference
    /// centre becomes CarrierX, CarrierY.
    void FindPeak(std::int32_t x0, std::int32_t y0, std::int32_t w, std::int32_t h);

    /// CarrierUsed = Carrier; then the w x h block (negative sizes taken as 0, even sizes raised
    /// by one) centred on (W/2 + CarrierX, H/2 + CarrierY) is moved to the centre (W/2, H/2) of
    /// the real and the imaginary map and everything else is cleared. Parts of the block that fall outside
    /// the map are taken as 0 and dropped, so a whole-size block with no carrier changes nothing.
    void CutOrder(std::int32_t w, std::int32_t h);
    /// The same on the reference field, with the reference size.
    void CutOrderRef(std::int32_t w, std::int32_t h);

    /// Least-squares plane through the origin fitted to the reference phase map, margin pixels
    /// excluded at every border; the gradients go into PlaneA, PlaneB.
    void FitPlane(std::int32_t margin);

    /// Subtracts a map pixel by pixel from the image phase map.
    void SubtractReference(const TFloatImage& map);
    /// Subtracts the plane x * a + y * b from the image phase map.
    void RemoveCarrier(float a, float b);

  private:
    TPhaseImage& RequireReference();
};

} // namespace corvane
