#pragma once
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace corvane {

/// The one error type of the computing layer. Its text is the message the user sees,
/// word for word; the workbench shows it in an error box and goes on.
class CorvaneError : public std::runtime_error {
  public:
    explicit CorvaneError(const std::string& message) : std::runtime_error(message) {}
};

/// The wording every layer uses when memory runs out.
inline constexpr const char* kNotEnoughMemory = "not enough memory";

/// The text a caught exception is reported with: the message of a CorvaneError or of any standard
/// exception, and one wording for running out of memory. The workbench's guard, the correlation
/// worker and the command-line programs all say the same thing for the same failure.
inline std::string DescribeError(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error)) return kNotEnoughMemory;
    return error.what();
}

/// The same for whatever is in flight (call from a catch block); "unknown error" for non-standard throws.
inline std::string DescribeCurrentError() {
    try {
        throw;
    } catch (const std::exception& e) {
        return DescribeError(e);
    } catch (...) {
        return "unknown error";
    }
}

} // namespace corvane
