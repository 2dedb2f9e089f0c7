#pragma once
#include <filesystem>
#include <string>
#include <vector>

namespace corvane::test {

/// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    /// Full name of a file in the folder.
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

/// Whole content of a file as bytes in a string ("" when missing).
std::string ReadFileBytes(const std::string& name);
/// Writes bytes to a file, replacing it.
void WriteFileBytes(const std::string& name, const std::string& bytes);

/// The lines of text, without their line ends.
std::vector<std::string> Lines(const std::string& text);

/// What a run of a built program printed and how it ended.
struct ProgramRun {
    int Status = -1; ///< exit status (-1 when it did not exit normally)
    std::string Out, Err;
};

/// Runs the program with the arguments (each quoted for the shell) in the folder, as a user would
/// from a shell, with standard output and error captured. With stopAt, the signal (a kill name such
/// as "INT") is sent once standard error holds that text: a stop at a known stage, however fast the
/// machine.
struct StopAt {
    std::string Text, Signal;
};
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::filesystem::path& folder, const StopAt* stopAt = nullptr);

} // namespace corvane::test
