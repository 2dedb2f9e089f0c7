#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

class TCodeMatch;

/// The eight column layouts of "Select Result Type", in the order of its list.
enum class TMatchResultLayout : std::int32_t {
    XYThetaR = 0,      ///< "x y  Theta  R"
    XYDxDy = 1,        ///< "x y  dx     dy"
    XYDx = 2,          ///< "x y  dx"
    XYDy = 3,          ///< "x y  dy"
    IndexXYDxDy = 4,   ///< "index x y dx   dy"
    IndexXYThetaR = 5, ///< "index x y Theta R"
    NxNyXYDxDy = 6,    ///< "nx ny x y dx   dy"
    NxNyXYThetaR = 7,  ///< "nx ny x y Theta R"
};

/// The list texts of "Select Result Type", indexed by layout.
extern const char* const kMatchResultLayoutNames[8];

/// Direction and length of a displacement: r = sqrt(dx² + dy²); theta = atan2(dy, dx) when
/// dx·dy != 0, else pi or 0 along x (dy = 0) and +-pi/2 along y; single precision.
void ThetaR(float dx, float dy, float& theta, float& r);

/// "Save Match": writes the match as a text table in the layout, after the two image names, the
/// match count and the Y-axis line; match.ChangeY is set to changeY first. With changeY the rows
/// give Y = height - y (pixels of the header's height) and the displacement up the picture;
/// without, Y = y and the displacement down the picture. The file is replaced atomically. Throws
/// "write theta & r result  error \n" + name (layouts with theta and r) or "write result file
/// error \n" + name (the others) when it cannot be written.
/// One row of a match table: the initial file's dot (row number, indices, centre) and its
/// displacement, with theta and r (ThetaR). With changeY, y = height - y and dy, theta point up the
/// picture; without, y as read and dy, theta down the picture.
struct TMatchRow {
    std::int32_t Index = 0, Nx = 0, Ny = 0;
    double X = 0.0, Y = 0.0, Dx = 0.0, Dy = 0.0, Theta = 0.0, R = 0.0;
};

/// The rows "Save Match" writes, in match order.
std::vector<TMatchRow> MatchRows(const TCodeMatch& match, bool changeY);

void WriteMatchResult(const std::string& name, TCodeMatch& match, TMatchResultLayout layout, bool changeY);

} // namespace corvane
