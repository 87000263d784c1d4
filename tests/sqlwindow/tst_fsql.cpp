// The SQL window on the scripted backend with the demo catalogue: batches,
// result tabs, reports and errors.
#include "connection/testhelpers.h"

#include "controls/rdata.h"
#include "core/zkstsbar.h"
#include "sqleditor/zkmemo.h"
#include "sqlwindow/fsql.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Answers the next modal message with OK, ticking its check box when asked,
// and keeps its text.
void AnswerNextMessage(QString *text, bool tick = false)
{
    auto *timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, text, tick] {
        QWidget *w = QApplication::activeModalWidget();
        if ((!w || !w->isVisible()) && ++*ticks < 400)
            return;
        timer->stop();
        timer->deleteLater();
        auto *dialog = qobject_cast<QDialog *>(w);
        if (!dialog)
            return;
        QStringList labels;
        for (const QLabel *l : dialog->findChildren<QLabel *>())
            if (!l->text().isEmpty())
                labels.append(l->text());
        for (QCheckBox *box : dialog->findChildren<QCheckBox *>()) {
            labels.append(QStringLiteral("[") + box->text() + QStringLiteral("]"));
            if (tick)
                box->setChecked(true);
        }
        if (text)
            *text = labels.join(QLatin1Char('|'));
        dialog->done(1);
    });
    timer->start();
}

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

} // namespace
