#pragma once
#include <optional>

namespace corvane {

/// Page navigation of the five-page carrier wizards ("Step 1" ... "Step 5"): the page shown and
/// whether Next and Previous are enabled. The processing of a step runs when Next leaves it; the
/// window checks Step 1's files before calling Next, so a refusal keeps the page.
class TCarrierMoirePages {
  public:
    static constexpr int kPageCount = 5;

    /// The page shown, 0 for "Step 1".
    int Page() const { return page_; }
    bool NextEnabled() const { return page_ < kPageCount - 1; }
    bool PreviousEnabled() const { return page_ > 0; }

    /// Advances one page and gives the page left, whose processing then runs; nullopt on the last
    /// page (Next is disabled there).
    std::optional<int> Next() {
        if (!NextEnabled()) return std::nullopt;
        return page_++;
    }
    /// Goes back one page; nothing is undone.
    void Previous() {
        if (PreviousEnabled()) --page_;
    }
    /// "Step 1" with Previous disabled, as the tool is shown.
    void Reset() { page_ = 0; }

  private:
    int page_ = 0;
};

} // namespace corvane
