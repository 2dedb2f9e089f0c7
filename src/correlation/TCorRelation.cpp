#include "correlation/TCorRelation.h"

#include <algorithm>
#include <ctime>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>

#include "correlation/CorRelationParaCheck.h"
#include "correlation/CorRelationPostFilter.h"
#include "correlation/CorRelationResults.h"
#include "correlation/CorRelationSearch.h"
#include "correlation/CorRelationSeeds.h"
#include "correlation/QuarterPixelImage.h"
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

struct TCorRelation::Impl {
    Mode mode = Mode::Normal;
    bool ran = false;
    std::unique_ptr<TGrayImage> initial, deformed;
    SeedGrid seeds;
    SeedSearchSetup seedSetup;
    std::optional<SeedSearch> seedSearch;
    QuarterPixelImage quarter;
    std::optional<WholeFieldSearch> fieldSearch;

    void ReleaseWork() {
        if (seedSearch) seedSearch->Release();
        fieldSearch.reset();
        quarter.Release();
    }
};

TCorRelation::TCorRelation(const TCorRelationPara& para, Mode mode) : impl_(std::make_unique<Impl>()) {
    result_.StartTime = std::time(nullptr);
    result_.Para = para;
    result_.Fast = mode == Mode::Fast;
    impl_->mode = mode;
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

    result_.AllPoints = static_cast<std::int64_t>(p.Right - p.Left + 1) * (p.Bottom - p.Up + 1);
    result_.SuccessfulPoints = 0;
    result_.NotSearchedPoints = 0;
    impl_->seeds = LayOutSeeds(p, w0, h0, w1, h1);
    result_.Seeds = impl_->seeds.Seeds;
}

TCorRelation::~TCorRelation() = default;

void TCorRelation::Run(bool changeY) {
    if (impl_->mode != Mode::Normal || impl_->ran) RefuseParameters();
    impl_->ran = true;
    try {
        RunSeeds();
        impl_->quarter.Build(impl_->deformed->Data, result_.W1, result_.H1);
        for (std::size_t i = 0; i < result_.Seeds.size(); ++i)
            if (impl_->seeds.Active[i]) Propagate(result_.Seeds[i]);
        impl_->ReleaseWork();
        PostFilter();
    } catch (const std::bad_alloc&) {
        RefuseParameters();
    }
    WriteResults(result_, changeY);
    if (result_.Para.OutputGray == 1) WriteGrayFiles(result_);
    if (result_.Para.OutputBin == 1) WriteBinFiles(result_);
}

void TCorRelation::RunFast(bool changeY) {
    if (impl_->mode != Mode::Fast || impl_->ran) RefuseParameters();
    impl_->ran = true;
    RunSeeds();
    impl_->ReleaseWork();
    WriteFastResults(result_, changeY);
}

void TCorRelation::RunSeeds() {
    for (std::size_t i = 0; i < result_.Seeds.size(); ++i) {
        if (!impl_->seeds.Active[i]) continue;
        const TCorRelationSeed& s = result_.Seeds[i];
        impl_->seedSearch->Displacement(s.X, s.Y, s.EstX, s.EstY, result_.dx.data(), result_.dy.data());
    }
}

void TCorRelation::Propagate(const TCorRelationSeed& seed) {
    const std::int32_t w0 = result_.W0, h0 = result_.H0;
    const std::int32_t hx = result_.Para.SearchWinX / 2, hy = result_.Para.SearchWinY / 2;
    float* dx = result_.dx.data();
    float* dy = result_.dy.data();
    WholeFieldSearch& search = *impl_->fieldSearch;

    // Each point starts from its solved neighbour's displacement, rounded to whole pixels.
    auto visit = [&](std::int32_t x, std::int32_t y, std::int32_t nx, std::int32_t ny) {
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
            outcome = search.Search(x, y, px, py, rx, ry);
        }
        if (outcome == SearchOutcome::Found) {
            dx[i] = rx;
            dy[i] = ry;
            ++result_.SuccessfulPoints;
        } else {
            dx[i] = dy[i] = kNotComputed;
            ++result_.NotSearchedPoints;
        }
    };

    const std::int32_t sx = seed.X, sy = seed.Y;
    const std::int32_t L = seed.Left, T = seed.Up, R = seed.Right, B = seed.Bottom;
    for (std::int32_t x = sx + 1; x <= R && x <= w0 - hx; ++x)
        visit(x, sy, x - 1, sy);
    for (std::int32_t x = sx - 1; x >= L && x >= hx; --x)
        visit(x, sy, x + 1, sy);
    for (std::int32_t y = sy + 1; y <= B && y <= h0 - hy; ++y)
        for (std::int32_t x = L; x <= R && x <= w0 - hx; ++x)
            visit(x, y, x, y - 1);
    for (std::int32_t y = sy - 1; y >= T && y >= hy; --y)
        for (std::int32_t x = L; x <= R && x <= w0 - hx; ++x)
            visit(x, y, x, y + 1);
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
