// The source-editor frame: its texts without a window, then the frame in a
// form on the scripted backend with the demo catalogue.
#include "connection/testhelpers.h"

#include "controls/zkcomctrls.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zksub.h"
#include "editorcontrol/edrowlist.h"
#include "editorcontrol/edwrap.h"
#include "platform/encoding/textencoding.h"
#include "sqleditor/zkmemo.h"
#include "sqlwindow/rMemo.h"
#include "sqlwindow/memohost.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSpinBox>
#include <QSplitter>
#include <QToolBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// --- Texts ------------------------------------------------------------------------------

TEST(MemoTexts, ObjectListByVersionAndSystemTables)
{
    struct Case
    {
        int version;
        bool showSysObj;
        const char *expected;
    };
    const Case cases[] = {
        {8, false, " select name,user_name(uid) from sysobjects where xtype in('U') order by user_name(uid),    name"},
        {8, true,
         " select name,user_name(uid) from sysobjects where xtype in('U','S') order by user_name(uid),    name"},
        {9, false,
         " select name,schema_name(schema_id) from sys.objects where type in('U') order by schema_name(schema_id),    "
         "name"},
        {15, true,
         " select name,schema_name(schema_id) from sys.objects where type in('U','S') order by "
         "schema_name(schema_id),    name"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.version);
        EXPECT_EQ(ObjTreeObjectListSQL(c.version, ObjTreeTypeList(45, c.showSysObj)), QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(ObjTreeTypeList(51, false), "'P','RF','X'");
    EXPECT_EQ(ObjTreeTypeList(52, true), "'FN','IF','TF'");
    EXPECT_EQ(ObjTreeTypeList(47, false), "'V'");
}

TEST(MemoTexts, ColumnListAndReverseLookup)
{
    EXPECT_EQ(ObjTreeColumnListSQL("dbo", "O'Neil"),
              " select COLUMN_NAME from INFORMATION_SCHEMA.COLUMNS WHERE TABLE_SCHEMA = N'dbo' AND  TABLE_NAME = "
              "N'O''Neil' ORDER BY ORDINAL_POSITION");
    const QString lookup = ColumnRefSearchSQL();
    EXPECT_TRUE(lookup.contains("on  object_id(QUOTENAME(TABLE_CATALOG) + '.' + QUOTENAME(TABLE_SCHEMA) + '.' + "
                                "QUOTENAME(TABLE_NAME)) = b.object_id"))
        << lookup.toStdString();
    EXPECT_TRUE(lookup.startsWith("select  'COLUMN' AS \"OBJ_TYPE\" "));
    EXPECT_TRUE(lookup.endsWith(" a.TABLE_CATALOG = :p0 AND UPPER(COLUMN_NAME) LIKE :p1"));
}

TEST(MemoTexts, DefaultScriptNameAndSplit)
{
    EXPECT_EQ(DefaultScriptName(45, "dbo", "T"), "dbo.T.sql");
    EXPECT_EQ(DefaultScriptName(57, "", "trg"), "trg.sql");
    EXPECT_EQ(DefaultScriptName(3, "dbo", "u"), "u.sql");
    EXPECT_EQ(DefaultScriptName(69, "", ""), "Script.sql");
    EXPECT_EQ(DefaultScriptName(0, "dbo", "x"), "Script.sql");

    struct Case
    {
        const char *text, *schema, *name;
    };
    const Case cases[] = {
        {"T", "", "T"}, {"dbo.T", "dbo", "T"}, {"db.dbo.T", "dbo", "T"}, {"s.db.dbo.T", "db", "dbo.T"}};
    for (const Case &c : cases) {
        const TfraMemo::TzkObjName n = TfraMemo::SplitObjName(QString::fromUtf8(c.text));
        EXPECT_EQ(n.schema, c.schema) << c.text;
        EXPECT_EQ(n.Name, c.name) << c.text;
    }
    EXPECT_EQ(StrByteLength(QString::fromUtf8("a\t表ｱ"), 8), 1 + 8 + 2 + 2);
}

TEST(MemoTexts, TreeSelectionText)
{
    const bool lower = zkOption.UseLowerName;
    zkOption.UseLowerName = false;
    auto db = [](const char *name, int image, int index) {
        return TNodeSelInfo{QString::fromUtf8(name), {}, image, 1, index, 0, true};
    };
    auto obj = [](const char *name, int parent, int index, const char *database = "", bool expanded = true) {
        return TNodeSelInfo{QString::fromUtf8(name), QString::fromUtf8(database), 45, 3, index, parent, expanded};
    };
    struct Case
    {
        const char *name;
        std::vector<TNodeSelInfo> entries;
        const char *expected;
    };
    const std::vector<Case> cases = {
        {"login database and two tables",
         {obj("sales.Staff", 0, 4), db("SalesDB", 116, 4), obj("dbo.Orders", 0, 2)},
         "SalesDB.dbo.Orders, SalesDB.sales.Staff"},
        {"two tables", {obj("dbo.Orders", 0, 2), obj("dbo.Customers", 0, 0)}, "dbo.Customers, dbo.Orders"},
        {"another database's table", {obj("dbo.Items", 0, 1, "InventoryDB")}, "InventoryDB.dbo.Items"},
        {"collapsed parent", {obj("dbo.Orders", 0, 2, "", false), obj("dbo.Items", 1, 0)}, "dbo.Items"},
        {"two columns", {{"Note", {}, 144, 4, 3, 2, true}, {"OrderID", {}, 144, 4, 0, 2, true}}, "OrderID, Note"},
        {"name needing brackets", {obj("dbo.Order Details", 0, 0)}, "dbo.[Order Details]"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BuildTreeSelText(c.entries), QString::fromUtf8(c.expected));
    }
    zkOption.UseLowerName = lower;
}

// --- The frame in a form ----------------------------------------------------------------

const char *kTreeRules = R"(
rule contains: from sys.objects where type in('U')
  result: name nvarchar(128), s nvarchar(128)
  row: N'Orders', N'dbo'
  row: N'Staff', N'sales'
rule contains: WHERE TABLE_SCHEMA = N'dbo' AND TABLE_NAME = N'Orders'
  result: COLUMN_NAME nvarchar(128)
  row: N'OrderID'
  row: N'Note'
rule contains: from sys.objects where type in('V')
  result: name nvarchar(128), s nvarchar(128)
  row: N'vw_OrderSummary', N'dbo'
rule contains: from sys.objects where type in('P','RF','X')
  error: 229, 5, 14, 1, The SELECT permission was denied on the object 'objects'.
rule contains: AND UPPER(COLUMN_NAME) LIKE
  result: OBJ_TYPE varchar(6), OBJ_DB nvarchar(128), OBJ_NAME nvarchar(128), REF_OBJ_TYPE char(2), REF_OBJ_DB nvarchar(128), REF_OBJ_NAME nvarchar(257), REF_DB_LINK varchar(1)
  row: 'COLUMN', N'SalesDB', N'CustomerID', 'U ', N'SalesDB', N'dbo.Orders', ''
  row: 'COLUMN', N'SalesDB', N'CustomerID', 'V ', N'SalesDB', N'dbo.vw_OrderSummary', ''
)";

class MemoFrameTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        zkOption.UseLowerName = false;
        CodeAssistOption = TCodeAssistOption();
        rules(kTreeRules);
        form = logon();
        host = new MemoHost(form);
        memo = host->memo;
        host->show();
        processEvents();
    }
    void TearDown() override
    {
        TfraMemo::FileDialog = saveDialog;
        TfraMemo::PrepareConvertSection = nullptr;
        delete host.data();
        ConnectionWindowTest::TearDown();
    }
    TzkTreeNode *loginNode() const { return memo->trvObject->TopItem(0)->Item(0); }
    TzkTreeNode *category(const char *name) const { return loginNode()->FindName(QString::fromUtf8(name), false); }
    QString text() const { return memo->txtSQL->Lines()->GetTextStr(); }
    void setText(const QString &s)
    {
        memo->txtSQL->Lines()->SetTextStr(s);
        memo->txtSQL->SetRowCol(0, 0);
    }
    static void writeSchemaDisp(int value)
    {
        ASSERT_TRUE(zkReg->OpenKey(ZK_REG_ROOT + QStringLiteral("\\EDITOR"), true));
        zkReg->WriteInteger(QStringLiteral("SchemaDisp"), value);
        zkReg->CloseKey();
    }

    TfrmObject *form = nullptr;
    QPointer<MemoHost> host;
    TfraMemo *memo = nullptr;
    TfraMemo::TFileDialog saveDialog = TfraMemo::FileDialog;
};

TEST_F(MemoFrameTest, ShowBuildsTheTreeOfTheLoginDatabase)
{
    memo->ShowData();
    TzkTreeView *tree = memo->trvObject;
    ASSERT_EQ(tree->TopCount(), 1);
    TzkTreeNode *root = tree->TopItem(0);
    EXPECT_EQ(root->Text(), "srv1(15.0.2000.5)");
    EXPECT_EQ(root->ImageIndex(), 5);
    ASSERT_EQ(root->Count(), 1);
    TzkTreeNode *db = root->Item(0);
    EXPECT_EQ(db->Text(), "SalesDB");
    EXPECT_EQ(db->ImageIndex(), 116);
    EXPECT_TRUE(db->Expanded());
    EXPECT_EQ(tree->Selected(), db);
    QStringList categories;
    for (int i = 0; i < db->Count(); ++i) {
        categories << db->Item(i)->Text() + QString::number(db->Item(i)->ImageIndex());
        ASSERT_EQ(db->Item(i)->Count(), 1);
        EXPECT_EQ(db->Item(i)->Item(0)->Text(), "dummy");
    }
    EXPECT_EQ(categories.join(u' '), "TABLE45 VIEW47 SYNONYM60 PROCEDURE51 FUNCTION52 TRIGGER57");
}

TEST_F(MemoFrameTest, DisplayModes)
{
    // Azure: the login database is marked, not opened.
    form->IsAzure = true;
    memo->ShowData();
    TzkTreeNode *db = loginNode();
    EXPECT_EQ(db->ImageIndex(), 137);
    EXPECT_FALSE(db->Expanded());
    EXPECT_FALSE(db->Item(0)->HasChildren());
    form->IsAzure = false;

    // "設定" without a stored list: the server alone.
    writeSchemaDisp(2);
    memo->ShowData();
    EXPECT_EQ(memo->cmbTree->currentIndex(), 2);
    ASSERT_EQ(memo->trvObject->TopCount(), 1);
    EXPECT_EQ(memo->trvObject->TopItem(0)->Count(), 0);

    // All databases, the login database first.
    writeSchemaDisp(0);
    zkOption.UserFirst = true;
    memo->ShowData();
    TzkTreeNode *root = memo->trvObject->TopItem(0);
    ASSERT_EQ(root->Count(), 7);
    EXPECT_EQ(root->Item(0)->Text(), "SalesDB");
    EXPECT_EQ(root->Item(1)->Text(), "InventoryDB");
    EXPECT_EQ(root->Item(1)->ImageIndex(), 1);
}

TEST_F(MemoFrameTest, ChoosingADisplayModeIsStored)
{
    writeSchemaDisp(1);
    memo->ShowData();
    const auto select = TfrmObject::SelectDatabases;
    int asked = 0;
    bool confirm = false;
    TfrmObject::SelectDatabases = [&](TfrmObject *) {
        ++asked;
        return confirm;
    };

    // "設定" cancelled: back to the mode before, nothing stored.
    memo->cmbTree->setCurrentIndex(2);
    memo->cmbTreeSelect(2);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(memo->cmbTree->currentIndex(), 1);

    memo->cmbTree->setCurrentIndex(0);
    memo->cmbTreeSelect(0);
    EXPECT_EQ(memo->trvObject->TopItem(0)->Count(), 7);
    ASSERT_TRUE(zkReg->OpenKey(ZK_REG_ROOT + QStringLiteral("\\EDITOR"), false));
    EXPECT_EQ(zkReg->GetInteger(QStringLiteral("SchemaDisp"), -1), 0);
    zkReg->CloseKey();

    // The list's "設定" confirmed rebuilds the tree; its own mode is not stored.
    confirm = true;
    memo->cmbList->setCurrentIndex(2);
    memo->cmbListSelect(2);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(memo->cmbList->currentIndex(), 2);
    TfrmObject::SelectDatabases = select;
}

TEST_F(MemoFrameTest, CompletionWorksInTheHostsDatabase)
{
    memo->ShowData();
    // The "use" that the object lookup runs in (logged as its own batch).
    auto lookupDatabase = [this] {
        const QStringList sent = sentByTheWindow();
        for (int i = 1; i < sent.size(); ++i)
            if (sent.at(i).contains("xtype"))
                return sent.at(i - 1).trimmed();
        return QString();
    };
    setText("select * from ");
    memo->txtSQL->SetRowCol(0, 14);
    script->ClearLog();
    memo->WMCodeAssist(0, 0);
    EXPECT_EQ(lookupDatabase(), "use [SalesDB]");
    memo->txtSQL->CloseCodeAssist();

    host->sqlDatabase = "InventoryDB"; // the SQL window's database box
    script->ClearLog();
    memo->WMCodeAssist(0, 0);
    EXPECT_EQ(lookupDatabase(), "use [InventoryDB]");
    memo->txtSQL->CloseCodeAssist();
}

TEST_F(MemoFrameTest, ExpansionLoadsObjectsAndColumnsOnce)
{
    memo->ShowData();
    TzkTreeNode *tables = category("TABLE");
    script->ClearLog();
    tables->Expand();
    ASSERT_EQ(tables->Count(), 2);
    EXPECT_EQ(tables->Item(0)->Text(), "dbo.Orders");
    EXPECT_EQ(tables->Item(0)->ImageIndex(), 45);
    EXPECT_EQ(tables->Item(1)->Text(), "sales.Staff");
    EXPECT_EQ(tables->Item(0)->Item(0)->Text(), "dummy");
    EXPECT_EQ(sentByTheWindow(),
              QStringList({"use SalesDB", " select name,schema_name(schema_id) from sys.objects where type in('U') "
                                          "order by schema_name(schema_id),    name"}));

    // Through the view, as a click on the node's button does.
    TzkTreeNode *orders = tables->Item(0);
    script->ClearLog();
    memo->trvObject->expand(memo->trvObject->IndexOfNode(orders));
    ASSERT_EQ(orders->Count(), 2);
    EXPECT_EQ(orders->Item(0)->Text(), "OrderID");
    EXPECT_EQ(orders->Item(1)->ImageIndex(), 144);
    EXPECT_EQ(sentByTheWindow().size(), 2);

    // Loaded once: collapsing and expanding again asks nothing.
    orders->Collapse();
    script->ClearLog();
    orders->Expand();
    EXPECT_TRUE(sentByTheWindow().isEmpty());
    EXPECT_EQ(orders->Count(), 2);
}

TEST_F(MemoFrameTest, FailingExpansionLeavesTheNodeEmptyAndReportsOnce)
{
    memo->ShowData();
    TzkTreeNode *procedures = category("PROCEDURE");
    procedures->Expand();
    EXPECT_EQ(procedures->Count(), 0);
    ASSERT_EQ(ShownExceptions().size(), 1);
    EXPECT_TRUE(ShownExceptions().first().contains("SELECT permission")) << ShownExceptions().first().toStdString();
    // The tree goes on working.
    category("VIEW")->Expand();
    EXPECT_EQ(category("VIEW")->Count(), 1);
}

TEST_F(MemoFrameTest, ExpandAllAndSelectColumnsLoadEveryLevel)
{
    memo->ShowData();
    TzkTreeNode *tables = category("TABLE");
    memo->trvObject->SetSelected(tables);
    answer("Yes");
    memo->TreeExpandAllNode();
    ASSERT_EQ(tables->Count(), 2);
    EXPECT_TRUE(tables->Item(0)->Expanded());
    EXPECT_EQ(tables->Item(0)->Count(), 2);
    EXPECT_EQ(tables->Item(1)->Count(), 0); // no columns answered, no placeholder left

    memo->TreeCollapseAllNode();
    EXPECT_FALSE(tables->Expanded());
    EXPECT_FALSE(tables->Item(0)->Expanded());

    // Select-all on a collapsed table selects it with its columns.
    tables->Expand();
    memo->trvObject->SetSelected(tables->Item(0));
    memo->TreeSelectAllCol();
    EXPECT_EQ(memo->trvObject->SelectionCount(), 3);
    EXPECT_EQ(memo->GetTreeSelText(), "dbo.Orders OrderID, Note");
}

TEST_F(MemoFrameTest, SelectionTextsFollowTheTree)
{
    memo->ShowData();
    TzkTreeNode *tables = category("TABLE");
    tables->Expand();
    TzkTreeView *tree = memo->trvObject;
    tree->SetSelected(tables->Item(1));
    tree->AddToSelection(loginNode());
    tree->AddToSelection(tables->Item(0));
    EXPECT_EQ(tree->Selections().first(), tables->Item(1));
    EXPECT_EQ(memo->GetTreeSelText(), "SalesDB.dbo.Orders, SalesDB.sales.Staff");
    tree->SetSelected(tables->Item(0));
    tree->AddToSelection(tables->Item(1));
    EXPECT_EQ(memo->GetTreeSelText(), "dbo.Orders, sales.Staff");
    tables->Collapse();
    EXPECT_EQ(memo->GetTreeSelText(), "");
}

TEST_F(MemoFrameTest, EnterInsertsOnReleaseOnlyWhenPressedInTheTree)
{
    memo->ShowData();
    TzkTreeNode *tables = category("TABLE");
    tables->Expand();
    TzkTreeView *tree = memo->trvObject;
    tree->SetSelected(tables->Item(0));
    tree->setFocus();
    setText("select * from ");
    memo->txtSQL->SetRowCol(0, 14);

    // Pressed elsewhere, released in the tree.
    QTest::keyRelease(tree, Qt::Key_Return);
    EXPECT_EQ(text(), "select * from ");

    // Held: the repeats insert nothing more.
    QTest::keyPress(tree, Qt::Key_Return);
    QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(tree, &repeatPress);
    QApplication::sendEvent(tree, &repeatRelease);
    QTest::keyRelease(tree, Qt::Key_Return);
    EXPECT_EQ(text(), "select * from dbo.Orders");
    EXPECT_EQ(memo->txtSQL->Col(), 24);
}

TEST_F(MemoFrameTest, InsertAtCaretOrOverSelection)
{
    setText("abcd");
    memo->txtSQL->SetRowCol(0, 2);
    memo->InsertNodeText("X");
    EXPECT_EQ(text(), "abXcd");
    EXPECT_EQ(memo->txtSQL->Col(), 3);

    memo->txtSQL->EMSetSel(1, 3);
    memo->InsertNodeText("YY");
    EXPECT_EQ(text(), "aYYcd");

    // On the empty row after a final line break.
    setText("a\r\n");
    memo->txtSQL->SetRowCol(1, 0);
    memo->InsertNodeText("Z");
    EXPECT_EQ(text(), "a\r\nZ\r\n"); // an added line ends with its break
}

TEST_F(MemoFrameTest, DropPadsPastTheEndByCells)
{
    struct Case
    {
        const char *line;
        int col;
        const char *expected;
        int caret;
    };
    const Case cases[] = {
        {"a\tb", 12, "a\tb   X", 13}, // the tab reaches column 8
        {"表a", 5, "表a  X", 6},      // a wide character takes two cells
        {"ｱb", 4, "ｱb  X", 5},        // half-width kana take one
        {"abc", 1, "aXbc", 2},        // inside the line
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        setText(QString::fromUtf8(c.line));
        memo->DropText("X", 0, c.col);
        EXPECT_EQ(text(), QString::fromUtf8(c.expected));
        EXPECT_EQ(memo->txtSQL->Row(), 0);
        EXPECT_EQ(memo->txtSQL->Col(), c.caret);
    }

    // Below the last line: empty lines first.
    setText("x");
    memo->DropText("X", 2, 1);
    EXPECT_EQ(text(), "x\r\n\r\n X\r\n");
}

TEST_F(MemoFrameTest, DropIntoAOneRowSelectionReplacesOnlyStrictlyInside)
{
    struct Case
    {
        int col;
        const char *expected;
    };
    const Case cases[] = {{1, "aXbcdef"}, {4, "abcdXef"}, {2, "aXf"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.col);
        setText("abcdef");
        memo->txtSQL->EMSetSel(1, 5); // "bcde"
        memo->DropText("X", 0, c.col);
        EXPECT_EQ(text(), QString::fromUtf8(c.expected));
    }
}

TEST_F(MemoFrameTest, DropWithWordWrapUsesTheLogicalLine)
{
    memo->txtSQL->WrapOption()->SetWrapByte(20);
    memo->txtSQL->SetWordWrap(true);
    const QString a20(20, u'a');
    setText(a20 + "bbbbb\r\nccc");
    ASSERT_EQ(memo->txtSQL->ListCount(), 3);
    memo->DropText("X", 1, 7);
    EXPECT_EQ(text(), a20 + "bbbbb  X\r\nccc");
    memo->DropText("Y", 1, 2);
    EXPECT_EQ(text(), a20 + "bbYbbb  X\r\nccc");
    memo->DropText("Z", 2, 1);
    EXPECT_EQ(text(), a20 + "bbYbbb  X\r\ncZcc");
}

TEST_F(MemoFrameTest, OnlyTheFramesOwnViewsMayDrop)
{
    QWidget stranger;
    EXPECT_FALSE(memo->IsOwnDragSource(&stranger));
    EXPECT_FALSE(memo->IsOwnDragSource(nullptr));
    EXPECT_TRUE(memo->IsOwnDragSource(memo->trvObject));
    EXPECT_TRUE(memo->IsOwnDragSource(memo->lstObject->CurrentView()));

    setText("abc");
    memo->txtSQL->EMSetSel(0, 3);
    QMimeData data;
    data.setText("x");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo->txtSQL->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(memo->txtSQL->viewport(), &drop);
    EXPECT_EQ(text(), "abc");
}

TEST_F(MemoFrameTest, ColumnLookup)
{
    memo->ShowData();
    EXPECT_EQ(memo->txtListSearch->text(), "(検索)");
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(memo->txtListSearch, &in); // the prompt leaves
    EXPECT_EQ(memo->txtListSearch->text(), "");
    memo->txtListSearch->setText("custid");

    form->DBVer = 9;
    script->ClearLog();
    memo->SearchColumnRefs();
    EXPECT_EQ(memo->lstObject->ItemCount(), 0);
    EXPECT_TRUE(sentByTheWindow().isEmpty());

    form->DBVer = 15;
    memo->SearchColumnRefs();
    ASSERT_EQ(memo->lstObject->ItemCount(), 2);
    const TzkListItem &item = memo->lstObject->Item(0);
    EXPECT_EQ(item.Caption, "dbo.Orders");
    EXPECT_EQ(item.ImageIndex, 45);
    EXPECT_EQ(item.SubItems, QStringList({"CustomerID", "SalesDB", ""}));
    EXPECT_EQ(memo->lstObject->Item(1).ImageIndex, 47);
    const QStringList log = script->LogLines();
    EXPECT_TRUE(log.join('\n').contains("N'%CUSTID%'")) << log.join('\n').toStdString();
    EXPECT_EQ(sentByTheWindow().first(), "use SalesDB");

    memo->lstObject->SetSelected(0, true);
    memo->lstObject->SetSelected(1, true);
    EXPECT_EQ(memo->GetListSelText(), "dbo.Orders dbo.vw_OrderSummary");

    // All databases: three-part captions; another database keeps its name.
    memo->cmbList->setCurrentIndex(0);
    memo->SearchColumnRefs();
    ASSERT_GE(memo->lstObject->ItemCount(), 2);
    EXPECT_EQ(memo->lstObject->Item(0).Caption, "SalesDB.dbo.Orders");
    memo->lstObject->SetSelected(0, true);
    EXPECT_EQ(memo->GetListSelText(), "dbo.Orders");

    memo->DBChanged();
    EXPECT_EQ(memo->lstObject->ItemCount(), 0);
}

TEST_F(MemoFrameTest, PaletteComesBackAtItsWidth)
{
    memo->ShowData();
    EXPECT_TRUE(memo->PaletteVisible());
    EXPECT_EQ(memo->PaletteWidth(), 300);

    memo->splPalette->setSizes({700, 250});
    const int remembered = memo->PaletteWidth();
    memo->actHidePaletteExecute();
    EXPECT_FALSE(memo->PaletteVisible());
    EXPECT_FALSE(memo->pnlPaletteOpen->isHidden());
    memo->ShowData(); // the page shown again
    EXPECT_TRUE(memo->PaletteVisible());
    EXPECT_TRUE(memo->pnlPaletteOpen->isHidden());
    EXPECT_EQ(memo->PaletteWidth(), remembered);

    memo->splPalette->setSizes({900, 80});
    memo->actHidePaletteExecute();
    memo->actShowPaletteExecute();
    EXPECT_EQ(memo->PaletteWidth(), 300);

    CodeAssistOption.ShowToolPalette = false;
    memo->ShowData();
    EXPECT_FALSE(memo->PaletteVisible());
}

TEST_F(MemoFrameTest, ShowRunsTheRuleHookAndFontSize)
{
    int prepared = 0;
    TfraMemo::PrepareConvertSection = [&prepared](TfraMemo *) { ++prepared; };
    memo->ShowData();
    memo->ShowData();
    EXPECT_EQ(prepared, 2);
    EXPECT_EQ(memo->ctgToolPalette->currentWidget(), memo->cpnlObjTree);

    memo->spnFontSize->setValue(14);
    EXPECT_EQ(memo->txtSQL->Font().pointSize(), 14);
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(memo->txtSQL->viewport(), &wheel);
    EXPECT_EQ(memo->spnFontSize->value(), 13);
    memo->spnFontSize->setValue(99);
    EXPECT_EQ(memo->spnFontSize->value(), 50);
}

TEST_F(MemoFrameTest, SaveAsNamesByKindAndWritesWithoutMark)
{
    QTemporaryDir dir;
    QStringList proposed;
    QString target;
    int chosenFilter = 1;
    TfraMemo::FileDialog = [&](QWidget *, const TfraMemo::TFileDialogRequest &request, QStringList &files,
                               int &filterIndex) {
        proposed << request.FileName;
        EXPECT_EQ(request.Title, "名前を付けて保存");
        files = {target};
        filterIndex = chosenFilter;
        return true;
    };
    zkOption.Encoding = 2;
    setText("select 1\r\nfrom t");

    struct Case
    {
        int objType;
        const char *schema, *name, *proposed;
        int filter;
        const char *chosen, *written;
    };
    const Case cases[] = {
        {45, "dbo", "T", "dbo.T.sql", 1, "a", "a.sql"},
        {3, "", "u", "u.sql", 2, "b", "b.txt"},
        {0, "dbo", "x", "Script.sql", 3, "c.sql", "c.sql"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.proposed);
        host->SetObjType(c.objType);
        host->schema = QString::fromUtf8(c.schema);
        host->name = QString::fromUtf8(c.name);
        target = dir.filePath(QString::fromUtf8(c.chosen));
        chosenFilter = c.filter;
        answer("OK");
        memo->actSaveNewFileExecute();
        QFile file(dir.filePath(QString::fromUtf8(c.written)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("select 1\r\nfrom t"));
        EXPECT_FALSE(memo->txtSQL->Modified());
    }
    EXPECT_EQ(proposed, QStringList({"dbo.T.sql", "u.sql", "Script.sql"}));
    EXPECT_TRUE(memo->OpenFilePath().isEmpty());
}

TEST_F(MemoFrameTest, OpenReadsFilesSortedByName)
{
    QTemporaryDir dir;
    zkOption.Encoding = 2;
    WriteTextFile(dir.filePath("b.sql"), "b1\r\n", TEncoding::GetUTF8(), false);
    WriteTextFile(dir.filePath("a.sql"), "a1\na2", TEncoding::GetUTF8(), true);
    TfraMemo::FileDialog = [&](QWidget *, const TfraMemo::TFileDialogRequest &request, QStringList &files, int &) {
        EXPECT_FALSE(request.Save);
        files = {dir.filePath("b.sql"), dir.filePath("a.sql")};
        return true;
    };
    memo->actOpenFileExecute();
    EXPECT_EQ(text(), "a1\r\na2\r\nb1\r\n");
    EXPECT_EQ(memo->OpenFilePath(), dir.filePath("b.sql"));
    EXPECT_EQ(memo->lblFileName->text(), dir.filePath("b.sql"));
    EXPECT_FALSE(memo->txtSQL->Modified());
    EXPECT_FALSE(memo->txtSQL->CanUndo());

    // Save writes the file last opened.
    setText("new");
    memo->actSaveFileExecute();
    QFile file(dir.filePath("b.sql"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("new"));
}

} // namespace

namespace {

// The frame as a user sees it, with the tree opened down to a table's
// columns; ZK_SCREENSHOT_DIR keeps the picture for a look.
TEST_F(MemoFrameTest, Picture)
{
    memo->ShowData();
    category("TABLE")->Expand();
    category("TABLE")->Item(0)->Expand();
    memo->trvObject->SetSelected(category("TABLE")->Item(0)->Item(0));
    setText("select *\r\n  from dbo.Orders\r\n where 受注日 >= '2024-01-01'");
    processEvents();
    const QPixmap picture = host->grab();
    EXPECT_FALSE(picture.isNull());
    const QString dir = qEnvironmentVariable("ZK_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        picture.save(QDir(dir).filePath("rmemo.png"));
}

} // namespace
