#pragma once
#include <stdexcept>
#include <string>

namespace corvane {

/// The one error type of the computing layer. Its text is the message the user sees,
/// word for word; the workbench shows it in an error box and goes on.
class CorvaneError : public std::runtime_error {
  public:
    explicit CorvaneError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace corvane
