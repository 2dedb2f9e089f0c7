#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace corvane::cli {

/// A wrong command line: the program prints the text and its usage hint and exits with status 2.
class UsageError : public std::runtime_error {
  public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

/// The words of one verb's command line. A verb asks for its options first (each query takes the
/// option and its values out of the list), then for the remaining positional words; Finish()
/// refuses whatever was not asked for. Numbers are read with a '.' decimal point in any locale.
class CliArgs {
  public:
    explicit CliArgs(std::vector<std::string> words) : words_(std::move(words)) {}

    /// True when the flag is present (taken out).
    bool Flag(const std::string& name);
    /// The words following the option, count of them; nullopt when the option is absent.
    /// Throws UsageError when fewer follow or the option is given twice.
    std::optional<std::vector<std::string>> Values(const std::string& name, int count);
    /// The single word following the option.
    std::optional<std::string> Value(const std::string& name);
    /// The value as a whole number or a number; the fallback when the option is absent.
    int Int(const std::string& name, int fallback);
    double Double(const std::string& name, double fallback);
    /// count whole numbers / numbers following the option; nullopt when absent.
    std::optional<std::vector<int>> Ints(const std::string& name, int count);
    std::optional<std::vector<double>> Doubles(const std::string& name, int count);
    /// The value of -o, which every verb that writes a file needs.
    std::string Output();
    /// The remaining words, which must not look like options; between min and max of them.
    std::vector<std::string> Positionals(std::size_t min, std::size_t max);
    /// Refuses any word no query took.
    void Finish() const;

    /// Parses a whole number / a number of an option (the name only goes into the message).
    static int ParseInt(const std::string& option, const std::string& text);
    static double ParseDouble(const std::string& option, const std::string& text);

  private:
    std::vector<std::string> words_;
};

} // namespace corvane::cli
