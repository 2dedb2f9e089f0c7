#include "app/cli/CliVerb.h"
#include "phase/PhaseCalculation.h"

#include <cstdio>
#include <optional>

namespace corvane::cli {

namespace {

int RunPhaseCalc(CliArgs& args) {
    PhaseCalculationOptions options;
    const std::string method = args.Value("--method").value_or("0");
    if (method == "0" || method == "difference")
        options.Method = PhaseCalculationMethod::Difference;
    else if (method == "1" || method == "linear")
        options.Method = PhaseCalculationMethod::LinearFitOfSource2;
    else
        throw UsageError("--method: '" + method + "' is not 0 (difference) or 1 (linear)");
    const auto edge = [&](const char* name) -> std::optional<int> {
        const auto value = args.Value(name);
        if (!value) return std::nullopt;
        return CliArgs::ParseInt(name, *value);
    };
    const std::optional<int> left = edge("--left"), top = edge("--top"), right = edge("--right"),
                             bottom = edge("--bottom");
    const std::string output = args.Output();
    const std::vector<std::string> files = args.Positionals(2, 2);

    std::unique_ptr<TFloatImage> source1, source2;
    LoadMissingPhaseCalculationSources(source1, source2, files[0], files[1]);
    // The rectangle the tool sets when Source 2 is chosen: the whole map.
    options.Fit.Left = left.value_or(0);
    options.Fit.Top = top.value_or(0);
    options.Fit.Right = right.value_or(source2->Width);
    options.Fit.Bottom = bottom.value_or(source2->Height);
    const PhaseCalculationResult result = CalculatePhase(*source1, *source2, options);
    result.Result->SaveFlt(output);
    if (result.Fitted)
        std::printf("%s\n%s\n", FitCoefficientLabel("A", result.A).c_str(),
                    FitCoefficientLabel("B", result.B).c_str());
    return 0;
}

} // namespace

extern const Verb kPhaseCalcVerb = {
    "phase-calc", "source1 - source2, or source1 - a plane fitted to source2 (Phase Calculation)",
    "Usage: corvane-cli phase-calc [--method 0|1] [--left L --top T --right R --bottom B]\n"
    "                              SOURCE1.flt SOURCE2.flt -o RESULT.flt\n"
    "\n"
    "Combines two float maps as the Phase Calculation tool does. The result has Source 1's size\n"
    "and its x, y and value scales.\n"
    "  --method 0   \"source1 - source2\" (default; also 'difference'): pixel by pixel; Source 2\n"
    "               must be at least Source 1's size and is read over its top-left part\n"
    "  --method 1   \"source1 - Linear(source2)\" (also 'linear'): Source1 - (A x + B y), with the\n"
    "               plane A x + B y fitted by least squares to Source 2 over columns L..R-1 and\n"
    "               rows T..B-1; prints \"A= %20.15f\" and \"B= %20.15f\"\n"
    "  --left --top --right --bottom   the fit rectangle (default: 0, 0, Source 2's width and\n"
    "               height, as the tool sets them when Source 2 is chosen)\n",
    RunPhaseCalc};

} // namespace corvane::cli
