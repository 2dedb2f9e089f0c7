#pragma once
#include <QString>

#include <cstdint>

namespace corvane::ui {

/// Reads a whole number from an edit's text (blanks around it allowed, optional sign).
/// Throws CorvaneError("'<text>' is not a valid integer value") otherwise.
std::int32_t EditTextToInt(const QString& text);
/// Reads a decimal number with a '.' decimal point whatever the user's locale (blanks around
/// it allowed, exponent allowed). Throws CorvaneError("'<text>' is not a valid floating point
/// value") otherwise, also for infinities and NaN.
double EditTextToFloat(const QString& text);

} // namespace corvane::ui
