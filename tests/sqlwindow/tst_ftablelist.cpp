// The table picker: its statements and result lines, and the dialog on the
// scripted backend with the demo catalogue.
#include "pickerfixture.h"

#include "controls/zkstdctl.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "core/zkwindows.h"
#include "sqlwindow/ftablelist.h"

#include <QCursor>
#include <QStyle>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

TEST(TableListSQL, ByServerVersionAndKinds)
{
    const QString all = QStringLiteral(" 'U', 'S','V','SN'");
    const QString tables = QStringLiteral(" 'U', 'S'");
    const QString viewsSynonyms = QStringLiteral("'V','SN'");
    const QString azure = QStringLiteral(
        "select a.name, a.xtype from sysobjects as a left outer join sys.indexes as c on c.object_id = a.id and "
        "c.index_id < 2where a.xtype in(");
    const QString other = QStringLiteral("select name, xtype from sysobjects where xtype in(");
    struct Case
    {
        bool isAzure;
        int version;
        TTableListKinds kinds;
        QString expected;
    };
    const QList<Case> cases = {
        {true, 9, tlkTable | tlkView | tlkSynonym,
         azure + all + ") and schema_name(a.uid) = :OWNER collate database_default"},
        {true, 9, tlkTable, azure + tables + ") and schema_name(a.uid) = :OWNER collate database_default"},
        {true, 9, tlkView | tlkSynonym,
         azure + viewsSynonyms + ") and schema_name(a.uid) = :OWNER collate database_default"},
        {true, 8, tlkTable | tlkView | tlkSynonym,
         azure + all + ") and user_name(a.uid) = :OWNER collate database_default"},
        {true, 8, tlkTable, azure + tables + ") and user_name(a.uid) = :OWNER collate database_default"},
        {true, 8, tlkView | tlkSynonym,
         azure + viewsSynonyms + ") and user_name(a.uid) = :OWNER collate database_default"},
        {false, 9, tlkTable | tlkView | tlkSynonym,
         other + all + ") AND schema_name(uid) = :OWNER collate database_default"},
        {false, 9, tlkTable, other + tables + ") AND schema_name(uid) = :OWNER collate database_default"},
        {false, 9, tlkView | tlkSynonym,
         other + viewsSynonyms + ") AND schema_name(uid) = :OWNER collate database_default"},
        {false, 8, tlkTable | tlkView | tlkSynonym,
         other + all + ") AND user_name(uid) = :OWNER collate database_default"},
        {false, 8, tlkTable, other + tables + ") AND user_name(uid) = :OWNER collate database_default"},
        {false, 8, tlkView | tlkSynonym,
         other + viewsSynonyms + ") AND user_name(uid) = :OWNER collate database_default"},
        // No kind at all lists tables, so the statement can always be formed.
        {false, 15, {}, other + tables + ") AND schema_name(uid) = :OWNER collate database_default"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("azure %1, version %2, kinds %3")
                         .arg(c.isAzure)
                         .arg(c.version)
                         .arg(int(c.kinds))
                         .toStdString());
        EXPECT_EQ(TableListSQL(c.version, c.isAzure, QString(), c.kinds), c.expected);
        EXPECT_EQ(TableListSQL(c.version, c.isAzure, "Sales", c.kinds), "use [Sales]\r\n" + c.expected);
    }
}

TEST(TableListResult, QualifiedBracketedOrOwnerAndName)
{
    const TzkOption saved = zkOption;
    const QStringList names{"Orders", "Order$"};
    zkOption.UseLowerName = true;
    EXPECT_EQ(TableListResult("Sales", "dbo", names, false),
              (QStringList{"[Sales].[dbo].[Orders]", "[Sales].[dbo].[Order$]"}));
    EXPECT_EQ(TableListResult("Sales", "", names, false), (QStringList{"[Orders]", "[Order$]"}));
    EXPECT_EQ(TableListResult("", "dbo", names, false), (QStringList{"[dbo].[Orders]", "[dbo].[Order$]"}));
    zkOption.UseLowerName = false;
    EXPECT_EQ(TableListResult("Sales", "dbo", names, false), (QStringList{"Sales.dbo.Orders", "Sales.dbo.[Order$]"}));
    EXPECT_EQ(TableListResult("Sales", "", names, false), (QStringList{"Orders", "[Order$]"}));
    EXPECT_EQ(TableListResult("", "dbo", names, false), (QStringList{"dbo.Orders", "dbo.[Order$]"}));
    // A catalogue name that looks bracketed is still one name.
    EXPECT_EQ(TableListResult("my db", "dbo", {"[t]"}, false), QStringList{"[my db].dbo.[[t]]]"});
    // The table editor takes owner and name apart, as they are.
    EXPECT_EQ(TableListResult("Sales", "dbo", names, true), (QStringList{"dbo", "Orders", "dbo", "Order$"}));
    zkOption = saved;
}

// A kind code per listed name.
QStringList Kinds(const QListWidget *list)
{
    QStringList kinds;
    for (int i = 0; i < list->count(); ++i)
        kinds << list->item(i)->text() + QLatin1Char('=') + list->item(i)->data(Qt::UserRole).toString();
    return kinds;
}

class TableListTest : public PickerTest
{
protected:
    void SetUp() override
    {
        PickerTest::SetUp();
        owner = logon();
        sql = std::make_unique<QWidget>();
        sql->setObjectName(QStringLiteral("frmSQL"));
        table = std::make_unique<QWidget>();
        table->setObjectName(QStringLiteral("frmTable"));
    }
    void TearDown() override
    {
        sql.reset();
        table.reset();
        PickerTest::TearDown();
    }
    QStringList pick(QWidget *sender, const std::function<void(TfrmTableList *)> &act, QStringList list = {},
                     const QString &database = {}, const QString &schema = {})
    {
        WhenDialog<TfrmTableList>(act);
        TfrmTableList::ShowWindow(owner, list, sender, database, schema);
        return list;
    }
    // The listing statements sent since the log was cleared.
    QStringList listings() const { return sent().filter(QStringLiteral("from sysobjects")); }

    TfrmObject *owner = nullptr;
    std::unique_ptr<QWidget> sql;
    std::unique_ptr<QWidget> table;
};

TEST_F(TableListTest, ListsTheSchemaOfTheSessionsDatabaseAndReturnsQualifiedNames)
{
    QString caption;
    QStringList databases, owners, shown;
    const QStringList result = pick(sql.get(),
                                    [&](TfrmTableList *d) {
                                        caption = d->windowTitle();
                                        for (int i = 0; i < d->cmbDatabase->count(); ++i)
                                            databases << d->cmbDatabase->itemText(i);
                                        for (int i = 0; i < d->cmbOwner->count(); ++i)
                                            owners << d->cmbOwner->itemText(i);
                                        databases << d->cmbDatabase->Text();
                                        owners << d->cmbOwner->Text();
                                        shown = Kinds(d->lstTable);
                                        SaveScreenshot(d, QStringLiteral("ftablelist"));
                                        SelectItems(d->lstTable, {"Products", "Orders"});
                                        d->btnOk->click();
                                    },
                                    {"earlier"});
    EXPECT_EQ(caption, QStringLiteral("表の選択 - dbo @ srv1.SalesDB"));
    EXPECT_EQ(databases,
              (QStringList{"InventoryDB", "master", "model", "msdb", "SalesDB", "tempdb", "人事DB", "SalesDB"}));
    EXPECT_EQ(owners, (QStringList{"dbo", "sales", "dbo"}));
    EXPECT_EQ(shown, (QStringList{"Customers=45", "OrderDetails=45", "Orders=45", "Products=45", "syn_Stock=60",
                                  "vw_OrderSummary=47"}));
    EXPECT_EQ(result, (QStringList{"earlier", "[SalesDB].[dbo].[Orders]", "[SalesDB].[dbo].[Products]"}));
}

TEST_F(TableListTest, CancelReturnsNothing)
{
    const QStringList result = pick(sql.get(), [](TfrmTableList *d) {
        SelectItems(d->lstTable, {"Orders"});
        d->btnExit->click();
    });
    EXPECT_TRUE(result.isEmpty());
}

TEST_F(TableListTest, SortsIgnoringCaseAndFindsWithCase)
{
    rules("rule regex: ^\\s*select name, xtype from sysobjects where xtype in\\(\n"
          "  params: @P1 = N'dbo'\n"
          "  result: name nvarchar(128), xtype char(2)\n"
          "  row: N'orders', 'U '\n"
          "  row: N'Customers', 'U '\n"
          "  row: N'Order$', 'U '\n"
          "  row: N'archive', 'V '\n");
    QStringList steps;
    pick(sql.get(), [&](TfrmTableList *d) {
        steps << ItemTexts(d->lstTable).join(',');
        for (const char *find : {"ord", "ORD", " ord", "   ", "Order$"}) {
            d->txtFindTable->setText(QString::fromUtf8(find));
            QTest::keyClick(d->txtFindTable, Qt::Key_Return);
            steps << ItemTexts(d->lstTable).join(',');
        }
        d->btnExit->click();
    });
    EXPECT_EQ(steps, (QStringList{"archive,Customers,Order$,orders", "orders", "", "",
                                  "archive,Customers,Order$,orders", "Order$"}));
}

TEST_F(TableListTest, KindButtonsRefillAndTheLastOneStaysDown)
{
    QStringList steps;
    pick(sql.get(), [&](TfrmTableList *d) {
        script->ClearLog();
        d->btnView->click();
        steps << ItemTexts(d->lstTable).join(',');
        d->btnSynonym->click();
        steps << ItemTexts(d->lstTable).join(',');
        d->btnTable->click(); // the last one down
        EXPECT_TRUE(d->btnTable->isChecked());
        steps << ItemTexts(d->lstTable).join(',');
        d->btnView->click();
        d->btnTable->click();
        steps << ItemTexts(d->lstTable).join(',');
        d->btnExit->click();
    });
    EXPECT_EQ(steps,
              (QStringList{"Customers,OrderDetails,Orders,Products,syn_Stock", "Customers,OrderDetails,Orders,Products",
                           "Customers,OrderDetails,Orders,Products", "vw_OrderSummary"}));
    EXPECT_EQ(listings().size(), 5);
    // They come back as they were closed.
    pick(sql.get(), [&](TfrmTableList *d) {
        EXPECT_FALSE(d->btnTable->isChecked());
        EXPECT_TRUE(d->btnView->isChecked());
        EXPECT_FALSE(d->btnSynonym->isChecked());
        EXPECT_EQ(ItemTexts(d->lstTable), QStringList{"vw_OrderSummary"});
        d->btnExit->click();
    });
}

TEST_F(TableListTest, ADatabaseChoiceRefillsOnlyTheListWithItsUseFirst)
{
    QStringList owners;
    const QStringList result = pick(sql.get(), [&](TfrmTableList *d) {
        script->ClearLog();
        const int inventory = d->cmbDatabase->findText("InventoryDB");
        d->cmbDatabase->setCurrentIndex(inventory);
        emit d->cmbDatabase->activated(inventory);
        for (int i = 0; i < d->cmbOwner->count(); ++i)
            owners << d->cmbOwner->itemText(i);
        SelectItems(d->lstTable, {"Orders"});
        d->btnOk->click();
    });
    const QStringList statements = sent();
    ASSERT_EQ(statements.size(), 2);
    EXPECT_EQ(statements.at(0).trimmed(), QStringLiteral("use [InventoryDB]"));
    EXPECT_TRUE(statements.at(1).trimmed().startsWith(QStringLiteral("select name, xtype from sysobjects")));
    EXPECT_EQ(owners, (QStringList{"dbo", "sales"}));
    EXPECT_EQ(result, QStringList{"[InventoryDB].[dbo].[Orders]"});
}

TEST_F(TableListTest, AnOwnerChoiceAndReloadRefill)
{
    QStringList steps;
    pick(sql.get(), [&](TfrmTableList *d) {
        script->ClearLog();
        d->cmbOwner->setCurrentIndex(d->cmbOwner->findText("sales"));
        emit d->cmbOwner->activated(d->cmbOwner->currentIndex());
        steps << ItemTexts(d->lstTable).join(',');
        SendFormMessage(d, WM_RELOAD);
        steps << ItemTexts(d->lstTable).join(',');
        d->btnExit->click();
    });
    EXPECT_EQ(steps, (QStringList{"Staff,vw_StaffSales", "Staff,vw_StaffSales"}));
    EXPECT_EQ(listings().size(), 2);
}

TEST_F(TableListTest, TheTableEditorPicksOneTableAsOwnerAndName)
{
    bool kindsShown = true, databaseEnabled = true;
    QString database;
    QAbstractItemView::SelectionMode mode{};
    QStringList shown;
    const QStringList result = pick(
        table.get(),
        [&](TfrmTableList *d) {
            kindsShown = d->btnTable->isVisible() || d->btnView->isVisible() || d->btnSynonym->isVisible();
            databaseEnabled = d->cmbDatabase->isEnabled();
            database = d->cmbDatabase->Text();
            mode = d->lstTable->selectionMode();
            shown = ItemTexts(d->lstTable);
            SelectItems(d->lstTable, {"Staff"});
            d->btnOk->click();
        },
        {}, "InventoryDB", "sales");
    EXPECT_FALSE(kindsShown);
    EXPECT_FALSE(databaseEnabled);
    EXPECT_EQ(database, QStringLiteral("InventoryDB"));
    EXPECT_EQ(mode, QAbstractItemView::SingleSelection);
    EXPECT_EQ(shown, QStringList{"Staff"});
    EXPECT_EQ(result, (QStringList{"sales", "Staff"}));
    // The forced kinds were saved: the next picker lists tables only.
    pick(sql.get(), [&](TfrmTableList *d) {
        EXPECT_TRUE(d->btnTable->isChecked());
        EXPECT_FALSE(d->btnView->isChecked());
        EXPECT_FALSE(d->btnSynonym->isChecked());
        d->btnExit->click();
    });
}

TEST_F(TableListTest, VersionEightHasNoSynonymButton)
{
    owner->DBVer = 8;
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\GUI\\TABLELIST", true));
    reg.WriteBool("ShowTable", false);
    reg.WriteBool("ShowView", false);
    bool synonymShown = true;
    pick(sql.get(), [&](TfrmTableList *d) {
        synonymShown = d->btnSynonym->isVisible();
        EXPECT_TRUE(d->btnTable->isChecked());
        EXPECT_TRUE(d->btnView->isChecked());
        EXPECT_FALSE(d->btnSynonym->isChecked());
        d->btnExit->click();
    });
    EXPECT_FALSE(synonymShown);
    const QStringList sentListings = listings();
    ASSERT_FALSE(sentListings.isEmpty());
    EXPECT_TRUE(sentListings.last().contains(QStringLiteral("in( 'U', 'S','V') AND user_name(uid) = @P1")));
}

TEST_F(TableListTest, AllKindsStoredOffListTables)
{
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\GUI\\TABLELIST", true));
    for (const char *name : {"ShowTable", "ShowView", "ShowSynonym"})
        reg.WriteBool(name, false);
    QStringList shown;
    pick(sql.get(), [&](TfrmTableList *d) {
        EXPECT_TRUE(d->btnTable->isChecked());
        shown = ItemTexts(d->lstTable);
        d->btnExit->click();
    });
    EXPECT_EQ(shown, (QStringList{"Customers", "OrderDetails", "Orders", "Products"}));
}

TEST_F(TableListTest, OpensUnderThePointerAndKeepsItsSize)
{
    QCursor::setPos(300, 260);
    QPoint at;
    pick(sql.get(), [&](TfrmTableList *d) {
        at = d->pos();
        d->resize(330, 420);
        d->btnExit->click();
    });
    const int caption = owner->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    EXPECT_EQ(at, QPoint(300 - caption, 260 - caption));
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + "\\GUI\\TABLELIST", false));
    for (const char *name :
         {"WindowState", "Left", "Top", "Width", "Height", "TableWidth", "ShowTable", "ShowView", "ShowSynonym"})
        EXPECT_TRUE(reg.ValueExists(name)) << name;
    EXPECT_EQ(reg.GetInteger("Width", 0), 330);
    EXPECT_EQ(reg.GetInteger("Left", 0), 300 - caption);
    // "Left" and "Top" are not read back: the pointer places the picker.
    reg.WriteInteger("Left", 20);
    reg.WriteInteger("Top", 30);
    QCursor::setPos(200, 150);
    QSize size;
    pick(sql.get(), [&](TfrmTableList *d) {
        at = d->pos();
        size = d->size();
        d->btnExit->click();
    });
    EXPECT_EQ(at, QPoint(200 - caption, 150 - caption));
    EXPECT_EQ(size, QSize(330, 420));
}

TEST_F(TableListTest, AFailingListingRestoresAndReachesTheErrorDisplay)
{
    rules("rule regex: ^\\s*select name, xtype from sysobjects where xtype in\\(\n"
          "  params: @P1 = N'sales'\n"
          "  error: 229, 5, 14, 1, The SELECT permission was denied on the object 'sysobjects'.\n");
    int items = -1;
    bool updates = false, active = true;
    pick(sql.get(), [&](TfrmTableList *d) {
        d->cmbOwner->setCurrentIndex(d->cmbOwner->findText("sales"));
        SendFormMessage(d, WM_RELOAD);
        items = d->lstTable->count();
        updates = d->lstTable->updatesEnabled();
        active = d->qryTable->Active();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        d->btnExit->click();
    });
    EXPECT_EQ(items, 0);
    EXPECT_TRUE(updates);
    EXPECT_FALSE(active);
    ASSERT_EQ(ShownExceptions().size(), 1);
    EXPECT_TRUE(ShownExceptions().first().contains("SELECT permission")) << ShownExceptions().first().toStdString();

    // At the start the failure reaches the caller, and no picker is left.
    QStringList list{"kept"};
    EXPECT_THROW(TfrmTableList::ShowWindow(owner, list, table.get(), "SalesDB", "sales"), EDBError);
    EXPECT_EQ(list, QStringList{"kept"});
    EXPECT_EQ(owner->findChild<TfrmTableList *>(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
