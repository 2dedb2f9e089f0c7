#include "support/CommaDecimalLocale.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace corvane::test {

namespace {

bool UsesComma() {
    const std::lconv* conv = std::localeconv();
    return conv && conv->decimal_point && std::string(conv->decimal_point) == ",";
}

bool TrySet(const char* name) {
    return std::setlocale(LC_ALL, name) != nullptr && UsesComma();
}

/// Folder of the compiled locale, removed when the test program ends.
struct LocaleFolder {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("corvane-locale-" + std::to_string(::getpid()));
    ~LocaleFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

/// Compiles de_DE.UTF-8 into a folder of its own and points the C library at it (once per process).
bool CompileLocale() {
    static LocaleFolder localeFolder;
    static const bool built = [] {
        const std::filesystem::path& folder = localeFolder.path;
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + (folder / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) return false;
        ::setenv("LOCPATH", folder.c_str(), 1);
        return true;
    }();
    return built;
}

} // namespace

CommaDecimalLocale::CommaDecimalLocale() {
    const char* current = std::setlocale(LC_ALL, nullptr);
    previous_ = current ? current : "C";
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"})
        if (TrySet(name)) {
            active_ = true;
            return;
        }
    active_ = CompileLocale() && TrySet("de_DE.UTF-8");
    if (!active_) std::setlocale(LC_ALL, previous_.c_str());
}

CommaDecimalLocale::~CommaDecimalLocale() {
    std::setlocale(LC_ALL, previous_.c_str());
}

} // namespace corvane::test
