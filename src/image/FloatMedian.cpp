#include "image/FloatMedian.h"

#include "image/CorvaneError.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

namespace corvane {

// ---------------------------------------------------------------------------------------------
// The median engine.
//
// The median of a w x h window is the value that a descending partial bubble sort leaves at
// position n/2 (n = w * h, odd). Here it is found faster with the same value as result:
//  - every window column is first sorted once per output row (shared by the w windows that
//    contain it), vectorised along the row;
//  - for small windows a comparator network selects the median from the w sorted columns. The
//    network is an odd-even merge sorting network reduced to the comparators that can ever
//    exchange values when the columns are sorted and that lead to the median. By the 0-1
//    principle it is enough to check this on inputs of zeros and ones, which for sorted columns
//    are only (h + 1)^w cases; the reduced network is verified on all of them when it is built.
//    It runs on blocks of neighbouring pixels at once, so min/max vectorise across columns;
//  - larger windows keep a sorted window that slides along the row.
// ---------------------------------------------------------------------------------------------

namespace {

struct Comparator {
    int lo;
    int hi;
};

/// Odd-even merge sorting network for n inputs (ascending: lo receives the smaller value).
std::vector<Comparator> SortingNetwork(int n) {
    int size = 1;
    while (size < n)
        size <<= 1;
    std::vector<Comparator> net;
    for (int p = 1; p < size; p <<= 1)
        for (int k = p; k >= 1; k >>= 1)
            for (int j = k % p; j + k < size; j += 2 * k)
                for (int i = 0; i < std::min(k, size - j - k); ++i)
                    if ((i + j) / (2 * p) == (i + j + k) / (2 * p) && i + j + k < n)
                        net.push_back({i + j, i + j + k});
    // Inputs past n act as +infinity at the top, which comparators never move; dropping the
    // comparators that touch them leaves a sorting network for n inputs.
    return net;
}

/// A comparator of the reduced network and which of its outputs are used.
struct SelectOp {
    int lo;
    int hi;
    bool needLo;
    bool needHi;
};

/// Reduced median-selection network for a w x h window whose columns arrive sorted ascending.
/// Input k = column * h + rank; the median ends at index n / 2.
struct MedianNetwork {
    int w = 0;
    int h = 0;
    std::vector<Comparator> columnSort;
    std::vector<SelectOp> ops;
};

constexpr int kMaxNetworkInputs = 64;
constexpr long kMaxNetworkCases = 1L << 22;

bool NetworkFeasible(int w, int h) {
    if (w * h > kMaxNetworkInputs) return false;
    long cases = 1;
    for (int c = 0; c < w; ++c) {
        cases *= h + 1;
        if (cases > kMaxNetworkCases) return false;
    }
    return true;
}

MedianNetwork BuildMedianNetwork(int w, int h) {
    MedianNetwork plan;
    plan.w = w;
    plan.h = h;
    plan.columnSort = SortingNetwork(h);
    const int n = w * h;
    const int median = n / 2;
    const std::vector<Comparator> full = SortingNetwork(n);

    // Every zero-one input with sorted columns (column c holds ones[c] ones at its top), run
    // 64 at a time: bit t of state[k] is input k of case t.
    std::vector<bool> exchanges(full.size(), false);
    std::vector<int> ones(static_cast<std::size_t>(w), 0);
    std::vector<std::uint64_t> state(static_cast<std::size_t>(n));
    for (bool done = false; !done;) {
        std::fill(state.begin(), state.end(), 0);
        std::uint64_t valid = 0;
        std::uint64_t expected = 0;
        for (int t = 0; t < 64 && !done; ++t) {
            const std::uint64_t bit = std::uint64_t{1} << t;
            int total = 0;
            for (int c = 0; c < w; ++c) {
                const int count = ones[static_cast<std::size_t>(c)];
                for (int r = h - count; r < h; ++r)
                    state[static_cast<std::size_t>(c * h + r)] |= bit;
                total += count;
            }
            valid |= bit;
            if (total > median) expected |= bit;
            int c = 0;
            while (c < w && ++ones[static_cast<std::size_t>(c)] > h)
                ones[static_cast<std::size_t>(c++)] = 0;
            done = c == w;
        }
        for (std::size_t i = 0; i < full.size(); ++i) {
            std::uint64_t& lo = state[static_cast<std::size_t>(full[i].lo)];
            std::uint64_t& hi = state[static_cast<std::size_t>(full[i].hi)];
            if ((lo & ~hi) != 0) exchanges[i] = true;
            const std::uint64_t smaller = lo & hi;
            hi = lo | hi;
            lo = smaller;
        }
        if (((state[static_cast<std::size_t>(median)] ^ expected) & valid) != 0)
            throw std::logic_error("median network does not select the median");
    }

    // Keep what can exchange and feeds the median, walking backwards from it.
    std::vector<bool> needed(static_cast<std::size_t>(n), false);
    needed[static_cast<std::size_t>(median)] = true;
    for (std::size_t i = full.size(); i-- > 0;) {
        if (!exchanges[i]) continue;
        const bool needLo = needed[static_cast<std::size_t>(full[i].lo)];
        const bool needHi = needed[static_cast<std::size_t>(full[i].hi)];
        if (!needLo && !needHi) continue;
        plan.ops.push_back({full[i].lo, full[i].hi, needLo, needHi});
        needed[static_cast<std::size_t>(full[i].lo)] = true;
        needed[static_cast<std::size_t>(full[i].hi)] = true;
    }
    std::reverse(plan.ops.begin(), plan.ops.end());
    return plan;
}

const MedianNetwork& CachedMedianNetwork(int w, int h) {
    // The common windows are built once (thread-safe static initialisation).
    if (w == 3 && h == 3) {
        static const MedianNetwork plan3 = BuildMedianNetwork(3, 3);
        return plan3;
    }
    if (w == 5 && h == 5) {
        static const MedianNetwork plan5 = BuildMedianNetwork(5, 5);
        return plan5;
    }
    if (w == 7 && h == 7) {
        static const MedianNetwork plan7 = BuildMedianNetwork(7, 7);
        return plan7;
    }
    thread_local MedianNetwork other;
    if (other.w != w || other.h != h) other = BuildMedianNetwork(w, h);
    return other;
}

constexpr int kLanes = 64;

// Each comparator runs over a block of neighbouring pixels; written with std::min/std::max
// the loops become packed min/max instructions.
void CompareExchange(float* a, float* b) {
    for (int l = 0; l < kLanes; ++l) {
        const float p = a[l];
        const float q = b[l];
        a[l] = std::min(p, q);
        b[l] = std::max(p, q);
    }
}

void MinInto(float* a, const float* b) {
    for (int l = 0; l < kLanes; ++l)
        a[l] = std::min(a[l], b[l]);
}

void MaxInto(float* a, const float* b) {
    for (int l = 0; l < kLanes; ++l)
        a[l] = std::max(a[l], b[l]);
}

/// Median filter of the rows of src (rw x rh, row stride rw) into dst (stride dstStride):
/// outputs for rows hh..rh-hh-1 and columns hw..rw-hw-1 only.
void MedianByNetwork(const float* src, int rw, int rh, const MedianNetwork& plan, float* dst,
                     std::size_t dstStride) {
    const int w = plan.w;
    const int h = plan.h;
    const int hw = w / 2;
    const int hh = h / 2;
    const int n = w * h;
    const int median = n / 2;
    // Sorted columns of the current band, padded by one block so the last block reads inside.
    const std::size_t stride = static_cast<std::size_t>(rw) + kLanes;
    std::vector<float> columns(stride * static_cast<std::size_t>(h), 0.0f);
    std::vector<float> lanes(static_cast<std::size_t>(n) * kLanes);
    float* v = lanes.data();

    for (int y = hh; y < rh - hh; ++y) {
        for (int r = 0; r < h; ++r)
            std::memcpy(columns.data() + static_cast<std::size_t>(r) * stride,
                        src + static_cast<std::size_t>(y - hh + r) * static_cast<std::size_t>(rw),
                        static_cast<std::size_t>(rw) * sizeof(float));
        for (const Comparator& c : plan.columnSort) {
            float* a = columns.data() + static_cast<std::size_t>(c.lo) * stride;
            float* b = columns.data() + static_cast<std::size_t>(c.hi) * stride;
            for (int x = 0; x < rw; ++x) {
                const float p = a[x];
                const float q = b[x];
                a[x] = std::min(p, q);
                b[x] = std::max(p, q);
            }
        }
        float* out = dst + static_cast<std::size_t>(y) * dstStride;
        for (int x0 = hw; x0 < rw - hw; x0 += kLanes) {
            for (int c = 0; c < w; ++c)
                for (int r = 0; r < h; ++r)
                    std::memcpy(v + static_cast<std::size_t>(c * h + r) * kLanes,
                                columns.data() + static_cast<std::size_t>(r) * stride + (x0 - hw + c),
                                kLanes * sizeof(float));
            for (const SelectOp& op : plan.ops) {
                float* a = v + static_cast<std::size_t>(op.lo) * kLanes;
                float* b = v + static_cast<std::size_t>(op.hi) * kLanes;
                if (op.needLo && op.needHi)
                    CompareExchange(a, b);
                else if (op.needLo)
                    MinInto(a, b);
                else
                    MaxInto(b, a);
            }
            const int count = std::min(kLanes, rw - hw - x0);
            std::memcpy(out + x0, v + static_cast<std::size_t>(median) * kLanes,
                        static_cast<std::size_t>(count) * sizeof(float));
        }
    }
}

/// Orders NaN below every number, so that sorting and searching stay well defined on any map.
inline bool Before(float a, float b) {
    return a < b || (a != a && b == b);
}

/// Same contract as MedianByNetwork, for any window size: along each row the window is kept
/// sorted, and each step right removes the leaving column's values and inserts the entering ones.
void MedianBySlidingWindow(const float* src, int rw, int rh, int w, int h, float* dst,
                           std::size_t dstStride) {
    const int hw = w / 2;
    const int hh = h / 2;
    const std::size_t n = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    std::vector<float> window(n);
    for (int y = hh; y < rh - hh; ++y) {
        const float* top = src + static_cast<std::size_t>(y - hh) * static_cast<std::size_t>(rw);
        std::size_t k = 0;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i)
                window[k++] = top[static_cast<std::size_t>(j) * rw + i];
        std::sort(window.begin(), window.end(), Before);
        float* out = dst + static_cast<std::size_t>(y) * dstStride;
        for (int x = hw;; ++x) {
            out[x] = window[n / 2];
            if (x + 1 >= rw - hw) break;
            for (int j = 0; j < h; ++j) {
                const float* row = top + static_cast<std::size_t>(j) * rw;
                // Remove one value equal to the leaving one and insert the entering one,
                // shifting only the values between the two places.
                const float leaving = row[x - hw];
                const float entering = row[x + hw + 1];
                auto gone = std::lower_bound(window.begin(), window.end(), leaving, Before);
                auto place = std::upper_bound(window.begin(), window.end(), entering, Before);
                if (place > gone) {
                    std::move(gone + 1, place, gone);
                    *(place - 1) = entering;
                } else {
                    std::move_backward(place, gone, gone + 1);
                    *place = entering;
                }
            }
        }
    }
}

} // namespace

void FloatMedianFilter(float* region, std::size_t stride, std::int32_t rw, std::int32_t rh, std::int32_t w,
                       std::int32_t h) {
    // Outputs are taken from a copy of the region, so results never feed later windows.
    std::vector<float> copy;
    try {
        copy.resize(static_cast<std::size_t>(rw) * static_cast<std::size_t>(rh));
    } catch (const std::bad_alloc&) {
        throw CorvaneError("No memory to do median filter");
    } catch (const std::length_error&) {
        throw CorvaneError("No memory to do median filter");
    }
    for (std::int32_t y = 0; y < rh; ++y)
        std::memcpy(copy.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(rw),
                    region + static_cast<std::size_t>(y) * stride,
                    static_cast<std::size_t>(rw) * sizeof(float));
    try {
        if (NetworkFeasible(w, h))
            MedianByNetwork(copy.data(), rw, rh, CachedMedianNetwork(w, h), region, stride);
        else
            MedianBySlidingWindow(copy.data(), rw, rh, w, h, region, stride);
    } catch (const std::bad_alloc&) {
        throw CorvaneError("No memory to do median filter");
    }
}

} // namespace corvane
