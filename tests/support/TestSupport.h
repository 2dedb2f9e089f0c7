#pragma once
#include <filesystem>
#include <string>

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

} // namespace corvane::test
