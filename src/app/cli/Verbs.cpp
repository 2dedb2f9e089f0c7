#include "app/cli/CliVerb.h"

namespace corvane::cli {

// Each verb lives in its own file of this folder; adding one is a declaration and a table line here.
extern const Verb kCorrelateVerb;
extern const Verb kSegmentVerb;
extern const Verb kSpeckleStatsVerb;

const std::vector<Verb>& Verbs() {
    static const std::vector<Verb> verbs = {
        kCorrelateVerb,
        kSegmentVerb,
        kSpeckleStatsVerb,
    };
    return verbs;
}

} // namespace corvane::cli
