#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "image/FileUtil.h"

namespace corvane {

/// The process's correlation workers: one pool sized to the machine, shared by every running
/// correlation, so several jobs at once share the cores instead of multiplying the threads. Work
/// is handed over as a batch of independent parts, which the caller computes as lane 0 while
/// workers take the other lanes; it returns when every part is done. A batch of one part or of
/// width 1, and a batch asked for by a worker of the pool, is computed by the caller alone.
class CorRelationPool {
  public:
    /// The shared pool, started on first use with SharedWorkers() workers.
    static CorRelationPool& Shared();
    /// Workers the shared pool has or will have: the count set by SetSharedWorkers, else the CPUs the
    /// process may run on (AvailableCpus).
    static int SharedWorkers();
    /// Sets the shared pool's size (a --threads option); only before its first use. Returns false,
    /// changing nothing, when the pool has already started or workers is below 1.
    static bool SetSharedWorkers(int workers);

    /// Runs parts on the shared pool's workers, for work of the lower layers (file writers).
    static PartRunner SharedRunner();

    explicit CorRelationPool(int workers);
    ~CorRelationPool();
    CorRelationPool(const CorRelationPool&) = delete;
    CorRelationPool& operator=(const CorRelationPool&) = delete;

    int Workers() const { return static_cast<int>(threads_.size()); }

    /// Runs body(lane, part) for every part 0 ... parts - 1, on up to width lanes at once; each lane
    /// (0 ... width - 1) runs its parts one after another, so a lane may own per-lane buffers.
    /// Which lane runs which part, and in which order, is not fixed: the parts must be independent.
    /// Returns when every part is done; the first exception a part throws is rethrown here (the
    /// parts not yet started are then skipped).
    void Run(int parts, int width, const std::function<void(int lane, int part)>& body);

  private:
    void Work();

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
};

} // namespace corvane
