#include "support/names/hostilenames.h"

#include <QSet>

namespace {

// The keywords that cannot name an object without delimiters; enough of
// them for the names of the table.
const QSet<QString> &reservedWords()
{
    static const QSet<QString> words = {
        QStringLiteral("SELECT"), QStringLiteral("DROP"), QStringLiteral("TABLE"),  QStringLiteral("ORDER"),
        QStringLiteral("USER"),   QStringLiteral("FROM"), QStringLiteral("WHERE"),  QStringLiteral("GO"),
        QStringLiteral("USE"),    QStringLiteral("EXEC"), QStringLiteral("INSERT"), QStringLiteral("DELETE"),
    };
    return words;
}

bool isRegularStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'@' || c == u'#';
}

bool isRegularPart(QChar c)
{
    return isRegularStart(c) || c.isDigit() || c == u'$';
}

std::optional<QString> readDelimited(const QString &text, QChar close)
{
    QString name;
    qsizetype i = 1;
    for (; i < text.size(); ++i) {
        if (text[i] != close) {
            name += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == close) {
            name += close;
            ++i;
            continue;
        }
        break;
    }
    // Unclosed, or something after the closing delimiter.
    if (i != text.size() - 1)
        return std::nullopt;
    return name;
}

} // namespace

const QList<THostileName> &HostileNames()
{
    static const QList<THostileName> names = {
        {"closing bracket", QStringLiteral("a]b")},
        {"apostrophe", QStringLiteral("x'y")},
        {"Japanese with blank", QStringLiteral("名 前")},
        {"leading digit", QStringLiteral("1abc")},
        {"keyword", QStringLiteral("select")},
        {"bracketed injection", QStringLiteral("[x]; drop table t;--")},
        {"open bracket only", QStringLiteral("[abc")},
        {"close bracket only", QStringLiteral("abc]")},
        {"bracket pair with extra close", QStringLiteral("[x]]")},
        {"lone open bracket", QStringLiteral("[")},
        {"empty brackets", QStringLiteral("[]")},
        {"two bracketed parts", QStringLiteral("[a]b]")},
        {"double-quoted", QStringLiteral("\"q\"")},
        {"double quote inside", QStringLiteral("a\"b")},
        {"line comment", QStringLiteral("a--b")},
        {"block comment", QStringLiteral("a/*b*/")},
        {"tab", QStringLiteral("a\tb")},
        {"line break", QStringLiteral("a\r\nb")},
        {"128 characters", QString(128, QLatin1Char('n'))},
        {"non-BMP character", QStringLiteral("a\U0001F600b")},
    };
    return names;
}

std::optional<QString> ReadTSqlIdentifier(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    std::optional<QString> name;
    if (text.front() == u'[') {
        name = readDelimited(text, u']');
    } else if (text.front() == u'"') {
        name = readDelimited(text, u'"');
    } else {
        if (!isRegularStart(text.front()))
            return std::nullopt;
        for (QChar c : text)
            if (c.isSurrogate() || !isRegularPart(c))
                return std::nullopt;
        if (reservedWords().contains(text.toUpper()))
            return std::nullopt;
        name = text;
    }
    if (name && name->size() > 128)
        return std::nullopt;
    return name;
}
