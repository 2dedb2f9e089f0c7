#include "phase/TCarrierMoire.h"

#include <string>

#include "correlation/CorRelationPool.h"
#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/TGrayImage.h"
#include "phase/CarrierMoirePlane.h"
#include "phase/CarrierMoireWindow.h"

namespace corvane {

namespace {

constexpr std::int32_t kSmallestStrip = 16;

std::string PixelError(std::int64_t x, std::int64_t y) {
    std::string text(1, '(');
    text += std::to_string(x);
    text += ',';
    text += std::to_string(y);
    text += ") not in the image";
    return text;
}

// A start coordinate outside its map stands for the map's centre.
std::int32_t StartInside(std::int32_t v, std::int32_t size) {
    return v < 0 || v >= size ? size / 2 : v;
}

} // namespace

void TCarrierMoire::RequireFiles(const TCarrierSource& source) const {
    const bool image = source.Image || FileExists(source.ImageFile);
    if (method_ == TCarrierMethod::OneImage) {
        if (!image) throw CorvaneError("Select One Moire Image First");
    } else if (!image || !(source.Reference || FileExists(source.ReferenceFile))) {
        throw CorvaneError("Select Two Moire Images First");
    }
}

void TCarrierMoire::Build(const TCarrierSource& source) {
    Release();
    plane_.reset();
    wrappedPhasesCurrent_ = false;
    sign_ = TPhaseSign::AsPicked;
    std::unique_ptr<TMyFFT> field;
    if (method_ == TCarrierMethod::OneImage) {
        if (source.StripSize < kSmallestStrip) throw CorvaneError("Reference size too small");
        const bool columns = source.Strip == TStripDirection::Columns;
        field = source.Image ? TMyFFT::FromStrip(*source.Image, columns, source.StripSize)
                             : TMyFFT::FromStrip(source.ImageFile, columns, source.StripSize);
    } else {
        // Files are read in the same order as pictures from memory are taken: the image first.
        std::optional<TGrayImage> imageFile, referenceFile;
        const TGrayImage& image = source.Image ? *source.Image : imageFile.emplace(source.ImageFile);
        const TGrayImage& reference =
            source.Reference ? *source.Reference : referenceFile.emplace(source.ReferenceFile);
        field = TMyFFT::FromImagePair(image, reference);
    }
    field->ForwardFFT();
    field->ForwardFFTRef();
    field->ShowSpectrum();
    field->ShowSpectrumRef();
    field_ = std::move(field);
}

std::optional<TCarrierOffset> TCarrierMoire::ComputeCarrier(const TMapRect& search) {
    if (!field_) return std::nullopt;
    field_->FindPeak(search.X, search.Y, search.Width, search.Height);
    field_->CarrierUsedX = field_->CarrierX;
    field_->CarrierUsedY = field_->CarrierY;
    return TCarrierOffset{field_->CarrierX, field_->CarrierY};
}

bool TCarrierMoire::ModifyCarrier(TCarrierOffset carrier) {
    if (!field_) return false;
    field_->CarrierX = field_->CarrierUsedX = carrier.X;
    field_->CarrierY = field_->CarrierUsedY = carrier.Y;
    return true;
}

std::optional<TCarrierOffset> TCarrierMoire::Carrier() const {
    if (!field_) return std::nullopt;
    return TCarrierOffset{field_->CarrierX, field_->CarrierY};
}

std::optional<TAdjustedWindow> TCarrierMoire::Adjust(TMovingWindow requested,
                                                     TCarrierOffset carrierFromEdits) const {
    if (!field_) return std::nullopt;
    const TStripDirection strip = field_->VerticalStrip ? TStripDirection::Columns : TStripDirection::Rows;
    TAdjustedWindow result;
    result.Window =
        LimitMovingWindow(requested, carrierFromEdits, method_, strip, field_->RefWidth, field_->RefHeight);
    result.ImageOutline = MovingWindowOutline(result.Window, carrierFromEdits, field_->Width, field_->Height);
    result.ReferenceOutline =
        MovingWindowOutline(result.Window, carrierFromEdits, field_->RefWidth, field_->RefHeight);
    return result;
}

std::optional<TMapRect> TCarrierMoire::DefaultSearch(TStripDirection strip) const {
    if (!field_) return std::nullopt;
    return DefaultCarrierSearch(strip, field_->RefWidth, field_->RefHeight);
}

std::optional<TMovingWindow> TCarrierMoire::LargestWindow(TStripDirection strip) const {
    if (!field_) return std::nullopt;
    return LargestMovingWindow({field_->CarrierX, field_->CarrierY}, method_, strip, field_->Width,
                               field_->Height, field_->RefWidth, field_->RefHeight);
}

std::optional<TStartPoints> TCarrierMoire::RemoveCarrier(TMovingWindow window, TPhaseSign sign) {
    if (!field_) return std::nullopt;
    TMyFFT& f = *field_;
    const TCarrierOffset carrier{f.CarrierX, f.CarrierY};
    // Both fields are checked before either moves, so a bad window leaves the spectra as they were.
    CheckMovingWindow(f.Width, f.Height, carrier, window);
    CheckMovingWindow(f.RefWidth, f.RefHeight, carrier, window);
    f.CarrierUsedX = carrier.X;
    f.CarrierUsedY = carrier.Y;
    MoveCarrierWindow(*f.Real, *f.Imag, carrier, window);
    MoveCarrierWindow(*f.RefReal, *f.RefImag, carrier, window);
    f.InverseFFT();
    f.InverseFFTRef();
    sign_ = sign;
    ComputeWrappedPhases();
    wrappedPhasesCurrent_ = true;
    return TStartPoints{{f.Width / 2, f.Height / 2}, {f.RefWidth / 2, f.RefHeight / 2}};
}

bool TCarrierMoire::Unwrap(const TUnwrapOptions& options) {
    if (!field_) return false;
    TMyFFT& f = *field_;
    const bool byPlane = method_ == TCarrierMethod::OneImage || options.Removal == TReferenceRemoval::Plane;
    if (byPlane) CheckReferencePlaneRegion(f.RefWidth, f.RefHeight, options.Boundary);

    // Repeating this stage starts again from the wrapped phases.
    if (!wrappedPhasesCurrent_) ComputeWrappedPhases();
    wrappedPhasesCurrent_ = false;
    f.Phase->Phase->MedianFilter(3, 3);
    f.Unwrap(StartInside(options.Start.X, f.Width), StartInside(options.Start.Y, f.Height), options.Coef);
    // The removal below remakes the map's picture, so the unwrapped one is kept for its own window.
    unwrappedPicture_ = std::move(f.Phase->Gray);
    f.RefPhase->Phase->MedianFilter(3, 3);
    f.UnwrapRef(StartInside(options.RefStart.X, f.RefWidth), StartInside(options.RefStart.Y, f.RefHeight),
                options.Coef);
    if (byPlane) {
        const TReferencePlane plane = FitReferencePlane(*f.RefPhase->Phase, options.Boundary);
        f.PlaneA = plane.A;
        f.PlaneB = plane.B;
        plane_ = plane;
        f.RemoveCarrier(plane.A, plane.B);
    } else {
        plane_.reset();
        f.SubtractReference(*f.RefPhase->Phase);
    }
    return true;
}

void TCarrierMoire::ComputeWrappedPhases() {
    TMyFFT& f = *field_;
    f.ComputePhaseRef();
    f.ComputePhase();
    if (sign_ != TPhaseSign::Reversed) return;
    for (TPhaseImage* phase : {f.RefPhase.get(), f.Phase.get()}) {
        TFloatImage& map = *phase->Phase;
        const std::size_t count = map.Data ? map.PixelCount() : 0;
        float* v = map.Data;
        for (std::size_t i = 0; i < count; ++i)
            v[i] = -v[i];
        phase->UpdateGray();
    }
}

TFloatImage* TCarrierMoire::FinalMap() const {
    return field_ ? field_->Phase->Phase : nullptr;
}

bool TCarrierMoire::SetFringeOrder(TMapPixel pixel, std::int32_t n) {
    TFloatImage* map = FinalMap();
    if (!map) return false;
    wrappedPhasesCurrent_ = false;
    map->SetFringeOrder(pixel.X, pixel.Y, n);
    field_->Phase->UpdateGray();
    return true;
}

bool TCarrierMoire::ConvertPitch(float pitch) {
    TFloatImage* map = FinalMap();
    if (!map) return false;
    wrappedPhasesCurrent_ = false;
    map->Multiply(static_cast<float>(static_cast<double>(pitch) * 0.5 / 3.141592653589793));
    field_->Phase->UpdateGray();
    return true;
}

std::optional<float> TCarrierMoire::Average(const TMapRect& rect) const {
    const TFloatImage* map = FinalMap();
    if (!map) return std::nullopt;
    const std::int64_t x2 = std::int64_t{rect.X} + rect.Width, y2 = std::int64_t{rect.Y} + rect.Height;
    // An empty rectangle would divide by zero or by a negative count.
    if (rect.Width < 0 || rect.Height < 0) throw CorvaneError("The averaging rectangle holds no pixel");
    if (rect.X < 0 || rect.Y < 0 || rect.X >= map->Width || rect.Y >= map->Height)
        throw CorvaneError(PixelError(rect.X, rect.Y));
    if (x2 >= map->Width) throw CorvaneError(PixelError(map->Width, rect.Y));
    if (y2 >= map->Height) throw CorvaneError(PixelError(rect.X, map->Height));
    const float sum =
        map->SumRect(rect.X, rect.Y, static_cast<std::int32_t>(x2), static_cast<std::int32_t>(y2));
    return sum / static_cast<float>((rect.Width + 1) * (rect.Height + 1));
}

bool TCarrierMoire::ConvertToAbsolute(TMapPixel pixel, float value) {
    TFloatImage* map = FinalMap();
    if (!map) return false;
    wrappedPhasesCurrent_ = false;
    map->ShiftToValue(pixel.X, pixel.Y, value);
    field_->Phase->UpdateGray();
    return true;
}

std::optional<float> TCarrierMoire::ValueAt(TMapPixel pixel) const {
    const TFloatImage* map = FinalMap();
    if (!map || !map->Data || pixel.X < 0 || pixel.Y < 0 || pixel.X >= map->Width || pixel.Y >= map->Height)
        return std::nullopt;
    return map->GetPixel(pixel.X, pixel.Y);
}

bool TCarrierMoire::SaveTable(const std::string& fileName, const TResultTableOptions& options) {
    TFloatImage* map = FinalMap();
    if (!map) return false;
    const TMapCorners range = options.Range.value_or(TMapCorners{0, 0, map->Width - 1, map->Height - 1});
    const bool noMask = options.MaskFile.empty() || options.MaskFile == kNoMaskFileName;
    map->ScaleX = static_cast<float>(options.ScaleX);
    map->ScaleY = static_cast<float>(options.ScaleY);
    map->Output3DDat(fileName, noMask ? std::string() : options.MaskFile, range.Left, range.Top, range.Right,
                     range.Bottom, options.GridX, options.GridY, CorRelationPool::SharedRunner());
    return true;
}

bool TCarrierMoire::SaveFlt(const std::string& fileName, TMoireMap which, TValueScaleRule rule, double scaleX,
                            double scaleY) {
    if (!field_) return false;
    TFloatImage& map = which == TMoireMap::Image ? *field_->Phase->Phase : *field_->RefPhase->Phase;
    map.ScaleX = static_cast<float>(scaleX);
    map.ScaleY = static_cast<float>(scaleY);
    const float kept = map.ValueScale;
    if (rule == TValueScaleRule::One) map.ValueScale = 1.0f;
    try {
        map.SaveFlt(fileName);
    } catch (...) {
        map.ValueScale = kept;
        throw;
    }
    map.ValueScale = kept;
    return true;
}

TCarrierRunResult RunCarrierMethod(TCarrierMoire& moire, const TCarrierSource& source, const TCarrierRun& run,
                                   const std::function<void(TCarrierOffset)>& carrierFound) {
    moire.RequireFiles(source);
    moire.Build(source);
    TCarrierRunResult result;
    result.Carrier = *moire.ComputeCarrier(run.Search ? *run.Search : *moire.DefaultSearch(source.Strip));
    result.Window = run.Window ? *run.Window : *moire.LargestWindow(source.Strip);
    if (carrierFound) carrierFound(result.Carrier);
    const TStartPoints starts = *moire.RemoveCarrier(result.Window, run.Sign);
    TUnwrapOptions unwrap;
    unwrap.Coef = run.Coef;
    unwrap.Start = run.Start.value_or(starts.Image);
    unwrap.RefStart = run.RefStart.value_or(starts.Reference);
    unwrap.Boundary = run.Boundary;
    const bool pixelByPixel = moire.Method() == TCarrierMethod::TwoImages && !run.Bilinear;
    unwrap.Removal = pixelByPixel ? TReferenceRemoval::PixelByPixel : TReferenceRemoval::Plane;
    moire.Unwrap(unwrap);
    if (run.Pitch) moire.ConvertPitch(*run.Pitch);
    return result;
}

} // namespace corvane
