#pragma once
#include <array>
#include <cstddef>
#include <memory>
#include <string>

#include "image/TFloatImage.h"
#include "image/TGrayImage.h"

namespace corvane {

/// The results of the strain tool, in the order of its actions: the four derivatives, the shear
/// strain, the Green-Lagrange components, the principal strains and the equivalent strain.
enum class StrainComponent { Ux, Uy, Vx, Vy, Shear, Exx, Eyy, Exy, E1, E2, Evm };

/// Number of StrainComponent values.
inline constexpr std::size_t kStrainComponentCount = 11;

/// The direction a displacement field is differentiated in: Ux and Vx along x, Uy and Vy along y.
enum class StrainDirection { AlongX, AlongY };

/// Which points of a displacement field take part in its derivatives.
struct StrainMaskOptions {
    bool UseInvalidValue = false; ///< "Invalid value": points holding InvalidValue are invalid
    float InvalidValue = 1000.0f; ///< the correlation's not-computed marker by default
    bool UseMaskFile = false;     ///< "Use Mask File(white=valid)"
    std::string MaskFile;         ///< BMP picture of the field's size; 0 = invalid, anything else valid
};

/// Loads a displacement field; a missing file throws "<fileName>: not exists", a damaged one the
/// FLT reader's message.
std::unique_ptr<TFloatImage> LoadStrainField(const std::string& fileName);

/// The validity mask of a field: the mask picture (when asked for) or a picture of the field's size
/// all 255, with every point holding the invalid value (when asked for) set to 0. A missing mask
/// picture throws "<name>: not exists"; one of another size throws "The mask picture <name> is W x H
/// pixels, not the field's W x H", since it could not be laid over the field.
std::unique_ptr<TGrayImage> MakeStrainMask(const TFloatImage& field, const StrainMaskOptions& options);

/// Derivative of the field along x (with the field's x scale) or along y (with its y scale) by
/// finite differences that respect the mask: the central difference between two valid neighbours,
/// the one-sided difference at a valid point with one invalid neighbour, 0 otherwise and when the
/// two values are equal; the border rows and columns stay 0. The result has the field's size and
/// header x and y scales, value scale 1. A mask of another size throws as MakeStrainMask does.
std::unique_ptr<TFloatImage> ComputeDerivative(const TFloatImage& field, const TGrayImage& mask,
                                               StrainDirection direction);

/// Shear strain (Uy + Vx) / 2 at every point, with the header scales of Vx and value scale 1.
/// Throws "compute uy first" or "compute vx first" when one is missing, and a message when the two
/// maps differ in size.
std::unique_ptr<TFloatImage> ComputeShearStrain(const TFloatImage* uy, const TFloatImage* vx);

/// A result shown as a grey picture: min-max scaled over the valid points (mask not 0), masked
/// points black.
std::unique_ptr<TGrayImage> StrainToGray(const TFloatImage& result, const TGrayImage& mask);

/// The results the strain tool holds between its commands.
class TStrainResults {
  public:
    /// The result, or null when it was not computed.
    const TFloatImage* Find(StrainComponent component) const;
    /// The result; throws "compute Ux first", "compute Uy first", "compute Vx first", "compute Vy
    /// first", "compute shear strain first" or "compute exx first" (eyy, exy, e1, e2, evm) when it
    /// was not computed.
    const TFloatImage& Get(StrainComponent component) const;
    void Set(StrainComponent component, std::unique_ptr<TFloatImage> result);
    /// Computes the shear strain from the held Uy and Vx (the messages of ComputeShearStrain).
    const TFloatImage& ComputeShear();
    /// Writes the result as an FLT file (the messages of Get, then those of the FLT writer).
    void Save(StrainComponent component, const std::string& fileName) const;
    void Clear();

  private:
    std::array<std::unique_ptr<TFloatImage>, kStrainComponentCount> results_;
};

} // namespace corvane
