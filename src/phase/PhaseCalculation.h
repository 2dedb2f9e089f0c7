#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "image/TFloatImage.h"

namespace corvane {

/// MethodComboBox of the phase calculation: its item index.
enum class PhaseCalculationMethod {
    Difference = 0,         ///< "source1 - source2"
    LinearFitOfSource2 = 1, ///< "source1 - Linear(source2)"
    None = -1               ///< no item selected: the result stays all zero
};

/// The fit rectangle of Source 2: columns Left..Right-1 and rows Top..Bottom-1 (right and bottom
/// excluded).
struct PhaseFitRectangle {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

/// The controls of the phase calculation tool.
struct PhaseCalculationOptions {
    PhaseCalculationMethod Method = PhaseCalculationMethod::Difference;
    PhaseFitRectangle Fit; ///< used by LinearFitOfSource2 only
};

/// The result map (Source 1's size and three scale fields) and, for the linear fit, the plane
/// Source2 ~ A x + B y (no constant term).
struct PhaseCalculationResult {
    std::unique_ptr<TFloatImage> Result;
    float A = 0.0f;
    float B = 0.0f;
    bool Fitted = false; ///< A and B come from a fit
};

inline constexpr const char* kSelectTwoSourcesMessage = "Make sure select two sources first!";
inline constexpr const char* kSource2TooSmallMessage = "the source2 is too small";
/// Shown by the tool's Save To Float when no result exists.
inline constexpr const char* kCalculateFirstMessage = "Select two source and calculation first!";

/// Loads one source from its FLT file; throws kSelectTwoSourcesMessage when the file does not
/// exist, and the FLT reader's message when it cannot be read.
std::unique_ptr<TFloatImage> LoadPhaseCalculationSource(const std::string& fileName);

/// The first step of Calculation: when a source is missing and both named files exist, each missing
/// source is loaded from its file (a loaded source is kept, whatever its edit now names); when a
/// source is missing and either file does not exist, throws kSelectTwoSourcesMessage.
void LoadMissingPhaseCalculationSources(std::unique_ptr<TFloatImage>& source1,
                                        std::unique_ptr<TFloatImage>& source2, const std::string& fileName1,
                                        const std::string& fileName2);

/// Plane fit of source2 over the rectangle in single precision (rows outer, columns inner):
/// D = Sxx Syy - Sxy^2 (exactly 0 becomes 1), A = (Sxp Syy - Syp Sxy) / D,
/// B = (Sxp Sxy - Syp Sxx) / -D. An empty rectangle gives A = B = 0. Throws the float map's
/// "(x,y) not in the image" for the first pixel of a non-empty rectangle that lies outside source2.
void FitSource2Plane(const TFloatImage& source2, const PhaseFitRectangle& fit, float& a, float& b);

/// Calculation: Source1 - Source2 pixel by pixel (Difference; a larger Source 2 is read over its
/// top-left part, a smaller one throws kSource2TooSmallMessage), or Source1 - (y B + x A) with the
/// plane fitted to Source 2 (LinearFitOfSource2), or all zero (None). The result has Source 1's
/// size and scales. Errors are thrown before a result is returned.
PhaseCalculationResult CalculatePhase(const TFloatImage& source1, const TFloatImage& source2,
                                      const PhaseCalculationOptions& options);

/// The label text of a fitted coefficient: "A= %20.15f" / "B= %20.15f" (name is "A" or "B").
std::string FitCoefficientLabel(const char* name, float value);

} // namespace corvane
