#include "correlation/ui/EditNumbers.h"

#include <charconv>
#include <cmath>
#include <string>

#include "image/CorvaneError.h"

namespace corvane::ui {

namespace {

/// The text without surrounding blanks and without a leading '+', which from_chars refuses.
std::string NumberBody(const QString& text)
{
    std::string body = text.trimmed().toStdString();
    if (body.size() > 1 && body[0] == '+' && body[1] != '-' && body[1] != '+')
        body.erase(0, 1);
    return body;
}

} // namespace

std::int32_t EditTextToInt(const QString& text)
{
    const std::string body = NumberBody(text);
    std::int32_t value = 0;
    const char* end = body.data() + body.size();
    const auto [ptr, ec] = std::from_chars(body.data(), end, value);
    if (body.empty() || ec != std::errc() || ptr != end)
        throw CorvaneError("'" + text.toStdString() + "' is not a valid integer value");
    return value;
}

double EditTextToFloat(const QString& text)
{
    const std::string body = NumberBody(text);
    double value = 0.0;
    const char* end = body.data() + body.size();
    const auto [ptr, ec] = std::from_chars(body.data(), end, value, std::chars_format::general);
    if (body.empty() || ec != std::errc() || ptr != end || !std::isfinite(value))
        throw CorvaneError("'" + text.toStdString() + "' is not a valid floating point value");
    return value;
}

} // namespace corvane::ui
