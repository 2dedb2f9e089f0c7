#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

class TGrayImage;

/// The two carrier-fringe tools: an undeformed strip of the same picture as reference, or a
/// separate reference picture.
enum class TCarrierMethod { OneImage, TwoImages };

/// Which band of the picture is the undeformed reference strip (one-image method): a band of rows
/// (the carrier runs along x) or a band of columns (the carrier runs along y).
enum class TStripDirection { Rows, Columns };

/// How the reference phase leaves the image phase: the fitted plane A x + B y, or the unwrapped
/// reference phase pixel by pixel (two-image method only).
enum class TReferenceRemoval { Plane, PixelByPixel };

/// What stage A builds from.
struct TCarrierSource {
    std::string ImageFile;                         ///< the moire (deformed) picture, BMP
    std::string ReferenceFile;                     ///< the reference picture (two-image method)
    TStripDirection Strip = TStripDirection::Rows; ///< one-image method
    std::int32_t StripSize = 32;                   ///< strip thickness in pixels (one-image method)
    /// Pictures held in memory, taken in place of ImageFile and ReferenceFile when given; the
    /// caller keeps them alive during Build.
    const TGrayImage* Image = nullptr;
    const TGrayImage* Reference = nullptr;
};

/// A pixel of a map.
struct TMapPixel {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    bool operator==(const TMapPixel&) const = default;
};

/// A rectangle by its top-left corner and size (the spectrum search and its kind).
struct TMapRect {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool operator==(const TMapRect&) const = default;
};

/// Carrier offset in spectrum pixels from the spectrum centre.
struct TCarrierOffset {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    bool operator==(const TCarrierOffset&) const = default;
};

/// The sign of the phase the carrier gives. Of the pair of carrier peaks, the one right of the
/// spectrum centre (below it, for a carrier mainly along y) gives the phase with its sign reversed;
/// Reversed turns the wrapped phases over, as picking the opposite peak would.
enum class TPhaseSign { AsPicked, Reversed };

/// Whether a carrier is the peak that gives the phase with its sign reversed: its larger component
/// (y when neither is larger, as Adjust counts it) is positive.
inline bool CarrierReversesSign(TCarrierOffset carrier) {
    const std::int32_t ax = carrier.X < 0 ? -carrier.X : carrier.X;
    const std::int32_t ay = carrier.Y < 0 ? -carrier.Y : carrier.Y;
    return ay < ax ? carrier.X > 0 : carrier.Y > 0;
}

/// Size of the spectral window moved to the spectrum centre.
struct TMovingWindow {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool operator==(const TMovingWindow&) const = default;
};

/// A rectangle by its inclusive corners (the outlines drawn in the spectrum windows).
struct TMapCorners {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    bool operator==(const TMapCorners&) const = default;
};

/// What Adjust gives back: the limited window and its outlines in the image spectrum and in the
/// reference spectrum.
struct TAdjustedWindow {
    TMovingWindow Window;
    TMapCorners ImageOutline;
    TMapCorners ReferenceOutline;
};

/// Unwrap start points of the image and of the reference (set when the carrier is removed).
struct TStartPoints {
    TMapPixel Image;
    TMapPixel Reference;
};

/// What stage D0 reads: the controls of Step 3.
struct TUnwrapOptions {
    float Coef = 0.7f;         ///< jump threshold 2 coef pi
    TMapPixel Start{1, 1};     ///< image start; a coordinate outside the map means its centre
    TMapPixel RefStart{1, 1};  ///< reference start, likewise
    std::int32_t Boundary = 4; ///< border left out of the plane fit
    TReferenceRemoval Removal = TReferenceRemoval::Plane;
};

/// The fitted reference plane A x + B y.
struct TReferencePlane {
    float A = 0.0f;
    float B = 0.0f;
};

/// What the ASCII result table writes (Step 5).
struct TResultTableOptions {
    std::int32_t GridX = 1; ///< output steps; 1 and 1 without "Output Grids"
    std::int32_t GridY = 1;
    std::optional<TMapCorners> Range; ///< the whole map when absent
    std::string MaskFile;             ///< no mask when empty or kNoMaskFileName
    double ScaleX = 1.0;              ///< the workbench's image scale, written into the map
    double ScaleY = 1.0;
};

/// The mask name that stands for "no mask" in the two-image tool.
inline constexpr const char* kNoMaskFileName = "no this mask file";

/// Which map an FLT save writes.
enum class TMoireMap { Image, Reference };

/// The third scale field of an FLT save: 1.0 (the wrapped-phase saves of Step 3) or the map's own
/// value scale, which carries the pitch conversion.
enum class TValueScaleRule { One, Keep };

} // namespace corvane
