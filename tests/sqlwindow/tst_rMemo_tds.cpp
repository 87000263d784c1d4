// The source-editor frame's palette through unixODBC and the FreeTDS driver
// against the test server with the demo catalogue.
#include "connection/testhelpers.h"

#include "controls/zkcomctrls.h"
#include "core/zkoption.h"
#include "sqlwindow/memohost.h"
#include "sqlwindow/rMemo.h"
#include "tds/tdsserver.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

class MemoServerTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        saved = zkOption;
        zkOption.UseLowerName = false;
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        form = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("demo"),
                              QStringLiteral("127.0.0.1,%1").arg(server.port()), 0xFFFFE0, false);
        host = new MemoHost(form);
        host->show();
        processEvents();
    }
    void TearDown() override
    {
        main.reset();
        zkOption = saved;
        ShownMainWindowTest::TearDown();
    }

    TdsServer server;
    TfrmObject *form = nullptr;
    MemoHost *host = nullptr;
    TzkOption saved;
};

TEST_F(MemoServerTest, ExpandATableAndLookAColumnUp)
{
    TfraMemo *memo = host->memo;
    memo->ShowData();
    TzkTreeNode *db = memo->trvObject->TopItem(0)->Item(0);
    ASSERT_EQ(db->Text(), "SalesDB");
    TzkTreeNode *tables = db->FindName(QStringLiteral("TABLE"), false);
    tables->Expand();
    TzkTreeNode *orders = tables->FindName(QStringLiteral("dbo.Orders"), false);
    ASSERT_NE(orders, nullptr);
    orders->Expand();
    QStringList columns;
    for (int i = 0; i < orders->Count(); ++i)
        columns << orders->Item(i)->Text();
    EXPECT_EQ(columns, QStringList({"OrderID", "CustomerID", "OrderDate", "Amount", "Note"}));
    EXPECT_TRUE(server.statements().contains(QStringLiteral("use SalesDB")));

    memo->txtListSearch->setText(QStringLiteral("customerid"));
    memo->SearchColumnRefs();
    ASSERT_EQ(memo->lstObject->ItemCount(), 2);
    EXPECT_EQ(memo->lstObject->Item(1).Caption, "dbo.Orders");
    EXPECT_EQ(memo->lstObject->Item(1).ImageIndex, 45);
    EXPECT_TRUE(ShownExceptions().isEmpty()) << ShownExceptions().join('\n').toStdString();
}

} // namespace
