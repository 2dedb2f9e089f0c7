#include "app/cli/CliVerb.h"
#include "correlation/StrainFit.h"

namespace corvane::cli {

namespace {

struct ComponentName {
    const char* Text;
    StrainComponent Component;
};

constexpr ComponentName kComponents[] = {
    {"ux", StrainComponent::Ux},   {"uy", StrainComponent::Uy},       {"vx", StrainComponent::Vx},
    {"vy", StrainComponent::Vy},   {"shear", StrainComponent::Shear}, {"exx", StrainComponent::Exx},
    {"eyy", StrainComponent::Eyy}, {"exy", StrainComponent::Exy},     {"e1", StrainComponent::E1},
    {"e2", StrainComponent::E2},   {"evm", StrainComponent::Evm}};

StrainComponent ParseComponent(const std::string& text) {
    for (const ComponentName& name : kComponents)
        if (text == name.Text) return name.Component;
    throw UsageError("--component: '" + text +
                     "' is not one of ux, uy, vx, vy, shear, exx, eyy, exy, e1, e2, evm");
}

int RunStrain(CliArgs& args) {
    const auto componentText = args.Value("--component");
    if (!componentText) throw UsageError("the component is missing (--component ux|uy|vx|vy|shear|exx|...)");
    StrainRequest request;
    request.Component = ParseComponent(*componentText);
    if (const auto window = args.Value("--fit-window")) {
        request.FitWindow = CliArgs::ParseInt("--fit-window", *window);
        if (request.FitWindow < 3 || request.FitWindow % 2 == 0)
            throw UsageError("--fit-window takes an odd number of at least 3 points");
        // The fit leaves out the correlation's not-computed points unless another value is named.
        request.Mask.UseInvalidValue = true;
    }
    if (const auto invalid = args.Value("--invalid")) {
        request.Mask.UseInvalidValue = true;
        request.Mask.InvalidValue = static_cast<float>(CliArgs::ParseDouble("--invalid", *invalid));
    }
    if (const auto maskFile = args.Value("--mask")) {
        request.Mask.UseMaskFile = true;
        request.Mask.MaskFile = *maskFile;
    }
    const std::string output = args.Output();
    const std::vector<std::string> maps = args.Positionals(1, 2);
    const bool bothFields =
        request.Component == StrainComponent::Shear || IsTensorComponent(request.Component);
    if (bothFields && maps.size() != 2)
        throw UsageError("the " + *componentText + " strain needs both the U and the V map");
    // The single map given serves as V for vx and vy.
    StrainResult result = ComputeStrainFromFiles(request, maps.front(), maps.back());
    result.Map->SaveFlt(output);
    return 0;
}

} // namespace

extern const Verb kStrainVerb = {
    "strain",
    "a displacement derivative, the shear strain or a strain tensor component of U and V float maps",
    "Usage: corvane-cli strain U.flt [V.flt] -o OUT.flt --component C [--fit-window N]\n"
    "                          [--invalid VALUE] [--mask MASK.bmp]\n"
    "\n"
    "Computes one result of the strain tool and saves it as an FLT map of the field's size and\n"
    "header x and y scales (value scale 1):\n"
    "  ux, uy   dU/dx, dU/dy of U.flt\n"
    "  vx, vy   dV/dx, dV/dy of V.flt (or of the single map given)\n"
    "  shear    (Uy + Vx) / 2\n"
    "  exx, eyy, exy   Green-Lagrange strains: exx = ux + (ux^2 + vx^2)/2,\n"
    "                  eyy = vy + (uy^2 + vy^2)/2, exy = (uy + vx + ux*uy + vx*vy)/2\n"
    "  e1, e2   principal strains of that tensor (e1 >= e2)\n"
    "  evm      equivalent strain sqrt(2/3 (exx^2 + eyy^2 + ezz^2 + 2 exy^2)), ezz = -(exx + eyy)\n"
    "shear and the strains from exx on need both maps, of the same size.\n"
    "Without --fit-window derivatives are finite differences divided by the field's header scale of\n"
    "that axis: central between two valid neighbours, one-sided at a valid point next to an invalid\n"
    "one, 0 at points between two invalid neighbours or with equal neighbour values; border rows\n"
    "and columns are 0.\n"
    "With --fit-window N a least-squares plane through the valid points of the N x N points around\n"
    "each point gives both derivatives (divided by the header scales); a point that is invalid\n"
    "itself or whose window holds fewer than half of its N x N points valid is not computed and\n"
    "holds 1000, as does every strain computed from it.\n"
    "\n"
    "Options:\n"
    "  --component C     which result (required)\n"
    "  --fit-window N    odd N >= 3: fit over N x N points (off by default: finite differences)\n"
    "  --invalid VALUE   points holding VALUE are invalid (the tool's \"Invalid value\"; off by\n"
    "                    default, 1000 with --fit-window; 1000 is the correlation's not-computed\n"
    "                    marker)\n"
    "  --mask MASK.bmp   a picture of the field's size; black points are invalid (off by default)\n"
    "  -o OUT.flt        the result map\n"
    "\n"
    "Example: corvane-cli strain dx.flt dy.flt -o exx.flt --component exx --fit-window 15\n",
    RunStrain};

} // namespace corvane::cli
