#pragma once
#include <QString>

namespace corvane::ui {

/// Decimal integer of an edit field (leading blanks and a sign allowed, 32-bit range).
/// Throws CorvaneError("'<text>' is not a valid integer value") otherwise.
int StrToInt(const QString& text);

/// Decimal number of an edit field, '.' as decimal point, surrounding blanks allowed.
/// Throws CorvaneError("'<text>' is not a valid floating point value") otherwise.
double StrToFloat(const QString& text);

} // namespace corvane::ui
