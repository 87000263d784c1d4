#include "testhelpers.h"

#include "connection/fobject.h"
#include "core/dsqlserver.h"
#include "core/zkCommonData.h"
#include "core/zkapp.h"
#include "core/zkoption.h"
#include "core/zkreg.h"
#include "core/zkstsbar.h"
#include "core/zktaskbar.h"
#include "platform/db/db.h"
#include "support/scripted/scriptedbackend.h"

#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSplitter>

namespace {

struct FollowUpCase
{
    const char *name;
    QString sid, user, server;
    bool windows = false;
    int versionOverride = 0;
    const char *rules = "";
    QStringList statements;
    QString item;  // the connection combo's item, and the caption after its prefix
    QString login; // the connection's "User_Name" afterwards
    int version;
    bool azure = false;
    QString schema = QStringLiteral("dbo");
};

const QString kVersion = QStringLiteral("select SERVERPROPERTY('productversion')");
const QString kEdition = QStringLiteral("select serverproperty('Edition')");
const QString kLogin = QStringLiteral("select suser_sname()");
const QString kUser = QStringLiteral("select user_name()");
const QString kSchema =
    QStringLiteral("select default_schema_name from sys.database_principals where name = user_name()");
const QString kSpid = QStringLiteral("select @@SPID");

} // namespace

TEST_F(ConnectionWindowTest, CreationAsksTheServerWhatItsConditionsNeed)
{
    const FollowUpCase cases[] = {
        {"SQL Server login, version 15",
         "SalesDB",
         "zkdemo",
         "srv1",
         false,
         0,
         "",
         {kVersion, kEdition, "select db_name()", kLogin, kUser, kSchema, kSpid},
         "zkdemo @ srv1.SalesDB",
         "zkdemo",
         15},
        {"no database: the login's default one",
         "",
         "zkdemo",
         "srv1",
         false,
         0,
         "",
         {kVersion, kEdition, "select dbname from master.dbo.syslogins where name = N'zkdemo'", kLogin, kUser, kSchema,
          kSpid},
         "zkdemo @ srv1.SalesDB",
         "zkdemo",
         15},
        {"no database and no default one: master",
         " ",
         "o'neil",
         "srv1",
         false,
         0,
         "rule regex: syslogins\n  result: dbname nvarchar(128)\n",
         {kVersion, kEdition, "select dbname from master.dbo.syslogins where name = N'o''neil'", kLogin, kUser, kSchema,
          kSpid},
         "o'neil @ srv1.master",
         "o'neil",
         15},
        {"version from the command line",
         "SalesDB",
         "zkdemo",
         "srv1",
         false,
         9,
         "",
         {"select db_name()", kLogin, kUser, kSchema, kSpid},
         "zkdemo @ srv1.SalesDB",
         "zkdemo",
         9},
        {"version 8: no edition, the user is the schema",
         "SalesDB",
         "zkdemo",
         "srv1",
         false,
         0,
         "rule exact: select SERVERPROPERTY('productversion')\n  result: v sql_variant\n  row: '8.00.2039'\n",
         {kVersion, "select db_name()", kLogin, kUser, kSpid},
         "zkdemo @ srv1.SalesDB",
         "zkdemo",
         8,
         false,
         "dbo"},
        {"Azure: the server in the login, master without asking",
         "",
         "zkdemo",
         "zk.database.windows.net",
         false,
         0,
         "rule exact: select serverproperty('Edition')\n  result: e sql_variant\n  row: 'SQL Azure'\n"
         "rule exact: select suser_sname()\n  result: n nvarchar(128)\n  row: N'zkdemo'\n",
         {kVersion, kEdition, kLogin, kUser, kSchema, kSpid},
         "zkdemo @ zk.database.windows.net.master",
         "zkdemo@zk.database.windows.net",
         15,
         true},
        {"Windows authentication: the login comes from the server",
         "SalesDB",
         "",
         "srv1",
         true,
         0,
         "",
         {kLogin, kVersion, kEdition, "select db_name()", kLogin, kUser, kSchema, kSpid},
         "CORP\\tanaka @ srv1.SalesDB",
         "CORP\\tanaka",
         15},
    };
    for (const FollowUpCase &c : cases) {
        SCOPED_TRACE(c.name);
        script->ClearRules();
        ASSERT_TRUE(script->LoadFile(ZK_FIXTURES_DIR "/demo.rules"));
        rules(c.rules);
        useBackend(c.windows);
        ServerVersionOverride = c.versionOverride;
        TfrmObject *form = logon(c.sid, c.user, c.server);
        // Then the tree: its databases and the server's version.
        const QStringList tree{
            c.azure ? QStringLiteral("select name from sys.databases")
                    : QStringLiteral("select name from master.dbo.sysdatabases where has_dbaccess(name) = 1"),
            QStringLiteral("SELECT SERVERPROPERTY(N'productversion')")};
        EXPECT_EQ(sentByTheWindow(), c.statements + tree);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("オブジェクトリスト - ") + c.item);
        EXPECT_EQ(combo()->currentText(), c.item);
        EXPECT_EQ(main->CurrentForm(), form);
        EXPECT_EQ(form->dmSQLServer->Login(), c.login);
        EXPECT_EQ(form->DBVer, c.version);
        EXPECT_EQ(form->g_DBVer, c.version);
        EXPECT_EQ(form->IsAzure, c.azure);
        EXPECT_EQ(form->g_Win_Attest, c.windows);
        EXPECT_EQ(form->g_User, "dbo");
        EXPECT_EQ(form->g_Schema, c.schema);
        EXPECT_GT(form->SPID, 0);
        EXPECT_GT(form->MYSID, 0);
        EXPECT_EQ(form->cmbTree->count(), c.azure ? 1 : 3);
        EXPECT_EQ(form->Disp, c.azure ? 1 : 0);
        EXPECT_EQ(form->GetConnectInfo({}, {}, true),
                  c.login + QStringLiteral(" @ ") + c.server + c.item.mid(c.item.lastIndexOf('.')));
        form->Close();
        processEvents();
        EXPECT_EQ(combo()->count(), 0);
    }
}

TEST_F(ConnectionWindowTest, JoinsTheComboTaskBarAndRegistryInItsColour)
{
    const TColor lightCyan = 0xFFFFE0;
    TfrmObject *form = logon(QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("srv1"), lightCyan);
    ASSERT_EQ(area()->subWindowList().size(), 1);
    EXPECT_EQ(area()->activeSubWindow()->widget(), form);
    EXPECT_EQ(ConnectionManager->GetBackgroundColor(form->MYSID), lightCyan);
    EXPECT_EQ(ConnectionManager->GetSessionID(form->FormID()), form->MYSID);
    EXPECT_EQ(form->pnlListHeader->palette().color(QPalette::Window), ColorToQColor(lightCyan));
    TzkTaskBar *bar = main->pagTaskBar();
    ASSERT_EQ(bar->count(), 1);
    EXPECT_EQ(bar->Tag(0), form->FormID());
    EXPECT_EQ(bar->tabText(0), "zkdemo@SalesDB");
    EXPECT_EQ(bar->tabToolTip(0), form->windowTitle());
    EXPECT_EQ(bar->ImageIndex(0), 94);
    EXPECT_EQ(main->stsMain()->PanelText(2), "0個のオブジェクトがあります。");

    // A second connection becomes the current one; activating the first
    // selects it again, with its tab.
    TfrmObject *second = logon(QStringLiteral("InventoryDB"));
    EXPECT_EQ(combo()->count(), 2);
    EXPECT_EQ(main->CurrentForm(), second);
    EXPECT_EQ(bar->currentIndex(), 1);
    area()->setActiveSubWindow(form->MDIFrame());
    EXPECT_EQ(main->CurrentForm(), form);
    EXPECT_EQ(bar->currentIndex(), 0);

    // Closing one leaves the other current and registered.
    const int session = form->MYSID;
    CopyObjectList.append({QStringLiteral("SalesDB"), QStringLiteral("dbo"), QStringLiteral("Orders"), 45});
    form->Close();
    processEvents();
    EXPECT_EQ(combo()->count(), 1);
    EXPECT_EQ(main->CurrentForm(), second);
    EXPECT_EQ(bar->count(), 1);
    EXPECT_EQ(bar->Tag(0), second->FormID());
    EXPECT_EQ(ConnectionManager->GetBackgroundColor(session), clBtnFace) << "the session is gone";
    EXPECT_TRUE(CopyObjectList.isEmpty());
    EXPECT_EQ(script->Log().last().kind, TScriptEntry::Disconnect);
}

TEST_F(ConnectionWindowTest, TaskCaptionIsCutAfterSixteenCharacters)
{
    EXPECT_EQ(TfrmObject::TaskCaption(QStringLiteral("abcdefghijklmn@D")), "abcdefghijklmn@D");
    EXPECT_EQ(TfrmObject::TaskCaption(QStringLiteral("abcdefghijklmno@D")), QStringLiteral("abcdefghijklmn…"));
    EXPECT_EQ(TfrmObject::TaskCaption(QStringLiteral("社員データベースの管理者@人事DB")),
              QStringLiteral("社員データベースの管理者@人…"));
}

TEST_F(ConnectionWindowTest, ARefusedLogonLeavesNothingBehind)
{
    rules("rule login: ^refused_user$\n");
    try {
        logon(QStringLiteral("SalesDB"), QStringLiteral("refused_user"));
        FAIL() << "no error";
    } catch (const EDBError &e) {
        EXPECT_EQ(e.Number(), 18456);
    }
    processEvents();
    EXPECT_TRUE(area()->subWindowList().isEmpty());
    EXPECT_EQ(combo()->count(), 0);
    EXPECT_EQ(main->pagTaskBar()->count(), 0);
    EXPECT_EQ(main->stsMain()->PanelText(2), "");
    EXPECT_TRUE(main->findChildren<TdmSQLServer *>().isEmpty());
}

TEST_F(ConnectionWindowTest, LayoutAndTreeFilterAreKeptAcrossWindows)
{
    TfrmObject *form = logon();
    QMdiSubWindow *frame = form->MDIFrame();
    frame->resize(620, 410);
    form->spl1->setSizes({150, 400});
    const int tree = form->spl1->sizes().value(0);
    form->Disp = 2;
    form->Close();
    processEvents();
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\GUI\\OBJECT"), false));
        EXPECT_EQ(reg.ReadInteger("WindowState"), 0);
        EXPECT_EQ(reg.ReadInteger("Width"), 620);
        EXPECT_EQ(reg.ReadInteger("Height"), 410);
        EXPECT_EQ(reg.ReadInteger("TreeWidth"), tree);
        reg.CloseKey();
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\OBJECTTREE\\srv1"), false));
        EXPECT_EQ(reg.ReadInteger("Disp"), 2);
    }
    form = logon();
    EXPECT_EQ(form->MDIFrame()->size(), QSize(620, 410));
    processEvents();
    EXPECT_EQ(form->spl1->sizes().value(0), tree);
    EXPECT_EQ(form->Disp, 2);
    EXPECT_EQ(form->cmbTree->currentIndex(), 2);

    // A maximised state is taken only by the first window; a later one
    // opens in the normal state with the stored size.
    form->MDIFrame()->showMaximized();
    form->Close();
    processEvents();
    TfrmObject *first = logon();
    EXPECT_TRUE(first->MDIFrame()->isMaximized());
    first->MDIFrame()->showNormal();
    TfrmObject *second = logon(QStringLiteral("InventoryDB"));
    EXPECT_FALSE(second->MDIFrame()->isMaximized());
    EXPECT_EQ(second->MDIFrame()->size(), QSize(620, 410));

    // A stored filter the combo does not offer shows every database.
    {
        TzkRegistry reg;
        ASSERT_TRUE(reg.OpenKey(ZK_REG_ROOT + QStringLiteral("\\OBJECTTREE\\srv1"), false));
        reg.WriteInteger(QStringLiteral("Disp"), 7);
    }
    TfrmObject *third = logon(QStringLiteral("InventoryDB"));
    EXPECT_EQ(third->Disp, 0);
    EXPECT_EQ(third->cmbTree->currentIndex(), 0);
}

TEST_F(ConnectionWindowTest, AnOpenTransactionIsSettledAsTheOptionSays)
{
    zkOption.AutoTran = true;
    const char *const begin = "BEGIN TRANSACTION";
    struct
    {
        TSessionKilledMode mode;
        const char *answer;
        const char *sent;
    } cases[] = {
        {skmCommit, nullptr, "COMMIT TRANSACTION"},
        {skmRollBack, nullptr, "ROLLBACK TRANSACTION"},
        {skmConfirm, "Yes", "COMMIT TRANSACTION"},
        {skmConfirm, "No", "ROLLBACK TRANSACTION"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.sent);
        zkOption.SessionKilledMode = c.mode;
        TfrmObject *form = logon();
        EXPECT_TRUE(script->Statements().contains(begin));
        if (c.answer)
            answer(c.answer);
        form->Close();
        processEvents();
        EXPECT_TRUE(area()->subWindowList().isEmpty());
        EXPECT_TRUE(script->Statements().contains(c.sent));
    }
}

// Autocommit off (the grid's paste turns it off) is work waiting for a
// commit: the close question asks, and the answer ends the driver's
// transaction.
TEST_F(ConnectionWindowTest, WorkWithAutocommitOffIsAskedAboutAndCommitted)
{
    zkOption.AutoTran = false;
    zkOption.SessionKilledMode = skmConfirm;
    TfrmObject *form = logon();
    form->dmSQLServer->Connection->SetAutoCommit(false);
    script->ClearLog();
    answer("Yes");
    form->Close();
    processEvents();
    EXPECT_TRUE(area()->subWindowList().isEmpty());
    EXPECT_TRUE(script->LogLines().filter(QStringLiteral("end transaction: commit")).size() == 1)
        << script->LogLines().join('\n').toStdString();
}

TEST_F(ConnectionWindowTest, CancelInTheTransactionQuestionKeepsTheWindowAndStopsTheExit)
{
    zkOption.AutoTran = true;
    zkOption.SessionKilledMode = skmConfirm;
    TfrmObject *form = logon();
    logon(QStringLiteral("InventoryDB"));
    QString text;
    QStringList captions;
    WhenModal([&](QWidget *box) {
        text = box->findChild<QLabel *>(QStringLiteral("Message"))->text();
        for (const char *name : {"Yes", "No", "Cancel"})
            captions << box->findChild<QPushButton *>(QLatin1String(name))->text();
        box->findChild<QPushButton *>(QStringLiteral("Cancel"))->click();
    });
    main->close();
    processEvents();
    EXPECT_TRUE(main->isVisible()) << "the exit stopped";
    EXPECT_EQ(area()->subWindowList().size(), 2);
    EXPECT_EQ(captions, (QStringList{"COMMIT", "ROLLBACK", "キャンセル"}));
    EXPECT_EQ(text, QStringLiteral("COMMIT/ROLLBACKされていない変更があります。どのように処理しますか？\n"
                                   "（接続名：zkdemo @ InventoryDB）\n"
                                   "※COMMIT/ROLLBACK実行後は、接続を切断します。切断したくない場合は「キャンセル」を押"
                                   "してください。"));

    // キャンセル keeps it open; COMMIT settles it once.
    script->ClearLog();
    answer("Cancel");
    EXPECT_FALSE(form->CloseQuery());
    answer("Yes");
    EXPECT_TRUE(form->CloseQuery());
    EXPECT_TRUE(form->CloseQuery()) << "nothing left to ask";
    EXPECT_EQ(script->Statements(), QStringList{"COMMIT TRANSACTION"});
}

TEST_F(ConnectionWindowTest, TheProgramsCloseSettlesAndClosesEveryConnection)
{
    zkOption.AutoTran = true;
    zkOption.SessionKilledMode = skmCommit;
    logon();
    logon(QStringLiteral("InventoryDB"));
    script->ClearLog();
    main->close();
    processEvents();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(script->Statements(), (QStringList{"COMMIT TRANSACTION", "COMMIT TRANSACTION"}));
    int disconnects = 0;
    for (const TScriptEntry &e : script->Log())
        disconnects += e.kind == TScriptEntry::Disconnect;
    EXPECT_EQ(disconnects, 2);
    EXPECT_TRUE(area()->subWindowList().isEmpty());
}

TEST_F(ConnectionWindowTest, AtTheProgramsExitEveryWindowIsAskedOnce)
{
    // Counts how often it is asked whether it may close.
    class AskedForm : public TzkForm
    {
    public:
        AskedForm(QObject *owner, int *asked)
            : TzkForm(owner)
            , m_asked(asked)
        {
        }

    protected:
        bool FormCloseQuery() override
        {
            ++*m_asked;
            return true;
        }

    private:
        int *m_asked;
    };
    zkOption.AutoTran = true;
    zkOption.SessionKilledMode = skmConfirm;
    TfrmObject *form = logon();
    int ownedAsked = 0;
    int freeAsked = 0;
    (new AskedForm(form, &ownedAsked))->ShowMDIChild();
    (new AskedForm(main.get(), &freeAsked))->ShowMDIChild();
    int questions = 0;
    WhenModal([&questions](QWidget *box) {
        ++questions;
        box->findChild<QPushButton *>(QStringLiteral("Yes"))->click();
    });
    main->close();
    processEvents();
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(area()->subWindowList().size(), 1) << "the connection window went with its own window";
    EXPECT_EQ(ownedAsked, 1);
    EXPECT_EQ(freeAsked, 1);
    EXPECT_EQ(questions, 1) << "the transaction question";
    EXPECT_TRUE(script->Statements().contains("COMMIT TRANSACTION"));
}

TEST_F(ConnectionWindowTest, AFailingCommitKeepsTheWindowOpen)
{
    zkOption.AutoTran = true;
    zkOption.SessionKilledMode = skmCommit;
    rules("rule exact: COMMIT TRANSACTION\n"
          "  error: 3930, 1, 16, 1, The current transaction cannot be committed.\n");
    TfrmObject *form = logon();
    form->Close();
    processEvents();
    EXPECT_EQ(area()->subWindowList().size(), 1);
    ASSERT_EQ(ShownExceptions().size(), 1);
    EXPECT_TRUE(ShownExceptions().first().contains("cannot be committed")) << ShownExceptions().first().toStdString();
    EXPECT_EQ(combo()->count(), 1) << "still registered";
}

TEST_F(ConnectionWindowTest, ExecuteSQLRunsScriptsBatchByBatch)
{
    TfrmObject *form = logon();
    rules("rule regex: ^\\s*exec step[13]\n  rowcount: 1\n"
          "rule regex: ^\\s*exec step2\n  error: 2812, 62, 16, 1, Could not find stored procedure 'step2'.\n"
          "rule regex: ^\\s*update t set c = ':name'\n  rowcount: 1\n");
    script->ClearLog();
    const QStringList lines{"exec step1", " GO ", "", "go", "exec step2", "GO", "exec step3"};
    form->ExecuteSQL(lines, true);
    EXPECT_EQ(script->Statements(), (QStringList{"exec step1\r\n", "exec step2\r\n", "exec step3\r\n"}));

    script->ClearLog();
    EXPECT_THROW(form->ExecuteSQL(lines, false), EDBError);
    EXPECT_EQ(script->Statements(), (QStringList{"exec step1\r\n", "exec step2\r\n"}));

    // One statement goes as written: ":name" is no parameter.
    script->ClearLog();
    form->ExecuteSQL(QStringLiteral("update t set c = ':name'"));
    EXPECT_EQ(script->Log().last().kind, TScriptEntry::Batch);
    EXPECT_EQ(script->Statements(), QStringList{"update t set c = ':name'"});
    EXPECT_FALSE(form->qryExec->Active());
}

TEST_F(ConnectionWindowTest, ListOperationsSortAndFailEmpty)
{
    TfrmObject *form = logon();
    QStringList list{QStringLiteral("stale")};
    form->GetObject(list, QStringLiteral("SalesDB"), QStringLiteral("dbo"), QStringLiteral("TABLE"));
    EXPECT_EQ(list, (QStringList{"Customers", "OrderDetails", "Orders", "Products"}));
    EXPECT_TRUE(script->LogLines().last().contains("@P1 nvarchar")) << script->LogLines().last().toStdString();
    form->GetObject(list, QStringLiteral("SalesDB"), QStringLiteral("  "), QStringLiteral("VIEW"));
    EXPECT_TRUE(list.isEmpty()) << "a blank schema names none";
    EXPECT_TRUE(script->LogLines().last().endsWith("= N'%'")) << script->LogLines().last().toStdString();

    rules("rule exact: select name from master.dbo.sysdatabases where has_dbaccess(name) = 1\n"
          "  result: name nvarchar(128)\n  row: N'b'\n  row: N'C'\n  row: N'A'\n");
    form->GetDatabase(list);
    EXPECT_EQ(list, (QStringList{"A", "b", "C"}));
    EXPECT_FALSE(form->dmSQLServer->qryGeneral->Active());

    rules("rule exact: select * from fn_helpcollations()\n  result: name nvarchar(128), description nvarchar(1000)\n"
          "  row: N'Latin1_General_CI_AS', N'x'\n  row: N'Japanese_CI_AS', N'y'\n");
    form->GetCollationType(list);
    EXPECT_EQ(list, (QStringList{"Latin1_General_CI_AS", "Japanese_CI_AS"})) << "server order";

    list = QStringList{QStringLiteral("stale")};
    EXPECT_THROW(form->GetFileGroup(list), EDBError);
    EXPECT_TRUE(list.isEmpty());
}

TEST_F(ConnectionWindowTest, ConnectionTextForCaptionsAndMessages)
{
    TfrmObject *form = logon(QStringLiteral("SalesDB"), QStringLiteral(" zkdemo "));
    EXPECT_EQ(form->GetConnectInfo({}, {}, false), "zkdemo @ srv1");
    EXPECT_EQ(form->GetConnectInfo({}, {}, true), "zkdemo @ srv1.SalesDB");
    EXPECT_EQ(form->GetConnectInfo(" sales ", "Staff", true), "sales.Staff @ srv1.SalesDB");
    EXPECT_EQ(form->GetConnectInfo("sales", "", false), "zkdemo @ srv1");
    EXPECT_EQ(form->Use("SalesDB"), "use [SalesDB]\r\n");
    EXPECT_EQ(form->VerStr(9, "new", "old"), "new");
    form->DBVer = 8;
    EXPECT_EQ(form->VerStr(9, "new", "old"), "old");
}
