#pragma once
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <stop_token>

namespace corvane {

/// How a correlation runs, beside what it computes (TCorRelationPara): the numbers of a run do not
/// depend on these options.
struct CorRelationOptions {
    /// Lanes of the shared pool the run may use at once; 0 for as many as the pool has workers,
    /// 1 to compute on the calling thread alone.
    int Threads = 0;
    /// Called on the thread that runs the computation with the points done so far and all points
    /// of the run (the search field; the seed grid in fast mode), now and then and once at the end.
    std::function<void(std::int64_t done, std::int64_t all)> Progress;
    /// A stop request ends the computation early with CorRelationCancelled; nothing is written.
    std::stop_token Stop;
    /// Called on the thread that runs the group when a stage ends ("load", "seeds", "search",
    /// "refinement", "post filter", "tables", each map writer) with its wall time in seconds.
    std::function<void(const char* stage, double seconds)> Stage = {};
};

/// Thrown by a correlation stopped through its stop token. The run has written no file.
class CorRelationCancelled : public std::runtime_error {
  public:
    CorRelationCancelled() : std::runtime_error("Correlation cancelled") {}
};

} // namespace corvane
