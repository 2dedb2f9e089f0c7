#include "correlation/TCorRelation.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <ctime>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "correlation/CorRelationMaps.h"
#include "correlation/CorRelationParaCheck.h"
#include "correlation/CorRelationPool.h"
#include "correlation/CorRelationPostFilter.h"
#include "correlation/CorRelationResultArrays.h"
#include "correlation/CorRelationResults.h"
#include "correlation/CorRelationSearch.h"
#include "correlation/CorRelationSeeds.h"
#include "correlation/OutputGrid.h"
#include "correlation/PointCorrelation.h"
#include "correlation/QuarterPixelImage.h"
#include "correlation/SubpixelRefinement.h"
#include "image/CorvaneError.h"
#include "image/TGrayImage.h"

namespace corvane {

namespace {

[[noreturn]] void RefuseParameters() {
    throw CorvaneError(kCheckParameters);
}

// Parameters that cannot describe a run are refused before anything is loaded or allocated.
void CheckParameters(const TCorRelationPara& p, TCorRelation::Mode mode) {
    if (FindParaFault(p, mode == TCorRelation::Mode::Fast)) RefuseParameters();
}

} // namespace

// One seed's region as the propagation walks it: the seed row from the seed outward to both sides,
// then the rows below and the rows above, each row from the seed row outward. A point's prediction
// comes from the point before it in its chain along the seed row, or from the point above (rows
// below) or below (rows above) it: every row depends on the row before it only.
// The walk bounds are walk indices: pixels in a dense run, grid columns and rows in a grid-only run,
// where the walk starts at the grid point nearest the seed (its anchor) instead of the seed.
struct TCorRelation::Region {
    std::int32_t Sx = 0, Sy = 0;
    std::int32_t Left = 0;             // first x of the rows above and below: L
    std::int32_t RowEnd = 0;           // last x of a row: min(R, W0 - hx)
    std::int32_t BelowEnd = 0;         // last row below: min(B, H0 - hy)
    std::int32_t AboveEnd = 0;         // last row above: max(T, hy)
    std::int32_t SeedRowLeftEnd = 0;   // last x of the leftward chain: max(L, hx)
    std::int32_t SeedX = 0, SeedY = 0; // the seed, in pixels
    std::int32_t Top = 0, Bottom = 0;  // every row read or written, in pixels
    std::int32_t First = 0, Last = 0;  // every column read or written, in pixels

    bool Overlaps(const Region& o) const {
        return First <= o.Last && o.First <= Last && Top <= o.Bottom && o.Top <= Bottom;
    }
};

// A lane's buffers and counters, on their own cache lines.
struct alignas(64) TCorRelation::Lane {
    WholeFieldSearch::Scratch Field;
    SeedSearch::Scratch Seed;
    SubpixelScratch Refine;
    SubpixelCounts Refined;
    std::int64_t Successful = 0, NotSearched = 0, Visited = 0;
};

struct TCorRelation::Impl {
    Mode mode = Mode::Normal;
    bool computed = false;
    CorRelationOptions options;
    int lanes = 1;
    std::unique_ptr<TGrayImage> initial, deformed;
    SeedGrid seeds;
    SeedSearchSetup seedSetup;
    std::optional<SeedSearch> seedSearch;
    QuarterPixelImage quarter;
    std::optional<WholeFieldSearch> fieldSearch;
    std::vector<Lane> laneData;
    std::int64_t lastProgress = -1;
    // Grid-only runs: the grid, the whole-pixel reach of a start without gradients, and the
    // refinement, run point by point inside the walk.
    bool gridOnly = false;
    OutputGrid grid;
    std::int32_t reach = 0;
    std::optional<SubpixelRefinement> refinement;

    void ReleaseWork() {
        refinement.reset();
        fieldSearch.reset();
        quarter.Release();
        std::vector<Lane>().swap(laneData);
    }
};

/// Reports the wall time of one stage to the options' Stage callback when the scope ends.
class TCorRelation::StageClock {
  public:
    StageClock(const CorRelationOptions& options, const char* stage)
        : options_(options), stage_(stage), start_(std::chrono::steady_clock::now()) {}
    ~StageClock() {
        if (options_.Stage)
            options_.Stage(stage_,
                           std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count());
    }
    StageClock(const StageClock&) = delete;
    StageClock& operator=(const StageClock&) = delete;

  private:
    const CorRelationOptions& options_;
    const char* stage_;
    std::chrono::steady_clock::time_point start_;
};

TCorRelation::TCorRelation(const TCorRelationPara& para, Mode mode, CorRelationOptions options)
    : TCorRelation(para, mode, std::move(options), nullptr, nullptr) {}

TCorRelation::TCorRelation(const TCorRelationPara& para, Mode mode, CorRelationOptions options,
                           std::unique_ptr<TGrayImage> initial, std::unique_ptr<TGrayImage> deformed)
    : impl_(std::make_unique<Impl>()) {
    if (initial || deformed) {
        if (!initial || !deformed || !initial->Data || !deformed->Data) RefuseParameters();
        impl_->initial = std::move(initial);
        impl_->deformed = std::move(deformed);
    }
    result_.StartTime = std::time(nullptr);
    result_.Para = para;
    result_.Fast = mode == Mode::Fast;
    impl_->mode = mode;
    impl_->options = std::move(options);
    impl_->lanes = impl_->options.Threads > 0 ? impl_->options.Threads : CorRelationPool::Shared().Workers();
    TCorRelationPara& p = result_.Para;
    if (mode == Mode::Fast) {
        // Fast compute correlates every grid point with the large window only.
        p.SearchWinX = p.LargeWinX;
        p.SearchWinY = p.LargeWinY;
    }
    CheckParameters(p, mode);

    try {
        const StageClock clock(impl_->options, "load");
        Load();
    } catch (const std::bad_alloc&) {
        RefuseParameters();
    } catch (const std::length_error&) {
        RefuseParameters();
    }
}

void TCorRelation::Load() {
    const TCorRelationPara& p = result_.Para;
    // Both pictures are read at once when the run has two lanes; should both fail, the initial
    // picture's error is the one reported, as when they are read one after the other.
    std::exception_ptr failed[2];
    if (!impl_->initial)
        CorRelationPool::Shared().Run(2, impl_->lanes, [&](int, int which) {
            try {
                if (which == 0)
                    impl_->initial = std::make_unique<TGrayImage>(p.InitialFile);
                else
                    impl_->deformed = std::make_unique<TGrayImage>(p.DeformedFile);
            } catch (...) {
                failed[which] = std::current_exception();
            }
        });
    for (const std::exception_ptr& e : failed)
        if (e) std::rethrow_exception(e);
    result_.W0 = impl_->initial->Width;
    result_.H0 = impl_->initial->Height;
    result_.W1 = impl_->deformed->Width;
    result_.H1 = impl_->deformed->Height;
    const std::int32_t w0 = result_.W0, h0 = result_.H0, w1 = result_.W1, h1 = result_.H1;

    // The search field indexes the arrays of the initial picture: it must lie inside it.
    if (p.Right > w0 - 1 || p.Bottom > h0 - 1 || w1 < 1 || h1 < 1) RefuseParameters();
    // The result writers address the mask like the initial picture; a mask of another size is
    // refused now, before hours of computing, with the writers' own words.
    LoadRunMask(p.MaskFile, w0, h0);

    const std::size_t points = static_cast<std::size_t>(w0) * static_cast<std::size_t>(h0);
    result_.dx.assign(points, kNotComputed);
    result_.dy.assign(points, kNotComputed);
    impl_->seedSetup = DeriveSeedSearch(p.LargeWinX, p.LargeWinY, p.WinMoveX, p.WinMoveY, p.SearchWinX,
                                        p.SearchWinY, p.SeedPrecision);
    impl_->seedSearch.emplace(impl_->initial->Data, w0, h0, impl_->deformed->Data, w1, h1, impl_->seedSetup);
    if (impl_->mode == Mode::Normal) {
        impl_->quarter.Allocate(w1, h1);
        impl_->fieldSearch.emplace(impl_->initial->Data, w0, h0, impl_->quarter, p.SearchWinX, p.SearchWinY);
    }
    impl_->laneData.resize(static_cast<std::size_t>(impl_->lanes));
    for (Lane& lane : impl_->laneData) {
        lane.Seed = impl_->seedSearch->MakeScratch();
        if (impl_->fieldSearch) lane.Field = impl_->fieldSearch->MakeScratch();
    }

    result_.AllPoints = static_cast<std::int64_t>(p.Right - p.Left + 1) * (p.Bottom - p.Up + 1);
    impl_->gridOnly = impl_->mode == Mode::Normal && ComputesGridOnly(p);
    if (impl_->gridOnly) {
        impl_->grid = OutputGridOf(p);
        result_.AllPoints = impl_->grid.Points();
        // From a start without gradients, the displacement may change by the step times the
        // gradient: the search reaches whole pixels for every 8 pixels of step, rounded, so
        // gradients of 1/8 and more are followed at every step.
        impl_->reach = (std::max(impl_->grid.StepX, impl_->grid.StepY) + 4) / 8;
    }
    result_.SuccessfulPoints = 0;
    result_.NotSearchedPoints = 0;
    impl_->seeds = LayOutSeeds(p, w0, h0, w1, h1);
    result_.Seeds = impl_->seeds.Seeds;
}

TCorRelation::~TCorRelation() = default;

void TCorRelation::CheckStop() const {
    if (impl_->options.Stop.stop_requested()) throw CorRelationCancelled();
}

void TCorRelation::ReportProgress(std::int64_t done) {
    if (!impl_->options.Progress || done == impl_->lastProgress) return;
    impl_->lastProgress = done;
    impl_->options.Progress(done, result_.Fast ? static_cast<std::int64_t>(result_.Seeds.size())
                                               : result_.AllPoints);
}

void TCorRelation::RunParts(int parts, const std::function<void(int lane, int part)>& body) {
    CheckStop();
    CorRelationPool::Shared().Run(parts, impl_->lanes, [&](int lane, int part) {
        CheckStop();
        body(lane, part);
    });
}

void TCorRelation::Compute() {
    if (impl_->computed) RefuseParameters();
    impl_->computed = true;
    try {
        ReportProgress(0);
        {
            const StageClock clock(impl_->options, "seeds");
            ComputeSeeds();
        }
        if (impl_->mode == Mode::Normal) {
            const auto searchStart = std::chrono::steady_clock::now();
            BuildQuarterPixelImage();
            const TCorRelationPara& p = result_.Para;
            const bool refine = p.SubpixelRefinement == 1;
            if (impl_->gridOnly && refine) {
                // Each grid point is refined as soon as it is found: its neighbours start from its
                // refined displacement and gradients.
                impl_->refinement.emplace(impl_->initial->Data, result_.W0, result_.H0, impl_->deformed->Data,
                                          result_.W1, result_.H1, p.SearchWinX, p.SearchWinY);
                for (std::vector<float>* g : {&result_.dudx, &result_.dudy, &result_.dvdx, &result_.dvdy})
                    g->assign(result_.dx.size(), kNotComputed);
                result_.Diverged.assign(result_.dx.size(), 0);
                if (CorrelationMapWanted()) result_.zncc.assign(result_.dx.size(), kNotComputed);
            }
            const std::vector<Region> regions = impl_->gridOnly ? GridRegions() : DenseRegions();
            // Regions that share no point are independent and are walked together; should two
            // share points, they are walked one after the other in seed order, each one's rows
            // still split across the lanes.
            bool disjoint = true;
            for (std::size_t i = 0; i < regions.size() && disjoint; ++i)
                for (std::size_t j = i + 1; j < regions.size() && disjoint; ++j)
                    disjoint = !regions[i].Overlaps(regions[j]);
            if (disjoint)
                PropagateTogether(regions);
            else
                for (const Region& r : regions)
                    PropagateTogether({r});
            for (const Lane& lane : impl_->laneData) {
                result_.SuccessfulPoints += lane.Successful;
                result_.NotSearchedPoints += lane.NotSearched;
                result_.Refinement += lane.Refined;
            }
            impl_->ReleaseWork();
            if (impl_->options.Stage)
                impl_->options.Stage(
                    "search",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - searchStart).count());
            // The correlation map at the search results; points refined in a grid walk have theirs.
            if (CorrelationMapWanted()) {
                const StageClock clock(impl_->options, "zncc");
                FillCorrelationMap();
            }
            if (impl_->gridOnly) {
                CheckStop();
                const StageClock clock(impl_->options, "post filter");
                PostFilterGrid();
            } else {
                // ---- Sub-pixel refinement (optional): after the whole-field search, before the post filter.
                if (refine) {
                    const StageClock clock(impl_->options, "refinement");
                    RefineSubpixel();
                }
                CheckStop();
                const StageClock clock(impl_->options, "post filter");
                PostFilter();
            }
        } else {
            impl_->ReleaseWork();
            FillCorrelationMap();
        }
    } catch (const std::bad_alloc&) {
        RefuseParameters();
    }
    ReportProgress(result_.Fast ? static_cast<std::int64_t>(result_.Seeds.size()) : result_.AllPoints);
}

void TCorRelation::WriteFiles(bool changeY) {
    if (!impl_->computed) RefuseParameters();
    const CorRelationOptions& options = impl_->options;
    if (impl_->mode == Mode::Fast) {
        const StageClock clock(options, "tables");
        WriteFastResults(result_, changeY, impl_->lanes);
        return;
    }
    {
        const StageClock clock(options, "tables");
        WriteResults(result_, changeY, impl_->lanes);
    }
    // The maps are files of their own, written side by side once the arrays are masked, so that
    // every writer only reads them. A failure is the first writer's in this order, and each
    // writer's wall time is reported here, in the same order.
    struct MapWriter {
        const char* Stage;
        void (*Write)(TCorRelationResult&);
        double Seconds = 0.0;
        std::exception_ptr Error = nullptr;
    };
    std::vector<MapWriter> writers;
    if (result_.Para.OutputGray == 1) writers.push_back({"grey pictures", WriteGrayFiles});
    if (result_.Para.OutputBin == 1) {
        writers.push_back({"float maps", WriteBinFiles});
        // The gradient maps of a refined run, and every run's correlation map, go with them.
        if (result_.Para.SubpixelRefinement == 1)
            writers.push_back({"gradient maps", [](TCorRelationResult& r) { WriteGradientFiles(r); }});
        writers.push_back({"correlation map", [](TCorRelationResult& r) { WriteCorrelationFile(r); }});
    }
    if (writers.empty()) return;
    MaskResultArrays(result_);
    CorRelationPool::Shared().Run(static_cast<int>(writers.size()), impl_->lanes, [&](int, int part) {
        MapWriter& w = writers[static_cast<std::size_t>(part)];
        const auto start = std::chrono::steady_clock::now();
        try {
            w.Write(result_);
        } catch (...) {
            w.Error = std::current_exception();
        }
        w.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    for (const MapWriter& w : writers)
        if (w.Error) std::rethrow_exception(w.Error);
    if (options.Stage)
        for (const MapWriter& w : writers)
            options.Stage(w.Stage, w.Seconds);
}

void TCorRelation::Run(bool changeY) {
    if (impl_->mode != Mode::Normal) RefuseParameters();
    Compute();
    WriteFiles(changeY);
}

void TCorRelation::RunFast(bool changeY) {
    if (impl_->mode != Mode::Fast) RefuseParameters();
    Compute();
    WriteFiles(changeY);
}

void TCorRelation::ComputeSeeds() {
    // Seeds are searched independently and stored in seed order afterwards: a seed's nine
    // refinements may fall on a neighbouring seed's points, and the later seed's values win.
    std::vector<std::size_t> active;
    for (std::size_t i = 0; i < result_.Seeds.size(); ++i)
        if (impl_->seeds.Active[i]) active.push_back(i);
    std::vector<SeedDisplacement> found(active.size());
    const SeedSearch& search = *impl_->seedSearch;
    std::atomic<std::int64_t> done{0};
    RunParts(static_cast<int>(active.size()), [&](int lane, int part) {
        const TCorRelationSeed& s = result_.Seeds[active[static_cast<std::size_t>(part)]];
        found[static_cast<std::size_t>(part)] =
            search.Compute(impl_->laneData[static_cast<std::size_t>(lane)].Seed, s.X, s.Y, s.EstX, s.EstY);
        done.fetch_add(1);
    });
    for (std::size_t k = 0; k < active.size(); ++k) {
        const TCorRelationSeed& s = result_.Seeds[active[k]];
        search.Store(found[k], s.X, s.Y, result_.dx.data(), result_.dy.data());
    }
    if (result_.Fast) ReportProgress(done.load());
}

void TCorRelation::BuildQuarterPixelImage() {
    const std::int32_t h1 = result_.H1;
    const int bands = std::max(1, std::min(impl_->lanes * 4, h1 / 64));
    impl_->quarter.Attach(impl_->deformed->Data);
    RunParts(bands, [&](int, int band) {
        const std::int64_t first = static_cast<std::int64_t>(h1) * band / bands;
        const std::int64_t last = static_cast<std::int64_t>(h1) * (band + 1) / bands;
        impl_->quarter.BuildRows(static_cast<std::int32_t>(first), static_cast<std::int32_t>(last));
    });
}

std::vector<TCorRelation::Region> TCorRelation::DenseRegions() const {
    const TCorRelationPara& p = result_.Para;
    const std::int32_t hx = p.SearchWinX / 2, hy = p.SearchWinY / 2;
    std::vector<Region> regions;
    for (std::size_t i = 0; i < result_.Seeds.size(); ++i) {
        if (!impl_->seeds.Active[i]) continue;
        const TCorRelationSeed& s = result_.Seeds[i];
        Region r;
        r.Sx = r.SeedX = s.X;
        r.Sy = r.SeedY = s.Y;
        r.Left = s.Left;
        r.RowEnd = std::min(s.Right, result_.W0 - hx);
        r.BelowEnd = std::min(s.Bottom, result_.H0 - hy);
        r.AboveEnd = std::max(s.Up, hy);
        r.SeedRowLeftEnd = std::max(s.Left, hx);
        r.Top = std::min(s.Up, s.Y);
        r.Bottom = std::max(s.Bottom, s.Y);
        r.First = std::min(s.Left, s.X);
        r.Last = std::max(s.Right, s.X);
        regions.push_back(r);
    }
    return regions;
}

// The dense regions in grid columns and rows: the grid points inside each bound, and the walk's
// start at the grid point nearest the seed within them. A region that holds no grid point is left out.
std::vector<TCorRelation::Region> TCorRelation::GridRegions() const {
    const OutputGrid& g = impl_->grid;
    // First index at or after a pixel, last at or before it.
    const auto after = [](std::int32_t v, std::int32_t origin, std::int32_t step) {
        return v <= origin ? 0 : (v - origin + step - 1) / step;
    };
    const auto before = [](std::int32_t v, std::int32_t origin, std::int32_t step, std::int32_t count) {
        return v < origin ? -1 : std::min((v - origin) / step, count - 1);
    };
    std::vector<Region> regions;
    for (Region r : DenseRegions()) {
        r.Left = after(r.Left, g.Left, g.StepX);
        r.SeedRowLeftEnd = after(r.SeedRowLeftEnd, g.Left, g.StepX);
        r.RowEnd = before(r.RowEnd, g.Left, g.StepX, g.Columns);
        r.AboveEnd = after(r.AboveEnd, g.Up, g.StepY);
        r.BelowEnd = before(r.BelowEnd, g.Up, g.StepY, g.Rows);
        if (r.Left > r.RowEnd || r.AboveEnd > r.BelowEnd) continue;
        r.Sx = std::clamp((r.SeedX - g.Left + g.StepX / 2) / g.StepX, r.Left, r.RowEnd);
        r.Sy = std::clamp((r.SeedY - g.Up + g.StepY / 2) / g.StepY, r.AboveEnd, r.BelowEnd);
        regions.push_back(r);
    }
    return regions;
}

// Each point starts from its solved neighbour's displacement, rounded to whole pixels.
void TCorRelation::VisitDense(Lane& lane, std::int32_t x, std::int32_t y, std::int32_t nx, std::int32_t ny) {
    const std::int32_t w0 = result_.W0;
    float* dx = result_.dx.data();
    float* dy = result_.dy.data();
    const std::size_t i = static_cast<std::size_t>(y) * w0 + x;
    const std::size_t n = static_cast<std::size_t>(ny) * w0 + nx;
    SearchOutcome outcome = SearchOutcome::NotSearched;
    float rx = kNotComputed, ry = kNotComputed;
    // A neighbour without a result has no prediction to give: the failure spreads onward (its
    // marker, taken as a displacement, would send a search 1000 pixels away, which on a picture
    // wider than that would land inside it).
    if (dx[n] != kNotComputed && dy[n] != kNotComputed) {
        const auto px = static_cast<std::int32_t>(static_cast<float>(x) + dx[n] + 0.5);
        const auto py = static_cast<std::int32_t>(static_cast<float>(y) + dy[n] + 0.5);
        outcome = impl_->fieldSearch->Search(lane.Field, x, y, px, py, rx, ry);
    }
    if (outcome == SearchOutcome::Found) {
        dx[i] = rx;
        dy[i] = ry;
        ++lane.Successful;
    } else {
        dx[i] = dy[i] = kNotComputed;
        ++lane.NotSearched;
    }
    ++lane.Visited;
}

// A grid point starts from its neighbour's displacement one step away, plus, when the neighbour was
// refined, its gradients times the step; without gradients the search first looks over whole pixels
// around that start (the reach). Then the three-level search and, when asked for, the refinement.
void TCorRelation::VisitGrid(Lane& lane, std::int32_t x, std::int32_t y, std::int32_t nx, std::int32_t ny) {
    TCorRelationResult& r = result_;
    const std::size_t i = static_cast<std::size_t>(y) * r.W0 + x;
    const std::size_t n = static_cast<std::size_t>(ny) * r.W0 + nx;
    SearchOutcome outcome = SearchOutcome::NotSearched;
    float rx = kNotComputed, ry = kNotComputed;
    SubpixelShape start; // where the refinement starts: the prediction, with the neighbour's gradients
    bool extrapolated = false;
    if (r.dx[n] != kNotComputed && r.dy[n] != kNotComputed) {
        double su = r.dx[n], sv = r.dy[n];
        std::int32_t reach = impl_->reach;
        if (impl_->refinement && r.dudx[n] != kNotComputed) {
            start.Ux = r.dudx[n], start.Uy = r.dudy[n], start.Vx = r.dvdx[n], start.Vy = r.dvdy[n];
            const double ox = x - nx, oy = y - ny;
            su += start.Ux * ox + start.Uy * oy;
            sv += start.Vx * ox + start.Vy * oy;
            start.U = su, start.V = sv;
            extrapolated = true;
            reach = 0;
        }
        const auto px = static_cast<std::int32_t>(x + su + 0.5);
        const auto py = static_cast<std::int32_t>(y + sv + 0.5);
        outcome = impl_->fieldSearch->Search(lane.Field, x, y, px, py, rx, ry, reach);
    }
    r.dx[i] = outcome == SearchOutcome::Found ? rx : kNotComputed;
    r.dy[i] = outcome == SearchOutcome::Found ? ry : kNotComputed;
    ++lane.Visited;
    if (outcome != SearchOutcome::Found) {
        ++lane.NotSearched;
        if (impl_->refinement) r.dudx[i] = r.dudy[i] = r.dvdx[i] = r.dvdy[i] = kNotComputed;
        return;
    }
    ++lane.Successful;
    if (!impl_->refinement) return;
    // A search that confirms the prediction (within one eighth of a pixel) lets the refinement start
    // from the prediction and the neighbour's gradients, a few thousandths from its end on a smooth
    // field; otherwise it starts from the search result, as in a dense run.
    if (!(extrapolated && std::fabs(start.U - rx) <= 0.125 && std::fabs(start.V - ry) <= 0.125)) {
        start = {};
        start.U = rx, start.V = ry;
    }
    RefineGridPoint(lane, x, y, start);
}

// The refinement of one point from start, which the dense pass takes from the search result.
void TCorRelation::RefineGridPoint(Lane& lane, std::int32_t x, std::int32_t y, const SubpixelShape& start) {
    TCorRelationResult& r = result_;
    const std::size_t i = static_cast<std::size_t>(y) * r.W0 + x;
    r.dudx[i] = r.dudy[i] = r.dvdx[i] = r.dvdy[i] = kNotComputed;
    const SubpixelField point{r.dx.data(),
                              r.dy.data(),
                              r.dudx.data(),
                              r.dudy.data(),
                              r.dvdx.data(),
                              r.dvdy.data(),
                              x,
                              y,
                              x,
                              y,
                              r.zncc.empty() ? nullptr : r.zncc.data(),
                              r.Diverged.data()};
    lane.Refined += impl_->refinement->RefineFrom(point, x, y, start, lane.Refine);
}

void TCorRelation::PropagateTogether(const std::vector<Region>& regions) {
    const bool grid = impl_->gridOnly;
    const OutputGrid& g = impl_->grid;
    // Walk indices to pixels: the same in a dense run, grid columns and rows in a grid-only one.
    auto visit = [&](Lane& lane, std::int32_t x, std::int32_t y, std::int32_t nx, std::int32_t ny) {
        if (grid)
            VisitGrid(lane, g.X(x), g.Y(y), g.X(nx), g.Y(ny));
        else
            VisitDense(lane, x, y, nx, ny);
    };
    auto visited = [&] {
        std::int64_t sum = 0;
        for (const Lane& lane : impl_->laneData)
            sum += lane.Visited;
        return sum;
    };

    // A grid-only walk starts at the grid point nearest each seed: from the seed, or the seed's own
    // result, refined, when the seed lies on the grid.
    if (grid)
        RunParts(static_cast<int>(regions.size()), [&](int laneIndex, int part) {
            Lane& lane = impl_->laneData[static_cast<std::size_t>(laneIndex)];
            const Region& r = regions[static_cast<std::size_t>(part)];
            const std::int32_t ax = g.X(r.Sx), ay = g.Y(r.Sy);
            if (ax != r.SeedX || ay != r.SeedY)
                VisitGrid(lane, ax, ay, r.SeedX, r.SeedY);
            else if (impl_->refinement) {
                const std::size_t i = static_cast<std::size_t>(ay) * result_.W0 + ax;
                if (result_.dx[i] == kNotComputed || result_.dy[i] == kNotComputed) return;
                SubpixelShape start;
                start.U = result_.dx[i], start.V = result_.dy[i];
                RefineGridPoint(lane, ax, ay, start);
            }
        });

    // The seed row: a chain to the right and one to the left of every seed.
    RunParts(static_cast<int>(2 * regions.size()), [&](int laneIndex, int part) {
        Lane& lane = impl_->laneData[static_cast<std::size_t>(laneIndex)];
        const Region& r = regions[static_cast<std::size_t>(part / 2)];
        if (part % 2 == 0)
            for (std::int32_t x = r.Sx + 1; x <= r.RowEnd; ++x)
                visit(lane, x, r.Sy, x - 1, r.Sy);
        else
            for (std::int32_t x = r.Sx - 1; x >= r.SeedRowLeftEnd; --x)
                visit(lane, x, r.Sy, x + 1, r.Sy);
    });
    ReportProgress(std::min(result_.AllPoints, visited()));

    // Then the rows below and the rows above every seed row. A row depends only on the row before
    // it, column by column, so each side of a region is cut into strips of columns, and each strip
    // is walked row by row on its own: no lane waits for another between rows. The longest strips
    // go first, so the last ones to end are short. Progress is told from lane 0, the caller's.
    struct Strip {
        const Region* r;
        bool below;
        std::int32_t x0, x1;
        std::int64_t points;
    };
    std::int64_t sideColumns = 0;
    for (const Region& r : regions)
        if (r.RowEnd >= r.Left)
            sideColumns += (std::int64_t{r.RowEnd} - r.Left + 1) *
                           ((r.BelowEnd > r.Sy ? 1 : 0) + (r.AboveEnd < r.Sy ? 1 : 0));
    const std::int64_t target = impl_->lanes > 1
                                    ? std::max<std::int64_t>(64, sideColumns / (16 * impl_->lanes) + 1)
                                    : std::numeric_limits<std::int32_t>::max();
    std::vector<Strip> strips;
    for (const Region& r : regions) {
        if (r.RowEnd < r.Left) continue;
        for (const bool below : {true, false}) {
            const std::int64_t rows = below ? r.BelowEnd - r.Sy : r.Sy - r.AboveEnd;
            if (rows <= 0) continue;
            for (std::int64_t x0 = r.Left; x0 <= r.RowEnd; x0 += target) {
                const std::int64_t x1 = std::min<std::int64_t>(r.RowEnd, x0 + target - 1);
                strips.push_back({&r, below, static_cast<std::int32_t>(x0), static_cast<std::int32_t>(x1),
                                  rows * (x1 - x0 + 1)});
            }
        }
    }
    std::stable_sort(strips.begin(), strips.end(),
                     [](const Strip& a, const Strip& b) { return a.points > b.points; });
    std::atomic<std::int64_t> walked{visited()};
    const std::int64_t reportStep = std::max<std::int64_t>(1, result_.AllPoints / 1000);
    std::int64_t reported = walked.load();
    RunParts(static_cast<int>(strips.size()), [&](int laneIndex, int part) {
        Lane& lane = impl_->laneData[static_cast<std::size_t>(laneIndex)];
        const Strip& strip = strips[static_cast<std::size_t>(part)];
        const Region& r = *strip.r;
        const std::int32_t step = strip.below ? 1 : -1;
        const std::int32_t end = strip.below ? r.BelowEnd + 1 : r.AboveEnd - 1;
        for (std::int32_t y = r.Sy + step; y != end; y += step) {
            CheckStop();
            for (std::int32_t x = strip.x0; x <= strip.x1; ++x)
                visit(lane, x, y, x, y - step);
            const std::int64_t width = strip.x1 - strip.x0 + 1;
            const std::int64_t now = walked.fetch_add(width, std::memory_order_relaxed) + width;
            if (laneIndex == 0 && now - reported >= reportStep) {
                reported = now;
                ReportProgress(std::min(result_.AllPoints, now));
            }
        }
    });
    ReportProgress(std::min(result_.AllPoints, visited()));
}

// Each point's correlation at its search result (the seed result in fast mode), when the float maps
// or a minimum correlation ask for it; a band of rows per part, every point on its own.
bool TCorRelation::CorrelationMapWanted() const {
    const TCorRelationPara& p = result_.Para;
    return p.MinCorrelation > 0.0f || (!result_.Fast && p.OutputBin == 1);
}

void TCorRelation::FillCorrelationMap() {
    TCorRelationResult& r = result_;
    const TCorRelationPara& p = r.Para;
    if (!CorrelationMapWanted()) return;
    if (r.zncc.size() != r.dx.size()) r.zncc.assign(r.dx.size(), kNotComputed);
    const CorrelationPictures pictures{impl_->initial->Data, r.W0, r.H0, impl_->deformed->Data, r.W1, r.H1};
    const int bands = std::max(1, std::min(impl_->lanes * 4, r.H0));
    RunParts(bands, [&](int, int band) {
        const auto first = static_cast<std::int32_t>(static_cast<std::int64_t>(r.H0) * band / bands);
        const auto last = static_cast<std::int32_t>(static_cast<std::int64_t>(r.H0) * (band + 1) / bands);
        FillCorrelationRows(pictures, p.SearchWinX, p.SearchWinY, r.dx.data(), r.dy.data(), r.zncc.data(),
                            first, last);
    });
}

// Sub-pixel refinement of every computed point of the search field, in place, one row of points per
// part: every point is refined on its own, so the split does not change a value. The four gradients
// are kept for the maps and the counts, summed over the lanes, for the report.
void TCorRelation::RefineSubpixel() {
    TCorRelationResult& r = result_;
    const TCorRelationPara& p = r.Para;
    const SubpixelRefinement refinement(impl_->initial->Data, r.W0, r.H0, impl_->deformed->Data, r.W1, r.H1,
                                        p.SearchWinX, p.SearchWinY);
    for (std::vector<float>* g : {&r.dudx, &r.dudy, &r.dvdx, &r.dvdy})
        g->assign(r.dx.size(), kNotComputed);
    r.Diverged.assign(r.dx.size(), 0);
    const SubpixelField field{r.dx.data(),
                              r.dy.data(),
                              r.dudx.data(),
                              r.dudy.data(),
                              r.dvdx.data(),
                              r.dvdy.data(),
                              p.Left,
                              p.Up,
                              p.Right,
                              p.Bottom,
                              r.zncc.empty() ? nullptr : r.zncc.data(),
                              r.Diverged.data()};
    if (field.PointCount() == 0) return;
    const std::int64_t rowPoints = static_cast<std::int64_t>(p.Right) - p.Left + 1;
    std::vector<SubpixelScratch> scratch(static_cast<std::size_t>(impl_->lanes));
    std::vector<SubpixelCounts> counts(static_cast<std::size_t>(impl_->lanes));
    RunParts(p.Bottom - p.Up + 1, [&](int lane, int row) {
        const auto l = static_cast<std::size_t>(lane);
        counts[l] += refinement.Refine(field, row * rowPoints, (row + 1) * rowPoints, scratch[l]);
    });
    r.Refinement = {};
    for (const SubpixelCounts& c : counts)
        r.Refinement += c;
}

void TCorRelation::PostFilter() {
    const TCorRelationPara& p = result_.Para;
    DisplacementField field{result_.dx, result_.dy, result_.W0, result_.H0, p.Left, p.Up, p.Right, p.Bottom};
    if (p.FilterType == 2)
        MedianPostFilter(field, p.FilterSizeX, p.FilterSizeY, impl_->lanes);
    else if (p.FilterType == 1)
        AveragePostFilter(field, p.FilterSizeX, p.FilterSizeY, p.AverageThreshold);
}

// The grid's points gathered into arrays of their own (grid columns x rows), filtered there with the
// dense filters, so a filter window of 3 x 3 means 3 x 3 grid points, and put back; every other
// point of the arrays is marked. The gradients of a refined run go along unfiltered, as in a dense run.
void TCorRelation::PostFilterGrid() {
    TCorRelationResult& r = result_;
    const TCorRelationPara& p = r.Para;
    const OutputGrid& g = impl_->grid;
    const std::size_t n = static_cast<std::size_t>(g.Points());
    std::vector<std::vector<float>*> arrays = {&r.dx, &r.dy};
    if (p.SubpixelRefinement == 1) arrays.insert(arrays.end(), {&r.dudx, &r.dudy, &r.dvdx, &r.dvdy});
    std::vector<std::vector<float>> compact(arrays.size(), std::vector<float>(n));
    for (std::size_t a = 0; a < arrays.size(); ++a) {
        float* full = arrays[a]->data();
        for (std::int32_t j = 0, k = 0; j < g.Rows; ++j)
            for (std::int32_t i = 0; i < g.Columns; ++i, ++k)
                compact[a][static_cast<std::size_t>(k)] =
                    full[static_cast<std::size_t>(g.Y(j)) * r.W0 + g.X(i)];
        std::fill(arrays[a]->begin(), arrays[a]->end(), kNotComputed);
    }
    DisplacementField field{compact[0], compact[1], g.Columns, g.Rows, 0, 0, g.Columns - 1, g.Rows - 1};
    if (n > 0 && p.FilterType == 2)
        MedianPostFilter(field, p.FilterSizeX, p.FilterSizeY);
    else if (n > 0 && p.FilterType == 1)
        AveragePostFilter(field, p.FilterSizeX, p.FilterSizeY, p.AverageThreshold);
    for (std::size_t a = 0; a < arrays.size(); ++a) {
        float* full = arrays[a]->data();
        for (std::int32_t j = 0, k = 0; j < g.Rows; ++j)
            for (std::int32_t i = 0; i < g.Columns; ++i, ++k)
                full[static_cast<std::size_t>(g.Y(j)) * r.W0 + g.X(i)] =
                    compact[a][static_cast<std::size_t>(k)];
    }
}

} // namespace corvane
