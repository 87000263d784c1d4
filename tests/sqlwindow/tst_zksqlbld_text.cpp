// The designer's statement text as a function of a plain design, and the
// name helpers it uses.
#include "core/zkoption.h"
#include "sqlwindow/zksqlbld_text.h"

#include <gtest/gtest.h>

namespace {

struct LowerName
{
    explicit LowerName(bool on)
        : saved(zkOption.UseLowerName)
    {
        zkOption.UseLowerName = on;
    }
    ~LowerName() { zkOption.UseLowerName = saved; }
    bool saved;
};

TzkDesignBox Box(const QString &name, const QString &alias)
{
    return {QString(), QString(), name, alias, alias + QLatin1Char('.')};
}

TzkDesignRow Row(const QString &expr, const QString &alias = {}, bool show = true, const QString &dir = {},
                 const QString &order = {}, const QString &group = {}, const QString &criterion = {})
{
    return {expr, alias, show, dir, order, group, criterion};
}

// The example design: Orders a joined to Customers b, three shown rows.
TzkDesign Example(bool lower)
{
    auto col = [lower](const QString &q, const QString &c) {
        return q + QLatin1Char('.') + (lower ? QLatin1Char('[') + c + QLatin1Char(']') : c);
    };
    TzkDesign d;
    d.Boxes = {Box(QStringLiteral("Orders"), QStringLiteral("a")),
               Box(QStringLiteral("Customers"), QStringLiteral("b"))};
    d.Joins = {{0, 1, QStringLiteral("CustomerID"), QStringLiteral("CustomerID"), ctEQ}};
    d.Rows = {
        Row(col("a", "OrderID")), Row(col("b", "CompanyName"), QStringLiteral("Name")),
        Row(col("a", "Freight"), {}, true, QStringLiteral("降順"), QStringLiteral("1"), {}, QStringLiteral("> 10")),
        Row({}, {}, false)};
    return d;
}

TEST(DesignStatementLines, ExampleWithAndWithoutBrackets)
{
    {
        LowerName on(true);
        TzkDesign d = Example(true);
        EXPECT_EQ(DesignStatementLines(d),
                  QStringList({"SELECT", "  a.[OrderID],", "  b.[CompanyName] Name,", "  a.[Freight]", "FROM",
                               "  [Orders] a,", "  [Customers] b", "WHERE", "  a.[CustomerID] = b.[CustomerID] AND ",
                               "  a.[Freight] > 10", "ORDER BY a.[Freight] DESC"}));
    }
    {
        LowerName off(false);
        TzkDesign d = Example(false);
        EXPECT_EQ(DesignStatementLines(d),
                  QStringList({"SELECT", "  a.OrderID,", "  b.CompanyName Name,", "  a.Freight", "FROM", "  Orders a,",
                               "  Customers b", "WHERE", "  a.CustomerID = b.CustomerID AND ", "  a.Freight > 10",
                               "ORDER BY a.Freight DESC"}));
    }
}

TEST(DesignStatementLines, GoldenTexts)
{
    LowerName off(false);
    struct Case
    {
        const char *name;
        TzkDesign design;
        QStringList lines;
    };
    TzkDesign select;
    select.Rows = {Row(QStringLiteral("getdate()"))};
    TzkDesign view = select;
    view.Kind = sqltCreateView;
    view.ViewName = QStringLiteral("v1");

    TzkDesign sum;
    sum.Boxes = {Box(QStringLiteral("t"), QStringLiteral("a"))};
    sum.Rows = {
        Row(QStringLiteral("a.x"), QStringLiteral("total"), true, QStringLiteral("昇順"), {}, QStringLiteral("SUM")),
        Row(QStringLiteral("a.y"), {}, true, {}, {}, QStringLiteral("GROUP BY"), QStringLiteral("> 1"))};

    TzkDesign insert;
    insert.Kind = sqltInsert;
    insert.Boxes = {Box(QStringLiteral("t"), QStringLiteral("t"))};
    insert.Rows = {Row(QStringLiteral("x"), QStringLiteral("1")), Row(QStringLiteral("y"), QStringLiteral("N'b'")),
                   Row(QStringLiteral("z"))};

    TzkDesign update;
    update.Kind = sqltUpdate;
    update.Boxes = {Box(QStringLiteral("t"), QStringLiteral("a")), Box(QStringLiteral("u"), QStringLiteral("b"))};
    update.Joins = {{0, 1, QStringLiteral("id"), QStringLiteral("id"), ctGE}};
    update.Rows = {Row(QStringLiteral("a.x"), QStringLiteral("2"), false, {}, {}, {}, QStringLiteral("= 1")),
                   Row(QStringLiteral("a.y"), QStringLiteral("3"))};
    TzkDesign del = update;
    del.Kind = sqltDelete;
    del.Joins[0].ConnectType = ctNE;

    TzkDesign noTablesInsert;
    noTablesInsert.Kind = sqltInsert;

    const Case cases[] = {
        {"select without tables", select, {"SELECT", "  getdate()"}},
        {"view without tables", view, {"CREATE VIEW v1 AS ", "SELECT", "  getdate()"}},
        {"aggregate with alias and direction",
         sum,
         {"SELECT", "  SUM(a.x) total,", "  a.y", "FROM", "  t a", "GROUP BY a.y", "HAVING", "  a.y > 1",
          "ORDER BY total"}},
        {"insert with two values", insert, {"INSERT INTO t", "  (x, y)", "  VALUES(1, N'b')"}},
        {"insert without tables", noTablesInsert, {"INSERT INTO "}},
        {"update with a join and a criterion",
         update,
         {"UPDATE t a SET", "  a.x = 2,", "  a.y = 3", "WHERE", "  a.id >= b.id AND ", "  a.x = 1"}},
        {"delete with a join and a criterion", del, {"DELETE FROM t a", "WHERE", "  a.id != b.id AND ", "  a.x = 1"}},
    };
    for (const Case &c : cases) {
        TzkDesign d = c.design;
        EXPECT_EQ(DesignStatementLines(d), c.lines) << c.name;
    }
}

TEST(DesignStatementLines, PrefixesAndBracketedNames)
{
    LowerName off(false);
    TzkDesign d;
    d.Boxes = {{QStringLiteral("[other]."), QStringLiteral("[dbo]."), QStringLiteral("Order Details"),
                QStringLiteral("Order Details"), QStringLiteral("[Order Details].")}};
    d.Rows = {Row(QStringLiteral("*"))};
    EXPECT_EQ(DesignStatementLines(d), QStringList({"SELECT", "  *", "FROM", "  [other].[dbo].[Order Details]"}));
}

TEST(DesignStatementLines, OrderByKeysRenumbered)
{
    LowerName off(false);
    TzkDesign d;
    d.Boxes = {Box(QStringLiteral("t"), QStringLiteral("a"))};
    d.Rows = {Row(QStringLiteral("a.p"), {}, true, {}, QStringLiteral("2")),
              Row(QStringLiteral("a.q"), {}, true, QStringLiteral("降順")),
              Row(QStringLiteral("a.r"), {}, true, {}, QStringLiteral("1")),
              Row(QStringLiteral("a.s"), {}, true, {}, QStringLiteral("3a")),
              Row(QStringLiteral("a.big"), {}, false, {}, QStringLiteral("100000")),
              Row(QStringLiteral("a.mid"), {}, false, {}, QStringLiteral("20000")),
              Row(QStringLiteral("a.none"), {}, false, {}, QStringLiteral("x"))};
    const QStringList lines = DesignStatementLines(d);
    EXPECT_EQ(lines.last(), "ORDER BY a.r,a.p,a.s,a.mid,a.q DESC,a.big");
    const QStringList orders = {d.Rows[0].SortOrder, d.Rows[1].SortOrder, d.Rows[2].SortOrder, d.Rows[3].SortOrder,
                                d.Rows[4].SortOrder, d.Rows[5].SortOrder, d.Rows[6].SortOrder};
    EXPECT_EQ(orders, QStringList({"2", "5", "1", "3", "6", "4", ""}));
    EXPECT_EQ(d.Rows[0].SortDir, QStringLiteral("昇順"));
    EXPECT_EQ(d.Rows[6].SortDir, QString());
}

TEST(DesignNames, AliasesAndSplitting)
{
    EXPECT_EQ(NextAliasCandidate("a"), "b");
    EXPECT_EQ(NextAliasCandidate("z"), "aa");
    EXPECT_EQ(NextAliasCandidate("az"), "aaa");
    EXPECT_EQ(FirstFreeAlias({"a", "b", "A"}), "c");
    QStringList used;
    for (char c = 'a'; c <= 'z'; ++c)
        used << QString(QLatin1Char(c));
    EXPECT_EQ(FirstFreeAlias(used), "aa");

    EXPECT_EQ(DequoteName("\"a\"\"b\""), "a\"b");
    EXPECT_EQ(DequoteName("[a]"), "[a]");

    EXPECT_EQ(SplitTableName("[Sales].[Order Details]"), QStringList({"Sales", "Order Details"}));
    EXPECT_EQ(SplitTableName("[Sales].[Order.Details]"), QStringList({"Sales", "Order.Details"}));
    EXPECT_EQ(SplitTableName("db.dbo.t"), QStringList({"db", "dbo", "t"}));
    EXPECT_EQ(SplitTableName("[a]]b].t"), QStringList({"a]b", "t"}));
    EXPECT_EQ(SplitTableName("a.b.c.d").size(), 4);
    EXPECT_EQ(SplitTableName("db..t"), QStringList({"db", "", "t"}));
}

} // namespace

namespace {

// Boxes a (t: id, x, y) and b (u: id, z) for the condition walk.
int FindAB(const QString &q, const QString &c)
{
    const QStringList a = {"id", "x", "y"}, b = {"id", "z"};
    auto has = [&c](const QStringList &cols) { return cols.contains(c, Qt::CaseInsensitive); };
    if ((q.isEmpty() || q.compare("b", Qt::CaseInsensitive) == 0) && has(b))
        return 1;
    if ((q.isEmpty() || q.compare("a", Qt::CaseInsensitive) == 0) && has(a))
        return 0;
    return -1;
}

const QStringList GroupPick = {"", "GROUP BY", "HAVING", "AVG", "COUNT", "MAX", "MIN", "SUM"};

TzkParsedStatement Where(const QStringList &tokens)
{
    TzkParsedStatement s;
    s.Columns = {{"a.x", ""}, {"a.y", "yy"}};
    s.Where = tokens;
    return s;
}

QString Rows(const QList<TzkDesignRow> &rows)
{
    QStringList out;
    for (const TzkDesignRow &r : rows)
        out << QStringList({r.Expr, r.Alias, r.Show ? "1" : "0", r.SortDir, r.SortOrder, r.Group, r.Criterion})
                   .join('|');
    return out.join(" / ");
}

TEST(DesignFromStatement, WhereWalk)
{
    struct Case
    {
        const char *name;
        QStringList tokens;
        QString joins; // from.col op to.col type
        QString rows;
    };
    const QString base = "a.x||1|||| / a.y|yy|1||||";
    const Case cases[] = {
        {"left outer", {"a.id", "=", "b.id", "(+)"}, "0.id 0 1.id 1", base},
        {"right outer", {"a.id", "(+)", "=", "b.id"}, "0.id 0 1.id 2", base},
        {"split tokens", {"a.", "id", ">=", "b.", "id"}, "0.id 2 1.id 0", base},
        {"not equal", {"a.id", "<>", "b.id"}, "0.id 5 1.id 0", base},
        {"between", {"a.x", "BETWEEN", "1", "and", "5"}, "", "a.x||1||||BETWEEN 1 and 5 / a.y|yy|1||||"},
        {"like on its row", {"a.x", "like", "'A%'"}, "", "a.x||1||||like 'A%' / a.y|yy|1||||"},
        {"by alias", {"yy", "=", "2"}, "", "a.x||1|||| / a.y|yy|1||||= 2"},
        {"or stays one", {"a.x", "=", "1", "OR", "a.y", "=", "2"}, "", "a.x||1||||= 1 OR a.y = 2 / a.y|yy|1||||"},
        {"two conditions",
         {"a.x", "=", "1", "AND", "a.x", ">", "0"},
         "",
         "a.x||1||||= 1 / a.y|yy|1|||| / a.x||0||||> 0"},
        {"unknown column", {"a.id", "=", "b.q"}, "", base + " / a.id||0||||= b.q"},
        {"unknown operator", {"exists", "(select", "1)"}, "", base + " / ||0||||exists (select 1)"},
    };
    for (const Case &c : cases) {
        QList<TzkDesignRow> rows;
        QList<TzkRebuiltJoin> joins;
        DesignFromStatement(Where(c.tokens), GroupPick, FindAB, rows, joins);
        QStringList js;
        for (const TzkRebuiltJoin &j : joins)
            js << QStringLiteral("%1.%2 %3 %4.%5 %6")
                      .arg(j.From)
                      .arg(j.FromColumn)
                      .arg(int(j.ConnectType))
                      .arg(j.To)
                      .arg(j.ToColumn)
                      .arg(int(j.JoinType));
        EXPECT_EQ(js.join(", "), c.joins) << c.name;
        EXPECT_EQ(Rows(rows), c.rows) << c.name;
    }
}

TEST(DesignFromStatement, GroupingHavingAndOrder)
{
    TzkParsedStatement s;
    s.Columns = {{"COUNT(*)", "n"}, {"a.x", ""}, {"(a.y)", ""}, {"sum( a.z )", "total"}};
    s.Group = {"A.X", "a.w"};
    s.Having = {"a.x", ">", "1", "and", "count(a.id)", "between", "1", "and", "3"};
    s.Order = {{"total", "desc"}, {"a.q", ""}};
    QList<TzkDesignRow> rows;
    QList<TzkRebuiltJoin> joins;
    DesignFromStatement(s, GroupPick, FindAB, rows, joins);
    EXPECT_EQ(Rows(rows), "*|n|1|||COUNT| / a.x||1|||GROUP BY|> 1 / a.y||1|||| / a.z|total|1|降順|1|SUM| / "
                          "a.w||0|||GROUP BY| / count(a.id)||0|||HAVING|between 1 and 3 / a.q||0|昇順|2||");

    s = TzkParsedStatement();
    s.Kind = sqltUpdate;
    s.Columns = {{"x", "1"}};
    DesignFromStatement(s, GroupPick, FindAB, rows, joins);
    EXPECT_EQ(Rows(rows), "x|1|0||||");
}

} // namespace
