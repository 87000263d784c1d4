#include "editorcontrol/edutils.h"

#include <algorithm>

int CountChar(QStringView S, QChar Ch, int N)
{
    const qsizetype n = std::min<qsizetype>(S.size(), std::max(N, 0));
    return int(std::count(S.begin(), S.begin() + n, Ch));
}

bool IsLeadUnitAt(QStringView, int)
{
    return false;
}

bool IsTrailUnitAt(QStringView, int)
{
    return false;
}

QChar CharAt(QStringView S, int Position)
{
    if (Position < 1 || Position > S.size())
        return QChar(0);
    return S[Position - 1];
}

bool ContainsAtUnitBoundary(QStringView Sub, QStringView S)
{
    if (Sub.isEmpty() || Sub.size() > S.size())
        return false;
    return S.contains(Sub, Qt::CaseSensitive);
}

QList<QStringView> SplitLines(QStringView Text)
{
    QList<QStringView> lines;
    if (Text.isEmpty())
        return lines;
    lines.reserve(Text.count(QLatin1Char('\n')) + 1);
    const QChar *p = Text.data();
    const QChar *end = p + Text.size();
    while (p < end) {
        const QChar *start = p;
        while (p < end && *p != QLatin1Char('\r') && *p != QLatin1Char('\n'))
            ++p;
        lines.append(QStringView(start, p - start));
        if (p < end && *p == QLatin1Char('\r'))
            ++p;
        if (p < end && *p == QLatin1Char('\n'))
            ++p;
    }
    return lines;
}

void SetStringsText(const QString &Text, QStringList &Lines)
{
    Lines.clear();
    const QList<QStringView> lines = SplitLines(Text);
    Lines.reserve(lines.size());
    for (QStringView line : lines)
        Lines.append(line.toString());
}

int LeadingBlankCount(QStringView S)
{
    if (S.isEmpty())
        return -1;
    int count = 0;
    for (QChar c : S) {
        if (c == QLatin1Char(' '))
            count += 1;
        else if (c.unicode() == 0x3000)
            count += 2;
        else
            break;
    }
    return count;
}

QString TrimLeadingBlanks(QStringView S)
{
    qsizetype i = 0;
    while (i < S.size() && (S[i].unicode() <= 0x20 || S[i].unicode() == 0x3000))
        ++i;
    return S.mid(i).toString();
}
