// Over a corpus of scripts and every option set: the formatter changes
// blanks, line breaks and letter case only. Literals and comments come out
// exactly, bracketed names whole.

#include "core/zkoption.h"
#include "sqleditor/zksub_format.h"
#include "support/properties/formatcheck.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

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
    const QString failure = formatcheck::keepsTextFailure(input, output);
    QString shown = input;
    shown.replace(QLatin1Char('\r'), QLatin1String("<CR>"));
    EXPECT_TRUE(failure.isEmpty()) << what.toStdString() << ": " << failure.toStdString() << "\n--- input ---\n"
                                   << shown.toStdString() << "\n--- output ---\n"
                                   << output.toStdString();
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

// Found by the fuzzer: lowered, "ϴ" becomes "θ", whose capital is "Θ"; the
// text is the same up to letter case.
TEST_F(FormatterProperty, CaseChangesOfSymbolLettersKeepTheText)
{
    for (const OptionSet &set : optionSets) {
        FormatOption = set.option;
        checkKeepsText(QStringLiteral("select ϴ, ϑ, ſ, K from [ϴ] where x = 'ϴ'"), QLatin1String(set.name));
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
