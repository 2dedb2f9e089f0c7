#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "dotgrid/TDotGridEncoder.h"
#include "dotgrid/TThresholdSegment.h"

namespace corvane {

class TGrayImage;

/// How the next encode finds its origin; moves Automatic -> FromPitch -> Direct on failures and
/// back to Automatic after any success.
enum class TOriginMode : std::int32_t {
    Automatic = 1, ///< build the dot table and search the origin by the method
    FromPitch = 0, ///< the origin's neighbours predicted from the given pitches ("Set dx dy")
    Direct = -1,   ///< origin and neighbours given by dot number ("Set Origin")
};

/// The encode window's controls.
struct TEncodeOptions {
    std::int32_t LeastArea = 100;                        ///< "The Least Grid Area"
    TOriginMethod Method = TOriginMethod::CenterGridDot; ///< "Automatic Choose Origin Method"
    bool WhiteGrid = true;                               ///< "White Grid"
    float PitchX = 0.0f, PitchY = 0.0f;                  ///< "Set dx dy": DxEdit, DyEdit
    std::int32_t OriginNx = 0, OriginNy = 0;             ///< "Set Origin": indices of the direct origin
    std::int32_t MaxX = 50, MaxY = 50;                   ///< the window's coordinate range ("Max X", "Max Y")
};

/// What a document window keeps for encoding.
struct TEncodeSession {
    std::unique_ptr<TDotGridEncoder> Encoder; ///< none until the first encode
    TOriginMode Mode = TOriginMode::Automatic;
    /// "Set Origin" slots: the origin, then its neighbours in directions 0..3 (Right, down, Left, Up).
    std::array<std::int32_t, 5> Slots{-1, -1, -1, -1, -1};
    bool Encoded = false; ///< picking is active once an encode has been started
};

/// The first half of an automatic encode: a new encoder on the picture (drawing off, pause 0), the
/// border dots cleared, components below options.LeastArea removed and the dot table built.
/// Throws the extraction messages.
void BuildEncoderDots(TEncodeSession& session, const TGrayImage& picture, const TEncodeOptions& options);

/// "Encode" and both "Start Encode Again": finds the origin the session's mode asks for, walks the
/// net and returns the picture to show (the cleaned picture, dots left out in red and labelled).
/// Automatic mode builds the dot table anew (slots cleared); the other modes reuse the table of the
/// last run (built first when there is none) after forgetting its codes. On a failed origin search
/// the mode moves on and the message is thrown: "Can not automaticly find origin\nYou can give dx &
/// dy or direct set the origin\nthen push \"Start Encode Again\" Button " (automatic, mode becomes
/// FromPitch), "Can not automaticly find origin\nYou Should Point it, \"use Direct Set Origin\""
/// (pitches, mode becomes Direct), "You give the wrong ORIGIN(starting grid)" (direct). The walk's
/// messages end it likewise, the indices given so far kept.
TCodeView Encode(TEncodeSession& session, const TGrayImage& picture, const TEncodeOptions& options);

/// Slots for a direct origin at a point, as a user fills them by clicking: the dot nearest to
/// (x, y), then for each direction the nearest other dot lying that way (right, down, left, up:
/// along x when |dx| > |dy|, else along y); -1 where there is none.
std::array<std::int32_t, 5> DirectOriginSlotsAt(const TDotGridEncoder& encoder, float x, float y);

/// How a picture is segmented before it is encoded: not at all (it is segmented already: background
/// 0, or 255 for a black grid), at one level ("Simple Segment") or per window ("Multi Segment").
enum class TEncodeSegment { None, Simple, Adaptive };

/// Where the origin of a picture encode comes from: the centre grid dot with its neighbours found
/// from the nearest dot, the same origin with neighbours predicted from the pitches, or the dot
/// nearest to a point with the nearest dots that way as neighbours (indices (0, 0)).
enum class TEncodeOrigin { Auto, Ratio, Direct };

/// An encode of a whole picture in one call, as "Encoding" runs with the least area of "Auto".
struct TPictureEncode {
    bool WhiteGrid = true;
    TEncodeSegment Segment = TEncodeSegment::None;
    TSimpleSegmentOptions Simple;     ///< its WhiteDots follows WhiteGrid
    TAdaptiveSegmentOptions Adaptive; ///< likewise
    TEncodeOrigin Origin = TEncodeOrigin::Auto;
    float PitchX = 0.0f, PitchY = 0.0f;   ///< Ratio: the pitches along x and y (or their proportion)
    float OriginX = 0.0f, OriginY = 0.0f; ///< Direct: the point in pixels
    std::int32_t MaxX = 50, MaxY = 50;    ///< half ranges of the grid indices, not negative
    float ScaleX = 1.0f, ScaleY = 1.0f;   ///< image scale of the code file
};

/// Segments the picture in place when asked, leaves out dots below two thirds of the mean dot area,
/// finds the origin and walks the net; the encoder returned holds the codes (WriteCodeFile,
/// CodeRows). Throws the extraction, origin and walk messages.
std::unique_ptr<TDotGridEncoder> EncodePicture(TGrayImage& picture, const TPictureEncode& request);

} // namespace corvane
