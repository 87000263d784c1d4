// Code completion end to end through the ODBC driver against the test
// server with the demo catalogue.

#include "memohost.h"

#include "platform/db/dbconnection.h"
#include "platform/db/dbquery.h"
#include "sqleditor/zksub_codeassist.h"
#include "tds/tdsserver.h"

#include <gtest/gtest.h>

namespace {

struct TdsCompletion : ::testing::Test
{
    void SetUp() override
    {
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        TFDConnectionParams &p = con.Params();
        p.SetValue("Server", QStringLiteral("127.0.0.1,%1").arg(server.port()));
        p.SetValue("User_Name", "zkdemo");
        p.SetValue("Password", "demo");
        p.SetValue("Database", "SalesDB");
        ASSERT_NO_THROW(con.Open());
        query.SetConnection(&con);
    }

    void request(const QString &text)
    {
        host.setText(text, 0, 0);
        host->SetSelIndex(0, int(text.size()));
        const QPoint p = host->CaretPoint();
        CodeAssistCandidates(host.memo, host.form.get(), &query, QStringLiteral("SalesDB"), QStringLiteral("dbo"), 15,
                             p.x(), p.y());
    }

    QString currentDatabase()
    {
        TFDQuery q;
        q.SetConnection(&con);
        q.Open(QStringLiteral("select db_name()"));
        return q.Fields(0)->AsString();
    }

    TdsServer server;
    TFDConnection con;
    TFDQuery query;
    MemoHost host;
};

} // namespace

TEST_F(TdsCompletion, SchemaListsTheDemoTables)
{
    ASSERT_NO_THROW(request(QStringLiteral("select * from dbo.")));
    ASSERT_NE(host->CodeAssist, nullptr);
    QStringList rows;
    for (int i = 0; i < host->CodeAssist->RowCount(); ++i)
        rows << host->CodeAssist->topLevelItem(i)->text(0);
    EXPECT_EQ(rows.mid(0, 5), (QStringList{"Customers", "OrderDetails", "Orders", "Products", "vw_OrderSummary"}));
    EXPECT_EQ(currentDatabase(), QStringLiteral("SalesDB"));
}

TEST_F(TdsCompletion, ColumnsOfADemoTable)
{
    ASSERT_NO_THROW(request(QStringLiteral("select * from Orders.")));
    ASSERT_NE(host->CodeAssist, nullptr);
    EXPECT_EQ(host->CodeAssist->CaptionList,
              (QStringList{"*", "OrderID", "CustomerID", "OrderDate", "Amount", "Note"}));
    EXPECT_EQ(host->CodeAssist->SubItemList[5], QStringLiteral("nvarchar(200)"));
    EXPECT_EQ(host->CodeAssist->ImageList[1], 46);
}

// The routine lookup has no use prefix of its own: it runs in the database
// the schema lookup switched to, which only holds when the prefix went to
// the server as a batch of its own.
TEST_F(TdsCompletion, RoutineOfAnotherDatabaseIsLookedUpThere)
{
    ASSERT_NO_THROW(request(QStringLiteral("exec InventoryDB.dbo.usp_MoveStock.")));
    EXPECT_EQ(host->CodeAssist, nullptr) << "a routine lists nothing";
    const QStringList statements = server.statements();
    ASSERT_FALSE(statements.isEmpty());
    EXPECT_TRUE(statements.last().contains(QLatin1String("xtype in (N'P', N'RF', N'X', N'FN', N'IF', N'TF')")))
        << statements.last().toStdString();
    EXPECT_EQ(currentDatabase(), QStringLiteral("InventoryDB"));
}
