#include "testhelpers.h"

#include "connection/fobject.h"
#include "connection/fobject_open.h"
#include "controls/zkcomctrls.h"
#include "core/dsqlserver.h"
#include "core/modal.h"
#include "core/zkactions.h"
#include "core/zkstsbar.h"
#include "core/zksub_files.h"
#include "platform/db/db.h"
#include "platform/rtl/exceptions.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QPointer>
#include <QTest>
#include <QTimer>

// Opening objects from the connection window: the kind-to-window table, the
// open commands over the list's selection, and the keep-alive timer, on the
// scripted backend with the demo catalogue.

namespace {

inline void PrintTo(const TOpenArgs &a, std::ostream *os)
{
    *os << a.ObjectType << ' ' << a.DataBase.toStdString() << '.' << a.Schema.toStdString() << '.'
        << a.ObjectName.toStdString() << " mode " << int(a.OpenMode) << " top " << a.DefTopRecord << " table "
        << a.TableName.toStdString();
}

// The main window as the connection window sees it, with the recent-object
// records kept for the test.
class RecordingMainForm : public IzkMainForm
{
public:
    explicit RecordingMainForm(IzkMainForm *real)
        : m_real(real)
    {
    }

    QMainWindow *Window() override { return m_real->Window(); }
    QMdiArea *MDIClient() const override { return m_real->MDIClient(); }
    QComboBox *cmbDBName() const override { return m_real->cmbDBName(); }
    TzkTaskBar *pagTaskBar() const override { return m_real->pagTaskBar(); }
    TzkStatusBar *stsMain() const override { return m_real->stsMain(); }
    TzkImageList *imgMain() const override { return m_real->imgMain(); }
    QMenu *popEditor() const override { return m_real->popEditor(); }
    TzkConnectionWindow *CurrentForm() const override { return m_real->CurrentForm(); }
    void MenuUpdate() override { m_real->MenuUpdate(); }
    void cmbDBNameChange() override { m_real->cmbDBNameChange(); }
    void SetDefMessage() override { m_real->SetDefMessage(); }
    void SetLoopMessage(int now, int max) override { m_real->SetLoopMessage(now, max); }
    void ShowWorkSpace(TzkConnectionWindow *form) override { m_real->ShowWorkSpace(form); }
    QWidget *FindWindow(const QMetaObject &cls, const QString &caption, bool show) override
    {
        return m_real->FindWindow(cls, caption, show);
    }
    bool Closing() const override { return m_real->Closing(); }
    QString RecentObjectCheck(int type, const QString &db, const QString &schema, const QString &name,
                              const QString &parent) override
    {
        Recorded << QStringLiteral("%1 %2.%3.%4 (%5)").arg(type).arg(db, schema, name, parent);
        return QString();
    }

    QStringList Recorded;

private:
    IzkMainForm *m_real;
};

struct Item
{
    const char *name;
    int kind;
    QStringList subItems;
};

class OpenObjectTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        zkOption.TreeSort = 0;
        RegisterConnectionWindows();
        form = logon();
        // The list is filled by the tests, not by the tree's selection.
        form->lstTree->OnChange = nullptr;
        recording = std::make_unique<RecordingMainForm>(zkMainForm);
        real = zkMainForm;
        zkMainForm = recording.get();
    }
    void TearDown() override
    {
        zkMainForm = real;
        RegisterConnectionWindows();
        ConnectionWindowTest::TearDown();
    }
    // Selects a node of the tree by its path below the server ("SalesDB",
    // "INDEX"), then lists the items, all selected.
    void list(const QStringList &path, const QList<Item> &items)
    {
        TzkTreeNode *node = form->lstTree->TopItem(0);
        for (const QString &name : path) {
            ASSERT_TRUE(node);
            TzkTreeNode *child = node->FindName(name, false);
            if (!child)
                for (int i = 0; i < node->Count(); ++i)
                    ADD_FAILURE() << node->Item(i)->Text().toStdString();
            node = child;
        }
        ASSERT_TRUE(node);
        form->lstTree->SetSelected(node);
        TzkListView *l = form->lstObject;
        l->ClearItems();
        l->ClearColumns();
        for (const char *caption : {"オブジェクト名", "データベース名", "所有者", "タイプ", "テーブル名"})
            l->AddColumn(QString::fromUtf8(caption), 80);
        for (const Item &i : items)
            l->AddItem(QString::fromUtf8(i.name), i.kind, i.subItems);
        for (int i = 0; i < l->ItemCount(); ++i)
            l->SetSelected(i, true);
    }
    // Records what each window class was opened with, and opens nothing.
    void recordOpens(const QStringList &classes)
    {
        for (const QString &c : classes)
            RegisterWindow(c, [this, c](TfrmObject *, const TOpenArgs &a) -> QWidget * {
                opened << c;
                args << a;
                return nullptr;
            });
    }
    QList<bool> selection() const
    {
        QList<bool> out;
        for (int i = 0; i < form->lstObject->ItemCount(); ++i)
            out << form->lstObject->IsSelected(i);
        return out;
    }
    QList<TfrmWindowStub *> stubs(const QString &windowClass) const
    {
        QList<TfrmWindowStub *> out;
        for (QMdiSubWindow *w : area()->subWindowList())
            if (auto *stub = qobject_cast<TfrmWindowStub *>(w->widget()); stub && stub->WindowClass() == windowClass)
                out << stub;
        return out;
    }
    QString status() const { return main->stsMain()->PanelText(2); }

    TfrmObject *form = nullptr;
    std::unique_ptr<RecordingMainForm> recording;
    IzkMainForm *real = nullptr;
    QStringList opened;
    QList<TOpenArgs> args;
};

TOpenArgs argsOf(int type, const QString &db, const QString &schema, const QString &name, TOpenMode mode, int top = 0,
                 const QString &table = {})
{
    TOpenArgs a;
    a.ObjectType = type;
    a.DataBase = db;
    a.Schema = schema;
    a.ObjectName = name;
    a.OpenMode = mode;
    a.DefTopRecord = top;
    a.TableName = table;
    return a;
}

} // namespace

TEST(ObjectWindowCall, EachKindHasItsWindowAndArguments)
{
    const QString db = QStringLiteral("SalesDB"), dbo = QStringLiteral("dbo");
    const struct
    {
        int code;
        const char *name;
        const char *windowClass;
        TOpenArgs args;
    } cases[] = {
        {1, "SalesDB", "Tfrmdb", argsOf(1, db, dbo, "SalesDB", omGrant)},
        {118, "SalesDB", "Tfrmdb", argsOf(118, db, dbo, "SalesDB", omGrant)},
        {3, "u1", "TfrmUser", argsOf(3, db, {}, "u1", omGrant)},
        {125, "sales", "TfrmSchema", argsOf(125, db, dbo, "sales", omGrant)},
        {45, "T1", "TfrmTable", argsOf(45, db, dbo, "T1", omGrant, 50)},
        {46, "IX1", "TfrmIndex", argsOf(46, db, dbo, "IX1", omGrant, 0, "Orders")},
        {47, "V1", "TfrmView", argsOf(47, db, dbo, "V1", omGrant, 50)},
        {52, "F1", "TfrmSource", argsOf(52, db, dbo, "F1", omGrant)},
        {57, "TR1", "TfrmTrigger", argsOf(57, db, dbo, "TR1", omGrant)},
        {58, "SQ1", "TfrmSeq", argsOf(58, db, dbo, "SQ1", omGrant)},
        {60, "", "TfrmSynonym", argsOf(60, db, dbo, "", omGrant)},
        {66, "CK1", "TfrmConst", argsOf(66, db, dbo, "CK1", omDefine)},
        {68, "r1", "TfrmRole", argsOf(68, db, dbo, "r1", omGrant)},
        {69, "FG1", "TfrmTBS", argsOf(69, db, {}, "FG1", omGrant)},
        {73, "T1.2.p", "TfrmTable", argsOf(45, db, dbo, "T1", omGrant)},
        {74, "IX1.3", "TfrmIndex", argsOf(46, db, dbo, "IX1", omGrant, 0, "Orders")},
        {97, "0A1B", "TfrmJob", argsOf(97, {}, {}, "0A1B", omDefine)},
        {117, "週次", "Tfrmjobschedule", argsOf(117, {}, dbo, "週次", omDefine)},
        {119, "sa", "", {}},
        {120, "sa", "", {}},
        {137, "SalesDB", "", {}},
        {999, "x", "", {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.code);
        const TObjectWindowCall call =
            ObjectWindowCall(c.code, db, dbo, QString::fromUtf8(c.name), omGrant, 50, QStringLiteral("Orders"));
        EXPECT_EQ(call.WindowClass, QString::fromLatin1(c.windowClass));
        if (!call.WindowClass.isEmpty()) {
            EXPECT_EQ(call.Args, c.args);
        }
    }
}

TEST(ObjectWindowCall, OneKindListsFollowTheTreeOrder)
{
    // TreeSort, level of the selected node, whether the list shows one kind.
    const int cases[][3] = {{0, 0, 0}, {0, 1, 0}, {0, 2, 1}, {1, 0, 0}, {1, 1, 1}, {1, 2, 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "TreeSort " << c[0] << " level " << c[1]);
        EXPECT_EQ(ListsOneKind(c[0], c[1]), c[2] == 1);
    }
}

TEST_F(OpenObjectTest, AnIndexTakesItsTableFromTheListItIsOpenedFrom)
{
    recordOpens({QStringLiteral("TfrmIndex")});
    const QStringList index{"SalesDB", "dbo", "INDEX", "Orders"};
    const QStringList mixed{"SalesDB", "dbo", "INDEX", "2024-01-01", "", "OrderLines"};
    const struct
    {
        const char *name;
        int treeSort;
        QStringList path;
        QStringList subItems;
        const char *table;
    } cases[] = {
        {"index view below a database", 0, {"SalesDB", "INDEX"}, index, "Orders"},
        {"mixed list of a database", 0, {"SalesDB"}, mixed, "OrderLines"},
        {"mixed list of the server", 0, {}, mixed, "OrderLines"},
        {"index kind above the databases", 1, {"INDEX"}, index, "Orders"},
        {"a database below the index kind", 1, {"INDEX", "SalesDB"}, index, "Orders"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (zkOption.TreeSort != c.treeSort) {
            zkOption.TreeSort = c.treeSort;
            form->ShowTree();
            form->lstTree->OnChange = nullptr;
        }
        list(c.path, {{"IX_Orders", 46, c.subItems}});
        recording->Recorded.clear();
        args.clear();
        form->actOpenDefineExecute();
        ASSERT_EQ(args.size(), 1);
        EXPECT_EQ(args[0].TableName, QString::fromUtf8(c.table));
        EXPECT_EQ(args[0].OpenMode, omDefine);
        EXPECT_EQ(recording->Recorded,
                  QStringList{QStringLiteral("46 SalesDB.dbo.IX_Orders (%1)").arg(QString::fromUtf8(c.table))});
    }
    // A caller that knows the table wins over the list.
    args.clear();
    form->OpenObject(46, "SalesDB", "dbo", "IX_Orders", omDefine, false, 0, "Given");
    ASSERT_EQ(args.size(), 1);
    EXPECT_EQ(args[0].TableName, "Given");
    // An index partition takes only the selected item's table column.
    list({"INDEX"}, {{"IX_Orders.1", 74, mixed}});
    args.clear();
    form->OpenObject(74, "SalesDB", "dbo", "IX_Orders.1", omDefine, false, 0, QString());
    ASSERT_EQ(args.size(), 1);
    EXPECT_EQ(args[0].ObjectName, "IX_Orders");
    EXPECT_EQ(args[0].TableName, "2024-01-01") << "the テーブル名 column of the item";
}

TEST_F(OpenObjectTest, ASecondOpenBringsTheWindowForwardAndIsRecorded)
{
    list({"SalesDB", "TABLE"}, {{"Customers", 45, {"SalesDB", "dbo", "TABLE"}}});
    QWidget *first = form->OpenObject(45, "SalesDB", "dbo", "Customers", omData, false, 0, QString());
    ASSERT_TRUE(first);
    auto *stub = qobject_cast<TfrmWindowStub *>(first);
    ASSERT_TRUE(stub);
    EXPECT_EQ(stub->WindowClass(), "TfrmTable");
    EXPECT_EQ(stub->Args().OpenMode, omData);
    EXPECT_EQ(stub->OwnerForm(), form);

    // Another window in front, then the list's open command again.
    area()->setActiveSubWindow(form->MDIFrame());
    form->actOpenExecute();
    processEvents();
    EXPECT_EQ(stubs("TfrmTable").size(), 1);
    EXPECT_EQ(area()->activeSubWindow()->widget(), first);
    EXPECT_EQ(recording->Recorded, QStringList{"45 SalesDB.dbo.Customers ()"});
    EXPECT_FALSE(form->OpenObject(45, "SalesDB", "dbo", "Customers", omData, false, 0, QString()));
    // The same name in another database is another object.
    EXPECT_TRUE(form->OpenObject(45, "InventoryDB", "dbo", "Customers", omData, false, 0, QString()));
}

TEST_F(OpenObjectTest, AFailingWindowGivesNullAndTheLoopGoesOn)
{
    RegisterWindow("TfrmView", [](TfrmObject *, const TOpenArgs &) -> QWidget * {
        throw EDBError(TDBErrorKind::Server, QStringLiteral("オブジェクト名 'v1' が無効です。"));
    });
    recordOpens({QStringLiteral("TfrmTable")});
    list({"SalesDB"}, {{"v1", 47, {"SalesDB", "dbo", "VIEW"}}, {"T1", 45, {"SalesDB", "dbo", "TABLE"}}});
    form->actOpenExecute();
    EXPECT_EQ(opened, QStringList{"TfrmTable"});
    EXPECT_EQ(selection(), (QList<bool>{false, false}));
    EXPECT_EQ(recording->Recorded.size(), 2);
    EXPECT_TRUE(ShownExceptions().isEmpty());
    EXPECT_FALSE(form->OpenObject(119, "", "", "sa", omDefine, false, 0, QString()));
    EXPECT_FALSE(form->OpenObject(137, "SalesDB", "", "SalesDB", omDefine, false, 0, QString()));
}

TEST_F(OpenObjectTest, EscapeDuringAStatementStopsTheOpenLoop)
{
    int calls = 0;
    RegisterWindow("TfrmTable", [&calls](TfrmObject *, const TOpenArgs &) -> QWidget * {
        // The third window's statement is cancelled with ESC: its wait
        // takes the key and the window fails with the cancelled error.
        if (++calls == 3) {
            emit TDBWaitNotifier::instance()->escapePressed();
            throw EDBError(TDBErrorKind::Cancelled, QStringLiteral("SQL の実行がキャンセルされました。"));
        }
        return nullptr;
    });
    QList<Item> items;
    for (const char *name : {"T1", "T2", "T3", "T4", "T5"})
        items << Item{name, 45, {"SalesDB", "dbo", "TABLE"}};
    list({"SalesDB", "TABLE"}, items);
    form->lstObject->OnChange = [] { FAIL() << "the change event ran during the loop"; };
    form->actOpenExecute();
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(selection(), (QList<bool>{false, false, false, true, true}));
    EXPECT_EQ(recording->Recorded.size(), 3);
    EXPECT_EQ(status(), "5個中 2個のオブジェクトを選択中。");
    // The change event is back after the loop.
    bool changed = false;
    ASSERT_TRUE(form->lstObject->OnChange);
    form->lstObject->OnChange = [&changed] { changed = true; };
    form->lstObject->SetSelected(0, true);
    EXPECT_TRUE(changed);
    // A latch left from before does not stop the next loop at once.
    SetEscapeLatch();
    form->actOpenExecute();
    EXPECT_EQ(calls, 6) << "T1 selected again, T4 and T5";
}

TEST_F(OpenObjectTest, DataWithARowCountAsksOnceAndMaySetTheDefault)
{
    recordOpens({QStringLiteral("TfrmTable"), QStringLiteral("TfrmView")});
    const struct
    {
        const char *name;
        const char *value; // null: cancel
        bool asDefault;
        int top;
        int option;
    } cases[] = {
        {"cleared: the editor's own default", "", false, 0, 1000},
        {"0 as the default: the option stays", "0", true, 0, 1000},
        {"50 for this time", "50", false, 50, 1000},
        {"50 as the default", "50", true, 50, 50},
        {"cancel", nullptr, true, -1, 1000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        zkOption.DefTopRecord = 1000;
        list({"SalesDB"}, {{"T1", 45, {"SalesDB", "dbo", "TABLE"}}, {"V1", 47, {"SalesDB", "dbo", "VIEW"}}});
        args.clear();
        int asked = 0;
        QString preset;
        auto answerDialog = [&](QWidget *w) {
            ++asked;
            auto *edit = w->findChild<QLineEdit *>(QStringLiteral("txtValue"));
            auto *check = w->findChild<QCheckBox *>(QStringLiteral("Check0"));
            ASSERT_TRUE(edit && check);
            preset = edit->text();
            EXPECT_EQ(check->text(), "既定値にする");
            EXPECT_EQ(w->windowTitle(), "データを開く(件数指定)");
            if (!c.value) {
                w->findChild<QPushButton *>(QStringLiteral("btnCancel"))->click();
                return;
            }
            edit->setText(QString::fromUtf8(c.value));
            check->setChecked(c.asDefault);
            w->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
        };
        WhenModal(answerDialog);
        form->actOpenDataTopExecute();
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(preset, "1000");
        EXPECT_EQ(zkOption.DefTopRecord, c.option);
        if (c.top < 0) {
            EXPECT_TRUE(args.isEmpty());
            EXPECT_EQ(selection(), (QList<bool>{true, true}));
            continue;
        }
        ASSERT_EQ(args.size(), 2);
        for (const TOpenArgs &a : std::as_const(args)) {
            EXPECT_EQ(a.OpenMode, omData);
            EXPECT_EQ(a.DefTopRecord, c.top);
        }
    }
}

TEST_F(OpenObjectTest, RunOpensARunnerForEachProcedureAndFunction)
{
    list({"SalesDB"}, {{"Orders", 45, {"SalesDB", "dbo", "TABLE"}},
                       {"usp_集計", 51, {"SalesDB", "dbo", "PROCEDURE"}},
                       {"fn_税込", 52, {"SalesDB", "sales", "FUNCTION"}}});
    recording->Recorded.clear();
    form->actObject->Find("actExec")->trigger();
    const QList<TfrmWindowStub *> runners = stubs("TfrmExecProc");
    ASSERT_EQ(runners.size(), 2);
    QStringList names;
    for (TfrmWindowStub *r : runners)
        names << QStringLiteral("%1 %2.%3.%4")
                     .arg(r->Args().ObjectType)
                     .arg(r->Args().DataBase, r->Args().Schema, r->Args().ObjectName);
    names.sort();
    EXPECT_EQ(names, (QStringList{"51 SalesDB.dbo.usp_集計", "52 SalesDB.sales.fn_税込"}));
    EXPECT_EQ(selection(), (QList<bool>{false, false, false}));
    EXPECT_TRUE(recording->Recorded.isEmpty());

    // The runner of a procedure open already ends the command there.
    for (int i = 0; i < 3; ++i)
        form->lstObject->SetSelected(i, true);
    EXPECT_THROW(form->actExecExecute(), EAbort);
    EXPECT_EQ(stubs("TfrmExecProc").size(), 2);
    EXPECT_EQ(selection(), (QList<bool>{false, true, true}));
    EXPECT_EQ(status(), "3個中 2個のオブジェクトを選択中。");
}

TEST_F(OpenObjectTest, NewObjectsOpenEmptyInTheCurrentDatabaseAndSchema)
{
    recordOpens({QStringLiteral("TfrmSynonym"), QStringLiteral("TfrmTable")});
    form->actObject->Find("actNewSynonym")->trigger();
    form->actNewExecute(45);
    ASSERT_EQ(opened, (QStringList{"TfrmSynonym", "TfrmTable"}));
    EXPECT_EQ(args[0], argsOf(60, "SalesDB", "dbo", "", omDefine));
    EXPECT_EQ(args[1], argsOf(45, "SalesDB", "dbo", "", omDefine));
    EXPECT_TRUE(recording->Recorded.isEmpty());
    const struct
    {
        const char *action;
        int kind;
    } kinds[] = {{"actNewTable", 45},    {"actNewIndex", 46},   {"actNewView", 47},
                 {"actNewProc", 51},     {"actNewFunc", 52},    {"actNewTrigger", 57},
                 {"actNewSequence", 58}, {"actNewSynonym", 60}, {"actNewConst", 66}};
    for (const auto &k : kinds)
        EXPECT_EQ(form->actObject->Find(k.action)->property("ImageIndex").toInt(), k.kind) << k.action;

    // "新規作成" of the tree's menu: the kind of the selected kind node.
    recordOpens({QStringLiteral("TfrmView")});
    form->lstTree->SetSelected(form->lstTree->TopItem(0)->FindName("SalesDB", false)->FindName("VIEW", false));
    form->lstTree->OnContextPopup(QPoint(10, 10));
    form->popTree->close();
    form->actObject->Find("actNew")->trigger();
    ASSERT_EQ(opened.size(), 3);
    EXPECT_EQ(opened.last(), "TfrmView");
    EXPECT_EQ(args.last(), argsOf(47, "SalesDB", "dbo", "", omDefine));
}

// --- Keep-alive -------------------------------------------------------------------------------

TEST_F(OpenObjectTest, KeepAliveIntervalsAndSwitchingOff)
{
    TFDConnection *connection = form->dmSQLServer->Connection;
    const int cases[][2] = {{0, 180}, {1, 1}, {999, 999}, {1000, 180}, {-5, 180}};
    zkOption.KeepAliveEnabled = true;
    for (const auto &c : cases) {
        SCOPED_TRACE(c[0]);
        zkOption.KeepAliveInterval = c[0];
        form->SetOptionKeepAlive();
        EXPECT_TRUE(form->tmrKeepAlive->isActive());
        EXPECT_EQ(form->tmrKeepAlive->interval(), c[1] * 1000);
        EXPECT_TRUE(connection->AutoReconnect());
    }
    zkOption.KeepAliveEnabled = false;
    form->SetOptionKeepAlive();
    EXPECT_FALSE(form->tmrKeepAlive->isActive());
    EXPECT_FALSE(connection->AutoReconnect());
}

TEST_F(OpenObjectTest, TheTickSendsSelectOneUnlessHeldOrDisconnected)
{
    zkOption.KeepAliveEnabled = true;
    // Without a desktop session the request to stay awake does nothing.
    zkOption.KeepAliveInvalidStandby = true;
    form->SetOptionKeepAlive();
    script->ClearLog();
    form->tmrKeepAliveTimer();
    EXPECT_EQ(sentByTheWindow(), QStringList{"SELECT 1"});
    EXPECT_FALSE(form->qryKeepAlive->Silent()) << "silent for the tick only";

    script->ClearLog();
    {
        QObject planWindow;
        TFDSessionHold hold(form->dmSQLServer->Connection, &planWindow);
        form->tmrKeepAliveTimer();
    }
    EXPECT_TRUE(sentByTheWindow().isEmpty());
    EXPECT_TRUE(form->tmrKeepAlive->isActive());

    form->dmSQLServer->Connection->Close();
    form->tmrKeepAliveTimer();
    EXPECT_TRUE(sentByTheWindow().isEmpty());
    EXPECT_FALSE(form->tmrKeepAlive->isActive());
}

TEST_F(OpenObjectTest, TheTickWaitsUnseenAndLeavesTheUsersKeysAlone)
{
    rules("rule exact: select 1\n  delay: 300\n  result: c int\n  row: 1\n");
    zkOption.KeepAliveEnabled = true;
    zkOption.KeepAliveInvalidStandby = false;
    form->SetOptionKeepAlive();
    QSignalSpy started(TDBWaitNotifier::instance(), &TDBWaitNotifier::waitStarted);
    bool cursor = true;
    int keys = 0;
    // The user types into the list while the tick waits: the keys reach
    // it, ESC included, and nothing is cancelled.
    struct KeyCounter : QObject
    {
        int *count;
        explicit KeyCounter(int *c)
            : count(c)
        {
        }
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::KeyPress)
                ++*count;
            return false;
        }
    } counter(&keys);
    form->lstObject->CurrentView()->installEventFilter(&counter);
    QTimer::singleShot(100, [&] {
        cursor = QGuiApplication::overrideCursor() != nullptr;
        for (int key : {Qt::Key_Down, Qt::Key_Escape}) {
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(form->lstObject->CurrentView(), &press);
        }
        // The window's close from its menu waits for the statement.
        form->Close();
    });
    QPointer<TfrmObject> alive(form);
    script->ClearLog();
    form->tmrKeepAliveTimer();
    EXPECT_EQ(sentByTheWindow(), QStringList{"SELECT 1"});
    EXPECT_FALSE(cursor);
    EXPECT_EQ(started.size(), 0) << "no progress in the status bar";
    EXPECT_EQ(keys, 2);
    EXPECT_FALSE(IsEscapePressed()) << "the ESC was the user's, not a cancelled statement";
    ASSERT_TRUE(alive);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !alive; }, 2000)) << "closed once the tick was done";
    EXPECT_EQ(combo()->count(), 0);
}
