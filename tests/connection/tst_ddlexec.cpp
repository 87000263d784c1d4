#include "connection/fddlexec.h"
#include "connection/fddlpreview.h"
#include "connection/fobject_sql.h"
#include "core/dsqlserver.h"
#include "editorcontrol/edfountain.h"
#include "sqleditor/zkmemo.h"
#include "testhelpers.h"

#include "controls/zkstdctl.h"
#include "core/zkoption.h"
#include "platform/rtl/exceptions.h"
#include "tds/tdsserver.h"

#include <QFile>
#include <QMainWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// Every batch the log window would send, empty batches left out.
QList<QStringList> ddlBatches(const QStringList &script)
{
    QStringList lines = SplitDDLLines(script);
    QList<QStringList> batches;
    while (!lines.isEmpty()) {
        const QStringList batch = TakeDDLBatch(lines);
        if (!batch.isEmpty())
            batches << batch;
    }
    return batches;
}

} // namespace

TEST(DDLBatches, SplitRulesBesideTheSQLWindows)
{
    struct Case
    {
        const char *name;
        QStringList script;
        QList<QStringList> batches;
        int sqlWindowBatches; // what the connection window's script runner makes of it
    };
    const QList<Case> cases = {
        {"Go and GO end batches",
         {"create table t1 (a int)", "Go", "select 1", "GO", "select 2"},
         {{"create table t1 (a int)"}, {"select 1"}, {"select 2"}},
         3},
        {"blanks around go keep it in its batch",
         {"select 1", " go", "select 2", "go "},
         {{"select 1", " go", "select 2", "go "}},
         2},
        {"entries with CR LF are lines", {"use [db]\r\ngo\r\nselect ':x'", "go"}, {{"use [db]"}, {"select ':x'"}}, 2},
        {"a trailing go and an empty line send the empty batch", {"select 1", "go", ""}, {{"select 1"}, {""}}, 1},
        {"an entry ending with CR LF adds an empty line", {"select 1\r\n"}, {{"select 1", ""}}, 1},
        {"empty batches are skipped", {"go", "GO", "select 1", "go", "go"}, {{"select 1"}}, 1},
        {"blank batches are sent", {"select 1", "go", "  ", "", "go"}, {{"select 1"}, {"  ", ""}}, 1},
        {"non-ASCII lower case is no go",
         {QStringLiteral("select 1"), QStringLiteral("GＯ")},
         {{QStringLiteral("select 1"), QStringLiteral("GＯ")}},
         1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ddlBatches(c.script), c.batches);
        EXPECT_EQ(SplitScriptBatches(SplitDDLLines(c.script)).size(), c.sqlWindowBatches);
    }
}

// --- Preview ------------------------------------------------------------------------------------

class DDLPreviewTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        saved = zkOption;
        zkOption.UseLowerName = false;
    }
    void TearDown() override
    {
        TfrmDDLPreview::SaveDialog = nullptr;
        zkOption = saved;
        ShownMainWindowTest::TearDown();
    }
    TzkOption saved;
};

TEST_F(DDLPreviewTest, ShowDDLOffRunsTheScriptAsGenerated)
{
    zkOption.ShowDDL = false;
    QStringList script{"create table t1 (a int)"};
    EXPECT_TRUE(TfrmDDLPreview::ShowWindow(script, "sales", "dbo", "t1"));
    EXPECT_EQ(script, QStringList{"create table t1 (a int)"});
}

TEST_F(DDLPreviewTest, DatabaseSwitchInFront)
{
    struct Case
    {
        const char *database;
        QStringList script;
        QStringList shown;
    };
    const QList<Case> cases = {
        {"sales-db",
         {"use [sales-db]", "go", "", "create table t1 (a int)"},
         {"use [sales-db]", "go", "create table t1 (a int)"}},
        {"sales", {"create table t1 (a int)"}, {"use sales", "go", "create table t1 (a int)"}},
        {"a]b", {"drop table t1"}, {"use [a]]b]", "go", "drop table t1"}},
        {"", {"create table t1 (a int)"}, {"create table t1 (a int)"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.database);
        EXPECT_EQ(DDLPreviewScript(c.script, c.database), c.shown);
    }
}

TEST_F(DDLPreviewTest, OKReturnsTheShownScriptCancelLeavesItUntouched)
{
    zkOption.ShowDDL = true;
    const QStringList original{"create table t1 (a int)"};
    QStringList script = original;
    QString caption;
    bool readOnly = false;
    bool hiddenBox = false;
    WhenModal([&](QWidget *w) {
        auto *form = qobject_cast<TfrmDDLPreview *>(w);
        ASSERT_TRUE(form);
        caption = form->windowTitle();
        readOnly = form->txtLog->ReadOnly();
        hiddenBox = form->chkModifySource->isHidden();
        form->btnOK->click();
    });
    EXPECT_TRUE(TfrmDDLPreview::ShowWindow(script, "sales", "dbo", "t1"));
    EXPECT_EQ(script, (QStringList{"use sales", "go", "create table t1 (a int)"}));
    EXPECT_EQ(caption, "dbo.t1 のコンパイル");
    EXPECT_TRUE(readOnly);
    EXPECT_TRUE(hiddenBox);

    script = original;
    WhenModal([](QWidget *w) { qobject_cast<TfrmDDLPreview *>(w)->btnCancel->click(); });
    EXPECT_FALSE(TfrmDDLPreview::ShowWindow(script, "sales", "dbo", "t1"));
    EXPECT_EQ(script, original);
}

TEST_F(DDLPreviewTest, CaptionsAndFileNames)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.path() + "/";
    EXPECT_EQ(DDLPreviewCaption("dbo", DDLScriptObjectName), "インデックスの断片化解消を実行");
    EXPECT_EQ(DDLPreviewCaption("dbo", "T1"), "dbo.T1 のコンパイル");
    EXPECT_EQ(DDLPreviewCaption("", "T1"), "T1 のコンパイル");
    EXPECT_EQ(DDLPreviewFileName(folder, "dbo", DDLScriptObjectName), folder + "dbo.script.sql");
    EXPECT_EQ(DDLPreviewFileName(folder, "", "T1"), folder + "T1.sql");
    EXPECT_EQ(DDLPreviewFileName(folder, "dbo", "T1"), folder + "dbo.T1.sql");
    QFile existing(folder + "dbo.T1.sql");
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    EXPECT_EQ(DDLPreviewFileName(folder, "dbo", "T1"), folder + "dbo.T101.sql");
    EXPECT_EQ(DDLSaveFileName(folder + "plan.txt"), folder + "plan.txt");
    EXPECT_EQ(DDLSaveFileName(folder + "plan.xyz"), folder + "plan.xyz.sql");
}

TEST_F(DDLPreviewTest, SaveWritesTheShownScript)
{
    zkOption.ShowDDL = true;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    zkOption.FileDir = dir.path();
    zkOption.Encoding = 2; // UTF-8
    QString suggested;
    TfrmDDLPreview::SaveDialog = [&](QWidget *, const QString &name) {
        suggested = name;
        return dir.path() + "/plan.xyz";
    };
    QStringList script{"create table t1 (a int)"};
    WhenModal([&](QWidget *w) {
        auto *form = qobject_cast<TfrmDDLPreview *>(w);
        ASSERT_TRUE(form);
        // "SQL文の保存が完了しました。"
        WhenModal(
            [](QWidget *box) {
                if (auto *b = box->findChild<QPushButton *>("OK"))
                    b->click();
                else
                    box->close();
            },
            form);
        form->btnSave->click();
        form->btnCancel->click();
    });
    EXPECT_FALSE(TfrmDDLPreview::ShowWindow(script, "sales", "dbo", DDLScriptObjectName));
    EXPECT_EQ(suggested, dir.path() + "/dbo.script.sql");
    QFile file(dir.path() + "/plan.xyz.sql");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\xEF\xBB\xBFuse sales\r\ngo\r\ncreate table t1 (a int)\r\n"));
}

// --- Execution ----------------------------------------------------------------------------------

class DDLExecTest : public ConnectionWindowTest
{
protected:
    void SetUp() override
    {
        ConnectionWindowTest::SetUp();
        rules("rule contains: create table t1\n  rowcount: 0\n"
              "rule contains: create view v1\n  rowcount: 0\n"
              "rule contains: bad batch\n"
              "  error: 102, 1, 15, 1, Incorrect syntax near 'bad'.\n"
              "  error: 319, 1, 16, 1, The previous statement must be terminated.\n"
              "rule regex: ^\\s*$\n  rowcount: 0\n");
        zkOption.CloseDDL = false;
        zkOption.AutoTran = false;
        window = logon();
        ASSERT_TRUE(window);
        script->ClearLog();
    }
    void TearDown() override
    {
        if (TfrmDDLExec *form = TfrmDDLExec::Current())
            delete form;
        ConnectionWindowTest::TearDown();
    }
    // Runs the script; true when the run ended inside ShowWindow.
    bool run(const QStringList &lines)
    {
        try {
            TfrmDDLExec::ShowWindow(window, lines);
            return true;
        } catch (const EAbort &) {
            return false;
        }
    }
    QStringList logOf() const { return TfrmDDLExec::Current()->LogLines(); }
    TfrmObject *window = nullptr;
};

TEST_F(DDLExecTest, CleanRunLogsEveryBatchAndSendsItAsWritten)
{
    EXPECT_TRUE(run({"use [SalesDB]\r\ngo", "create table t1 (a int)", "go", "create view v1 as select ':x' x"}));
    ASSERT_TRUE(TfrmDDLExec::Current());
    EXPECT_EQ(logOf(), (QStringList{"use [SalesDB]", "《正常終了》", "", "create table t1 (a int)", "《正常終了》", "",
                                    "create view v1 as select ':x' x", "《正常終了》", "",
                                    "スクリプト実行が完了しました。", "エラー: 0 件"}));
    EXPECT_EQ(sentByTheWindow(),
              (QStringList{"use [SalesDB]\r\n", "create table t1 (a int)\r\n", "create view v1 as select ':x' x\r\n"}));
    EXPECT_EQ(TfrmDDLExec::Current()->btnCancel->text(), "終了(&X)");
    EXPECT_FALSE(main->isEnabled());
    TfrmDDLExec::Current()->btnCancel->click();
    TfrmDDLExec::WaitProc();
    processEvents();
    EXPECT_FALSE(TfrmDDLExec::Current());
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(DDLExecTest, ErrorStopThenContinue)
{
    EXPECT_FALSE(run({"create table t1 (a int)", "go", "bad batch", "go", "create view v1 as select 1 x"}));
    TfrmDDLExec *form = TfrmDDLExec::Current();
    ASSERT_TRUE(form);
    EXPECT_EQ(logOf(), (QStringList{"create table t1 (a int)", "《正常終了》", "", "bad batch", "《エラー》",
                                    "Incorrect syntax near 'bad'.", "The previous statement must be terminated.", ""}));
    EXPECT_TRUE(form->btnOK->isEnabled());
    EXPECT_FALSE(form->EndProc());
    // A log, not a script: no bracket pairs to highlight.
    ASSERT_TRUE(form->txtLog->Fountain());
    EXPECT_EQ(form->txtLog->Fountain()->Brackets()->Count(), 0);
    EXPECT_EQ(TfrmDDLExec::ErrorCount(), 1);

    // A transaction open before: a resumed run does not settle it.
    window->dmSQLServer->Connection->StartTransaction();
    script->ClearLog();
    form->btnOK->click();
    EXPECT_EQ(logOf().mid(8), (QStringList{"create view v1 as select 1 x", "《正常終了》", "",
                                           "スクリプト実行が完了しました。", "エラー: 1 件"}));
    EXPECT_EQ(sentByTheWindow(), QStringList{"create view v1 as select 1 x\r\n"});
    EXPECT_TRUE(form->EndProc());
    form->btnCancel->click();
    TfrmDDLExec::WaitProc();
    EXPECT_EQ(TfrmDDLExec::ErrorCount(), 1);
}

TEST_F(DDLExecTest, UntickedErrorBoxRunsOnAndSettlesTheTransaction)
{
    window->dmSQLServer->Connection->StartTransaction();
    script->ClearLog();
    QTimer::singleShot(0, [] { TfrmDDLExec::Current()->chkErrorStop->setChecked(false); });
    EXPECT_TRUE(run({"create table t1 (a int)", "go", "bad batch", "go", "create view v1 as select 1 x", "go", ""}));
    EXPECT_EQ(logOf().mid(8), (QStringList{"create view v1 as select 1 x", "《正常終了》", "", "", "《正常終了》", "",
                                           "スクリプト実行が完了しました。", "エラー: 1 件"}));
    EXPECT_EQ(sentByTheWindow().mid(3), (QStringList{"\r\n", "COMMIT TRANSACTION"}));
    EXPECT_FALSE(window->dmSQLServer->Connection->InTransaction());
    EXPECT_TRUE(TfrmDDLExec::Current()->isVisible());
}

TEST_F(DDLExecTest, TransactionHandlingAfterACleanRun)
{
    struct Case
    {
        bool autoTran;
        bool open;
        QStringList after;
    };
    const QList<Case> cases = {
        {false, false, {}},
        {false, true, {"COMMIT TRANSACTION"}},
        {true, false, {"BEGIN TRANSACTION"}},
        {true, true, {"COMMIT TRANSACTION", "BEGIN TRANSACTION"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "AutoTran " << c.autoTran << " open " << c.open);
        zkOption.AutoTran = c.autoTran;
        TFDConnection *connection = window->dmSQLServer->Connection;
        if (connection->InTransaction())
            connection->Commit();
        if (c.open)
            connection->StartTransaction();
        script->ClearLog();
        EXPECT_TRUE(run({"create table t1 (a int)"}));
        EXPECT_EQ(sentByTheWindow().mid(1), c.after);
        TfrmDDLExec::Current()->close();
        TfrmDDLExec::WaitProc();
        processEvents();
    }
}

TEST_F(DDLExecTest, CloseDDLClosesACleanRunAndWaitProcReturnsAtOnce)
{
    zkOption.CloseDDL = true;
    EXPECT_TRUE(run({"create table t1 (a int)"}));
    TfrmDDLExec::WaitProc();
    processEvents();
    EXPECT_FALSE(TfrmDDLExec::Current());
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(TfrmDDLExec::ErrorCount(), 0);
}

TEST_F(DDLExecTest, CloseQuestionAfterAnErrorStop)
{
    EXPECT_FALSE(run({"bad batch", "go", "create table t1 (a int)"}));
    TfrmDDLExec *form = TfrmDDLExec::Current();
    ASSERT_TRUE(form);
    EXPECT_FALSE(form->isWindow() && form->parentWidget());
    EXPECT_TRUE(form->isEnabled());

    answer("No");
    form->btnCancel->click();
    processEvents();
    ASSERT_EQ(TfrmDDLExec::Current(), form);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(main->isEnabled());

    // The wait ends when the user says yes.
    QTimer::singleShot(0, [] {
        answer("Yes");
        TfrmDDLExec::Current()->btnCancel->click();
    });
    TfrmDDLExec::WaitProc();
    processEvents();
    EXPECT_FALSE(TfrmDDLExec::Current());
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(TfrmDDLExec::ErrorCount(), 1);
}

// --- Through the real driver ---------------------------------------------------------------

// The preview and the log window through unixODBC and the FreeTDS driver
// against the test server with the demo catalogue.
class DDLExecServerTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        saved = zkOption;
        zkOption.CloseDDL = false;
        zkOption.AutoTran = false;
        zkOption.ShowDDL = true;
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(
            server.loadRulesText(QStringLiteral("rule contains: create table t1\n  rowcount: 0\n"
                                                "rule contains: create view v1\n  rowcount: 0\n"
                                                "rule contains: bad batch\n"
                                                "  error: 102, 1, 15, 1, Incorrect syntax near 'bad'.\n"
                                                "  error: 319, 1, 16, 1, The previous statement must be terminated.\n"),
                                 QStringLiteral("inline"), &error))
            << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        window = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("demo"),
                                QStringLiteral("127.0.0.1,%1").arg(server.port()), 0xFFFFE0, false);
    }
    void TearDown() override
    {
        if (TfrmDDLExec *form = TfrmDDLExec::Current())
            delete form;
        main.reset();
        zkOption = saved;
        ShownMainWindowTest::TearDown();
    }
    // Preview (OK), then the log window, as an editor's compile does.
    bool compile(QStringList script, const QString &database)
    {
        WhenModal([](QWidget *w) { qobject_cast<TfrmDDLPreview *>(w)->btnOK->click(); });
        if (!TfrmDDLPreview::ShowWindow(script, database, QStringLiteral("dbo"), QStringLiteral("v1")))
            return false;
        server.clearLog();
        try {
            TfrmDDLExec::ShowWindow(window, script);
            return true;
        } catch (const EAbort &) {
            return false;
        }
    }
    // Plain batches as the server received them.
    QStringList batches() const
    {
        QStringList out;
        for (const TdsLogEntry &e : server.log())
            if (e.kind == TdsLogEntry::Batch)
                out << e.text;
            else if (e.kind == TdsLogEntry::Rpc)
                out << QStringLiteral("rpc: ") + e.text;
        return out;
    }

    TdsServer server;
    TfrmObject *window = nullptr;
    TzkOption saved;
};

TEST_F(DDLExecServerTest, APreviewedScriptArrivesAsTheUseLineThenItsBatchesUnchanged)
{
    EXPECT_TRUE(compile({"create table t1 (a int)", "go", "create view v1 as select ':x' x, a from t1"},
                        QStringLiteral("Sales DB")));
    EXPECT_EQ(batches(), (QStringList{"use [Sales DB]\r\n", "create table t1 (a int)\r\n",
                                      "create view v1 as select ':x' x, a from t1\r\n"}));
    EXPECT_EQ(TfrmDDLExec::Current()->LogLines().mid(9),
              (QStringList{"スクリプト実行が完了しました。", "エラー: 0 件"}));
}

TEST_F(DDLExecServerTest, AnErrorBatchLogsEveryErrorRecord)
{
    EXPECT_FALSE(compile({"bad batch", "go", "create table t1 (a int)"}, QString()));
    EXPECT_EQ(TfrmDDLExec::Current()->LogLines(),
              (QStringList{"bad batch", "《エラー》", "Incorrect syntax near 'bad'.",
                           "The previous statement must be terminated.", ""}));
    // A picture of the stopped log when ZK_SCREENSHOT_DIR is set.
    if (qEnvironmentVariableIsSet("ZK_SCREENSHOT_DIR")) {
        QTest::qWait(200);
        TfrmDDLExec::Current()->grab().save(qEnvironmentVariable("ZK_SCREENSHOT_DIR") + QStringLiteral("/ddlexec.png"));
    }
    EXPECT_EQ(batches(), QStringList{"bad batch\r\n"});
    EXPECT_EQ(TfrmDDLExec::ErrorCount(), 1);
}
