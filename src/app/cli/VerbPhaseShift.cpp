#include "app/cli/CliVerb.h"
#include "phase/PhaseShift.h"

#include <memory>

namespace corvane::cli {

namespace {

int RunPhaseShift(CliArgs& args) {
    const auto method = args.Value("--method");
    if (!method) throw UsageError("--method const3|const4|equal4 is missing");
    PhaseShiftMethod m;
    if (*method == "const3")
        m = PhaseShiftMethod::Const3Step;
    else if (*method == "const4")
        m = PhaseShiftMethod::Const4Step;
    else if (*method == "equal4")
        m = PhaseShiftMethod::Equal4Step;
    else
        throw UsageError("--method: '" + *method + "' is not const3, const4 or equal4");
    const std::vector<double> scale = args.Doubles("--scale", 2).value_or(std::vector<double>{1.0, 1.0});
    const std::string output = args.Output();
    const std::size_t count = static_cast<std::size_t>(PhaseShiftStepCount(m));
    const std::vector<std::string> files = args.Positionals(3, 4);
    if (files.size() != count)
        throw UsageError("--method " + *method + " needs " + std::to_string(count) + " step images");

    std::vector<std::unique_ptr<TGrayImage>> steps;
    std::vector<const TGrayImage*> pointers;
    for (const std::string& file : files) {
        steps.push_back(std::make_unique<TGrayImage>(file));
        pointers.push_back(steps.back().get());
    }
    const PhaseShiftResult result = ComputePhaseShift(m, pointers);
    SavePhaseShiftFlt(*result.Phase->Phase, static_cast<float>(scale[0]), static_cast<float>(scale[1]),
                      output);
    return 0;
}

} // namespace

extern const Verb kPhaseShiftVerb = {
    "phase-shift", "wrapped phase from 3 or 4 phase-shifted pictures (Compute Phase, Save To Float)",
    "Usage: corvane-cli phase-shift --method const3|const4|equal4 I1 I2 I3 [I4] -o PHASE.flt\n"
    "\n"
    "Computes the wrapped phase (-pi..pi, radians) of the phase-shifting tools from the step\n"
    "pictures, Step 1 first, and saves it as the tool's Save To Float does.\n"
    "  --method const3   three steps of 2 pi/3:  atan2((I3 - I2) * 1.7320508, 2 I1 - I2 - I3)\n"
    "           const4   four steps of pi/2:     atan2(I4 - I2, I1 - I3)\n"
    "           equal4   four equal steps of any size (the step is eliminated)\n"
    "  --scale SX SY     image scale written into the FLT header (default 1 1, the workbench's\n"
    "                    default image scale); the value scale is always 1.0\n"
    "  -o PHASE.flt      the float phase map\n"
    "A step picture larger than Step 2's is read over Step 2's extent (its top-left part); a\n"
    "smaller one is refused.\n",
    RunPhaseShift};

} // namespace corvane::cli
