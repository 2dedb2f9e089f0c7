#include "correlation/StrainCompute.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace corvane {

namespace {

std::string SizeText(std::int32_t width, std::int32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

void CheckMaskSize(const TFloatImage& field, const TGrayImage& mask, const std::string& maskName) {
    if (mask.Width != field.Width || mask.Height != field.Height || (field.PixelCount() > 0 && !mask.Data))
        throw CorvaneError("The mask picture " + maskName + " is " + SizeText(mask.Width, mask.Height) +
                           " pixels, not the field's " + SizeText(field.Width, field.Height));
}

/// Differentiates along one axis. The neighbours of the point at p are p - step and p + step, in
/// the field and in the mask alike; along x step is 1, along y it is the row length.
void Differentiate(const TFloatImage& field, const std::uint8_t* mask, float* out, std::size_t step,
                   float scale) {
    const std::size_t width = static_cast<std::size_t>(field.Width);
    for (std::int32_t y = 1; y < field.Height - 1; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * width;
        const float* f = field.Data + row;
        const std::uint8_t* m = mask + row;
        float* r = out + row;
        for (std::size_t x = 1; x + 1 < width; ++x) {
            float a = f[x - step], b = f[x + step];
            int d = 2;
            if (m[x - step] == 0) {
                a = f[x];
                d = 1;
            }
            if (m[x + step] == 0) {
                b = f[x];
                d = 1;
            }
            // A point with one invalid neighbour is differentiated one-sidedly only when it is
            // valid itself; with both neighbours invalid a == b and the point stays 0.
            if (a != b && (d != 1 || m[x] != 0)) r[x] = (b - a) / (static_cast<float>(d) * scale);
        }
    }
}

const char* const kNotComputed[] = {"compute Ux first",  "compute Uy first",           "compute Vx first",
                                    "compute Vy first",  "compute shear strain first", "compute exx first",
                                    "compute eyy first", "compute exy first",          "compute e1 first",
                                    "compute e2 first",  "compute evm first"};

std::size_t IndexOf(StrainComponent component) {
    return static_cast<std::size_t>(component);
}

} // namespace

std::unique_ptr<TFloatImage> LoadStrainField(const std::string& fileName) {
    if (!FileExists(fileName)) throw CorvaneError(fileName + ": not exists");
    return std::make_unique<TFloatImage>(fileName);
}

std::unique_ptr<TGrayImage> MakeStrainMask(const TFloatImage& field, const StrainMaskOptions& options) {
    std::unique_ptr<TGrayImage> mask;
    if (options.UseMaskFile) {
        mask = std::make_unique<TGrayImage>(options.MaskFile);
        CheckMaskSize(field, *mask, options.MaskFile);
    } else {
        mask = std::make_unique<TGrayImage>(nullptr, field.Width, field.Height);
        std::fill(mask->Data, mask->Data + mask->Size, std::uint8_t{255});
    }
    if (options.UseInvalidValue && field.Data) {
        const std::size_t n = field.PixelCount();
        for (std::size_t i = 0; i < n; ++i)
            if (field.Data[i] == options.InvalidValue) mask->Data[i] = 0;
    }
    return mask;
}

std::unique_ptr<TFloatImage> ComputeDerivative(const TFloatImage& field, const TGrayImage& mask,
                                               StrainDirection direction) {
    CheckMaskSize(field, mask, mask.FileName);
    auto result = std::make_unique<TFloatImage>(nullptr, field.Width, field.Height);
    result->ScaleX = field.ScaleX;
    result->ScaleY = field.ScaleY;
    result->ValueScale = 1.0f;
    if (!field.Data || field.Width < 3 || field.Height < 3) return result;
    if (direction == StrainDirection::AlongX)
        Differentiate(field, mask.Data, result->Data, 1, field.ScaleX);
    else
        Differentiate(field, mask.Data, result->Data, static_cast<std::size_t>(field.Width), field.ScaleY);
    return result;
}

std::unique_ptr<TFloatImage> ComputeShearStrain(const TFloatImage* uy, const TFloatImage* vx) {
    if (!uy) throw CorvaneError("compute uy first");
    if (!vx) throw CorvaneError("compute vx first");
    // U and V of different sizes cannot be combined point by point.
    if (uy->Width != vx->Width || uy->Height != vx->Height)
        throw CorvaneError("Uy is " + SizeText(uy->Width, uy->Height) + " points and Vx " +
                           SizeText(vx->Width, vx->Height) + ": the U and V fields must have the same size");
    auto shear = std::make_unique<TFloatImage>(nullptr, vx->Width, vx->Height);
    shear->ScaleX = vx->ScaleX;
    shear->ScaleY = vx->ScaleY;
    shear->ValueScale = 1.0f;
    if (!uy->Data || !vx->Data) return shear;
    const std::size_t n = shear->PixelCount();
    for (std::size_t i = 0; i < n; ++i)
        shear->Data[i] = (uy->Data[i] + vx->Data[i]) / 2.0f;
    return shear;
}

std::unique_ptr<TGrayImage> StrainToGray(const TFloatImage& result, const TGrayImage& mask) {
    CheckMaskSize(result, mask, mask.FileName);
    // The float map's grey conversion takes part only where the mask is 255, while the strain mask
    // calls every non-zero level valid.
    TGrayImage valid(nullptr, mask.Width, mask.Height);
    for (std::int32_t i = 0; i < mask.Size; ++i)
        valid.Data[i] = mask.Data[i] != 0 ? 255 : 0;
    std::unique_ptr<TGrayImage> gray;
    result.ToGrayImage(gray, valid);
    return gray;
}

const TFloatImage* TStrainResults::Find(StrainComponent component) const {
    return results_[IndexOf(component)].get();
}

const TFloatImage& TStrainResults::Get(StrainComponent component) const {
    const TFloatImage* result = Find(component);
    if (!result) throw CorvaneError(kNotComputed[IndexOf(component)]);
    return *result;
}

void TStrainResults::Set(StrainComponent component, std::unique_ptr<TFloatImage> result) {
    results_[IndexOf(component)] = std::move(result);
}

const TFloatImage& TStrainResults::ComputeShear() {
    Set(StrainComponent::Shear, ComputeShearStrain(Find(StrainComponent::Uy), Find(StrainComponent::Vx)));
    return Get(StrainComponent::Shear);
}

void TStrainResults::Save(StrainComponent component, const std::string& fileName) const {
    Get(component).SaveFlt(fileName);
}

void TStrainResults::Clear() {
    for (auto& result : results_)
        result.reset();
}

} // namespace corvane
