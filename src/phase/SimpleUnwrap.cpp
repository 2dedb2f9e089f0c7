#include "phase/SimpleUnwrap.h"

#include "image/CorvaneError.h"
#include "image/FloatMapDisplay.h"
#include "image/TPhaseImage.h"
#include "phase/RegionGrowingUnwrap.h"

#include <algorithm>

namespace corvane {

std::unique_ptr<TFloatImage> CopyFloatImage(const TFloatImage& map) {
    // The values and scales as a shown map copies them, and the rest of the header too.
    auto copy = CopyFloatMap(map);
    copy->HasMask = map.HasMask;
    copy->MaskValue = map.MaskValue;
    copy->FileName = map.FileName;
    copy->MaskFileName = map.MaskFileName;
    copy->Reserved = map.Reserved;
    return copy;
}

std::unique_ptr<TFloatImage> ScanLineUnwrap(const TFloatImage& input, std::int32_t startX,
                                            std::int32_t startY, float coef) {
    CheckStartPoint(input, startX, startY);
    auto output = CopyFloatImage(input);
    // The phase object only borrows the map for the unwrap and leaves it in place.
    TPhaseImage unwrapper(output.get());
    unwrapper.Unwrap(startX, startY, coef);
    return output;
}

void SimpleUnwrapModel::OpenPhase(const std::string& fltFile) {
    auto input = std::make_unique<TFloatImage>(fltFile);
    Output = std::make_unique<TFloatImage>(nullptr, input->Width, input->Height);
    Input = std::move(input);
}

bool SimpleUnwrapModel::MedianInput(std::int32_t n) {
    if (!Input) return false;
    Input->MedianFilter(n, n);
    return true;
}

bool SimpleUnwrapModel::MedianOutput(std::int32_t n) {
    if (!Output) return false;
    Output->MedianFilter(n, n);
    return true;
}

void SimpleUnwrapModel::Unwrap(float coef, std::int32_t startX, std::int32_t startY) {
    if (!Input || !Input->Data) throw CorvaneError("open a phase first");
    Output = ScanLineUnwrap(*Input, startX, startY, coef);
}

} // namespace corvane
