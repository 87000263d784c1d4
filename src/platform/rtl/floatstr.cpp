#include "platform/rtl/floatstr.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string_view>

QString FloatToStr(double value, int precision)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");
    precision = std::clamp(precision, 1, 17);

    // The rounded digits and the decimal exponent of the first of them.
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::abs(value), std::chars_format::scientific, precision - 1);
    const std::string_view text(buf, size_t(res.ptr - buf));
    const size_t e = text.find('e');
    QString digits;
    for (size_t i = 0; i < e; ++i)
        if (text[i] != '.')
            digits += QLatin1Char(text[i]);
    const char *exponentText = text.data() + e + 1;
    if (*exponentText == '+')
        ++exponentText;
    int exponent = 0;
    std::from_chars(exponentText, text.data() + text.size(), exponent);
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);

    QString out;
    if (value < 0)
        out += QLatin1Char('-');
    if (exponent >= -5 && exponent < precision) {
        if (exponent < 0) {
            out += QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
        } else if (digits.size() <= exponent + 1) {
            out += digits + QString(exponent + 1 - digits.size(), QLatin1Char('0'));
        } else {
            out += digits.left(exponent + 1) + QLatin1Char('.') + digits.mid(exponent + 1);
        }
    } else {
        out += digits.left(1);
        if (digits.size() > 1)
            out += QLatin1Char('.') + digits.mid(1);
        out += QLatin1Char('E') + QString::number(exponent);
    }
    return out;
}
