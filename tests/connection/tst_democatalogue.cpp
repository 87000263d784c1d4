#include "connection/fobject_sql.h"
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
    TObjectListQuery query;
};

// The object list's statements as the program builds them for a version 15
// server, without system objects.
QList<ListStatement> listStatements(const QString &database)
{
    auto q = [&](TObjectListView view, const char *kind, bool fragment = false) {
        TObjectListQuery query;
        query.Dialect = {15, false, false};
        query.View = view;
        query.Kind = QString::fromLatin1(kind);
        query.Database = database;
        query.Fragment = fragment;
        return query;
    };
    return {
        {"source all", 8, q(TObjectListView::Source, "%")},
        {"source view", 8, q(TObjectListView::Source, "VIEW")},
        {"source procedure", 8, q(TObjectListView::Source, "PROCEDURE")},
        {"table", 9, q(TObjectListView::Table, "TABLE")},
        {"index", 9, q(TObjectListView::Index, "INDEX")},
        {"index fragmentation", 9, q(TObjectListView::Index, "INDEX", true)},
        {"index dates", 10, q(TObjectListView::Index2, "INDEX")},
        {"index dates fragmentation", 10, q(TObjectListView::Index2, "INDEX", true)},
        {"synonym", 6, q(TObjectListView::Synonym, "SYNONYM")},
        {"constraint", 7, q(TObjectListView::Constraint, "CONSTRAINT")},
    };
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
    const QString databases[] = {QStringLiteral("SalesDB"), QStringLiteral("InventoryDB"), QStringLiteral("人事DB"),
                                 QStringLiteral("master")};
    TFDQuery *query = dm.qryGeneral;
    for (const QString &db : databases) {
        QList<ListStatement> statements = listStatements(db);
        for (const ListStatement &s : std::as_const(statements)) {
            SCOPED_TRACE((db + QLatin1Char(' ') + s.view).toStdString());
            query->Close();
            query->SetParamCreate(false);
            query->SetSQL(ObjectListSQL(s.query));
            ASSERT_NO_THROW(query->Open());
            EXPECT_EQ(query->FieldCount(), s.columns);
            const bool user = db != QLatin1String("master");
            const bool optional = s.view == QLatin1String("synonym") || s.view == QLatin1String("source procedure");
            if (!user) {
                EXPECT_EQ(query->RecordCount(), 0);
            } else if (!optional || db == QLatin1String("SalesDB")) {
                EXPECT_GT(query->RecordCount(), 0);
            }
            for (query->First(); !query->Eof(); query->Next())
                EXPECT_EQ(query->Fields(2)->AsString(), db) << "the database column";
        }
        query->Close();
        query->SetSQL(FragmentPermsSQL({15, false, false}, db));
        query->Open();
        EXPECT_EQ(query->Fields(0)->AsInteger(), 1);
    }

    // A system-versioned table and its history; Japanese texts in varchar.
    query->Close();
    query->SetSQL(ObjectListSQL(listStatements(QStringLiteral("InventoryDB")).at(3).query));
    query->Open();
    QStringList temporal;
    for (query->First(); !query->Eof(); query->Next())
        temporal << query->Fields(1)->AsString() + QLatin1Char('=') + query->Fields(8)->AsString();
    EXPECT_EQ(temporal,
              (QStringList{"Warehouses=", "Stock=システムバージョン管理(StockHistory)", "StockHistory=履歴(Stock)"}));
    query->Close();
    query->SetSQL(ObjectListSQL(listStatements(QStringLiteral("SalesDB")).at(4).query));
    query->Open();
    EXPECT_EQ(query->Fields(6)->AsString(), "(権限がありません)");
}
