#include "core/zkoption.h"
#include "core/zksub_text.h"
#include "support/names/hostilenames.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {

std::string u8(const QString &s)
{
    return s.toStdString();
}

// Helpers that read options start from the defaults and leave them so.
class TextHelpers : public ::testing::Test
{
protected:
    void SetUp() override
    {
        zkOption = TzkOption();
        ScriptOption.NullLine = false;
    }
    void TearDown() override
    {
        zkOption = TzkOption();
        ScriptOption.NullLine = false;
    }
};

TEST_F(TextHelpers, BracketName)
{
    struct Case
    {
        QString name;
        bool force;
        bool useLowerName;
        QString want;
    };
    const Case cases[] = {
        {"dbo", false, false, "dbo"},
        {"Table_1", false, false, "Table_1"},
        {"顧客マスタ", false, false, "顧客マスタ"},
        {"ｶﾅ１２", false, false, "ｶﾅ１２"},
        {"_x@y#z$", false, false, "[_x@y#z$]"}, // @ # $ are among the characters always bracketed
        {"my table", false, false, "[my table]"},
        {"a-b", false, false, "[a-b]"},
        {"1abc", false, false, "[1abc]"},
        {"$abc", false, false, "[$abc]"},
        {"a.b", false, false, "[a.b]"},
        {"a,b", false, false, "[a,b]"},
        {"a|b", false, false, "[a|b]"},
        {"顧客・住所", false, false, "[顧客・住所]"},
        {"order", false, false, "[order]"},
        {"User", false, false, "[User]"},
        {"TRY_CONVERT", false, false, "[TRY_CONVERT]"},
        {"orders", false, false, "orders"},
        {"a]b", false, false, "[a]]b]"},
        {"x]", true, false, "[x]]]"},
        {"  [already]", false, false, "[already]"},
        {"[a]]b]", false, false, "[a]]b]"},
        {"[a", false, false, "[[a]"},
        {"[x]; drop table t;--", false, false, "[[x]]; drop table t;--]"},
        {"[a]b]", false, false, "[[a]]b]]]"},
        {"[]", false, false, "[[]]]"},
        {"x", true, false, "[x]"},
        {"x", false, true, "[x]"},
        {" x ", true, false, "[ x ]"},
        {"", false, false, ""},
        {"", true, false, "[]"},
        {"", false, true, "[]"},
        {"a\U0001F600", false, false, "[a\U0001F600]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(u8(c.name));
        zkOption.UseLowerName = c.useLowerName;
        const QString got = BracketName(c.name, c.force);
        EXPECT_EQ(u8(got), u8(c.want));
        if (!c.name.contains('[') && !c.name.isEmpty()) {
            EXPECT_EQ(u8(UnbracketName(BracketName(c.name, true))), u8(c.name));
        }
    }
    // The option's default is on.
    zkOption = TzkOption();
    EXPECT_EQ(u8(BracketName("dbo")), "[dbo]");
}

// Every hostile name, bracketed with and without force, reads back as
// exactly that object: nothing of it can end the name early and run as SQL.
TEST_F(TextHelpers, HostileNamesReadBackAsThemselves)
{
    for (const bool lower : {false, true}) {
        zkOption.UseLowerName = lower;
        for (const THostileName &h : HostileNames()) {
            for (const bool force : {false, true}) {
                SCOPED_TRACE(std::string(h.label) + (force ? " forced" : "") + (lower ? " lower" : ""));
                EXPECT_EQ(ReadTSqlIdentifier(BracketCatalogName(h.name, force)), h.name);
                // None of the table is one well-formed bracketed name, so the
                // helper for typed text brackets them all the same way.
                EXPECT_EQ(ReadTSqlIdentifier(BracketName(h.name, force)), h.name);
                EXPECT_EQ(u8(UnbracketName(BracketCatalogName(h.name, true))), u8(h.name));
                EXPECT_EQ(ReadTSqlIdentifier(QuoteName(h.name)), h.name);
            }
            if (h.name != QStringLiteral("\"q\"")) {
                SCOPED_TRACE(std::string(h.label) + " double-quoted");
                EXPECT_EQ(ReadTSqlIdentifier(QuoteNameDouble(h.name)), h.name);
                EXPECT_EQ(u8(UnquoteDouble(QuoteNameDouble(h.name))), u8(h.name));
            }
        }
    }
}

// A catalogue name is never taken as bracketed already; regular names stay
// bare as with BracketName.
TEST_F(TextHelpers, BracketCatalogName)
{
    zkOption.UseLowerName = false;
    const std::pair<QString, QString> cases[] = {
        {"Sales", "Sales"}, {"[Sales]", "[[Sales]]]"}, {" [a] ", "[ [a]] ]"}, {"order", "[order]"},
        {"", ""},           {"a b", "[a b]"},
    };
    for (const auto &[in, want] : cases)
        EXPECT_EQ(u8(BracketCatalogName(in)), u8(want)) << u8(in);
    EXPECT_EQ(u8(BracketCatalogName("Sales", true)), "[Sales]");
    // QuoteName brackets every name, a regular one or one in brackets alike.
    EXPECT_EQ(u8(QuoteName("Sales")), "[Sales]");
    EXPECT_EQ(u8(QuoteName("[a]")), "[[a]]]");
    EXPECT_EQ(u8(QuoteName("")), "[]");
}

TEST_F(TextHelpers, UnbracketName)
{
    const std::pair<QString, QString> cases[] = {
        {"[abc]", "abc"},
        {"[a]]b]", "a]b"},
        {"[]", "[]"},
        {"", ""},
        {"[", "["},
        {"]", "]"},
        {"abc", "abc"},
        {"[abc", "[abc"},
        {"[a]b]", "[a]b]"},
        {"[x]]", "[x]]"},
        {"[x]; drop table t;--]", "[x]; drop table t;--]"},
    };
    for (const auto &[in, want] : cases)
        EXPECT_EQ(u8(UnbracketName(in)), u8(want)) << u8(in);
}

TEST_F(TextHelpers, LiteralsAndNationalPrefix)
{
    EXPECT_EQ(u8(QuoteSQLStr("O'Brien")), "'O''Brien'");
    EXPECT_EQ(u8(QuoteSQLStr("")), "''");

    const std::pair<QString, QString> prefix[] = {
        {"'abc'", "N'abc'"}, {"abc", "abc"}, {"'", "N'"}, {"", ""}, {"'abc", "'abc"},
    };
    for (const auto &[in, want] : prefix)
        EXPECT_EQ(u8(AddNationalPrefix(in)), u8(want)) << u8(in);

    const std::pair<QString, bool> national[] = {
        {"N'abc'", true}, {"N''", true},        {"N'日本語'", true}, {"n'abc'", false}, {"'abc'", false},
        {"N'abc", false}, {"N'a\r\nb'", false}, {"xN'abc'", false},  {"N'", false},
    };
    for (const auto &[in, want] : national)
        EXPECT_EQ(IsNationalLiteral(in), want) << u8(in);
}

TEST_F(TextHelpers, DoubleQuotedNames)
{
    struct Case
    {
        QString in;
        bool useLowerName;
        QString want;
    };
    const Case cases[] = {
        {"NAME", false, "NAME"},
        {"Name", false, "\"Name\""},
        {" NAME", false, "\" NAME\""},
        {"A-B", false, "\"A-B\""},
        {"NAME", true, "\"NAME\""},
        {"F(X)", false, "\"F(X)\""},
        {"F（X）", false, "\"F（X）\""},
        {"a\"b", false, "\"a\"\"b\""},
        {"\"Name\"", false, "\"Name\""},
        {"\"F(x)\"", false, "\"F(x)\""},
        {" \"Name\" ", false, "\"Name\""},
        {"A B", false, "\"A B\""},
        {"SELECT", false, "\"SELECT\""},
        {"A;DROP", false, "\"A;DROP\""},
        {"\"A\";DROP", false, "\"\"\"A\"\";DROP\""},
        {"", false, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(u8(c.in));
        zkOption.UseLowerName = c.useLowerName;
        EXPECT_EQ(u8(QuoteNameDouble(c.in)), u8(c.want));
    }

    const std::pair<QString, QString> unquote[] = {
        {"\"abc\"", "abc"}, {"\"a\"\"b\"", "a\"b"},   {"\"abc\".x", "\"abc\".x"}, {"abc", "abc"}, {"\"abc", "\"abc"},
        {"", ""},           {"\"a\"b\"", "\"a\"b\""},
    };
    for (const auto &[in, want] : unquote)
        EXPECT_EQ(u8(UnquoteDouble(in)), u8(want)) << u8(in);
}

TEST_F(TextHelpers, TrimPositionsAndMatching)
{
    EXPECT_EQ(u8(TrimBlanks(" \t\r\nabc \r\n\t")), "abc");
    EXPECT_EQ(u8(TrimBlanks(QStringLiteral("\u3000abc\u3000"))), u8(QStringLiteral("\u3000abc\u3000")));
    EXPECT_EQ(u8(TrimBlanks(QStringLiteral("\x01"
                                           "abc"))),
              "\x01"
              "abc");
    EXPECT_EQ(u8(RemoveCR("a\r\nb\r")), "a\nb");
    EXPECT_EQ(u8(CopyByPos("abcdef", 2, 4)), "bcd");
    EXPECT_EQ(u8(CopyByPos("abcdef", 4, 3)), "");

    struct Pos
    {
        QString pattern, s;
        int offset, want;
    };
    const Pos pos[] = {
        {"b", "abcabc", 1, 2}, {"b", "abcabc", 3, 5}, {"b", "abcabc", 6, 0}, {"b", "abcabc", 7, 0},
        {"b", "abcabc", 0, 0}, {"x", "abc", 1, 0},    {"", "abc", 1, 0},
    };
    for (const Pos &p : pos)
        EXPECT_EQ(AnsiPosFrom(p.pattern, p.s, p.offset), p.want) << u8(p.s) << " " << p.offset;

    EXPECT_FALSE(MatchStr("ab", {"a"}, false));
    EXPECT_TRUE(MatchStr("ab", {"a"}, true));
    EXPECT_TRUE(MatchStr("ab", {"x", "ab"}, false));
    EXPECT_FALSE(MatchStr("AB", {"ab"}, false));
    EXPECT_FALSE(MatchStr("ab", {""}, true));
    EXPECT_TRUE(MatchStr("", {""}, false));

    EXPECT_EQ(u8(ReplaceEach("a-b_a-b", {"-", "_"}, "+", rfReplaceAll)), "a+b+a+b");
    EXPECT_EQ(u8(ReplaceEach("a-b-c", {"-"}, "+", {})), "a+b-c");
    EXPECT_EQ(u8(ReplaceEach("Go go GO", {"go"}, "x", rfReplaceAll | rfIgnoreCase)), "x x x");
    EXPECT_EQ(u8(ReplaceEach("abc", {"a", "Xb"}, "X", rfReplaceAll)), "Xc");
}

TEST_F(TextHelpers, ListText)
{
    EXPECT_EQ(u8(ListToText({"a", "b"})), "a\r\nb\r\n");
    EXPECT_EQ(u8(ListToText({})), "");
    EXPECT_EQ(TextToList("a\r\nb\r\n"), QStringList({"a", "b"}));
    EXPECT_EQ(TextToList("a\nb\rc"), QStringList({"a", "b", "c"}));
    EXPECT_EQ(TextToList("a\r\n\r\nb"), QStringList({"a", "", "b"}));
    EXPECT_TRUE(TextToList("").isEmpty());
}

TEST_F(TextHelpers, DisplayWidth)
{
    const std::pair<QString, int> cases[] = {
        {"ｱｲｳ", 3}, {"あいう", 6}, {"A\tB", 4}, {"", 0}, {"漢a", 3}, {"\U0001F600", 2}, {"ＡＢ", 4}, {"~ ", 2},
    };
    for (const auto &[s, want] : cases)
        EXPECT_EQ(GetDisplayWidth(s), want) << u8(s);
}

TEST_F(TextHelpers, ExtractExecuteSqlText)
{
    struct Case
    {
        QString in;
        bool check;
        QString want;
    };
    const QString notCall = "SELECT 'x' FROM t";
    const Case cases[] = {
        {"exec sp_executesql N'SELECT * FROM t WHERE a = @p', N'@p int', @p = 1", true, "SELECT * FROM t WHERE a = @p"},
        {QStringLiteral("EXEC\u3000sp_executesql\r\n N'SELECT ''a'''"), true, "SELECT 'a'"},
        {notCall, true, notCall},
        {notCall, false, "x"},
        {"exec sp_executesql @stmt", true, "exec sp_executesql @stmt"},
        {"exec sp_executesql N'unclosed", true, "exec sp_executesql N'unclosed"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(u8(ExtractExecuteSqlText(c.in, c.check)), u8(c.want)) << u8(c.in);
}

TEST_F(TextHelpers, RemoveRepeatedUse)
{
    struct Case
    {
        const char *name;
        QStringList in;
        QStringList want;
    };
    const Case cases[] = {
        {"two identical blocks",
         {"USE [db]", "GO", "", "CREATE TABLE a (x int)", "USE [db]", "GO", "", "CREATE TABLE b (x int)"},
         {"USE [db]", "GO", "", "CREATE TABLE a (x int)", "CREATE TABLE b (x int)"}},
        {"another database stops the removal",
         {"USE [db]", "GO", "X", "USE [other]", "GO", "Y", "USE [db]", "GO", "Z"},
         {"USE [db]", "GO", "X", "USE [other]", "GO", "Y", "USE [db]", "GO", "Z"}},
        {"the repetition ends with an empty line", {"use db", "A", "use db", "", "B"}, {"use db", "A", "B"}},
        {"GO with a blank is no GO line", {"USE db", "A", "USE db", "GO ", "B"}, {"USE db", "A", "GO ", "B"}},
        {"three in a row", {"USE db", "A", "USE db", "GO", "B", "USE db", "go", "", "C"}, {"USE db", "A", "B", "C"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList lines = c.in;
        RemoveRepeatedUse(lines);
        EXPECT_EQ(lines, c.want);
    }
}

TEST_F(TextHelpers, RemoveNullLines)
{
    const QStringList script = {"A", "", " ", "B", ""};
    QStringList lines = script;
    RemoveNullLines(lines);
    EXPECT_EQ(lines, script);
    ScriptOption.NullLine = true;
    RemoveNullLines(lines);
    EXPECT_EQ(lines, QStringList({"A", " ", "B"}));
}

TEST_F(TextHelpers, IsDefinitionKeywordAt)
{
    struct Case
    {
        const char *name;
        QString s;
        QString w;
        bool want;
    };
    const Case cases[] = {
        {"plain AS", "CREATE VIEW v\r\nAS SELECT 1", "AS", true},
        {"AS in a block comment", "CREATE VIEW v /* AS */\r\nAS SELECT 1", "AS", false},
        {"AS behind a line comment", "CREATE VIEW v -- x AS\r\nAS SELECT 1", "AS", false},
        {"AS after a default of minus one", "CREATE PROCEDURE p @a int = -1\r\nAS", "AS", true},
        {"CREATE after an unclosed block comment", "/* old\r\nCREATE VIEW v AS SELECT 1", "CREATE", false},
        {"nested block comments", "/* a /* b */ CREATE */ CREATE VIEW", "CREATE", false},
        {"after nested block comments", "/* a /* b */ c */ CREATE VIEW", "CREATE", true},
        {"in a literal", "SELECT 'CREATE' CREATE", "CREATE", false},
        {"in a bracketed name", "SELECT [x CREATE] CREATE", "CREATE", false},
        {"in a quoted name", "SELECT \"x CREATE\" CREATE", "CREATE", false},
        {"AS glued to a name", "CREATE VIEW vAS SELECT", "AS", false},
        {"AS after a bracketed name", "CREATE VIEW [v]AS SELECT", "AS", true},
        {"AS after a comment, then a blank", "CREATE VIEW v/*c*/AS SELECT", "AS", true},
        {"AS after a comment, glued", "CREATE VIEW v/*c*/ASX", "AS", false},
        {"RETURNS after a tab", "CREATE FUNCTION f()\tRETURNS int", "RETURNS", true},
        {"AS at the start", "AS SELECT 1", "AS", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        // The first occurrence, as the caller's search finds it.
        const int p = int(c.s.indexOf(c.w)) + 1;
        EXPECT_EQ(IsDefinitionKeywordAt(c.s, c.w, p), c.want);
    }
    EXPECT_TRUE(IsDefinitionKeywordAt("SELECT", "AS", 0));
    EXPECT_FALSE(IsDefinitionKeywordAt("/* open", "AS", 40));
}

TEST_F(TextHelpers, UtcToJstExpr)
{
    EXPECT_EQ(u8(UtcToJstExpr("o.create_date")), "dateadd(HOUR, 9, o.create_date)");
}

TEST_F(TextHelpers, FormatBcd)
{
    const std::pair<QString, QString> cases[] = {
        {"1234567.50", "1,234,567.5"},
        {"1234567", "1,234,567"},
        {"-1234.5678", "-1,234.5678"},
        {"0.000", "0"},
        {"-0.0", "0"},
        {".5", "0.5"},
        {"+12", "12"},
        {"000123", "123"},
        {"999", "999"},
        {"1000", "1,000"},
        {"12345678901234567890123456789.123456789", "12,345,678,901,234,567,890,123,456,789.123456789"},
        {"abc", "abc"},
        {"1,234", "1,234"},
        {"1.2.3", "1.2.3"},
        {"-", "-"},
        {"", ""},
    };
    for (const auto &[in, want] : cases)
        EXPECT_EQ(u8(FormatBcdText(in)), u8(want)) << u8(in);
}

TEST_F(TextHelpers, DateSample)
{
    const std::pair<QString, QString> cases[] = {
        {"yyyy/MM/dd", "2000/01/01 00:00:00"}, {"yy/MM/dd", "00/01/01 00:00:00"},
        {"MM/dd/yy", "01/01/00 00:00:00"},     {"dd/MM/yy", "01/01/00 00:00:00"},
        {"MM/dd/yyyy", "01/01/2000 00:00:00"}, {"dd/MM/yyyy", "01/01/2000 00:00:00"},
        {"yyyy-MM-dd", "2000/01/01 00:00:00"},
    };
    for (const auto &[format, want] : cases) {
        zkOption.DateFormat = format;
        EXPECT_EQ(u8(GetDateSampleText()), u8(want)) << u8(format);
    }
}

TEST_F(TextHelpers, VariantConversions)
{
    EXPECT_EQ(VarToFloatDef(QVariant(), 7.5), 7.5);
    EXPECT_EQ(VarToFloatDef(2.25, 0), 2.25);
    EXPECT_EQ(VarToFloatDef(QString(" 2.5 "), 0), 2.5);
    EXPECT_EQ(VarToFloatDef(QString("x"), -1), -1);

    EXPECT_EQ(VarToIntDef(QVariant(), 9), 9);
    EXPECT_EQ(VarToIntDef(42, 0), 42);
    EXPECT_EQ(VarToIntDef(QString("12"), 0), 12);
    EXPECT_EQ(VarToIntDef(2.5, 0), 2);
    EXPECT_EQ(VarToIntDef(3.5, 0), 4);
    EXPECT_EQ(VarToIntDef(1e12, -1), -1);
    EXPECT_EQ(VarToIntDef(QString("abc"), -1), -1);

    const QDateTime dt(QDate(2024, 1, 2), QTime(12, 0));
    EXPECT_EQ(VarToDateTimeDef(QVariant(), 1.0), 1.0);
    EXPECT_EQ(VarToDateTimeDef(dt, 0), TDateTimeFromDateTime(dt));
    EXPECT_EQ(VarToDateTimeDef(QDate(2024, 1, 2), 0), TDateTimeFromDateTime(QDateTime(QDate(2024, 1, 2), QTime(0, 0))));
    EXPECT_EQ(VarToDateTimeDef(QString("2024/01/02 12:00:00"), 0), TDateTimeFromDateTime(dt));
    EXPECT_EQ(VarToDateTimeDef(QString("never"), 3.0), 3.0);
}

} // namespace
