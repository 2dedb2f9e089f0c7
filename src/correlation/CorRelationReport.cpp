#include "correlation/CorRelationReport.h"

#include "correlation/OutputGrid.h"
#include "image/CFormat.h"

#include <ctime>

#include "correlation/CorRelationResultArrays.h"

namespace corvane {

MinimumCorrelationCounts CountBelowMinimum(const TCorRelationResult& r, bool fast) {
    MinimumCorrelationCounts c;
    const auto count = [&](std::size_t i) {
        if (i >= r.dx.size() || i >= r.dy.size() || r.dx[i] == kNotComputed || r.dy[i] == kNotComputed ||
            !BelowMinimumCorrelation(r, i))
            return;
        if (i < r.Diverged.size() && r.Diverged[i] != 0)
            ++c.Diverged;
        else
            ++c.Low;
    };
    if (fast) {
        for (const TCorRelationSeed& s : r.Seeds)
            if (!s.Removed() && InsideInitial(r, s.X, s.Y))
                count(static_cast<std::size_t>(s.Y) * static_cast<std::size_t>(r.W0) +
                      static_cast<std::size_t>(s.X));
    } else {
        for (std::size_t i = 0; i < r.dx.size(); ++i)
            count(i);
    }
    return c;
}

std::string FormatRunReport(const TCorRelationResult& r, bool changeY, bool fast, bool haveMeans, float meanX,
                            float meanY) {
    std::string text;
    const TCorRelationPara& p = r.Para;
    const std::int64_t used = static_cast<std::int64_t>(std::time(nullptr) - r.StartTime);
    if (fast)
        AppendFormatC(text, " \n  Correlation Computation Information \n \t Fast Computing\n");
    else
        AppendFormatC(text, " \n  Correlation Computation Information \n ");
    AppendFormatC(text, " \n     Used time : %s\n ", UsedTimeText(used).c_str());
    if (changeY)
        AppendFormatC(text, " Y axis has been changed to up direction\n");
    else
        AppendFormatC(text, " Y axis still have the down direction\n");
    AppendFormatC(text, " \n Initial Image File: %s ", p.InitialFile.c_str());
    AppendFormatC(text, " \n    Width: %d   Height: %d ", r.W0, r.H0);
    AppendFormatC(text, " \n Deformed Image File: %s ", p.DeformedFile.c_str());
    AppendFormatC(text, " \n    Width: %d   Height: %d \n ", r.W1, r.H1);
    AppendFormatC(text, " \n Whole Image Searching Field: (%d,%d)-->>(%d,%d)", p.Left, p.Up, p.Right,
                  p.Bottom);
    if (fast)
        AppendFormatC(text, " \n\n Fine Image step : 0.25  ");
    else
        AppendFormatC(text, " \n\n Fine Image step : 0.125  ");
    AppendFormatC(text, " \n Fine step around seed: %f ", static_cast<double>(p.SeedPrecision));
    AppendFormatC(text, " \n Seed Searching Field: ");
    AppendFormatC(text, " \n       Width: %d   Height: %d   ", p.WinMoveX, p.WinMoveY);
    AppendFormatC(text, " \n    Large Window Size:  ");
    AppendFormatC(text, " \n       Width: %d   Height: %d ", p.LargeWinX, p.LargeWinY);
    AppendFormatC(text, " \n    Small Window Size:  ");
    AppendFormatC(text, " \n       Width: %d   Height: %d ", p.SearchWinX, p.SearchWinY);
    AppendFormatC(text, " \n The Displacement (x, y)    file is :  %s ", p.XYFile.c_str());
    AppendFormatC(text, " \n       Format(xy): x  y displacement_x  displacement_y \n");
    AppendFormatC(text, " \n The Displacement (theta, r) file is : %s ", p.ThetaRFile.c_str());
    AppendFormatC(text, " \n       Format(r):  x  y displacement_theta(-PI, PI)  displacement_r \n");
    if (!fast) {
        AppendFormatC(text, " \n Output Displacement Grid  : Gridx = %d , Gridy = %d ", p.GridX, p.GridY);
        AppendFormatC(text, " \n Output Displacement Mask File: %s ", p.MaskFile.c_str());
    }
    AppendFormatC(text, " \n\n Actual postion of the Image (LeftUp corner) : ( %d, %d )pixels", p.OutLeft,
                  p.OutUp);
    AppendFormatC(text, " \n Output Scale: x: %8.3f  y:%8.3f ", static_cast<double>(p.ScaleX),
                  static_cast<double>(p.ScaleY));
    const long long successful = fast ? 0 : r.SuccessfulPoints;
    const long long notSearched = fast ? 0 : r.NotSearchedPoints;
    AppendFormatC(
        text,
        " \n All searching:%lld Steps,\n     Successful Searching: %lld Steps \n     Not Searching: %lld ",
        static_cast<long long>(r.AllPoints), successful, notSearched);
    if (!fast && ComputesGridOnly(p)) {
        const OutputGrid g = OutputGridOf(p);
        AppendFormatC(text, " \n Computed only the output grid: %d x %d grid points, %lld computed ",
                      g.Columns, g.Rows, successful);
    }
    if (!fast && p.SubpixelRefinement == 1) {
        const SubpixelCounts& c = r.Refinement;
        AppendFormatC(
            text, " \n Sub-pixel Refinement: inverse-compositional Gauss-Newton, first-order shape function, "
                  "\n     zero-normalised sum of squared differences, bicubic B-spline interpolation ");
        AppendFormatC(
            text,
            " \n     Refined: %lld Points,\n     Kept the search result: %lld diverged, %lld left the "
            "picture, %lld poor correlation (below %4.2f) ",
            static_cast<long long>(c.Refined), static_cast<long long>(c.Diverged),
            static_cast<long long>(c.LeftPicture), static_cast<long long>(c.PoorCorrelation),
            SubpixelRefinement::kPoorCorrelation);
    }
    if (p.MinCorrelation > 0.0f) {
        const MinimumCorrelationCounts c = CountBelowMinimum(r, fast);
        AppendFormatC(text,
                      " \n Minimum Correlation %g: marked not computed %lld points below it, %lld diverged ",
                      static_cast<double>(p.MinCorrelation), static_cast<long long>(c.Low),
                      static_cast<long long>(c.Diverged));
    }
    // Without any seed result there is no mean; the not-computed marker says so.
    if (!haveMeans) meanX = meanY = kNotComputed;
    AppendFormatC(text, " \n The average seed displacement is (%6.3f , %6.3f ),the Amplitude is %7.3f ",
                  static_cast<double>(meanX), static_cast<double>(meanY), static_cast<double>(p.Amplitude));
    if (fast)
        AppendFormatC(text, " \n\n There are(is) %d points(pixels) in the image have been computed:",
                      int(r.Seeds.size()));
    else
        AppendFormatC(text, " \n\n There are(is) %d Seeds in the image:", int(r.Seeds.size()));
    int number = 0;
    for (const TCorRelationSeed& s : r.Seeds) {
        AppendFormatC(text, " \n Seed No.%d Initial(%d,%d)-->> Deformed (%d,%d)", ++number, s.X, s.Y, s.EstX,
                      s.EstY);
        AppendFormatC(text, " \n    Whole Searching Field:( %d ,%d ) -->> (%d , %d ) ", s.Left, s.Up, s.Right,
                      s.Bottom);
    }
    return text;
}

std::string UsedTimeText(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    const std::int64_t h = seconds / 3600;
    const std::int64_t m = (seconds - 3600 * h) / 60;
    const std::int64_t s = seconds - 3600 * h - 60 * m;
    return FormatC("%2lld:%2lld:%2lld", static_cast<long long>(h), static_cast<long long>(m),
                   static_cast<long long>(s));
}

} // namespace corvane
