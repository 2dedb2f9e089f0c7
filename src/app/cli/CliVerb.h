#pragma once
#include "app/cli/CliArgs.h"

#include <vector>

namespace corvane::cli {

/// One verb of corvane-cli: its name, a one-line summary for the verb list, the text of
/// "corvane-cli VERB --help", and the function that runs it. Run parses its options with CliArgs,
/// calls the same core function the tool window calls and returns the exit status (0 on success;
/// errors are thrown: CorvaneError and other exceptions give status 1, UsageError status 2).
struct Verb {
    const char* Name;
    const char* Summary;
    const char* Help;
    int (*Run)(CliArgs& args); ///< asks for its options, then its positionals, before it computes
};

/// Every verb, in the order the verb list shows them.
const std::vector<Verb>& Verbs();

} // namespace corvane::cli
