#include "testhelpers.h"

#include "connection/fobject.h"
#include "controls/zkcomctrls.h"
#include "core/zkactions.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QTest>
#include <QToolButton>

namespace {

const QStringList kAllKinds{"TABLE",   "INDEX",    "VIEW",    "PROCEDURE", "FUNCTION",
                            "TRIGGER", "SEQUENCE", "SYNONYM", "CONSTRAINT"};
const QStringList kDatabases{"InventoryDB", "master", "model", "msdb", "SalesDB", "tempdb", "人事DB"};

QStringList childTexts(const TzkTreeNode *node)
{
    QStringList texts;
    for (int i = 0; i < node->Count(); ++i)
        texts << node->Item(i)->Text();
    return texts;
}

class ObjectTreeTest : public ConnectionWindowTest
{
protected:
    TzkTreeNode *root(TfrmObject *form) const { return form->lstTree->TopItem(0); }
    void storeList(const QString &server, const QString &lines)
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\OBJECTTREE\\") + server, true));
        reg.WriteString(QStringLiteral("DataBase"), lines);
    }
};

} // namespace

TEST_F(ObjectTreeTest, DatabasesThenKindsOrKindsThenDatabases)
{
    zkOption.TreeSort = 0;
    TfrmObject *form = logon();
    ASSERT_EQ(form->lstTree->TopCount(), 1);
    TzkTreeNode *server = root(form);
    EXPECT_EQ(server->Text(), "srv1(15.0.2000.5)");
    EXPECT_EQ(server->ImageIndex(), 5);
    EXPECT_EQ(childTexts(server), kDatabases);
    for (int i = 0; i < server->Count(); ++i) {
        TzkTreeNode *db = server->Item(i);
        SCOPED_TRACE(db->Text().toStdString());
        EXPECT_EQ(db->ImageIndex(), db->Text() == "SalesDB" ? 116 : 1);
        EXPECT_EQ(childTexts(db), kAllKinds);
        EXPECT_EQ(db->Item(0)->ImageIndex(), 45);
        EXPECT_EQ(db->Item(8)->ImageIndex(), 66);
    }
    TzkTreeNode *sales = server->FindName(QStringLiteral("SalesDB"), false);
    EXPECT_EQ(form->lstTree->Selected(), sales) << "the connection's database";
    EXPECT_TRUE(form->lstTree->isExpanded(form->lstTree->IndexOfNode(sales)));
    EXPECT_EQ(form->lstObject->ItemCount(), 0) << "a rebuild does not fill the list";

    // The other order: kinds, each with the databases; the server selected.
    form->btnTree2->click();
    EXPECT_EQ(zkOption.TreeSort, 1);
    EXPECT_EQ(form->btnLevel1->toolTip(), "オブジェクトタイプ選択時にオブジェクト一覧を表示する");
    server = root(form);
    EXPECT_EQ(childTexts(server), kAllKinds);
    EXPECT_EQ(childTexts(server->Item(2)), kDatabases);
    EXPECT_EQ(server->Item(2)->FindName(QStringLiteral("SalesDB"), false)->ImageIndex(), 116);
    EXPECT_EQ(form->lstTree->Selected(), server);
    form->btnTree1->click();
    EXPECT_EQ(zkOption.TreeSort, 0);
    EXPECT_EQ(form->btnLevel1->toolTip(), "データベース選択時にオブジェクト一覧を表示する");
}

TEST_F(ObjectTreeTest, KindsFollowTheOptionsAndTheServer)
{
    TfrmObject *form = logon();
    const struct
    {
        const char *name;
        int version;
        bool azure;
        bool showView;
        QStringList kinds;
        QStringList databases;
    } cases[] = {
        {"version 15", 15, false, true, kAllKinds, kDatabases},
        {"version 11 has sequences", 11, false, true, kAllKinds, kDatabases},
        {"version 10: no sequences",
         10,
         false,
         true,
         {"TABLE", "INDEX", "VIEW", "PROCEDURE", "FUNCTION", "TRIGGER", "SYNONYM", "CONSTRAINT"},
         kDatabases},
        {"version 8: no synonyms either",
         8,
         false,
         true,
         {"TABLE", "INDEX", "VIEW", "PROCEDURE", "FUNCTION", "TRIGGER", "CONSTRAINT"},
         kDatabases},
        {"Azure: no sequences, the login database only",
         12,
         true,
         true,
         {"TABLE", "INDEX", "VIEW", "PROCEDURE", "FUNCTION", "TRIGGER", "SYNONYM", "CONSTRAINT"},
         {"SalesDB"}},
        {"views switched off",
         15,
         false,
         false,
         {"TABLE", "INDEX", "PROCEDURE", "FUNCTION", "TRIGGER", "SEQUENCE", "SYNONYM", "CONSTRAINT"},
         kDatabases},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        form->DBVer = c.version;
        form->IsAzure = c.azure;
        form->Disp = c.azure ? 1 : 0;
        zkOption.ShowView = c.showView;
        form->ShowTree();
        EXPECT_EQ(childTexts(root(form)), c.databases);
        EXPECT_EQ(childTexts(root(form)->Item(0)), c.kinds);
        if (c.azure) {
            EXPECT_EQ(root(form)->Item(0)->ImageIndex(), 137);
        }
    }
}

TEST_F(ObjectTreeTest, TheDatabaseFilterAndTheLoginDatabaseFirst)
{
    TfrmObject *form = logon();
    storeList(QStringLiteral("srv1"), QStringLiteral("人事DB\r\nInventoryDB\r\nnot_there\r\n"));
    storeList(QStringLiteral("srv2"), QStringLiteral("master\r\n"));
    const struct
    {
        const char *name;
        int disp;
        bool userFirst;
        QStringList databases;
    } cases[] = {
        {"all", 0, false, kDatabases},
        {"the login database", 1, false, {"SalesDB"}},
        {"the list of this server, in server order", 2, false, {"InventoryDB", "人事DB"}},
        {"the login database first",
         0,
         true,
         {"SalesDB", "InventoryDB", "master", "model", "msdb", "tempdb", "人事DB"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        form->Disp = c.disp;
        zkOption.UserFirst = c.userFirst;
        form->ShowTree();
        EXPECT_EQ(childTexts(root(form)), c.databases);
    }

    // An empty list shows every database.
    storeList(QStringLiteral("srv1"), QString());
    zkOption.UserFirst = false;
    form->Disp = 2;
    form->ShowTree();
    EXPECT_EQ(childTexts(root(form)), kDatabases);
}

TEST_F(ObjectTreeTest, TheListSettingAsksFirstAndCancelChangesNothing)
{
    TfrmObject *form = logon();
    QList<TfrmObject *> asked;
    bool confirm = false;
    TfrmObject::SelectDatabases = [&](TfrmObject *f) {
        asked << f;
        if (confirm)
            storeList(QStringLiteral("srv1"), QStringLiteral("SalesDB\r\n"));
        return confirm;
    };
    script->ClearLog();
    form->cmbTree->setCurrentIndex(2);
    emit form->cmbTree->activated(2);
    EXPECT_EQ(asked, QList<TfrmObject *>{form});
    EXPECT_EQ(form->cmbTree->currentIndex(), 0) << "back on Disp";
    EXPECT_EQ(form->Disp, 0);
    EXPECT_TRUE(sentByTheWindow().isEmpty()) << "the tree is not rebuilt";
    EXPECT_EQ(childTexts(root(form)), kDatabases);

    confirm = true;
    form->cmbTree->setCurrentIndex(2);
    emit form->cmbTree->activated(2);
    EXPECT_EQ(form->Disp, 2);
    EXPECT_EQ(childTexts(root(form)), QStringList{"SalesDB"});

    emit form->cmbTree->activated(1);
    EXPECT_EQ(form->Disp, 1);
    EXPECT_EQ(asked.size(), 2);

    // The dialog's database list fails: the error goes on, the filter and
    // the combo stay as they were.
    TfrmObject::SelectDatabases = [](TfrmObject *) -> bool { throw Exception(QStringLiteral("no catalogue")); };
    form->cmbTree->setCurrentIndex(2);
    EXPECT_THROW(emit form->cmbTree->activated(2), Exception);
    EXPECT_EQ(form->Disp, 1);
    EXPECT_EQ(form->cmbTree->currentIndex(), 1);
    TfrmObject::SelectDatabases = nullptr;
}

TEST_F(ObjectTreeTest, FailuresOfTheDatabaseListAndTheVersion)
{
    TfrmObject *form = logon();
    rules("rule exact: SELECT SERVERPROPERTY(N'productversion')\n  error: 229, 1, 14, 1, permission denied\n");
    form->ShowTree();
    EXPECT_EQ(root(form)->Text(), "srv1()") << "without the version";
    EXPECT_EQ(root(form)->Count(), 7);

    rules("rule exact: select name from master.dbo.sysdatabases where has_dbaccess(name) = 1\n"
          "  error: 4060, 1, 11, 1, Cannot open the catalogue\n");
    EXPECT_THROW(form->ShowTree(), EDBError);
    EXPECT_EQ(root(form)->Count(), 7) << "the previous tree stays";
}

TEST_F(ObjectTreeTest, ThePopupOffersWhatTheNodeTakes)
{
    TfrmObject *form = logon();
    auto visible = [&](const char *name) { return form->actObject->Find(QLatin1String(name))->isVisible(); };
    auto select = [&](TzkTreeNode *node) { form->lstTree->SetSelected(node); };
    TzkTreeNode *sales = root(form)->FindName(QStringLiteral("SalesDB"), false);

    // Order 0: a kind under a database takes the new command; a database its own.
    const struct
    {
        const char *name;
        TzkTreeNode *node;
        bool newObject;
        bool database;
    } order0[] = {
        {"server", root(form), false, false},
        {"database", sales, false, true},
        {"kind", sales->Item(0), true, false},
    };
    for (const auto &c : order0) {
        SCOPED_TRACE(c.name);
        select(c.node);
        form->lstTree->OnContextPopup(QPoint(-1000, -1000));
        form->popTree->close();
        EXPECT_EQ(visible("actNew"), c.newObject);
        for (const char *name : {"actLogon", "actUser", "actSession", "actLock", "actStorage", "actDatabase", "actJob",
                                 "actBackUp", "actRestore", "actDetach"})
            EXPECT_EQ(visible(name), c.database) << name;
        EXPECT_EQ(form->popTree->findChild<QAction *>(QStringLiteral("mnuTB1"))->isVisible(), c.database);
    }

    // Order 1: a database below a kind takes both.
    form->btnTree2->click();
    TzkTreeNode *db = root(form)->Item(0)->FindName(QStringLiteral("InventoryDB"), false);
    select(db);
    form->lstTree->OnContextPopup(QPoint(-1000, -1000));
    form->popTree->close();
    EXPECT_TRUE(visible("actNew"));
    EXPECT_TRUE(visible("actLogon"));

    // Azure: the server-side tools are off.
    form->IsAzure = true;
    form->lstTree->OnContextPopup(QPoint(-1000, -1000));
    form->popTree->close();
    for (const char *name : {"actSession", "actStorage", "actLock", "actJob", "actBackUp", "actDetach", "actRestore"})
        EXPECT_FALSE(form->actObject->Find(QLatin1String(name))->isEnabled()) << name;
}

TEST_F(ObjectTreeTest, TheLevelButtonsSetTheOptions)
{
    zkOption.ShowLevel0 = true;
    zkOption.ShowLevel1 = true;
    TfrmObject *form = logon();
    EXPECT_TRUE(form->btnLevel0->isChecked());
    form->btnLevel0->click();
    EXPECT_FALSE(zkOption.ShowLevel0);
    form->btnLevel1->click();
    EXPECT_FALSE(zkOption.ShowLevel1);
    form->btnLevel1->click();
    EXPECT_TRUE(zkOption.ShowLevel1);
}

TEST_F(ObjectTreeTest, OnAzureTheFilterHoldsTheLoginDatabaseOnly)
{
    rules("rule exact: select serverproperty('Edition')\n  result: e sql_variant\n  row: 'SQL Azure'\n");
    TfrmObject *form =
        logon(QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("zk.database.windows.net"));
    ASSERT_TRUE(form->IsAzure);
    EXPECT_EQ(form->cmbTree->count(), 1);
    EXPECT_EQ(form->cmbTree->itemText(0), "ログインDB");
    EXPECT_EQ(childTexts(root(form)), QStringList{"SalesDB"});
    emit form->cmbTree->activated(0);
    EXPECT_EQ(form->Disp, 1);
    EXPECT_EQ(childTexts(root(form)), QStringList{"SalesDB"});
}
