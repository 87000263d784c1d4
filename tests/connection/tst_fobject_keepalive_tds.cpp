#include "testhelpers.h"

#include "connection/fobject.h"
#include "core/dsqlserver.h"
#include "core/modal.h"
#include "core/zkoption.h"
#include "platform/db/db.h"
#include "tds/tdsserver.h"

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

// A connection lost while idle, through the real driver against the test
// server, which drops every link on cue.

namespace {

class KeepAliveServerTest : public ShownMainWindowTest
{
protected:
    void SetUp() override
    {
        ShownMainWindowTest::SetUp();
        saved = zkOption;
        zkOption.KeepAliveEnabled = true;
        zkOption.KeepAliveInterval = 180;
        zkOption.KeepAliveInvalidStandby = false;
        zkOption.AutoTran = false;
        QString error;
        ASSERT_TRUE(server.loadRules(ZK_FIXTURES_DIR "/demo.rules", &error)) << error.toStdString();
        ASSERT_TRUE(server.start(0, &error)) << error.toStdString();
    }
    void TearDown() override
    {
        main.reset();
        zkOption = saved;
        ShownMainWindowTest::TearDown();
    }
    void logon()
    {
        form = new TfrmObject(main.get(), QStringLiteral("SalesDB"), QStringLiteral("zkdemo"), QStringLiteral("demo"),
                              QStringLiteral("127.0.0.1,%1").arg(server.port()), clBtnFace, false);
        connect = form->dmSQLServer->Connection;
        QObject::connect(connect, &TFDConnection::afterConnect, [this] { ++connects; });
    }
    // Answers every message box from now on with its close, keeping its text.
    void collectMessages()
    {
        auto *timer = new QTimer(form);
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [this] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box || !box->isVisible())
                return;
            QString text;
            for (QLabel *label : box->findChildren<QLabel *>())
                text += label->text();
            messages << text;
            box->close();
        });
        timer->start();
    }
    // Lets queued work (the messages) run: until the first message when one
    // is expected, then a while longer for any second one.
    void settle(bool expectMessage = false)
    {
        if (expectMessage) {
            EXPECT_TRUE(QTest::qWaitFor([this] { return !messages.isEmpty(); }, 10000)) << "no message came";
        }
        QTest::qWait(300);
    }
    int selectOne()
    {
        TFDQuery *query = form->OpenSQL(QStringLiteral("select 1"));
        const int value = query->Fields(0)->AsInteger();
        query->Close();
        return value;
    }

    TdsServer server;
    TzkOption saved;
    TfrmObject *form = nullptr;
    TFDConnection *connect = nullptr;
    int connects = 0;
    QStringList messages;
};

const QString kRestored = QStringLiteral("接続が一度切断されましたが、再接続されました。");
const QString kDiscarded = QStringLiteral("コミットされていない変更は破棄されました。");

} // namespace

TEST_F(KeepAliveServerTest, WithoutATransactionTheNextStatementReconnectsAndSaysSoOnce)
{
    logon();
    EXPECT_TRUE(form->tmrKeepAlive->isActive());
    collectMessages();
    server.dropConnections();
    EXPECT_EQ(selectOne(), 1);
    settle(true);
    EXPECT_EQ(connects, 1) << "after-connect ran again";
    EXPECT_EQ(messages, QStringList{kRestored});
    EXPECT_TRUE(form->tmrKeepAlive->isActive());
    EXPECT_EQ(int(server.logins().size()), 2);
}

TEST_F(KeepAliveServerTest, WithKeepAliveOffTheLinkStaysLostAndTheTimerStops)
{
    zkOption.KeepAliveEnabled = false;
    logon();
    collectMessages();
    // A timer that still ran (the option went off meanwhile) stops at its tick.
    form->tmrKeepAlive->start(60000);
    server.dropConnections();
    for (int i = 0; i < 2; ++i) {
        try {
            selectOne();
            FAIL() << "a lost link ran a statement";
        } catch (const EDBError &e) {
            EXPECT_EQ(e.Kind(), TDBErrorKind::LinkLost) << e.what();
        }
    }
    form->tmrKeepAliveTimer();
    settle();
    EXPECT_FALSE(form->tmrKeepAlive->isActive());
    EXPECT_FALSE(connect->Connected());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(int(server.logins().size()), 1);
}

TEST_F(KeepAliveServerTest, ALossInsideTheSessionTransactionLogsOnAgainWithANewOne)
{
    zkOption.AutoTran = true;
    logon();
    ASSERT_TRUE(connect->InTransaction());
    collectMessages();
    server.dropConnections();
    server.clearLog();
    // The tick meets the loss; its error is swallowed.
    form->tmrKeepAliveTimer();
    settle(true);
    EXPECT_EQ(messages, QStringList{kRestored + QLatin1Char('\n') + kDiscarded});
    EXPECT_TRUE(connect->Connected());
    EXPECT_TRUE(connect->InTransaction());
    EXPECT_EQ(server.statements().filter(QStringLiteral("BEGIN TRANSACTION")).size(), 1);
    EXPECT_EQ(connects, 1);
    EXPECT_TRUE(form->tmrKeepAlive->isActive());
    EXPECT_EQ(selectOne(), 1);
}
