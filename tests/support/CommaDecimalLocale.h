#pragma once
#include <string>

namespace corvane::test {

/// Puts the process under a locale whose decimal separator is a comma while it lives (compiling
/// de_DE.UTF-8 into a temporary folder with localedef when the machine has none), and back to the
/// previous locale afterwards. Active() is false when no such locale could be had.
class CommaDecimalLocale {
  public:
    CommaDecimalLocale();
    ~CommaDecimalLocale();
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;
    bool Active() const { return active_; }

  private:
    std::string previous_;
    bool active_ = false;
};

} // namespace corvane::test
