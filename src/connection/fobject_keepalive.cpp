#include "connection/fobject.h"

#include "core/dsqlserver.h"
#include "core/zkoption.h"
#include "core/zksub_dialogs.h"
#include "platform/db/db.h"
#include "platform/power/power.h"

#include <QLoggingCategory>
#include <QTimer>

// Keeping an idle connection alive, and getting it back after a loss.

namespace {

Q_LOGGING_CATEGORY(lcKeepAlive, "zk.keepalive")

constexpr int kDefaultIntervalMs = 180000;
// How long a message waits for a running statement before it looks again.
constexpr int kWaitForStatementMs = 100;

} // namespace

namespace {

int KeepAliveIntervalMs(int seconds)
{
    return seconds >= 1 && seconds <= 999 ? seconds * 1000 : kDefaultIntervalMs;
}

} // namespace

void TfrmObject::SetOptionKeepAlive()
{
    TFDConnection *connection = dmSQLServer ? dmSQLServer->Connection : nullptr;
    if (zkOption.KeepAliveEnabled) {
        tmrKeepAlive->start(KeepAliveIntervalMs(zkOption.KeepAliveInterval));
        if (connection)
            connection->SetAutoReconnect(true);
    } else {
        tmrKeepAlive->stop();
        if (connection)
            connection->SetAutoReconnect(false);
    }
}

void TfrmObject::tmrKeepAliveTimer()
{
    TFDConnection *connection = dmSQLServer ? dmSQLServer->Connection : nullptr;
    if (!connection || !connection->Connected()) {
        tmrKeepAlive->stop();
        return;
    }
    // Never in the way: not while a statement of any window runs on the
    // session (the timer fires inside its wait), while a window holds the
    // session, or while the last tick still waits.
    if (connection->Busy() || connection->SessionHeld() || m_keepAliveTicking)
        return;
    m_keepAliveTicking = true;
    const bool silent = qryKeepAlive->Silent();
    qryKeepAlive->SetSilent(true);
    struct Restore
    {
        TfrmObject *form;
        bool silent;
        ~Restore()
        {
            form->qryKeepAlive->SetSilent(silent);
            form->m_keepAliveTicking = false;
        }
    } restore{this, silent};

    if (zkOption.KeepAliveInvalidStandby)
        KeepSystemAwake();
    // The user did not start it: no cursor, no status text, and the user's
    // ESC and input are left to the user's own work.
    TDBWait::Background background;
    try {
        qryKeepAlive->Close();
        qryKeepAlive->SetSQL(QStringLiteral("SELECT 1"));
        qryKeepAlive->Open();
        qryKeepAlive->Close();
    } catch (const std::exception &e) {
        // The next tick tries again; a lost link comes back through the
        // connection's own reconnection or ConnectionLost.
        qCInfo(lcKeepAlive) << "keep-alive statement failed:" << QString::fromUtf8(e.what());
        try {
            qryKeepAlive->Close();
        } catch (const std::exception &) {
        }
    }
}

void TfrmObject::WhenNoStatementWaits(std::function<void()> step)
{
    if (TDBWait::IsWaiting()) {
        QTimer::singleShot(kWaitForStatementMs, this,
                           [this, step = std::move(step)]() mutable { WhenNoStatementWaits(std::move(step)); });
        return;
    }
    step();
}

void TfrmObject::ConnectionRestored(bool discarded)
{
    QString text = QStringLiteral("接続が一度切断されましたが、再接続されました。");
    if (discarded)
        text += QStringLiteral("\nコミットされていない変更は破棄されました。");
    ShowAppMessage(text, MB_OK);
}

void TfrmObject::ConnectionLost()
{
    TFDConnection *connection = dmSQLServer ? dmSQLServer->Connection : nullptr;
    // A link lost outside a transaction counts as connected: the next
    // statement logs on again by itself. One lost inside a transaction stays
    // lost until the connection is opened anew, which only keep-alive asks for.
    if (m_closed || !connection || !zkOption.KeepAliveEnabled || !connection->AutoReconnect()
        || connection->Connected())
        return;
    try {
        connection->Close();
        connection->Open();
        if (zkOption.AutoTran && !connection->InTransaction())
            connection->StartTransaction();
    } catch (const std::exception &e) {
        // The timer stopped with the link; the next connect starts it again.
        tmrKeepAlive->stop();
        ShowAppMessage(QStringLiteral("サーバーとの接続が切断され、再接続できませんでした。\n")
                           + QString::fromUtf8(e.what()),
                       MB_ICONWARNING);
        return;
    }
    ConnectionRestored(true);
}
