// The SQL window on the scripted backend with the demo catalogue: batches,
// result tabs, reports and errors.
#include "connection/testhelpers.h"
#include "answermessage.h"

#include "controls/fcsvsql.h"
#include "controls/rdata.h"
#include "controls/zkstdctl.h"
#include "core/modal.h"
#include "controls/zkgrid.h"
#include "core/zkoption.h"
#include "core/zkstsbar.h"
#include "core/zksub.h"
#include "core/zksqllog.h"
#include "platform/encoding/textencoding.h"
#include "sqleditor/zkmemo.h"
#include "sqlwindow/fsql.h"
#include "sqlwindow/rexplan.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QFile>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class SqlWindowTest : public ConnectionWindowTest
{
protected:
    TfrmSQL *open()
    {
        owner = logon();
        return new TfrmSQL(owner);
    }
    void run(TfrmSQL *w, const char *text)
    {
        w->fraMemo->txtSQL->Lines()->SetTextStr(QString::fromUtf8(text));
        script->ClearLog();
        w->actExecExecute();
    }
    QStringList tabs(TfrmSQL *w) const
    {
        QStringList t;
        for (int i = 0; i < w->pagData->count(); ++i)
            t.append(w->pagData->tabText(i));
        return t;
    }
    TfrmObject *owner = nullptr;
};

TEST_F(SqlWindowTest, CreationBindsTheConnectionAndItsDatabases)
{
    TfrmSQL *w = open();
    EXPECT_TRUE(w->windowTitle().startsWith(QStringLiteral("SQL 実行 - "))) << w->windowTitle().toStdString();
    EXPECT_GT(w->cmbDatabase->count(), 0);
    EXPECT_EQ(w->cmbDatabase->currentText(), "SalesDB");
    EXPECT_TRUE(w->cmbDatabase->isEnabled());
    EXPECT_EQ(w->fraData->TableName(), "SQL");
    EXPECT_EQ(w->FLog, -1);
    EXPECT_FALSE(w->pagData->isVisible());

    // No database switch on Azure SQL Database.
    owner->IsAzure = true;
    w->cmbConnectionSelect();
    EXPECT_FALSE(w->cmbDatabase->isEnabled());
    owner->IsAzure = false;
}

TEST_F(SqlWindowTest, ActionBatchReportsItsCountAndTheQueryTakesTheFirstTab)
{
    rules("rule exact: insert into t values (1)\r\n\r\n  rowcount: 3\n"
          "rule exact: select a from t\r\n\r\n  result: a int\n  row: 1\n  row: 2\n");
    TfrmSQL *w = open();
    QString message;
    AnswerNextMessage(&message);
    run(w, "insert into t values (1)\r\ngo\r\nselect a from t");
    const QStringList sent = script->Statements();
    ASSERT_GE(sent.size(), 3) << sent.join('\n').toStdString();
    EXPECT_TRUE(sent.at(0).startsWith(QStringLiteral("use [SalesDB]"))) << sent.at(0).toStdString();
    EXPECT_EQ(sent.count(QStringLiteral("insert into t values (1)\r\n")), 1);
    EXPECT_EQ(sent.count(QStringLiteral("select a from t\r\n")), 1);
    EXPECT_TRUE(message.contains(QStringLiteral(" SQLを実行しました。\n(対象：3 レコード )"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("[以降の結果ダイアログを表示しない]"))) << message.toStdString();
    EXPECT_EQ(tabs(w), QStringList{QStringLiteral("結果")});
    EXPECT_EQ(w->fraData->qryData->RecordCount(), 2);
    EXPECT_TRUE(w->pagData->isVisible());
    EXPECT_TRUE(main->stsMain()->PanelText(2).startsWith(QStringLiteral("処理時間(HH:MM:SS.Ms)：00:00:")));
}

TEST_F(SqlWindowTest, TwoQueriesGiveTwoTabsAndATakenNameIsSkipped)
{
    rules("rule contains: select 2\n  result: b int\n  row: 2\n");
    TfrmSQL *w = open();
    auto *other = new TfraData(owner, nullptr);
    other->setObjectName(QStringLiteral("fraData1"));
    run(w, "select 1\r\nGO\r\nselect 2");
    EXPECT_EQ(tabs(w), (QStringList{QStringLiteral("結果"), QStringLiteral("結果2")}));
    ASSERT_EQ(w->fraDatas.size(), 2);
    EXPECT_EQ(w->fraDatas.at(1)->objectName(), "fraData2");
    EXPECT_EQ(w->fraDatas.at(1)->qryData->RecordCount(), 1);

    // The next run frees the run-time frame and its tab.
    QPointer<TfraData> second = w->fraDatas.at(1).data();
    run(w, "select 1");
    EXPECT_TRUE(second.isNull());
    EXPECT_EQ(tabs(w), QStringList{QStringLiteral("結果")});
    delete other;
}

TEST_F(SqlWindowTest, AnErrorStopsTheRunUnlessContinueIsTicked)
{
    rules("rule contains: update broken\n  error: 208, 1, 16, 1, Invalid object name 'broken'.\n"
          "rule contains: update fine\n  rowcount: 0\n");
    TfrmSQL *w = open();
    QString message;
    AnswerNextMessage(&message);
    run(w, "select 1\r\ngo\r\nupdate broken set a = 1\r\ngo\r\nupdate fine set a = 1");
    EXPECT_TRUE(message.contains(QStringLiteral("Invalid object name 'broken'."))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("[処理を続行する]"))) << message.toStdString();
    EXPECT_FALSE(script->Statements().join('\n').contains(QStringLiteral("update fine")));

    QString report;
    AnswerNextMessage(&message, true);
    QTimer::singleShot(300, [&report] { AnswerNextMessage(&report); });
    run(w, "select 1\r\ngo\r\nupdate broken set a = 1\r\ngo\r\nupdate fine set a = 1");
    EXPECT_TRUE(script->Statements().join('\n').contains(QStringLiteral("update fine")));
    // No row touched: no count, and no later batch to silence.
    EXPECT_EQ(report, QStringLiteral(" SQLを実行しました。"));
}

TEST_F(SqlWindowTest, OnlyGoLinesRunNothingAndMarkersWaitForValues)
{
    TfrmSQL *w = open();
    run(w, "go\r\n\r\nGO");
    for (const QString &s : script->Statements())
        EXPECT_TRUE(s.startsWith(QStringLiteral("use "))) << s.toStdString();
    EXPECT_FALSE(w->pagData->isVisible());

    run(w, "select * from t where id = :id");
    for (const QString &s : script->Statements())
        EXPECT_FALSE(s.contains(QStringLiteral("where id"))) << s.toStdString();
    EXPECT_EQ(main->stsMain()->PanelText(2), QStringLiteral("バインド変数値を入力して下さい。"));
}

TEST_F(SqlWindowTest, MarkersFillTheGridFirstAndBindTheTypedValuesOnTheNextRun)
{
    rules("rule contains: where id = \n  result: a int\n  row: 7\n");
    TfrmSQL *w = open();
    run(w, "select a from t where id = :id");
    ASSERT_FALSE(w->grdParam->isHidden());
    EXPECT_EQ(w->grdParam->RowCount(), 2);
    EXPECT_EQ(w->grdParam->Header(), (QStringList{QStringLiteral("バインド変数名"), QStringLiteral("値")}));
    EXPECT_EQ(w->grdParam->Cells(0, 1), "id");
    EXPECT_EQ(w->grdParam->Cells(1, 1), "");
    EXPECT_FALSE(script->LogLines().join('\n').contains(QStringLiteral("where id")));

    // A long value takes its own length + 1 as size; the server sees it as
    // a wide string.
    const QString value = QStringLiteral("値") + QString(260, QLatin1Char('x'));
    w->grdParam->SetCells(1, 1, value);
    run(w, "select a from t where id = :id");
    const QString log = script->LogLines().join('\n');
    EXPECT_TRUE(log.contains(QStringLiteral("N'") + value + QStringLiteral("'"))) << log.toStdString();
    EXPECT_EQ(w->fraData->qryData->RecordCount(), 1);
    EXPECT_EQ(w->fraData->qryData->Params()[0].Size(), value.size() + 1);

    // Another name clears its value and asks again; a text without markers
    // hides the grid.
    run(w, "select a from t where id = :other");
    EXPECT_EQ(w->grdParam->Cells(0, 1), "other");
    EXPECT_EQ(w->grdParam->Cells(1, 1), "");
    EXPECT_EQ(main->stsMain()->PanelText(2), QStringLiteral("バインド変数値を入力して下さい。"));
    run(w, "select 1");
    EXPECT_TRUE(w->grdParam->isHidden());
}

TEST_F(SqlWindowTest, HistoryNavigationMovesOverTheEntries)
{
    QTemporaryDir temp;
    zkOption.TempDir = temp.path() + QLatin1Char('/');
    zkOption.SQLBuf = 10;
    SQLLogList.clear();
    SQLLogFList.clear();
    rules("rule contains: select '\n  result: a varchar(10)\n  row: 'x'\n");
    TfrmSQL *w = open();
    for (const char *text : {"select 'first'", "select 'second'"}) {
        w->fraMemo->txtSQL->Lines()->SetTextStr(QString::fromUtf8(text));
        w->fraMemo->txtSQL->SetModified(true);
        w->actExecExecute();
    }
    EXPECT_EQ(w->FLog, 0);
    ASSERT_EQ(SQLLogList.size(), 2);

    w->actPrevExecute();
    EXPECT_EQ(w->FLog, 1);
    EXPECT_EQ(w->fraMemo->txtSQL->Lines()->GetTextStr(), QStringLiteral("select 'first'\r\n"));
    w->actPrevExecute(); // the oldest: nothing
    EXPECT_EQ(w->FLog, 1);
    EXPECT_EQ(w->fraMemo->txtSQL->Lines()->GetTextStr(), QStringLiteral("select 'first'\r\n"));
    w->actNextExecute();
    EXPECT_EQ(w->FLog, 0);
    EXPECT_EQ(w->fraMemo->txtSQL->Lines()->GetTextStr(), QStringLiteral("select 'second'\r\n"));
    w->actNextExecute(); // past the newest: an empty editor
    EXPECT_EQ(w->FLog, -1);
    EXPECT_EQ(w->fraMemo->txtSQL->Lines()->GetTextStr(), QString());
    w->actNextExecute();
    EXPECT_EQ(w->FLog, -1);
    EXPECT_FALSE(w->fraMemo->txtSQL->Modified());

    // Running the text shown again records nothing new.
    w->actPrevExecute();
    w->actExecExecute();
    EXPECT_EQ(SQLLogList.size(), 2);
    SQLLogList.clear();
}

TEST_F(SqlWindowTest, OpenedFilesAreReadInNameOrderWithoutRegardToCase)
{
    QTemporaryDir temp;
    const QString b = temp.filePath(QStringLiteral("b.sql"));
    const QString a = temp.filePath(QStringLiteral("A.sql"));
    WriteTextFile(b, QStringLiteral("select 'b'\r\n"), TEncoding::GetUTF8(), false);
    WriteTextFile(a, QStringLiteral("select 'あ'\r\n"), TEncoding::GetUTF8(), false);
    TfrmSQL *w = open();
    TfraMemo::TFileDialog saved = TfraMemo::FileDialog;
    TfraMemo::FileDialog = [&](QWidget *, const TfraMemo::TFileDialogRequest &request, QStringList &files, int &) {
        EXPECT_FALSE(request.Save);
        EXPECT_TRUE(request.Filter.startsWith(QStringLiteral("SQLファイル(*.sql)|*.sql|")));
        files = {b, a};
        return true;
    };
    w->actOpenExecute();
    TfraMemo::FileDialog = saved;
    EXPECT_EQ(w->fraMemo->txtSQL->Lines()->GetTextStr(), QStringLiteral("select 'あ'\r\nselect 'b'\r\n"));
    EXPECT_EQ(w->FLog, -1);
}

TEST_F(SqlWindowTest, PlanModeShowsThePlanOfTheFirstStatementOnly)
{
    TfrmSQL *w = open();
    w->btnExplan->setChecked(true);
    w->btnExplanClick();
    EXPECT_FALSE(w->pagExplan->isHidden());
    EXPECT_TRUE(w->pagData->isHidden());
    AnswerNextMessage(nullptr);
    run(w, "select 1; select 2\r\n/\r\nselect 3");
    const QStringList sent = script->Statements();
    EXPECT_TRUE(sent.join('\n').contains(QStringLiteral("select 1"))) << sent.join('\n').toStdString();
    for (const QString &s : sent) {
        EXPECT_FALSE(s.contains(QStringLiteral("select 2"))) << s.toStdString();
        EXPECT_FALSE(s.contains(QStringLiteral("select 3"))) << s.toStdString();
    }
    EXPECT_TRUE(w->fraExplan->SQL().startsWith(QStringLiteral("select 1"))) << w->fraExplan->SQL().toStdString();
    EXPECT_FALSE(w->pagExplan->isHidden());
    EXPECT_TRUE(main->stsMain()->PanelText(2).startsWith(QStringLiteral("処理時間(HH:MM:SS.Ms)：")));
}

TEST_F(SqlWindowTest, ResultAreaToggleAndTheWindowMenu)
{
    TfrmSQL *w = open();
    EXPECT_TRUE(w->pagData->isHidden());
    w->actHideResultExecute();
    EXPECT_FALSE(w->pagData->isHidden());
    EXPECT_GT(w->pagData->height(), 30);
    w->actHideResultExecute();
    EXPECT_TRUE(w->pagData->isHidden());

    ASSERT_EQ(w->ChildMenu(), w->mnuTool);
    EXPECT_EQ(w->mnuTool->title(), QStringLiteral("SQL実行(&O)"));
    QStringList items;
    for (QAction *a : w->mnuTool->actions())
        items << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    EXPECT_EQ(items, (QStringList{"actExec", "-", "actPrev", "actNext", "actLog", "-", "actOpen"}));
    EXPECT_EQ(w->btnExec->statusTip(),
              QStringLiteral("入力したSQL文を実行します。複数のSQLを実行する場合は'go'のみの行で区切ります。"));
    EXPECT_EQ(w->btnNext->statusTip(), QStringLiteral("次の履歴を表示します。"));
    EXPECT_EQ(w->actNext->statusTip(), QStringLiteral("前の履歴を表示します。"));
}

TEST_F(SqlWindowTest, ARefreshedCsvExportRunsOnlyItsFrameAgain)
{
    rules("rule contains: insert into t\n  rowcount: 3\n"
          "rule contains: select a from t\n  result: a int\n  row: 1\n"
          "rule contains: select b from u\n  result: b int\n  row: 2\n");
    zkOption.Encoding = 2;
    zkOption.CSVQuotation = 2;
    zkOption.CSVHeader = true;
    TfrmSQL *w = open();
    AnswerNextMessage(nullptr);
    run(w, "insert into t values (1)\r\ngo\r\nselect a from t\r\ngo\r\nselect b from u");
    ASSERT_EQ(tabs(w).size(), 2);
    QTemporaryDir dir;
    // The window's own frame and a frame of the connection window.
    const struct
    {
        TfraData *frame;
        QString again;
        QString other;
        QByteArray csv;
    } cases[] = {{w->fraData, "select a from t\r\n", "select b from u\r\n", "\"a\"\r\n1\r\n"},
                 {w->fraDatas.last().data(), "select b from u\r\n", "select a from t\r\n", "\"b\"\r\n2\r\n"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.frame->objectName().toStdString());
        script->ClearLog();
        const QString file = dir.filePath(c.frame->objectName() + QStringLiteral(".csv"));
        ModalScript modal({[&](QWidget *d) {
                               auto *form = qobject_cast<TfrmCSVSQL *>(d);
                               ASSERT_TRUE(form);
                               form->txtSaveFile->setText(file);
                               form->chkRefresh->setChecked(true);
                               Click(form->btnOk);
                           },
                           [](QWidget *d) { qobject_cast<QDialog *>(d)->done(IDOK); }});
        c.frame->btnCSVClick();
        EXPECT_EQ(modal.Done(), 2);
        const QStringList sent = sentByTheWindow();
        EXPECT_EQ(sent.count(c.again), 1) << sent.join('\n').toStdString();
        EXPECT_EQ(sent.count(c.other), 0);
        EXPECT_FALSE(sent.join('\n').contains("insert into t")) << "the editor's insert runs once only";
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), c.csv);
    }
}

} // namespace

TEST_F(SqlWindowTest, F5InTheEditorRunsTheSqlOnlyWhenTheRunIsEnabled)
{
    TfrmSQL *w = open();
    main->MenuUpdate();
    main->activateWindow();
    processEvents();
    TzkMemo *editor = w->fraMemo->txtSQL;
    editor->setFocus();
    processEvents();
    ASSERT_EQ(QApplication::focusWidget(), editor);

    // An empty editor: the run is disabled and nothing else happens.
    script->ClearLog();
    QTest::keyClick(editor, Qt::Key_F5);
    processEvents();
    EXPECT_TRUE(script->Statements().isEmpty()) << script->Statements().join('\n').toStdString();

    editor->Lines()->SetTextStr(QStringLiteral("select 1"));
    QTest::keyClick(editor, Qt::Key_F5);
    processEvents();
    EXPECT_TRUE(script->Statements().join('\n').contains(QStringLiteral("select 1")));
}
