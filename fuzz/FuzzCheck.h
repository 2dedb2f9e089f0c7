#pragma once
// What every fuzz target shares: a check that stops the run on a broken promise, the rule every
// refusal keeps, and a memory-backed FILE for the writers that write into an open file.
#include "image/CorvaneError.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::fuzz {

/// Stops the run, so libFuzzer keeps the input that broke the promise.
inline void Check(bool promise) {
    if (!promise) __builtin_trap();
}

/// A reader's refusal names the file and a reason: "<name>: <reason>".
inline void CheckRefusal(const CorvaneError& error, std::string_view name) {
    const std::string_view text = error.what();
    Check(text.size() > name.size() + 2 && text.substr(0, name.size()) == name && text[name.size()] == ':');
}

/// A FILE whose bytes end up in memory (open_memstream), for the writers that take an open file.
class MemoryFile {
  public:
    MemoryFile() : file_(open_memstream(&buffer_, &size_)) { Check(file_ != nullptr); }
    ~MemoryFile() {
        if (file_) std::fclose(file_);
        std::free(buffer_);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::FILE* File() const { return file_; }
    /// Closes the stream and returns what was written.
    std::vector<std::uint8_t> Bytes() {
        Check(std::fclose(file_) == 0);
        file_ = nullptr;
        const auto* first = reinterpret_cast<const std::uint8_t*>(buffer_);
        return std::vector<std::uint8_t>(first, first + size_);
    }

  private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_;
};

} // namespace corvane::fuzz
