#include "app/cli/CliVerb.h"
#include "correlation/StrainCompute.h"

namespace corvane::cli {

namespace {

StrainComponent ParseComponent(const std::string& text) {
    if (text == "ux") return StrainComponent::Ux;
    if (text == "uy") return StrainComponent::Uy;
    if (text == "vx") return StrainComponent::Vx;
    if (text == "vy") return StrainComponent::Vy;
    if (text == "shear") return StrainComponent::Shear;
    throw UsageError("--component: '" + text + "' is not one of ux, uy, vx, vy, shear");
}

/// The derivative of one field file, with the field's own validity mask.
std::unique_ptr<TFloatImage> Derivative(const std::string& fieldFile, const StrainMaskOptions& maskOptions,
                                        StrainDirection direction) {
    const std::unique_ptr<TFloatImage> field = LoadStrainField(fieldFile);
    const std::unique_ptr<TGrayImage> mask = MakeStrainMask(*field, maskOptions);
    return ComputeDerivative(*field, *mask, direction);
}

int RunStrain(CliArgs& args) {
    const auto componentText = args.Value("--component");
    if (!componentText) throw UsageError("the component is missing (--component ux|uy|vx|vy|shear)");
    const StrainComponent component = ParseComponent(*componentText);
    StrainMaskOptions maskOptions;
    if (const auto invalid = args.Value("--invalid")) {
        maskOptions.UseInvalidValue = true;
        maskOptions.InvalidValue = static_cast<float>(CliArgs::ParseDouble("--invalid", *invalid));
    }
    if (const auto maskFile = args.Value("--mask")) {
        maskOptions.UseMaskFile = true;
        maskOptions.MaskFile = *maskFile;
    }
    const std::string output = args.Output();
    const std::vector<std::string> maps = args.Positionals(1, 2);
    if (component == StrainComponent::Shear && maps.size() != 2)
        throw UsageError("the shear strain needs both the U and the V map");
    const std::string& uFile = maps.front();
    const std::string& vFile = maps.back(); // the single map given serves as V for vx and vy

    TStrainResults results;
    switch (component) {
    case StrainComponent::Ux:
        results.Set(component, Derivative(uFile, maskOptions, StrainDirection::AlongX));
        break;
    case StrainComponent::Uy:
        results.Set(component, Derivative(uFile, maskOptions, StrainDirection::AlongY));
        break;
    case StrainComponent::Vx:
        results.Set(component, Derivative(vFile, maskOptions, StrainDirection::AlongX));
        break;
    case StrainComponent::Vy:
        results.Set(component, Derivative(vFile, maskOptions, StrainDirection::AlongY));
        break;
    case StrainComponent::Shear:
        results.Set(StrainComponent::Uy, Derivative(uFile, maskOptions, StrainDirection::AlongY));
        results.Set(StrainComponent::Vx, Derivative(vFile, maskOptions, StrainDirection::AlongX));
        results.ComputeShear();
        break;
    }
    results.Save(component, output);
    return 0;
}

} // namespace

extern const Verb kStrainVerb = {
    "strain", "a displacement derivative or the shear strain of U and V float maps",
    "Usage: corvane-cli strain U.flt [V.flt] -o OUT.flt --component ux|uy|vx|vy|shear\n"
    "                          [--invalid VALUE] [--mask MASK.bmp]\n"
    "\n"
    "Computes one result of the strain tool and saves it as an FLT map of the field's size and\n"
    "header x and y scales (value scale 1):\n"
    "  ux, uy   dU/dx, dU/dy of U.flt\n"
    "  vx, vy   dV/dx, dV/dy of V.flt (or of the single map given)\n"
    "  shear    (Uy + Vx) / 2; needs both maps, of the same size\n"
    "Derivatives are finite differences divided by the field's header scale of that axis: central\n"
    "between two valid neighbours, one-sided at a valid point next to an invalid one, 0 at points\n"
    "between two invalid neighbours or with equal neighbour values; border rows and columns are 0.\n"
    "\n"
    "Options:\n"
    "  --component C     which result (required)\n"
    "  --invalid VALUE   points holding VALUE are invalid (the tool's \"Invalid value\"; off by\n"
    "                    default; 1000 is the correlation's not-computed marker)\n"
    "  --mask MASK.bmp   a picture of the field's size; black points are invalid (off by default)\n"
    "  -o OUT.flt        the result map\n"
    "\n"
    "Example: corvane-cli strain dx.flt -o ux.flt --component ux --invalid 1000\n",
    RunStrain};

} // namespace corvane::cli
