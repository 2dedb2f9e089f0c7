#include "app/cli/CliArgs.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace corvane::cli {

namespace {

bool LooksLikeOption(const std::string& word) {
    if (word.size() < 2 || word[0] != '-') return false;
    // "-3" and "-.5" are numbers, not options.
    return !(std::isdigit(static_cast<unsigned char>(word[1])) || word[1] == '.');
}

} // namespace

int CliArgs::ParseInt(const std::string& option, const std::string& text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || text.empty())
        throw UsageError(option + ": '" + text + "' is not a whole number");
    return value;
}

double CliArgs::ParseDouble(const std::string& option, const std::string& text) {
    double value = 0.0;
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (!text.empty() && *begin == '+') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || text.empty() || !std::isfinite(value))
        throw UsageError(option + ": '" + text + "' is not a number");
    return value;
}

bool CliArgs::Flag(const std::string& name) {
    const auto it = std::find(words_.begin(), words_.end(), name);
    if (it == words_.end()) return false;
    words_.erase(it);
    if (std::find(words_.begin(), words_.end(), name) != words_.end())
        throw UsageError(name + " is given twice");
    return true;
}

std::optional<std::vector<std::string>> CliArgs::Values(const std::string& name, int count) {
    const auto it = std::find(words_.begin(), words_.end(), name);
    if (it == words_.end()) return std::nullopt;
    const auto first = it + 1;
    if (words_.end() - first < count)
        throw UsageError(name + " needs " + std::to_string(count) + (count == 1 ? " value" : " values"));
    std::vector<std::string> values(first, first + count);
    for (const std::string& v : values)
        if (LooksLikeOption(v)) throw UsageError(name + " needs " + std::to_string(count) + " values");
    words_.erase(it, first + count);
    if (std::find(words_.begin(), words_.end(), name) != words_.end())
        throw UsageError(name + " is given twice");
    return values;
}

std::optional<std::string> CliArgs::Value(const std::string& name) {
    auto values = Values(name, 1);
    if (!values) return std::nullopt;
    return values->front();
}

int CliArgs::Int(const std::string& name, int fallback) {
    const auto value = Value(name);
    return value ? ParseInt(name, *value) : fallback;
}

double CliArgs::Double(const std::string& name, double fallback) {
    const auto value = Value(name);
    return value ? ParseDouble(name, *value) : fallback;
}

std::optional<std::vector<int>> CliArgs::Ints(const std::string& name, int count) {
    const auto values = Values(name, count);
    if (!values) return std::nullopt;
    std::vector<int> result;
    for (const std::string& v : *values)
        result.push_back(ParseInt(name, v));
    return result;
}

std::optional<std::vector<double>> CliArgs::Doubles(const std::string& name, int count) {
    const auto values = Values(name, count);
    if (!values) return std::nullopt;
    std::vector<double> result;
    for (const std::string& v : *values)
        result.push_back(ParseDouble(name, v));
    return result;
}

std::string CliArgs::Output() {
    const auto value = Value("-o");
    if (!value) throw UsageError("the output file is missing (-o FILE)");
    return *value;
}

std::vector<std::string> CliArgs::Positionals(std::size_t min, std::size_t max) {
    for (const std::string& word : words_)
        if (LooksLikeOption(word)) throw UsageError("unknown option " + word);
    if (words_.size() < min) throw UsageError("an input file is missing");
    if (words_.size() > max) throw UsageError("too many input files ('" + words_[max] + "')");
    std::vector<std::string> result;
    result.swap(words_);
    return result;
}

void CliArgs::Finish() const {
    if (words_.empty()) return;
    if (LooksLikeOption(words_.front())) throw UsageError("unknown option " + words_.front());
    throw UsageError("unexpected word '" + words_.front() + "'");
}

} // namespace corvane::cli
