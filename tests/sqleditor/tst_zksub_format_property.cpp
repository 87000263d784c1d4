// Over a corpus of scripts and every option set: the formatter changes
// blanks, line breaks and letter case only. Literals and comments come out
// exactly, bracketed names whole.

#include "core/zkoption.h"
#include "sqleditor/zksub_format.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// Non-blank characters, upper-cased one UTF-16 unit at a time as the
// formatter does.
QString foldedNonBlank(const QString &s)
{
    QString r;
    r.reserve(s.size());
    for (QChar c : s) {
        if (!isBlank(c))
            r += c.toUpper();
    }
    return r;
}

struct Pieces
{
    QStringList exact;    // literals and comments
    QStringList brackets; // bracketed names, case-folded
};

// A small T-SQL lexer, independent of the formatter's own scanning.
Pieces pieces(const QString &s)
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
                ch = ch.toUpper();
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

struct OptionSet
{
    const char *name;
    TFormatOption option;
};

// Indent, ItemReturn, ReservePos, CommaPos, AndPos, ReserveTrans, ItemTrans
const OptionSet optionSets[] = {
    {"defaults", {4, 0, 0, 0, 0, 0, 0}},      {"one line", {4, 1, 0, 0, 0, 0, 0}},
    {"left keywords", {4, 0, 1, 0, 0, 0, 0}}, {"commas and ANDs at the end", {4, 0, 0, 1, 1, 0, 0}},
    {"lower case", {2, 0, 0, 0, 0, 1, 1}},    {"case unchanged", {0, 0, 0, 0, 0, 2, 2}},
    {"mixed", {8, 0, 1, 1, 1, 2, 1}},         {"hand-edited values", {3, 2, 5, 2, 7, 9, 5}},
};

class FormatterProperty : public ::testing::Test
{
protected:
    void TearDown() override { FormatOption = TFormatOption(); }
};

void checkKeepsText(const QString &input, const QString &what)
{
    QString output;
    ASSERT_NO_THROW(output = FormatSqlText(input)) << what.toStdString();

    const QString a = foldedNonBlank(input);
    const QString b = foldedNonBlank(output);
    if (a != b) {
        qsizetype i = 0;
        while (i < a.size() && i < b.size() && a[i] == b[i])
            ++i;
        ADD_FAILURE() << what.toStdString() << ": non-blank text differs at " << i
                      << "\n  input:  " << a.mid(std::max<qsizetype>(0, i - 30), 60).toStdString()
                      << "\n  output: " << b.mid(std::max<qsizetype>(0, i - 30), 60).toStdString()
                      << "\n--- output ---\n"
                      << output.toStdString();
        return;
    }
    // A batch separator alone on its line stays alone on its line.
    auto goLines = [](const QString &s) {
        int n = 0;
        for (const QString &line : s.split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")))) {
            if (line.trimmed().compare(QLatin1String("GO"), Qt::CaseInsensitive) == 0)
                ++n;
        }
        return n;
    };
    QString shown = input;
    shown.replace(QLatin1Char('\r'), QLatin1String("<CR>"));
    EXPECT_GE(goLines(output), goLines(input)) << what.toStdString() << "\n--- input ---\n"
                                               << shown.toStdString() << "\n--- output ---\n"
                                               << output.toStdString();

    const Pieces in = pieces(input);
    const Pieces out = pieces(output);
    EXPECT_EQ(in.exact, out.exact) << what.toStdString() << "\n--- output ---\n" << output.toStdString();
    EXPECT_EQ(in.brackets, out.brackets) << what.toStdString();
}

TEST_F(FormatterProperty, KeepsEveryNonBlankCharacterOfTheCorpus)
{
    const QDir dir(QStringLiteral(ZK_FIXTURES_DIR "/sql"));
    const QStringList files = dir.entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 30);
    for (const QString &name : files) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QString lf = QString::fromUtf8(f.readAll());
        QString crlf = lf;
        crlf.replace(QLatin1String("\n"), QLatin1String("\r\n"));
        for (const OptionSet &set : optionSets) {
            FormatOption = set.option;
            checkKeepsText(crlf, name + QStringLiteral(" / ") + QLatin1String(set.name));
            checkKeepsText(lf, name + QStringLiteral(" (LF) / ") + QLatin1String(set.name));
        }
    }
}

// Every prefix of a script: statements cut anywhere, literals and comments
// left open, a last word with no delimiter after it.
TEST_F(FormatterProperty, KeepsTheTextOfEveryPrefix)
{
    QFile f(QStringLiteral(ZK_FIXTURES_DIR "/sql/36_comment_edges.sql"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QString text = QString::fromUtf8(f.readAll());
    text.replace(QLatin1String("\n"), QLatin1String("\r\n"));
    text += QStringLiteral("SELECT 'a''b', [c]]d] FROM \"e\" WHERE x != 1 /* y */ -- z");
    for (qsizetype len = 0; len <= text.size(); ++len)
        checkKeepsText(text.left(len), QStringLiteral("prefix of %1").arg(len));
}

// Random sequences of tokens, comment and literal marks, brackets and
// keywords: layouts the corpus does not reach.
TEST_F(FormatterProperty, KeepsTheTextOfRandomTokenSequences)
{
    static const char *const tokens[] = {
        "SELECT",
        "FROM",
        "WHERE",
        "AND",
        "OR",
        "GROUP",
        "ORDER",
        "BY",
        "HAVING",
        "INSERT",
        "INTO",
        "VALUES",
        "UPDATE",
        "SET",
        "DELETE",
        "UNION",
        "FOR",
        "JOIN",
        "LEFT",
        "INNER",
        "OUTER",
        "ON",
        "BEGIN",
        "END",
        "IF",
        "ELSE",
        "ELSIF",
        "THEN",
        "LOOP",
        "DECLARE",
        "CURSOR",
        "IS",
        "EXCEPTION",
        "WHEN",
        "CREATE",
        "WHILE",
        "GO",
        "go",
        "BETWEEN",
        "N",
        "x",
        "y1",
        "@v",
        "#t",
        "[a b]",
        "[from]",
        "]]",
        "[",
        "]",
        "\"q x\"",
        "\"",
        "'lit'",
        "'a''b'",
        "'",
        "'multi\r\nline'",
        "-- c\r\n",
        "--",
        "/* b */",
        "/* n /* m */ k */",
        "/*",
        "*/",
        "(",
        ")",
        ",",
        ";",
        "*",
        "=",
        "<",
        ">",
        "!",
        "!=",
        "<>",
        "<=",
        "+=",
        "-",
        "/",
        "\r\n/\r\n",
        "\r\n",
        "\n",
        "\r",
        " ",
        "\t",
        "1.5e-3",
        "1e",
        "-1",
        ".",
        "dbo.t",
        "x.y",
        "NULL",
        "ß",
        "日本",
        "N'x'",
        "0x1F",
        "+",
        "e",
        "GROUP BY",
        "ORDER BY",
        "INSERT INTO",
        "END IF",
        "END LOOP",
        "\r\nGO\r\n",
        "@@ROWCOUNT",
    };
    const int count = int(sizeof(tokens) / sizeof(*tokens));
    QRandomGenerator random(20240611);
    for (int round = 0; round < 4000 && !HasFailure(); ++round) {
        QString text;
        const int length = random.bounded(1, 40);
        for (int i = 0; i < length; ++i) {
            text += QString::fromUtf8(tokens[random.bounded(count)]);
            if (random.bounded(3))
                text += QLatin1Char(' ');
        }
        for (const OptionSet &set : optionSets) {
            FormatOption = set.option;
            checkKeepsText(text, QStringLiteral("round %1 / ").arg(round) + QLatin1String(set.name));
        }
    }
}

} // namespace
