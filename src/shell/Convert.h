#pragma once
#include <QString>

class QLineEdit;
class QWidget;

namespace corvane::ui {

/// Decimal integer of an edit field (leading blanks and a sign allowed, 32-bit range).
/// Throws CorvaneError("'<text>' is not a valid integer value") otherwise.
int StrToInt(const QString& text);

/// Decimal number of an edit field, '.' as decimal point, surrounding blanks allowed.
/// Throws CorvaneError("'<text>' is not a valid floating point value") otherwise.
double StrToFloat(const QString& text);

/// The name a number field goes by in messages: its accessible name when it has one, else its
/// objectName without the "Edit" ending, in words ("RightEdit" -> "Right", "MaskValueEdit" -> "Mask Value").
QString FieldName(const QWidget* field);

/// StrToInt of an edit field's text; the message names the field first
/// ("Right: 'abc' is not a valid integer value").
int StrToInt(const QLineEdit* field);

/// StrToFloat of an edit field's text; the message names the field first.
double StrToFloat(const QLineEdit* field);

} // namespace corvane::ui
