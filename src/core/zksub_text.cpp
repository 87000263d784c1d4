#include "core/zksub_text.h"

namespace {
bool isTrimmedBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r')
           || c == QLatin1Char('\n');
}
} // namespace

QString TrimBlanks(const QString &s)
{
    qsizetype first = 0;
    qsizetype last = s.size();
    while (first < last && isTrimmedBlank(s[first]))
        ++first;
    while (last > first && isTrimmedBlank(s[last - 1]))
        --last;
    return s.mid(first, last - first);
}

QString RemoveCR(const QString &s)
{
    QString out = s;
    out.remove(QLatin1Char('\r'));
    return out;
}

QString CopyByPos(const QString &s, int first, int last)
{
    if (last < first)
        return QString();
    const qsizetype from = qMax(1, first);
    const qsizetype to = qMin<qsizetype>(last, s.size());
    if (to < from)
        return QString();
    return s.mid(from - 1, to - from + 1);
}

QString QuoteSQLStr(const QString &s)
{
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('\'');
    for (QChar c : s) {
        if (c == QLatin1Char('\''))
            out += QLatin1Char('\'');
        out += c;
    }
    out += QLatin1Char('\'');
    return out;
}

QString ListToText(const QStringList &lines)
{
    QString out;
    for (const QString &line : lines) {
        out += line;
        out += QLatin1String("\r\n");
    }
    return out;
}

QStringList TextToList(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines += text.mid(start, i - start);
        if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines += text.mid(start);
    return lines;
}
