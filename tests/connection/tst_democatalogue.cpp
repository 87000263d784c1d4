#include "core/dsqlserver.h"
#include "core/zksub.h"
#include "testhelpers.h"
#include "tds/tdsserver.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

struct ListStatement
{
    QString view;
    int columns = 0;
    QString text; // {B}: the bracketed database, {Q}: its quoted literal
};

QList<ListStatement> loadStatements()
{
    QFile file(QStringLiteral(ZK_SOURCE_DIR "/tests/connection/data/objectlist.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<ListStatement> statements;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("### "))) {
            const QStringList head = line.mid(4).split(QStringLiteral(" | "));
            statements.append({head.value(0), head.value(1).toInt(), QString()});
        } else if (!statements.isEmpty() && !line.isEmpty()) {
            ListStatement &s = statements.last();
            s.text += (s.text.isEmpty() ? QString() : QStringLiteral("\r\n")) + line;
        }
    }
    return statements;
}

// The object list's statements, as the list sends them for each database,
// reach the demo catalogue through the driver and come back with the
// view's columns: rows for the demo databases, none for the system ones.
class DemoCatalogue : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        TFDConnectionParams &p = dm.Connection->Params();
        p.SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(server.port()));
        p.SetValue("User_Name", "zkdemo");
        p.SetValue("Password", "demo");
        p.SetValue("Database", "SalesDB");
        ASSERT_NO_THROW(dm.Connection->Open());
    }
    TdsServer server;
    TdmSQLServer dm;
};

} // namespace

TEST_F(DemoCatalogue, AnswersTheObjectListOfEachDatabase)
{
    const QList<ListStatement> statements = loadStatements();
    ASSERT_EQ(statements.size(), 10);
    const QString databases[] = {QStringLiteral("SalesDB"), QStringLiteral("InventoryDB"), QStringLiteral("人事DB"),
                                 QStringLiteral("master")};
    TFDQuery *query = dm.qryGeneral;
    for (const QString &db : databases) {
        for (const ListStatement &s : statements) {
            SCOPED_TRACE((db + QLatin1Char(' ') + s.view).toStdString());
            QString sql = s.text;
            sql.replace(QLatin1String("{B}"), BracketName(db, true)).replace(QLatin1String("{Q}"), QuoteSQLStr(db));
            query->Close();
            query->SetSQL(sql);
            ASSERT_NO_THROW(query->Open());
            EXPECT_EQ(query->FieldCount(), s.columns);
            const bool user = db != QLatin1String("master");
            const bool optional = s.view == QLatin1String("synonym") || s.view == QLatin1String("source procedure");
            if (s.view == QLatin1String("probe")) {
                EXPECT_EQ(query->Fields(0)->AsInteger(), 1);
                continue;
            }
            if (!user) {
                EXPECT_EQ(query->RecordCount(), 0);
            } else if (!optional || db == QLatin1String("SalesDB")) {
                EXPECT_GT(query->RecordCount(), 0);
            }
            for (query->First(); !query->Eof(); query->Next())
                EXPECT_EQ(query->Fields(2)->AsString(), db) << "the database column";
        }
    }

    // A system-versioned table and its history; Japanese texts in varchar.
    query->Close();
    QString table = statements.at(3).text;
    table.replace(QLatin1String("{B}"), QStringLiteral("[InventoryDB]")).replace(QLatin1String("{Q}"), QStringLiteral("'InventoryDB'"));
    query->SetSQL(table);
    query->Open();
    QStringList temporal;
    for (query->First(); !query->Eof(); query->Next())
        temporal << query->Fields(1)->AsString() + QLatin1Char('=') + query->Fields(8)->AsString();
    EXPECT_EQ(temporal, (QStringList{"Warehouses=", "Stock=システムバージョン管理(StockHistory)", "StockHistory=履歴(Stock)"}));
    QString index = statements.at(5).text;
    index.replace(QLatin1String("{B}"), QStringLiteral("[SalesDB]")).replace(QLatin1String("{Q}"), QStringLiteral("'SalesDB'"));
    query->Close();
    query->SetSQL(index);
    query->Open();
    EXPECT_EQ(query->Fields(6)->AsString(), "(権限がありません)");
}
