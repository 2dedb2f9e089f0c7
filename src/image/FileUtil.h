#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace corvane {

/// True when the name is an existing regular file.
bool FileExists(const std::string& name);

/// Extension of the name including the dot, in lower case ("" when there is none).
std::string LowerExtension(const std::string& name);

/// Size of the file in bytes; throws CorvaneError when it cannot be read.
std::uint64_t FileSizeOf(const std::string& name);

/// Reads the whole file; throws CorvaneError(openError) when it is not a regular file or cannot
/// be opened or read.
std::vector<std::uint8_t> ReadWholeFile(const std::string& name, const std::string& openError);

/// Reads up to count bytes from offset into dest and returns how many were read (fewer at the end
/// of the file, 0 when offset is past it). Throws CorvaneError(openError) when the name is not a
/// regular file or cannot be opened or read.
std::size_t ReadFileAt(const std::string& name, std::uint64_t offset, void* dest, std::size_t count,
                       const std::string& openError);

/// Replaces the file atomically: the bytes are written to a temporary file beside it, flushed,
/// then renamed over the target, so a failed save leaves the old file whole.
/// Throws CorvaneError(failMessage) on failure; the temporary file is removed.
void WriteFileAtomically(const std::string& name, const void* data, std::size_t size,
                         const std::string& failMessage);

/// The same, with the content produced by writer into the open temporary file; writer returns
/// false when a write failed. An exception from writer removes the temporary file and passes on.
void WriteFileAtomically(const std::string& name, const std::function<bool(std::FILE*)>& writer,
                         const std::string& failMessage);

/// Hands what the file holds so far to the disk without waiting for it, where the system allows
/// (Linux): the flush before a large file replaces its target then waits only for the last part.
/// Returns false when the buffered bytes could not be written.
bool StartWriteback(std::FILE* f);

/// Runs body(part) for every part 0 ... parts - 1, side by side where it can (a pool of workers);
/// returns when all are done and passes the first exception on.
using PartRunner = std::function<void(int parts, const std::function<void(int part)>& body)>;

/// Replaces the file atomically (as WriteFileAtomically) with the texts of blocks 0 ... blocks - 1
/// in order, each formatted by format(block, text) into an empty string. Waves of blocks are
/// formatted through run (one after another without a runner), written and dropped, so a long table
/// never stands whole in memory.
void WriteBlocksAtomically(const std::string& name, std::int64_t blocks,
                           const std::function<void(std::int64_t block, std::string& text)>& format,
                           const std::string& failMessage, const PartRunner& run = {});

/// Collects output in memory and replaces the target file atomically on Commit().
/// Text is formatted with the C formats and always with a '.' decimal point.
class AtomicTextFile {
  public:
    explicit AtomicTextFile(std::string name) : name_(std::move(name)) {}
    /// Appends printf-style text (the "C" numeric locale is used whatever the process locale).
    void Printf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void Write(const std::string& text) { buffer_ += text; }
    /// Writes the file; throws CorvaneError(failMessage) when it cannot be written.
    void Commit(const std::string& failMessage);
    const std::string& Text() const { return buffer_; }

  private:
    std::string name_;
    std::string buffer_;
};

} // namespace corvane
