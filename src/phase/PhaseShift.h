#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "image/LargeBuffer.h"
#include "image/TFloatImage.h"
#include "image/TGrayImage.h"
#include "image/TPhaseImage.h"

namespace corvane {

/// The three phase-shifting methods: three steps of 2 pi / 3, four steps of pi / 2, and four
/// equal steps of unknown size.
enum class PhaseShiftMethod { Const3Step, Const4Step, Equal4Step };

/// Number of step pictures a method needs (3 or 4).
int PhaseShiftStepCount(PhaseShiftMethod method);

/// Numerator and denominator maps of the phase formula, and the wrapped phase bound to them.
/// The three maps lie over one buffer of the result, which every pass overwrites whole, so it is
/// never zero-filled; the phase binding borrows the maps and is declared last, so it goes first.
struct PhaseShiftResult {
    LargeFloatBuffer Values; ///< numerator, denominator and phase values, one after another
    std::unique_ptr<TFloatImage> Numerator;
    std::unique_ptr<TFloatImage> Denominator;
    std::unique_ptr<TFloatImage> PhaseMap; ///< the wrapped phase, also Phase->Phase
    std::unique_ptr<TPhaseImage> Phase;    ///< Phase->Gray is the picture of the phase
};

/// Numerator N and denominator D of the method, per pixel, over the Step 2 picture's extent, from
/// the grey levels I1..I4 (integers, 32-bit arithmetic, then float):
///   Const3Step:  N = (I3 - I2) * 1.7320508,  D = 2 I1 - I2 - I3
///   Const4Step:  N = I4 - I2,                D = I1 - I3
///   Equal4Step:  N = s sqrt|(3 (I2 - I3) - (I1 - I4)) ((I1 - I4) + (I2 - I3))|, s the sign of I1 - I4
///                (+1 for 0),                 D = (I2 + I3) - (I1 + I4)
/// steps holds the pictures in step order (Step 1 first). A picture larger than Step 2's is read
/// over Step 2's extent (its top-left part, each picture with its own row width). Throws
/// CorvaneError when a picture is missing or smaller than Step 2's in either direction (the
/// message names both sizes).
void ComputePhaseShiftTerms(PhaseShiftMethod method, const std::vector<const TGrayImage*>& steps,
                            TFloatImage& numerator, TFloatImage& denominator);

/// The terms and the wrapped phase atan2(N, D) with its grey picture (TPhaseImage rules), as the
/// Compute Phase command makes them. Throws as ComputePhaseShiftTerms, before anything is computed.
PhaseShiftResult ComputePhaseShift(PhaseShiftMethod method, const std::vector<const TGrayImage*>& steps);

/// Save To Float: the phase map takes the image scale (scaleX, scaleY) and the value scale 1.0 and
/// is written as an FLT file, replaced atomically. Throws the FLT writer's message on failure.
void SavePhaseShiftFlt(TFloatImage& phase, float scaleX, float scaleY, const std::string& fileName);

} // namespace corvane
