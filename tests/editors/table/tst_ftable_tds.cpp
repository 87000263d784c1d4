#include "connection/testhelpers.h"

#include "controls/zkgrid.h"
#include "editors/table/ftable.h"
#include "tds/tdsserver.h"

#include <gtest/gtest.h>

// A demo table through the real driver against the test server: the
// statements arrive in their order, the use line as a batch of its own.
class TableEditorServerTest : public ShownMainWindowTest
{
protected:
    void TearDown() override
    {
        main.reset();
        ShownMainWindowTest::TearDown();
    }
    TdsServer server;
};

TEST_F(TableEditorServerTest, DemoTableOpens)
{
    QString error;
    ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
    ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
    auto *form = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("demo"),
                                QStringLiteral("127.0.0.1,%1").arg(server.port()), 0xFFFFE0, false);
    server.clearLog();
    TfrmTable *w = TfrmTable::Open(form, "SalesDB", "dbo", "Orders", omDefine, 0);
    EXPECT_EQ(w->grdColumn->Cols(tgName).mid(1),
              (QStringList{"OrderID", "CustomerID", "OrderDate", "Amount", "Note", ""}));
    EXPECT_EQ(w->grdColumn->Cells(tgDefault, 1), QStringLiteral("IDENTITY(1, 1)"));
    EXPECT_EQ(w->FPrimary, QStringList{"OrderID"});
    QStringList order;
    for (const QString &s : server.statements()) {
        const QString t = s.trimmed();
        for (const char *p : {"use [SalesDB]", "select a.id,", "SELECT tbl.temporal_type", "select cols.COLUMN_NAME",
                              "select a.name colname", "EXEC sp_pkeys"})
            if (t.startsWith(QLatin1String(p)))
                order << QLatin1String(p);
    }
    order.removeDuplicates();
    EXPECT_EQ(order, (QStringList{"use [SalesDB]", "select a.id,", "SELECT tbl.temporal_type",
                                  "select cols.COLUMN_NAME", "select a.name colname", "EXEC sp_pkeys"}))
        << server.statements().join("\n---\n").toStdString();
}
