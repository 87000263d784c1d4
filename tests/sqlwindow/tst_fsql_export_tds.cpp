// The SQL window through unixODBC and the FreeTDS driver against the test
// server: what a refresh before an export sends again.
#include "connection/testhelpers.h"

#include "controls/fcsvsql.h"
#include "controls/rdata.h"
#include "controls/zkstdctl.h"
#include "core/modal.h"
#include "sqleditor/zkmemo.h"
#include "sqlwindow/fsql.h"
#include "tds/tdsserver.h"

#include <QDialog>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SqlWindowExportServerTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        saved = zkOption;
        zkOption.UpdateMode = false;
        zkOption.Encoding = 2;
        zkOption.CSVQuotation = 2;
        zkOption.CSVHeader = true;
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(
            server.loadRulesText(QStringLiteral("rule contains: insert into zk_t\n  rowcount: 3\n"
                                                "rule contains: select a from zk_t\n  result: a int\n  row: 1\n"
                                                "rule contains: select b from zk_u\n  result: b int\n  row: 2\n"),
                                 QStringLiteral("inline"), &error))
            << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        form = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("demo"),
                              QStringLiteral("127.0.0.1,%1").arg(server.port()), 0xFFFFE0, false);
    }
    void TearDown() override
    {
        main.reset();
        zkOption = saved;
        ShownMainWindowTest::TearDown();
    }
    // How often the server was sent a batch holding this text.
    int sent(const QString &text) const
    {
        int n = 0;
        for (const QString &s : server.statements())
            n += s.contains(text, Qt::CaseInsensitive) ? 1 : 0;
        return n;
    }

    TdsServer server;
    TfrmObject *form = nullptr;
    TzkOption saved;
};

TEST_F(SqlWindowExportServerTest, ARefreshedCsvExportRunsOnlyItsSelectAgain)
{
    auto *w = new TfrmSQL(form);
    w->fraMemo->txtSQL->Lines()->SetTextStr(
        QStringLiteral("insert into zk_t values (1)\r\ngo\r\nselect a from zk_t\r\ngo\r\nselect b from zk_u"));
    {
        ModalScript report({[](QWidget *d) { qobject_cast<QDialog *>(d)->done(IDOK); }});
        w->actExecExecute();
    }
    ASSERT_EQ(w->pagData->count(), 2);
    QTemporaryDir dir;
    const struct
    {
        TfraData *frame;
        QString again;
        QString other;
        QByteArray csv;
    } cases[] = {{w->fraData, "select a from zk_t", "select b from zk_u", "\"a\"\r\n1\r\n"},
                 {w->fraDatas.last().data(), "select b from zk_u", "select a from zk_t", "\"b\"\r\n2\r\n"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.again.toStdString());
        server.clearLog();
        const QString file = dir.filePath(QStringLiteral("x.csv"));
        QFile::remove(file);
        ModalScript modal({[&](QWidget *d) {
                               auto *csv = qobject_cast<TfrmCSVSQL *>(d);
                               ASSERT_TRUE(csv);
                               csv->txtSaveFile->setText(file);
                               csv->chkRefresh->setChecked(true);
                               Click(csv->btnOk);
                           },
                           [](QWidget *d) { qobject_cast<QDialog *>(d)->done(IDOK); }});
        c.frame->btnCSVClick();
        EXPECT_EQ(modal.Done(), 2);
        EXPECT_EQ(sent(c.again), 1) << server.statements().join('\n').toStdString();
        EXPECT_EQ(sent(c.other), 0);
        EXPECT_EQ(sent(QStringLiteral("insert into zk_t")), 0) << "the editor's insert runs once only";
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), c.csv);
    }
}

} // namespace
