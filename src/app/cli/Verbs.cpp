#include "app/cli/CliVerb.h"

namespace corvane::cli {

// Each verb lives in its own file of this folder; adding one is a declaration and a table line here.
extern const Verb kCorrelateVerb;
extern const Verb kStrainVerb;
extern const Verb kSampleVerb;
extern const Verb kHistogramVerb;
extern const Verb kProfileVerb;
extern const Verb kMedianVerb;

const std::vector<Verb>& Verbs() {
    static const std::vector<Verb> verbs = {
        kCorrelateVerb, kStrainVerb, kSampleVerb, kHistogramVerb, kProfileVerb, kMedianVerb,
    };
    return verbs;
}

} // namespace corvane::cli
