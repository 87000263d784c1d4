#include "sqlwindow/fsqlrun.h"

#include "sqleditor/zksub_parse.h"

#include <QLocale>

namespace {

const QString kLineEnd = QStringLiteral("\r\n");

// Cuts every code unit up to the blank from both ends; a full-width blank
// is text, not space.
QString trimControls(const QString &s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && s.at(begin).unicode() <= 0x20)
        ++begin;
    while (end > begin && s.at(end - 1).unicode() <= 0x20)
        --end;
    return s.mid(begin, end - begin);
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#')
           || c == QLatin1Char('$');
}

// The words of a comment-free text outside literals, quoted names and
// parentheses, upper-cased, in order.
QStringList topLevelWords(const QString &text)
{
    QStringList words;
    int depth = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            ++i;
            while (i < n) {
                if (text.at(i) == close) {
                    // A doubled closing character is part of the text.
                    if (i + 1 < n && text.at(i + 1) == close) {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            ++i;
        } else if (c == QLatin1Char('(')) {
            ++depth;
            ++i;
        } else if (c == QLatin1Char(')')) {
            if (depth > 0)
                --depth;
            ++i;
        } else if (isWordChar(c)) {
            const qsizetype start = i;
            while (i < n && isWordChar(text.at(i)))
                ++i;
            if (depth == 0)
                words.append(text.mid(start, i - start).toUpper());
        } else {
            ++i;
        }
    }
    return words;
}

} // namespace

bool IsSqlGoLine(const QString &line)
{
    return QLocale().toLower(trimControls(line)) == QLatin1String("go");
}

QList<TSqlBatch> SplitSqlBatches(const QStringList &lines)
{
    QList<TSqlBatch> batches;
    QString text;
    int first = 0;
    auto close = [&](int last) {
        if (trimControls(text).isEmpty())
            return;
        batches.append({text, first, last});
        text.clear();
    };
    for (int i = 0; i < lines.size(); ++i) {
        if (IsSqlGoLine(lines.at(i))) {
            close(i);
            first = i + 1;
        } else {
            text += lines.at(i) + kLineEnd;
        }
    }
    close(int(lines.size()) - 1);
    return batches;
}

bool SqlParamCreate(const QString &text)
{
    return text.left(6).toUpper() != QLatin1String("CREATE");
}

bool IsSqlQueryText(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    StripSqlComments(lines, false);
    const QStringList words = topLevelWords(lines.join(QLatin1Char('\n')));
    if (words.isEmpty() || words.contains(QLatin1String("INTO")))
        return false;
    if (words.first() == QLatin1String("SELECT"))
        return true;
    if (words.first() != QLatin1String("WITH"))
        return false;
    // The statement after the common table expressions decides.
    for (const QString &w : words.mid(1)) {
        if (w == QLatin1String("SELECT"))
            return true;
        if (w == QLatin1String("INSERT") || w == QLatin1String("UPDATE") || w == QLatin1String("DELETE")
            || w == QLatin1String("MERGE"))
            return false;
    }
    return false;
}

QString SqlExplanText(const QStringList &lines)
{
    QStringList plan;
    for (const QString &line : lines) {
        if (trimControls(line) == QLatin1String("/"))
            break;
        plan.append(line);
    }
    StripSqlComments(plan, true);
    return plan.join(kLineEnd);
}
