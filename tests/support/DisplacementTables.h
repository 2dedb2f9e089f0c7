#pragma once
#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace corvane::test {

/// One record of a displacement table: X, Y and two values.
using TableRecord = std::array<double, 4>;

/// The records of a displacement table file, in file order ({} when the file is missing).
inline std::vector<TableRecord> ReadDisplacementTable(const std::string& file) {
    const std::string text = ReadFileBytes(file);
    std::vector<TableRecord> records;
    TableRecord r{};
    int used = 0;
    for (const char* at = text.c_str();
         std::sscanf(at, "%lf %lf %lf %lf%n", &r[0], &r[1], &r[2], &r[3], &used) == 4; at += used)
        records.push_back(r);
    return records;
}

/// text with the first occurrence of from replaced by to (unchanged when from is absent).
inline std::string ReplaceFirst(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

} // namespace corvane::test
