#include "image/CFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <locale.h>

namespace corvane {

namespace {

/// Switches the calling thread to the "C" conventions while it lives.
class CLocaleScope {
  public:
    CLocaleScope() : previous_(uselocale(CLocale())) {}
    ~CLocaleScope() { uselocale(previous_); }
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

  private:
    static locale_t CLocale() {
        static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        return c;
    }
    locale_t previous_;
};

} // namespace

void AppendFormatCV(std::string& out, const char* format, std::va_list args) {
    const CLocaleScope c;
    // Most lines fit a small buffer and are formatted once; longer ones are measured first.
    char line[256];
    std::va_list copy;
    va_copy(copy, args);
    const int n = std::vsnprintf(line, sizeof line, format, copy);
    va_end(copy);
    if (n <= 0) return;
    if (static_cast<std::size_t>(n) < sizeof line) {
        out.append(line, static_cast<std::size_t>(n));
        return;
    }
    const std::size_t old = out.size();
    out.resize(old + static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data() + old, static_cast<std::size_t>(n) + 1, format, args);
    out.resize(old + static_cast<std::size_t>(n));
}

void AppendFixed(std::string& out, double value, int width, int precision) {
    // std::to_chars with a precision is specified to give printf's digits in the "C" locale; it
    // cannot spell infinities and NaNs as printf does, which keep the printf route.
    char digits[352];
    const std::to_chars_result r =
        std::isfinite(value)
            ? std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, precision)
            : std::to_chars_result{nullptr, std::errc::value_too_large};
    if (r.ec != std::errc()) {
        AppendFormatC(out, "%*.*f", width, precision, value);
        return;
    }
    const auto length = static_cast<int>(r.ptr - digits);
    if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
    out.append(digits, static_cast<std::size_t>(length));
}

void AppendFormatC(std::string& out, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    AppendFormatCV(out, format, args);
    va_end(args);
}

std::string FormatC(const char* format, ...) {
    std::string text;
    std::va_list args;
    va_start(args, format);
    AppendFormatCV(text, format, args);
    va_end(args);
    return text;
}

} // namespace corvane
