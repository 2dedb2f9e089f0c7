#include "phase/QualityGuidedUnwrap.h"

#include "image/CorvaneError.h"
#include "phase/NoiseMask.h"
#include "phase/RegionGrowingUnwrap.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace corvane {

namespace {

// The value of pi the region-growing unwrap adds its 2 pi steps with, so both agree on clean maps.
constexpr double kPi = 3.14159265359;
constexpr float kPiF = static_cast<float>(kPi);
constexpr float kTwoPiF = static_cast<float>(2.0 * kPi);
/// The roughness of a pixel without any direction to measure: four second differences of 2 pi.
constexpr float kRoughest = 4.0f * kTwoPiF * kTwoPiF;
/// The roughness flag of a pixel that takes no part.
constexpr float kNoPart = -1.0f;

/// A first difference wrapped into -pi..pi. Differences of a wrapped map lie within 2 pi, so one
/// step almost always does; other maps take the exact remainder.
inline float Wrap(float d) {
    if (d > kPiF) {
        d -= kTwoPiF;
        if (d > kPiF) d = static_cast<float>(std::remainder(static_cast<double>(d), 2.0 * kPi));
    } else if (d < -kPiF) {
        d += kTwoPiF;
        if (d < -kPiF) d = static_cast<float>(std::remainder(static_cast<double>(d), 2.0 * kPi));
    }
    return d;
}

/// The multiple of 2 pi to add to b so that it comes within pi of a (a difference of exactly pi
/// is not a jump), as an integer modulo 2^32.
inline std::uint32_t JumpCount(float a, float b) {
    const double t = std::clamp((static_cast<double>(a) - b) / (2.0 * kPi), -1e9, 1e9);
    const double k = t > 0.0 ? std::ceil(t - 0.5) : std::floor(t + 0.5);
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(k));
}

/// Asks for the cache line at address before it is needed (where the compiler offers it).
inline void Prefetch(const void* address) {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

/// One pixel of the union-find forest: its parent and its fringe count minus the parent's, modulo
/// 2^32 (so no overflow on any map; the counts that matter are small); a root holds the rank of
/// its tree there instead. The pixel's wrapped value is kept beside them, so that an edge's pixels
/// come into the cache in one line each.
struct Node {
    std::uint32_t Parent;
    std::uint32_t Offset;
    float Phase;
};

/// The root of i and i's fringe count minus the root's; halves the path on the way.
inline std::pair<std::uint32_t, std::uint32_t> Find(Node* nodes, std::uint32_t i) {
    std::uint32_t sum = 0;
    for (;;) {
        Node& n = nodes[i];
        if (n.Parent == i) return {i, sum};
        const Node& p = nodes[n.Parent];
        if (p.Parent != n.Parent) {
            n.Offset += p.Offset;
            n.Parent = p.Parent;
        }
        sum += n.Offset;
        i = n.Parent;
    }
}

/// The roughness of every pixel (below 0 for those that take no part), row by row: the sum of
/// its squared second differences, scaled to four directions.
std::vector<float> Roughness(const TFloatImage& phase, const TGrayImage& invalidArea) {
    const std::int32_t w = phase.Width, h = phase.Height;
    const float* p = phase.Data;
    std::vector<float> r(phase.PixelCount());
    for (std::size_t i = 0; i < r.size(); ++i)
        r[i] = invalidArea.Data[i] != 255 && std::isfinite(p[i]) ? 0.0f : kNoPart;
    // Overwriting a pixel's flag with its roughness keeps it at or above 0, so the flags of the
    // pixels already done still read right.
    for (std::int32_t y = 0; y < h; ++y) {
        const bool up = y > 0, down = y + 1 < h;
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(w);
        for (std::int32_t x = 0; x < w; ++x) {
            const std::size_t i = row + static_cast<std::size_t>(x);
            if (r[i] < 0.0f) continue;
            const bool left = x > 0, right = x + 1 < w;
            float sum = 0.0f;
            int directions = 0;
            const auto across = [&](bool inside, std::size_t a, std::size_t b) {
                if (!inside || r[a] < 0.0f || r[b] < 0.0f) return;
                const float second = Wrap(p[a] - p[i]) - Wrap(p[i] - p[b]);
                sum += second * second;
                ++directions;
            };
            across(left && right, i - 1, i + 1);
            across(up && down, i - w, i + w);
            across(up && down && left && right, i - w - 1, i + w + 1);
            across(up && down && left && right, i - w + 1, i + w - 1);
            // Differences of values near the float range overflow; such a pixel counts as the
            // roughest, so every bucket index stays inside the table.
            const float d = directions ? sum * 4.0f / static_cast<float>(directions) : kRoughest;
            r[i] = d <= kRoughest ? d : kRoughest;
        }
    }
    return r;
}

/// The edges between 4-neighbours that both take part, as 2 i (to the right) and 2 i + 1 (down),
/// from the smoothest down: a counting sort on the leading bits of the summed roughness (the bits
/// of a float at or above 0 order as its value), stable, so equal keys stay in row order.
std::vector<std::uint32_t> SortedEdges(const std::vector<float>& r, std::int32_t width) {
    float hi = -1.0f;
    for (const float v : r)
        hi = std::max(hi, v);
    if (hi < 0.0f) return {};
    // Six bits of mantissa: sums within about 1.5 % share a bucket and keep row order, which costs
    // no accuracy and lets the merging walk the map in order within each bucket.
    constexpr int shift = 17;
    const auto bucket = [](float a, float b) { return std::bit_cast<std::uint32_t>(a + b) >> shift; };

    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t n = r.size();
    const float* rough = r.data();
    std::vector<std::uint32_t> start(bucket(hi, hi) + 2, 0);
    // Both passes visit the edges in the same order; visit(edge, bucket) sees each one.
    const auto forEachEdge = [&](auto&& visit) {
        for (std::size_t row = 0; row < n; row += w) {
            const bool down = row + w < n;
            for (std::size_t i = row; i < row + w; ++i) {
                const float here = rough[i];
                if (here < 0.0f) continue;
                if (i + 1 < row + w && rough[i + 1] >= 0.0f)
                    visit(static_cast<std::uint32_t>(2 * i), bucket(here, rough[i + 1]));
                if (down && rough[i + w] >= 0.0f)
                    visit(static_cast<std::uint32_t>(2 * i + 1), bucket(here, rough[i + w]));
            }
        }
    };
    forEachEdge([&](std::uint32_t, std::uint32_t b) { ++start[b + 1]; });
    for (std::size_t b = 1; b < start.size(); ++b)
        start[b] += start[b - 1];
    std::vector<std::uint32_t> edges(start.back());
    forEachEdge([&](std::uint32_t e, std::uint32_t b) { edges[start[b]++] = e; });
    return edges;
}

} // namespace

void QualityGuidedUnwrap(TFloatImage& phase, const TGrayImage& invalidArea, std::int32_t startX,
                         std::int32_t startY, std::unique_ptr<TFloatImage>* quality) {
    CheckStartPoint(phase, startX, startY);
    CheckInvalidAreaSize(invalidArea, phase);
    const std::size_t n = phase.PixelCount();
    // Edges are numbered 2 i and 2 i + 1 in 32 bits.
    if (n > 0x7FFFFFFFu) throw CorvaneError("the phase map is too large for quality-guided unwrapping");
    const std::uint32_t width = static_cast<std::uint32_t>(phase.Width);
    float* p = phase.Data;

    std::vector<float> roughness = Roughness(phase, invalidArea);
    if (quality) {
        auto map = std::make_unique<TFloatImage>(nullptr, phase.Width, phase.Height);
        map->ScaleX = phase.ScaleX;
        map->ScaleY = phase.ScaleY;
        for (std::size_t i = 0; i < n; ++i)
            map->Data[i] = roughness[i] < 0.0f ? 0.0f : 1.0f / (1.0f + roughness[i]);
        *quality = std::move(map);
    }
    std::vector<std::uint32_t> edges = SortedEdges(roughness, phase.Width);
    std::vector<float>().swap(roughness);

    std::vector<Node> nodes(n);
    for (std::uint32_t i = 0; i < n; ++i)
        nodes[i] = {i, 0, p[i]};
    Node* forest = nodes.data();
    // The edges visit the map in no order, so every step waits for memory: the nodes of the edge
    // 2 kAhead steps on, and kAhead steps on their parents, are asked for early.
    constexpr std::size_t kAhead = 8;
    const std::uint32_t* order = edges.data();
    const std::size_t m = edges.size();
    const auto other = [width](std::uint32_t e) { return (e >> 1) + ((e & 1u) ? width : 1u); };
    for (std::size_t j = 0; j < m; ++j) {
        if (j + 2 * kAhead < m) {
            const std::uint32_t e = order[j + 2 * kAhead];
            Prefetch(forest + (e >> 1));
            Prefetch(forest + other(e));
        }
        if (j + kAhead < m) {
            const std::uint32_t e = order[j + kAhead];
            Prefetch(forest + forest[e >> 1].Parent);
            Prefetch(forest + forest[other(e)].Parent);
        }
        const std::uint32_t e = order[j];
        const std::uint32_t a = e >> 1;
        const std::uint32_t b = other(e);
        const auto [ra, sa] = Find(forest, a);
        const auto [rb, sb] = Find(forest, b);
        if (ra == rb) continue;
        // The fringe count of b's root minus a's root's that puts b within pi of a; the root of
        // lower rank goes under the other.
        const std::uint32_t d = JumpCount(forest[a].Phase, forest[b].Phase) + sa - sb;
        Node& rootA = forest[ra];
        Node& rootB = forest[rb];
        if (rootA.Offset < rootB.Offset) {
            rootA = {rb, 0u - d, rootA.Phase};
        } else {
            if (rootA.Offset == rootB.Offset) ++rootA.Offset;
            rootB = {ra, d, rootB.Phase};
        }
    }
    std::vector<std::uint32_t>().swap(edges);

    // Each group keeps its reference pixel's value: the start pixel's group first, then every other
    // group its first pixel in row order.
    std::vector<std::uint32_t> reference(n);
    std::vector<bool> known(n, false);
    const auto referenceOf = [&](std::uint32_t root, std::uint32_t count) {
        if (!known[root]) {
            known[root] = true;
            reference[root] = count;
        }
        return reference[root];
    };
    const std::uint32_t startIndex =
        static_cast<std::uint32_t>(startY) * width + static_cast<std::uint32_t>(startX);
    const auto [startRoot, startCount] = Find(forest, startIndex);
    referenceOf(startRoot, startCount);
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto [root, count] = Find(forest, i);
        // Straight to the root from now on; a root keeps its rank, which Find never reads.
        if (root != i) forest[i] = {root, count, forest[i].Phase};
        const std::int32_t k = static_cast<std::int32_t>(count - referenceOf(root, count));
        if (k != 0) p[i] = static_cast<float>(static_cast<double>(p[i]) + 2.0 * k * kPi);
    }
}

} // namespace corvane
