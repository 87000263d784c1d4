#include "sqleditor/zksub_parse.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

namespace {

using Pairs = std::vector<std::pair<QString, QString>>;

Pairs pairsOf(const TzkParseList &list)
{
    Pairs r;
    for (int i = 0; i < list.Count(); ++i)
        r.emplace_back(list.ObjectName(i), list.Alias(i));
    return r;
}

struct ParseResult
{
    TzkSQLType kind = sqltNone;
    bool failed = false;
    Pairs columns, tables, orderItems;
    QStringList whereTokens, groupItems, havingTokens;
    QString viewName;
};

ParseResult parse(const QString &sql, bool lenient)
{
    TzkParseList columns, tables, orderItems;
    ParseResult r;
    r.viewName = QStringLiteral("stale");
    try {
        r.kind = ParseSqlTables(sql, columns, tables, orderItems, r.whereTokens, r.groupItems, r.havingTokens,
                                lenient ? QString() : QStringLiteral("解析できません"), r.viewName);
    } catch (const ESQLParseError &e) {
        r.failed = true;
        EXPECT_EQ(e.message(), lenient ? QString() : QStringLiteral("解析できません"));
    }
    r.columns = pairsOf(columns);
    r.tables = pairsOf(tables);
    r.orderItems = pairsOf(orderItems);
    return r;
}

// One row of expectations: only what a row states is checked.
struct ParseCase
{
    ParseCase(const char *name, const char *sql, bool lenient = false, bool fails = false)
        : name(name)
        , sql(sql)
        , lenient(lenient)
        , fails(fails)
    {
    }
    const char *name;
    const char *sql;
    bool lenient;
    bool fails;
    std::optional<TzkSQLType> kind;
    std::optional<Pairs> columns, tables, orderItems;
    std::optional<QStringList> whereTokens;
    std::optional<QString> viewName;
    bool nothingCollected = false;
};

void PrintTo(const ParseCase &c, std::ostream *os)
{
    *os << c.name;
}

std::vector<ParseCase> parseCases()
{
    std::vector<ParseCase> v;
    auto add = [&v](ParseCase c) { v.push_back(std::move(c)); };
    {
        ParseCase c{"NoStatementKeyword", "hello world"};
        c.kind = sqltNone;
        c.nothingCollected = true;
        add(c);
    }
    {
        ParseCase c{"SelectWithAliasesWhereAndOrder",
                    "SELECT a, b x, count(*) n FROM T1 t, T2 WHERE t.a = T2.b AND x >= 3 ORDER BY a DESC, b"};
        c.kind = sqltSelect;
        c.columns = Pairs{{"a", ""}, {"b", "x"}, {"count(*)", "n"}};
        c.tables = Pairs{{"T1", "t"}, {"T2", ""}};
        c.whereTokens = QStringList{"t.a", "=", "T2.b", "AND", "x", ">=", "3"};
        c.orderItems = Pairs{{"a", "DESC"}, {"b", ""}};
        add(c);
    }
    {
        ParseCase c{"AsStaysInTheName", "SELECT c AS y FROM T"};
        c.columns = Pairs{{"c AS", "y"}};
        add(c);
    }
    {
        ParseCase c{"LeftOuterJoin", "SELECT * FROM T1 LEFT OUTER JOIN T2 ON T1.a=T2.a WHERE T1.b = 'x y'"};
        c.tables = Pairs{{"T1", ""}, {"T2", ""}};
        c.whereTokens = QStringList{"T1.a", "=", "T2.a", "T1.b", "=", "'x y'"};
        add(c);
    }
    {
        ParseCase c{"OnlyTwoTablesOfAJoinChain", "SELECT * FROM A JOIN B ON A.x = B.x JOIN C ON B.y = C.y"};
        c.tables = Pairs{{"A", ""}, {"B", ""}};
        c.whereTokens = QStringList{"A.x", "=", "B.x", "JOIN", "C", "ON", "B.y", "=", "C.y"};
        add(c);
    }
    {
        ParseCase c{"Update", "UPDATE T SET a = 1, b = 'q' WHERE c <> 2"};
        c.kind = sqltUpdate;
        c.tables = Pairs{{"T", ""}};
        c.columns = Pairs{{"a", "1"}, {"b", "'q'"}};
        c.whereTokens = QStringList{"c", "<>", "2"};
        add(c);
    }
    {
        ParseCase c{"InsertWithColumns", "INSERT INTO dbo.T (a, b) VALUES (1, 'x')"};
        c.kind = sqltInsert;
        c.tables = Pairs{{"dbo.T", ""}};
        c.columns = Pairs{{"a", "1"}, {"b", "'x'"}};
        add(c);
    }
    {
        ParseCase c{"InsertWithoutColumns", "INSERT INTO T VALUES (1, 2)"};
        c.columns = Pairs{{"", "1"}, {"", "2"}};
        add(c);
    }
    {
        ParseCase c{"InsertKeepsTheLastRow", "INSERT INTO T (a,b) VALUES (1,2),(3,4)"};
        c.columns = Pairs{{"a", "3"}, {"b", "4"}};
        add(c);
    }
    {
        ParseCase c{"InsertCountsDiffer", "INSERT INTO T (a, b) VALUES (1)"};
        c.fails = true;
        add(c);
    }
    for (const char *sql : {"CREATE VIEW V AS SELECT a FROM T", "CREATE VIEW\r\nV\r\nAS SELECT a FROM T"}) {
        ParseCase c{sql[11] == ' ' ? "CreateView" : "CreateViewNameOnItsOwnLine", sql};
        c.kind = sqltCreateView;
        c.viewName = QStringLiteral("V");
        c.columns = Pairs{{"a", ""}};
        c.tables = Pairs{{"T", ""}};
        add(c);
    }
    {
        ParseCase c{"UnionFailsAfterTheFirstColumns", "SELECT a FROM T UNION SELECT b FROM U"};
        c.fails = true;
        c.columns = Pairs{{"a", ""}};
        add(c);
    }
    {
        ParseCase c{"CommaInCondition", "SELECT a, b FROM T WHERE a = 1, b = 2"};
        c.fails = true;
        add(c);
    }
    {
        ParseCase c{"InListStrict", "DELETE FROM T WHERE a IN (1, 2)"};
        c.tables = Pairs{{"T", ""}};
        c.whereTokens = QStringList{"a", "IN", "(1, 2)"};
        add(c);
        ParseCase l{"InListLenient", "DELETE FROM T WHERE a IN (1, 2)", true, true};
        add(l);
    }
    {
        ParseCase c{"DoubledQuote", "SELECT a FROM T WHERE x = 'it''s'"};
        c.whereTokens = QStringList{"x", "=", "'it'", "'s'"};
        add(c);
    }
    add(ParseCase{"OpenLiteralStrict", "SELECT 'abc FROM T", false, true});
    add(ParseCase{"OpenLiteralLenient", "SELECT 'abc FROM T", true, true});
    {
        ParseCase c{"OneWordConditionAtTheEndIsLost", "SELECT a FROM T WHERE x"};
        c.whereTokens = QStringList{};
        add(c);
        ParseCase t{"OneWordConditionAfterTwoBlanks", "SELECT a FROM T WHERE  x"};
        t.whereTokens = QStringList{"x"};
        add(t);
    }
    {
        ParseCase c{"TextBeforeIntoIsDropped", "SELECT a INTO #t FROM T"};
        c.columns = Pairs{{"#t", ""}};
        add(c);
    }
    {
        ParseCase c{"SubqueryIsOneTableItem", "SELECT a FROM (SELECT b FROM U) x"};
        c.tables = Pairs{{"(SELECT", "x"}};
        add(c);
    }
    {
        ParseCase c{"GoEndsTheScan", "SELECT a FROM T go"};
        c.tables = Pairs{{"T", ""}};
        add(c);
        ParseCase l{"GoIsTextWhenLenient", "SELECT a FROM T go", true};
        l.tables = Pairs{{"T", "go"}};
        add(l);
    }
    add(ParseCase{"SelectListNotEndedByFrom", "SELECT a WHERE b = 1", false, true});
    return v;
}

class ParseSqlTablesCases : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(ParseSqlTablesCases, Collects)
{
    const ParseCase &c = GetParam();
    const ParseResult r = parse(QString::fromUtf8(c.sql), c.lenient);
    EXPECT_EQ(r.failed, c.fails);
    if (c.kind) {
        EXPECT_EQ(r.kind, *c.kind);
    }
    if (c.columns) {
        EXPECT_EQ(r.columns, *c.columns);
    }
    if (c.tables) {
        EXPECT_EQ(r.tables, *c.tables);
    }
    if (c.orderItems) {
        EXPECT_EQ(r.orderItems, *c.orderItems);
    }
    if (c.whereTokens) {
        EXPECT_EQ(r.whereTokens, *c.whereTokens);
    }
    if (c.viewName) {
        EXPECT_EQ(r.viewName, *c.viewName);
    }
    if (c.nothingCollected) {
        EXPECT_TRUE(r.columns.empty() && r.tables.empty() && r.orderItems.empty());
        EXPECT_TRUE(r.whereTokens.isEmpty() && r.groupItems.isEmpty() && r.havingTokens.isEmpty());
        EXPECT_TRUE(r.viewName.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(EdgeCases, ParseSqlTablesCases, ::testing::ValuesIn(parseCases()),
                         [](const ::testing::TestParamInfo<ParseCase> &info) { return std::string(info.param.name); });

TEST(ParseSqlTables, GroupAndHavingLists)
{
    const ParseResult r = parse(QStringLiteral("SELECT a, count(*) FROM T GROUP BY a, b HAVING x = 1"), false);
    EXPECT_EQ(r.groupItems, (QStringList{"a", "b"}));
    EXPECT_EQ(r.havingTokens, (QStringList{"x", "=", "1"}));
}

TEST(ParseSqlTables, AppendsToWhatTheListsHold)
{
    TzkParseList columns, tables, orderItems;
    QStringList where, group, having;
    QString view;
    tables.Add(QStringLiteral("Old"), QString());
    ParseSqlTables(QStringLiteral("SELECT a FROM T"), columns, tables, orderItems, where, group, having,
                   QStringLiteral("x"), view);
    EXPECT_EQ(pairsOf(tables), (Pairs{{"Old", ""}, {"T", ""}}));
}

// Lenient mode goes on with each further statement, into the same lists; the
// kind is the first statement's.
TEST(ParseSqlTables, LenientModeParsesTheFollowingStatements)
{
    const ParseResult r = parse(
        QStringLiteral("UPDATE T1 SET a = 1 WHERE b = 2\r\nSELECT x FROM T2 u\r\nDELETE FROM T3 WHERE c = 3"), true);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.kind, sqltUpdate);
    EXPECT_EQ(r.tables, (Pairs{{"T1", ""}, {"T2", "u"}, {"T3", ""}}));
    EXPECT_EQ(r.whereTokens, (QStringList{"b", "=", "2", "c", "=", "3"}));
}

TEST(ParseSqlTables, LenientModeWalksALongScriptWithoutRecursion)
{
    QString script;
    const int statements = 20000;
    for (int i = 0; i < statements; ++i)
        script += QStringLiteral("SELECT a, b FROM T%1 t WHERE t.a = %1\r\n").arg(i);
    const ParseResult r = parse(script, true);
    EXPECT_FALSE(r.failed);
    ASSERT_EQ(int(r.tables.size()), statements);
    EXPECT_EQ(r.tables.back(), (std::pair<QString, QString>{QStringLiteral("T19999"), QStringLiteral("t")}));
    EXPECT_EQ(int(r.columns.size()), 2 * statements);
}

TEST(ParseSqlTables, NamesOutsideAsciiSplitAtDelimiters)
{
    const ParseResult r = parse(QStringLiteral("SELECT 名前, 住所 FROM 顧客 WHERE 区分 = '東京'"), false);
    EXPECT_EQ(r.columns, (Pairs{{"名前", ""}, {"住所", ""}}));
    EXPECT_EQ(r.tables, (Pairs{{"顧客", ""}}));
    EXPECT_EQ(r.whereTokens, (QStringList{"区分", "=", "'東京'"}));
}

// ---------------------------------------------------------------- StripSqlComments

TEST(StripSqlComments, Cases)
{
    struct Case
    {
        QStringList input;
        bool cut;
        QStringList expected;
    };
    const QStringList fiveLines{"SELECT a, /* start", "inside", "end */ b", "FROM t; DELETE x", "go"};
    const Case cases[] = {
        {{"", "REM test", "  SELECT a -- c", "FROM t /* x */ WHERE b = '--'", "REMARK", ""},
         true,
         {"SELECT a ", "FROM t  WHERE b = '--'"}},
        {fiveLines, true, {"SELECT a, ", "", " b", "FROM t"}},
        {fiveLines, false, {"SELECT a, ", "", " b", "FROM t; DELETE x", "go"}},
        {{}, true, {}},
        {{"REM only", "  ", "REMARK x"}, false, {}},
        {{"SELECT 'it''s -- no'", "REMOVE x"}, false, {"SELECT 'it''s -- no'", "REMOVE x"}},
        {{"SELECT 'a;", "b' ; x"}, true, {"SELECT 'a;", "b' "}},
        {{"SELECT 1 /* a */ + /* b */ 2"}, false, {"SELECT 1  +  2"}},
    };
    int row = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(row++);
        QStringList lines = c.input;
        StripSqlComments(lines, c.cut);
        EXPECT_EQ(lines, c.expected);
    }
}

// ---------------------------------------------------------------- TzkParseList

TEST(TzkParseList, GrowsInStepsAndClearsItsStorage)
{
    TzkParseList list;
    EXPECT_EQ(list.Capacity(), 0);
    QList<int> capacities;
    for (int i = 0; i < 77; ++i) {
        EXPECT_EQ(list.Add(QString::number(i), QString()), i);
        if (capacities.isEmpty() || capacities.last() != list.Capacity())
            capacities << list.Capacity();
    }
    EXPECT_EQ(capacities, (QList<int>{4, 8, 12, 28, 44, 60, 76, 95}));

    list.Delete(0);
    EXPECT_EQ(list.Count(), 76);
    EXPECT_EQ(list.ObjectName(0), QStringLiteral("1"));
    EXPECT_EQ(list.Capacity(), 95);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Capacity(), 0);

    TzkParseList empty;
    empty.SetCapacity(10);
    empty.Clear(); // an empty list keeps its storage
    EXPECT_EQ(empty.Capacity(), 10);
}

TEST(TzkParseList, ReadsWritesAndFinds)
{
    TzkParseList list;
    list.Add(QStringLiteral("t"), QStringLiteral("x"));
    list.Add(QStringLiteral("T"), QStringLiteral("y"));
    list.SetAlias(1, QStringLiteral("x"));
    list.SetObjectName(0, QStringLiteral("u"));
    EXPECT_EQ(list.IndexOf(QStringLiteral("T"), QStringLiteral("x")), 1);
    EXPECT_EQ(list.IndexOf(QStringLiteral("t"), QStringLiteral("x")), -1);
    EXPECT_EQ(list.GetObjectName(0), QStringLiteral("u"));
    list.Insert(0, QStringLiteral("first"), QString());
    EXPECT_EQ(list.ObjectName(0), QStringLiteral("first"));
    EXPECT_EQ(list.ObjectName(1), QStringLiteral("u"));
}

TEST(TzkParseList, IndexOutOfRangeRaisesTheListError)
{
    TzkParseList list;
    list.Add(QStringLiteral("a"), QStringLiteral("b"));
    list.Add(QStringLiteral("c"), QStringLiteral("d"));
    const std::vector<std::function<void()>> calls = {
        [&] { list.GetAlias(2); },
        [&] { list.GetObjectName(-1); },
        [&] { list.SetAlias(2, QStringLiteral("z")); },
        [&] { list.SetObjectName(5, QStringLiteral("z")); },
        [&] { list.Delete(2); },
    };
    const QStringList indexes{"2", "-1", "2", "5", "2"};
    for (size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE(i);
        try {
            calls[i]();
            ADD_FAILURE() << "no error";
        } catch (const EListError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("リストのインデックスが範囲を超えています (%1)").arg(indexes[i]));
        }
    }
    EXPECT_EQ(pairsOf(list), (Pairs{{"a", "b"}, {"c", "d"}}));
}

// ---------------------------------------------------------------- SelectSqlErrorPosition

class FakeEditor : public ISqlErrorSelection
{
public:
    QString SelText() const override { return m_selected; }
    void MultiLineSelect(int FirstRow, int LastRow) override
    {
        m_rows = {FirstRow, LastRow};
        m_selected = QStringLiteral("rows");
    }
    QString m_selected;
    std::optional<std::pair<int, int>> m_rows;
};

TEST(SelectSqlErrorPosition, SelectsTheFailedRowsUnlessTheUserSelected)
{
    FakeEditor editor;
    SelectSqlErrorPosition(&editor, nullptr, QStringLiteral("dbo"), 3, 7, QStringLiteral("error"));
    ASSERT_TRUE(editor.m_rows.has_value());
    EXPECT_EQ(*editor.m_rows, (std::pair<int, int>{3, 7}));

    FakeEditor selected;
    selected.m_selected = QStringLiteral("SELECT 1");
    SelectSqlErrorPosition(&selected, nullptr, QString(), 0, 9, QString());
    EXPECT_FALSE(selected.m_rows.has_value());
    EXPECT_EQ(selected.m_selected, QStringLiteral("SELECT 1"));
}

} // namespace
