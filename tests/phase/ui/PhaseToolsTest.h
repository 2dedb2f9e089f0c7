#pragma once
// What the phase tool windows' test files share.
#include "support/FloatMaps.h"
#include "support/ui/TestMainForm.h"

namespace corvane::test {

using Kind = ScriptedDialogs::Kind;
constexpr double kPi = 3.14159265358979;

} // namespace corvane::test
