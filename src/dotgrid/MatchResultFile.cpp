#include "dotgrid/MatchResultFile.h"

#include "dotgrid/TCodeMatch.h"
#include "image/FileUtil.h"

#include <cmath>
#include <numbers>

namespace corvane {

const char* const kMatchResultLayoutNames[8] = {"x y  Theta  R",     "x y  dx     dy",    "x y  dx",
                                                "x y  dy",           "index x y dx   dy", "index x y Theta R",
                                                "nx ny x y dx   dy", "nx ny x y Theta R"};

void ThetaR(float dx, float dy, float& theta, float& r) {
    r = std::sqrt(dx * dx + dy * dy);
    if (dx * dy != 0.0f)
        theta = std::atan2(dy, dx);
    else if (dy == 0.0f)
        theta = dx < 0.0f ? std::numbers::pi_v<float> : 0.0f;
    else
        theta = dy > 0.0f ? std::numbers::pi_v<float> / 2.0f : -std::numbers::pi_v<float> / 2.0f;
}

std::vector<TMatchRow> MatchRows(const TCodeMatch& match, bool changeY) {
    std::vector<TMatchRow> rows;
    rows.reserve(static_cast<std::size_t>(match.MatchCount));
    for (std::int32_t k = 0; k < match.MatchCount; ++k) {
        const std::int32_t i = match.Pairs[static_cast<std::size_t>(k)];
        const TDotInfo& dot = match.Files[0].Dots[static_cast<std::size_t>(i)];
        const float dx = match.Results[static_cast<std::size_t>(k)].Dx;
        const float dy = match.Results[static_cast<std::size_t>(k)].Dy;
        float theta = 0.0f, r = 0.0f;
        ThetaR(dx, dy, theta, r);
        TMatchRow row;
        row.Index = i;
        row.Nx = dot.Nx;
        row.Ny = dot.Ny;
        row.X = dot.X;
        row.Y = changeY ? static_cast<double>(static_cast<float>(match.Height) - dot.Y) : dot.Y;
        row.Dx = dx;
        row.Dy = changeY ? dy : -dy;
        row.Theta = changeY ? theta : -theta;
        row.R = r;
        rows.push_back(row);
    }
    return rows;
}

void WriteMatchResult(const std::string& name, TCodeMatch& match, TMatchResultLayout layout, bool changeY) {
    match.ChangeY = changeY;
    const bool polar = layout == TMatchResultLayout::XYThetaR ||
                       layout == TMatchResultLayout::IndexXYThetaR ||
                       layout == TMatchResultLayout::NxNyXYThetaR;
    const TCodeFile& initial = match.Files[0];
    AtomicTextFile out(name);
    out.Printf("%s\n%s\n", initial.ImageName.c_str(), match.Files[1].ImageName.c_str());
    out.Printf("In this %s, %d dots have been matched\n", name.c_str(), match.MatchCount);
    out.Write(changeY ? " Y axis is set to  Y2= Height-Y\n" : " Y axis is not changed\n");
    static const char* const headers[8] = {
        "       x           y           theta        r\n",
        "     x           y           dx          dy\n",
        "     x           y           dx \n",
        "     x           y          dy\n",
        " index      x           y           dx          dy\n",
        " index       x           y           theta        r\n",
        " Nx    Ny       x           y           dx          dy\n",
        " Nx    Ny      x           y           theta        r\n",
    };
    out.Write(headers[static_cast<std::int32_t>(layout)]);
    for (const TMatchRow& row : MatchRows(match, changeY)) {
        switch (layout) {
        case TMatchResultLayout::XYThetaR:
            out.Printf("%10.3f  %10.3f  %10.3f  %10.3f\n", row.X, row.Y, row.Theta, row.R);
            break;
        case TMatchResultLayout::XYDxDy:
            out.Printf(" %10.3f  %10.3f  %10.3f  %10.3f\n", row.X, row.Y, row.Dx, row.Dy);
            break;
        case TMatchResultLayout::XYDx:
            out.Printf(" %10.3f  %10.3f  %10.3f\n", row.X, row.Y, row.Dx);
            break;
        case TMatchResultLayout::XYDy:
            out.Printf(" %10.3f  %10.3f  %10.3f\n", row.X, row.Y, row.Dy);
            break;
        case TMatchResultLayout::IndexXYDxDy:
            out.Printf("%5d  %10.3f  %10.3f  %10.3f  %10.3f\n", row.Index, row.X, row.Y, row.Dx, row.Dy);
            break;
        case TMatchResultLayout::IndexXYThetaR:
            out.Printf("%5d  %10.3f  %10.3f  %10.3f  %10.3f\n", row.Index, row.X, row.Y, row.Theta, row.R);
            break;
        case TMatchResultLayout::NxNyXYDxDy:
            out.Printf("%5d  %5d   %10.3f  %10.3f  %10.3f  %10.3f\n", row.Nx, row.Ny, row.X, row.Y, row.Dx,
                       row.Dy);
            break;
        case TMatchResultLayout::NxNyXYThetaR:
            out.Printf("%5d  %5d   %10.3f  %10.3f  %10.3f  %10.3f\n", row.Nx, row.Ny, row.X, row.Y, row.Theta,
                       row.R);
            break;
        }
    }
    out.Commit((polar ? "write theta & r result  error \n" : "write result file error \n") + name);
}

} // namespace corvane
