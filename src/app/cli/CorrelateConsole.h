#pragma once
// What the command-line correlation runners show and hear on a terminal: a progress bar on standard
// error (only when it is a terminal) and Ctrl+C or SIGTERM (a batch job's time limit), turned into a
// stop request of the running correlation, which then ends without writing its files. A second
// Ctrl+C ends the program at once.
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "app/cli/CliArgs.h"
#include "correlation/TCorRelationPara.h"

namespace corvane::cli {

/// The options the correlation runners offer over the groups of a file: --refine turns the
/// sub-pixel refinement on, --grid-only the computing of the output grid only, and
/// --min-correlation C (0 to 1) sets the minimum correlation, for every group, as the optional
/// lines of a group do; --timings prints each stage's wall time.
struct GroupOptions {
    bool Refine = false;
    bool GridOnly = false; ///< --grid-only: only the output grid's points, as the group line says
    bool Timings = false;  ///< --timings: each stage's wall time on standard error
    std::optional<float> MinCorrelation;

    /// Takes the options out of args (--refine only when offered). Throws UsageError for a minimum
    /// that is not a number from 0 to 1.
    static GroupOptions Take(CliArgs& args, bool offerRefine) {
        GroupOptions o;
        o.Refine = offerRefine && args.Flag("--refine");
        o.GridOnly = args.Flag("--grid-only");
        o.Timings = args.Flag("--timings");
        if (const std::optional<std::string> text = args.Value("--min-correlation")) {
            const double value = CliArgs::ParseDouble("--min-correlation", *text);
            if (!(value >= 0.0 && value <= 1.0))
                throw UsageError("--min-correlation: '" + *text + "' is not a correlation from 0 to 1");
            o.MinCorrelation = static_cast<float>(value);
        }
        return o;
    }
    void Apply(std::vector<TCorRelationPara>& groups) const {
        for (TCorRelationPara& p : groups) {
            if (Refine) p.SubpixelRefinement = 1;
            if (GridOnly) p.GridOnly = 1;
            if (MinCorrelation) p.MinCorrelation = *MinCorrelation;
        }
    }
};

/// Exit status of a run stopped by Ctrl+C, as shells report a process ended by SIGINT.
inline constexpr int kInterruptedStatus = 130;
/// Exit status of a run stopped by SIGTERM, as shells report a process ended by it.
inline constexpr int kTerminatedStatus = 143;

namespace detail {
/// The signal that asked for the stop; 0 while none has.
inline volatile std::sig_atomic_t interrupted = 0;
inline void OnInterrupt(int signal) {
    interrupted = signal;
    // A second Ctrl+C ends the program at once; SIGTERM may come twice (to the process and to its
    // group), and a batch system follows it with SIGKILL when it must, so it is kept.
    if (signal == SIGINT) std::signal(signal, SIG_DFL);
}
} // namespace detail

/// While it lives, Ctrl+C (SIGINT) and SIGTERM request a stop through Token(); the signal handler
/// only notes the signal, which a watching thread hands on.
class InterruptWatch {
  public:
    InterruptWatch() {
        detail::interrupted = 0;
        previous_ = std::signal(SIGINT, detail::OnInterrupt);
        previousTerm_ = std::signal(SIGTERM, detail::OnInterrupt);
        watcher_ = std::jthread([this](std::stop_token own) {
            while (!own.stop_requested()) {
                if (detail::interrupted) {
                    stop_.request_stop();
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~InterruptWatch() {
        watcher_.request_stop();
        watcher_.join();
        std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_);
        std::signal(SIGTERM, previousTerm_ == SIG_ERR ? SIG_DFL : previousTerm_);
    }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    std::stop_token Token() const { return stop_.get_token(); }
    bool Interrupted() const { return detail::interrupted != 0; }
    /// The exit status of a stopped run: 130 after Ctrl+C, 143 after SIGTERM.
    int Status() const { return detail::interrupted == SIGTERM ? kTerminatedStatus : kInterruptedStatus; }
    /// How the stop is named in messages.
    const char* What() const { return detail::interrupted == SIGTERM ? "terminated" : "interrupted"; }

  private:
    std::stop_source stop_;
    void (*previous_)(int) = SIG_DFL;
    void (*previousTerm_)(int) = SIG_DFL;
    std::jthread watcher_;
};

/// Prints a stage's wall time on standard error for --timings: "<label>: <stage> <seconds> s".
/// Thread-safe; the bar, if any, is cleared first.
class StageTimings {
  public:
    explicit StageTimings(class ProgressBar& bar) : bar_(bar) {}
    void Print(const std::string& label, const char* stage, double seconds);

  private:
    class ProgressBar& bar_;
    std::mutex mutex_;
};

/// A one-line progress bar on standard error, redrawn when the whole percentage changes; silent
/// when standard error is not a terminal. Thread-safe.
class ProgressBar {
  public:
    ProgressBar() : shown_(::isatty(STDERR_FILENO) == 1) {}
    ~ProgressBar() { Clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    /// Shows label and done / all.
    void Show(const std::string& label, double done, double all) {
        if (!shown_) return;
        const int percent = all > 0 ? static_cast<int>(100.0 * done / all) : 0;
        std::lock_guard lock(mutex_);
        if (percent == percent_ && label == label_) return;
        percent_ = percent;
        label_ = label;
        constexpr int kWidth = 30;
        const int filled = percent * kWidth / 100;
        std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", label.c_str(), filled, "##############################",
                     kWidth - filled, "", percent);
        std::fflush(stderr);
        drawn_ = true;
    }
    /// Removes the bar, so the next line starts clean.
    void Clear() {
        std::lock_guard lock(mutex_);
        if (!drawn_) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        drawn_ = false;
        percent_ = -1;
    }

  private:
    bool shown_;
    bool drawn_ = false;
    int percent_ = -1;
    std::string label_;
    std::mutex mutex_;
};

inline void StageTimings::Print(const std::string& label, const char* stage, double seconds) {
    std::lock_guard lock(mutex_);
    bar_.Clear();
    std::fprintf(stderr, "%s: %-15s %8.3f s\n", label.c_str(), stage, seconds);
    std::fflush(stderr);
}

} // namespace corvane::cli
