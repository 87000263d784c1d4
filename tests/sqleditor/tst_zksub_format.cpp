#include "core/zkoption.h"
#include "sqleditor/zksub_format.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

QString lines(std::initializer_list<const char *> rows)
{
    QStringList list;
    for (const char *row : rows)
        list << QString::fromUtf8(row);
    return list.join(QStringLiteral("\r\n"));
}

const char *const sampleText = "/* 表示サンプル */\r\n"
                               "BEGIN SELECT S01.COL01, S01.COL02 FROM SAMPLE01 S01, SMAPLE02 S02 WHERE S01.COL01 = "
                               "S02.COL1 AND S01.COL2 IS NOT NULL GROUP BY COL1 HAVING COL1 > 1 AND COL2 IS NOT NULL "
                               "ORDER BY COL1, COL2 DESC; END;";

struct GoldenCase
{
    const char *name;
    TFormatOption option; // Indent, ItemReturn, ReservePos, CommaPos, AndPos, ReserveTrans, ItemTrans
    const char *input;
    QString expected;
};

void PrintTo(const GoldenCase &c, std::ostream *os)
{
    *os << c.name;
}

const TFormatOption defaults;

std::vector<GoldenCase> goldenCases()
{
    return {
        {"SampleDefaults", defaults, sampleText,
         lines({"/* 表示サンプル */", "BEGIN", "    SELECT S01.COL01", "          ,S01.COL02",
                "      FROM SAMPLE01 S01", "          ,SMAPLE02 S02", "     WHERE S01.COL01 = S02.COL1",
                "       AND S01.COL2 IS NOT NULL", "     GROUP BY COL1", "    HAVING COL1 > 1",
                "       AND COL2 IS NOT NULL", "     ORDER BY COL1", "             ,COL2 DESC; ", "END;"})},
        {"SampleKeywordsLeft",
         {4, 0, 1, 0, 0, 0, 0},
         sampleText,
         lines({"/* 表示サンプル */", "BEGIN", "    SELECT S01.COL01", "          ,S01.COL02",
                "    FROM   SAMPLE01 S01", "          ,SMAPLE02 S02", "    WHERE  S01.COL01 = S02.COL1",
                "    AND    S01.COL2 IS NOT NULL", "    GROUP BY COL1", "    HAVING COL1 > 1",
                "    AND    COL2 IS NOT NULL", "    ORDER BY COL1", "            ,COL2 DESC; ", "END;"})},
        {"SampleCommasAndAndsAtLineEnd",
         {4, 0, 0, 1, 1, 0, 0},
         sampleText,
         lines({"/* 表示サンプル */", "BEGIN", "    SELECT S01.COL01,", "           S01.COL02",
                "      FROM SAMPLE01 S01,", "           SMAPLE02 S02", "     WHERE S01.COL01 = S02.COL1 AND",
                "           S01.COL2 IS NOT NULL", "     GROUP BY COL1", "    HAVING COL1 > 1 AND",
                "           COL2 IS NOT NULL", "     ORDER BY COL1,", "              COL2 DESC; ", "END;"})},
        {"SampleOneLinePerClause",
         {4, 1, 0, 0, 0, 0, 0},
         sampleText,
         lines({"/* 表示サンプル */", "BEGIN", "    SELECT S01.COL01, S01.COL02",
                "      FROM SAMPLE01 S01, SMAPLE02 S02", "     WHERE S01.COL01 = S02.COL1 AND S01.COL2 IS NOT NULL",
                "     GROUP BY COL1", "    HAVING COL1 > 1 AND COL2 IS NOT NULL", "     ORDER BY COL1, COL2 DESC; ",
                "END;"})},
        {"SampleLowerCase",
         {4, 0, 0, 0, 0, 1, 1},
         sampleText,
         lines({"/* 表示サンプル */", "begin", "    select s01.col01", "          ,s01.col02",
                "      from sample01 s01", "          ,smaple02 s02", "     where s01.col01 = s02.col1",
                "       and s01.col2 is not null", "     group by col1", "    having col1 > 1",
                "       and col2 is not null", "     order by col1", "             ,col2 desc; ", "end;"})},
        // Keywords keep their case, but the formatter's own GROUP BY,
        // ORDER BY and INSERT INTO are written in capitals.
        {"KeywordCaseUnchanged",
         {4, 0, 0, 0, 0, 2, 0},
         "select a from t group by a order by a desc",
         lines({"select A", "  from T", " GROUP BY A", " ORDER BY A desc"})},
        {"InsertIntoInCapitals",
         {4, 0, 0, 0, 0, 2, 0},
         "insert into t (a) values (1)",
         lines({"INSERT INTO T", "       (A)", "values (1)"})},
        {"IndentStep",
         {2, 0, 0, 0, 0, 0, 0},
         "BEGIN SELECT a FROM t; END;",
         lines({"BEGIN", "  SELECT A", "    FROM T; ", "END;"})},

        {"InsertColumnsAndValues", defaults, "INSERT INTO dbo.T (a, b, c) VALUES (1, 'x y', N'z')",
         lines({"INSERT INTO DBO.T", "       (A", "       ,B", "       ,C)", "VALUES (1", "       ,'x y'",
                "       ,N'z')"})},
        {"UpdateSetInAndBetween", defaults,
         "UPDATE T SET a = 1, b = 'q' WHERE c <> 2 AND d IN (1,2) OR e BETWEEN 1 AND 5",
         lines({"UPDATE T", "   SET A = 1", "      ,B ='q'", " WHERE C <> 2", "   AND D IN(1 , 2)",
                "    OR E BETWEEN 1 AND 5"})},
        {"Delete", defaults, "DELETE FROM T WHERE a = 1", lines({"DELETE ", "  FROM T", " WHERE A = 1"})},
        {"Joins", defaults, "SELECT a.x, b.y FROM A a INNER JOIN B b ON a.k = b.k LEFT OUTER JOIN C c ON c.k = a.k",
         lines({"SELECT A.X", "      ,B.Y", "  FROM A A", " INNER JOIN B B ON A.K = B.K", "  LEFT OUTER",
                "  JOIN C C ON C.K = A.K"})},
        {"Union", defaults, "SELECT a FROM t UNION SELECT b FROM u",
         lines({"SELECT A", "  FROM T", " UNION ", "SELECT B", "  FROM U"})},
        {"ForUpdate", defaults, "SELECT a FROM t FOR UPDATE", lines({"SELECT A", "  FROM T", "   FOR UPDATE"})},
        {"BlankAfterClosingBracket", defaults, "SELECT count(*), max(x) FROM t",
         lines({"SELECT COUNT(*) ", "      ,MAX(X) ", "  FROM T"})},
        {"CommentsAfterCommas", defaults, "SELECT a, -- first\r\nb /* second */, c FROM t",
         lines({"SELECT A", "      ,-- first", "       B /* second */", "      ,C", "  FROM T"})},
        {"PlainText", defaults, "\r\n\r\nhello   world\r\n   second line\r\n\r\n  third",
         lines({"HELLO   WORLD", "SECOND LINE", "", "THIRD"})},
        {"Subquery", defaults, "SELECT a FROM t WHERE x = 1 AND y IN (SELECT b FROM u WHERE c = 2)",
         lines({"SELECT A", "  FROM T", " WHERE X = 1", "   AND Y IN(", "SELECT B", "  FROM U", " WHERE C = 2)"})},
        {"BlockWithoutSemicolons", defaults,
         "CREATE PROCEDURE p AS BEGIN IF x = 1 BEGIN SELECT 1 END ELSE SELECT 2 END",
         lines({"CREATE PROCEDURE P AS ", "BEGIN", "    IF X = 1 ", "    BEGIN", "        SELECT 1 END ELSE",
                "        SELECT 2 END"})},

        // Words are never dropped or added.
        {"ByInsideOverKept", defaults, "SELECT x FROM t ORDER BY SUM(x) OVER (PARTITION BY a)",
         lines({"SELECT X", "  FROM T", " ORDER BY SUM(X) OVER (PARTITION BY A)"})},
        {"WithinGroupGainsNoBy", defaults, "SELECT PERCENTILE_CONT(0.5) WITHIN GROUP (ORDER BY x) FROM t",
         lines({"SELECT PERCENTILE_CONT(0.5) WITHIN GROUP (", " ORDER BY X) ", "  FROM T"})},
        {"SecondIntoKept", defaults, "INSERT INTO t (a) OUTPUT inserted.a INTO @t VALUES (1)",
         lines({"INSERT INTO T", "       (A)", " OUTPUT INSERTED.A INTO @T", "VALUES (1)"})},
        // Blanks never split an operator, a bracketed name or a number.
        {"OperatorsAndBracketedNames", defaults,
         "SELECT a FROM t WHERE x != 3 AND y !< 2 AND z !> 1 AND [x from  y] = 1",
         lines({"SELECT A", "  FROM T", " WHERE X != 3", "   AND Y !< 2", "   AND Z !> 1", "   AND [X FROM  Y] = 1"})},
        {"CompoundAssignmentAndExponent", defaults, "UPDATE t SET a += 1, b = c * -1 WHERE d <= 1.5e-3",
         lines({"UPDATE T", "   SET A += 1", "      ,B = C * -1", " WHERE D <= 1.5E-3"})},
        {"JoinWordNotRunTogether", defaults, "DELETE t FROM t JOIN u ON t.a = u.a",
         lines({"DELETE T", "  FROM T JOIN U ON T.A = U.A"})},
        // Literals keep their continuation lines, inside a statement and out.
        {"MultiLineLiterals", defaults, "SELECT 'a\r\n   b' FROM t;\r\nPRINT 'c\r\n   d'",
         lines({"SELECT 'a", "   b'", "  FROM T;", "PRINT 'c", "   d'"})},
        {"BlockCommentLinesKept", defaults, "SELECT a /* one\r\n      two */ FROM t",
         lines({"SELECT A /* one", "      two */ ", "  FROM T"})},
        {"CaseMappedPerUnit", defaults, "SELECT straße, 'straße' FROM t",
         lines({"SELECT STRAßE", "      ,'straße'", "  FROM T"})},
        // What follows a line comment never lands on the comment's line.
        {"LineCommentBeforeNonClauseKeyword", defaults, "UPDATE t SET a = 1 -- note\r\nFROM t JOIN u ON u.k = t.k",
         lines({"UPDATE T", "   SET A = 1 -- note", "FROM T JOIN U ON U.K = T.K"})},
        {"GoStaysAlone", defaults, "SELECT 1\r\nGO\r\nEXEC p", lines({"SELECT 1 ", "GO", "EXEC P"})},
        {"AndKeepsItsComment", defaults, "SELECT a FROM t WHERE a = 1 AND -- why\r\n b = 2",
         lines({"SELECT A", "  FROM T", " WHERE A = 1", "   AND -- why", "       B = 2"})},
        {"BracketAfterAndKept", defaults, "SELECT a FROM t WHERE a = 1 AND(b = 2 OR c = 3)",
         lines({"SELECT A", "  FROM T", " WHERE A = 1", "   AND (B = 2 OR C = 3)"})},
    };
}

class FormatSqlTextGolden : public ::testing::TestWithParam<GoldenCase>
{
protected:
    void TearDown() override { FormatOption = TFormatOption(); }
};

TEST_P(FormatSqlTextGolden, Layout)
{
    FormatOption = GetParam().option;
    EXPECT_EQ(FormatSqlText(QString::fromUtf8(GetParam().input)).toStdString(), GetParam().expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatSqlTextGolden, ::testing::ValuesIn(goldenCases()),
                         [](const ::testing::TestParamInfo<GoldenCase> &info) { return std::string(info.param.name); });

TEST(FormatSqlText, EmptyAndBlankTexts)
{
    EXPECT_EQ(FormatSqlText(QString()), QString());
    EXPECT_EQ(FormatSqlText(QStringLiteral(" \t\r\n ")), QString());
}

} // namespace
