#pragma once
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace corvane::test {

/// Runs the built corvane-cli with the arguments in dir, as a user runs it from a shell. For the
/// test programs that are given the program's name (CORVANE_CLI_EXE).
inline ProgramRun Cli(const TempDir& dir, const std::vector<std::string>& arguments) {
    return RunProgram(CORVANE_CLI_EXE, arguments, dir.Path());
}

/// Whether corvane-cli, run with the arguments in dir, succeeds (a failure tells what it said).
inline testing::AssertionResult Runs(const TempDir& dir, const std::vector<std::string>& arguments) {
    const ProgramRun run = Cli(dir, arguments);
    if (run.Status == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "status " << run.Status << ", said: " << run.Err;
}

/// Whether corvane-cli, run with the arguments in dir, ends with status, says message on standard
/// error and leaves no file under the name that follows -o.
inline testing::AssertionResult Refuses(const TempDir& dir, const std::vector<std::string>& arguments,
                                        int status, const std::string& message = {}) {
    const ProgramRun run = Cli(dir, arguments);
    const auto o = std::find(arguments.begin(), arguments.end(), "-o");
    const bool written =
        o != arguments.end() && o + 1 != arguments.end() && std::filesystem::exists(dir.File(o[1]));
    if (run.Status == status && run.Err.find(message) != std::string::npos && !written)
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "status " << run.Status << (written ? ", the output written" : "") << ", said: " << run.Err;
}

} // namespace corvane::test
