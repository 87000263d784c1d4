#include "testhelpers.h"

#include "connection/fobject_sql.h"
#include "core/zkoption.h"

#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

// The object list's statements, whole, for each view, dialect, system-object
// setting and kind. The expected texts are in data/objectlist_sql.txt: one
// "### name" line per case, then the statement's lines, each after "| ".
// ZK_UPDATE_GOLDEN=1 rewrites the file from the builder (read the diff!).

namespace {

const char *const kGoldenFile = ZK_SOURCE_DIR "/tests/connection/data/objectlist_sql.txt";

struct Dialect
{
    const char *name;
    int version;
    bool azure;
};
const Dialect kDialects[] = {{"v8", 8, false}, {"v10", 10, false}, {"v16", 16, false}, {"azure", 12, true}};

struct ViewCase
{
    const char *name;
    TObjectListView view;
    const char *kind;
    bool fragmentMatters;
    bool sysObjMatters;
};
const ViewCase kViews[] = {
    {"source_all", TObjectListView::Source, "%", false, true},
    {"source_view", TObjectListView::Source, "VIEW", false, true},
    {"source_procedure", TObjectListView::Source, "PROCEDURE", false, true},
    {"source_table", TObjectListView::Source, "TABLE", false, true},
    {"table", TObjectListView::Table, "TABLE", false, true},
    {"index", TObjectListView::Index, "INDEX", true, true},
    {"index2", TObjectListView::Index2, "INDEX", true, true},
    {"synonym", TObjectListView::Synonym, "SYNONYM", false, false},
    {"constraint", TObjectListView::Constraint, "CONSTRAINT", false, true},
};

struct GoldenCase
{
    std::string name;
    TObjectListQuery query;
};

std::vector<GoldenCase> allCases()
{
    std::vector<GoldenCase> cases;
    for (const ViewCase &v : kViews)
        for (const Dialect &d : kDialects)
            for (bool sysObj : {false, true}) {
                if (sysObj && !v.sysObjMatters)
                    continue;
                for (bool fragment : {false, true}) {
                    if (fragment && !v.fragmentMatters)
                        continue;
                    GoldenCase c;
                    c.name = std::string(v.name) + '_' + d.name + (sysObj ? "_sys" : "") + (fragment ? "_frag" : "");
                    c.query.Dialect = {d.version, d.azure, sysObj};
                    c.query.View = v.view;
                    c.query.Kind = QString::fromLatin1(v.kind);
                    c.query.Database = QStringLiteral("SalesDB");
                    c.query.Pattern = QStringLiteral("%O'NEIL%");
                    c.query.Fragment = fragment;
                    cases.push_back(c);
                }
            }
    return cases;
}

QMap<QString, QString> readGolden()
{
    QMap<QString, QString> golden;
    QFile file(QString::fromUtf8(kGoldenFile));
    if (!file.open(QIODevice::ReadOnly))
        return golden;
    QString name;
    QStringList lines;
    auto flush = [&] {
        if (!name.isEmpty())
            golden.insert(name, lines.join(QStringLiteral("\r\n")));
        lines.clear();
    };
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("### "))) {
            flush();
            name = line.mid(4);
        } else if (line.startsWith(QLatin1String("| ")) || line == QLatin1String("|")) {
            lines << line.mid(2);
        }
    }
    flush();
    return golden;
}

class ObjectListStatements : public ::testing::TestWithParam<GoldenCase>
{
protected:
    void SetUp() override
    {
        saved = zkOption.UseLowerName;
        zkOption.UseLowerName = true;
    }
    void TearDown() override { zkOption.UseLowerName = saved; }
    bool saved = true;
};

} // namespace

TEST_P(ObjectListStatements, AreBuiltAsTheCatalogueExpects)
{
    static const QMap<QString, QString> golden = readGolden();
    const GoldenCase &c = GetParam();
    const QString actual = ObjectListSQL(c.query);
    const QString name = QString::fromStdString(c.name);
    ASSERT_TRUE(golden.contains(name)) << "no golden text; the builder gives:\n" << actual.toStdString();
    EXPECT_EQ(actual, golden.value(name));
    EXPECT_TRUE(actual.startsWith(QStringLiteral("use [SalesDB]\r\n")));
    EXPECT_FALSE(actual.contains(QLatin1Char('\n') + QStringLiteral("\n"))) << "lines are joined by CR LF only";
    // Every name pattern is a national literal with its quote doubled.
    EXPECT_EQ(actual.count(QStringLiteral("like N'%O''NEIL%'")), actual.count(QStringLiteral("upper(")));
}

INSTANTIATE_TEST_SUITE_P(Golden, ObjectListStatements, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<GoldenCase> &info) { return info.param.name; });

// Writes the golden file from the builder when asked to.
TEST(ObjectListStatementsGolden, UpdateWhenAsked)
{
    if (qEnvironmentVariableIsEmpty("ZK_UPDATE_GOLDEN"))
        GTEST_SKIP() << "set ZK_UPDATE_GOLDEN=1 to rewrite " << kGoldenFile;
    const bool saved = zkOption.UseLowerName;
    zkOption.UseLowerName = true;
    QString text = QStringLiteral("# The object list's statement per view, dialect, system-object setting (_sys)\n"
                                  "# and fragmentation (_frag); database SalesDB, name pattern %O'NEIL%.\n");
    for (const GoldenCase &c : allCases()) {
        text += QStringLiteral("### ") + QString::fromStdString(c.name) + QLatin1Char('\n');
        for (const QString &line : ObjectListSQL(c.query).split(QStringLiteral("\r\n")))
            text += QStringLiteral("| ") + line + QLatin1Char('\n');
    }
    zkOption.UseLowerName = saved;
    QFile file(QString::fromUtf8(kGoldenFile));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
}

TEST(ObjectListStatementParts, TypeFiltersViewsAndQuoting)
{
    const struct
    {
        const char *kind;
        bool sysObj;
        const char *filter;
    } filters[] = {
        {"TABLE", true, "N'S',N'U'"},
        {"TABLE", false, "N'U'"},
        {"INDEX", false, "N'IX'"},
        {"VIEW", false, "N'V'"},
        {"CONSTRAINT", false, "N'PK',N'F',N'C',N'D', N'UQ'"},
        {"PROCEDURE", false, "N'P',N'RF',N'X'"},
        {"FUNCTION", false, "N'FN',N'IF',N'TF'"},
        {"TRIGGER", false, "N'TR'"},
        {"SEQUENCE", false, "N'SO'"},
        {"SYNONYM", false, "N'SN'"},
        {"%", false, ""},
    };
    for (const auto &f : filters) {
        SCOPED_TRACE(f.kind);
        EXPECT_EQ(ObjectListTypeFilter(QString::fromLatin1(f.kind), f.sysObj), QString::fromLatin1(f.filter));
    }

    const struct
    {
        const char *kind;
        bool treeData;
        TObjectListView view;
        const char *type;
    } views[] = {
        {"TABLE", true, TObjectListView::Table, "TABLE"},
        {"TABLE", false, TObjectListView::Source, "SOURCE"},
        {"INDEX", true, TObjectListView::Index, "INDEX"},
        {"INDEX", false, TObjectListView::Index2, "INDEX"},
        {"SYNONYM", true, TObjectListView::Synonym, "SYNONYM"},
        {"SYNONYM", false, TObjectListView::Source, "SOURCE"},
        {"CONSTRAINT", false, TObjectListView::Constraint, "CONSTRAINT"},
        {"%", true, TObjectListView::Source, "SOURCE"},
        {"SEQUENCE", true, TObjectListView::Source, "SOURCE"},
    };
    for (const auto &v : views) {
        SCOPED_TRACE(v.kind);
        EXPECT_EQ(ObjectListViewOf(QString::fromLatin1(v.kind), v.treeData), v.view);
        EXPECT_EQ(ObjectListViewType(v.view), QString::fromLatin1(v.type));
    }

    // A database name with a quote and a bracket: bracketed with the bracket
    // doubled in names, quoted with the quote doubled in literals.
    const bool saved = zkOption.UseLowerName;
    zkOption.UseLowerName = true;
    TObjectListQuery q;
    q.Dialect = {16, false, false};
    q.View = TObjectListView::Synonym;
    q.Database = QStringLiteral("O'Brien]DB");
    EXPECT_EQ(ObjectListSQL(q), QStringLiteral("use [O'Brien]]DB]\r\nselect N'SN', name, N'O''Brien]DB', "
                                               "schema_name(schema_id), N'SN' xtype, base_object_name   from "
                                               "sys.synonyms where upper(name) like N'%'"));
    EXPECT_EQ(FragmentPermsSQL({16, false, false}, QStringLiteral("O'Brien]DB")),
              QStringLiteral("use [O'Brien]]DB]\r\nselect has_perms_by_name(N'O''Brien]DB', 'DATABASE', 'VIEW DATABASE "
                             "STATE')"));
    EXPECT_EQ(FragmentPermsSQL({8, false, false}, QStringLiteral("SalesDB")),
              QStringLiteral("use [SalesDB]\r\nselect is_srvrolemember('sysadmin'), is_member('db_owner'), "
                             "is_member('db_ddladmin')"));
    zkOption.UseLowerName = saved;

    EXPECT_EQ(ShowplanOffSQL({8, false, false}),
              (QStringList{"set showplan_text off", "set showplan_all off", "set showplan_parsing off"}));
    EXPECT_EQ(ShowplanOffSQL({15, false, false}), (QStringList{"set showplan_text off", "set showplan_all off"}));
    EXPECT_EQ(ShowplanOffSQL({12, true, false}), (QStringList{"set showplan_text off", "set showplan_all off"}));
}

// Every argument of sp_rename is a national literal of bracketed names, run
// in the object's own database; the probe compares the bare name.
TEST(ObjectListStatementParts, RenameQuotesEveryArgument)
{
    const bool saved = zkOption.UseLowerName;
    zkOption.UseLowerName = true;
    EXPECT_EQ(RenameObjectSQL(QStringLiteral("人事DB"), QStringLiteral("dbo"), QStringLiteral("社員"),
                              QStringLiteral("O'Neil's")),
              QStringLiteral("use [人事DB]\r\nexec sp_rename N'[dbo].[社員]',N'O''Neil''s',N'OBJECT'"));
    EXPECT_EQ(RenameIndexSQL(QStringLiteral("Sales DB"), QStringLiteral("sales"), QStringLiteral("Order's"),
                             QStringLiteral("IX]1"), QStringLiteral("IX_new")),
              QStringLiteral("use [Sales DB]\r\nexec sp_rename N'[sales].[Order''s].[IX]]1]',N'IX_new',N'INDEX'"));
    EXPECT_EQ(IndexObjectProbeSQL(QStringLiteral("Sales DB"), QStringLiteral("PK_O'Neil")),
              QStringLiteral("use [Sales DB]\r\nselect Count(*) cnt from sysobjects where name = N'PK_O''Neil'"));
    // Catalogue names that begin with a bracket are bracketed as names.
    EXPECT_EQ(RenameObjectSQL(QStringLiteral("[db]"), QStringLiteral("[s]"), QStringLiteral("[x]; drop table t;--"),
                              QStringLiteral("y")),
              QStringLiteral("use [[db]]]\r\nexec sp_rename N'[[s]]].[[x]]; drop table t;--]',N'y',N'OBJECT'"));
    zkOption.UseLowerName = saved;

    EXPECT_EQ(TempIdxProbeSQL(), "use[tempdb] select name from sysobjects where id = object_id('#temp_idx')");
    EXPECT_EQ(TempIdxTruncateSQL(), "use[tempdb] truncate table #temp_idx");
    EXPECT_TRUE(TempIdxCreateSQL(QStringLiteral("SalesDB"))
                    .startsWith("use [SalesDB]\r\ncreate table #temp_idx(objectname varchar(8000), objectid int, "));
    EXPECT_EQ(TempIdxFillSQL(QStringLiteral("SalesDB")),
              "use [SalesDB]\r\ninsert into #temp_idx exec('dbcc showcontig with tableresults, all_indexes')");
}
