#pragma once
#include "support/TestSupport.h"

#include <string>
#include <vector>

namespace corvane::test {

/// Runs the built corvane-cli with the arguments in dir, as a user runs it from a shell. For the
/// test programs that are given the program's name (CORVANE_CLI_EXE).
inline ProgramRun Cli(const TempDir& dir, const std::vector<std::string>& arguments) {
    return RunProgram(CORVANE_CLI_EXE, arguments, dir.Path());
}

} // namespace corvane::test
