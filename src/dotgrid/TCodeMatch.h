#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dotgrid/CodeFile.h"

namespace corvane {

/// The displacement of one matched dot, in the code files' scaled units: dx to the right, dy up the
/// picture (initial y minus deformed y).
struct TMatchDisplacement {
    float Dx = 0.0f, Dy = 0.0f;
};

/// The dot-by-dot match of an initial and a deformed code file through their grid indices.
class TCodeMatch {
  public:
    bool ChangeY = true;                         ///< "Change Y axis" of the last save
    TCodeFile Files[2];                          ///< 0: initial, 1: deformed
    std::int32_t Width = 0, Height = 0;          ///< picture size of the deformed file (read last)
    std::int32_t CommonMaxX = 0, CommonMaxY = 0; ///< the smaller half ranges of the two files
    std::vector<std::int32_t> Pairs;             ///< per match, the initial file's row number
    std::vector<TMatchDisplacement> Results;     ///< per match
    std::int32_t MatchCount = 0;

    /// Reads the initial file, then the deformed one (ReadCodeFile's messages), and matches them.
    TCodeMatch(const std::string& initialName, const std::string& deformedName);
    /// The same for code files already read (ParseCodeFile).
    TCodeMatch(TCodeFile initial, TCodeFile deformed);

    /// Every grid index of the common range held by a dot in both files, ny outer and nx inner,
    /// both ascending, gives one match; both dots are marked matched. Throws " No enough memory
    /// to allocate to save the match result" when the tables cannot be made.
    void Match();
};

} // namespace corvane
