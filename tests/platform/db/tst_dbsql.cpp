#include "platform/db/dbsql.h"

#include <gtest/gtest.h>

namespace {

struct MarkerCase
{
    const char *name;
    const char *sql;
    const char *text;
    QStringList names;
};

TEST(DbSql, MarkersBecomeDriverMarkersOutsideLiteralsNamesAndComments)
{
    const MarkerCase cases[] = {
        {"plain", "select * from t where a = :A and b=:b_2", "select * from t where a = ? and b=?", {"A", "b_2"}},
        {"same name twice",
         "where object_id(:OWNER + '.' + :NAME) and s = :OWNER",
         "where object_id(? + '.' + ?) and s = ?",
         {"OWNER", "NAME", "OWNER"}},
        {"string literal",
         "select ':X', N':Y', 'it''s :Z' from t where a = :A",
         "select ':X', N':Y', 'it''s :Z' from t where a = ?",
         {"A"}},
        {"bracketed and quoted names",
         "select [a:b]]:c], \"x:y\"\"z\" from t",
         "select [a:b]]:c], \"x:y\"\"z\" from t",
         {}},
        {"line comment", "select 1 -- :NOT here\nwhere a = :A", "select 1 -- :NOT here\nwhere a = ?", {"A"}},
        {"nested block comment", "/* a /* :X */ :Y */ select :Z", "/* a /* :X */ :Y */ select ?", {"Z"}},
        {"scope qualifier",
         "grant select on schema::dbo to x; select * from ::fn_helpcollations()",
         "grant select on schema::dbo to x; select * from ::fn_helpcollations()",
         {}},
        {"lone colon", "select 1 : 2, a:", "select 1 : 2, a:", {}},
        {"escapes untouched",
         "select '{fn now()}', '!&?' -- {d '2024-01-01'} ?",
         "select '{fn now()}', '!&?' -- {d '2024-01-01'} ?",
         {}},
        {"unterminated literal", "select 'abc :X", "select 'abc :X", {}},
        {"japanese name", "where a = :名前", "where a = ?", {"名前"}},
        {"at sign inside a name",
         "execute :zk_ret = p :a@b,:c output",
         "execute ? = p ?,? output",
         {"zk_ret", "a@b", "c"}},
        {"at sign first is no name", "select :@x, @@rowcount", "select :@x, @@rowcount", {}},
    };
    for (const MarkerCase &c : cases) {
        SCOPED_TRACE(c.name);
        const TDBMarkers m = ReplaceParamMarkers(QString::fromUtf8(c.sql));
        EXPECT_EQ(m.text, QString::fromUtf8(c.text));
        EXPECT_EQ(m.names, c.names);
    }
}

TEST(DbSql, DriverMarkersAreNumberedAsTheServerSeesThem)
{
    EXPECT_EQ(NumberDriverMarkers("select ?, '?', [?], ? -- ?\n/* ? */ + ?"),
              "select @P1, '?', [?], @P2 -- ?\n/* ? */ + @P3");
}

TEST(DbSql, ParamNamesAreUniqueIgnoringCaseInOrderOfFirstUse)
{
    EXPECT_EQ(ParamNames("select :B, :a, :b, :A, ':C'"), (QStringList{"B", "a"}));
}

TEST(DbSql, LeadingUseStatementsSplitFromTheRest)
{
    struct Case
    {
        const char *name;
        const char *sql;
        bool split;
        const char *use;
        const char *rest;
    };
    const Case cases[] = {
        {"bracketed", "use [my db]\r\nselect :X", true, "use [my db]", "\r\nselect :X"},
        {"two, semicolon, comment", "-- c\nUSE a;\nuse \"b\" ; select 1", true, "-- c\nUSE a;\nuse \"b\" ;",
         " select 1"},
        {"bracket with ]]", "use [a]]b]\nselect 1", true, "use [a]]b]", "\nselect 1"},
        {"not use", "select user_name()", false, "", ""},
        {"use as a prefix", "useful stuff", false, "", ""},
        {"use later", "select 1\nuse db", false, "", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QString use, rest;
        EXPECT_EQ(SplitLeadingUse(QString::fromUtf8(c.sql), &use, &rest), c.split);
        if (c.split) {
            EXPECT_EQ(use, QString::fromUtf8(c.use));
            EXPECT_EQ(rest, QString::fromUtf8(c.rest));
        }
    }
}

} // namespace

TEST(DbSql, ProcedureCallsWithAReturnValueBecomeTheCallEscape)
{
    struct Case
    {
        const char *sql;
        const char *call; // empty: no such call
    } cases[] = {
        {"execute ? = [dbo].[usp]\r\n", "{? = call [dbo].[usp]}"},
        {"execute ? = [dbo].[usp]\r\n?,? output", "{? = call [dbo].[usp](?,?)}"},
        {"exec ?=dbo.p ? OUT , ?;", "{? = call dbo.p(?,?)}"},
        {"execute ? = [my schema].[a]]b.c] ?", "{? = call [my schema].[a]]b.c](?)}"},
        {"execute ? = dbo.名前 ?", "{? = call dbo.名前(?)}"},
        {"execute dbo.p ?", ""},
        {"execute ? = dbo.p @x = ?", ""},
        {"execute ? = dbo.p ?, 5", ""},
        {"execute ? = dbo.p ?; select 1", ""},
        {"select ?", ""},
        {"executes ? = p", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sql);
        QString call;
        EXPECT_EQ(OdbcProcedureCall(QString::fromUtf8(c.sql), &call), *c.call != 0);
        if (*c.call)
            EXPECT_EQ(call, QString::fromUtf8(c.call));
    }
}
