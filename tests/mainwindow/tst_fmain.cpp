#include "fixture.h"

#include "core/zkactions.h"
#include "core/zkimagelist.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zkstsbar.h"
#include "core/zksub_datetime.h"
#include "core/zksub_workspace.h"
#include "core/zktaskbar.h"
#include "platform/encoding/textencoding.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QAbstractButton>
#include <QMessageBox>
#include <QSignalSpy>
#include <QToolBar>
#include <QTreeWidget>

namespace {

struct CommandLineCase
{
    const char *name;
    QStringList args;
    QString user, password, server;
    bool hasVersion;
    int version;
};

QString readShortCut(const QString &name)
{
    TzkRegistry reg;
    if (!reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\SHORTCUT"), false))
        return QStringLiteral("<no key>");
    return reg.ValueExists(name) ? reg.ReadString(name) : QStringLiteral("<no value>");
}

} // namespace

TEST(CommandLine, ArgumentsAsTheStartReadsThem)
{
    const CommandLineCase cases[] = {
        {"none", {}, {}, {}, {}, false, 0},
        {"user password server", {"/U=scott/Tiger@db1"}, "scott", "Tiger", "db1", false, 0},
        {"user and server", {"/U=scott@db1"}, "scott", {}, "db1", false, 0},
        {"user only", {"/U=scott"}, "scott", {}, {}, false, 0},
        {"empty user", {"/U=/pw@db1"}, {}, "pw", "db1", false, 0},
        {"lower case prefixes", {"/u=Ann", "/v=9"}, "Ann", {}, {}, true, 9},
        {"version with letters", {"/V=9x"}, {}, {}, {}, true, 0},
        {"last wins", {"/U=a", "/V=10", "/U=b/c", "/V=12"}, "b", "c", {}, true, 12},
        {"no-op switches", {"/D", "/SYSDBA", "/SYSOPER", "other"}, {}, {}, {}, false, 0},
    };
    for (const CommandLineCase &c : cases) {
        SCOPED_TRACE(c.name);
        const TzkCommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.User, c.user);
        EXPECT_EQ(line.Password, c.password);
        EXPECT_EQ(line.Server, c.server);
        EXPECT_EQ(line.HasVersion, c.hasVersion);
        EXPECT_EQ(line.Version, c.version);
    }
}

TEST(ShortCutText, StoredFormsRoundTrip)
{
    const std::pair<const char *, const char *> cases[] = {
        {"Ctrl+S", "Ctrl+S"},
        {"Shift+Ctrl+I", "Shift+Ctrl+I"},
        {"Ctrl+Shift+I", "Shift+Ctrl+I"},
        {"Del", "Del"},
        {"F3", "F3"},
        {"Shift+F3", "Shift+F3"},
        {"Ctrl+-", "Ctrl+-"},
        {"Ctrl+PgDn", "Ctrl+PgDn"},
        {"BkSp", "BkSp"},
        {"", ""},
        {"no such key", ""},
        {"Ctrl+", ""},
    };
    for (const auto &[stored, back] : cases) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(ShortCutToText(TextToShortCut(QString::fromUtf8(stored))), QString::fromUtf8(back));
    }
}

TEST_F(MainWindowTest, StartsWithItsTitleMenusToolBarsAndImages)
{
    TfrmMain *w = createMain();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Zekalon for SQL Server"));
    EXPECT_EQ(frmMain, w);
    EXPECT_EQ(zkMainForm, w);

    QStringList tops;
    for (QAction *a : w->menuBar()->actions())
        tops << a->text();
    EXPECT_EQ(tops, (QStringList{"ファイル(&F)", "編集(&E)", "表示(&V)", "管理(&A)", "ツール(&T)", "ウィンドウ(&W)",
                                 "ヘルプ(&H)", "新機能(&N)", "活用のヒント(&I)"}));
    QStringList bars;
    for (QToolBar *bar : w->ToolBars())
        bars << bar->objectName();
    EXPECT_EQ(bars, (QStringList{"pnlDB", "pnlEdit", "pnlTool", "pnlAdmin", "pnlTool2", "pnlNewObj"}));

    // Actions and new-object buttons carry their images; kinds are indexes.
    const std::pair<const char *, int> images[] = {
        {"actDBCommit", 15},  {"actDBLogon", 13},       {"actViewSQL", 10},       {"actAdminSession", 124},
        {"actEditRedo", 143}, {"actViewTemplate", 163}, {"actEditMacroLoad", 165}};
    for (const auto &[name, image] : images) {
        SCOPED_TRACE(name);
        QAction *a = w->Action(QLatin1String(name));
        ASSERT_TRUE(a);
        EXPECT_EQ(a->property("ImageIndex").toInt(), image);
        EXPECT_FALSE(a->icon().isNull());
    }
    for (const auto &[name, kind] : {std::pair{"btnNewTable", 45}, {"btnNewSynonym", 60}, {"btnNewConst", 66}}) {
        QAction *b = w->findChild<QAction *>(QLatin1String(name));
        ASSERT_TRUE(b);
        EXPECT_EQ(b->property("ImageIndex").toInt(), kind);
        EXPECT_FALSE(b->isEnabled()) << "no connection";
    }
    for (int kind :
         {1, 2, 3, 4, 45, 46, 47, 51, 52, 57, 58, 60, 66, 68, 69, 71, 97, 116, 117, 118, 119, 120, 125, 126, 137})
        EXPECT_TRUE(w->imgMain()->HasImage(kind)) << kind;

    EXPECT_EQ(w->stsMain()->PanelCount(), 3);
    EXPECT_EQ(w->stsMain()->Panel(0)->width(), 200);
    EXPECT_EQ(w->Action(QStringLiteral("actViewSQL"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
}

TEST_F(MainWindowTest, LoadsSettingsFormatsAndHistoryLists)
{
    {
        TzkRegistry reg;
        reg.OpenKey(ZK_REG_ROOT, true);
        reg.WriteString(QStringLiteral("DateFormat"), QStringLiteral("dd/MM/yyyy"));
        reg.CloseKey();
        reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\SHORTCUT"), true);
        reg.WriteString(QStringLiteral("ViewSQL"), QStringLiteral("Ctrl+Q"));
        reg.WriteString(QStringLiteral("EditFind"), QStringLiteral("not a key"));
        reg.CloseKey();
        reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\RESERVE"), true);
        reg.WriteString(QStringLiteral("SELECT"), QString());
        reg.WriteString(QStringLiteral("FROM"), QString());
        reg.CloseKey();
    }
    const QString temp = DataPath + QStringLiteral("temp/");
    QDir().mkpath(temp);
    WriteTextFile(temp + QStringLiteral("SQLLOG.IDX"), QStringLiteral("1\r\n2\r\n"), TEncoding::GetUTF8(), true);
    WriteTextFile(temp + QStringLiteral("SQLLOGF.IDX"), QStringLiteral("fav"), TEncoding::GetUTF8(), true);

    TfrmMain *w = createMain();
    EXPECT_EQ(zkOption.DateFormat, QStringLiteral("dd/MM/yyyy"));
    EXPECT_EQ(FormatSettings.ShortDateFormat, QStringLiteral("dd/MM/yyyy"));
    EXPECT_EQ(DateToStr(QDate(2024, 3, 9)), QStringLiteral("09/03/2024"));
    EXPECT_EQ(SQLLogList, (QStringList{"1", "2"}));
    EXPECT_EQ(SQLLogFList, QStringList{"fav"});
    EXPECT_EQ(zkOption.ExcelExt, QStringLiteral(".xlsx"));
    EXPECT_EQ(ExcelFilter, QStringLiteral("Excelファイル(*.xlsx)|*.xlsx"));
    EXPECT_EQ(w->Action(QStringLiteral("actViewSQL"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_TRUE(w->Action(QStringLiteral("actEditFind"))->shortcut().isEmpty());
    EXPECT_EQ(ReserveWords, (QStringList{"FROM", "SELECT"}));
}

TEST_F(MainWindowTest, MissingHistoryStillLoadsTheFavourites)
{
    const QString temp = DataPath + QStringLiteral("temp/");
    QDir().mkpath(temp);
    QFile::remove(temp + QStringLiteral("SQLLOG.IDX"));
    WriteTextFile(temp + QStringLiteral("SQLLOGF.IDX"), QStringLiteral("SQLLOGF1.SQL fav\r\n"), TEncoding::GetUTF8(),
                  true);
    SQLLogList = QStringList{"stale"};
    createMain();
    EXPECT_TRUE(SQLLogList.isEmpty());
    EXPECT_EQ(SQLLogFList, QStringList{"SQLLOGF1.SQL fav"});
}

TEST_F(MainWindowTest, FirstPaintOpensTheLogonOnceUnlessAUserIsGiven)
{
    for (const bool withUser : {false, true}) {
        SCOPED_TRACE(withUser);
        ServerVersionOverride = 0;
        TfrmMain *w = createMain();
        w->SetArguments(withUser ? QStringList{"/U=u/p@s", "/V=9"} : QStringList{});
        QSignalSpy logon(w->Action(QStringLiteral("actDBLogon")), &QAction::triggered);
        QString dialog;
        if (!withUser)
            WhenModal([&dialog](QWidget *modal) {
                dialog = modal->objectName();
                modal->close();
            });
        w->show();
        EXPECT_FALSE(w->FirstPaintDone()) << "never inside the show itself";
        processEvents();
        EXPECT_TRUE(w->FirstPaintDone());
        EXPECT_EQ(logon.count(), withUser ? 0 : 1);
        EXPECT_EQ(dialog, withUser ? "" : "frmLogon");
        EXPECT_EQ(ServerVersionOverride, withUser ? 9 : 0);
        w->hide();
        w->show();
        processEvents();
        EXPECT_EQ(logon.count(), withUser ? 0 : 1) << "a second paint opens nothing";
        main.reset();
    }
    ServerVersionOverride = 0;
}

TEST_F(MainWindowTest, RefusedCloseSavesNothingAndAcceptedCloseSavesSettings)
{
    TfrmMain *w = createMain();
    auto *form = new TzkForm(w);
    form->setWindowTitle(QStringLiteral("changed"));
    form->ShowMDIChild();
    form->SetModified(true);
    w->show();
    processEvents();

    answer("Cancel");
    EXPECT_FALSE(w->close());
    EXPECT_EQ(readShortCut(QStringLiteral("DBCommit")), QStringLiteral("<no value>"));
    EXPECT_EQ(w->MDIClient()->subWindowList().size(), 1);

    answer("No");
    EXPECT_TRUE(w->close());
    // Every shortcut value is written, with an empty text for no key.
    EXPECT_EQ(readShortCut(QStringLiteral("DBCommit")), QString());
    EXPECT_EQ(readShortCut(QStringLiteral("ViewSQL")), QStringLiteral("Ctrl+S"));
    EXPECT_EQ(readShortCut(QStringLiteral("EditIndentF")), QStringLiteral("Shift+Ctrl+I"));
    TzkRegistry reg;
    ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\SHORTCUT"), false));
    EXPECT_EQ(reg.GetValueNames().size(), 81);
}

TEST_F(MainWindowTest, ARemovedBuiltInKeyStaysRemoved)
{
    TfrmMain *w = createMain();
    w->Action(QStringLiteral("actViewSQL"))->setShortcut(QKeySequence());
    SaveSettings();
    EXPECT_EQ(readShortCut(QStringLiteral("ViewSQL")), QStringLiteral("None"));
    EXPECT_EQ(readShortCut(QStringLiteral("DBCommit")), QString()) << "no built-in key: empty as before";

    // The next start: the built-in key is not back.
    main.reset();
    w = createMain();
    EXPECT_TRUE(w->Action(QStringLiteral("actViewSQL"))->shortcut().isEmpty());
    EXPECT_EQ(w->Action(QStringLiteral("actEditUndo"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Z")));
    EXPECT_TRUE(w->Action(QStringLiteral("actDBCommit"))->shortcut().isEmpty());
}

TEST_F(MainWindowTest, StatusMessages)
{
    TfrmMain *w = createMain();
    TzkStatusBar *bar = w->stsMain();
    bar->SetPanelText(2, QStringLiteral("before"));
    w->SetDefMessage();
    EXPECT_EQ(bar->PanelText(2), QStringLiteral("before")) << "no connection: unchanged";

    const std::tuple<int, int, const char *> loops[] = {
        {0, 0, " [ESC]キーを押すと処理を中断します。"},
        {5, 0, "5件処理中... [ESC]キーを押すと処理を中断します。"},
        {5, 20, "5 / 20 [ESC]キーを押すと処理を中断します。"},
    };
    for (const auto &[now, max, text] : loops) {
        w->SetLoopMessage(now, max);
        EXPECT_EQ(bar->PanelText(2), QString::fromUtf8(text));
    }

    FakeConnection connection;
    AddComboConnection(w->cmbDBName(), QStringLiteral("sa @ srv.master"), &connection);
    w->cmbDBName()->setCurrentIndex(0);
    connection.Count = 12;
    w->SetDefMessage();
    EXPECT_EQ(bar->PanelText(2), QStringLiteral("12個のオブジェクトがあります。"));
    connection.Selected = 3;
    w->SetDefMessage();
    EXPECT_EQ(bar->PanelText(2), QStringLiteral("12個中 3個のオブジェクトを選択中。"));
}

TEST_F(MainWindowTest, FindWindowAndGetDBForm)
{
    TfrmMain *w = createMain();
    auto *first = new TzkForm(w);
    first->setWindowTitle(QStringLiteral("TABLE - db.dbo.T1"));
    first->ShowMDIChild();
    auto *second = new TzkForm(w);
    second->setWindowTitle(QStringLiteral("TABLE - db.dbo.T2"));
    second->ShowMDIChild();
    ASSERT_EQ(w->MDIClient()->activeSubWindow(), second->MDIFrame());

    EXPECT_EQ(w->FindWindow(TzkForm::staticMetaObject, QStringLiteral("table - db.dbo.T1"), true), nullptr);
    EXPECT_EQ(w->FindWindow(TzkForm::staticMetaObject, QStringLiteral("TABLE - db.dbo.T1"), false), first);
    EXPECT_EQ(w->MDIClient()->activeSubWindow(), second->MDIFrame()) << "not brought forward";
    EXPECT_EQ(w->FindWindow(QWidget::staticMetaObject, QStringLiteral("TABLE - db.dbo.T1"), true), first);
    EXPECT_EQ(w->MDIClient()->activeSubWindow(), first->MDIFrame());
    EXPECT_EQ(w->FindWindow(QMenu::staticMetaObject, QStringLiteral("TABLE - db.dbo.T1"), true), nullptr);

    // Two connection windows with one text: the current one, else the later one.
    auto *a = new FakeConnection(QStringLiteral("sa @ s.db"));
    auto *b = new FakeConnection(QStringLiteral("sa @ s.db"));
    w->MDIClient()->addSubWindow(a);
    w->MDIClient()->addSubWindow(b);
    EXPECT_EQ(w->GetDBForm(QStringLiteral("sa @ s.db")), b);
    AddComboConnection(w->cmbDBName(), QStringLiteral("sa @ s.db"), a);
    w->cmbDBName()->setCurrentIndex(0);
    EXPECT_EQ(w->CurrentForm(), a);
    EXPECT_EQ(w->GetDBForm(QStringLiteral("sa @ s.db")), a);
    EXPECT_EQ(w->GetDBForm(QStringLiteral("SA @ s.db")), nullptr);

    w->SetShortCut();
    EXPECT_EQ(a->ShortCutCalls, 1);
    EXPECT_EQ(b->ShortCutCalls, 1);
}

TEST_F(MainWindowTest, IdleUpdateDisablesCommandsWithoutHandlerAndFollowsTheWindows)
{
    TfrmMain *w = createMain();
    TzkIdleUpdate::RunNow();
    EXPECT_FALSE(w->Action(QStringLiteral("actViewSQL"))->isEnabled()) << "no connection";
    EXPECT_TRUE(w->Action(QStringLiteral("actDBLogon"))->isEnabled());
    EXPECT_TRUE(w->Action(QStringLiteral("actFileExit"))->isEnabled());
    EXPECT_FALSE(w->Action(QStringLiteral("actWindowClose"))->isEnabled());

    auto *form = new TzkForm(w);
    form->ShowMDIChild();
    const int passes = TzkIdleUpdate::PassCount();
    processEvents();
    EXPECT_GT(TzkIdleUpdate::PassCount(), passes) << "the new window armed a pass";
    EXPECT_TRUE(w->Action(QStringLiteral("actWindowClose"))->isEnabled());
}

TEST_F(MainWindowTest, AFailingCloseStepIsReportedAndTheOthersStillRun)
{
    TfrmMain *w = createMain();
    w->show();
    processEvents();
    zkReg->SetAccess(KEY_READ);
    QString shown;
    WhenModal([&shown](QWidget *box) {
        for (QLabel *label : box->findChildren<QLabel *>())
            shown += label->text();
        box->close();
    });
    EXPECT_TRUE(w->close());
    zkReg->SetAccess(KEY_ALL_ACCESS);
    EXPECT_TRUE(shown.contains(QStringLiteral("終了時の保存に失敗しました。")));
    EXPECT_TRUE(shown.contains(QStringLiteral("設定の保存")));
    EXPECT_FALSE(shown.contains(QStringLiteral("ウィンドウ配置の保存")));
}

TEST_F(MainWindowTest, WorkSpaceListsTheEntriesOfOpenConnections)
{
    TfrmMain *w = createMain();
    auto *a = new FakeConnection(QStringLiteral("sa @ s1.db"));
    auto *b = new FakeConnection(QStringLiteral("sa @ s2.db"));
    w->MDIClient()->addSubWindow(a);
    w->MDIClient()->addSubWindow(b);
    WorkSpaceList = {{45,
                      QStringLiteral("t2"),
                      QStringLiteral("dbo"),
                      QStringLiteral("T2"),
                      {},
                      QStringLiteral("db"),
                      QStringLiteral("sa @ s2.db")},
                     {47,
                      QStringLiteral("v1"),
                      QStringLiteral("dbo"),
                      QStringLiteral("V1"),
                      {},
                      QStringLiteral("db"),
                      QStringLiteral("sa @ s1.db")},
                     {51,
                      QStringLiteral("p9"),
                      QStringLiteral("dbo"),
                      QStringLiteral("P9"),
                      {},
                      QStringLiteral("db"),
                      QStringLiteral("sa @ s9.db")}};
    auto *list = w->findChild<QTreeWidget *>(QStringLiteral("lstWorkSpace"));
    ASSERT_TRUE(list);
    auto captions = [list] {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(0) + QLatin1Char('/') + list->topLevelItem(i)->text(1);
        return out;
    };
    w->ShowWorkSpace(nullptr);
    EXPECT_EQ(captions(), (QStringList{"t2/T2", "v1/V1"})) << "sorted by caption; closed connections left out";
    w->ShowWorkSpace(b);
    EXPECT_EQ(captions(), QStringList{"v1/V1"});
    EXPECT_EQ(WorkSpaceList.size(), 3) << "entries of closed connections stay";
    WorkSpaceList.clear();
}
