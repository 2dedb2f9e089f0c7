#include "shell/Convert.h"

#include "image/CorvaneError.h"

#include <QLineEdit>
#include <QLocale>

#include <cmath>
#include <limits>

namespace corvane::ui {

int StrToInt(const QString& text) {
    auto fail = [&] { return CorvaneError("'" + text.toStdString() + "' is not a valid integer value"); };
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i >= text.size()) throw fail();
    long long value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) throw fail();
        value = value * 10 + (c.unicode() - u'0');
        if (value > static_cast<long long>(std::numeric_limits<int>::max()) + 1) throw fail();
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min()) throw fail();
    return static_cast<int>(value);
}

double StrToFloat(const QString& text) {
    bool ok = false;
    const QString trimmed = text.trimmed();
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value) || trimmed.isEmpty())
        throw CorvaneError("'" + text.toStdString() + "' is not a valid floating point value");
    return value;
}

QString FieldName(const QWidget* field) {
    if (!field) return {};
    if (!field->accessibleName().isEmpty()) return field->accessibleName();
    QString name = field->objectName();
    if (name.endsWith(QStringLiteral("Edit"))) name.chop(4);
    // "MaxPixelyEdit" reads "Max Pixely".
    QString words;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (i > 0 && name[i].isUpper() && (name[i - 1].isLower() || name[i - 1].isDigit()))
            words += QLatin1Char(' ');
        words += name[i];
    }
    return words;
}

namespace {

/// Runs a conversion of field's text; its error comes back with the field's name in front.
template <class Convert> auto ConvertField(const QLineEdit* field, Convert convert) {
    try {
        return convert(field->text());
    } catch (const CorvaneError& error) {
        const QString name = FieldName(field);
        if (name.isEmpty()) throw;
        throw CorvaneError(name.toStdString() + ": " + error.what());
    }
}

} // namespace

int StrToInt(const QLineEdit* field) {
    return ConvertField(field, [](const QString& text) { return StrToInt(text); });
}

double StrToFloat(const QLineEdit* field) {
    return ConvertField(field, [](const QString& text) { return StrToFloat(text); });
}

} // namespace corvane::ui
