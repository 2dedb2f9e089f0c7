#pragma once
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace corvane {

/// How Unwrap joins the pixels: breadth-first region growing from the start pixel (the design's
/// method, fastest, for clean fringes), or quality-guided merging from the most reliable pixels
/// (for noisy fringes and bad areas; the jump threshold is not used).
enum class UnwrapMethod { RegionGrowing, QualityGuided };

/// The settings of the region-growing unwrap tool, one field per control, with its defaults.
struct NewUnwrapOptions {
    std::string PhaseFile;           ///< wrapped phase FLT file (PhaseImageFileNameEdit)
    bool UseInvalidAreaFile = false; ///< UseInvalidAreaFileCheckBox
    std::string InvalidAreaFile;     ///< BMP, 255 = invalid (InvalidAreaFileNameEdit)
    float Threshold = 0.5f;          ///< jump threshold: times 2 pi for Unwrap, radians for Mask Noise
    float InvalidThreshold = 0.001f; ///< residue threshold of Mask Noise
    std::int32_t StartX = 128;       ///< start pixel (XEdit)
    std::int32_t StartY = 128;       ///< start pixel (YEdit)
    UnwrapMethod Method = UnwrapMethod::RegionGrowing; ///< MethodComboBox
};

/// What the tool's Unwrap does to a wrapped phase map held in memory: unwraps it in place by the
/// options' method from their start point over the pixels whose areas level is not 255, fills the
/// invalid runs of every row, and sets the pixels darkened marks invalid (when given) to the map's
/// minimum. Returns the reliability map of the quality-guided method (null for region growing).
/// Throws the start-point message or a size message before anything is changed.
std::unique_ptr<TFloatImage>
UnwrapPhaseMap(TFloatImage& phase, const TGrayImage& areas, const TGrayImage* darkened,
               const NewUnwrapOptions& options,
               const std::function<void(const TFloatImage&)>& regionGrown = nullptr);

/// The working state and commands of the region-growing unwrap tool: the phase map and the
/// invalid-area map it holds, and Mask Noise and Unwrap, each of which reloads the phase map from
/// its file so that every run starts from the wrapped phase. File names are used as given (the
/// caller resolves them against its working directory). A failing command leaves both maps as
/// they were.
class NewUnwrapModel {
  public:
    std::unique_ptr<TFloatImage> Phase;      ///< the phase map; changed in place by Unwrap
    std::unique_ptr<TGrayImage> InvalidArea; ///< 255 marks an invalid pixel
    std::unique_ptr<TFloatImage> Quality;    ///< reliability map of the last quality-guided Unwrap

    /// Loads the phase map from an FLT file and releases the invalid-area and reliability maps.
    void OpenPhase(const std::string& fltFile);
    /// Loads the invalid-area map from a BMP file.
    void OpenInvalidArea(const std::string& bmpFile);
    /// Reloads the phase map; the invalid-area map becomes the invalid-area file (when used and
    /// present) or all valid, extended by the residue test (MaskNoise). Throws "Select an phase
    /// image first" when no phase file is named, and the loaders' messages.
    void MaskNoise(const NewUnwrapOptions& options);
    /// Reloads the phase map; takes the invalid-area file (when used and present) or an all-valid
    /// map when none is held; unwraps by the chosen method from the start point (shown through
    /// regionGrown when given; the quality-guided method also keeps its reliability map in
    /// Quality, which any other run releases), fills the invalid runs of every row, and, when the
    /// invalid-area file is used and present, sets its invalid pixels to the map's minimum. Throws "Select an
    /// phase image first", the loaders' messages, the start-point message or an invalid-area size message
    /// before anything is changed.
    void Unwrap(const NewUnwrapOptions& options,
                const std::function<void(const TFloatImage&)>& regionGrown = nullptr);
};

} // namespace corvane
