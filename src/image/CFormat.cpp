#include "image/CFormat.h"

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
