#include "correlation/TCorRelation.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "correlation/CorRelationParaCheck.h"
#include "correlation/CorRelationPool.h"
#include "correlation/CorRelationPostFilter.h"
#include "correlation/CorRelationResults.h"
#include "correlation/CorRelationSearch.h"
#include "correlation/CorRelationSeeds.h"
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
struct TCorRelation::Region {
    std::int32_t Sx = 0, Sy = 0;
    std::int32_t Left = 0, Right = 0; // x bounds of the chains: L and R
    std::int32_t RowEnd = 0;          // last x of a row: min(R, W0 - hx)
    std::int32_t BelowEnd = 0;        // last row below: min(B, H0 - hy)
    std::int32_t AboveEnd = 0;        // last row above: max(T, hy)
    std::int32_t SeedRowLeftEnd = 0;  // last x of the leftward chain: max(L, hx)
    std::int32_t Top = 0, Bottom = 0; // every row read or written
    std::int32_t First = 0, Last = 0; // every column read or written

    bool Overlaps(const Region& o) const {
        return First <= o.Last && o.First <= Last && Top <= o.Bottom && o.Top <= Bottom;
    }
};

// A lane's buffers and counters, on their own cache lines.
struct alignas(64) TCorRelation::Lane {
    WholeFieldSearch::Scratch Field;
    SeedSearch::Scratch Seed;
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

    void ReleaseWork() {
        fieldSearch.reset();
        quarter.Release();
        std::vector<Lane>().swap(laneData);
    }
};

TCorRelation::TCorRelation(const TCorRelationPara& para, Mode mode, CorRelationOptions options)
    : impl_(std::make_unique<Impl>()) {
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
        Load();
    } catch (const std::bad_alloc&) {
        RefuseParameters();
    } catch (const std::length_error&) {
        RefuseParameters();
    }
}

void TCorRelation::Load() {
    const TCorRelationPara& p = result_.Para;
    impl_->initial = std::make_unique<TGrayImage>(p.InitialFile);
    impl_->deformed = std::make_unique<TGrayImage>(p.DeformedFile);
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
        ComputeSeeds();
        if (impl_->mode == Mode::Normal) {
            BuildQuarterPixelImage();
            const TCorRelationPara& p = result_.Para;
            const std::int32_t hx = p.SearchWinX / 2, hy = p.SearchWinY / 2;
            std::vector<Region> regions;
            for (std::size_t i = 0; i < result_.Seeds.size(); ++i) {
                if (!impl_->seeds.Active[i]) continue;
                const TCorRelationSeed& s = result_.Seeds[i];
                Region r;
                r.Sx = s.X;
                r.Sy = s.Y;
                r.Left = s.Left;
                r.Right = s.Right;
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
            }
            impl_->ReleaseWork();
            FillCorrelationMap();
            // ---- Sub-pixel refinement (optional): after the whole-field search, before the post filter.
            if (result_.Para.SubpixelRefinement == 1) RefineSubpixel();
            CheckStop();
            PostFilter();
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
    if (impl_->mode == Mode::Fast) {
        WriteFastResults(result_, changeY);
        return;
    }
    WriteResults(result_, changeY);
    if (result_.Para.OutputGray == 1) WriteGrayFiles(result_);
    if (result_.Para.OutputBin == 1) WriteBinFiles(result_);
    // ---- The gradient maps of a refined run, and every run's correlation map, go with the float maps.
    if (result_.Para.OutputBin == 1 && result_.Para.SubpixelRefinement == 1) WriteGradientFiles(result_);
    if (result_.Para.OutputBin == 1) WriteCorrelationFile(result_);
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

void TCorRelation::PropagateTogether(const std::vector<Region>& regions) {
    const std::int32_t w0 = result_.W0;
    float* dx = result_.dx.data();
    float* dy = result_.dy.data();
    const WholeFieldSearch& search = *impl_->fieldSearch;

    // Each point starts from its solved neighbour's displacement, rounded to whole pixels.
    auto visit = [&](Lane& lane, std::int32_t x, std::int32_t y, std::int32_t nx, std::int32_t ny) {
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
            outcome = search.Search(lane.Field, x, y, px, py, rx, ry);
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
    };
    auto visited = [&] {
        std::int64_t sum = 0;
        for (const Lane& lane : impl_->laneData)
            sum += lane.Visited;
        return sum;
    };

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

    // Then one row below and one row above every seed row at a time, split into pieces.
    struct Piece {
        std::int32_t y, ny, x0, x1;
    };
    std::vector<Piece> pieces;
    const std::int64_t minPiece = 64;
    for (std::int32_t k = 1;; ++k) {
        pieces.clear();
        std::int64_t rowPoints = 0;
        for (const Region& r : regions) {
            const std::int64_t points = std::max<std::int64_t>(0, r.RowEnd - r.Left + 1);
            if (r.Sy + k <= r.BelowEnd) rowPoints += points;
            if (r.Sy - k >= r.AboveEnd) rowPoints += points;
        }
        bool more = false;
        for (const Region& r : regions)
            more = more || r.Sy + k <= r.BelowEnd || r.Sy - k >= r.AboveEnd;
        if (!more) break;
        const std::int64_t target = impl_->lanes > 1 ? std::max(minPiece, rowPoints / (4 * impl_->lanes) + 1)
                                                     : std::numeric_limits<std::int32_t>::max();
        for (const Region& r : regions) {
            if (r.RowEnd < r.Left) continue;
            for (int side = 0; side < 2; ++side) {
                const std::int32_t y = side == 0 ? r.Sy + k : r.Sy - k;
                if (side == 0 ? y > r.BelowEnd : y < r.AboveEnd) continue;
                const std::int32_t ny = side == 0 ? y - 1 : y + 1;
                for (std::int64_t x0 = r.Left; x0 <= r.RowEnd; x0 += target) {
                    const std::int64_t x1 = std::min<std::int64_t>(r.RowEnd, x0 + target - 1);
                    pieces.push_back({y, ny, static_cast<std::int32_t>(x0), static_cast<std::int32_t>(x1)});
                }
            }
        }
        RunParts(static_cast<int>(pieces.size()), [&](int laneIndex, int part) {
            Lane& lane = impl_->laneData[static_cast<std::size_t>(laneIndex)];
            const Piece& piece = pieces[static_cast<std::size_t>(part)];
            for (std::int32_t x = piece.x0; x <= piece.x1; ++x)
                visit(lane, x, piece.y, x, piece.ny);
        });
        ReportProgress(std::min(result_.AllPoints, visited()));
    }
}

// Each point's correlation at its search result (the seed result in fast mode), when the float maps
// or a minimum correlation ask for it; a band of rows per part, every point on its own.
void TCorRelation::FillCorrelationMap() {
    TCorRelationResult& r = result_;
    const TCorRelationPara& p = r.Para;
    if (!(p.MinCorrelation > 0.0f || (!r.Fast && p.OutputBin == 1))) return;
    r.zncc.assign(r.dx.size(), kNotComputed);
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
        MedianPostFilter(field, p.FilterSizeX, p.FilterSizeY);
    else if (p.FilterType == 1)
        AveragePostFilter(field, p.FilterSizeX, p.FilterSizeY, p.AverageThreshold);
}

} // namespace corvane
