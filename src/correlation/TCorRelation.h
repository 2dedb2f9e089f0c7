#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "correlation/CorRelationOptions.h"
#include "correlation/TCorRelationResult.h"

namespace corvane {

class TGrayImage;

/// Digital image correlation between an initial and a deformed grey picture.
/// Seeds are found by exhaustive search and refined to a sub-pixel step, then the whole field is
/// solved by propagation from each seed with a three-level (1/2, 1/4, 1/8 pixel) search.
///
/// The work runs on the shared correlation pool (CorRelationOptions::Threads lanes); the numbers,
/// and so the files, are the same bit for bit for every number of lanes.
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
    TCorRelation(const TCorRelationPara& para, Mode mode, CorRelationOptions options = {});
    /// The same with the pictures handed in (a script holding them in memory) instead of read from
    /// InitialFile and DeformedFile, which are then not used; both must hold pixels.
    TCorRelation(const TCorRelationPara& para, Mode mode, CorRelationOptions options,
                 std::unique_ptr<TGrayImage> initial, std::unique_ptr<TGrayImage> deformed);
    ~TCorRelation();
    TCorRelation(const TCorRelation&) = delete;
    TCorRelation& operator=(const TCorRelation&) = delete;

    /// Computes the displacement field without writing anything. Normal mode: seeds, quarter-pixel
    /// picture, region propagation, post filter; fast mode: the seed grid only. Throws
    /// CorRelationCancelled when the options' stop token asks to stop, "Check your computing
    /// parameters, then start again" when memory runs out or the engine has already computed.
    void Compute();
    /// Writes the result files of a computed run: the displacement files and report, and in normal
    /// mode the grey pictures and float maps when asked for. Throws "Check your computing
    /// parameters, then start again" when a file cannot be written or nothing was computed.
    void WriteFiles(bool changeY);

    /// Normal mode: Compute, then WriteFiles. Throws as they do, and when the engine was built for
    /// fast mode.
    void Run(bool changeY);
    /// Fast mode: Compute, then WriteFiles. Throws as Run does.
    void RunFast(bool changeY);

    /// The run's state (dx, dy, seeds, counters), for the writers and for inspection.
    const TCorRelationResult& Result() const { return result_; }

  private:
    struct Region;
    struct Lane;

    void Load();
    void ComputeSeeds();
    void BuildQuarterPixelImage();
    /// Walks the regions (in walk indices) from their start points; visit(lane, x, y, nx, ny)
    /// computes point (x, y) from its neighbour (nx, ny), in pixels.
    void PropagateTogether(const std::vector<Region>& regions);
    std::vector<Region> DenseRegions() const;
    std::vector<Region> GridRegions() const;
    void VisitDense(Lane& lane, std::int32_t x, std::int32_t y, std::int32_t nx, std::int32_t ny);
    void VisitGrid(Lane& lane, std::int32_t x, std::int32_t y, std::int32_t nx, std::int32_t ny);
    void RefineGridPoint(Lane& lane, std::int32_t x, std::int32_t y, const SubpixelShape& start);
    /// Whether the run keeps each point's correlation (a minimum is set, or the float maps are on).
    bool CorrelationMapWanted() const;
    void FillCorrelationMap();
    void RefineSubpixel();
    void PostFilter();
    /// Grid-only run: the post filter over the grid (its window counts grid points), and every
    /// point off the grid marked, so the arrays hold the grid and nothing else.
    void PostFilterGrid();
    /// Runs body(lane, part) for every part on the run's lanes of the shared pool, checking the stop
    /// token before each part. A per-point pass over the computed field (for example a sub-pixel
    /// refinement between the search and the post filter) runs through here, rows or blocks as parts.
    void RunParts(int parts, const std::function<void(int lane, int part)>& body);
    void CheckStop() const;
    void ReportProgress(std::int64_t done);

    struct Impl;
    class StageClock;
    std::unique_ptr<Impl> impl_;
    TCorRelationResult result_;
};

} // namespace corvane
