#include "phase/RegionGrowingUnwrap.h"

#include "image/CorvaneError.h"
#include "phase/NoiseMask.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace corvane {

namespace {

/// One queued pixel: its position, the index of the pixel that queued it (-1 for the start) and
/// that pixel's fringe count.
struct QueuedPixel {
    std::int32_t X;
    std::int32_t Y;
    std::int64_t Parent;
    std::int32_t K;
};

/// First-in first-out queue in a ring buffer that doubles when full. Only the growing front of the
/// region is held, so it stays small and in cache; no allocation per pixel.
class PixelQueue {
  public:
    PixelQueue() : ring_(256), mask_(255) {}
    bool Empty() const { return count_ == 0; }
    void Push(const QueuedPixel& p) {
        if (count_ == ring_.size()) Grow();
        ring_[(head_ + count_) & mask_] = p;
        ++count_;
    }
    QueuedPixel Pop() {
        const QueuedPixel p = ring_[head_];
        head_ = (head_ + 1) & mask_;
        --count_;
        return p;
    }

  private:
    void Grow() {
        std::vector<QueuedPixel> bigger(ring_.size() * 2);
        for (std::size_t i = 0; i < count_; ++i)
            bigger[i] = ring_[(head_ + i) & mask_];
        ring_.swap(bigger);
        head_ = 0;
        mask_ = ring_.size() - 1;
    }
    std::vector<QueuedPixel> ring_;
    std::size_t mask_;
    std::size_t head_ = 0;
    std::size_t count_ = 0;
};

} // namespace

void CheckStartPoint(const TFloatImage& phase, std::int32_t startX, std::int32_t startY) {
    if (startX >= 0 && startX < phase.Width && startY >= 0 && startY < phase.Height && phase.Data) return;
    throw CorvaneError("the starting point (" + std::to_string(startX) + "," + std::to_string(startY) +
                       ") is outside the " + std::to_string(phase.Width) + " x " +
                       std::to_string(phase.Height) + " phase map");
}

void RegionGrowingUnwrap(TFloatImage& phase, const TGrayImage& invalidArea, std::int32_t startX,
                         std::int32_t startY, float threshold) {
    CheckStartPoint(phase, startX, startY);
    CheckInvalidAreaSize(invalidArea, phase);
    constexpr double kPi = 3.14159265359;
    const float jump = static_cast<float>(static_cast<double>(threshold) * 2.0 * kPi);
    const std::int32_t width = phase.Width;
    const std::int32_t height = phase.Height;
    const std::size_t count = phase.PixelCount();
    float* p = phase.Data;

    // A pixel may be queued when it is neither invalid nor queued already: one byte says both.
    std::vector<std::uint8_t> blocked(count);
    for (std::size_t i = 0; i < count; ++i)
        blocked[i] = invalidArea.Data[i] == 255 ? 1 : 0;

    PixelQueue queue;
    queue.Push({startX, startY, -1, 0});
    while (!queue.Empty()) {
        const QueuedPixel q = queue.Pop();
        const std::int64_t i = static_cast<std::int64_t>(q.Y) * width + q.X;
        std::int32_t k = 0;
        if (q.Parent >= 0) {
            k = q.K;
            float v = static_cast<float>(static_cast<double>(p[i]) + 2.0 * k * kPi);
            const float parent = p[q.Parent];
            if (std::fabs(v - parent) > jump) {
                if (v <= parent) {
                    v += 6.2831855f;
                    ++k;
                } else {
                    v -= 6.2831855f;
                    --k;
                }
            }
            p[i] = v;
        }
        if (q.Y > 0 && !blocked[i - width]) {
            blocked[i - width] = 1;
            queue.Push({q.X, q.Y - 1, i, k});
        }
        if (q.X > 0 && !blocked[i - 1]) {
            blocked[i - 1] = 1;
            queue.Push({q.X - 1, q.Y, i, k});
        }
        if (q.Y + 1 < height && !blocked[i + width]) {
            blocked[i + width] = 1;
            queue.Push({q.X, q.Y + 1, i, k});
        }
        if (q.X + 1 < width && !blocked[i + 1]) {
            blocked[i + 1] = 1;
            queue.Push({q.X + 1, q.Y, i, k});
        }
    }
}

} // namespace corvane
