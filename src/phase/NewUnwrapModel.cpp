#include "phase/NewUnwrapModel.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "phase/InvalidRunFill.h"
#include "phase/NoiseMask.h"
#include "phase/QualityGuidedUnwrap.h"
#include "phase/RegionGrowingUnwrap.h"

namespace corvane {

namespace {

std::unique_ptr<TFloatImage> ReloadPhase(const NewUnwrapOptions& options) {
    if (options.PhaseFile.empty()) throw CorvaneError("Select an phase image first");
    return std::make_unique<TFloatImage>(options.PhaseFile);
}

/// The invalid-area file when it is used and exists (checked against the map), else nothing.
std::unique_ptr<TGrayImage> InvalidAreaFile(const NewUnwrapOptions& options, const TFloatImage& phase) {
    if (!options.UseInvalidAreaFile || !FileExists(options.InvalidAreaFile)) return nullptr;
    auto areas = std::make_unique<TGrayImage>(options.InvalidAreaFile);
    CheckInvalidAreaSize(*areas, phase, options.InvalidAreaFile);
    return areas;
}

} // namespace

void NewUnwrapModel::OpenPhase(const std::string& fltFile) {
    auto phase = std::make_unique<TFloatImage>(fltFile);
    Phase = std::move(phase);
    InvalidArea.reset();
    Quality.reset();
}

void NewUnwrapModel::OpenInvalidArea(const std::string& bmpFile) {
    InvalidArea = std::make_unique<TGrayImage>(bmpFile);
}

void NewUnwrapModel::MaskNoise(const NewUnwrapOptions& options) {
    auto phase = ReloadPhase(options);
    auto invalid = InvalidAreaFile(options, *phase);
    if (!invalid) invalid = std::make_unique<TGrayImage>(nullptr, phase->Width, phase->Height);
    corvane::MaskNoise(*phase, *invalid, options.Threshold, options.InvalidThreshold);
    Phase = std::move(phase);
    InvalidArea = std::move(invalid);
}

std::unique_ptr<TFloatImage> UnwrapPhaseMap(TFloatImage& phase, const TGrayImage& areas,
                                            const TGrayImage* darkened, const NewUnwrapOptions& options,
                                            const std::function<void(const TFloatImage&)>& regionGrown) {
    CheckStartPoint(phase, options.StartX, options.StartY);
    CheckInvalidAreaSize(areas, phase);
    if (darkened) CheckInvalidAreaSize(*darkened, phase);
    std::unique_ptr<TFloatImage> quality;
    if (options.Method == UnwrapMethod::QualityGuided)
        QualityGuidedUnwrap(phase, areas, options.StartX, options.StartY, &quality);
    else
        RegionGrowingUnwrap(phase, areas, options.StartX, options.StartY, options.Threshold);
    if (regionGrown) regionGrown(phase);
    FillInvalidRuns(phase, &areas);
    if (darkened) DarkenAreas(phase, *darkened);
    return quality;
}

void NewUnwrapModel::Unwrap(const NewUnwrapOptions& options,
                            const std::function<void(const TFloatImage&)>& regionGrown) {
    // Everything is read and checked first, so a failure leaves the held maps as they were.
    auto phase = ReloadPhase(options);
    CheckStartPoint(*phase, options.StartX, options.StartY);
    std::unique_ptr<TGrayImage> invalid;
    if (!InvalidArea) {
        invalid = InvalidAreaFile(options, *phase);
        if (!invalid) invalid = std::make_unique<TGrayImage>(nullptr, phase->Width, phase->Height);
    }
    const TGrayImage& areas = invalid ? *invalid : *InvalidArea;
    CheckInvalidAreaSize(areas, *phase);
    const auto darkened = InvalidAreaFile(options, *phase);

    std::unique_ptr<TFloatImage> quality =
        UnwrapPhaseMap(*phase, areas, darkened.get(), options, regionGrown);

    Phase = std::move(phase);
    Quality = std::move(quality);
    if (invalid) InvalidArea = std::move(invalid);
}

} // namespace corvane
