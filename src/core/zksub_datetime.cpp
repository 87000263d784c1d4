#include "core/zksub_datetime.h"

#include "platform/db/dbtext.h"

TzkFormatSettings FormatSettings;

void SetDateTimeFormats(const QString &dateFormat, const QString &timeFormat)
{
    FormatSettings.ShortDateFormat = dateFormat;
    FormatSettings.LongDateFormat = dateFormat;
    FormatSettings.ShortTimeFormat = timeFormat;
    FormatSettings.LongTimeFormat = timeFormat;
    // The database layer writes every date and time value of the grids,
    // lists, copies and exports; it follows the same settings.
    SetDBFormatSettings({DelphiToQtDateTimeFormat(dateFormat), DelphiToQtDateTimeFormat(timeFormat)});
}

namespace {

int runLength(const QString &s, int i, QChar c)
{
    int n = 0;
    while (i + n < s.size() && s.at(i + n).toLower() == c)
        ++n;
    return n;
}

bool startsWithCi(const QString &s, int i, QLatin1String word)
{
    return s.mid(i, word.size()).compare(word, Qt::CaseInsensitive) == 0;
}

QString quoted(const QString &literal)
{
    if (literal.isEmpty())
        return QString();
    QString out = literal;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

bool hasAmPm(const QString &p)
{
    return p.contains(QLatin1String("am/pm"), Qt::CaseInsensitive)
           || p.contains(QLatin1String("a/p"), Qt::CaseInsensitive)
           || p.contains(QLatin1String("ampm"), Qt::CaseInsensitive);
}

QString convert(const QString &p, int depth)
{
    const bool twelveHour = hasAmPm(p);
    QString out;
    QString literal;
    bool lastWasHour = false;
    auto flush = [&] {
        out += quoted(literal);
        literal.clear();
    };
    auto put = [&](const QString &token, bool hour) {
        flush();
        out += token;
        lastWasHour = hour;
    };
    // "c", "t" and friends name whole formats; a format naming itself
    // would never end.
    auto expand = [&](const QString &format) {
        if (depth < 2)
            put(convert(format, depth + 1), false);
    };

    int i = 0;
    while (i < p.size()) {
        const QChar c = p.at(i);
        const QChar lc = c.toLower();
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const int end = p.indexOf(c, i + 1);
            literal += p.mid(i + 1, (end < 0 ? p.size() : end) - i - 1);
            i = end < 0 ? p.size() : end + 1;
            continue;
        }
        if (startsWithCi(p, i, QLatin1String("am/pm"))) {
            put(QStringLiteral("AP"), false);
            i += 5;
            continue;
        }
        if (startsWithCi(p, i, QLatin1String("ampm"))) {
            put(QStringLiteral("AP"), false);
            i += 4;
            continue;
        }
        if (startsWithCi(p, i, QLatin1String("a/p"))) {
            put(QStringLiteral("ap"), false);
            i += 3;
            continue;
        }
        if (lc.isLetter() && lc.unicode() < 128) {
            const int n = runLength(p, i, lc);
            switch (lc.unicode()) {
            case 'y': put(n <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"), false); break;
            case 'm':
                if (lastWasHour && n <= 2)
                    put(n == 1 ? QStringLiteral("m") : QStringLiteral("mm"), false);
                else
                    put(QString(qMin(n, 4), QLatin1Char('M')), false);
                break;
            case 'n': put(n == 1 ? QStringLiteral("m") : QStringLiteral("mm"), false); break;
            case 'd':
                if (n <= 4)
                    put(QString(n, QLatin1Char('d')), false);
                else
                    expand(n == 5 ? FormatSettings.ShortDateFormat : FormatSettings.LongDateFormat);
                break;
            case 'h': put(QString(qMin(n, 2), QLatin1Char(twelveHour ? 'h' : 'H')), true); break;
            case 's': put(n == 1 ? QStringLiteral("s") : QStringLiteral("ss"), false); break;
            case 'z': put(n < 3 ? QStringLiteral("z") : QStringLiteral("zzz"), false); break;
            case 'c': expand(FormatSettings.ShortDateFormat + QLatin1Char(' ') + FormatSettings.LongTimeFormat); break;
            case 't': expand(n == 1 ? FormatSettings.ShortTimeFormat : FormatSettings.LongTimeFormat); break;
            default: literal += p.mid(i, n); break;
            }
            i += n;
            continue;
        }
        literal += c;
        ++i;
    }
    flush();
    return out;
}

} // namespace

QString DelphiToQtDateTimeFormat(const QString &pattern)
{
    return convert(pattern, 0);
}

QString FormatDateTime(const QString &pattern, const QDateTime &value)
{
    return value.toString(DelphiToQtDateTimeFormat(pattern));
}

QString DateToStr(const QDate &value)
{
    return value.toString(DelphiToQtDateTimeFormat(FormatSettings.ShortDateFormat));
}

QString TimeToStr(const QTime &value)
{
    return value.toString(DelphiToQtDateTimeFormat(FormatSettings.LongTimeFormat));
}

QString DateTimeToStr(const QDateTime &value)
{
    const QString date = DateToStr(value.date());
    if (value.time() == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') + TimeToStr(value.time());
}

bool TryStrToDateTime(const QString &text, QDateTime &value)
{
    const QString s = text.trimmed();
    const QString date = DelphiToQtDateTimeFormat(FormatSettings.ShortDateFormat);
    const QStringList times = {DelphiToQtDateTimeFormat(FormatSettings.LongTimeFormat), QStringLiteral("H:m:s"),
                               QStringLiteral("H:m"), QStringLiteral("H:m:s.z")};
    for (const QString &time : times) {
        const QDateTime dt = QDateTime::fromString(s, date + QLatin1Char(' ') + time);
        if (dt.isValid()) {
            value = dt;
            return true;
        }
    }
    const QDate d = QDate::fromString(s, date);
    if (d.isValid()) {
        value = QDateTime(d, QTime(0, 0));
        return true;
    }
    return false;
}
