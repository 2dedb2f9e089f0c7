#pragma once
#include <string>

namespace corvane::test {

/// Switches the process to a locale whose decimal separator is a comma while it lives, and back
/// to the previous locale afterwards. When the machine has no such locale, one is compiled once
/// into a temporary folder with localedef. Active() is false when neither worked.
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
