#include "connection/testhelpers.h"

#include "core/dsqlserver.h"
#include "core/zkstsbar.h"
#include "platform/db/db.h"
#include "tds/tdsserver.h"

#include <QAction>

// Commit and roll back through the real driver against the test server.

namespace {

class TransactionServerTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        saved = zkOption;
        zkOption.AutoTran = true;
        zkOption.KeepAliveEnabled = false;
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
        form = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("demo"),
                              QStringLiteral("127.0.0.1,%1").arg(server.port()), clBtnFace, false);
    }
    void TearDown() override
    {
        main.reset();
        zkOption = saved;
        ShownMainWindowTest::TearDown();
    }
    QStringList transactionLog() const
    {
        QStringList out;
        for (const TdsLogEntry &e : server.log())
            if (e.kind == TdsLogEntry::Transaction
                || (e.kind == TdsLogEntry::Batch && e.text.contains(QLatin1String("TRANSACTION"))))
                out << e.text;
        return out;
    }
    QString status() const { return main->stsMain()->PanelText(2); }

    TdsServer server;
    TzkOption saved;
    TfrmObject *form = nullptr;
};

} // namespace

TEST_F(TransactionServerTest, CommitAndRollBackReachTheServer)
{
    ASSERT_TRUE(form->dmSQLServer->Connection->InTransaction());
    for (const char *action : {"actDBCommit", "actDBRollback"}) {
        SCOPED_TRACE(action);
        server.clearLog();
        main->Action(QLatin1String(action))->trigger();
        const QString verb = QLatin1String(action) == QLatin1String("actDBCommit") ? "COMMIT" : "ROLLBACK";
        EXPECT_EQ(transactionLog(), (QStringList{verb + " TRANSACTION", "BEGIN TRANSACTION"}));
        EXPECT_EQ(status(), QStringLiteral(
                                "現行データベース [ zkdemo @ 127.0.0.1,%1.SalesDB ] のトランザクションを %2 しました。")
                                .arg(server.port())
                                .arg(verb));
    }
    EXPECT_TRUE(ShownExceptions().isEmpty()) << ShownExceptions().join('\n').toStdString();
}

TEST_F(TransactionServerTest, ACommitOnADroppedLinkShowsTheErrorAndNoSuccess)
{
    main->stsMain()->SetPanelText(2, QStringLiteral("before"));
    server.dropConnections();
    main->Action(QStringLiteral("actDBCommit"))->trigger();
    ASSERT_EQ(ShownExceptions().size(), 1);
    EXPECT_FALSE(ShownExceptions().first().isEmpty());
    EXPECT_EQ(status(), QStringLiteral("before"));
}
