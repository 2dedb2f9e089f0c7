#include "correlation/CorRelationTables.h"

#include "correlation/CorRelationPool.h"
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

/// Points offered to the displacement files, all inside the picture, in file order: the output grid
/// over the search field (normal run), walked only where it meets the picture so that a search
/// field far larger than the picture costs nothing, or the kept seeds in seed order (fast run).
/// Cut into blocks of about kBlockRecords points (whole grid rows) for formatting side by side.
class TablePoints {
  public:
    static constexpr std::int64_t kBlockRecords = 16384;

    TablePoints(const TCorRelationResult& r, bool fast) {
        if (fast) {
            for (const TCorRelationSeed& s : r.Seeds)
                if (!s.Removed() && InsideInitial(r, s.X, s.Y)) seeds_.push_back({s.X, s.Y});
            blocks_ = static_cast<std::int64_t>((seeds_.size() + kBlockRecords - 1) / kBlockRecords);
            return;
        }
        const TCorRelationPara& p = r.Para;
        // A grid step below 1 would never leave the search field.
        if (p.GridX < 1 || p.GridY < 1) throw CorvaneError(kCheckParameters);
        auto firstInside = [](std::int64_t start, std::int64_t step) {
            return start >= 0 ? start : start + (-start + step - 1) / step * step;
        };
        stepX_ = p.GridX;
        stepY_ = p.GridY;
        x0_ = firstInside(p.Left, p.GridX);
        y0_ = firstInside(p.Up, p.GridY);
        const std::int64_t right = std::min<std::int64_t>(p.Right, r.W0 - 1);
        const std::int64_t bottom = std::min<std::int64_t>(p.Bottom, r.H0 - 1);
        columns_ = x0_ <= right ? (right - x0_) / stepX_ + 1 : 0;
        rows_ = y0_ <= bottom && columns_ > 0 ? (bottom - y0_) / stepY_ + 1 : 0;
        rowsPerBlock_ = std::max<std::int64_t>(1, kBlockRecords / std::max<std::int64_t>(columns_, 1));
        blocks_ = (rows_ + rowsPerBlock_ - 1) / rowsPerBlock_;
    }

    std::int64_t Blocks() const { return blocks_; }

    /// Calls visit(x, y) for every point of block b, in file order.
    template <class Visit> void ForEach(std::int64_t b, Visit&& visit) const {
        if (rows_ == 0) {
            const std::size_t first = static_cast<std::size_t>(b * kBlockRecords);
            const std::size_t last = std::min(seeds_.size(), first + static_cast<std::size_t>(kBlockRecords));
            for (std::size_t i = first; i < last; ++i)
                visit(seeds_[i].x, seeds_[i].y);
            return;
        }
        const std::int64_t lastRow = std::min(rows_, (b + 1) * rowsPerBlock_);
        for (std::int64_t row = b * rowsPerBlock_; row < lastRow; ++row) {
            const auto y = static_cast<std::int32_t>(y0_ + row * stepY_);
            for (std::int64_t column = 0; column < columns_; ++column)
                visit(static_cast<std::int32_t>(x0_ + column * stepX_), y);
        }
    }

  private:
    std::vector<Point> seeds_;
    std::int64_t x0_ = 0, y0_ = 0, stepX_ = 1, stepY_ = 1, columns_ = 0, rows_ = 0, rowsPerBlock_ = 1;
    std::int64_t blocks_ = 0;
};

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

/// One record of a displacement table, "\n %8.3f  %8.3f  %6.3f  %6.3f ": a line break first, a
/// blank at the end.
void AppendRecord(std::string& out, double a, double b, double c, double d) {
    out += "\n ";
    AppendFixed(out, a, 8, 3);
    out += "  ";
    AppendFixed(out, b, 8, 3);
    out += "  ";
    AppendFixed(out, c, 6, 3);
    out += "  ";
    AppendFixed(out, d, 6, 3);
    out += ' ';
}

} // namespace

void StreamDisplacementTables(const TCorRelationResult& r, bool changeY, bool fast, float meanX, float meanY,
                              const TGrayImage* mask, int lanes, const TableBlockSink& sink) {
    const TCorRelationPara& p = r.Para;
    const TablePoints points(r, fast);
    // Each block is formatted into strings held on its lane's own stack and handed over whole:
    // appending to the slots themselves, neighbours in one array, would make the lanes wait on
    // each other's string headers at every record.
    auto format = [&](std::int64_t block, DisplacementTables& slot) {
        DisplacementTables out;
        out.XY.swap(slot.XY); // reuses the slot's buffers
        out.ThetaR.swap(slot.ThetaR);
        out.XY.clear();
        out.ThetaR.clear();
        points.ForEach(block, [&](std::int32_t x, std::int32_t y) {
            const std::size_t i = static_cast<std::size_t>(y) * r.W0 + x;
            const float dx = r.dx[i], dy = r.dy[i];
            if (!(std::fabs(dx - meanX) < p.Amplitude && std::fabs(dy - meanY) < p.Amplitude)) return;
            if (mask && mask->Data[i] != 255) return;
            if (BelowMinimumCorrelation(r, i)) return;
            const float X = static_cast<float>(std::int64_t{p.OutLeft} + x) * p.ScaleX;
            const float Y = changeY ? static_cast<float>(r.H0 - (std::int64_t{p.OutUp} + y)) * p.ScaleY
                                    : static_cast<float>(std::int64_t{p.OutUp} + y) * p.ScaleY;
            const float sx = dx * p.ScaleX, sy = dy * p.ScaleY;
            const double radius = std::sqrt(static_cast<double>(sx) * sx + static_cast<double>(sy) * sy);
            AppendRecord(out.XY, X, Y, sx, sy);
            AppendRecord(out.ThetaR, X, Y, Theta(sx, sy, changeY), radius);
        });
        slot.XY.swap(out.XY);
        slot.ThetaR.swap(out.ThetaR);
    };
    // Waves of blocks are formatted side by side; while one wave is formatted, a lane hands the
    // wave before it on to the sink, in order, and its text is then dropped: a table of millions of
    // records never stands whole in memory, and writing overlaps formatting.
    const int width = std::max(1, lanes);
    const std::int64_t waveSize = 2 * static_cast<std::int64_t>(width);
    std::vector<DisplacementTables> waves[2] = {
        std::vector<DisplacementTables>(static_cast<std::size_t>(waveSize)),
        std::vector<DisplacementTables>(static_cast<std::size_t>(waveSize))};
    int pending = 0; // blocks of the previous wave not yet handed on
    for (std::int64_t wave = 0;; ++wave) {
        const std::int64_t first = wave * waveSize;
        const int count = static_cast<int>(std::clamp<std::int64_t>(points.Blocks() - first, 0, waveSize));
        if (count == 0 && pending == 0) break;
        std::vector<DisplacementTables>& current = waves[wave % 2];
        const std::vector<DisplacementTables>& previous = waves[(wave + 1) % 2];
        const int hand = pending > 0 ? 1 : 0;
        CorRelationPool::Shared().Run(count + hand, width, [&](int, int k) {
            if (k < hand) {
                for (int j = 0; j < pending; ++j)
                    sink(previous[static_cast<std::size_t>(j)].XY,
                         previous[static_cast<std::size_t>(j)].ThetaR);
                return;
            }
            format(first + k - hand, current[static_cast<std::size_t>(k - hand)]);
        });
        pending = count;
    }
}

DisplacementTables FormatDisplacementTables(const TCorRelationResult& r, bool changeY, bool fast, float meanX,
                                            float meanY, const TGrayImage* mask) {
    DisplacementTables tables;
    StreamDisplacementTables(r, changeY, fast, meanX, meanY, mask, 1,
                             [&](const std::string& xy, const std::string& thetaR) {
                                 tables.XY += xy;
                                 tables.ThetaR += thetaR;
                             });
    return tables;
}

} // namespace corvane
