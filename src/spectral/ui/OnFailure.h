#pragma once
#include <utility>

namespace corvane::ui {

/// Runs an undo action when a command leaves its scope by an error: a command that fails
/// midway leaves its tool in a known state (nothing held, buttons enabled again).
template <typename Undo> class OnFailure {
public:
    explicit OnFailure(Undo undo) : undo_(std::move(undo)) {}
    ~OnFailure() {
        if (armed_) undo_();
    }
    OnFailure(const OnFailure&) = delete;
    OnFailure& operator=(const OnFailure&) = delete;
    /// The command got through: nothing to undo.
    void Dismiss() { armed_ = false; }

private:
    Undo undo_;
    bool armed_ = true;
};

} // namespace corvane::ui
