#include "dotgrid/DotGridEncode.h"

#include "dotgrid/DotExtraction.h"
#include "dotgrid/NearestDotIndex.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"

#include <cmath>

namespace corvane {

void BuildEncoderDots(TEncodeSession& session, const TGrayImage& picture, const TEncodeOptions& options) {
    session.Encoder.reset();
    TDotGridEncoderOptions encoderOptions;
    encoderOptions.WhiteGrid = options.WhiteGrid;
    encoderOptions.DrawFlag = false;
    encoderOptions.MaxX = options.MaxX;
    encoderOptions.MaxY = options.MaxY;
    auto encoder = std::make_unique<TDotGridEncoder>(picture, encoderOptions);
    encoder->PauseMs = 0;
    encoder->AutoEvaluate(); // clears the border dots
    encoder->NoiseThreshold = options.LeastArea;
    encoder->RemoveNoise(nullptr);
    encoder->BuildDotTable(nullptr);
    session.Encoder = std::move(encoder);
}

TCodeView Encode(TEncodeSession& session, const TGrayImage& picture, const TEncodeOptions& options) {
    session.Encoded = true;
    std::int32_t origin = -1;
    if (session.Mode == TOriginMode::Automatic) {
        session.Slots = {-1, -1, -1, -1, -1};
        BuildEncoderDots(session, picture, options);
        origin = session.Encoder->FindOriginAuto(options.Method);
        if (origin < 0) {
            session.Mode = TOriginMode::FromPitch;
            throw CorvaneError("Can not automaticly find origin\nYou can give dx & dy or direct set the "
                               "origin\nthen push \"Start Encode Again\" Button ");
        }
    } else {
        if (!session.Encoder) BuildEncoderDots(session, picture, options);
        // A new walk on the same dots starts from a clean table, so an earlier walk's indices do
        // not stop it.
        session.Encoder->ResetCodes();
        if (session.Mode == TOriginMode::FromPitch) {
            const float ratio = options.PitchY / options.PitchX;
            origin = session.Encoder->FindOriginWithRatio(options.Method, ratio);
            if (origin < 0) {
                session.Mode = TOriginMode::Direct;
                throw CorvaneError(
                    "Can not automaticly find origin\nYou Should Point it, \"use Direct Set Origin\"");
            }
        } else {
            const std::int32_t neighbours[4] = {session.Slots[1], session.Slots[2], session.Slots[3],
                                                session.Slots[4]};
            origin = session.Encoder->SetOriginDirect(session.Slots[0], neighbours, options.OriginNx,
                                                      options.OriginNy);
            if (origin < 0) throw CorvaneError("You give the wrong ORIGIN(starting grid)");
        }
    }
    session.Mode = TOriginMode::Automatic;
    session.Encoder->EncodeAll(origin);
    TCodeView view;
    session.Encoder->MarkUncoded(&view);
    return view;
}

std::array<std::int32_t, 5> DirectOriginSlotsAt(const TDotGridEncoder& encoder, float x, float y) {
    std::array<std::int32_t, 5> slots{-1, -1, -1, -1, -1};
    const std::int32_t o = encoder.NearestToPoint(x, y);
    if (o < 0) return slots;
    slots[0] = o;
    const TDotInfo& origin = encoder.FDotInfo[static_cast<std::size_t>(o)];
    float best[4] = {1e20f, 1e20f, 1e20f, 1e20f};
    for (std::int32_t k = 0; k < encoder.FDotSum; ++k) {
        if (k == o) continue;
        const TDotInfo& dot = encoder.FDotInfo[static_cast<std::size_t>(k)];
        const float dx = dot.X - origin.X, dy = dot.Y - origin.Y;
        const std::int32_t d = std::fabs(dx) > std::fabs(dy) ? (dx > 0 ? 0 : 2) : (dy > 0 ? 1 : 3);
        const float distance = SquaredDistance(dot, origin.X, origin.Y);
        if (distance < best[d]) {
            best[d] = distance;
            slots[static_cast<std::size_t>(d) + 1] = k;
        }
    }
    return slots;
}

std::unique_ptr<TDotGridEncoder> EncodePicture(TGrayImage& picture, const TPictureEncode& request) {
    TEncodeOptions options;
    options.WhiteGrid = request.WhiteGrid;
    options.Method = TOriginMethod::CenterGridDot; // what "Encoding" chooses
    options.MaxX = request.MaxX;
    options.MaxY = request.MaxY;
    if (request.Segment == TEncodeSegment::Simple) {
        TSimpleSegmentOptions simple = request.Simple;
        simple.WhiteDots = request.WhiteGrid;
        SegmentSimple(picture, simple);
    } else if (request.Segment == TEncodeSegment::Adaptive) {
        TAdaptiveSegmentOptions adaptive = request.Adaptive;
        adaptive.WhiteDots = request.WhiteGrid;
        SegmentAdaptive(picture, adaptive);
    }
    // "Auto" before "Encode": two thirds of the mean dot area.
    options.LeastArea = EvaluateLeastArea(picture, request.WhiteGrid);

    TEncodeSession session;
    if (request.Origin == TEncodeOrigin::Ratio) {
        session.Mode = TOriginMode::FromPitch;
        options.PitchX = request.PitchX;
        options.PitchY = request.PitchY;
    } else if (request.Origin == TEncodeOrigin::Direct) {
        session.Mode = TOriginMode::Direct;
        BuildEncoderDots(session, picture, options);
        session.Slots = DirectOriginSlotsAt(*session.Encoder, request.OriginX, request.OriginY);
    }
    Encode(session, picture, options);
    session.Encoder->ScaleX = request.ScaleX;
    session.Encoder->ScaleY = request.ScaleY;
    return std::move(session.Encoder);
}

} // namespace corvane
