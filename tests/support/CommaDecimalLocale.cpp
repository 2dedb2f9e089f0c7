#include "support/CommaDecimalLocale.h"

#include "support/TestSupport.h"

#include <clocale>
#include <cstdlib>

namespace corvane::test {

CommaDecimalLocale::CommaDecimalLocale() : previous_(std::setlocale(LC_ALL, nullptr)) {
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        static TempDir folder; // removed when the test program ends
        static const int built = std::system(
            ("localedef -i de_DE -f UTF-8 '" + folder.File("de_DE.UTF-8") + "' >/dev/null 2>&1").c_str());
        if (built == 0) ::setenv("LOCPATH", folder.Path().c_str(), 1);
        std::setlocale(LC_ALL, "de_DE.UTF-8");
    }
    active_ = std::localeconv()->decimal_point == std::string(",");
}

CommaDecimalLocale::~CommaDecimalLocale() {
    std::setlocale(LC_ALL, previous_.c_str());
}

} // namespace corvane::test
