#include "shell/Convert.h"

#include "image/CorvaneError.h"

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

} // namespace corvane::ui
