// The SQL window's main road through unixODBC and the FreeTDS driver against
// the test server with the demo catalogue.
#include "answermessage.h"
#include "connection/testhelpers.h"

#include "controls/rdata.h"
#include "controls/zkgrid.h"
#include "sqleditor/zkmemo.h"
#include "sqlwindow/fsql.h"
#include "pickerfixture.h"
#include "tds/tdsserver.h"

#include <QMdiSubWindow>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

class SqlWindowServerTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.loadRulesText(QStringLiteral("rule contains: insert into t values\n  rowcount: 3\n"
                                                        "rule contains: select a from t\n"
                                                        "  result: a int\n  row: 1\n  row: 2\n"
                                                        "rule contains: output inserted.a\n"
                                                        "  result: a int\n  row: 9\n"
                                                        "rule contains: raiserror\n"
                                                        "  error: 50000, 1, 16, 1, 失敗しました\n"
                                                        "rule contains: where name = \n"
                                                        "  result: name nvarchar(20)\n  row: N'値'\n"),
                                         QStringLiteral("inline"), &error))
            << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        owner = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("demo"),
                               QStringLiteral("127.0.0.1,%1").arg(server.port()), 0xFFFFE0, false);
        window = new TfrmSQL(owner);
    }
    void TearDown() override
    {
        main.reset();
        ShownMainWindowTest::TearDown();
    }
    void run(const QString &text)
    {
        window->fraMemo->txtSQL->Lines()->SetTextStr(text);
        server.clearLog();
        window->actExecExecute();
    }
    QStringList batches() const
    {
        QStringList out;
        for (const TdsLogEntry &e : server.log())
            if (e.kind == TdsLogEntry::Batch || e.kind == TdsLogEntry::Rpc)
                out << e.text + (e.params.isEmpty() ? QString() : QStringLiteral(" | ") + e.params);
        return out;
    }
    QStringList tabs() const
    {
        QStringList t;
        for (int i = 0; i < window->pagData->count(); ++i)
            t << window->pagData->tabText(i);
        return t;
    }

    TdsServer server;
    TfrmObject *owner = nullptr;
    TfrmSQL *window = nullptr;
};

TEST_F(SqlWindowServerTest, ActionQueryAndOutputRowsEachRunOnce)
{
    QString message;
    AnswerNextMessage(&message);
    run(QStringLiteral("insert into t values (1)\r\ngo\r\nselect a from t"));
    QStringList sent = batches();
    ASSERT_GE(sent.size(), 3) << sent.join('\n').toStdString();
    EXPECT_TRUE(sent.at(0).startsWith(QStringLiteral("use [SalesDB]"))) << sent.at(0).toStdString();
    EXPECT_EQ(sent.filter(QStringLiteral("insert into t")).size(), 1);
    EXPECT_EQ(sent.filter(QStringLiteral("select a from t")).size(), 1);
    EXPECT_TRUE(message.startsWith(QStringLiteral(" SQLを実行しました。\n(対象：3 レコード )")))
        << message.toStdString();
    EXPECT_EQ(tabs(), QStringList{QStringLiteral("結果")});
    EXPECT_EQ(window->fraData->qryData->RecordCount(), 2);

    // Rows of a statement that is no query are shown, and it runs once.
    run(QStringLiteral("update t set a = 9 output inserted.a"));
    sent = batches();
    EXPECT_EQ(sent.filter(QStringLiteral("output inserted.a")).size(), 1) << sent.join('\n').toStdString();
    EXPECT_EQ(window->fraData->qryData->RecordCount(), 1);
    EXPECT_FALSE(window->pagData->isHidden());

    // Two queries: two tabs.
    run(QStringLiteral("select a from t\r\ngo\r\nupdate t set a = 9 output inserted.a"));
    EXPECT_EQ(tabs(), (QStringList{QStringLiteral("結果"), QStringLiteral("結果2")}));
    ASSERT_EQ(window->fraDatas.size(), 2);
    EXPECT_EQ(window->fraDatas.at(1)->objectName(), "fraData1");
}

TEST_F(SqlWindowServerTest, AServerErrorIsReportedWithItsText)
{
    QString message;
    AnswerNextMessage(&message);
    run(QStringLiteral("select 1; raiserror('x', 16, 1)"));
    EXPECT_TRUE(message.contains(QStringLiteral("失敗しました"))) << message.toStdString();
    EXPECT_FALSE(message.contains(QStringLiteral("[FreeTDS]"))) << message.toStdString();
}

TEST_F(SqlWindowServerTest, ABindVariableReachesTheServerAsAWideString)
{
    run(QStringLiteral("select name from t where name = :name"));
    EXPECT_TRUE(batches().filter(QStringLiteral("where name")).isEmpty());
    window->grdParam->SetCells(1, 1, QStringLiteral("値"));
    run(QStringLiteral("select name from t where name = :name"));
    const QStringList sent = batches().filter(QStringLiteral("where name"));
    ASSERT_EQ(sent.size(), 1) << batches().join('\n').toStdString();
    EXPECT_TRUE(sent.at(0).contains(QStringLiteral("N'値'"))) << sent.at(0).toStdString();
    EXPECT_EQ(window->fraData->qryData->RecordCount(), 1);
}

TEST_F(SqlWindowServerTest, TwoResultTabsAndTheBindGridTogether)
{
    window->MDIFrame()->showMaximized();
    run(QStringLiteral("-- 売上の一覧と更新\r\nselect a from t\r\ngo\r\nupdate t set a = 9 output inserted.a\r\n"
                       "go\r\nselect name from t where name = :name"));
    EXPECT_EQ(tabs(), (QStringList{QStringLiteral("結果"), QStringLiteral("結果2")}));
    EXPECT_FALSE(window->grdParam->isHidden());
    EXPECT_FALSE(window->pagData->isHidden());
    EXPECT_TRUE(batches().filter(QStringLiteral("where name")).isEmpty());
    window->grdParam->SetCells(1, 1, QStringLiteral("東京"));
    SaveScreenshot(main.get(), QStringLiteral("fsql_tds"));
}

} // namespace
