#include "correlation/CorRelationTables.h"

#include "correlation/CorRelationResultArrays.h"
#include "image/CFormat.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace corvane {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Point {
    std::int32_t x, y;
};

/// Points offered to the displacement files, all inside the picture: the output grid over the
/// search field (normal run) or the kept seeds in seed order (fast run).
std::vector<Point> CandidatePoints(const TCorRelationResult& r, bool fast) {
    std::vector<Point> points;
    if (fast) {
        for (const TCorRelationSeed& s : r.Seeds)
            if (!s.Removed() && InsideInitial(r, s.X, s.Y)) points.push_back({s.X, s.Y});
        return points;
    }
    const TCorRelationPara& p = r.Para;
    // A grid step below 1 would never leave the search field.
    if (p.GridX < 1 || p.GridY < 1) throw CorvaneError(kCheckParameters);
    // Grid points outside the picture have no value; the grid is walked only where it meets the
    // picture, so a search field far larger than the picture costs nothing.
    auto firstInside = [](std::int64_t start, std::int64_t step) {
        return start >= 0 ? start : start + (-start + step - 1) / step * step;
    };
    const std::int64_t right = std::min<std::int64_t>(p.Right, r.W0 - 1);
    const std::int64_t bottom = std::min<std::int64_t>(p.Bottom, r.H0 - 1);
    for (std::int64_t y = firstInside(p.Up, p.GridY); y <= bottom; y += p.GridY)
        for (std::int64_t x = firstInside(p.Left, p.GridX); x <= right; x += p.GridX)
            points.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
    return points;
}

/// Direction of the displacement (sx, sy) in (-pi, pi]; with the y axis turned up the angle
/// changes sign (pi becomes -pi, 0 becomes -0).
double Theta(float sx, float sy, bool changeY) {
    double theta;
    if (sx != 0.0f && sy != 0.0f)
        theta = std::atan2(static_cast<double>(sy), static_cast<double>(sx));
    else if (sy == 0.0f)
        theta = sx < 0.0f ? kPi : 0.0;
    else
        theta = sy > 0.0f ? kPi / 2.0 : -kPi / 2.0;
    if (changeY) theta = -theta;
    return theta;
}

/// One record of a displacement table: a line break first, a blank at the end.
void AppendRecord(std::string& out, double a, double b, double c, double d) {
    AppendFormatC(out, "\n %8.3f  %8.3f  %6.3f  %6.3f ", a, b, c, d);
}

} // namespace

DisplacementTables FormatDisplacementTables(const TCorRelationResult& r, bool changeY, bool fast, float meanX,
                                            float meanY, const TGrayImage* mask) {
    const TCorRelationPara& p = r.Para;
    DisplacementTables tables;
    // A whole field at grid 1 is a million records, formatted straight into memory.
    for (const Point& pt : CandidatePoints(r, fast)) {
        const std::size_t i = static_cast<std::size_t>(pt.y) * r.W0 + pt.x;
        const float dx = r.dx[i], dy = r.dy[i];
        if (!(std::fabs(dx - meanX) < p.Amplitude && std::fabs(dy - meanY) < p.Amplitude)) continue;
        if (mask && mask->Data[i] != 255) continue;
        if (BelowMinimumCorrelation(r, i)) continue;
        const float X = static_cast<float>(std::int64_t{p.OutLeft} + pt.x) * p.ScaleX;
        const float Y = changeY ? static_cast<float>(r.H0 - (std::int64_t{p.OutUp} + pt.y)) * p.ScaleY
                                : static_cast<float>(std::int64_t{p.OutUp} + pt.y) * p.ScaleY;
        const float sx = dx * p.ScaleX, sy = dy * p.ScaleY;
        const double radius = std::sqrt(static_cast<double>(sx) * sx + static_cast<double>(sy) * sy);
        AppendRecord(tables.XY, X, Y, sx, sy);
        AppendRecord(tables.ThetaR, X, Y, Theta(sx, sy, changeY), radius);
    }
    return tables;
}

} // namespace corvane
