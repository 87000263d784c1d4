// The table and column pickers through unixODBC and the FreeTDS driver
// against the test server with the demo catalogue.
#include "pickerfixture.h"

#include "controls/zkstdctl.h"
#include "sqlwindow/ffldlist.h"
#include "sqlwindow/ftablelist.h"
#include "tds/tdsserver.h"

#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class PickerServerTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        owner = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("demo"),
                               QStringLiteral("127.0.0.1,%1").arg(server.port()), 0xFFFFE0, false);
        sender.setObjectName(QStringLiteral("frmSQL"));
        server.clearLog();
    }
    void TearDown() override
    {
        main.reset();
        ShownMainWindowTest::TearDown();
    }
    // The requests since the log was cleared: "batch: text" or "rpc: text | params".
    QStringList requests() const
    {
        QStringList out;
        for (const TdsLogEntry &e : server.log()) {
            if (e.kind == TdsLogEntry::Batch)
                out << QStringLiteral("batch: ") + e.text;
            else if (e.kind == TdsLogEntry::Rpc)
                out << QStringLiteral("rpc: ") + e.text;
        }
        return out;
    }

    TdsServer server;
    TfrmObject *owner = nullptr;
    QWidget sender;
};

TEST_F(PickerServerTest, TheTablePickerListsAndFindsTheTablesOfDbo)
{
    QStringList steps;
    QStringList result;
    WhenModal([&](QWidget *w) {
        auto *d = qobject_cast<TfrmTableList *>(w);
        ASSERT_NE(d, nullptr);
        // The strip in the connection's colour.
        EXPECT_EQ(d->pnlPersonalColor->palette().color(QPalette::Window), QColor(0xE0, 0xFF, 0xFF));
        d->btnView->click();
        d->btnSynonym->click();
        for (int i = 0; i < d->lstTable->count(); ++i)
            steps << d->lstTable->item(i)->text() + QLatin1Char('=')
                         + d->lstTable->item(i)->data(Qt::UserRole).toString();
        d->txtFindTable->setText(QStringLiteral("Order"));
        QTest::keyClick(d->txtFindTable, Qt::Key_Return);
        steps << ItemTexts(d->lstTable).join(',');
        SaveScreenshot(d, QStringLiteral("ftablelist_tds"));
        // Another database: its "use" first, as a batch of its own.
        server.clearLog();
        const int inventory = d->cmbDatabase->findText("InventoryDB");
        d->cmbDatabase->setCurrentIndex(inventory);
        emit d->cmbDatabase->activated(inventory);
        steps << ItemTexts(d->lstTable).join(',');
        SelectItems(d->lstTable, {"Orders"});
        d->btnOk->click();
    });
    TfrmTableList::ShowWindow(owner, result, &sender, {}, {});
    EXPECT_EQ(steps, (QStringList{"Customers=45", "OrderDetails=45", "Orders=45", "Products=45", "OrderDetails,Orders",
                                  "OrderDetails,Orders"}));
    EXPECT_EQ(result, QStringList{"[InventoryDB].[dbo].[Orders]"});
    const QStringList sent = requests();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent.at(0).trimmed(), QStringLiteral("batch: use [InventoryDB]"));
    EXPECT_EQ(sent.at(1).simplified(),
              QStringLiteral("rpc: select name, xtype from sysobjects where xtype in( 'U', 'S') AND "
                             "schema_name(uid) = @P1 collate database_default"));
}

TEST_F(PickerServerTest, TheColumnPickerListsColumnsInColumnOrder)
{
    QStringList chosen, available;
    QStringList fields{"Amount", "OrderID"};
    WhenModal([&](QWidget *w) {
        auto *d = qobject_cast<TfrmFieldList *>(w);
        ASSERT_NE(d, nullptr);
        chosen = ItemTexts(d->lstSelect);
        available = ItemTexts(d->lstAll);
        SaveScreenshot(d, QStringLiteral("ffldlist_tds"));
        SelectItems(d->lstAll, {"Note"});
        d->btnIns->click();
        d->btnSelect->click();
    });
    TfrmFieldList::ShowWindow(owner, "SalesDB", "dbo", "Orders", fields);
    EXPECT_EQ(chosen, (QStringList{"OrderID", "Amount"}));
    EXPECT_EQ(available, (QStringList{"CustomerID", "OrderDate", "Note"}));
    EXPECT_EQ(fields, (QStringList{"OrderID", "Amount", "Note"}));
    const QStringList sent = requests();
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent.at(0).trimmed(), QStringLiteral("batch: use [SalesDB]"));
    EXPECT_TRUE(sent.at(1).simplified().startsWith(QStringLiteral("rpc: select b.name from dbo.sysobjects")))
        << sent.at(1).toStdString();
}

} // namespace
