#pragma once
#include <cstdarg>
#include <string>

namespace corvane {

// The workbench's text files are written with C formats and always with a '.' decimal point. A
// user-interface library may adopt a comma-decimal locale for the whole process, so every number
// written to a file is formatted here, under the "C" locale of the calling thread only: other
// threads and the rest of the program keep theirs.

/// printf-style text formatted under the "C" locale; "" when the format fails.
std::string FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// The same, appended to out; out is left as it was when the format fails.
void AppendFormatC(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));

/// Appends value as printf's "%<width>.<precision>f" does in the "C" locale, byte for byte (the same
/// rounding of the exact binary value, "-0.000" for small negatives), several times faster; for
/// the number tables of millions of records.
void AppendFixed(std::string& out, double value, int width, int precision);

/// AppendFormatC with the values as a va_list (which is consumed).
void AppendFormatCV(std::string& out, const char* format, std::va_list args)
    __attribute__((format(printf, 2, 0)));

} // namespace corvane
