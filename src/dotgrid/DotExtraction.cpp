#include "dotgrid/DotExtraction.h"

#include "dotgrid/TDotGridEncoder.h"
#include "image/TGrayImage.h"

namespace corvane {

std::int32_t EvaluateLeastArea(const TGrayImage& segmented, bool whiteDots) {
    TDotGridEncoderOptions options;
    options.WhiteGrid = whiteDots;
    TDotGridEncoder encoder(segmented, options);
    return 2 * encoder.AutoEvaluate() / 3;
}

std::vector<TDotInfo> ExtractDots(const TGrayImage& segmented, const TDotExtractionOptions& options) {
    TDotGridEncoderOptions encoderOptions;
    encoderOptions.WhiteGrid = options.WhiteDots;
    TDotGridEncoder encoder(segmented, encoderOptions);
    const std::int32_t mean = encoder.AutoEvaluate();
    encoder.NoiseThreshold = options.LeastArea ? *options.LeastArea : 2 * mean / 3;
    encoder.RemoveNoise(nullptr);
    encoder.BuildDotTable(nullptr);
    encoder.FDotInfo.resize(static_cast<std::size_t>(encoder.FDotIndex));
    return std::move(encoder.FDotInfo);
}

} // namespace corvane
