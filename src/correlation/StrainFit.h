#pragma once
#include "correlation/StrainCompute.h"

#include <memory>

namespace corvane {

/// The two derivatives of one displacement field.
struct FieldDerivatives {
    std::unique_ptr<TFloatImage> AlongX; ///< dF/dx with the field's x scale
    std::unique_ptr<TFloatImage> AlongY; ///< dF/dy with the field's y scale
};

/// Throws "the strain window must be an odd number of at least 3 points, not N" unless the window
/// is odd and at least 3.
void CheckStrainWindow(int window);

/// Both derivatives of the field by a least-squares plane through the valid points (mask not 0,
/// value finite) of the window x window points centred on each point. A point that is invalid
/// itself, or whose window (the part outside the map included) holds fewer than half of its
/// window² points valid, is not computed and holds kNotComputedMarker. The slopes are divided by
/// the field's header x and y scales; the results have the field's size and scales, value scale 1.
/// Running sums keep the work per point independent of the window. Throws what CheckStrainWindow
/// throws and the mask-size message of ComputeDerivative.
FieldDerivatives FitDerivatives(const TFloatImage& field, const TGrayImage& mask, int window);

/// True for the components made of all four derivatives (exx, eyy, exy, e1, e2, evm).
bool IsTensorComponent(StrainComponent component);

/// The shear strain (Uy + Vx) / 2 or a Green-Lagrange component from the four derivative maps:
/// exx = ux + (ux² + vx²)/2, eyy = vy + (uy² + vy²)/2, exy = (uy + vx + ux·uy + vx·vy)/2, the
/// principal strains e1 >= e2 of that tensor, and the equivalent strain
/// sqrt(2/3 (exx² + eyy² + ezz² + 2 exy²)) with ezz = -(exx + eyy). A point where any derivative is
/// not computed (kNotComputedMarker or not finite) is not computed. The result has the size and
/// header scales of ux, value scale 1. Throws a message when the maps differ in size and
/// std::invalid_argument for a derivative component.
std::unique_ptr<TFloatImage> CombineStrain(StrainComponent component, const TFloatImage& ux,
                                           const TFloatImage& uy, const TFloatImage& vx,
                                           const TFloatImage& vy);

/// How a strain component is computed from the U and V fields.
struct StrainRequest {
    StrainComponent Component = StrainComponent::Ux;
    StrainMaskOptions Mask;
    /// 0: the finite differences of ComputeDerivative; else the fitting window of FitDerivatives.
    int FitWindow = 0;
};

/// A computed component and the points it was computed from.
struct StrainResult {
    std::unique_ptr<TFloatImage> Map;
    /// 0 where a field used is invalid (both fields' masks for shear and the tensor components)
    /// and, with a fitting window, where the result is not computed; 255 elsewhere.
    std::unique_ptr<TGrayImage> Mask;
};

/// One component from the field files: a derivative of U (ux, uy) or V (vx, vy), else both fields
/// (shear and the tensor components). Each field is differentiated with its own validity mask
/// (MakeStrainMask). Without a fitting window the derivatives and the shear strain are those of
/// ComputeDerivative and ComputeShearStrain, and the tensor components combine them. Throws the
/// loaders' messages, CheckStrainWindow's and CombineStrain's.
StrainResult ComputeStrainFromFiles(const StrainRequest& request, const std::string& uFile,
                                    const std::string& vFile);
/// The same from fields held in memory; a field the component does not use may be null (a needed
/// one that is null throws "the U field is needed for this component"). The mask file of
/// request.Mask is read when asked for.
StrainResult ComputeStrain(const StrainRequest& request, const TFloatImage* u, const TFloatImage* v);

} // namespace corvane
