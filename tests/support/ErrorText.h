#pragma once
#include "image/CorvaneError.h"

#include <functional>
#include <string>

namespace corvane::test {

/// The message of the CorvaneError that action throws, or "no error".
inline std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const CorvaneError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace corvane::test
