#include "support/rules/tdsrules.h"

#include <QDateTime>
#include <QUuid>

#include <gtest/gtest.h>

using namespace tdsrules;

namespace {

RuleSet load(const QString &text)
{
    RuleSet rules;
    QString error;
    EXPECT_TRUE(rules.loadText(text, QStringLiteral("t.rules"), &error)) << error.toStdString();
    return rules;
}

QString loadError(const QString &text)
{
    RuleSet rules;
    QString error;
    EXPECT_FALSE(rules.loadText(text, QStringLiteral("t.rules"), &error));
    return error;
}

// The single value of a one-column, one-row result of the given type.
QVariant valueOf(const QString &type, const QString &literal, int *subTicks = nullptr)
{
    const RuleSet rules = load(QStringLiteral("rule exact: q\n  result: c %1\n  row: %2\n").arg(type, literal));
    const QList<Answer> a = rules.answer(QStringLiteral("q"));
    if (a.size() != 1 || a[0].result.rows.size() != 1)
        return QStringLiteral("<no result>");
    if (subTicks)
        *subTicks = a[0].result.extraTicks(0, 0);
    return a[0].result.value(0, 0);
}

} // namespace

TEST(TdsRules, LiteralsBecomeTypedValues)
{
    const QDateTime utc(QDate(2024, 1, 31), QTime(12, 34, 56, 789), Qt::UTC);
    struct Case
    {
        const char *type;
        const char *literal;
        QVariant expected;
    } cases[] = {
        {"int", "-2147483648", qint64(-2147483648LL)},
        {"bigint", "9223372036854775807", qint64(9223372036854775807LL)},
        {"tinyint", "255", qint64(255)},
        {"bit", "1", true},
        {"bit", "0", false},
        {"decimal(38,10)", "1234567890123456789012345678.0123456789",
         QStringLiteral("1234567890123456789012345678.0123456789")},
        {"decimal(9,4)", "-1.5", QStringLiteral("-1.5000")},
        {"numeric(5,0)", "00042", QStringLiteral("42")},
        {"decimal(4,3)", ".5", QStringLiteral("0.500")},
        {"money", "-922337203685477.5808", QStringLiteral("-922337203685477.5808")},
        {"smallmoney", "12.5", QStringLiteral("12.5000")},
        {"float", "1e3", 1000.0},
        {"real", "-3.5", -3.5},
        {"char(4)", "'ab'", QStringLiteral("ab  ")},
        {"nchar(3)", "N'日'", QStringLiteral("日  ")},
        {"varchar(10)", "'it''s'", QStringLiteral("it's")},
        {"nvarchar(max)", "N'テスト'", QStringLiteral("テスト")},
        {"sql_variant", "42", QStringLiteral("42")},
        {"datetime2(3)", "'2024-01-31 12:34:56.789'", utc},
        {"datetime2", "'2024-01-31T12:34:56.789'", utc},
        {"datetime", "'2024-01-31 12:34:56.789'", QDateTime(QDate(2024, 1, 31), QTime(12, 34, 56, 790), Qt::UTC)},
        {"datetime", "'2024-01-31 23:59:59.999'", QDateTime(QDate(2024, 2, 1), QTime(0, 0), Qt::UTC)},
        {"smalldatetime", "'2024-01-31 12:34:29.998'", QDateTime(QDate(2024, 1, 31), QTime(12, 34), Qt::UTC)},
        {"smalldatetime", "'2024-01-31 12:34:29.999'", QDateTime(QDate(2024, 1, 31), QTime(12, 35), Qt::UTC)},
        {"date", "'0001-01-01'", QDate(1, 1, 1)},
        {"time(0)", "'23:59:59'", QTime(23, 59, 59)},
        {"datetimeoffset", "'2024-01-31 12:00:00 +09:00'",
         QDateTime(QDate(2024, 1, 31), QTime(12, 0), Qt::OffsetFromUTC, 9 * 3600)},
        {"uniqueidentifier", "'6F9619FF-8B86-D011-B42D-00C04FC964FF'",
         QUuid(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF"))},
        {"binary(3)", "0x0A", QByteArray("\x0A\x00\x00", 3)},
        {"varbinary(max)", "0x00ff", QByteArray("\x00\xFF", 2)},
        {"timestamp", "0x07D1", QByteArray("\x07\xD1\0\0\0\0\0\0", 8)},
        {"xml", "N'<a/>'", QStringLiteral("<a/>")},
        {"int", "NULL", QVariant()},
        {"nvarchar(5)", "null", QVariant()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.literal);
        const QVariant v = valueOf(QString::fromUtf8(c.type), QString::fromUtf8(c.literal));
        EXPECT_EQ(v.isNull(), c.expected.isNull());
        if (!c.expected.isNull()) {
            EXPECT_EQ(v.typeId(), c.expected.typeId());
            EXPECT_EQ(v, c.expected) << v.toString().toStdString();
            if (c.expected.typeId() == QMetaType::QDateTime) {
                EXPECT_EQ(v.toDateTime().offsetFromUtc(), c.expected.toDateTime().offsetFromUtc());
            }
        }
    }
}

TEST(TdsRules, DigitsBelowTheMillisecondAreKept)
{
    int sub = 0;
    const QVariant v = valueOf(QStringLiteral("datetime2(7)"), QStringLiteral("'2024-01-31 12:34:56.1234567'"), &sub);
    EXPECT_EQ(v.toDateTime().time(), QTime(12, 34, 56, 123));
    EXPECT_EQ(sub, 4567);
    valueOf(QStringLiteral("time(7)"), QStringLiteral("'00:00:00.0000001'"), &sub);
    EXPECT_EQ(sub, 1);
}

TEST(TdsRules, ValuesThatDoNotFitAreRejectedWithFileAndLine)
{
    struct Case
    {
        const char *type;
        const char *literal;
        const char *why;
    } cases[] = {
        {"int", "2147483648", "out of range"},
        {"tinyint", "-1", "out of range"},
        {"int", "1.5", "integer"},
        {"int", "'1'", "integer"},
        {"bit", "2", "1 or 0"},
        {"decimal(5,2)", "1234.5", "too many digits"},
        {"decimal(5,2)", "1.234", "too many digits"},
        {"smallmoney", "214748.3648", "out of range"},
        {"varchar(3)", "'abcd'", "too long"},
        {"varchar(3)", "'日本'", "too long"},
        {"nvarchar(2)", "N'abc'", "too long"},
        {"nvarchar(10)", "12", "quoted text"},
        {"binary(2)", "0x010203", "too long"},
        {"varbinary(4)", "'ab'", "0x"},
        {"date", "'2024-01-31 12:00'", "no time"},
        {"datetime2(2)", "'2024-01-31 12:00:00.123'", "fraction"},
        {"datetime", "'1752-12-31'", "out of range"},
        {"datetime2", "'2024-01-31 12:00 +09:00'", "offset"},
        {"date", "'2024-02-30'", "date or time"},
        {"uniqueidentifier", "'not-a-guid'", "GUID"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.literal);
        const QString error = loadError(QStringLiteral("# comment\nrule exact: q\n  result: col %1\n  row: %2\n")
                                            .arg(QString::fromUtf8(c.type), QString::fromUtf8(c.literal)));
        EXPECT_TRUE(error.startsWith(QLatin1String("t.rules:4: "))) << error.toStdString();
        EXPECT_TRUE(error.contains(QLatin1String(c.why))) << error.toStdString();
    }
}

TEST(TdsRules, MalformedFilesAreRejected)
{
    struct Case
    {
        const char *text;
        const char *error;
    } cases[] = {
        {"rule exact: q\n  result: a int\n  row: 1, 2\n", "t.rules:3: 2 values for 1 columns"},
        {"rule fuzzy: q\n", "t.rules:1: unknown rule mode 'fuzzy'"},
        {"rule regex: (\n  rowcount: 1\n", "t.rules:1: bad regular expression"},
        {"  rowcount: 1\n", "t.rules:1: an answer line outside a rule"},
        {"select 1\n", "t.rules:1: 'rule <mode>: <pattern>' expected"},
        {"rule exact: q\n  row: 1\n", "t.rules:2: 'row:' must follow"},
        {"rule exact: q\n  result: a widget\n", "t.rules:2: unknown column type 'widget'"},
        {"rule exact: q\n  error: 50000, 1, 10, 1, low\n", "t.rules:2: an error has severity 11 or more"},
        {"rule exact: q\n  message: 1, 1, text\n", "t.rules:2: 'message: number, state, class, text' expected"},
        {"rule exact: q\n  result: a int\n  row: 1,\n", "t.rules:3: a value is missing"},
        {"rule exact: q\n  result: a nvarchar(10)\n  row: N'open\n", "t.rules:3: a quoted text is not closed"},
        {"rule exact: q\n  bogus: 1\n", "t.rules:2: unknown answer 'bogus'"},
        {"rule exact: q\n  output: P1 = 1\n", "t.rules:2: 'output: @name = value, ...' expected"},
        {"rule exact: q\n  output: @P1 = 1 2\n", "t.rules:2: "},
        {"rule exact: q\n  return: five\n", "t.rules:2: 'return: <number>' expected"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_TRUE(loadError(QString::fromUtf8(c.text)).startsWith(QString::fromUtf8(c.error)))
            << loadError(QString::fromUtf8(c.text)).toStdString();
    }
}

TEST(TdsRules, ModesMatchAsDocumented)
{
    const RuleSet rules = load(QStringLiteral("rule exact: SELECT  a\t FROM t\n  rowcount: 1\n"
                                              "rule contains: from   sys.objects\n  rowcount: 2\n"
                                              "rule regex: ^\\s*update\\s+t1\\b\n  rowcount: 3\n"
                                              "rule regex: delete.from\n  rowcount: 4\n"
                                              "rule exact:\n  | select 1\n  | union all select 2\n  rowcount: 5\n"));
    struct Case
    {
        const char *sql;
        int line; // of the matching rule; 0: none
    } cases[] = {
        {"select a from t", 1},
        {"\r\n  select\ta\r\nfrom   T  ", 1},
        {"select a from t where 1=1", 0},
        {"select name FROM SYS.OBJECTS where type = 'U'", 3},
        {"select name from sys . objects", 0},
        {"  UPDATE T1 set x = 1", 5},
        {"update t10 set x = 1", 0},
        {"/* x */ update t1 set x = 1", 0},
        {"DELETE\nFROM t", 7},
        {"select 1 union all select 2", 9},
        {"select 1\nunion all select 2", 9},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        const Rule *r = rules.match(QString::fromUtf8(c.sql));
        EXPECT_EQ(r ? r->line : 0, c.line);
        if (r) {
            EXPECT_EQ(r->file, QStringLiteral("t.rules"));
        }
    }
}

TEST(TdsRules, LaterFilesWinAndParametersNarrowARule)
{
    RuleSet rules;
    QString error;
    ASSERT_TRUE(rules.loadText(QStringLiteral("rule contains: from t\n  rowcount: 1\n"
                                              "rule contains: from t where\n  rowcount: 2\n"),
                               QStringLiteral("first"), &error));
    ASSERT_TRUE(rules.loadText(QStringLiteral("rule contains: from t where\n  params: @P1 = N'dbo'\n  rowcount: 3\n"),
                               QStringLiteral("second"), &error));
    auto count = [&](const char *sql, const QString &params = {}) {
        const QList<Answer> a = rules.answer(QString::fromUtf8(sql), params);
        return a.size() == 1 && a[0].kind == Answer::RowCount ? a[0].rowCount : -1;
    };
    EXPECT_EQ(count("select * from t where x = @P1", QStringLiteral("@P1 = N'dbo'")), 3);
    EXPECT_EQ(count("select * from t where x = @P1", QStringLiteral("@P1 = N'sys'")), 1); // first file, first rule
    EXPECT_EQ(count("select * from t"), 1);
}

TEST(TdsRules, AnswersKeepTheirOrderAndRowCounts)
{
    const RuleSet rules = load(QStringLiteral("rule exact: q\n"
                                              "  message: 0, 1, 0, PRINT text, with a comma\n"
                                              "  result: [my col] int, '' nvarchar(5)   # a comment\n"
                                              "  row: 1, N'a'   # a comment\n"
                                              "  row: 2, NULL\n"
                                              "  rowcount: 7\n"
                                              "  rowcount: 3\n"
                                              "  error: 547, 0, 16, 2, The UPDATE statement conflicted, really\n"
                                              "  delay: 250\n"
                                              "  drop\n"));
    const QList<Answer> a = rules.answer(QStringLiteral("q"));
    ASSERT_EQ(a.size(), 6);
    EXPECT_EQ(a[0].kind, Answer::Message);
    EXPECT_EQ(a[0].text, QStringLiteral("PRINT text, with a comma"));
    EXPECT_EQ(a[1].kind, Answer::Result);
    EXPECT_EQ(a[1].result.columns[0].name, QStringLiteral("my col"));
    EXPECT_EQ(a[1].result.columns[1].name, QString());
    EXPECT_EQ(a[1].result.rowCount(), 2);
    EXPECT_EQ(a[1].rowCount, 7); // the first rowcount belongs to the result
    EXPECT_TRUE(a[1].result.value(1, 1).isNull());
    EXPECT_EQ(a[2].kind, Answer::RowCount);
    EXPECT_EQ(a[2].rowCount, 3);
    EXPECT_EQ(a[3].kind, Answer::Error);
    EXPECT_EQ(a[3].number, 547);
    EXPECT_EQ(a[3].severity, 16);
    EXPECT_EQ(a[3].line, 2);
    EXPECT_EQ(a[3].text, QStringLiteral("The UPDATE statement conflicted, really"));
    EXPECT_EQ(a[4].kind, Answer::Delay);
    EXPECT_EQ(a[4].delayMs, 250);
    EXPECT_EQ(a[5].kind, Answer::Drop);
}

TEST(TdsRules, LeadingUseStatementsChangeTheDatabase)
{
    const RuleSet rules = load(QStringLiteral("rule exact: select 1\n  rowcount: 1\n"
                                              "rule exact: use [missing]\n"
                                              "  error: 911, 1, 16, 1, Database 'missing' does not exist.\n"));
    Session s;
    QList<Answer> a = rules.answer(QStringLiteral("use [my]]db];\r\nUSE \"other\"\nselect 1"), {}, &s);
    ASSERT_EQ(a.size(), 3);
    EXPECT_EQ(a[0].kind, Answer::UseDatabase);
    EXPECT_EQ(a[0].text, QStringLiteral("my]db"));
    EXPECT_EQ(a[1].text, QStringLiteral("other"));
    EXPECT_EQ(a[2].kind, Answer::RowCount);
    EXPECT_EQ(s.database, QStringLiteral("other"));

    a = rules.answer(QStringLiteral("use tempdb"), {}, &s);
    ASSERT_EQ(a.size(), 1);
    EXPECT_EQ(s.database, QStringLiteral("tempdb"));

    // A rule may answer the "use" itself; its error ends the batch.
    a = rules.answer(QStringLiteral("use [missing]\nselect 1"), {}, &s);
    ASSERT_EQ(a.size(), 1);
    EXPECT_EQ(a[0].number, 911);
    EXPECT_EQ(s.database, QStringLiteral("tempdb"));

    // "user_name()" is no "use".
    QStringList dbs;
    QString rest;
    EXPECT_TRUE(splitLeadingUse(QStringLiteral("user_name()"), &dbs, &rest).isEmpty());
}

TEST(TdsRules, BuiltInAnswersCoverTheLogonStatements)
{
    const RuleSet rules;
    Session s;
    s.spid = 57;
    s.user = QStringLiteral("o'neil");
    s.database = QStringLiteral("sales");
    auto single = [&](const char *sql) {
        const QList<Answer> a = rules.answer(QString::fromUtf8(sql), {}, &s);
        return a.size() == 1 && a[0].kind == Answer::Result ? a[0].result.value(0, 0) : QVariant(QStringLiteral("?"));
    };
    EXPECT_TRUE(single("select @@version").toString().contains(QLatin1String("15.0.2000.5")));
    EXPECT_EQ(single("SELECT @@SPID"), QVariant(qint64(57)));
    EXPECT_EQ(single("select db_name()"), QVariant(QStringLiteral("sales")));
    EXPECT_EQ(single("select SUSER_SNAME();"), QVariant(QStringLiteral("o'neil")));
    EXPECT_EQ(single("select serverproperty('ProductVersion')"), QVariant(QStringLiteral("15.0.2000.5")));
    EXPECT_EQ(single("select CONVERT(int, 1)"), QVariant(QStringLiteral("?")));

    const QList<Answer> several =
        rules.answer(QStringLiteral("select serverproperty('Edition') as ed, @@spid [id], user_name()"), {}, &s);
    ASSERT_EQ(several.size(), 1);
    const ResultSet &rs = several[0].result;
    ASSERT_EQ(rs.columns.size(), 3);
    EXPECT_EQ(rs.columns[0].name, QStringLiteral("ed"));
    EXPECT_EQ(rs.columns[0].type, Type::SqlVariant);
    EXPECT_EQ(rs.columns[1].name, QStringLiteral("id"));
    EXPECT_EQ(rs.columns[2].name, QString());
    EXPECT_EQ(rs.value(0, 2), QVariant(QStringLiteral("dbo")));

    EXPECT_TRUE(rules.answer(QStringLiteral("set textsize 2147483647;\nSET ANSI_NULLS ON")).isEmpty());
    const QList<Answer> wait = rules.answer(QStringLiteral("waitfor delay '00:00:01.5'"));
    ASSERT_EQ(wait.size(), 1);
    EXPECT_EQ(wait[0].delayMs, 1500);

    const QList<Answer> none = rules.answer(QStringLiteral("select *\nfrom   nowhere"));
    ASSERT_EQ(none.size(), 1);
    EXPECT_EQ(none[0].kind, Answer::Error);
    EXPECT_EQ(none[0].number, 50000);
    EXPECT_EQ(none[0].severity, 16);
    EXPECT_EQ(none[0].text, QStringLiteral("no rule matches: select * from nowhere"));
}

TEST(TdsRules, TransactionsAreCounted)
{
    const RuleSet rules;
    Session s;
    EXPECT_EQ(rules.answer(QStringLiteral("commit"), {}, &s).value(0).number, 3902);
    EXPECT_EQ(rules.answer(QStringLiteral("begin tran"), {}, &s).value(0).text, QStringLiteral("begin"));
    EXPECT_TRUE(rules.answer(QStringLiteral("begin transaction inner"), {}, &s).isEmpty()); // nested
    EXPECT_EQ(rules.answer(QStringLiteral("select @@trancount"), {}, &s).value(0).result.value(0, 0),
              QVariant(qint64(2)));
    EXPECT_TRUE(rules.answer(QStringLiteral("commit"), {}, &s).isEmpty());
    EXPECT_EQ(rules.answer(QStringLiteral("rollback transaction"), {}, &s).value(0).text, QStringLiteral("rollback"));
    EXPECT_EQ(s.tranCount, 0);
}

TEST(TdsRules, GeneratedRowsFollowTheirGenerators)
{
    const RuleSet rules = load(QStringLiteral(
        "rule exact: big\n"
        "  result: id int, amount decimal(18,4), ratio float, name nvarchar(20), code char(8), at datetime2(3), "
        "flag bit, note varchar(5), d date\n"
        "  rows: 1000000 generated: seq, seq(0.0001, 1.25), seq(0.5, 0.25), N'名前 {n}', seq(10, 10), "
        "seq('2024-01-01 00:00:00', 0.0015), seq, NULL, seq('2024-02-28')   # a comment\n"));
    const QList<Answer> a = rules.answer(QStringLiteral("big"));
    ASSERT_EQ(a.size(), 1);
    const ResultSet &rs = a[0].result;
    ASSERT_TRUE(rs.isGenerated());
    EXPECT_TRUE(rs.rows.isEmpty());
    EXPECT_EQ(rs.rowCount(), 1000000);
    EXPECT_EQ(rs.value(0, 0), QVariant(qint64(1)));
    EXPECT_EQ(rs.value(999999, 0), QVariant(qint64(1000000)));
    EXPECT_EQ(rs.value(0, 1), QVariant(QStringLiteral("0.0001")));
    EXPECT_EQ(rs.value(2, 1), QVariant(QStringLiteral("2.5001")));
    EXPECT_EQ(rs.value(3, 2), QVariant(1.25));
    EXPECT_EQ(rs.value(41, 3), QVariant(QStringLiteral("名前 42")));
    EXPECT_EQ(rs.value(1, 4), QVariant(QStringLiteral("20      ")));
    EXPECT_EQ(rs.value(1, 5), QVariant(QDateTime(QDate(2024, 1, 1), QTime(0, 0, 0, 1), Qt::UTC))); // 1.5 ms cut to 1
    EXPECT_EQ(rs.value(0, 6), QVariant(true));
    EXPECT_EQ(rs.value(1, 6), QVariant(false));
    EXPECT_TRUE(rs.value(5, 7).isNull());
    EXPECT_EQ(rs.value(2, 8), QVariant(QDate(2024, 3, 1)));

    EXPECT_TRUE(loadError(QStringLiteral("rule exact: q\n  result: a tinyint\n  rows: 300 generated\n"))
                    .contains(QLatin1String("leaves the column's range")));
    EXPECT_TRUE(loadError(QStringLiteral("rule exact: q\n  result: a nvarchar(4)\n  rows: 100 generated: N'ab{n}'\n"))
                    .contains(QLatin1String("does not fit")));
    EXPECT_TRUE(loadError(QStringLiteral("rule exact: q\n  result: a int, b int\n  rows: 1 generated: seq\n"))
                    .contains(QLatin1String("1 generators for 2 columns")));
}

TEST(TdsRules, LoginRulesRefuseByUserName)
{
    const RuleSet rules = load(QStringLiteral("rule login: ^bad\n"
                                              "rule login: ^slow$\n  message: 0, 1, 0, welcome\n"));
    EXPECT_TRUE(rules.loginAnswers(QStringLiteral("sa")).isEmpty());
    const QList<Answer> bad = rules.loginAnswers(QStringLiteral("badUser"));
    ASSERT_EQ(bad.size(), 1);
    EXPECT_EQ(bad[0].number, 18456);
    EXPECT_EQ(bad[0].severity, 14);
    EXPECT_EQ(bad[0].text, QStringLiteral("Login failed for user 'badUser'."));
    EXPECT_TRUE(RuleSet::refusesLogin(bad));
    EXPECT_FALSE(RuleSet::refusesLogin(rules.loginAnswers(QStringLiteral("slow"))));
    // Login rules never answer statements.
    EXPECT_EQ(rules.match(QStringLiteral("bad")), nullptr);
}

TEST(TdsRules, ParametersRenderAsLiterals)
{
    const QList<Param> params = {
        {QStringLiteral("@P1"), QStringLiteral("nvarchar(4000)"), QStringLiteral("it's"), false},
        {QStringLiteral("@P2"), QStringLiteral("int"), qint64(5), false},
        {QStringLiteral("@P3"), QStringLiteral("decimal(18,4)"), QStringLiteral("1.5000"), false},
        {QStringLiteral("@P4"), QStringLiteral("varbinary(8000)"), QByteArray("\x0A\xFF", 2), false},
        {QStringLiteral("@P5"), QStringLiteral("datetime2(7)"),
         QDateTime(QDate(2024, 1, 31), QTime(1, 2, 3, 4), Qt::UTC), false},
        {QStringLiteral("@P6"), QStringLiteral("varchar(10)"), QVariant(), true},
        {QStringLiteral("@P7"), QStringLiteral("float"), 0.1, false},
    };
    EXPECT_EQ(renderParams(params, true),
              QStringLiteral("@P1 nvarchar(4000) = N'it''s', @P2 int = 5, @P3 decimal(18,4) = 1.5000, "
                             "@P4 varbinary(8000) = 0x0AFF, @P5 datetime2(7) = '2024-01-31 01:02:03.004', "
                             "@P6 varchar(10) = NULL output, @P7 float = 0.1"));
    EXPECT_EQ(renderParams(params.mid(0, 2), false), QStringLiteral("@P1 = N'it''s', @P2 = 5"));
}

namespace {

TEST(TdsRules, OutputAndReturnAnswersGiveTheOutputParametersTheirValues)
{
    const RuleSet rules = load(QStringLiteral("rule contains: = dbo.p\n"
                                              "  rowcount: 1\n"
                                              "  output: @P3 = N'受付済', @p4 = 2.5   # names ignore case\n"
                                              "  return: -4\n"));
    const QString statement = QStringLiteral("execute @P1 = dbo.p @P2, @P3 output, @P4 output, @P5 output");
    const QList<Answer> a = rules.answer(statement);
    ASSERT_EQ(a.size(), 3);
    EXPECT_EQ(returnStatus(a), -4);
    QList<Param> params{{"@P1", "bigint", QVariant(), true},
                        {"@P2", "nvarchar(4000)", QStringLiteral("in"), false},
                        {"@P3", "nvarchar(4000)", QVariant(), true},
                        {"@P4", "float", 0.0, true},
                        {"@P5", "bigint", qint64(41), true}};
    QString error;
    ASSERT_TRUE(applyOutputs(a, statement, &params, &error)) << error.toStdString();
    EXPECT_EQ(params[0].value, QVariant(qint64(-4))); // "exec @P1 = ..." takes the status
    EXPECT_EQ(params[1].value, QVariant(QStringLiteral("in")));
    EXPECT_EQ(params[2].value, QVariant(QStringLiteral("受付済")));
    EXPECT_EQ(params[3].value, QVariant(2.5));
    EXPECT_EQ(params[4].value, QVariant(qint64(41))); // not named: as sent

    // A value the parameter's type cannot take is refused, naming it.
    QList<Param> text{{"@P1", "bigint", QVariant(), true},
                      {"@P2", "nvarchar(4000)", QVariant(), true},
                      {"@P3", "nvarchar(4000)", QVariant(), true},
                      {"@P4", "int", QVariant(), true}};
    EXPECT_FALSE(applyOutputs(a, statement, &text, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("output @P4"))) << error.toStdString();
}

} // namespace
