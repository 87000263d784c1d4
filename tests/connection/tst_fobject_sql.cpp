#include "connection/fobject_sql.h"
#include "core/zkoption.h"

#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

namespace {

// "### <case>" headers, each followed by its statement; the "use" line's
// CR LF is written as a plain line break.
QMap<QString, QString> loadGolden(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QMap<QString, QString> cases;
    QString name;
    QStringList lines;
    auto flush = [&] {
        if (!name.isEmpty())
            cases.insert(name, lines.join(QLatin1Char('\n')));
        lines.clear();
    };
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("### "))) {
            flush();
            name = line.mid(4);
        } else {
            lines << line;
        }
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    flush();
    return cases;
}

struct DialectCase
{
    const char *name;
    int version;
    bool azure;
};

class CatalogueStatements : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = zkOption;
        zkOption.UseLowerName = true;
    }
    void TearDown() override { zkOption = saved; }
    TzkOption saved;
};

} // namespace

TEST_F(CatalogueStatements, ObjectNamesPerKindAndDialect)
{
    const QMap<QString, QString> golden =
        loadGolden(QStringLiteral(ZK_SOURCE_DIR "/tests/connection/data/getobject.txt"));
    ASSERT_EQ(golden.size(), 20);
    const DialectCase dialects[] = {{"v8", 8, false}, {"v9", 9, false}, {"v16", 16, false}, {"azure", 12, true}};
    for (const char *kind : {"TABLE", "VIEW", "PROCEDURE", "FUNCTION"}) {
        for (const DialectCase &d : dialects) {
            for (const bool system : {false, true}) {
                const QString name = QStringLiteral("%1 %2%3").arg(QLatin1String(kind), QLatin1String(d.name),
                                                                   system ? QStringLiteral(" system") : QString());
                if (!golden.contains(name))
                    continue;
                SCOPED_TRACE(name.toStdString());
                const TCatalogDialect dialect{d.version, d.azure, system};
                QString sql = GetObjectSQL(dialect, QStringLiteral("SalesDB"), QString::fromLatin1(kind));
                sql.replace(QLatin1String("\r\n"), QLatin1String("\n"));
                EXPECT_EQ(sql.toStdString(), golden.value(name).toStdString());
            }
        }
    }
    // Kind words in any case; other kinds have no statement.
    EXPECT_EQ(GetObjectSQL({16, false, false}, "SalesDB", "table"),
              GetObjectSQL({16, false, false}, "SalesDB", "TABLE"));
    EXPECT_TRUE(GetObjectSQL({16, false, false}, "SalesDB", "TRIGGER").isEmpty());
}

TEST_F(CatalogueStatements, NamesAreBracketedWithTheirClosingBracketDoubled)
{
    EXPECT_EQ(UseText(QString()), QString());
    EXPECT_EQ(UseText(QStringLiteral("Sales DB")), QStringLiteral("use [Sales DB]\r\n"));
    EXPECT_EQ(UseText(QStringLiteral("a]b")), QStringLiteral("use [a]]b]\r\n"));
    // A catalogue name that begins with a bracket is a name, not bracketing.
    EXPECT_EQ(UseText(QStringLiteral("[x]; drop table t;--")), QStringLiteral("use [[x]]; drop table t;--]\r\n"));
    EXPECT_EQ(UseText(QStringLiteral("[Sales]")), QStringLiteral("use [[Sales]]]\r\n"));
    EXPECT_TRUE(GetObjectSQL({16, false, false}, QStringLiteral("x]y"), QStringLiteral("VIEW"))
                    .startsWith(QStringLiteral("use [x]]y]\r\nselect  a.name   from  [x]]y].sys.objects as a ")));
    // A catalogue name is bracketed whatever the option says.
    zkOption.UseLowerName = false;
    EXPECT_EQ(UseText(QStringLiteral("SalesDB")), QStringLiteral("use [SalesDB]\r\n"));
}

TEST_F(CatalogueStatements, UsersAndSchemasDatabasesAndTypes)
{
    const QString schemas9 = GetUserSQL({9, false, false}, QStringLiteral("SalesDB"), false);
    EXPECT_EQ(schemas9, QStringLiteral("use [SalesDB] SELECT sc.name from sys.schemas sc")
                            + QString(41, QLatin1Char(' '))
                            + QStringLiteral("inner join sys.database_principals ow on sc.principal_id = "
                                             "ow.principal_id order by sc.name")
                            + QString(59, QLatin1Char(' ')));
    EXPECT_EQ(GetUserSQL({8, false, false}, QStringLiteral("SalesDB"), false),
              QStringLiteral("use [SalesDB] select name from sysusers order by name"));
    EXPECT_TRUE(GetUserSQL({9, false, false}, QStringLiteral("SalesDB"), true)
                    .startsWith(QStringLiteral("use [SalesDB]\r\nselect name from sys.database_principals where ")));
    EXPECT_TRUE(GetUserSQL({8, false, false}, QStringLiteral("SalesDB"), true)
                    .startsWith(QStringLiteral("use [SalesDB]\r\nselect name from sysusers where ")));
    EXPECT_EQ(GetDatabaseSQL(true), QStringLiteral("select name from sys.databases"));
    EXPECT_EQ(GetDatabaseSQL(false),
              QStringLiteral("select name from master.dbo.sysdatabases where has_dbaccess(name) = 1"));
    EXPECT_EQ(GetDataTypeSQL(58),
              QStringLiteral("select name from systypes where xtype in (48, 52, 56, 106, 108, 127) order by name"));
    EXPECT_EQ(GetDataTypeSQL(45), QStringLiteral("select name from systypes order by name"));
}

TEST(ScriptBatches, SplitAtGoLinesOnly)
{
    const struct
    {
        const char *name;
        QStringList lines;
        QStringList batches;
    } cases[] = {
        {"no go: one batch", {"select 1", "select 2"}, {"select 1\r\nselect 2\r\n"}},
        {"GO with blanks and tabs splits", {"a", "  GO\t", "b"}, {"a\r\n", "b\r\n"}},
        {"go with more text is part of the batch", {"a", "go 5", "-- go", "b"}, {"a\r\ngo 5\r\n-- go\r\nb\r\n"}},
        {"blank batches are skipped", {"go", "", "  ", "Go", "a", "go", "go"}, {"a\r\n"}},
        {"a script of blanks runs nothing", {"", " "}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SplitScriptBatches(c.lines), c.batches);
    }
}
