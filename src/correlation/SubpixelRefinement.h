#pragma once
#include <cstdint>
#include <vector>

#include "correlation/BSplineInterpolation.h"
#include "correlation/LineVector.h"

namespace corvane {

/// What the refinement pass did, point by point; counts of several workers add up.
struct SubpixelCounts {
    std::int64_t Refined = 0;         ///< points whose result is the refined one
    std::int64_t Diverged = 0;        ///< no convergence in kMaxIterations, or the shape ran away
    std::int64_t LeftPicture = 0;     ///< the deformed window reached outside the deformed picture
    std::int64_t PoorCorrelation = 0; ///< final zero-normalised correlation below kPoorCorrelation
    SubpixelCounts& operator+=(const SubpixelCounts& o) {
        Refined += o.Refined;
        Diverged += o.Diverged;
        LeftPicture += o.LeftPicture;
        PoorCorrelation += o.PoorCorrelation;
        return *this;
    }
    bool operator==(const SubpixelCounts&) const = default;
};

/// How the refinement of one point ended.
enum class SubpixelOutcome { Refined, Diverged, LeftPicture, PoorCorrelation };

/// First-order shape of a window: displacement (U, V) of its centre and the four gradients.
struct SubpixelShape {
    double U = 0.0, Ux = 0.0, Uy = 0.0;
    double V = 0.0, Vx = 0.0, Vy = 0.0;
};

/// The arrays one refinement pass reads and writes, all W0 x H0 row by row (the initial picture's
/// size). dx, dy hold the search result on entry (kNotComputed where there is none) and the refined
/// one on return; the four gradient arrays, when not null, receive du/dx, du/dy, dv/dx and dv/dy of
/// every refined point and are left alone elsewhere. The points are those of the rectangle Left ..
/// Right x Up .. Bottom (inclusive, inside the initial picture), numbered row by row from 0.
/// zncc, when not null, receives the final zero-normalised correlation of every refined point, and
/// diverged, when not null, 1 at every point whose refinement diverged; both are left alone elsewhere.
struct SubpixelField {
    float* dx = nullptr;
    float* dy = nullptr;
    float* dudx = nullptr;
    float* dudy = nullptr;
    float* dvdx = nullptr;
    float* dvdy = nullptr;
    std::int32_t Left = 0, Up = 0, Right = -1, Bottom = -1;
    float* zncc = nullptr;
    std::uint8_t* diverged = nullptr;
    std::int64_t PointCount() const {
        if (Right < Left || Bottom < Up) return 0;
        return static_cast<std::int64_t>(Right - Left + 1) * (Bottom - Up + 1);
    }
};

/// Working memory of one worker, owned by the caller and reused from point to point; Refine sizes
/// it on first use, so the per-point loop allocates nothing.
struct SubpixelScratch {
    LineVector<float> f, fx, fy, g; // reference window less its mean, its gradients, deformed samples
};

/// Sub-pixel refinement of correlation results by inverse-compositional Gauss-Newton (Baker and
/// Matthews, "Lucas-Kanade 20 years on: a unifying framework", IJCV 2004; Pan, Li and Tong, "Fast,
/// robust and accurate digital image correlation calculation without redundant computations",
/// Experimental Mechanics 2013): a first-order shape function of the searching window, the
/// zero-normalised sum of squared differences as criterion, the deformed picture read through its
/// interpolating cubic B-spline. Per point, the reference window's gradients and the Gauss-Newton
/// Hessian are computed once; the iteration stops when the shape update moves no window pixel by
/// more than kConvergence pixels, or after kMaxIterations.
///
/// Built once per run; afterwards every method is const and touches only the caller's arrays at
/// the points it is given and the caller's scratch, so workers may refine disjoint point ranges of
/// one field at the same time with one shared object and one scratch each, and the result does not
/// depend on how the points were split.
class SubpixelRefinement {
  public:
    static constexpr double kConvergence = 0.001;
    static constexpr int kMaxIterations = 20;
    static constexpr double kPoorCorrelation = 0.8; ///< lowest zero-normalised correlation kept
    static constexpr double kMaxMove = 1.0;         ///< pixels a refinement may move from its start

    /// Binds the initial picture (W0 x H0, kept by the caller for the object's life), computes its
    /// gradients and the B-spline coefficients of the deformed picture (W1 x H1, copied), for a
    /// winX x winY window: the window is centred on its point, (2 (winX / 2) + 1) x
    /// (2 (winY / 2) + 1) pixels, the searching window itself for odd sizes. Throws std::bad_alloc
    /// when memory runs out.
    SubpixelRefinement(const std::uint8_t* initial, std::int32_t w0, std::int32_t h0,
                       const std::uint8_t* deformed, std::int32_t w1, std::int32_t h1, std::int32_t winX,
                       std::int32_t winY);

    /// Refines the points [begin, end) of the field (see SubpixelField) that have a search result.
    /// A point that diverges, leaves the picture or ends with a poor correlation keeps its search
    /// result and is counted as such; points without a result are skipped and not counted.
    SubpixelCounts Refine(const SubpixelField& field, std::int64_t begin, std::int64_t end,
                          SubpixelScratch& scratch) const;

    /// Refines the point (x, y) of the field (inside the initial picture, with a search result)
    /// from the shape start, storing and counting as Refine does: a point that is not refined
    /// keeps its search result. Refine starts every point from its search result, without gradients.
    SubpixelCounts RefineFrom(const SubpixelField& field, std::int32_t x, std::int32_t y,
                              const SubpixelShape& start, SubpixelScratch& scratch) const;

    /// Refines the window centred at pixel (x, y) of the initial picture, starting from shape; on
    /// Refined, shape holds the result and correlation (when not null) its zero-normalised
    /// correlation, otherwise both are left as given. (x, y) must keep the window inside the initial
    /// picture, else the outcome is LeftPicture.
    SubpixelOutcome RefinePoint(std::int32_t x, std::int32_t y, SubpixelShape& shape,
                                SubpixelScratch& scratch, double* correlation = nullptr) const;

  private:
    const std::uint8_t* f_;
    std::int32_t w0_, h0_;
    std::int32_t hx_, hy_; // half window: the window is (2 hx + 1) x (2 hy + 1) pixels
    std::vector<float> gx_, gy_;
    BSplineCoefficients g_;
};

} // namespace corvane
