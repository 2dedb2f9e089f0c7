#include "image/FileUtil.h"

#include "image/CorvaneError.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <locale.h>
#include <random>
#include <unistd.h>

namespace corvane {

namespace fs = std::filesystem;

bool FileExists(const std::string& name) {
    std::error_code ec;
    return !name.empty() && fs::is_regular_file(fs::path(name), ec);
}

std::string LowerExtension(const std::string& name) {
    std::string ext = fs::path(name).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

std::uint64_t FileSizeOf(const std::string& name) {
    std::error_code ec;
    auto size = fs::file_size(fs::path(name), ec);
    if (ec) throw CorvaneError(name + ": can not read the file size");
    return size;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& name, const std::string& openError) {
    std::ifstream in(name, std::ios::binary);
    if (!in) throw CorvaneError(openError);
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) throw CorvaneError(openError);
    in.seekg(0, std::ios::beg);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) throw CorvaneError(openError);
    return bytes;
}

void WriteFileAtomically(const std::string& name, const void* data, std::size_t size,
                         const std::string& failMessage) {
    fs::path target(name);
    fs::path dir = target.parent_path();
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    fs::path temp = dir / (".~" + target.filename().string() + "." + std::to_string(rng() % 1000000000ULL) + ".tmp");
    std::FILE* f = std::fopen(temp.string().c_str(), "wb");
    if (!f) throw CorvaneError(failMessage);
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    ok = (std::fflush(f) == 0) && ok;
    ::fsync(fileno(f)); // best effort: the rename below is what keeps the old file whole
    ok = (std::fclose(f) == 0) && ok;
    std::error_code ec;
    if (ok) {
        fs::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) {
        fs::remove(temp, ec);
        throw CorvaneError(failMessage);
    }
}

void AtomicTextFile::Printf(const char* format, ...) {
    // Formats under the "C" numeric locale of this thread only, so a comma-decimal
    // user locale never changes the files and other threads are not disturbed.
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    locale_t previous = uselocale(cLocale);
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n > 0) {
        std::size_t old = buffer_.size();
        buffer_.resize(old + static_cast<std::size_t>(n) + 1);
        std::vsnprintf(buffer_.data() + old, static_cast<std::size_t>(n) + 1, format, args);
        buffer_.resize(old + static_cast<std::size_t>(n));
    }
    va_end(args);
    uselocale(previous);
}

void AtomicTextFile::Commit(const std::string& failMessage) {
    WriteFileAtomically(name_, buffer_.data(), buffer_.size(), failMessage);
}

} // namespace corvane
