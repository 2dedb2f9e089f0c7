#include "image/FileUtil.h"

#include "image/CFormat.h"
#include "image/CorvaneError.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
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

namespace {

/// Opens a regular file for reading; directories, devices and pipes are refused so that a
/// read can neither hang nor report a meaningless size.
int OpenRegularFile(const std::string& name, std::uint64_t& size) {
    int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    size = static_cast<std::uint64_t>(st.st_size);
    return fd;
}

/// Reads until count bytes or the end of the file; -1 on a read error.
long long ReadFully(int fd, std::uint64_t offset, std::uint8_t* dest, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        ssize_t n = ::pread(fd, dest + done, count - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<long long>(done);
}

} // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& name, const std::string& openError) {
    std::uint64_t size = 0;
    int fd = OpenRegularFile(name, size);
    if (fd < 0) throw CorvaneError(openError);
    std::vector<std::uint8_t> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (...) {
        ::close(fd);
        throw;
    }
    long long n = ReadFully(fd, 0, bytes.data(), bytes.size());
    ::close(fd);
    if (n < 0) throw CorvaneError(openError);
    bytes.resize(static_cast<std::size_t>(n)); // the file may have shrunk meanwhile
    return bytes;
}

std::size_t ReadFileAt(const std::string& name, std::uint64_t offset, void* dest, std::size_t count,
                       const std::string& openError) {
    std::uint64_t size = 0;
    int fd = OpenRegularFile(name, size);
    if (fd < 0) throw CorvaneError(openError);
    long long n = 0;
    if (offset < size && count > 0) n = ReadFully(fd, offset, static_cast<std::uint8_t*>(dest), count);
    ::close(fd);
    if (n < 0) throw CorvaneError(openError);
    return static_cast<std::size_t>(n);
}

void WriteFileAtomically(const std::string& name, const void* data, std::size_t size,
                         const std::string& failMessage) {
    WriteFileAtomically(
        name, [&](std::FILE* f) { return size == 0 || std::fwrite(data, 1, size, f) == size; }, failMessage);
}

void WriteFileAtomically(const std::string& name, const std::function<bool(std::FILE*)>& writer,
                         const std::string& failMessage) {
    fs::path target(name);
    std::error_code ec;
    if (name.empty() || fs::is_directory(target, ec)) throw CorvaneError(failMessage);
    // A link is kept and the file it names replaced, as a plain write through the link would.
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) target = resolved;
    }
    fs::path dir = target.parent_path();
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    fs::path temp;
    std::FILE* f = nullptr;
    for (int attempt = 0; attempt < 8 && !f; ++attempt) { // a fresh name, never someone else's file
        temp =
            dir / (".~" + target.filename().string() + "." + std::to_string(rng() % 1000000000ULL) + ".tmp");
        f = std::fopen(temp.string().c_str(), "wbx");
        if (!f && errno != EEXIST) break;
    }
    if (!f) throw CorvaneError(failMessage);
    bool ok = false;
    try {
        ok = writer(f);
    } catch (...) {
        std::fclose(f);
        fs::remove(temp, ec);
        throw;
    }
    ok = (std::fflush(f) == 0) && ok;
    ::fsync(fileno(f)); // best effort: the rename below is what keeps the old file whole
    ok = (std::fclose(f) == 0) && ok;
    if (ok) {
        fs::rename(temp, target, ec);
        ok = !ec;
    }
    if (!ok) {
        fs::remove(temp, ec);
        throw CorvaneError(failMessage);
    }
}

bool StartWriteback(std::FILE* f) {
    if (std::fflush(f) != 0) return false;
#ifdef __linux__
    ::sync_file_range(fileno(f), 0, 0, SYNC_FILE_RANGE_WRITE); // best effort, as the final fsync
#endif
    return true;
}

void WriteBlocksAtomically(const std::string& name, std::int64_t blocks,
                           const std::function<void(std::int64_t block, std::string& text)>& format,
                           const std::string& failMessage, const PartRunner& run) {
    // Eight blocks a wave keeps a few workers busy and a few blocks of text in memory.
    constexpr std::int64_t kWave = 8;
    std::vector<std::string> wave(static_cast<std::size_t>(std::clamp<std::int64_t>(blocks, 0, kWave)));
    WriteFileAtomically(
        name,
        [&](std::FILE* f) {
            for (std::int64_t first = 0; first < blocks; first += kWave) {
                const int count = static_cast<int>(std::min(kWave, blocks - first));
                // A block is formatted into a string on its worker's own stack, reusing the slot's
                // buffer: the slots' headers, neighbours in one array, would make the workers wait
                // on each other at every append.
                const auto body = [&](int k) {
                    std::string text;
                    text.swap(wave[static_cast<std::size_t>(k)]);
                    text.clear();
                    format(first + k, text);
                    text.swap(wave[static_cast<std::size_t>(k)]);
                };
                if (run)
                    run(count, body);
                else
                    for (int k = 0; k < count; ++k)
                        body(k);
                for (int k = 0; k < count; ++k) {
                    const std::string& text = wave[static_cast<std::size_t>(k)];
                    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), f) != text.size())
                        return false;
                }
                if (!StartWriteback(f)) return false;
            }
            return true;
        },
        failMessage);
}

void AtomicTextFile::Printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendFormatCV(buffer_, format, args);
    va_end(args);
}

void AtomicTextFile::Commit(const std::string& failMessage) {
    WriteFileAtomically(name_, buffer_.data(), buffer_.size(), failMessage);
}

} // namespace corvane
