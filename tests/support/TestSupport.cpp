#include "support/TestSupport.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("corvane-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
             std::to_string(rd() % 100000));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

std::string ShellQuoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::filesystem::path& folder, const StopAt* stopAt) {
    static std::atomic<int> counter{0};
    const std::string tag = std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const std::filesystem::path out = std::filesystem::temp_directory_path() / ("corvane-out-" + tag);
    const std::filesystem::path err = std::filesystem::temp_directory_path() / ("corvane-err-" + tag);
    std::string command = ShellQuoted(program);
    for (const std::string& argument : arguments)
        command.append(1, ' ').append(ShellQuoted(argument));
    command.append(" </dev/null >").append(ShellQuoted(out.string()));
    command.append(" 2>").append(ShellQuoted(err.string()));
    if (stopAt)
        command = "(" + command + " & pid=$!; until grep -qF -- " + ShellQuoted(stopAt->Text) + " " +
                  ShellQuoted(err.string()) +
                  " 2>/dev/null; do kill -0 $pid 2>/dev/null || break; sleep 0.005; done; kill -" +
                  stopAt->Signal + " $pid; wait $pid)";
    command = "cd " + ShellQuoted(folder.string()) + " && " + command;
    const int raw = std::system(command.c_str());
    ProgramRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFileBytes(out.string()),
                   ReadFileBytes(err.string())};
    std::error_code ec;
    std::filesystem::remove(out, ec);
    std::filesystem::remove(err, ec);
    return run;
}

} // namespace corvane::test
