// The SQL window's run as texts: batches, parameter markers, the query
// test and the statement a plan is taken of.
#include "sqlwindow/fsqlrun.h"

#include <gtest/gtest.h>

namespace {

QStringList lines(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char('\n'));
}

TEST(SqlRun, GoLines)
{
    struct Case
    {
        const char *line;
        bool go;
    };
    const Case cases[] = {
        {"go", true},    {"GO", true},           {" Go\t ", true},    {"\tgO\r", true},    {"go;", false},
        {"go 2", false}, {"go -- x", false},     {"go\u3000", false}, {"\u3000go", false}, {"", false},
        {"ｇｏ", false}, {"select 1 go", false}, {"g o", false},      {"goto x", false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(IsSqlGoLine(QString::fromUtf8(c.line)), c.go) << c.line;
}

TEST(SqlRun, BatchesAtGoLines)
{
    // Go and blank lines only: nothing runs.
    EXPECT_TRUE(SplitSqlBatches(lines("go\n\n  \nGO\n")).isEmpty());
    EXPECT_TRUE(SplitSqlBatches({}).isEmpty());

    QList<TSqlBatch> b = SplitSqlBatches(lines("insert into t values (1)\n Go \nselect * from t"));
    ASSERT_EQ(b.size(), 2);
    EXPECT_EQ(b[0], (TSqlBatch{"insert into t values (1)\r\n", 0, 1}));
    EXPECT_EQ(b[1], (TSqlBatch{"select * from t\r\n", 2, 2}));

    // Lines that look like go but are not stay in their batch.
    b = SplitSqlBatches(lines("select 1\ngo;\ngo 2\ngo -- x\ngo\u3000\nGO\nselect 2"));
    ASSERT_EQ(b.size(), 2);
    EXPECT_EQ(b[0].Text, QString::fromUtf8("select 1\r\ngo;\r\ngo 2\r\ngo -- x\r\ngo\u3000\r\n"));
    EXPECT_EQ(b[0].LastLine, 5);
    EXPECT_EQ(b[1].FirstLine, 6);

    // Blank batches lead the next one; its first line starts after the go.
    b = SplitSqlBatches(lines("select 1\ngo\n\ngo\n\ncreate table t (a int)\ngo"));
    ASSERT_EQ(b.size(), 2);
    EXPECT_EQ(b[1], (TSqlBatch{"\r\n\r\ncreate table t (a int)\r\n", 4, 6}));
    EXPECT_TRUE(SqlParamCreate(b[1].Text));
}

TEST(SqlRun, ParameterCreation)
{
    const std::pair<const char *, bool> cases[] = {
        {"create procedure p as select :a", false},
        {"CREATE table t (a int)", false},
        {"Create", false},
        {" create table t (a int)", true},
        {"\r\ncreate table t (a int)", true},
        {"select :id", true},
        {"creat", true},
        {"", true},
    };
    for (const auto &[text, on] : cases)
        EXPECT_EQ(SqlParamCreate(QString::fromUtf8(text)), on) << text;
}

TEST(SqlRun, QueryTest)
{
    const std::pair<const char *, bool> cases[] = {
        {"select 1", true},
        {"  SELECT * from t", true},
        {"-- a note\r\n/* more */ select 1", true},
        {"select 1; update t set a = 1", true},
        {"with c as (select 1 as a) select * from c", true},
        {"with c (a) as (select 1) select a into #t from c", false},
        {"with c as (select 1 as a) update t set a = c.a from c", false},
        {"select * into #t from t", false},
        {"select 'into' as [into], \"into\" from t", true},
        {"select (select 1 into x) from t", true},
        {"select 'it''s' into #x", false},
        {"update t set a = 1 output inserted.*", false},
        {"insert into t select * from s", false},
        {"exec p", false},
        {"create table #t (a int); insert #t values (1); select * from #t", false},
        {"(select 1)", false},
        {"-- select 1", false},
        {"", false},
        {"選択 = 1", false},
    };
    for (const auto &[text, query] : cases)
        EXPECT_EQ(IsSqlQueryText(QString::fromUtf8(text)), query) << text;
}

TEST(SqlRun, PlanStatementStopsAtSlashAndSemicolon)
{
    EXPECT_EQ(SqlExplanText(lines("select 1; select 2\n/\nselect 3")), "select 1");
    // Comments go; the lines they leave blank do no harm to a plan.
    EXPECT_EQ(SqlExplanText(lines("-- which rows\nselect a\n  from t -- all\n /\t\nselect 3")).trimmed(),
              "select a\r\nfrom t");
    EXPECT_EQ(SqlExplanText(lines("select ';' as x; select 2")), "select ';' as x");
    EXPECT_EQ(SqlExplanText(lines("/\nselect 1")), "");
}

} // namespace
