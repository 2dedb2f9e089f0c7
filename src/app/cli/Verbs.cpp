#include "app/cli/CliVerb.h"

namespace corvane::cli {

// Each verb lives in its own file of this folder; adding one is a declaration and a table line here.
extern const Verb kCorrelateVerb;
extern const Verb kCorrelateSeriesVerb;
extern const Verb kPhaseShiftVerb;
extern const Verb kMoireSimulateVerb;
extern const Verb kPhaseCalcVerb;
extern const Verb kPseudoColourVerb;
extern const Verb kGenerateGridVerb;
extern const Verb kGeometricMoireVerb;
extern const Verb kPhaseToFringeVerb;
extern const Verb kCarrierVerb;
extern const Verb kUnwrapVerb;
extern const Verb kAbsoluteVerb;
extern const Verb kSegmentVerb;
extern const Verb kSpeckleStatsVerb;
extern const Verb kEncodeVerb;
extern const Verb kMatchVerb;
extern const Verb kStrainVerb;
extern const Verb kSampleVerb;
extern const Verb kHistogramVerb;
extern const Verb kProfileVerb;
extern const Verb kMedianVerb;
extern const Verb kColourMapVerb;
extern const Verb kExportVerb;
extern const Verb kGenerateSpeckleVerb;

const std::vector<Verb>& Verbs() {
    // clang-format off
    static const std::vector<Verb> verbs = {
        kCorrelateVerb,
        kCorrelateSeriesVerb,
        kPhaseShiftVerb,
        kMoireSimulateVerb,
        kPhaseCalcVerb,
        kPseudoColourVerb,
        kGenerateGridVerb,
        kGeometricMoireVerb,
        kPhaseToFringeVerb,
        kCarrierVerb,
        kUnwrapVerb,
        kAbsoluteVerb,
        kSegmentVerb,
        kSpeckleStatsVerb,
        kEncodeVerb,
        kMatchVerb,
        kStrainVerb,
        kSampleVerb,
        kHistogramVerb,
        kProfileVerb,
        kMedianVerb,
        kColourMapVerb,
        kExportVerb,
        kGenerateSpeckleVerb,
    };
    // clang-format on
    return verbs;
}

} // namespace corvane::cli
