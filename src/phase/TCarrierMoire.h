#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "phase/CarrierMoireOptions.h"
#include "spectral/TMyFFT.h"

namespace corvane {

/// The processing state of the carrier-fringe (Fourier transform) moire tools and their stages,
/// one call per wizard command; the one-image and the two-image tool differ only in the method
/// given at construction. The tool window reads its edits into the option structs, calls the
/// stage, and shows the maps and pictures of Field().
///
/// State rules: Build (stage A) releases the previous state first, so a failing Build leaves no
/// state. Without a state every other stage does nothing and says so by its return value (false or
/// nullopt). Each stage works on what the earlier ones left: repeating RemoveCarrier moves the window
/// again on the already inverse-transformed field; repeating Unwrap starts again from the wrapped
/// phases; the Step 4 conversions accumulate on the final map until Unwrap runs again.
class TCarrierMoire {
  public:
    explicit TCarrierMoire(TCarrierMethod method) : method_(method) {}

    TCarrierMethod Method() const { return method_; }

    /// Refuses to leave Step 1 while a picture the method needs does not exist: "Select One Moire
    /// Image First" (one image), "Select Two Moire Images First" (two images). Changes nothing.
    void RequireFiles(const TCarrierSource& source) const;

    /// Stage A: releases the state; refuses a strip thinner than 16 pixels with "Reference size
    /// too small" (one image); crops the picture to W x H, the largest powers of two within its
    /// size; takes the reference (the first R rows or columns, R the largest power of two within the
    /// strip size, or the reference picture's top-left W x H block); transforms both fields and
    /// computes their power spectra (logarithmic pictures). Throws the picture's errors, "(x,y) not
    /// in the image" for a strip larger than the crop and "(x,y) not in the gray image" for a
    /// reference picture smaller than W x H; the state then stays released.
    void Build(const TCarrierSource& source);

    /// Drops the processing state (the tool is hidden).
    void Release() {
        field_.reset();
        unwrappedPicture_.reset();
    }
    bool HasState() const { return field_ != nullptr; }
    /// The complex fields, their phase maps and pictures; null without a state.
    const TMyFFT* Field() const { return field_.get(); }

    /// Stage B, Compute: first largest value above 0, row by row, of the reference phase map (the
    /// power spectrum after Build) in the search rectangle (clipped to the map); its offset from the
    /// reference centre becomes the carrier and the carrier used. Nothing without a state.
    std::optional<TCarrierOffset> ComputeCarrier(const TMapRect& search);
    /// Stage B, Modify: the carrier and the carrier used become the given offset.
    bool ModifyCarrier(TCarrierOffset carrier);
    /// The stored carrier (from Compute or Modify).
    std::optional<TCarrierOffset> Carrier() const;
    /// Stage B, Adjust: limits the requested window for the carrier of the edits (LimitMovingWindow)
    /// and gives the outlines to draw in the image spectrum and in the reference spectrum.
    std::optional<TAdjustedWindow> Adjust(TMovingWindow requested, TCarrierOffset carrierFromEdits) const;
    /// The search rectangle used when none is given (DefaultCarrierSearch for this reference).
    std::optional<TMapRect> DefaultSearch(TStripDirection strip) const;
    /// The largest window Adjust allows for the stored carrier that can be moved (LargestMovingWindow).
    std::optional<TMovingWindow> LargestWindow(TStripDirection strip) const;

    /// Stage C: moves the window around the stored carrier to the centre of the image field and
    /// then of the reference field (MoveCarrierWindow), transforms both back and computes the
    /// wrapped phases (reference first), turned over when sign is Reversed (and again whenever
    /// Unwrap computes them, until the next RemoveCarrier). A window reaching outside either field
    /// throws the pixel error before anything changes. Gives the new start points, the centres of
    /// both maps.
    std::optional<TStartPoints> RemoveCarrier(TMovingWindow window, TPhaseSign sign = TPhaseSign::AsPicked);

    /// Stage D0: recomputes both wrapped phases, filters each with a 3 x 3 median, unwraps them
    /// from their start points (a coordinate outside its map means the map's centre) with the
    /// threshold 2 coef pi, and removes the reference from the image phase: the plane fitted to
    /// the reference inside the boundary (A and B kept in Plane()), or the reference phase pixel
    /// by pixel (two images). A negative boundary throws the pixel error and a region without a
    /// plane "The reference plane can not be fitted inside a boundary of <b>", both before
    /// anything changes. Nothing without a state.
    bool Unwrap(const TUnwrapOptions& options);
    /// The plane of the last Unwrap that fitted one.
    std::optional<TReferencePlane> Plane() const { return plane_; }
    /// The min-max picture of the image phase as the last Unwrap left it unwrapped, before the
    /// reference was removed (the final map's own picture shows it after); null before Unwrap.
    const TGrayImage* UnwrappedPicture() const { return unwrappedPicture_.get(); }

    /// Stage D, fringe order: shifts the final map by whole turns so that (x, y) lies in order n.
    /// Throws the pixel error outside the map (nothing changes).
    bool SetFringeOrder(TMapPixel pixel, std::int32_t n);
    /// Stage D, pitch: multiplies the map and its value scale by pitch 0.5 / pi (phase to displacement).
    bool ConvertPitch(float pitch);
    /// Stage D, average over the rectangle from (X, Y) to (X + Width, Y + Height), corners included:
    /// sum / ((Width + 1)(Height + 1)). Throws the pixel error of the first corner outside the map.
    std::optional<float> Average(const TMapRect& rect) const;
    /// Stage D, absolute offset: adds value - map(x, y) to every value. Throws the pixel error.
    bool ConvertToAbsolute(TMapPixel pixel, float value);
    /// The final map's value under the mouse; nullopt without a state or outside the map.
    std::optional<float> ValueAt(TMapPixel pixel) const;

    /// Stage E, the ASCII table " %15.8f  %15.8f  %15.8f \n" of x scaleX, y scaleY and the value,
    /// by the grid steps over the range (right and bottom limited to the map), only pixels of
    /// level 255 when the mask file exists. The map's x and y scale become the given scale.
    /// Throws "no data to output: TFloatImage", the mask's errors or "Can not output 3d dat to <name>".
    bool SaveTable(const std::string& fileName, const TResultTableOptions& options);
    /// Stage E, FLT save of the image or the reference map with the given x and y scale (kept by
    /// the map) and the third scale field by the rule; the map's own value scale is not changed.
    bool SaveFlt(const std::string& fileName, TMoireMap map, TValueScaleRule rule, double scaleX,
                 double scaleY);

  private:
    TFloatImage* FinalMap() const;
    /// Both wrapped phases from the complex fields (reference first), with the sign of sign_.
    void ComputeWrappedPhases();

    TCarrierMethod method_;
    std::unique_ptr<TMyFFT> field_;
    std::optional<TReferencePlane> plane_;
    std::unique_ptr<TGrayImage> unwrappedPicture_;
    /// The phase maps hold the wrapped phases of the present complex fields (just after
    /// RemoveCarrier), so Unwrap need not compute them again.
    bool wrappedPhasesCurrent_ = false;
    TPhaseSign sign_ = TPhaseSign::AsPicked;
};

/// The choices of a carrier-method run from start to end without the wizard; an empty value stands
/// for what the wizard proposes.
struct TCarrierRun {
    std::optional<TMapRect> Search;      ///< spectrum search rectangle; DefaultSearch by default
    std::optional<TMovingWindow> Window; ///< moving window; LargestWindow by default
    TPhaseSign Sign = TPhaseSign::AsPicked;
    float Coef = 0.7f;
    std::optional<TMapPixel> Start;    ///< unwrap start of the image; the start point of RemoveCarrier
    std::optional<TMapPixel> RefStart; ///< likewise for the reference
    std::int32_t Boundary = 4;
    /// Two images only: the reference phase removed by its fitted plane rather than pixel by pixel.
    bool Bilinear = false;
    std::optional<float> Pitch; ///< phase converted to displacement when given
};

/// What a run found.
struct TCarrierRunResult {
    TCarrierOffset Carrier;
    TMovingWindow Window;
};

/// Every stage in turn: Build, the carrier found in the search rectangle, the window moved, both
/// phases unwrapped and the reference removed, the pitch conversion; the final map is then the
/// image map of moire.Field(). carrierFound, when given, hears of the carrier before the window moves.
/// Throws the stages' messages.
TCarrierRunResult RunCarrierMethod(TCarrierMoire& moire, const TCarrierSource& source, const TCarrierRun& run,
                                   const std::function<void(TCarrierOffset)>& carrierFound = {});

} // namespace corvane
