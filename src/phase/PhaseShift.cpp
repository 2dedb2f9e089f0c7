#include "phase/PhaseShift.h"

#include "image/LargeBuffer.h"

#include "image/CorvaneError.h"

#include <cmath>
#include <cstdlib>

namespace corvane {

namespace {

std::string SizeText(const TGrayImage& image) {
    return std::to_string(image.Width) + " x " + std::to_string(image.Height);
}

/// Refuses a missing picture or one smaller than Step 2's, naming both sizes. A larger picture is
/// read over Step 2's extent only.
void CheckSteps(PhaseShiftMethod method, const std::vector<const TGrayImage*>& steps) {
    const std::size_t count = static_cast<std::size_t>(PhaseShiftStepCount(method));
    if (steps.size() != count)
        throw CorvaneError("the phase needs " + std::to_string(count) + " step images, " +
                           std::to_string(steps.size()) + " given");
    for (std::size_t k = 0; k < count; ++k)
        if (!steps[k] || (!steps[k]->Data && steps[k]->Size > 0))
            throw CorvaneError("Step " + std::to_string(k + 1) + " image is missing");
    const TGrayImage& reference = *steps[1];
    for (std::size_t k = 0; k < count; ++k)
        if (steps[k]->Width < reference.Width || steps[k]->Height < reference.Height)
            throw CorvaneError("Step " + std::to_string(k + 1) + " image is " + SizeText(*steps[k]) +
                               ", Step 2 image is " + SizeText(reference) +
                               ": a step image must not be smaller than the Step 2 image");
}

/// Start of row y of a step picture, read with its own row width.
const std::uint8_t* RowOf(const TGrayImage* image, std::int32_t y) {
    return image->Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(image->Width);
}

} // namespace

int PhaseShiftStepCount(PhaseShiftMethod method) {
    return method == PhaseShiftMethod::Const3Step ? 3 : 4;
}

void ComputePhaseShiftTerms(PhaseShiftMethod method, const std::vector<const TGrayImage*>& steps,
                            TFloatImage& numerator, TFloatImage& denominator) {
    CheckSteps(method, steps);
    const std::int32_t width = steps[1]->Width;
    const std::int32_t height = steps[1]->Height;
    for (TFloatImage* map : {&numerator, &denominator})
        if (map->Width != width || map->Height != height || (!map->Data && width > 0 && height > 0))
            throw CorvaneError("the numerator and denominator maps must have the Step 2 image's size");
    const std::size_t w = static_cast<std::size_t>(width);
    // Row by row over Step 2's extent, each picture read with its own row width.
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* i1 = RowOf(steps[0], y);
        const std::uint8_t* i2 = RowOf(steps[1], y);
        const std::uint8_t* i3 = RowOf(steps[2], y);
        const std::uint8_t* i4 = steps.size() > 3 ? RowOf(steps[3], y) : nullptr;
        float* n = numerator.Data + static_cast<std::size_t>(y) * w;
        float* d = denominator.Data + static_cast<std::size_t>(y) * w;
        switch (method) {
        case PhaseShiftMethod::Const3Step:
            for (std::size_t i = 0; i < w; ++i) {
                const std::int32_t a = i1[i], b = i2[i], c = i3[i];
                // 1.7320508 is sqrt(3) to seven decimals, taken as the double literal.
                n[i] = static_cast<float>((c - b) * 1.7320508);
                d[i] = static_cast<float>(2 * a - b - c);
            }
            break;
        case PhaseShiftMethod::Const4Step:
            for (std::size_t i = 0; i < w; ++i) {
                n[i] = static_cast<float>(std::int32_t{i4[i]} - std::int32_t{i2[i]});
                d[i] = static_cast<float>(std::int32_t{i1[i]} - std::int32_t{i3[i]});
            }
            break;
        case PhaseShiftMethod::Equal4Step:
            for (std::size_t i = 0; i < w; ++i) {
                const std::int32_t a = i1[i], b = i2[i], c = i3[i], e = i4[i];
                const std::int32_t outer = a - e;
                const std::int32_t inner = b - c;
                // |product| <= 1020 * 510, well inside 32 bits.
                const std::int32_t product = (3 * inner - outer) * (outer + inner);
                const float root = static_cast<float>(std::sqrt(std::fabs(static_cast<double>(product))));
                n[i] = outer < 0 ? -root : root;
                d[i] = static_cast<float>((b + c) - (a + e));
            }
            break;
        }
    }
}

PhaseShiftResult ComputePhaseShift(PhaseShiftMethod method, const std::vector<const TGrayImage*>& steps) {
    CheckSteps(method, steps);
    const std::int32_t width = steps[1]->Width;
    const std::int32_t height = steps[1]->Height;
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    PhaseShiftResult result;
    result.Values = AllocateLargeFloats(3 * count);
    result.Numerator = std::make_unique<TFloatImage>(result.Values.get(), width, height);
    result.Denominator = std::make_unique<TFloatImage>(result.Values.get() + count, width, height);
    result.PhaseMap = std::make_unique<TFloatImage>(result.Values.get() + 2 * count, width, height);
    ComputePhaseShiftTerms(method, steps, *result.Numerator, *result.Denominator);
    // The binding around the phase map, with D as its real and N as its imaginary source.
    result.Phase = std::make_unique<TPhaseImage>(result.PhaseMap.get());
    result.Phase->Real = result.Denominator.get();
    result.Phase->Imag = result.Numerator.get();
    result.Phase->ComputePhase();
    return result;
}

void SavePhaseShiftFlt(TFloatImage& phase, float scaleX, float scaleY, const std::string& fileName) {
    phase.ScaleX = scaleX;
    phase.ScaleY = scaleY;
    phase.ValueScale = 1.0f;
    phase.SaveFlt(fileName);
}

} // namespace corvane
