#include "image/TFloatImage.h"

#include "image/CorvaneError.h"
#include "image/FileUtil.h"
#include "image/FltFile.h"
#include "image/TGrayImage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <vector>

namespace corvane {

namespace {

std::string PixelError(std::int32_t x, std::int32_t y) {
    return "(" + std::to_string(x) + "," + std::to_string(y) + ") not in the image";
}

/// The BMP mask picture of a width x height map; a missing file or a mask of another size throws.
std::unique_ptr<TGrayImage> LoadMask(const std::string& maskFileName, std::int32_t width,
                                     std::int32_t height) {
    auto mask = std::make_unique<TGrayImage>(maskFileName);
    if (mask->Width != width || mask->Height != height)
        throw CorvaneError(maskFileName + ": the mask is not the size of the float image");
    return mask;
}

/// Min-max grey conversion shared by the three forms; take(i) tells whether pixel i takes part.
template <class Take> void MinMaxToGray(const float* data, std::size_t count, std::uint8_t* out, Take take) {
    float max = -1.0e20f;
    float min = 1.0e20f;
    for (std::size_t i = 0; i < count; ++i) {
        if (!take(i)) continue;
        float v = data[i];
        if (v > max) max = v;
        if (v < min) min = v;
    }
    float range = max - min;
    if (static_cast<double>(range) < 1e-20) range = 1.0f; // the threshold is the double 1e-20
    for (std::size_t i = 0; i < count; ++i)
        out[i] = take(i) ? GrayLevelOf((data[i] - min) * 255.0f / range) : std::uint8_t{0};
}

} // namespace

TFloatImage::TFloatImage(const std::string& fltFileName) {
    FileName = fltFileName;
    LoadFlt(fltFileName);
}

TFloatImage::TFloatImage(float* buffer, std::int32_t width, std::int32_t height) {
    Width = std::max(width, 0);
    Height = std::max(height, 0);
    if (buffer) {
        Data = buffer;
        OwnsData = false;
    } else {
        owned_ =
            std::make_unique<float[]>(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height));
        Data = owned_.get();
        OwnsData = true;
    }
}

TFloatImage::~TFloatImage() = default;

std::size_t TFloatImage::PixelCount() const {
    return static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height);
}

float TFloatImage::GetPixel(std::int32_t x, std::int32_t y) const {
    if (x < 0 || x >= Width || y < 0 || y >= Height || !Data) throw CorvaneError(PixelError(x, y));
    return Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)];
}

void TFloatImage::SetPixel(std::int32_t x, std::int32_t y, float value) {
    if (x < 0 || x >= Width || y < 0 || y >= Height || !Data) throw CorvaneError(PixelError(x, y));
    Data[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)] = value;
}

void TFloatImage::LoadFlt(const std::string& fileName) {
    FltContent content = ReadFltFile(fileName);
    // Everything was read: only now does the map change.
    FileName = fileName;
    Width = content.Header.Width;
    Height = content.Header.Height;
    ScaleX = content.Header.ScaleX;
    ScaleY = content.Header.ScaleY;
    ValueScale = content.Header.ValueScale;
    Reserved = content.Header.Reserved;
    owned_ = std::move(content.Values);
    Data = owned_.get();
    OwnsData = true;
}

void TFloatImage::SaveFlt(const std::string& fileName) const {
    if (!Data && PixelCount() > 0) throw CorvaneError("no data to save: TFloatImage");
    WriteFltFile(fileName, {Width, Height, ScaleX, ScaleY, ValueScale, Reserved}, Data);
}

void TFloatImage::Output3DDat(const std::string& fileName, const std::string& maskFileName, std::int32_t x1,
                              std::int32_t y1, std::int32_t x2, std::int32_t y2, std::int32_t stepX,
                              std::int32_t stepY) {
    if (!Data) throw CorvaneError("no data to output: TFloatImage");
    std::unique_ptr<TGrayImage> mask;
    if (FileExists(maskFileName)) mask = LoadMask(maskFileName, Width, Height);
    HasMask = mask != nullptr;
    if (mask) MaskFileName = maskFileName;

    // A step below 1 would never advance; a start before the map would read outside it.
    stepX = std::max(stepX, 1);
    stepY = std::max(stepY, 1);
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width - 1);
    y2 = std::min(y2, Height - 1);

    AtomicTextFile out(fileName);
    for (std::int64_t y = y1; y <= y2; y += stepY) {
        const std::size_t row = static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
        for (std::int64_t x = x1; x <= x2; x += stepX) {
            if (mask && mask->Data[row + static_cast<std::size_t>(x)] != 255) continue;
            out.Printf(" %15.8f  %15.8f  %15.8f \n", static_cast<double>(static_cast<float>(x) * ScaleX),
                       static_cast<double>(static_cast<float>(y) * ScaleY),
                       static_cast<double>(Data[row + static_cast<std::size_t>(x)]));
        }
    }
    out.Commit("Can not output 3d dat to " + fileName);
}

float TFloatImage::SumRect(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) const {
    // Clipped to the map so that a careless rectangle never reads outside it.
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width - 1);
    y2 = std::min(y2, Height - 1);
    float sum = 0.0f;
    if (!Data) return sum;
    for (std::int32_t y = y1; y <= y2; ++y) {
        const float* row = Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
        for (std::int32_t x = x1; x <= x2; ++x)
            sum += row[x];
    }
    return sum;
}

void TFloatImage::ToGrayImage(std::unique_ptr<TGrayImage>& gray) const {
    auto result = std::make_unique<TGrayImage>(nullptr, Width, Height);
    if (Data) MinMaxToGray(Data, PixelCount(), result->Data, [](std::size_t) { return true; });
    gray = std::move(result);
}

void TFloatImage::ToGrayImage(std::unique_ptr<TGrayImage>& gray, float excluded) const {
    auto result = std::make_unique<TGrayImage>(nullptr, Width, Height);
    if (Data) {
        const float* data = Data;
        MinMaxToGray(Data, PixelCount(), result->Data,
                     [data, excluded](std::size_t i) { return data[i] != excluded; });
    }
    gray = std::move(result);
}

void TFloatImage::ToGrayImage(std::unique_ptr<TGrayImage>& gray, const TGrayImage& mask) const {
    if (mask.Width != Width || mask.Height != Height)
        throw CorvaneError("the mask is not the size of the float image");
    auto result = std::make_unique<TGrayImage>(nullptr, Width, Height);
    if (Data && mask.Data) {
        const std::uint8_t* m = mask.Data;
        MinMaxToGray(Data, PixelCount(), result->Data, [m](std::size_t i) { return m[i] == 255; });
    }
    gray = std::move(result);
}

void TFloatImage::FillRect(float value, std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                           bool inside) {
    if (!Data) throw CorvaneError("no data : TFloatImage::FillRect()");
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width - 1);
    y2 = std::min(y2, Height - 1);
    for (std::int32_t y = 0; y < Height; ++y) {
        float* row = Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
        const bool rowIn = y >= y1 && y <= y2;
        if (inside) {
            if (rowIn && x1 <= x2) std::fill(row + x1, row + x2 + 1, value);
        } else if (!rowIn || x1 > x2) {
            std::fill(row, row + Width, value);
        } else {
            std::fill(row, row + x1, value);
            std::fill(row + x2 + 1, row + Width, value);
        }
    }
}

void TFloatImage::FillCircle(float value, std::int32_t cx, std::int32_t cy, double radius, bool inside) {
    if (!Data) throw CorvaneError("no data : TFloatImage::FillRect()");
    cx = std::max(cx, 0);
    cy = std::max(cy, 0);
    for (std::int32_t y = 0; y < Height; ++y) {
        float* row = Data + static_cast<std::size_t>(y) * static_cast<std::size_t>(Width);
        const double dy = static_cast<double>(y) - cy;
        for (std::int32_t x = 0; x < Width; ++x) {
            const double dx = static_cast<double>(x) - cx;
            const bool within = std::sqrt(dx * dx + dy * dy) <= radius;
            if (within == inside) row[x] = value;
        }
    }
}

void TFloatImage::MedianFilter(std::int32_t windowWidth, std::int32_t windowHeight) {
    MedianFilter(0, 0, Width - 1, Height - 1, windowWidth, windowHeight);
}

void TFloatImage::MoveBlock(std::int32_t x1, std::int32_t y1, std::int32_t blockWidth,
                            std::int32_t blockHeight, std::int32_t x2, std::int32_t y2) {
    blockWidth = std::max(blockWidth, 0);
    blockHeight = std::max(blockHeight, 0);
    if (blockWidth % 2 == 0) ++blockWidth;
    if (blockHeight % 2 == 0) ++blockHeight;
    const std::int32_t hw = blockWidth / 2;
    const std::int32_t hh = blockHeight / 2;

    std::vector<float> block(static_cast<std::size_t>(blockWidth) * static_cast<std::size_t>(blockHeight));
    std::size_t k = 0;
    for (std::int32_t j = -hh; j <= hh; ++j)
        for (std::int32_t i = -hw; i <= hw; ++i)
            block[k++] = GetPixel(x1 + i, y1 + j);
    // The destination is checked before the map is cleared, so a failing move changes nothing.
    for (std::int32_t j = -hh; j <= hh; ++j)
        for (std::int32_t i = -hw; i <= hw; ++i) {
            const std::int32_t x = x2 + i;
            const std::int32_t y = y2 + j;
            if (x < 0 || x >= Width || y < 0 || y >= Height) throw CorvaneError(PixelError(x, y));
        }
    std::fill(Data, Data + PixelCount(), 0.0f);
    k = 0;
    for (std::int32_t j = -hh; j <= hh; ++j)
        for (std::int32_t i = -hw; i <= hw; ++i)
            SetPixel(x2 + i, y2 + j, block[k++]);
}

void TFloatImage::ApplyMaskFile(float value, const std::string& maskFileName) {
    const std::unique_ptr<TGrayImage> mask = LoadMask(maskFileName, Width, Height);
    HasMask = true;
    MaskFileName = maskFileName;
    MaskValue = value;
    if (!Data) return;
    const std::size_t count = PixelCount();
    for (std::size_t i = 0; i < count; ++i)
        if (mask->Data[i] == 0) Data[i] = value;
}

void TFloatImage::ShiftToValue(std::int32_t x, std::int32_t y, float value) {
    const float shift = value - GetPixel(x, y);
    const std::size_t count = PixelCount();
    for (std::size_t i = 0; i < count; ++i)
        Data[i] += shift;
}

void TFloatImage::SetFringeOrder(std::int32_t x, std::int32_t y, std::int32_t k) {
    constexpr long double kPi = 3.1415926535899L;
    constexpr long double kInverseTwoPi = 0.15915494309188993L;
    const float p = GetPixel(x, y);
    const float m = static_cast<float>((static_cast<long double>(p) + kPi) * kInverseTwoPi);
    // A value too large for a whole fringe count cannot be shifted meaningfully.
    if (!(std::fabs(m) < 2.0e9f))
        throw CorvaneError("(" + std::to_string(x) + "," + std::to_string(y) + ") has no valid fringe order");
    const std::int32_t n = m >= 0.0f ? static_cast<std::int32_t>(m) : static_cast<std::int32_t>(m - 1.0f);
    const long double shift = static_cast<long double>(static_cast<std::int64_t>(k) - n) * 2.0L * kPi;
    const std::size_t count = PixelCount();
    for (std::size_t i = 0; i < count; ++i)
        Data[i] = static_cast<float>(static_cast<long double>(Data[i]) + shift);
}

void TFloatImage::Multiply(float factor) {
    const std::size_t count = Data ? PixelCount() : 0;
    for (std::size_t i = 0; i < count; ++i)
        Data[i] *= factor;
    ValueScale *= factor;
}

// ---------------------------------------------------------------------------------------------
// Median filter.
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

void TFloatImage::MedianFilter(std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                               std::int32_t windowWidth, std::int32_t windowHeight) {
    x1 = std::max(x1, 0);
    y1 = std::max(y1, 0);
    x2 = std::min(x2, Width - 1);
    y2 = std::min(y2, Height - 1);
    if (!Data) throw CorvaneError("no data to do median filter: TFloatImage");
    std::int32_t w = std::max(windowWidth, 1);
    std::int32_t h = std::max(windowHeight, 1);
    if (w % 2 == 0) ++w;
    if (h % 2 == 0) ++h;
    const std::int32_t rw = x2 - x1 + 1;
    const std::int32_t rh = y2 - y1 + 1;
    if (rw < w || rh < h || (w == 1 && h == 1)) return; // no pixel has a whole window in the region

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
                    Data + static_cast<std::size_t>(y1 + y) * static_cast<std::size_t>(Width) + x1,
                    static_cast<std::size_t>(rw) * sizeof(float));
    float* dst = Data + static_cast<std::size_t>(y1) * static_cast<std::size_t>(Width) + x1;
    try {
        if (NetworkFeasible(w, h))
            MedianByNetwork(copy.data(), rw, rh, CachedMedianNetwork(w, h), dst,
                            static_cast<std::size_t>(Width));
        else
            MedianBySlidingWindow(copy.data(), rw, rh, w, h, dst, static_cast<std::size_t>(Width));
    } catch (const std::bad_alloc&) {
        throw CorvaneError("No memory to do median filter");
    }
}

} // namespace corvane
