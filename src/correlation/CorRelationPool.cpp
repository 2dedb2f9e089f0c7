#include "correlation/CorRelationPool.h"

#include "correlation/AvailableCpus.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>

namespace corvane {

namespace {

thread_local bool insidePool = false;

// One batch of parts: lanes take the next part number until none is left. The caller waits until
// every part is finished; a lane that starts later finds no part left and never touches the body.
struct Batch {
    const std::function<void(int, int)>* body = nullptr;
    int parts = 0;
    std::atomic<int> next{0};
    std::atomic<int> finished{0};
    std::atomic<bool> failed{false};
    std::mutex mutex;
    std::condition_variable done;
    std::exception_ptr error;

    void RunLane(int lane) {
        for (int part; (part = next.fetch_add(1)) < parts;) {
            if (!failed.load()) {
                try {
                    (*body)(lane, part);
                } catch (...) {
                    std::lock_guard lock(mutex);
                    if (!error) error = std::current_exception();
                    failed.store(true);
                }
            }
            if (finished.fetch_add(1) + 1 == parts) {
                std::lock_guard lock(mutex);
                done.notify_all();
            }
        }
    }
};

} // namespace

namespace {
std::mutex sharedMutex;
int sharedWorkers = 0; // 0 until set or until the pool starts
bool sharedStarted = false;
} // namespace

int CorRelationPool::SharedWorkers() {
    std::lock_guard lock(sharedMutex);
    if (sharedWorkers == 0) sharedWorkers = AvailableCpus();
    return sharedWorkers;
}

bool CorRelationPool::SetSharedWorkers(int workers) {
    std::lock_guard lock(sharedMutex);
    if (sharedStarted || workers < 1) return false;
    sharedWorkers = workers;
    return true;
}

CorRelationPool& CorRelationPool::Shared() {
    static CorRelationPool pool([] {
        const int workers = SharedWorkers();
        std::lock_guard lock(sharedMutex);
        sharedStarted = true;
        return workers;
    }());
    return pool;
}

PartRunner CorRelationPool::SharedRunner() {
    return [](int parts, const std::function<void(int)>& body) {
        Shared().Run(parts, SharedWorkers(), [&](int, int part) { body(part); });
    };
}

CorRelationPool::CorRelationPool(int workers) {
    for (int i = 0; i < std::max(workers, 1); ++i)
        threads_.emplace_back([this] { Work(); });
}

CorRelationPool::~CorRelationPool() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

void CorRelationPool::Work() {
    insidePool = true;
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task();
    }
}

void CorRelationPool::Run(int parts, int width, const std::function<void(int lane, int part)>& body) {
    if (parts <= 0) return;
    width = std::clamp(width, 1, parts);
    if (width == 1 || insidePool) {
        for (int part = 0; part < parts; ++part)
            body(0, part);
        return;
    }
    auto batch = std::make_shared<Batch>();
    batch->body = &body;
    batch->parts = parts;
    {
        std::lock_guard lock(mutex_);
        for (int lane = 1; lane < width; ++lane)
            queue_.emplace_back([batch, lane] { batch->RunLane(lane); });
    }
    wake_.notify_all();
    // The caller is lane 0: a batch ends even while every worker is busy with another caller's
    // (a window saving a table while a correlation job runs never waits for the job).
    batch->RunLane(0);
    std::unique_lock lock(batch->mutex);
    batch->done.wait(lock, [&] { return batch->finished.load() == parts; });
    if (batch->error) std::rethrow_exception(batch->error);
}

} // namespace corvane
