#include "connection/testhelpers.h"

#include "connection/fobject_open.h"
#include "core/dsqlserver.h"
#include "core/modal.h"
#include "core/zkactions.h"
#include "core/zkstsbar.h"
#include "sqleditor/zkmemo.h"
#include "sqleditor/zksub_editor.h"

#include <QAction>
#include <QComboBox>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>

// A table editor as the roll-back command sees it: a window of that class
// with a page control.
class TfrmTable : public TzkForm
{
    Q_OBJECT
public:
    explicit TfrmTable(QObject *owner)
        : TzkForm(owner)
    {
        auto *layout = new QVBoxLayout(this);
        pages = new QTabWidget(this);
        for (const char *tab : {"定義", "ソース", "データ"})
            pages->addTab(new QWidget(pages), QString::fromUtf8(tab));
        layout->addWidget(pages);
        InitForm();
        ShowMDIChild();
    }
    void Reload() override { ++reloads; }

    QTabWidget *pages = nullptr;
    int reloads = 0;
};

// A window with a menu of its own for the menu bar.
class MenuForm
    : public TzkForm
    , public IzkChildMenu
{
    Q_OBJECT
public:
    MenuForm(QObject *owner, const QString &title)
        : TzkForm(owner)
        , menu(new QMenu(title, this))
    {
        menu->addAction(QStringLiteral("item"));
        ShowMDIChild();
    }
    QMenu *ChildMenu() const override { return menu; }

    QMenu *menu;
};

namespace {

QStringList menuTitles(TfrmMain *w)
{
    QStringList titles;
    for (QAction *a : w->menuBar()->actions())
        titles << a->text();
    return titles;
}

// Every command whose enabling the current connection decides.
const char *const kConnectionCommands[] = {
    "btnNewTable",     "btnNewIndex",     "btnNewView",         "btnNewProc",          "btnNewFunc",
    "btnNewTrigger",   "btnNewConst",     "btnNewSynonym",      "btnNewSequence",      "actDBCommit",
    "actDBRollback",   "actDBLogoff",     "actViewComp",        "actViewSQL",          "actViewScript",
    "actViewField",    "actViewSQLCatch", "actViewSQLCRUD",     "actToolIndexAdviser", "actToolDBTest",
    "actViewMSDTS",    "actViewMS",       "actViewMSProfiler",  "actAdminUser",        "actAdminDatabase",
    "actAdminStorage", "actAdminSession", "actAdminLock",       "actAdminJob",         "actAdminBackup",
    "actAdminRestore", "actAdminExport",  "actAdminImport",     "actAdminLoad",        "actAdminAttach",
    "actAdminPerform", "actAdminDustBox", "actToolCommandSetup"};

QAction *command(TfrmMain *w, const char *name)
{
    if (QAction *a = w->Action(QLatin1String(name)))
        return a;
    return w->ToolBar(QStringLiteral("pnlNewObj"))->findChild<QAction *>(QLatin1String(name));
}

QSet<QString> disabledCommands(TfrmMain *w)
{
    QSet<QString> off;
    for (const char *name : kConnectionCommands) {
        QAction *a = command(w, name);
        EXPECT_TRUE(a) << name;
        if (a && !a->isEnabled())
            off << QLatin1String(name);
    }
    return off;
}

QSet<QString> names(std::initializer_list<const char *> list)
{
    QSet<QString> out;
    for (const char *name : list)
        out << QLatin1String(name);
    return out;
}

struct EnablingCase
{
    const char *name;
    bool connected;
    int version;
    bool azure;
    bool clientTools;
    QSet<QString> disabled;
};

class MainCommandsTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        saved = zkOption;
    }
    void TearDown() override
    {
        main.reset();
        zkOption = saved;
        ClientToolsFolder.clear();
        ShownMainWindowTest::TearDown();
    }
    TzkOption saved;
};

} // namespace

TEST_F(MainCommandsTest, MenuUpdateFollowsTheConnectionsVersionKindAndClientTools)
{
    // Export and import have no effect: their hidden actions are never enabled.
    const QSet<QString> never = names({"actAdminPerform", "actAdminDustBox", "actAdminExport", "actAdminImport"});
    const QSet<QString> tools = names({"actViewMSDTS", "actViewMS", "actViewMSProfiler"});
    QSet<QString> all;
    for (const char *name : kConnectionCommands)
        all << QLatin1String(name);
    const QSet<QString> azure =
        names({"btnNewSequence", "actViewSQLCatch", "actViewSQLCRUD", "actAdminStorage", "actAdminSession",
               "actAdminLock", "actAdminJob", "actAdminBackup", "actAdminRestore", "actAdminExport", "actAdminImport",
               "actAdminLoad", "actAdminAttach"});
    const EnablingCase cases[] = {
        {"no connection", false, 0, false, false, all - names({"actToolCommandSetup"})},
        {"no connection, client tools", false, 0, false, true, all - names({"actToolCommandSetup"})},
        {"version 8", true, 8, false, false, never + tools + names({"btnNewSynonym", "btnNewSequence"})},
        {"version 9", true, 9, false, false, never + tools + names({"btnNewSequence"})},
        {"version 10", true, 10, false, false, never + tools + names({"btnNewSequence"})},
        {"version 11", true, 11, false, false, never + tools},
        {"version 16", true, 16, false, false, never + tools},
        {"unknown version", true, 99, false, false, never + tools},
        {"version 16, client tools", true, 16, false, true, never},
        {"Azure", true, 12, true, false, never + tools + azure},
        {"Azure, client tools", true, 12, true, true, never + azure + names({"actViewMSProfiler"})},
    };
    for (const EnablingCase &c : cases) {
        SCOPED_TRACE(c.name);
        FakeConnection connection(QStringLiteral("sa @ srv.SalesDB"));
        connection.DBVer = c.version;
        connection.IsAzure = c.azure;
        main->cmbDBName()->clear();
        if (c.connected) {
            AddComboConnection(main->cmbDBName(), QStringLiteral("sa @ srv.SalesDB"), &connection);
            main->cmbDBName()->setCurrentIndex(0);
        }
        ClientToolsFolder = c.clientTools ? QStringLiteral("/opt/mssql-tools") : QString();
        zkOption.DTS_EXE = c.clientTools ? QStringLiteral("dts") : QString();
        zkOption.MS_EXE = c.clientTools ? QStringLiteral("ssms") : QString();
        zkOption.SPF_EXE = c.clientTools ? QStringLiteral("profiler") : QString();
        // Every command enabled first: MenuUpdate must set each one.
        for (const char *name : kConnectionCommands)
            command(main.get(), name)->setEnabled(true);
        main->MenuUpdate();
        EXPECT_EQ(disabledCommands(main.get()), c.disabled);
        EXPECT_EQ(main->cmbDBName()->toolTip(), main->cmbDBName()->currentText());
        main->cmbDBName()->clear();
    }
}

TEST_F(MainCommandsTest, EnablingHoldsThroughTheIdlePassAndPerformanceComesFromTheComboChange)
{
    FakeConnection connection(QStringLiteral("sa @ srv.SalesDB"));
    connection.DBVer = 15;
    AddComboConnection(main->cmbDBName(), QStringLiteral("sa @ srv.SalesDB"), &connection);
    main->cmbDBName()->setCurrentIndex(0);
    // A user command registered after the start.
    auto *commands = main->menuBar()->findChild<QMenu *>(QStringLiteral("mnuCommandMenu"));
    ASSERT_TRUE(commands);
    QAction *userCommand = commands->addAction(QStringLiteral("件数"));
    userCommand->setEnabled(false);

    main->MenuUpdate();
    EXPECT_FALSE(main->Action(QStringLiteral("actAdminPerform"))->isEnabled());
    EXPECT_TRUE(userCommand->isEnabled());
    main->cmbDBNameChange();
    EXPECT_TRUE(main->Action(QStringLiteral("actAdminPerform"))->isEnabled());
    EXPECT_FALSE(main->Action(QStringLiteral("actAdminDustBox"))->isEnabled());

    // The idle pass keeps the state of every command that has a handler.
    TzkIdleUpdate::RunNow();
    for (const char *name : {"actViewSQL", "actAdminUser", "actAdminJob", "actToolIndexAdviser", "actDBCommit",
                             "actDBLogoff", "actAdminAttach", "actToolCommandSetup", "actHelp"})
        EXPECT_TRUE(main->Action(QLatin1String(name))->isEnabled()) << name;
    EXPECT_FALSE(main->Action(QStringLiteral("actAdminDustBox"))->isEnabled());

    main->cmbDBName()->clear();
    main->cmbDBNameChange();
    TzkIdleUpdate::RunNow();
    EXPECT_FALSE(main->Action(QStringLiteral("actViewSQL"))->isEnabled());
    EXPECT_TRUE(main->Action(QStringLiteral("actToolCommandSetup"))->isEnabled());
    EXPECT_TRUE(main->Action(QStringLiteral("actHelp"))->isEnabled());
}

TEST_F(MainCommandsTest, CommitAndRollBackItemsFollowAutoTranWhileTheActionsStayEnabled)
{
    FakeConnection connection;
    auto items = [this] {
        QList<bool> states;
        for (const char *name : {"mnuDBCommit", "mnuDBRollback", "btnDBCommit", "btnDBRollback"})
            states << main->findChild<QAction *>(QLatin1String(name))->isEnabled();
        return states;
    };
    const QList<bool> on{true, true, true, true};
    const QList<bool> off{false, false, false, false};
    for (const bool autoTran : {false, true}) {
        SCOPED_TRACE(autoTran);
        zkOption.AutoTran = autoTran;
        main->cmbDBName()->clear();
        main->cmbDBNameChange();
        TzkIdleUpdate::RunNow();
        EXPECT_EQ(items(), off) << "no connection";
        AddComboConnection(main->cmbDBName(), QStringLiteral("sa @ srv.master"), &connection);
        main->cmbDBName()->setCurrentIndex(0);
        main->cmbDBNameChange();
        TzkIdleUpdate::RunNow();
        EXPECT_EQ(items(), autoTran ? on : off);
        EXPECT_TRUE(main->Action(QStringLiteral("actDBCommit"))->isEnabled());
        EXPECT_TRUE(main->Action(QStringLiteral("actDBRollback"))->isEnabled());
    }
    main->cmbDBName()->clear();

    // The File menu and the tool bar show the items, not the actions.
    auto *file = main->menuBar()->findChild<QMenu *>(QStringLiteral("mnuFile"));
    QStringList fileItems;
    for (QAction *a : file->actions())
        fileItems << a->objectName();
    EXPECT_EQ(fileItems.mid(0, 4), (QStringList{"mnuDBCommit", "mnuDBRollback", "actDBLogon", "actDBLogoff"}));
    EXPECT_TRUE(main->ToolBar(QStringLiteral("pnlDB"))->actions().contains(main->findChild<QAction *>("btnDBCommit")));
}

TEST_F(MainCommandsTest, ReportSetupItemNeedsASelectedObject)
{
    QAction *item = main->findChild<QAction *>(QStringLiteral("mnuReportSetup"));
    ASSERT_TRUE(item);
    FakeConnection connection;
    connection.Count = 3;
    AddComboConnection(main->cmbDBName(), QStringLiteral("sa @ srv.master"), &connection);
    main->cmbDBName()->setCurrentIndex(0);
    TzkIdleUpdate::RunNow();
    EXPECT_FALSE(item->isEnabled());
    connection.Selected = 1;
    TzkIdleUpdate::RunNow();
    EXPECT_TRUE(item->isEnabled());
    EXPECT_TRUE(main->Action(QStringLiteral("actToolReportSetup"))->isEnabled());
    main->cmbDBName()->clear();
    TzkIdleUpdate::RunNow();
    EXPECT_FALSE(item->isEnabled());
}

TEST_F(MainCommandsTest, SideBySideTilingPlacesTheWindowsInOneRowWithoutOverlap)
{
    QList<TzkForm *> forms;
    for (int i = 0; i < 4; ++i) {
        auto *form = new TzkForm(main.get());
        form->setWindowTitle(QStringLiteral("w%1").arg(i));
        form->ShowMDIChild();
        forms << form;
    }
    forms.at(1)->MDIFrame()->showMinimized();
    processEvents();
    const QRect minimised = forms.at(1)->MDIFrame()->geometry();
    main->Action(QStringLiteral("actWindowTileV"))->trigger();
    processEvents();

    const QRect area = main->MDIClient()->viewport()->rect();
    QList<QRect> placed;
    for (TzkForm *form : forms)
        if (!form->MDIFrame()->isMinimized())
            placed << form->MDIFrame()->geometry();
    ASSERT_EQ(placed.size(), 3);
    for (int i = 0; i < placed.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(placed.at(i).top(), 0);
        EXPECT_EQ(placed.at(i).height(), area.height());
        EXPECT_GE(placed.at(i).width(), area.width() / 3 - 1);
        EXPECT_TRUE(area.contains(placed.at(i)));
        for (int j = i + 1; j < placed.size(); ++j)
            EXPECT_FALSE(placed.at(i).intersects(placed.at(j))) << j;
    }
    EXPECT_TRUE(forms.at(1)->MDIFrame()->isMinimized());
    EXPECT_EQ(forms.at(1)->MDIFrame()->geometry(), minimised);
}

TEST_F(MainCommandsTest, TheMenuBarShowsTheActiveWindowsOwnMenu)
{
    const QStringList plain{"ファイル(&F)",   "編集(&E)",   "表示(&V)",   "管理(&A)",        "ツール(&T)",
                            "ウィンドウ(&W)", "ヘルプ(&H)", "新機能(&N)", "活用のヒント(&I)"};
    auto with = [&plain](const QString &title) {
        QStringList titles = plain;
        titles.insert(2, title);
        return titles;
    };
    auto *objects = new MenuForm(main.get(), QStringLiteral("オブジェクトリスト(&O)"));
    processEvents();
    EXPECT_EQ(menuTitles(main.get()), with(QStringLiteral("オブジェクトリスト(&O)")));
    auto *sql = new MenuForm(main.get(), QStringLiteral("SQL実行(&O)"));
    processEvents();
    EXPECT_EQ(menuTitles(main.get()), with(QStringLiteral("SQL実行(&O)")));
    EXPECT_EQ(main->ChildMenu(), sql->menu);

    auto *plainForm = new TzkForm(main.get());
    plainForm->ShowMDIChild();
    processEvents();
    EXPECT_EQ(menuTitles(main.get()), plain) << "a window without a menu of its own";

    main->MDIClient()->setActiveSubWindow(objects->MDIFrame());
    processEvents();
    EXPECT_EQ(menuTitles(main.get()), with(QStringLiteral("オブジェクトリスト(&O)")));

    // The window goes, and its menu with it.
    objects->Close();
    processEvents();
    EXPECT_FALSE(menuTitles(main.get()).contains(QStringLiteral("オブジェクトリスト(&O)")));
    main->MDIClient()->setActiveSubWindow(sql->MDIFrame());
    processEvents();
    EXPECT_EQ(menuTitles(main.get()), with(QStringLiteral("SQL実行(&O)")));
}

TEST_F(MainCommandsTest, PopUpAndMenuItemsWithKeysOfTheirOwn)
{
    QAction *jump = main->Action(QStringLiteral("actEditJumpDefine"));
    QAction *macro = main->Action(QStringLiteral("actEditMacroExec"));
    int jumps = 0;
    int macros = 0;
    main->actMain()->SetOnExecute(jump, [&jumps] { ++jumps; });
    main->actMain()->SetOnExecute(macro, [&macros] { ++macros; });
    jump->setEnabled(true);
    macro->setEnabled(true);

    auto *form = new TzkForm(main.get());
    auto *layout = new QVBoxLayout(form);
    auto *memo = new TzkMemo(form);
    layout->addWidget(memo);
    TzkForm::ApplyControlSettings(memo);
    form->ShowMDIChild();
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    memo->setFocus();
    processEvents();

    // The pop-up is closed: Ctrl+O reaches the command through the editor.
    QTest::keyClick(memo, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(jumps, 1);
    QTest::keyClick(memo, Qt::Key_M, Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(macros, 2) << "the menu's own key and the action's";

    // The items mirror their command's state.
    auto *item = main->popEditor()->findChild<QAction *>(QStringLiteral("popEditJumpDefine"));
    if (!item)
        item = main->findChild<QAction *>(QStringLiteral("popEditJumpDefine"));
    ASSERT_TRUE(item);
    EXPECT_TRUE(main->popEditor()->actions().contains(item));
    jump->setEnabled(false);
    EXPECT_FALSE(item->isEnabled());
    QTest::keyClick(memo, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(jumps, 1);
}

// --- On the scripted backend -------------------------------------------------------------------

namespace {

class MainConnectionTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        RegisterConnectionWindows();
        RegisterMainWindowWindows();
    }
    QStringList transactionStatements() const
    {
        QStringList sent = sentByTheWindow();
        sent.removeIf([](const QString &s) { return !s.contains(QLatin1String("TRANSACTION")); });
        return sent;
    }
    QString status() const { return main->stsMain()->PanelText(2); }
};

} // namespace

TEST_F(MainConnectionTest, CommitAndRollBackStartANewTransactionOnlyWithAutoTran)
{
    struct Case
    {
        const char *name;
        bool autoTran;
        const char *action;
        QStringList statements;
        const char *status;
    };
    const Case cases[] = {
        {"commit, AutoTran on",
         true,
         "actDBCommit",
         {"COMMIT TRANSACTION", "BEGIN TRANSACTION"},
         "現行データベース [ zkdemo @ srv1.SalesDB ] のトランザクションを COMMIT しました。"},
        {"roll back, AutoTran on",
         true,
         "actDBRollback",
         {"ROLLBACK TRANSACTION", "BEGIN TRANSACTION"},
         "現行データベース [ zkdemo @ srv1.SalesDB ] のトランザクションを ROLLBACK しました。"},
        {"commit, AutoTran off",
         false,
         "actDBCommit",
         {},
         "現行データベース [ zkdemo @ srv1.SalesDB ] のトランザクションを COMMIT しました。"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        zkOption.AutoTran = c.autoTran;
        TfrmObject *form = logon();
        EXPECT_EQ(form->dmSQLServer->Connection->InTransaction(), c.autoTran);
        script->ClearLog();
        main->stsMain()->SetPanelText(2, QString());
        main->Action(QLatin1String(c.action))->trigger();
        EXPECT_EQ(transactionStatements(), c.statements);
        EXPECT_EQ(status(), QString::fromUtf8(c.status));
        EXPECT_EQ(form->dmSQLServer->Connection->InTransaction(), c.autoTran);
        EXPECT_TRUE(ShownExceptions().isEmpty()) << ShownExceptions().join('\n').toStdString();
        form->Close();
        processEvents();
    }
}

TEST_F(MainConnectionTest, AFailingCommitShowsTheServersErrorAndNoSuccess)
{
    zkOption.AutoTran = true;
    TfrmObject *form = logon();
    rules("rule exact: COMMIT TRANSACTION\n  error: 3930, 1, 16, 1, The current transaction cannot be committed.\n");
    script->ClearLog();
    main->stsMain()->SetPanelText(2, QStringLiteral("before"));
    main->Action(QStringLiteral("actDBCommit"))->trigger();
    ASSERT_EQ(ShownExceptions().size(), 1);
    EXPECT_TRUE(ShownExceptions().first().contains(QStringLiteral("cannot be committed")));
    EXPECT_EQ(status(), QStringLiteral("before"));
    EXPECT_EQ(transactionStatements(), QStringList{"COMMIT TRANSACTION"}) << "no new transaction after a failure";
    form->dmSQLServer->Connection->Rollback();
}

TEST_F(MainConnectionTest, RollBackReloadsATableEditorOnItsDataTabOnly)
{
    zkOption.AutoTran = true;
    TfrmObject *form = logon();
    auto *table = new TfrmTable(form);
    processEvents();
    ASSERT_EQ(main->MDIClient()->currentSubWindow(), table->MDIFrame());
    for (const int tab : {0, 1, 2}) {
        SCOPED_TRACE(tab);
        table->pages->setCurrentIndex(tab);
        table->reloads = 0;
        main->Action(QStringLiteral("actDBRollback"))->trigger();
        EXPECT_EQ(table->reloads, tab == 2 ? 1 : 0);
    }
    // Committing reloads nothing.
    table->reloads = 0;
    main->Action(QStringLiteral("actDBCommit"))->trigger();
    EXPECT_EQ(table->reloads, 0);
}

TEST_F(MainConnectionTest, LogOffClosesTheCurrentConnectionUnlessAWindowRefuses)
{
    TfrmObject *first = logon();
    TfrmObject *second = logon(QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("srv2"));
    auto *changed = new TzkForm(second);
    changed->setWindowTitle(QStringLiteral("changed"));
    changed->ShowMDIChild();
    changed->SetModified(true);
    main->MDIClient()->setActiveSubWindow(first->MDIFrame());
    processEvents();
    combo()->setCurrentIndex(1);
    ASSERT_EQ(main->CurrentForm(), second);

    answer("Cancel");
    main->Action(QStringLiteral("actDBLogoff"))->trigger();
    processEvents();
    EXPECT_EQ(combo()->count(), 2) << "the changed window kept its connection";
    EXPECT_EQ(main->MDIClient()->currentSubWindow(), changed->MDIFrame()) << "the asking window came forward";

    combo()->setCurrentIndex(1);
    answer("No");
    main->Action(QStringLiteral("actDBLogoff"))->trigger();
    processEvents();
    EXPECT_EQ(combo()->count(), 1);
    EXPECT_EQ(main->CurrentForm(), first);
}

TEST_F(MainConnectionTest, ToolCommandsOpenTheirWindowsForTheCurrentConnection)
{
    auto opened = [this] {
        QStringList out;
        for (QMdiSubWindow *w : area()->subWindowList(QMdiArea::CreationOrder))
            if (auto *stub = qobject_cast<TfrmWindowStub *>(w->widget()))
                out << stub->WindowClass() + (stub->OwnerForm() ? "@" + stub->OwnerForm()->g_Server : QString());
        return out;
    };
    main->Action(QStringLiteral("actViewSQL"))->trigger();
    main->Action(QStringLiteral("actToolCommandSetup"))->trigger();
    EXPECT_EQ(opened(), QStringList{"TfrmUserCommand"}) << "only what needs no connection";

    logon();
    logon(QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("srv2"));
    combo()->setCurrentIndex(0);
    main->Action(QStringLiteral("actViewSQL"))->trigger();
    main->Action(QStringLiteral("actAdminLock"))->trigger();
    EXPECT_EQ(opened(), (QStringList{"TfrmUserCommand", "TfrmSQL@srv1", "TfrmLock@srv1"}));
}

TEST_F(MainConnectionTest, ScriptOptionsCommandOpensTheOptionsForm)
{
    // Without a connection too: the form edits the options only.
    QString title;
    bool nameTable = true;
    WhenModal([&](QWidget *w) {
        title = w->windowTitle();
        if (auto *combo = w->findChild<QComboBox *>(QStringLiteral("cmbNameTable")))
            nameTable = combo->isEnabled();
        if (auto *cancel = w->findChild<QPushButton *>(QStringLiteral("btnCancel")))
            cancel->click();
        else
            w->close();
    });
    main->Action(QStringLiteral("actToolScriptOption"))->trigger();
    EXPECT_EQ(title, QStringLiteral("スクリプト出力オプション"));
    EXPECT_FALSE(nameTable);
}

TEST_F(MainConnectionTest, NewObjectButtonsOpenAnEditorOfTheirKind)
{
    QAction *button = main->ToolBar(QStringLiteral("pnlNewObj"))->findChild<QAction *>(QStringLiteral("btnNewView"));
    ASSERT_TRUE(button);
    main->btnNewClick(button);
    EXPECT_TRUE(area()->subWindowList().isEmpty());

    logon();
    ASSERT_TRUE(button->isEnabled());
    button->trigger();
    auto *stub = qobject_cast<TfrmWindowStub *>(area()->currentSubWindow()->widget());
    ASSERT_TRUE(stub);
    EXPECT_EQ(stub->WindowClass(), QStringLiteral("TfrmView"));
    EXPECT_EQ(stub->Args().ObjectType, 47);
    EXPECT_EQ(stub->Args().DataBase, QStringLiteral("SalesDB"));
    EXPECT_TRUE(stub->Args().ObjectName.isEmpty());
}

TEST_F(MainConnectionTest, EditorOptionsReachTheEditorsOfEveryConnection)
{
    TfrmObject *first = logon();
    TfrmObject *second = logon(QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("srv2"));
    QList<TzkMemo *> memos;
    for (TfrmObject *owner : {first, second}) {
        auto *form = new TzkForm(owner);
        auto *frame = new QWidget(form); // an editor inside a frame
        auto *layout = new QVBoxLayout(frame);
        memos << new TzkMemo(frame);
        layout->addWidget(memos.last());
        form->ShowMDIChild();
    }
    ASSERT_TRUE(prpEditor);
    TFont font = prpEditor->Font();
    font.setPointSize(17);
    prpEditor->SetFont(font);
    prpEditor->SetColor(0x00E0F0FF);
    const TCodeAssistOption savedAssist = CodeAssistOption;
    CodeAssistOption.CodeAssistDelayTime = 1234;

    QSpinBox spnFontSize;
    spnFontSize.setRange(6, 50);
    main->ApplyEditorOptions(&spnFontSize);
    for (TzkMemo *memo : memos) {
        EXPECT_EQ(memo->Font().pointSize(), 17);
        EXPECT_EQ(memo->Color(), TColor(0x00E0F0FF));
        EXPECT_EQ(memo->CodeAssistDelayTime(), 1234);
        EXPECT_TRUE(memo->actions().contains(main->findChild<QAction *>(QStringLiteral("popEditJumpDefine"))))
            << "the editor pop-up's own key";
    }
    EXPECT_EQ(spnFontSize.value(), 17);
    CodeAssistOption = savedAssist;

    // The dialog is not there yet: it says so, and nothing changes.
    font.setPointSize(9);
    prpEditor->SetFont(font);
    answer("OK");
    main->actToolEditorOptionExecute(&spnFontSize);
    EXPECT_EQ(memos.first()->Font().pointSize(), 17);
    EXPECT_EQ(spnFontSize.value(), 17);
}

#include "tst_fmain_commands.moc"
