#pragma once
// What the formatter must keep of any text: every non-blank character (up to
// letter case), literals and comments exactly, bracketed names whole, and
// each batch separator alone on its line. Shared by the property tests and
// the formatter's fuzz target.

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace formatcheck {

inline bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Non-blank characters, case-folded one UTF-16 unit at a time: the formatter
// may change letter case either way ("ϴ" lowered is "θ", which raised is
// "Θ"), and folding maps all three alike.
inline QString foldedNonBlank(const QString &s)
{
    QString r;
    r.reserve(s.size());
    for (QChar c : s) {
        if (!isBlank(c))
            r += c.toCaseFolded();
    }
    return r;
}

struct Pieces
{
    QStringList exact;    // literals and comments
    QStringList brackets; // bracketed names, case-folded
};

// A small T-SQL lexer, independent of the formatter's own scanning.
inline Pieces pieces(const QString &s)
{
    Pieces p;
    const qsizetype n = s.size();
    qsizetype i = 0;
    auto closeQuoted = [&](QChar q, qsizetype from) {
        qsizetype j = from + 1;
        while (j < n) {
            if (s[j] == q) {
                if (j + 1 < n && s[j + 1] == q) {
                    j += 2;
                    continue;
                }
                return j + 1;
            }
            ++j;
        }
        return n;
    };
    while (i < n) {
        const QChar c = s[i];
        const QChar next = i + 1 < n ? s[i + 1] : QChar();
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype e = closeQuoted(c, i);
            p.exact << s.mid(i, e - i);
            i = e;
        } else if (c == QLatin1Char('[')) {
            const qsizetype e = closeQuoted(QLatin1Char(']'), i);
            QString b = s.mid(i, e - i);
            for (QChar &ch : b)
                ch = ch.toCaseFolded();
            p.brackets << b;
            i = e;
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            qsizetype e = i;
            while (e < n && s[e] != QLatin1Char('\r') && s[e] != QLatin1Char('\n'))
                ++e;
            p.exact << s.mid(i, e - i);
            i = e;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            int depth = 0;
            qsizetype e = i;
            while (e < n) {
                if (s[e] == QLatin1Char('/') && e + 1 < n && s[e + 1] == QLatin1Char('*')) {
                    ++depth;
                    e += 2;
                } else if (s[e] == QLatin1Char('*') && e + 1 < n && s[e + 1] == QLatin1Char('/')) {
                    e += 2;
                    if (--depth == 0)
                        break;
                } else {
                    ++e;
                }
            }
            p.exact << s.mid(i, e - i);
            i = e;
        } else {
            ++i;
        }
    }
    return p;
}

// Empty when OUTPUT keeps what it must of INPUT, else what differs.
inline QString keepsTextFailure(const QString &input, const QString &output)
{
    const QString a = foldedNonBlank(input);
    const QString b = foldedNonBlank(output);
    if (a != b) {
        qsizetype i = 0;
        while (i < a.size() && i < b.size() && a[i] == b[i])
            ++i;
        return QStringLiteral("non-blank text differs at %1\n  input:  %2\n  output: %3")
            .arg(i)
            .arg(a.mid(std::max<qsizetype>(0, i - 30), 60), b.mid(std::max<qsizetype>(0, i - 30), 60));
    }
    // A batch separator alone on its line stays alone on its line.
    auto goLines = [](const QString &s) {
        static const QRegularExpression breaks(QStringLiteral("\\r\\n|\\r|\\n"));
        int n = 0;
        for (const QString &line : s.split(breaks)) {
            if (line.trimmed().compare(QLatin1String("GO"), Qt::CaseInsensitive) == 0)
                ++n;
        }
        return n;
    };
    if (goLines(output) < goLines(input))
        return QStringLiteral("a GO line was joined to other text");
    const Pieces in = pieces(input);
    const Pieces out = pieces(output);
    if (in.exact != out.exact)
        return QStringLiteral("a literal or comment changed");
    if (in.brackets != out.brackets)
        return QStringLiteral("a bracketed name changed");
    return {};
}

} // namespace formatcheck
