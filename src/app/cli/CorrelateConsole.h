#pragma once
// What the command-line correlation runners show and hear on a terminal: a progress bar on standard
// error (only when it is a terminal) and Ctrl+C, turned into a stop request of the running
// correlation, which then ends without writing its files. A second Ctrl+C ends the program at once.
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
/// sub-pixel refinement on and --min-correlation C (0 to 1) sets the minimum correlation, for every
/// group, as the optional lines of a group do.
struct GroupOptions {
    bool Refine = false;
    std::optional<float> MinCorrelation;

    /// Takes the options out of args (--refine only when offered). Throws UsageError for a minimum
    /// that is not a number from 0 to 1.
    static GroupOptions Take(CliArgs& args, bool offerRefine) {
        GroupOptions o;
        o.Refine = offerRefine && args.Flag("--refine");
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
            if (MinCorrelation) p.MinCorrelation = *MinCorrelation;
        }
    }
};

/// Exit status of a run stopped by Ctrl+C, as shells report a process ended by SIGINT.
inline constexpr int kInterruptedStatus = 130;

namespace detail {
inline volatile std::sig_atomic_t interrupted = 0;
inline void OnInterrupt(int) {
    interrupted = 1;
    std::signal(SIGINT, SIG_DFL);
}
} // namespace detail

/// While it lives, Ctrl+C (SIGINT) requests a stop through Token(); the signal handler only sets a
/// flag, which a watching thread hands on.
class InterruptWatch {
  public:
    InterruptWatch() {
        detail::interrupted = 0;
        previous_ = std::signal(SIGINT, detail::OnInterrupt);
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
    }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    std::stop_token Token() const { return stop_.get_token(); }
    bool Interrupted() const { return detail::interrupted != 0; }

  private:
    std::stop_source stop_;
    void (*previous_)(int) = SIG_DFL;
    std::jthread watcher_;
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

} // namespace corvane::cli
