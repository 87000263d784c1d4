#include "platform/db/dbtext.h"

#include <QTime>

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

TDBFormatSettings g_settings;
// The time format without its fraction ("HH:mm:ss.zzz" gives "HH:mm:ss"),
// and whether it had one: a format with fractions shows every fraction
// digit the type keeps, one without shows none.
QString g_timePattern = QStringLiteral("HH:mm:ss");
bool g_timeFraction = false;

void appendDigits(QString &s, qint64 value, int width)
{
    char buf[24];
    int n = 0;
    do {
        buf[n++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0 || n < width);
    while (n > 0)
        s.append(QLatin1Char(buf[--n]));
}

bool isDefaultDateFormat(const QString &f, QChar *sep)
{
    if (f.size() != 10 || !f.startsWith(QLatin1String("yyyy")) || f.mid(5, 2) != QLatin1String("MM")
        || f.mid(8, 2) != QLatin1String("dd") || f.at(4) != f.at(7))
        return false;
    const QChar c = f.at(4);
    if (c != QLatin1Char('/') && c != QLatin1Char('-') && c != QLatin1Char('.'))
        return false;
    *sep = c;
    return true;
}

void appendDate(QString &s, qint32 days)
{
    int y, m, d;
    dbtext::CivilFromDays(days, &y, &m, &d);
    QChar sep;
    const QString &fmt = g_settings.dateFormat;
    if (isDefaultDateFormat(fmt, &sep)) {
        appendDigits(s, y, 4);
        s.append(sep);
        appendDigits(s, m, 2);
        s.append(sep);
        appendDigits(s, d, 2);
    } else {
        s.append(QDate(y, m, d).toString(fmt));
    }
}

void appendTime(QString &s, qint64 ticks, int digits)
{
    const qint64 secs = ticks / dbtext::TicksPerSecond;
    const int h = int(secs / 3600), mi = int(secs / 60 % 60), se = int(secs % 60);
    const QString &fmt = g_timePattern;
    if (fmt == QLatin1String("HH:mm:ss") || fmt == QLatin1String("hh:mm:ss")) {
        appendDigits(s, h, 2);
        s.append(QLatin1Char(':'));
        appendDigits(s, mi, 2);
        s.append(QLatin1Char(':'));
        appendDigits(s, se, 2);
    } else {
        s.append(QTime(h, mi, se).toString(fmt));
    }
    if (g_timeFraction && digits > 0) {
        qint64 frac = ticks % dbtext::TicksPerSecond; // 7 digits
        for (int i = digits; i < 7; ++i)
            frac /= 10;
        s.append(QLatin1Char('.'));
        appendDigits(s, frac, digits);
    }
}

template<typename Char>
bool parseDecimalImpl(const Char *p, const Char *end, int scale, qint64 *scaled)
{
    while (p < end && *p == ' ')
        ++p;
    while (end > p && end[-1] == ' ')
        --end;
    bool neg = false;
    if (p < end && (*p == '-' || *p == '+')) {
        neg = *p == '-';
        ++p;
    }
    unsigned __int128 v = 0;
    int frac = -1;
    bool digits = false;
    for (; p < end; ++p) {
        const Char c = *p;
        if (c >= '0' && c <= '9') {
            digits = true;
            if (frac >= 0) {
                if (++frac > scale) {
                    if (c != '0') // trailing zeros beyond the scale are harmless
                        return false;
                    --frac;
                    continue;
                }
            }
            v = v * 10 + unsigned(c - '0');
            if (v > (unsigned __int128)(1) << 64)
                return false;
        } else if (c == '.' && frac < 0) {
            frac = 0;
        } else {
            return false;
        }
    }
    if (!digits)
        return false;
    for (int i = frac < 0 ? 0 : frac; i < scale; ++i) {
        v *= 10;
        if (v > (unsigned __int128)(1) << 64)
            return false;
    }
    if (neg) {
        if (v > (unsigned __int128)(1) << 63)
            return false;
        *scaled = qint64(-(__int128)v);
    } else {
        if (v > (unsigned __int128)INT64_MAX)
            return false;
        *scaled = qint64(v);
    }
    return true;
}

bool parseInt(QStringView s, int *out)
{
    if (s.isEmpty())
        return false;
    int v = 0;
    for (QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
    }
    *out = v;
    return true;
}

} // namespace

const TDBFormatSettings &DBFormatSettings()
{
    return g_settings;
}

void SetDBFormatSettings(const TDBFormatSettings &settings)
{
    g_settings = settings;
    g_timePattern = settings.timeFormat;
    const qsizetype z = g_timePattern.indexOf(QLatin1Char('z'));
    g_timeFraction = z >= 0;
    if (g_timeFraction) {
        // The separator before the fraction goes with it, also when quoted
        // ("ss'.'zzz").
        qsizetype from = z;
        const auto isSeparator = [](QChar c) { return c == QLatin1Char('.') || c == QLatin1Char(','); };
        if (from >= 3 && g_timePattern[from - 1] == QLatin1Char('\'') && isSeparator(g_timePattern[from - 2])
            && g_timePattern[from - 3] == QLatin1Char('\''))
            from -= 3;
        else if (from > 0 && isSeparator(g_timePattern[from - 1]))
            --from;
        qsizetype to = z;
        while (to < g_timePattern.size() && g_timePattern[to] == QLatin1Char('z'))
            ++to;
        g_timePattern.remove(from, to - from);
    }
}

namespace dbtext {

// Civil-calendar day counts: the well-known era arithmetic over 400-year
// cycles, shifted so that day 0 is 0001-01-01.
qint32 DaysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * unsigned(m + (m > 2 ? -3 : 9)) + 2) / 5 + unsigned(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const qint64 sinceEpoch0 = qint64(era) * 146097 + qint64(doe); // days since 0000-03-01
    return qint32(sinceEpoch0 - 306);
}

void CivilFromDays(qint32 days, int *year, int *month, int *day)
{
    const qint64 z = qint64(days) + 306;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    *year = int(qint64(yoe) + era * 400 + (m <= 2));
    *month = int(m);
    *day = int(d);
}

QDate DateFromDays(qint32 days)
{
    int y, m, d;
    CivilFromDays(days, &y, &m, &d);
    return QDate(y, m, d);
}

qint32 DaysFromDate(const QDate &date)
{
    return DaysFromCivil(date.year(), date.month(), date.day());
}

QString FormatBool(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString FormatInt(qint64 value)
{
    return QString::number(value);
}

namespace {

// The shortest digits that read back as the same value, written in plain
// decimal notation; an exponent only from 1E+15 up and below 1E-5, where
// plain digits would run long ("1.5E+20", "1E-7").
template<typename T>
QString formatFloat(T value)
{
    char buf[64];
    if (!std::isfinite(value)) {
        const auto r = std::to_chars(buf, buf + sizeof buf, value);
        return QString::fromLatin1(buf, r.ptr - buf);
    }
    if (value == 0)
        return QStringLiteral("0");
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const char *p = buf;
    QString out;
    if (*p == '-') {
        out += QLatin1Char('-');
        ++p;
    }
    QByteArray digits;
    while (p < r.ptr && *p != 'e') {
        if (*p != '.')
            digits += *p;
        ++p;
    }
    int exponent = 0;
    std::from_chars(p + (p[1] == '+' ? 2 : 1), r.ptr, exponent);
    const int n = int(digits.size());
    if (exponent >= 15 || exponent < -5) {
        out += QLatin1Char(digits[0]);
        if (n > 1)
            out += QLatin1Char('.') + QLatin1String(digits.constData() + 1, n - 1);
        out += exponent < 0 ? QLatin1String("E-") : QLatin1String("E+");
        out += QString::number(std::abs(exponent));
    } else if (exponent >= n - 1) {
        out += QLatin1String(digits) + QString(exponent - n + 1, QLatin1Char('0'));
    } else if (exponent >= 0) {
        out += QLatin1String(digits.constData(), exponent + 1) + QLatin1Char('.')
               + QLatin1String(digits.constData() + exponent + 1, n - exponent - 1);
    } else {
        out += QLatin1String("0.") + QString(-exponent - 1, QLatin1Char('0')) + QLatin1String(digits);
    }
    return out;
}

} // namespace

QString FormatDouble(double value)
{
    return formatFloat(value);
}

QString FormatSingle(float value)
{
    return formatFloat(value);
}

QString FormatDecimal(qint64 scaled, int scale)
{
    const bool neg = scaled < 0;
    return FormatDecimal128(neg ? (unsigned __int128)(-(__int128)scaled) : (unsigned __int128)scaled, neg, scale);
}

QString FormatDecimal128(unsigned __int128 v, bool neg, int scale)
{
    neg = neg && v != 0;
    char buf[48];
    int n = 0;
    int digits = 0;
    do {
        if (digits == scale && scale > 0)
            buf[n++] = '.';
        buf[n++] = char('0' + int(v % 10));
        v /= 10;
        ++digits;
    } while (v > 0 || digits <= scale);
    if (neg)
        buf[n++] = '-';
    QString s;
    s.reserve(n);
    while (n > 0)
        s.append(QLatin1Char(buf[--n]));
    return s;
}

QString FormatDate(qint32 days)
{
    QString s;
    s.reserve(10);
    appendDate(s, days);
    return s;
}

QString FormatTime(qint64 ticks, int fractionDigits)
{
    QString s;
    s.reserve(16);
    appendTime(s, ticks, fractionDigits);
    return s;
}

QString FormatDateTime(qint64 ticks, int fractionDigits)
{
    QString s;
    s.reserve(28);
    const qint64 days = ticks / TicksPerDay;
    appendDate(s, qint32(days));
    s.append(QLatin1Char(' '));
    appendTime(s, ticks - days * TicksPerDay, fractionDigits);
    return s;
}

QString FormatDateTimeOffset(qint64 localTicks, int offsetMinutes, int fractionDigits)
{
    QString s = FormatDateTime(localTicks, fractionDigits);
    s.append(offsetMinutes < 0 ? QLatin1String(" -") : QLatin1String(" +"));
    const int m = qAbs(offsetMinutes);
    appendDigits(s, m / 60, 2);
    s.append(QLatin1Char(':'));
    appendDigits(s, m % 60, 2);
    return s;
}

QString FormatGuid(const uchar *b)
{
    quint32 d1;
    quint16 d2, d3;
    std::memcpy(&d1, b, 4);
    std::memcpy(&d2, b + 4, 2);
    std::memcpy(&d3, b + 6, 2);
    static const char hex[] = "0123456789ABCDEF";
    char out[36];
    int n = 0;
    auto put = [&](quint64 v, int nibbles) {
        for (int i = nibbles - 1; i >= 0; --i)
            out[n++] = hex[(v >> (4 * i)) & 0xF];
    };
    put(d1, 8);
    out[n++] = '-';
    put(d2, 4);
    out[n++] = '-';
    put(d3, 4);
    out[n++] = '-';
    put(b[8], 2);
    put(b[9], 2);
    out[n++] = '-';
    for (int i = 10; i < 16; ++i)
        put(b[i], 2);
    return QString::fromLatin1(out, 36);
}

QString FormatBinary(const char *data, qsizetype size)
{
    static const char hex[] = "0123456789ABCDEF";
    QString s(2 + 2 * size, Qt::Uninitialized);
    QChar *p = s.data();
    *p++ = QLatin1Char('0');
    *p++ = QLatin1Char('x');
    for (qsizetype i = 0; i < size; ++i) {
        const uchar c = uchar(data[i]);
        *p++ = QLatin1Char(hex[c >> 4]);
        *p++ = QLatin1Char(hex[c & 0xF]);
    }
    return s;
}

bool ParseDecimal(QStringView text, int scale, qint64 *scaled)
{
    return parseDecimalImpl(text.utf16(), text.utf16() + text.size(), scale, scaled);
}

bool ParseDecimal(const char *text, qsizetype size, int scale, qint64 *scaled)
{
    // The common case in one pass: [-]digits[.digits], at most 18 digits
    // once scaled.
    qsizetype i = 0;
    const bool neg = size > 0 && text[0] == '-';
    if (neg)
        i = 1;
    quint64 v = 0;
    int digits = 0;
    int fraction = -1;
    for (; i < size; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            v = v * 10 + quint64(c - '0');
            ++digits;
            if (fraction >= 0)
                ++fraction;
        } else if (c == '.' && fraction < 0) {
            fraction = 0;
        } else {
            break;
        }
    }
    if (i == size && digits > 0 && fraction <= scale && digits + scale - qMax(fraction, 0) <= 18) {
        for (int f = qMax(fraction, 0); f < scale; ++f)
            v *= 10;
        *scaled = neg ? -qint64(v) : qint64(v);
        return true;
    }
    return parseDecimalImpl(text, text + size, scale, scaled);
}

bool ParseTime(QStringView text, qint64 *ticks)
{
    text = text.trimmed();
    if (text.size() < 8 || text.at(2) != QLatin1Char(':') || text.at(5) != QLatin1Char(':'))
        return false;
    int h, m, s;
    if (!parseInt(text.mid(0, 2), &h) || !parseInt(text.mid(3, 2), &m) || !parseInt(text.mid(6, 2), &s) || h > 23
        || m > 59 || s > 59)
        return false;
    qint64 frac = 0;
    if (text.size() > 8) {
        if (text.at(8) != QLatin1Char('.'))
            return false;
        const QStringView f = text.mid(9);
        if (f.isEmpty() || f.size() > 9)
            return false;
        int digits = 0;
        for (QChar c : f) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
            if (digits < 7) {
                frac = frac * 10 + (c.unicode() - '0');
                ++digits;
            }
        }
        for (; digits < 7; ++digits)
            frac *= 10;
    }
    *ticks = (qint64(h) * 3600 + m * 60 + s) * TicksPerSecond + frac;
    return true;
}

bool ParseDateTimeOffset(QStringView text, qint64 *localTicks, int *offsetMinutes)
{
    text = text.trimmed();
    if (text.size() < 10 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-'))
        return false;
    int y, mo, d;
    if (!parseInt(text.mid(0, 4), &y) || !parseInt(text.mid(5, 2), &mo) || !parseInt(text.mid(8, 2), &d)
        || !QDate::isValid(y, mo, d))
        return false;
    QStringView rest = text.mid(10).trimmed();
    qint64 time = 0;
    int offset = 0;
    const qsizetype sign = qMax(rest.lastIndexOf(QLatin1Char('+')), rest.lastIndexOf(QLatin1Char('-')));
    if (sign >= 0) {
        const QStringView off = rest.mid(sign + 1).trimmed();
        int oh, om;
        if (off.size() != 5 || off.at(2) != QLatin1Char(':') || !parseInt(off.mid(0, 2), &oh)
            || !parseInt(off.mid(3, 2), &om))
            return false;
        offset = (oh * 60 + om) * (rest.at(sign) == QLatin1Char('-') ? -1 : 1);
        rest = rest.left(sign).trimmed();
    }
    if (!rest.isEmpty() && !ParseTime(rest, &time))
        return false;
    *localTicks = qint64(DaysFromCivil(y, mo, d)) * TicksPerDay + time;
    *offsetMinutes = offset;
    return true;
}

} // namespace dbtext
