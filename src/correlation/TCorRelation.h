#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "correlation/TCorRelationResult.h"

namespace corvane {

class TGrayImage;

/// Digital image correlation between an initial and a deformed grey picture.
/// Seeds are found by exhaustive search and refined to a sub-pixel step, then the whole field is
/// solved by propagation from each seed with a three-level (1/2, 1/4, 1/8 pixel) search.
class TCorRelation {
  public:
    enum class Mode { Normal, Fast };

    /// Loads the pictures, derives the sizes, fills dx, dy with the marker, reserves the work arrays
    /// and lays out the seeds. Fast mode correlates with the large window only (SearchWinX, SearchWinY
    /// of Result().Para become LargeWinX, LargeWinY). Throws "Check your computing parameters, then
    /// start again" for parameters that cannot run (a window or seed count below 1, a precision
    /// outside (0, 1], a search field reaching outside the initial picture, no seed left after
    /// trimming, memory exhausted); a missing picture throws "<name>: not exists"; a mask picture
    /// of another size than the initial picture is refused.
    TCorRelation(const TCorRelationPara& para, Mode mode);
    ~TCorRelation();
    TCorRelation(const TCorRelation&) = delete;
    TCorRelation& operator=(const TCorRelation&) = delete;

    /// Normal mode: seeds, quarter-pixel picture, region propagation, post filter, then the
    /// displacement files and report, and the grey pictures and float maps when asked for.
    /// Throws "Check your computing parameters, then start again" when memory runs out or a result
    /// file cannot be written, or when the engine was built for fast mode or has already run.
    void Run(bool changeY);
    /// Fast mode: the seed grid only, then the fast result files. Throws as Run does.
    void RunFast(bool changeY);

    /// The run's state (dx, dy, seeds, counters), for the writers and for inspection.
    const TCorRelationResult& Result() const { return result_; }

  private:
    void Load();
    void RunSeeds();
    void Propagate(const TCorRelationSeed& seed);
    void PostFilter();

    struct Impl;
    std::unique_ptr<Impl> impl_;
    TCorRelationResult result_;
};

} // namespace corvane
