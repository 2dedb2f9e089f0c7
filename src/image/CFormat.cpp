#include "image/CFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>
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

namespace {

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

/// printf's "%.*f" digits of value when they can be had from one product: value * 10^precision in
/// double is within 2^-13 of the exact product while below 2^40, so unless its fraction lies
/// within 2^-9 of one half, rounding it to the nearest whole number rounds the exact product as
/// printf does. Returns the length written to digits, or 0 when the slow route must decide.
int FixedDigitsFast(double value, int precision, char* digits) {
    if (precision < 0 || precision > 8 || !std::isfinite(value)) return 0;
    const double scaled = std::fabs(value) * kPowersOfTen[precision];
    if (!(scaled < 1099511627776.0)) return 0; // 2^40
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) <= 1.0 / 512.0) return 0;
    auto n = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
    char reversed[32];
    int length = 0;
    for (int d = 0; d < precision; ++d, n /= 10)
        reversed[length++] = static_cast<char>('0' + n % 10);
    if (precision > 0) reversed[length++] = '.';
    do {
        reversed[length++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    if (std::signbit(value)) reversed[length++] = '-';
    for (int i = 0; i < length; ++i)
        digits[i] = reversed[length - 1 - i];
    return length;
}

} // namespace

void AppendFixed(std::string& out, double value, int width, int precision) {
    char digits[352];
    if (const int length = FixedDigitsFast(value, precision, digits); length > 0) {
        if (length < width) out.append(static_cast<std::size_t>(width - length), ' ');
        out.append(digits, static_cast<std::size_t>(length));
        return;
    }
    // std::to_chars with a precision is specified to give printf's digits in the "C" locale; it
    // cannot spell infinities and NaNs as printf does, which keep the printf route.
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
